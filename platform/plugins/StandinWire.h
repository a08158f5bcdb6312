// The few pieces of the SDK's direct protocol that the stand-in plug-ins
// speak with a device: login, keep-alive, sub-connection answers and the
// sequence field that pairs a request with its reply. Pure code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

const size_t kHeaderSize = 32;
const uint8_t kCmdLogin = 0xA0;
const uint8_t kCmdLoginReply = 0xB0;
const uint8_t kCmdKeepAlive = 0xA1;
const uint8_t kCmdKeepAliveReply = 0xB1;
const uint8_t kCmdSubConnection = 0xF1;
const uint8_t kCmdOpen = 0x93;
const uint8_t kCmdClose = 0x95;
const size_t kSequenceOffset = 8;
const size_t kLoginIdOffset = 16;
const size_t kChannelCountOffset = 10;

uint32_t GetU32(const uint8_t* p);
void PutU32(uint8_t* p, uint32_t v);

// Login request: user and password of at most 8 characters each in bytes 8
// and 16, else a body "user&&password". Texts are cut at 31 characters.
std::vector<uint8_t> BuildLoginRequest(const std::string& user, const std::string& password);
// A 32-byte packet with only its command byte set.
std::vector<uint8_t> BuildBare(uint8_t command);
// The answer to a sub-connection request: bytes 3, 8..11, 12 and 13 copied
// from the request (at least 32 bytes), everything else 0.
void BuildSubConnectionAnswer(const uint8_t* request, uint8_t* answer);
// A 32-byte request with the command, sequence and first argument set.
std::vector<uint8_t> BuildRequest(uint8_t command, uint32_t sequence, uint32_t arg0);

}  // namespace standin
