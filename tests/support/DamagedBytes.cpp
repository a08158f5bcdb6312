#include "DamagedBytes.h"

#include <windows.h>

#include "TempDir.h"

std::string PseudoRandomBytes(size_t count, unsigned seed) {
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    return bytes;
}

std::string DamagePageHolding(std::string bytes, const std::string& marker) {
    const size_t at = bytes.find(marker);
    if (at == std::string::npos || bytes.size() < 100) return std::string();
    // The page size is the big-endian number at offset 16 of the header; 1 means 65536.
    size_t pageSize = (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
    if (pageSize == 1) pageSize = 65536;
    const size_t page = at / pageSize * pageSize;
    for (size_t i = page; i < page + pageSize && i < bytes.size(); ++i) bytes[i] = 0x5A;
    return bytes;
}

std::string DamagePageInPlace(const std::wstring& path, const std::string& marker) {
    const std::string bytes = ReadWholeFile(path);
    const std::string damaged = DamagePageHolding(bytes, marker);
    if (damaged.empty()) return damaged;
    size_t first = 0;
    while (bytes[first] == damaged[first]) ++first;
    size_t end = damaged.size();
    while (bytes[end - 1] == damaged[end - 1]) --end;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(first);
    DWORD written = 0;
    const BOOL ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                    WriteFile(file, damaged.data() + first, static_cast<DWORD>(end - first), &written, nullptr) &&
                    written == end - first;
    CloseHandle(file);
    return ok ? damaged : std::string();
}
