// The UDP search protocol's packet layouts and request builders. Pure code:
// no Winsock header, lengths checked, builds natively for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

#include "common/LittleEndian.h"

namespace lan {

constexpr uint16_t kPort = 5050;
constexpr size_t kHeaderSize = 32;
constexpr size_t kRecordSize = 88;
constexpr size_t kShortCredentialMax = 8;

constexpr uint8_t kSearchRequest = 0xA3;
constexpr uint8_t kSearchReply = 0xB3;
constexpr uint8_t kLoginRequest = 0xA0;
constexpr uint8_t kLoginReply = 0xB0;
constexpr uint8_t kModify = 0xC1;  // request and reply share the command

constexpr uint8_t kFormBinary = 2;
constexpr uint8_t kFormText = 39;

// Header offsets.
constexpr size_t kOffCommand = 0;
constexpr size_t kOffRequestFlag = 1;
constexpr size_t kOffExtensionLength = 2;
constexpr size_t kOffBodyLength = 4;
constexpr size_t kOffState = 8;  // login state or modify result
constexpr size_t kOffError = 9;  // login error
constexpr size_t kOffUser = 8;
constexpr size_t kOffForm = 16;
constexpr size_t kOffPassword = 16;

// Device record offsets.
constexpr size_t kRecIp = 24;
constexpr size_t kRecAddress2 = 28;
constexpr size_t kRecAddress3 = 32;
constexpr size_t kRecWord4 = 36;
constexpr size_t kRecPort = 66;

using ::ReadLe16;
using ::ReadLe32;
using ::WriteLe32;

}  // namespace lan

// The body of a binary search reply, carried back unchanged in a modify
// request except for the three address words.
struct LAN_DEVICE_RECORD {
    uint8_t bytes[lan::kRecordSize];
};

namespace lan {

// Returns the 32-byte search request for the given form (kFormBinary or kFormText).
std::vector<uint8_t> BuildSearchRequest(uint8_t form);

// Returns the login request carrying the device's extension bytes: the short
// form (32 + E bytes) when user and password both have at most 8 characters,
// else the long form (34 + U + P + E bytes, "user&&password" as body).
// Null texts count as empty. extensionLength must not exceed 255.
std::vector<uint8_t> BuildLoginRequest(const char* user, const char* password, const uint8_t* extension,
                                       size_t extensionLength);

// Returns the 120 + E byte modify request carrying the record and the extension.
// extensionLength must not exceed 255.
std::vector<uint8_t> BuildModifyRequest(const LAN_DEVICE_RECORD& record, const uint8_t* extension,
                                        size_t extensionLength);

// Writes the three address words that a modify request replaces.
void SetRecordAddresses(LAN_DEVICE_RECORD* record, uint32_t ip, uint32_t address2, uint32_t address3);

}  // namespace lan
