#include "CFrameAssembler.h"

#include <algorithm>
#include <cstring>

using namespace streamfmt;

namespace {
const size_t kMagicSize = 4;
const char kHeaderMagic[] = "QVST";
const char kFrameMagic[] = "QVFR";
}  // namespace

void CFrameAssembler::Reset() {
    m_parser.Reset();
    m_params = StreamParams();
    m_frame = FrameInfo();
    m_haveParams = false;
    m_header.clear();
    m_unit.clear();
    m_rescan.clear();
    m_rescanPos = 0;
    m_skipped = 0;
}

size_t CFrameAssembler::UnitLength() const {
    if (m_unit.size() < kMagicSize) return kMagicSize;
    if (memcmp(m_unit.data(), kHeaderMagic, kMagicSize) == 0) return kStreamHeaderSize;
    return FrameSize(m_params);
}

bool CFrameAssembler::StartsUnit() const {
    if (memcmp(m_unit.data(), kHeaderMagic, kMagicSize) == 0) return true;
    return m_haveParams && memcmp(m_unit.data(), kFrameMagic, kMagicSize) == 0;
}

size_t CFrameAssembler::Pull(CByteRing& input, size_t wanted) {
    size_t start = m_unit.size();
    size_t fromRescan = std::min(wanted, Rescan());
    if (fromRescan) {
        m_unit.insert(m_unit.end(), m_rescan.begin() + static_cast<std::ptrdiff_t>(m_rescanPos),
                      m_rescan.begin() + static_cast<std::ptrdiff_t>(m_rescanPos + fromRescan));
        m_rescanPos += fromRescan;
    }
    size_t fromInput = std::min(wanted - fromRescan, input.Size());
    if (fromInput) {
        m_unit.resize(m_unit.size() + fromInput);
        input.Pop(&m_unit[m_unit.size() - fromInput], fromInput);
    }
    return m_unit.size() - start;
}

CFrameAssembler::Event CFrameAssembler::Next(CByteRing& input) {
    for (;;) {
        size_t length = UnitLength();
        if (m_unit.size() < length) {
            Pull(input, length - m_unit.size());
            if (m_unit.size() < length) return NeedMore;
        }
        if (length == kMagicSize) {
            if (!StartsUnit()) Reject();
            continue;
        }
        Event e = Complete();
        if (e != NeedMore) return e;
    }
}

// Returns NeedMore after rejecting the unit, so that Next scans on.
CFrameAssembler::Event CFrameAssembler::Complete() {
    if (memcmp(m_unit.data(), kHeaderMagic, kMagicSize) == 0) {
        StreamParams streamParams;
        if (!ParseStreamHeader(m_unit.data(), m_unit.size(), streamParams)) {
            Reject();
            return NeedMore;
        }
        m_params = streamParams;
        m_haveParams = true;
        m_header = m_unit;
        m_parser.Reset();
        m_parser.Feed(m_header.data(), m_header.size());
        m_parser.Next();
        m_unit.clear();
        return NewHeader;
    }
    m_parser.Feed(m_unit.data(), m_unit.size());
    if (m_parser.Next() != StreamParser::Frame) {
        // The parser stays failed until reset; give it the header again.
        m_parser.Reset();
        m_parser.Feed(m_header.data(), m_header.size());
        m_parser.Next();
        Reject();
        return NeedMore;
    }
    m_frame = m_parser.CurrentFrame();
    m_unit.clear();
    return NewFrame;
}

// Drops the unit's first byte and scans the rest again, so a real header or
// picture that starts inside a damaged one is still found. The bytes go back
// in front of the rescan bytes, mostly into the room they were pulled from,
// so skipping through a damaged stretch stays linear.
void CFrameAssembler::Reject() {
    ++m_skipped;
    size_t back = m_unit.size() - 1;
    if (m_rescanPos >= back) {
        m_rescanPos -= back;
        if (back) memcpy(&m_rescan[m_rescanPos], m_unit.data() + 1, back);
    } else {
        std::vector<uint8_t> rest(m_unit.begin() + 1, m_unit.end());
        rest.insert(rest.end(), m_rescan.begin() + static_cast<std::ptrdiff_t>(m_rescanPos), m_rescan.end());
        m_rescan.swap(rest);
        m_rescanPos = 0;
    }
    m_unit.clear();
}
