// Little-endian field access for the stream format's writer and parser: the
// tree's one set (common/LittleEndian.h) and the signed 64-bit times.
#pragma once

#include <cstdint>
#include <vector>

#include "common/LittleEndian.h"

namespace streamfmt {
namespace bytes {

inline void PutI64(std::vector<uint8_t>& out, int64_t v) { AppendLe64(out, static_cast<uint64_t>(v)); }
inline int64_t GetI64(const uint8_t* p) { return static_cast<int64_t>(ReadLe64(p)); }

}  // namespace bytes
}  // namespace streamfmt
