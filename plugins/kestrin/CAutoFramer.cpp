#include "plugins/kestrin/CAutoFramer.h"

bool CAutoFramer::Allocate(size_t capacity) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_framer.Allocate(capacity);
}

bool CAutoFramer::HasBuffer() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_framer.HasBuffer();
}

CAutoFramer::AppendResult CAutoFramer::Append(const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> guard(m_lock);
    // Without a buffer the bytes have nowhere to go and no one to wait for.
    if (!m_framer.HasBuffer()) return kAppended;
    return m_framer.Append(data, length);
}

CAutoFramer::NextResult CAutoFramer::Next(uint8_t* out, size_t capacity, size_t* packetLength) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_framer.Next(out, capacity, packetLength);
}

void CAutoFramer::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_framer.Reset();
}

size_t CAutoFramer::Unread() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_framer.Unread();
}
