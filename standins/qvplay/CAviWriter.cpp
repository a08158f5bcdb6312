#include "CAviWriter.h"

#include "common/LittleEndian.h"

#include <cstring>

using namespace streamfmt;

namespace {

const uint32_t kAvifHasIndex = 0x10;
const uint32_t kAviifKeyframe = 0x10;
const uint32_t kPaletteEntries = 256;
const uint32_t kBitmapInfoSize = 40;
// RIFF/AVI header, hdrl list, avih, strl list, strh and strf with the palette,
// then the movi list header: fixed, so offsets never move.
const uint32_t kStrfSize = kBitmapInfoSize + kPaletteEntries * 4;
const uint32_t kStrlSize = 4 + (8 + 56) + (8 + kStrfSize);
const uint32_t kHdrlSize = 4 + (8 + 56) + (8 + kStrlSize);
const uint32_t kMoviListOffset = 12 + 8 + kHdrlSize;  // the movi LIST chunk
const uint32_t kMoviFourccOffset = kMoviListOffset + 8;
const uint32_t kHeadersSize = kMoviFourccOffset + 4;

void PutFourcc(std::vector<uint8_t>& out, const char* f) { out.insert(out.end(), f, f + 4); }

}  // namespace

CAviWriter::~CAviWriter() { Abandon(); }

bool CAviWriter::Create(const char* path) {
    Abandon();
    if (!path || !*path) return false;
    m_file.Reset(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) return false;
    m_failed = false;
    m_headersWritten = false;
    m_width = m_height = m_fps = 0;
    m_end = 0;
    m_index.clear();
    return true;
}

void CAviWriter::SetFormat(uint16_t width, uint16_t height, uint16_t fps) {
    if (m_width) return;
    m_width = width;
    m_height = height;
    m_fps = fps ? fps : 1;
}

uint32_t CAviWriter::FrameBytes() const {
    uint32_t stride = (static_cast<uint32_t>(m_width) + 3) & ~3u;
    return stride * m_height;
}

bool CAviWriter::AddFrame(const FrameInfo& frame) {
    if (!IsOpen() || m_failed || !m_width || !frame.pixels || !frame.width || !frame.height) return false;
    uint32_t bytes = FrameBytes();
    uint64_t indexBytes = 8 + (m_index.size() + 1) * 16;
    if (kHeadersSize + m_end + 8 + bytes + indexBytes > kMaxFileBytes) return false;
    if (!m_headersWritten) {
        if (!WriteAt(0, BuildHeaders())) return false;
        m_end = kHeadersSize;
        m_headersWritten = true;
    }
    m_chunk.clear();
    PutFourcc(m_chunk, "00db");
    AppendLe32(m_chunk, bytes);
    size_t data = m_chunk.size();
    m_chunk.resize(data + bytes, 0);
    uint32_t stride = (static_cast<uint32_t>(m_width) + 3) & ~3u;
    // DIB rows run bottom to top; a picture of another size is sampled to ours.
    for (uint32_t y = 0; y < m_height; ++y) {
        uint8_t* row = &m_chunk[data + (m_height - 1 - y) * stride];
        uint32_t sy = y * frame.height / m_height;
        const uint8_t* src = frame.pixels + static_cast<size_t>(sy) * frame.width;
        if (frame.width == m_width) {
            memcpy(row, src, m_width);
        } else {
            for (uint32_t x = 0; x < m_width; ++x) row[x] = src[x * frame.width / m_width];
        }
    }
    uint32_t offset = static_cast<uint32_t>(m_end - kMoviFourccOffset);
    if (!Append(m_chunk)) return false;
    m_index.push_back({offset, bytes});
    return true;
}

