#include "platform/qvnetsdk/CPacketFramer.h"

#include "platform/qvnetsdk/SdkWire.h"

void CPacketFramer::Feed(const uint8_t* data, size_t length) {
    if (m_readPos > 0 && m_readPos >= m_buffer.size() / 2) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_readPos));
        m_readPos = 0;
    }
    if (data && length) m_buffer.insert(m_buffer.end(), data, data + length);
}

CPacketFramer::Result CPacketFramer::Next(std::vector<uint8_t>& packet) {
    const size_t available = Buffered();
    if (available < qvwire::kHeaderSize) return NeedMore;
    const uint8_t* head = m_buffer.data() + m_readPos;
    const uint32_t body = qvwire::GetU32(head + 4);
    if (body > qvwire::kMaxBody) {
        m_buffer.clear();
        m_readPos = 0;
        return Oversize;
    }
    const size_t total = qvwire::kHeaderSize + body;
    if (available < total) return NeedMore;
    packet.assign(head, head + total);
    m_readPos += total;
    return Packet;
}
