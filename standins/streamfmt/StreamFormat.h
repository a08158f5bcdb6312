// The synthetic recording format that the simulated recorder produces and the
// playback stand-in decodes: a stream header, then frames, each a timestamp
// and a tiny palette picture. Pure code: deterministic, so a test can compute
// the exact bytes of any file or time range without fixtures on disk.
//
// Layout (all integers little-endian):
//   stream header, 32 bytes:
//     0  "QVST"         4  version (1, u16)   6  frames per second (u16)
//     8  width (u16)    10 height (u16)       12 channel (u32)
//     16 begin time (i64, seconds, local)     24 end time (i64)
//   frame, 24 + width*height bytes:
//     0  "QVFR"         4  frame index (u32)  8  timestamp (i64, milliseconds)
//     16 payload length (u32) = width*height  20 checksum of payload (u32)
//     24 payload: one palette index per pixel, rows top to bottom
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace streamfmt {

const size_t kStreamHeaderSize = 32;
const size_t kFrameHeaderSize = 24;
const uint16_t kVersion = 1;
// Pictures larger than this are refused by the parser.
const uint32_t kMaxPicturePixels = 1024 * 1024;

struct StreamParams {
    uint32_t channel = 0;
    int64_t beginTime = 0;  // seconds
    int64_t endTime = 0;    // seconds, exclusive
    uint16_t fps = 1;
    uint16_t width = 32;
    uint16_t height = 24;
};

struct FrameInfo {
    uint32_t index = 0;
    int64_t timestampMs = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    const uint8_t* pixels = nullptr;  // width*height palette indexes
};

// Number of frames a stream holds: (end - begin) * fps, 0 when end <= begin.
uint64_t FrameCount(const StreamParams& streamParams);
size_t FrameSize(const StreamParams& streamParams);
// Total length in bytes of the stream `streamParams` describes.
uint64_t StreamLength(const StreamParams& streamParams);

void AppendStreamHeader(const StreamParams& streamParams, std::vector<uint8_t>& out);
// Appends frame number `index` (0-based) of `streamParams`.
void AppendFrame(const StreamParams& streamParams, uint32_t index, std::vector<uint8_t>& out);
std::vector<uint8_t> BuildStream(const StreamParams& streamParams);
// Copies `length` bytes of the stream of `streamParams` starting at `offset` into `out`
// (fewer at the end); returns the count copied. Builds only the frames needed.
size_t ReadStreamBytes(const StreamParams& streamParams, uint64_t offset, uint8_t* out, size_t length);

// The deterministic picture of a channel at a time: a background shade from
// the channel, a bar that moves with the seconds, and a row of blocks that
// spell the frame's second of the minute in binary.
void RenderPicture(uint32_t channel, int64_t timestampMs, uint16_t width, uint16_t height, uint8_t* pixels);
// The fixed 256-entry palette, as 0x00RRGGBB.
uint32_t PaletteColor(uint8_t index);
uint32_t Checksum(const uint8_t* data, size_t length);

bool ParseStreamHeader(const uint8_t* data, size_t length, StreamParams& streamParams);

}  // namespace streamfmt
