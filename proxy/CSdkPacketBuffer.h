// Receive buffer of one SDK client connection: bytes go in as they arrive,
// whole SDK packets come out one at a time. The framing itself is the
// shared one (common/CWireFramer.h); this fixes the 65536-byte store and the
// results the proxy's connection layer works with.
// Pure code: no sockets, no locks (the owner serialises the calls).
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/CWireFramer.h"

class CSdkPacketBuffer {
public:
    static const size_t kHeaderSize = CWireFramer::kHeaderSize;
    static const size_t kCapacity = 65536;

    // kNeedMore: no whole packet buffered; kPacket: one packet copied out;
    // kOversized: a header announced more than fits, and it is being skipped.
    using ExtractResult = CWireFramer::NextResult;
    static constexpr ExtractResult kNeedMore = CWireFramer::kNeedMore;
    static constexpr ExtractResult kPacket = CWireFramer::kPacket;
    static constexpr ExtractResult kOversized = CWireFramer::kOversized;

    // Allocates the 65536-byte store. False when memory runs out or it exists.
    bool Allocate() { return m_framer.Allocate(kCapacity); }
    bool IsAllocated() const { return m_framer.HasBuffer(); }

    // Takes received bytes. Returns 1 when they were taken (length 0 too),
    // -1 when they do not fit now (nothing is taken; offer them again later)
    // or there is no store. Bytes that belong to an oversized packet being
    // skipped are dropped here.
    int Append(const uint8_t* data, size_t length) {
        return m_framer.Append(data, length) == CWireFramer::kAppended ? 1 : -1;
    }

    // Copies the next whole packet into work. kPacket: packetLength is its
    // size (32 + body length). kOversized: the packet cannot fit work (or
    // the store); what is buffered of it is dropped and so are its remaining
    // bytes as they arrive, so framing resumes exactly behind it.
    ExtractResult Extract(uint8_t* work, size_t workSize, size_t& packetLength) {
        return m_framer.Next(work, workSize, &packetLength);
    }

    size_t Buffered() const { return m_framer.Unread(); }
    // Bytes of an oversized packet still to be dropped as they arrive.
    uint64_t PendingSkip() const { return m_framer.PendingSkip(); }

private:
    CWireFramer m_framer;
};
