#include "CByteRing.h"

#include <algorithm>
#include <cstring>
#include <new>

bool CByteRing::Reset(size_t capacity) {
    m_head = m_size = 0;
    if (capacity == 0) return false;
    try {
        std::vector<uint8_t>(capacity).swap(m_buffer);
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
    return true;
}

void CByteRing::Release() {
    std::vector<uint8_t>().swap(m_buffer);
    m_head = m_size = 0;
}

bool CByteRing::Push(const uint8_t* data, size_t length) {
    if (length == 0) return true;
    if (!data) return false;
    if (length > m_buffer.size()) {
        if (m_size != 0) return false;
        m_buffer.resize(length);  // may throw bad_alloc; the caller's entry catches it
        m_head = 0;
    }
    if (length > Free()) return false;
    size_t tail = (m_head + m_size) % m_buffer.size();
    size_t first = std::min(length, m_buffer.size() - tail);
    memcpy(&m_buffer[tail], data, first);
    memcpy(&m_buffer[0], data + first, length - first);
    m_size += length;
    return true;
}

size_t CByteRing::Pop(uint8_t* out, size_t length) {
    size_t n = std::min(length, m_size);
    if (n == 0) return 0;
    size_t first = std::min(n, m_buffer.size() - m_head);
    memcpy(out, &m_buffer[m_head], first);
    memcpy(out + first, &m_buffer[0], n - first);
    m_head = (m_head + n) % m_buffer.size();
    m_size -= n;
    if (m_size == 0) m_head = 0;
    return n;
}
