#include "proxy/CSdkPacketBuffer.h"

#include <cstring>
#include <new>

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

CSdkPacketBuffer::CSdkPacketBuffer() = default;

CSdkPacketBuffer::~CSdkPacketBuffer() { delete[] m_data; }

bool CSdkPacketBuffer::Allocate() {
    if (m_data) return false;
    m_data = new (std::nothrow) uint8_t[kCapacity];
    return m_data != nullptr;
}

int CSdkPacketBuffer::Append(const uint8_t* data, size_t length) {
    if (!m_data) return -1;
    if (length == 0) return 1;
    if (m_skip > 0) {
        const size_t dropped = m_skip < length ? static_cast<size_t>(m_skip) : length;
        m_skip -= dropped;
        data += dropped;
        length -= dropped;
        if (length == 0) return 1;
    }
    if (length <= kCapacity - m_write) {
        std::memcpy(m_data + m_write, data, length);
        m_write += length;
        return 1;
    }
    // Filling the store to the brim only by compacting is refused: the
    // asymmetry keeps one free byte whenever unread data had to move.
    const size_t unread = m_write - m_read;
    if (length >= kCapacity - unread) return -1;
    std::memmove(m_data, m_data + m_read, unread);
    m_read = 0;
    m_write = unread;
    std::memcpy(m_data + m_write, data, length);
    m_write += length;
    return 1;
}

CSdkPacketBuffer::ExtractResult CSdkPacketBuffer::Extract(uint8_t* work, size_t workSize, size_t& packetLength) {
    packetLength = 0;
    const size_t unread = m_write - m_read;
    if (!m_data || unread < kHeaderSize) return kNeedMore;
    const uint32_t body = ReadU32(m_data + m_read + 4);
    const size_t limit = workSize < kCapacity ? workSize : kCapacity;
    // Compared before any addition: a body length near 2^32 must not wrap.
    if (limit < kHeaderSize || body > limit - kHeaderSize) {
        const uint64_t total = kHeaderSize + static_cast<uint64_t>(body);
        if (total <= unread) {
            m_read += static_cast<size_t>(total);
        } else {
            m_skip = total - unread;
            m_read = m_write;
        }
        if (m_read == m_write) m_read = m_write = 0;
        return kOversized;
    }
    const size_t total = kHeaderSize + body;
    if (unread < total) return kNeedMore;
    std::memcpy(work, m_data + m_read, total);
    m_read += total;
    if (m_read == m_write) m_read = m_write = 0;
    packetLength = total;
    return kPacket;
}
