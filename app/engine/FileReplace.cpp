#include "app/engine/FileReplace.h"

#include <windows.h>

int WriteFileReplacing(const CString& path, const void* data, size_t length) {
    CString temporary;
    temporary.Format(L"%s.%lu.tmp", path.GetString(), GetCurrentThreadId());
    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    const char* bytes = static_cast<const char*>(data);
    bool written = true;
    while (length > 0 && written) {
        const DWORD chunk = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length);
        DWORD done = 0;
        written = WriteFile(file, bytes, chunk, &done, nullptr) && done == chunk;
        bytes += chunk;
        length -= chunk;
    }
    written = FlushFileBuffers(file) && written;
    CloseHandle(file);
    if (!written) {
        DeleteFileW(temporary);
        return -1;
    }
    if (!MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary);
        return -2;
    }
    return 0;
}
