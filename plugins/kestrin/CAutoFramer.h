// Receive buffer of one device connection: collects the byte stream and
// takes framed packets (32-byte header, body length at offset 4) out of it,
// with the framing that Portmoor's SDK side uses too (common/CWireFramer.h).
// Append runs on I/O threads and Next on pool threads, so every operation,
// Reset included, takes the framer's own lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "common/CWireFramer.h"

class CAutoFramer {
public:
    static constexpr size_t kDefaultCapacity = 153600;

    // The shared framer's results, under the names callers use here.
    using AppendResult = CWireFramer::AppendResult;
    using NextResult = CWireFramer::NextResult;
    static constexpr AppendResult kAppended = CWireFramer::kAppended;
    static constexpr AppendResult kFull = CWireFramer::kFull;  // the caller delivers the bytes again later
    static constexpr NextResult kPacket = CWireFramer::kPacket;
    static constexpr NextResult kNeedMore = CWireFramer::kNeedMore;
    // The header announced more than the caller's buffer holds; see CWireFramer.
    static constexpr NextResult kOversized = CWireFramer::kOversized;

    CAutoFramer() = default;
    CAutoFramer(const CAutoFramer&) = delete;
    CAutoFramer& operator=(const CAutoFramer&) = delete;

    // Allocates the buffer. false when it cannot be allocated or already was.
    bool Allocate(size_t capacity = kDefaultCapacity);
    bool HasBuffer() const;

    // Appends received bytes, compacting the unread bytes to the front when
    // they do not fit behind the write position. kAppended (also for an empty
    // delivery or while the framer has no buffer, which keeps nothing);
    // kFull when unread plus new bytes would not fit, leaving the buffer as it was.
    AppendResult Append(const uint8_t* data, size_t length);

    // Takes out at most one packet into out. kPacket with *packetLength set;
    // kNeedMore while the header or the body is incomplete (or there is no
    // buffer); kOversized when header and body exceed capacity or the
    // framer's own buffer (checked without overflow for any body length).
    NextResult Next(uint8_t* out, size_t capacity, size_t* packetLength);

    // Forgets every buffered byte and any packet being skipped.
    void Reset();

    size_t Unread() const;

private:
    mutable std::mutex m_lock;
    CWireFramer m_framer;
};
