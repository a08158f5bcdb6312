// Cuts a TCP byte stream into SDK packets (32-byte header, body length at
// offset 4). Pure state machine: fed pieces of any size, either copied in
// with Feed or received straight into Space and taken in with Commit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "standins/qvnetsdk/SdkWire.h"

class CPacketFramer {
public:
    enum Result { NeedMore, Packet, Oversize };

    void Feed(const uint8_t* data, size_t length);
    // Room for at least `wanted` more bytes at the end of the buffered ones;
    // valid until the next call on the framer. Commit takes in the `length`
    // bytes (at most `wanted`) written there.
    uint8_t* Space(size_t wanted);
    void Commit(size_t length) { m_writePos += length; }

    // Packet: `packet` holds the next whole packet. NeedMore: no whole packet
    // is buffered. Oversize: a header announced more than one packet may
    // hold; everything buffered was discarded and framing starts afresh with
    // the next bytes fed.
    Result Next(std::vector<uint8_t>& packet);
    // As above, with the packet's header decoded and its body copied out
    // once: the form a reader that keeps only bodies takes.
    Result Next(qvwire::PacketHeader& header, std::vector<uint8_t>& body);

    size_t Buffered() const { return m_writePos - m_readPos; }
    // Whether Next would return a packet without reading more.
    bool HoldsPacket() const;
    // Frees the storage when nothing is buffered, so that an idle
    // connection does not keep the room a burst of large packets took.
    void ReleaseIdle();

private:
    // Bytes of the next whole packet (header included), 0 when it is not
    // all buffered yet; discards everything on an oversized header.
    size_t WholePacket(Result& result);

    std::unique_ptr<uint8_t[]> m_buffer;  // not zeroed: received bytes overwrite it
    size_t m_capacity = 0;
    size_t m_readPos = 0;
    size_t m_writePos = 0;
};
