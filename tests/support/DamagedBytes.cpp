#include "DamagedBytes.h"

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
