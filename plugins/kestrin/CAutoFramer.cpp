#include "plugins/kestrin/CAutoFramer.h"

#include <cstring>
#include <new>

#include "plugins/kestrin/AutoProtocol.h"

bool CAutoFramer::Allocate(size_t capacity) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_buffer != nullptr || capacity == 0) return false;
    m_buffer.reset(new (std::nothrow) uint8_t[capacity]);
    if (m_buffer == nullptr) return false;
    m_capacity = capacity;
    m_readPos = m_writePos = 0;
    return true;
}

CAutoFramer::AppendResult CAutoFramer::Append(const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (data == nullptr || length == 0 || m_buffer == nullptr) return kAppended;
    if (length <= m_capacity - m_writePos) {
        std::memcpy(m_buffer.get() + m_writePos, data, length);
        m_writePos += length;
        return kAppended;
    }
    size_t unread = m_writePos - m_readPos;
    if (length >= m_capacity - unread) return kFull;
    std::memmove(m_buffer.get(), m_buffer.get() + m_readPos, unread);
    std::memcpy(m_buffer.get() + unread, data, length);
    m_readPos = 0;
    m_writePos = unread + length;
    return kAppended;
}

void CAutoFramer::DiscardSkipped() {
    size_t unread = m_writePos - m_readPos;
    size_t drop = m_skipRemaining < unread ? size_t(m_skipRemaining) : unread;
    m_readPos += drop;
    m_skipRemaining -= drop;
    if (m_readPos == m_writePos) m_readPos = m_writePos = 0;
}

CAutoFramer::NextResult CAutoFramer::Next(uint8_t* out, size_t capacity, size_t* packetLength) {
    using kestrin::kHeaderSize;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_buffer == nullptr) return kNeedMore;
    if (m_skipRemaining > 0) DiscardSkipped();
    if (m_skipRemaining > 0 || m_writePos - m_readPos < kHeaderSize) return kNeedMore;

    const uint8_t* header = m_buffer.get() + m_readPos;
    uint32_t bodyLength = kestrin::ReadU32(header + 4);
    // A packet must fit the caller's buffer and, to ever arrive whole, ours.
    // Compared as a difference so that a body length near 4 GB cannot wrap.
    size_t limit = capacity < m_capacity ? capacity : m_capacity;
    if (out == nullptr || limit < kHeaderSize || bodyLength > limit - kHeaderSize) {
        m_skipRemaining = uint64_t(kHeaderSize) + bodyLength;
        DiscardSkipped();
        return kOversized;
    }
    size_t total = kHeaderSize + bodyLength;
    if (m_writePos - m_readPos < total) return kNeedMore;
    std::memcpy(out, header, total);
    m_readPos += total;
    if (m_readPos == m_writePos) m_readPos = m_writePos = 0;
    if (packetLength != nullptr) *packetLength = total;
    return kPacket;
}

void CAutoFramer::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_readPos = m_writePos = 0;
    m_skipRemaining = 0;
}

size_t CAutoFramer::Unread() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_writePos - m_readPos;
}