bool CAviWriter::Finish() {
    if (!IsOpen()) return false;
    if (!m_headersWritten) m_end = kHeadersSize;
    std::vector<uint8_t> idx;
    PutFourcc(idx, "idx1");
    AppendLe32(idx, static_cast<uint32_t>(m_index.size() * 16));
    for (const IndexEntry& e : m_index) {
        PutFourcc(idx, "00db");
        AppendLe32(idx, kAviifKeyframe);
        AppendLe32(idx, e.offset);
        AppendLe32(idx, e.size);
    }
    // A failed write left the file at its last good picture (see Append).
    bool ok = WriteAt(0, BuildHeaders()) && WriteAt(m_end, idx);
    if (ok) {
        m_end += idx.size();
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(m_end);
        ok = SetFilePointerEx(m_file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(m_file.Get());
    }
    // A failed close fails the file like a failed write, so the close is
    // checked here rather than left to the owner.
    ok = CloseHandle(m_file.Release()) && ok;
    return ok;
}

void CAviWriter::Abandon() { m_file.Reset(); }

bool CAviWriter::WriteAt(uint64_t offset, const std::vector<uint8_t>& bytes) {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(m_file.Get(), pos, nullptr, FILE_BEGIN)) return false;
    DWORD written = 0;
    return WriteFile(m_file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool CAviWriter::Append(const std::vector<uint8_t>& bytes) {
    if (WriteAt(m_end, bytes)) {
        m_end += bytes.size();
        return true;
    }
    // Cut a partly written chunk off, so the file ends at its last whole picture.
    m_failed = true;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(m_end);
    if (SetFilePointerEx(m_file.Get(), end, nullptr, FILE_BEGIN)) SetEndOfFile(m_file.Get());
    return false;
}

std::vector<uint8_t> CAviWriter::BuildHeaders() const {
    uint32_t frames = Frames();
    uint32_t fps = m_fps ? m_fps : 1;
    uint32_t frameBytes = FrameBytes();
    uint32_t moviSize = static_cast<uint32_t>(m_end - kMoviFourccOffset);  // with the "movi" fourcc
    uint32_t riffSize = static_cast<uint32_t>(m_end + 8 + frames * 16 - 8);
    std::vector<uint8_t> h;
    h.reserve(kHeadersSize);
    PutFourcc(h, "RIFF");
    AppendLe32(h, riffSize);
    PutFourcc(h, "AVI ");
    PutFourcc(h, "LIST");
    AppendLe32(h, kHdrlSize);
    PutFourcc(h, "hdrl");
    PutFourcc(h, "avih");
    AppendLe32(h, 56);
    AppendLe32(h, 1000000 / fps);           // microseconds per frame
    AppendLe32(h, (frameBytes + 8) * fps);  // max bytes per second
    AppendLe32(h, 0);                       // padding granularity
    AppendLe32(h, kAvifHasIndex);
    AppendLe32(h, frames);
    AppendLe32(h, 0);               // initial frames
    AppendLe32(h, 1);               // streams
    AppendLe32(h, frameBytes + 8);  // suggested buffer size
    AppendLe32(h, m_width);
    AppendLe32(h, m_height);
    for (int i = 0; i < 4; ++i) AppendLe32(h, 0);
    PutFourcc(h, "LIST");
    AppendLe32(h, kStrlSize);
    PutFourcc(h, "strl");
    PutFourcc(h, "strh");
    AppendLe32(h, 56);
    PutFourcc(h, "vids");
    PutFourcc(h, "DIB ");
    AppendLe32(h, 0);           // flags
    AppendLe16(h, 0);           // priority
    AppendLe16(h, 0);           // language
    AppendLe32(h, 0);           // initial frames
    AppendLe32(h, 1);           // scale
    AppendLe32(h, fps);         // rate: rate / scale = frames per second
    AppendLe32(h, 0);           // start
    AppendLe32(h, frames);      // length in frames
    AppendLe32(h, frameBytes);  // suggested buffer size
    AppendLe32(h, 0xFFFFFFFF);  // quality: default
    AppendLe32(h, 0);           // sample size: varies
    AppendLe16(h, 0);
    AppendLe16(h, 0);
    AppendLe16(h, m_width);
    AppendLe16(h, m_height);
    PutFourcc(h, "strf");
    AppendLe32(h, kStrfSize);
    AppendLe32(h, kBitmapInfoSize);
    AppendLe32(h, m_width);
    AppendLe32(h, m_height);  // positive: rows bottom to top
    AppendLe16(h, 1);         // planes
    AppendLe16(h, 8);         // bits per pixel
    AppendLe32(h, 0);         // BI_RGB
    AppendLe32(h, frameBytes);
    AppendLe32(h, 0);
    AppendLe32(h, 0);
    AppendLe32(h, kPaletteEntries);
    AppendLe32(h, 0);
    for (uint32_t i = 0; i < kPaletteEntries; ++i) {
        uint32_t rgb = PaletteColor(static_cast<uint8_t>(i));
        h.push_back(static_cast<uint8_t>(rgb));        // blue
        h.push_back(static_cast<uint8_t>(rgb >> 8));   // green
        h.push_back(static_cast<uint8_t>(rgb >> 16));  // red
        h.push_back(0);
    }
    PutFourcc(h, "LIST");
    AppendLe32(h, moviSize);
    PutFourcc(h, "movi");
    return h;
}
