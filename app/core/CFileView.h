// CFileView: a whole file mapped read-only into memory.
//
// Reading a file of megabytes into a buffer of its own makes the system hand
// out and clear fresh pages for all of it, page by page; a mapped view takes
// the pages the system already holds for the file, several at a time. On the
// virtual machines the program is tested on that is the larger part of
// loading a schedule file of a large installation.
#pragma once

#include <afx.h>

#include <cstddef>

class CFileView {
public:
    CFileView() = default;
    ~CFileView();
    CFileView(const CFileView&) = delete;
    CFileView& operator=(const CFileView&) = delete;

    // Maps the whole file. False when it cannot be opened or mapped, or is
    // empty (nothing is mapped then).
    bool Open(const CString& path);
    const char* Data() const { return m_data; }
    size_t Size() const { return m_size; }
    // 3 when the file starts with a UTF-8 byte-order mark, else 0.
    size_t Utf8BomSize() const;

private:
    void Close();

    const char* m_data = nullptr;
    size_t m_size = 0;
};
