// Builds test packets: a zero header with the command and body length set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugins/kestrin/AutoProtocol.h"

inline std::vector<uint8_t> Packet(uint8_t command, size_t bodyLength = 0) {
    std::vector<uint8_t> p(kestrin::kHeaderSize + bodyLength, 0);
    p[0] = command;
    kestrin::WriteLe32(p.data() + 4, uint32_t(bodyLength));
    return p;
}

inline std::vector<uint8_t> PacketWithText(uint8_t command, const std::string& body) {
    std::vector<uint8_t> p = Packet(command, body.size());
    std::copy(body.begin(), body.end(), p.begin() + kestrin::kHeaderSize);
    return p;
}

inline std::string BodyText(const std::vector<uint8_t>& p) {
    return std::string(p.begin() + kestrin::kHeaderSize, p.end());
}
