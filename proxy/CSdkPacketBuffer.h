// Receive buffer of one SDK client connection: bytes go in as they arrive,
// whole SDK packets come out one at a time. An SDK packet is a 32-byte
// header and a body whose length is the little-endian u32 at offset 4.
// Pure code: no sockets, no locks (the owner serialises the calls).
#pragma once

#include <cstddef>
#include <cstdint>

class CSdkPacketBuffer {
public:
    static const size_t kHeaderSize = 32;
    static const size_t kCapacity = 65536;

    enum ExtractResult {
        kNeedMore,   // no whole packet buffered
        kPacket,     // one packet copied out
        kOversized,  // a header announced more than fits: it is being skipped
    };

    CSdkPacketBuffer();
    ~CSdkPacketBuffer();

    // Allocates the 65536-byte store. False when memory runs out or it exists.
    bool Allocate();
    bool IsAllocated() const { return m_data != nullptr; }

    // Takes received bytes. Returns 1 when they were taken (length 0 too),
    // -1 when they do not fit now (nothing is taken; offer them again later)
    // or there is no store. Bytes that belong to an oversized packet being
    // skipped are dropped here.
    int Append(const uint8_t* data, size_t length);

    // Copies the next whole packet into work. kPacket: packetLength is its
    // size (32 + body length). kOversized: the packet cannot fit work (or
    // the store); what is buffered of it is dropped and so are its remaining
    // bytes as they arrive, so framing resumes exactly behind it.
    ExtractResult Extract(uint8_t* work, size_t workSize, size_t& packetLength);

    size_t Buffered() const { return m_write - m_read; }
    // Bytes of an oversized packet still to be dropped as they arrive.
    uint64_t PendingSkip() const { return m_skip; }

private:
    CSdkPacketBuffer(const CSdkPacketBuffer&) = delete;
    CSdkPacketBuffer& operator=(const CSdkPacketBuffer&) = delete;

    uint8_t* m_data = nullptr;
    size_t m_read = 0;
    size_t m_write = 0;
    uint64_t m_skip = 0;
};
