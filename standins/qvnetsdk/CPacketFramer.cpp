#include "standins/qvnetsdk/CPacketFramer.h"

#include <cstring>

void CPacketFramer::Feed(const uint8_t* data, size_t length) {
    if (!data || !length) return;
    std::memcpy(Space(length), data, length);
    Commit(length);
}

uint8_t* CPacketFramer::Space(size_t wanted) {
    if (m_readPos == m_writePos) m_readPos = m_writePos = 0;
    if (m_capacity - m_writePos < wanted && m_readPos > 0) {
        // What is left is at most the start of one packet: cheap to move.
        std::memmove(m_buffer.get(), m_buffer.get() + m_readPos, Buffered());
        m_writePos -= m_readPos;
        m_readPos = 0;
    }
    if (m_capacity - m_writePos < wanted) {
        const size_t capacity = m_writePos + wanted;
        std::unique_ptr<uint8_t[]> grown(new uint8_t[capacity]);
        if (m_writePos) std::memcpy(grown.get(), m_buffer.get(), m_writePos);
        m_buffer.swap(grown);
        m_capacity = capacity;
    }
    return m_buffer.get() + m_writePos;
}

void CPacketFramer::ReleaseIdle() {
    if (Buffered() != 0) return;
    m_buffer.reset();
    m_capacity = m_readPos = m_writePos = 0;
}

bool CPacketFramer::HoldsPacket() const {
    if (Buffered() < qvwire::kHeaderSize) return false;
    const uint32_t body = qvwire::ReadLe32(m_buffer.get() + m_readPos + 4);
    return body <= qvwire::kMaxBody && Buffered() >= qvwire::kHeaderSize + body;
}

size_t CPacketFramer::WholePacket(Result& result) {
    result = NeedMore;
    const size_t available = Buffered();
    if (available < qvwire::kHeaderSize) return 0;
    const uint32_t body = qvwire::ReadLe32(m_buffer.get() + m_readPos + 4);
    if (body > qvwire::kMaxBody) {
        m_readPos = m_writePos = 0;
        result = Oversize;
        return 0;
    }
    const size_t total = qvwire::kHeaderSize + body;
    if (available < total) return 0;
    result = Packet;
    return total;
}

CPacketFramer::Result CPacketFramer::Next(std::vector<uint8_t>& packet) {
    Result result;
    const size_t total = WholePacket(result);
    if (result != Packet) return result;
    const uint8_t* head = m_buffer.get() + m_readPos;
    packet.assign(head, head + total);
    m_readPos += total;
    return Packet;
}

CPacketFramer::Result CPacketFramer::Next(qvwire::PacketHeader& header, std::vector<uint8_t>& body) {
    Result result;
    const size_t total = WholePacket(result);
    if (result != Packet) return result;
    const uint8_t* head = m_buffer.get() + m_readPos;
    qvwire::DecodeHeader(head, total, header);
    body.assign(head + qvwire::kHeaderSize, head + total);
    m_readPos += total;
    return Packet;
}
