#include "platform/plugins/StandinWire.h"

#include <cstring>

namespace standin {

namespace {

const size_t kMaxText = 31;
const size_t kShortField = 8;

}  // namespace

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void PutU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

std::vector<uint8_t> BuildLoginRequest(const std::string& userIn, const std::string& passwordIn) {
    const std::string user = userIn.substr(0, kMaxText), password = passwordIn.substr(0, kMaxText);
    const bool shortForm = user.size() <= kShortField && password.size() <= kShortField;
    const std::string text = shortForm ? std::string() : user + "&&" + password;
    std::vector<uint8_t> packet(kHeaderSize + text.size(), 0);
    packet[0] = kCmdLogin;
    packet[3] = 0x50;
    PutU32(&packet[4], static_cast<uint32_t>(text.size()));
    if (shortForm) {
        std::memcpy(&packet[8], user.data(), user.size());
        std::memcpy(&packet[16], password.data(), password.size());
    }
    packet[24] = 4;
    packet[25] = 1;
    packet[30] = 0xA1;
    packet[31] = 0xAA;
    if (!text.empty()) std::memcpy(&packet[kHeaderSize], text.data(), text.size());
    return packet;
}

std::vector<uint8_t> BuildBare(uint8_t command) {
    std::vector<uint8_t> packet(kHeaderSize, 0);
    packet[0] = command;
    return packet;
}

void BuildSubConnectionAnswer(const uint8_t* request, uint8_t* answer) {
    std::memset(answer, 0, kHeaderSize);
    answer[0] = kCmdSubConnection;
    answer[3] = request[3];
    std::memcpy(answer + 8, request + 8, 6);
}

std::vector<uint8_t> BuildRequest(uint8_t command, uint32_t sequence, uint32_t arg0) {
    std::vector<uint8_t> packet = BuildBare(command);
    PutU32(&packet[kSequenceOffset], sequence);
    PutU32(&packet[16], arg0);
    return packet;
}

}  // namespace standin
