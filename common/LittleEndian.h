// Little-endian field access: every wire format and file layout of the tree
// stores its integers this way, whatever the host.
#pragma once

#include <stdint.h>

#include <vector>

inline uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t ReadLe64(const uint8_t* p) {
    return static_cast<uint64_t>(ReadLe32(p)) | static_cast<uint64_t>(ReadLe32(p + 4)) << 32;
}

inline void WriteLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void WriteLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void WriteLe64(uint8_t* p, uint64_t v) {
    WriteLe32(p, static_cast<uint32_t>(v));
    WriteLe32(p + 4, static_cast<uint32_t>(v >> 32));
}

inline void AppendLe16(std::vector<uint8_t>& out, uint16_t v) {
    uint8_t b[2];
    WriteLe16(b, v);
    out.insert(out.end(), b, b + 2);
}

inline void AppendLe32(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    WriteLe32(b, v);
    out.insert(out.end(), b, b + 4);
}

inline void AppendLe64(std::vector<uint8_t>& out, uint64_t v) {
    uint8_t b[8];
    WriteLe64(b, v);
    out.insert(out.end(), b, b + 8);
}
