// Incremental parser of the synthetic stream: fed bytes in pieces of any size,
// reports the header and each whole frame. Pure state machine, no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "StreamFormat.h"

namespace streamfmt {

class StreamParser {
public:
    enum Event { NeedMore, Header, Frame, Error };

    // Appends bytes to the parser's input.
    void Feed(const uint8_t* data, size_t length);
    // Takes the next event out of the buffered input. Header fills Params(),
    // Frame fills CurrentFrame() (valid until the next call). Error means the
    // stream is malformed: further calls keep returning Error until Reset.
    Event Next();
    void Reset();

    const StreamParams& Params() const { return m_params; }
    bool HasHeader() const { return m_haveHeader; }
    const FrameInfo& CurrentFrame() const { return m_frame; }
    size_t Buffered() const { return m_buffer.size() - m_readPos; }
    uint64_t FramesParsed() const { return m_frames; }

private:
    void Compact();

    std::vector<uint8_t> m_buffer;
    size_t m_readPos = 0;
    bool m_haveHeader = false;
    bool m_failed = false;
    StreamParams m_params;
    FrameInfo m_frame;
    uint64_t m_frames = 0;
};

}  // namespace streamfmt
