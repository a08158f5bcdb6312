// Writes pictures of the recording into a RIFF AVI file: one video stream of
// uncompressed 8-bit palette DIB frames (the stream's own palette), with an
// idx1 index, readable by any AVI reader. The headers are written with the
// first picture and completed by Finish.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/UniqueHandle.h"

#include "StreamFormat.h"

class CAviWriter {
public:
    CAviWriter() = default;
    ~CAviWriter();
    CAviWriter(const CAviWriter&) = delete;
    CAviWriter& operator=(const CAviWriter&) = delete;

    // Creates (or empties) the file; false when it cannot be created.
    bool Create(const char* path);
    bool IsOpen() const { return m_file.IsValid(); }
    // Picture size and rate of the file; only the first call counts.
    void SetFormat(uint16_t width, uint16_t height, uint16_t fps);
    // Appends one picture, scaled to the file's size when it differs. False
    // when no format is set, the file has reached the size a RIFF AVI can
    // hold, or a write failed; the file keeps every picture written before.
    bool AddFrame(const streamfmt::FrameInfo& frame);
    // Writes the index, completes the headers and closes the file. True when
    // the file is complete.
    bool Finish();
    // Closes without completing (the file is left as it is).
    void Abandon();

    uint32_t Frames() const { return static_cast<uint32_t>(m_index.size()); }

    // Largest file this writer produces: RIFF sizes are 32-bit and readers
    // commonly treat them as signed.
    static const uint64_t kMaxFileBytes = 0x7F000000;

private:
    struct IndexEntry {
        uint32_t offset;  // from the "movi" fourcc
        uint32_t size;
    };
    std::vector<uint8_t> BuildHeaders() const;
    bool WriteAt(uint64_t offset, const std::vector<uint8_t>& bytes);
    bool Append(const std::vector<uint8_t>& bytes);
    uint32_t FrameBytes() const;

    CUniqueFile m_file;
    bool m_failed = false;
    bool m_headersWritten = false;
    uint16_t m_width = 0, m_height = 0, m_fps = 0;
    uint64_t m_end = 0;  // bytes written so far
    std::vector<IndexEntry> m_index;
    std::vector<uint8_t> m_chunk;  // reused per picture
};
