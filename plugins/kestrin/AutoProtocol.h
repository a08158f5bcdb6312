// The binary protocol spoken with self-registering devices: a 32-byte header
// (command byte first, little-endian body length at offset 4) and a body.
// Builders, parsers and field helpers only; no I/O. Every function that reads
// a packet takes its length and never reads past it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/LittleEndian.h"

namespace kestrin {

const size_t kHeaderSize = 32;
// A registration packet must be shorter than this, header included.
const size_t kRegistrationPacketLimit = 1024;
// Registration ids travel in a 128-byte field with their terminator.
const size_t kRegistrationIdSize = 128;
const int kMaxConnectionIndex = 40;
// User name and password are kept in 32-byte fields.
const size_t kMaxCredentialLength = 31;
const size_t kMaxLoginPacket = kHeaderSize + 2 * kMaxCredentialLength + 2;
// A stored login reply must fit the 512-byte reply of the parse result.
const size_t kMaxLoginReply = 512;
// Per-channel tables, subscription bytes and state masks hold 16 channels.
const int kMaxChannels = 16;
const size_t kStreamRequestSize = kHeaderSize + kMaxChannels;
const size_t kOfflineQueryAnswerSize = 1212;

enum Command : uint8_t {
    kCmdNoReply0A = 0x0A,
    kCmdStream = 0x11,
    kCmdStreamControl = 0x12,
    kCmdQueryC0 = 0x1D,
    kCmdStateSubscribe = 0x68,
    kCmdStateReport = 0x69,
    kCmdChannel83 = 0x83,
    kCmdLogin = 0xA0,
    kCmdKeepAlive = 0xA1,
    kCmdQueryA2 = 0xA2,
    kCmdQuery = 0xA3,
    kCmdQueryA4 = 0xA4,
    kCmdQueryA5 = 0xA5,
    kCmdQueryA6 = 0xA6,
    kCmdListQuery = 0xA8,
    kCmdLoginReply = 0xB0,
    kCmdKeepAliveAnswer = 0xB1,
    kCmdAnswerB2 = 0xB2,
    kCmdQueryAnswer = 0xB3,
    kCmdRegister = 0xB4,  // also the device-information answer
    kCmdAnswerB5 = 0xB5,
    kCmdAnswerB6 = 0xB6,
    kCmdListAnswer = 0xB8,
    kCmdAnswerBA = 0xBA,
    kCmdServiceData = 0xBB,
    kCmdStreamData = 0xBC,
    kCmdAnswerC0 = 0xC0,
    kCmdSettings = 0xC1,
    kCmdServiceStartC2 = 0xC2,
    kCmdListSettings = 0xC6,
    kCmdQueryC7 = 0xC7,
    kCmdServiceStop = 0xC9,
    kCmdNoWaitCA = 0xCA,
    kCmdServiceStartCB = 0xCB,
    kCmdNoWaitCC = 0xCC,
    kCmdQueryCD = 0xCD,
    kCmdAnswerE4 = 0xE4,
    kCmdSubConnect = 0xF1,
};

// Sub-codes in byte 16 of queries (0xA3/0xB3) and settings (0xC1).
enum SubCode : uint8_t {
    kSubCount = 16,
    kSubTable123 = 123,
    kSubChannel = 125,
    kSubTable126 = 126,
    kSubTable127 = 127,
};

const uint8_t kRegistrationSubType = 7;
const size_t kSubCodeOffset = 16;
const size_t kSubChannelOffset = 25;
// Byte of each 123-table entry that belongs to the position, not the channel.
const size_t kTable123PositionByte = 12;

using ::ReadLe32;
using ::WriteLe32;

// Body bytes actually present: the smaller of the header's body length and
// what follows the header in the buffer; 0 when there is no whole header.
size_t AvailableBody(const uint8_t* packet, size_t length);

// Byte 16 of a packet with a whole header; 0 otherwise.
uint8_t SubCodeOf(const uint8_t* packet, size_t length);

// Entry size of a per-channel table by sub-code (180, 40 or 16); 0 for
// sub-codes that carry no table.
size_t TableEntrySize(uint8_t subCode);

// Channel count as used for tables, masks and renumbering: 0..16.
int ClampChannelCount(int channelCount);

// The request command a device reply answers (0xB3 -> 0xA3 ...; any other
// reply answers the request with its own command byte).
uint8_t RequestForReply(uint8_t replyCommand);

struct AUTO_REGISTRATION {
    char id[kRegistrationIdSize];  // zero-terminated, 1..127 characters
    int connectionIndex;           // byte 28: 0 main, else a sub-connection
};

enum RegistrationStatus {
    kRegistrationOk = 0,
    kNotRegistration = -1,    // some other packet: ignore it
    kRegistrationBadId = -2,  // a registration whose id cannot be used
};

// Reads a device's registration packet. kRegistrationOk fills out;
// kNotRegistration when the packet is not a registration (no whole header,
// byte 0 not 0xB4, byte 8 not 7, or 1024 bytes or more); kRegistrationBadId
// when the id is empty, 128 bytes or longer, holds a NUL or runs past the
// packet. out is untouched unless the result is kRegistrationOk.
int ParseRegistration(const uint8_t* data, size_t length, AUTO_REGISTRATION* out);

// Compares two registration ids without regard to ASCII case. false when
// either is null.
bool RegistrationIdEquals(const char* a, const char* b);

// 32-byte keep-alive 0xA1 that the socket library sends on a main connection.
void BuildKeepAlivePacket(uint8_t out[kHeaderSize]);

// Login 0xA0 for a new main connection: the 32-byte short form when neither
// text is longer than 8 characters, otherwise the long form with
// "user&&password" as the body. Returns the packet length, or -1 when a text
// is null or longer than 31 characters or out holds fewer than the packet.
int BuildLoginPacket(const char* userName, const char* password, uint8_t* out, size_t capacity);

// Sub-connection handshake 0xF1 for connection index 1..40; byte 12 is 2 for
// the last sub-connection the device opens (index = channel count + 1).
void BuildSubConnectPacket(uint32_t loginId, int connectionIndex, int channelCount, uint8_t out[kHeaderSize]);

// True for the connection index that completes a device's sub-connections.
inline bool IsLastSubConnection(int connectionIndex, int channelCount) { return connectionIndex == channelCount + 1; }

// A device reporting more channels than there are sub-connection slots can
// never complete its sub-connections: it stays off line.
inline bool SubConnectionsFit(int channelCount) { return channelCount >= 0 && channelCount + 1 <= kMaxConnectionIndex; }

struct AUTO_LOGIN_REPLY {
    int channelCount;  // byte 10, as the device reports it (0..255)
    uint32_t loginId;  // bytes 16..19
};

// Reads a device's login reply 0xB0. Returns 0 and fills out; -1 when the
// packet is not a 0xB0 with a whole header or is longer than 512 bytes,
// which no SDK reply could carry.
int ParseLoginReply(const uint8_t* data, size_t length, AUTO_LOGIN_REPLY* out);

// Answer to an SDK login: the stored login reply with the SDK client's id in
// bytes 16..19 and the device's total channel count in byte 10. Returns the
// length, or -1 when the reply is shorter than a header or does not fit out.
int BuildLoginAnswer(const uint8_t* loginReply, size_t replyLength, int32_t clientId, int totalChannels, uint8_t* out,
                     size_t capacity);

// Answer to an SDK sub-connection request: 32-byte 0xF1 with bytes 3, 8..13
// copied from the request. Returns 32, or -1 without a whole request header.
int BuildSubConnectAnswer(const uint8_t* request, size_t length, uint8_t out[kHeaderSize]);

// Answer to an SDK keep-alive: 32-byte 0xB1.
void BuildKeepAliveAnswer(uint8_t out[kHeaderSize]);

// Answer to a channel query (0xA3 sub-code 125) while the device's record is
// off line: 0xB3, bytes 8..31 from the request, a zero 1180-byte body.
// Returns 1212, or -1 without a whole request header or room in out.
int BuildOfflineQueryAnswer(const uint8_t* request, size_t length, uint8_t* out, size_t capacity);

}  // namespace kestrin
