// CLocalReplay: one local record file opened as a stream source. The
// playback service's pump reads it block by block and advances the position
// only by what its sink took, so a refused block is read again.
#pragma once

#include <afx.h>

#include <stdint.h>

#include "common/UniqueHandle.h"

class CLocalReplay {
public:
    CLocalReplay() = default;
    virtual ~CLocalReplay();
    CLocalReplay(const CLocalReplay&) = delete;
    CLocalReplay& operator=(const CLocalReplay&) = delete;

    // Closes any open file and opens path read-only (others may read, not
    // write). Returns 0 and keeps the length and the path; -1 when the file
    // cannot be opened or its length read. The read position is kept.
    int Open(const CString& path);
    // Reads up to *n bytes at the read position without moving it. Returns 0
    // with *n = bytes read when at least one was read; -1 with no buffer, no
    // open file, at the end of the file or on a read error.
    int Read(uint8_t* buffer, int* n);
    // Moves the read position by n bytes (a signed count); returns 0.
    int Advance(int n);
    // Closes the file when one is open; returns 0.
    int Close();

    void SetPosition(uint64_t position) { m_position = position; }
    uint64_t Position() const { return m_position; }
    uint64_t Length() const { return m_length; }
    const CString& Path() const { return m_path; }

private:
    uint64_t m_length = 0;
    uint64_t m_position = 0;
    CUniqueFile m_file;
    CString m_path;
};
