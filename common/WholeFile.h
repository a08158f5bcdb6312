// Whole-file reads and the safe whole-file replace, for every binary.
#pragma once

#include <windows.h>

#include <stddef.h>

#include <string>

#include "common/UniqueHandle.h"

// Reads the whole file into bytes (replacing them). False when it does not
// open or a read fails. Wide path: user folders may hold characters the ANSI
// code page lacks. Others may keep the file open for reading or writing.
inline bool ReadFileBytes(const wchar_t* path, std::string& bytes) {
    CUniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    // Sized from the length the file has now and read in few large reads: a
    // schedule file of a large installation is megabytes, and every read is
    // a trip through the system (under Wine through its server).
    LARGE_INTEGER length = {};
    const LONGLONG kMaxBytes = 1LL << 30;  // far beyond any file read whole here
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart < 0 || length.QuadPart > kMaxBytes) return false;
    bytes.resize(static_cast<size_t>(length.QuadPart));
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) bytes.resize(filled + 16384);  // the file may grow meanwhile
        DWORD got = 0;
        if (!ReadFile(file.Get(), &bytes[filled], static_cast<DWORD>(bytes.size() - filled), &got, nullptr)) {
            bytes.clear();
            return false;
        }
        if (got == 0) break;
        filled += got;
    }
    bytes.resize(filled);
    return true;
}

// Drops a leading UTF-8 byte-order mark; true when there was one.
inline bool StripUtf8Bom(std::string& text) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") != 0) return false;
    text.erase(0, 3);
    return true;
}

// Rewrites a whole file so that a reader never sees half of it: the bytes go
// to a temporary file beside the target, are flushed to disk, and the
// temporary file then replaces the target. Returns 0 once the target holds
// exactly the bytes; -1 when the temporary file cannot be created or written
// (the target is untouched); -2 when the replace fails (the temporary file is
// removed, the target is untouched); -3 when the target is read-only (nothing
// is written: Windows refuses to replace such a file, and so did the in-place
// writes these files once had; Wine's MoveFileEx would replace it).
inline int ReplaceFileContents(const wchar_t* path, const void* data, size_t length) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return -3;
    std::wstring temporary = std::wstring(path) + L"." + std::to_wstring(GetCurrentThreadId()) + L".tmp";
    bool written;
    {
        CUniqueFile file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return -1;
        const char* bytes = static_cast<const char*>(data);
        written = true;
        while (length > 0 && written) {
            const DWORD chunk = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length);
            DWORD done = 0;
            written = WriteFile(file.Get(), bytes, chunk, &done, nullptr) && done == chunk;
            bytes += chunk;
            length -= chunk;
        }
        written = FlushFileBuffers(file.Get()) && written;
    }
    if (!written) {
        DeleteFileW(temporary.c_str());
        return -1;
    }
    if (!MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return -2;
    }
    return 0;
}
