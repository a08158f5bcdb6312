// The SDK's wire protocol with devices, shared by qvnetsdk.dll and the
// simulated recorder. Pure code: no sockets, every length checked.
//
// Every packet is a 32-byte header and a body:
//   0 command   3 flag byte   4 body length (u32, little-endian)
//   8 sequence (u32)   12 status (u32)   16 four u32 arguments
// Login (0xA0 -> 0xB0) and keep-alive (0xA1 -> 0xB1) keep the layout that
// registration relays expect: the login reply carries the channel count in
// byte 10 and the login id in bytes 16..19. All other requests use commands
// 0x90..0x9F and are answered, one reply each and in order, by a packet with
// the same command byte and the request's sequence number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sdk/qvnetsdk/qvnetsdk.h"
#include "common/LittleEndian.h"

namespace qvwire {

const size_t kHeaderSize = 32;
const size_t kMaxPacket = 51200;
const size_t kMaxBody = kMaxPacket - kHeaderSize;
const size_t kLoginReplySize = 64;
// Largest block of stream bytes one read answer carries.
const uint32_t kMaxBlock = 48 * 1024;

enum Command : uint8_t {
    kCmdLogin = 0xA0,
    kCmdLoginReply = 0xB0,
    kCmdKeepAlive = 0xA1,
    kCmdKeepAliveReply = 0xB1,
    kCmdQuery = 0x90,  // arg0 = QueryKind, arg1/arg2 = its parameters, arg3 = most bytes wanted
    kCmdSet = 0x91,    // arg0 = SetKind, body = the value
    kCmdFind = 0x92,   // body = FindRequest; reply arg0 = count, arg1 = all matches, body = descriptors
    kCmdOpen = 0x93,   // body = OpenRequest; reply arg0 = transfer id, arg1/arg2 = length (low, high)
    kCmdRead = 0x94,   // arg0 = transfer id, arg1/arg2 = offset (low, high), arg3 = most bytes
    kCmdClose = 0x95,  // arg0 = transfer id
    kCmdTalk = 0x96,   // arg0 = TalkOp, arg1 = talk id, body = audio
    kCmdJob = 0x97,    // arg0 = JobOp, arg1 = job id
    kCmdDdns = 0x9F,   // body = device name; reply body = its address
};

enum Status : uint32_t {
    kStatusOk = 0,
    kStatusNoSuch = 1,
    kStatusBusy = 2,
    kStatusBadRequest = 3,
    kStatusUnsupported = 4,
};

enum QueryKind : uint32_t {
    kQueryChannelNames = 1,
    kQueryStatus = 2,         // arg1 = status type
    kQueryDeviceConfig = 3,   // arg1 = configuration type
    kQueryChannelConfig = 4,  // arg1 = configuration type, arg2 = channel (0xFFFFFFFF all)
    kQueryRecordStates = 5,
    kQueryClock = 6,
};

enum SetKind : uint32_t {
    kSetClock = 1,
    kSetChannelNames = 2,
    kSetRestart = 3,   // control A: the device restarts
    kSetShutdown = 4,  // control B: the device goes off line
    kSetProtocol = 5,  // arg1 = protocol generation chosen after login
    kSetTalkEncoding = 6,
};

enum TalkOp : uint32_t { kTalkOpen = 1, kTalkExchange = 2, kTalkClose = 3 };
enum JobOp : uint32_t { kJobStart = 1, kJobQuery = 2, kJobStop = 3 };
enum OpenMode : uint32_t { kOpenFile = 1, kOpenTimeRange = 2 };

struct PacketHeader {
    uint8_t command = 0;
    uint8_t flag = 0;
    uint32_t bodyLength = 0;
    uint32_t sequence = 0;
    uint32_t status = 0;
    uint32_t args[4] = {0, 0, 0, 0};
};

using ::AppendLe32;
using ::ReadLe32;
using ::WriteLe32;

void EncodeHeader(const PacketHeader& header, uint8_t* out);
// Reads a header from at least 32 bytes. Returns false when fewer bytes are
// given or the body length would exceed one packet.
bool DecodeHeader(const uint8_t* data, size_t length, PacketHeader& header);
// Header (its bodyLength set from `length`) followed by the body.
std::vector<uint8_t> BuildPacket(PacketHeader header, const uint8_t* body = nullptr, size_t length = 0);
std::vector<uint8_t> BuildPacket(const PacketHeader& header, const std::vector<uint8_t>& body);

// Login request: short form (user and password of at most 8 characters each
// in bytes 8 and 16) or long form (body "user&&password"). Texts longer than
// 31 characters are cut.
std::vector<uint8_t> BuildLoginRequest(const std::string& user, const std::string& password);
// False when the packet is not a complete login request.
bool ParseLoginRequest(const uint8_t* data, size_t length, std::string& user, std::string& password);

// Login reply (64 bytes): byte 8 the result (0 = logged in, else login error
// 1..7), byte 10 the channel count, bytes 16..19 the login id, body the
// device information.
std::vector<uint8_t> BuildLoginReply(uint8_t result, uint32_t loginId, const QVNET_DEVICE_INFO& info);
// False when the packet is not a login reply of at least 32 bytes. A reply
// without body leaves `info` zero apart from the channel count.
bool ParseLoginReply(const uint8_t* data, size_t length, uint8_t& result, uint32_t& loginId, QVNET_DEVICE_INFO& info);

std::vector<uint8_t> BuildKeepAlive(uint8_t command);

// Local times as seconds on a proleptic calendar that ignores time zones, the
// time base of the synthetic stream format.
int64_t TimeToSeconds(const QVNET_TIME& time);
QVNET_TIME SecondsToTime(int64_t seconds);
// Month 1..12, day within the month, hour < 24, minute and second < 60, year 1970..9999.
bool IsValidTime(const QVNET_TIME& time);
void AppendTime(std::vector<uint8_t>& out, const QVNET_TIME& time);
QVNET_TIME ReadTime(const uint8_t* p);

struct FindRequest {
    uint32_t channel = 0;
    uint32_t fileType = 0;
    QVNET_TIME start = {};
    QVNET_TIME end = {};
    char card[64] = {};
    uint32_t startIndex = 0;
    uint32_t maxCount = 0;
};
const size_t kFindRequestSize = 4 + 4 + 24 + 24 + 64 + 4 + 4;
std::vector<uint8_t> EncodeFindRequest(const FindRequest& request);
bool DecodeFindRequest(const uint8_t* data, size_t length, FindRequest& request);
// Descriptors one find answer can carry.
const uint32_t kMaxDescriptorsPerReply = static_cast<uint32_t>(kMaxBody / sizeof(RECORD_FILE_DESC));

struct OpenRequest {
    uint32_t mode = kOpenFile;
    RECORD_FILE_DESC file = {};  // kOpenFile
    uint32_t channel = 0;        // kOpenTimeRange
    QVNET_TIME start = {};
    QVNET_TIME end = {};
};
std::vector<uint8_t> EncodeOpenRequest(const OpenRequest& request);
bool DecodeOpenRequest(const uint8_t* data, size_t length, OpenRequest& request);

// LAN search datagrams: a probe of 8 bytes ("QVSP" + nonce) and an answer of
// "QVSA" + nonce + one DEVICE_SEARCH_RESULT.
const uint16_t kSearchPort = 37810;  // where devices listen for probes
const size_t kSearchProbeSize = 8;
const size_t kSearchAnswerSize = 8 + sizeof(DEVICE_SEARCH_RESULT);
std::vector<uint8_t> BuildSearchProbe(uint32_t nonce);
bool ParseSearchProbe(const uint8_t* data, size_t length, uint32_t& nonce);
std::vector<uint8_t> BuildSearchAnswer(uint32_t nonce, const DEVICE_SEARCH_RESULT& result);
// Texts of the result are terminated inside their fields on return.
bool ParseSearchAnswer(const uint8_t* data, size_t length, uint32_t& nonce, DEVICE_SEARCH_RESULT& result);

// Copies at most size-1 bytes of text and terminates; size 0 writes nothing.
void CopyText(char* dest, size_t size, const std::string& text);
// Text of a fixed field that may lack its terminator.
std::string FieldText(const char* field, size_t size);

}  // namespace qvwire
