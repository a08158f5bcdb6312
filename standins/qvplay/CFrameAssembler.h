// Cuts a port's input into stream headers and pictures. Bytes that cannot
// start a header or a picture (padding, damage, a stream joined mid-way) are
// skipped until the next one, so a bad block costs one picture, never the
// rest of the stream. A new header mid-stream starts a new recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "CByteRing.h"
#include "StreamParser.h"

class CFrameAssembler {
public:
    enum Event { NeedMore, NewHeader, NewFrame };

    // Pulls bytes out of `input` until one header or picture is complete.
    // NeedMore: everything available was taken (a partial unit stays here).
    // NewHeader: Params() is the new stream's. NewFrame: Frame() is valid until
    // the next call.
    Event Next(CByteRing& input);
    void Reset();

    bool HasParams() const { return m_haveParams; }
    const streamfmt::StreamParams& Params() const { return m_params; }
    const streamfmt::FrameInfo& Frame() const { return m_frame; }
    // Bytes held back for another scan after a rejected unit.
    size_t Rescan() const { return m_rescan.size() - m_rescanPos; }
    // Bytes of a header or picture still waiting for the rest.
    size_t Partial() const { return m_unit.size(); }
    // Bytes skipped because they started no header or picture.
    uint64_t Skipped() const { return m_skipped; }

private:
    size_t UnitLength() const;
    bool StartsUnit() const;
    size_t Pull(CByteRing& input, size_t wanted);
    Event Complete();
    void Reject();

    streamfmt::StreamParser m_parser;
    streamfmt::StreamParams m_params;
    streamfmt::FrameInfo m_frame;
    bool m_haveParams = false;
    std::vector<uint8_t> m_header;  // the current stream's header bytes
    std::vector<uint8_t> m_unit;    // the header or picture being assembled
    std::vector<uint8_t> m_rescan;  // bytes to scan again before the input
    size_t m_rescanPos = 0;
    uint64_t m_skipped = 0;
};
