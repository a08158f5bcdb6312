#include "StreamParser.h"

#include <cstring>

#include "StreamBytes.h"

namespace streamfmt {

using namespace bytes;

void StreamParser::Feed(const uint8_t* data, size_t length) {
    if (!data || !length) return;
    Compact();
    m_buffer.insert(m_buffer.end(), data, data + length);
}

StreamParser::Event StreamParser::Next() {
    if (m_failed) return Error;
    const uint8_t* p = m_buffer.data() + m_readPos;
    size_t avail = Buffered();
    if (!m_haveHeader) {
        if (avail < kStreamHeaderSize) return NeedMore;
        if (!ParseStreamHeader(p, avail, m_params)) {
            m_failed = true;
            return Error;
        }
        m_haveHeader = true;
        m_readPos += kStreamHeaderSize;
        return Header;
    }
    if (avail < kFrameHeaderSize) return NeedMore;
    uint32_t payload = ReadLe32(p + 16);
    uint32_t expected = static_cast<uint32_t>(m_params.width) * m_params.height;
    if (memcmp(p, "QVFR", 4) != 0 || payload != expected) {
        m_failed = true;
        return Error;
    }
    if (avail - kFrameHeaderSize < payload) return NeedMore;
    if (Checksum(p + kFrameHeaderSize, payload) != ReadLe32(p + 20)) {
        m_failed = true;
        return Error;
    }
    m_frame.index = ReadLe32(p + 4);
    m_frame.timestampMs = GetI64(p + 8);
    m_frame.width = m_params.width;
    m_frame.height = m_params.height;
    m_frame.pixels = p + kFrameHeaderSize;
    m_readPos += kFrameHeaderSize + payload;
    ++m_frames;
    return Frame;
}

void StreamParser::Reset() {
    m_buffer.clear();
    m_readPos = 0;
    m_haveHeader = false;
    m_failed = false;
    m_params = StreamParams();
    m_frame = FrameInfo();
    m_frames = 0;
}

void StreamParser::Compact() {
    if (m_readPos == 0) return;
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_readPos));
    m_readPos = 0;
}

}  // namespace streamfmt
