// Cuts a TCP byte stream into SDK packets (32-byte header, body length at
// offset 4). Pure state machine: fed pieces of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CPacketFramer {
public:
    enum Result { NeedMore, Packet, Oversize };

    void Feed(const uint8_t* data, size_t length);
    // Packet: `packet` holds the next whole packet. NeedMore: no whole packet
    // is buffered. Oversize: a header announced more than one packet may
    // hold; everything buffered was discarded and framing starts afresh with
    // the next bytes fed.
    Result Next(std::vector<uint8_t>& packet);
    size_t Buffered() const { return m_buffer.size() - m_readPos; }

private:
    std::vector<uint8_t> m_buffer;
    size_t m_readPos = 0;
};
