// Cuts a TCP byte stream into framed packets: a 32-byte header whose
// little-endian u32 at offset 4 is the body length, then the body. Portmoor's
// SDK clients and Kestrin's devices frame their streams the same way, so both
// take their receive buffer from here.
//
// Pure code: no sockets, no locks, no allocation after Allocate. The owner
// serialises the calls (Append and Next run on different threads in both
// users, each under the owner's lock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "common/LittleEndian.h"

class CWireFramer {
public:
    static constexpr size_t kHeaderSize = 32;

    enum AppendResult {
        kAppended = 1,
        kFull = -1,  // nothing taken (or no buffer); offer the bytes again later
    };
    enum NextResult {
        kPacket = 1,
        kNeedMore = 0,
        // The header announced more than the caller's buffer (or this one)
        // holds. The packet is skipped exactly, the part still to arrive too,
        // so framing resumes right behind it.
        kOversized = -1,
    };

    CWireFramer() = default;
    CWireFramer(const CWireFramer&) = delete;
    CWireFramer& operator=(const CWireFramer&) = delete;

    // Allocates the buffer. false when capacity is 0, memory runs out or a
    // buffer exists already.
    bool Allocate(size_t capacity) {
        if (m_buffer || capacity == 0) return false;
        m_buffer.reset(new (std::nothrow) uint8_t[capacity]);
        if (!m_buffer) return false;
        m_capacity = capacity;
        m_read = m_write = 0;
        m_skip = 0;
        return true;
    }
    bool HasBuffer() const { return m_buffer != nullptr; }
    size_t Capacity() const { return m_capacity; }

    // Takes received bytes: behind the write position when they fit there,
    // else behind the unread bytes moved to the front. Bytes of a packet being
    // skipped are dropped here. kAppended (also for no bytes); kFull when
    // unread plus new bytes would reach the capacity (filling it to the brim
    // only by moving is refused), or when there is no buffer; the buffer is
    // then as it was.
    AppendResult Append(const uint8_t* data, size_t length) {
        if (!m_buffer) return kFull;
        if (data == nullptr || length == 0) return kAppended;
        if (m_skip > 0) {
            const size_t dropped = m_skip < length ? static_cast<size_t>(m_skip) : length;
            m_skip -= dropped;
            data += dropped;
            length -= dropped;
            if (length == 0) return kAppended;
        }
        if (length <= m_capacity - m_write) {
            std::memcpy(m_buffer.get() + m_write, data, length);
            m_write += length;
            return kAppended;
        }
        const size_t unread = m_write - m_read;
        if (length >= m_capacity - unread) return kFull;
        std::memmove(m_buffer.get(), m_buffer.get() + m_read, unread);
        std::memcpy(m_buffer.get() + unread, data, length);
        m_read = 0;
        m_write = unread + length;
        return kAppended;
    }

    // Copies the next whole packet into out (the one copy a packet makes on
    // its way out). kPacket with *packetLength set (when not NULL); kNeedMore
    // while the header or body is incomplete or there is no buffer;
    // kOversized when header and body exceed outSize or the capacity (checked
    // without overflow for any body length), or out is NULL.
    NextResult Next(uint8_t* out, size_t outSize, size_t* packetLength) {
        if (packetLength != nullptr) *packetLength = 0;
        const size_t unread = m_write - m_read;
        if (!m_buffer || unread < kHeaderSize) return kNeedMore;
        const uint8_t* header = m_buffer.get() + m_read;
        const uint32_t body = ReadLe32(header + 4);
        const size_t limit = outSize < m_capacity ? outSize : m_capacity;
        // Compared as a difference: a body length near 2^32 must not wrap.
        if (out == nullptr || limit < kHeaderSize || body > limit - kHeaderSize) {
            const uint64_t total = kHeaderSize + static_cast<uint64_t>(body);
            if (total <= unread) {
                m_read += static_cast<size_t>(total);
            } else {
                m_skip = total - unread;
                m_read = m_write;
            }
            RewindWhenEmpty();
            return kOversized;
        }
        const size_t total = kHeaderSize + body;
        if (unread < total) return kNeedMore;
        std::memcpy(out, header, total);
        m_read += total;
        RewindWhenEmpty();
        if (packetLength != nullptr) *packetLength = total;
        return kPacket;
    }

    // Forgets every buffered byte and any packet being skipped.
    void Reset() {
        m_read = m_write = 0;
        m_skip = 0;
    }

    size_t Unread() const { return m_write - m_read; }
    // Bytes of an oversized packet still to be dropped as they arrive.
    uint64_t PendingSkip() const { return m_skip; }

private:
    // An empty buffer starts again at the front, so appends rarely move bytes.
    void RewindWhenEmpty() {
        if (m_read == m_write) m_read = m_write = 0;
    }

    std::unique_ptr<uint8_t[]> m_buffer;
    size_t m_capacity = 0;
    size_t m_read = 0;
    size_t m_write = 0;
    uint64_t m_skip = 0;
};
