#include "app/engine/CLocalReplay.h"

CLocalReplay::~CLocalReplay() { Close(); }

int CLocalReplay::Open(const CString& path) {
    Close();
    CUniqueFile file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return -1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return -1;
    m_file = std::move(file);
    m_length = static_cast<uint64_t>(size.QuadPart);
    m_path = path;
    return 0;
}

int CLocalReplay::Read(uint8_t* buffer, int* n) {
    if (!buffer || !n || *n <= 0 || !m_file) return -1;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(m_position);
    if (!SetFilePointerEx(m_file.Get(), offset, nullptr, FILE_BEGIN)) return -1;
    DWORD read = 0;
    if (!ReadFile(m_file.Get(), buffer, static_cast<DWORD>(*n), &read, nullptr) || read == 0) return -1;
    *n = static_cast<int>(read);
    return 0;
}

int CLocalReplay::Advance(int n) {
    m_position += static_cast<int64_t>(n);
    return 0;
}

int CLocalReplay::Close() {
    m_file.Reset();
    return 0;
}
