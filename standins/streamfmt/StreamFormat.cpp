#include "StreamFormat.h"

#include <algorithm>
#include <cstring>

#include "StreamBytes.h"

namespace streamfmt {

using namespace bytes;

namespace {

int64_t FrameTimestampMs(const StreamParams& streamParams, uint32_t index) {
    uint16_t fps = streamParams.fps ? streamParams.fps : 1;
    return streamParams.beginTime * 1000 + static_cast<int64_t>(index) * 1000 / fps;
}

}  // namespace

uint64_t FrameCount(const StreamParams& streamParams) {
    if (streamParams.endTime <= streamParams.beginTime) return 0;
    return static_cast<uint64_t>(streamParams.endTime - streamParams.beginTime) *
           (streamParams.fps ? streamParams.fps : 1);
}

size_t FrameSize(const StreamParams& streamParams) {
    return kFrameHeaderSize + static_cast<size_t>(streamParams.width) * streamParams.height;
}

uint64_t StreamLength(const StreamParams& streamParams) {
    return kStreamHeaderSize + FrameCount(streamParams) * FrameSize(streamParams);
}

void AppendStreamHeader(const StreamParams& streamParams, std::vector<uint8_t>& out) {
    out.insert(out.end(), {'Q', 'V', 'S', 'T'});
    AppendLe16(out, kVersion);
    AppendLe16(out, streamParams.fps);
    AppendLe16(out, streamParams.width);
    AppendLe16(out, streamParams.height);
    AppendLe32(out, streamParams.channel);
    PutI64(out, streamParams.beginTime);
    PutI64(out, streamParams.endTime);
}

void AppendFrame(const StreamParams& streamParams, uint32_t index, std::vector<uint8_t>& out) {
    size_t pixels = static_cast<size_t>(streamParams.width) * streamParams.height;
    int64_t ts = FrameTimestampMs(streamParams, index);
    size_t start = out.size();
    out.insert(out.end(), {'Q', 'V', 'F', 'R'});
    AppendLe32(out, index);
    PutI64(out, ts);
    AppendLe32(out, static_cast<uint32_t>(pixels));
    AppendLe32(out, 0);  // checksum, filled below
    out.resize(start + kFrameHeaderSize + pixels);
    uint8_t* payload = &out[start + kFrameHeaderSize];
    RenderPicture(streamParams.channel, ts, streamParams.width, streamParams.height, payload);
    uint32_t sum = Checksum(payload, pixels);
    for (int i = 0; i < 4; ++i) out[start + 20 + i] = static_cast<uint8_t>(sum >> (8 * i));
}

std::vector<uint8_t> BuildStream(const StreamParams& streamParams) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(StreamLength(streamParams)));
    AppendStreamHeader(streamParams, out);
    uint64_t n = FrameCount(streamParams);
    for (uint64_t i = 0; i < n; ++i) AppendFrame(streamParams, static_cast<uint32_t>(i), out);
    return out;
}

size_t ReadStreamBytes(const StreamParams& streamParams, uint64_t offset, uint8_t* out, size_t length) {
    uint64_t total = StreamLength(streamParams);
    if (offset >= total || length == 0) return 0;
    if (length > total - offset) length = static_cast<size_t>(total - offset);
    size_t copied = 0;
    std::vector<uint8_t> piece;
    while (copied < length) {
        uint64_t pos = offset + copied;
        piece.clear();
        uint64_t pieceStart;
        if (pos < kStreamHeaderSize) {
            AppendStreamHeader(streamParams, piece);
            pieceStart = 0;
        } else {
            uint64_t frame = (pos - kStreamHeaderSize) / FrameSize(streamParams);
            AppendFrame(streamParams, static_cast<uint32_t>(frame), piece);
            pieceStart = kStreamHeaderSize + frame * FrameSize(streamParams);
        }
        size_t from = static_cast<size_t>(pos - pieceStart);
        size_t n = std::min(piece.size() - from, length - copied);
        memcpy(out + copied, piece.data() + from, n);
        copied += n;
    }
    return copied;
}

void RenderPicture(uint32_t channel, int64_t timestampMs, uint16_t width, uint16_t height, uint8_t* pixels) {
    if (!width || !height) return;
    int64_t seconds = timestampMs / 1000;
    uint8_t background = static_cast<uint8_t>(16 + (channel % 16) * 8);
    memset(pixels, background, static_cast<size_t>(width) * height);
    // A vertical bar that walks across the picture, one column a second.
    uint16_t barX = static_cast<uint16_t>(seconds % width);
    for (uint16_t y = 0; y < height; ++y) pixels[y * width + barX] = 255;
    // Six blocks along the bottom: the second of the minute in binary.
    int second = static_cast<int>(((seconds % 60) + 60) % 60);
    uint16_t block = static_cast<uint16_t>(std::max(1, width / 8));
    uint16_t top = static_cast<uint16_t>(height > 4 ? height - 4 : 0);
    for (int bit = 0; bit < 6; ++bit) {
        uint8_t shade = (second >> bit) & 1 ? 250 : 1;
        for (uint16_t y = top; y < height; ++y)
            for (uint16_t x = static_cast<uint16_t>(bit * block); x < (bit + 1) * block && x < width; ++x)
                pixels[y * width + x] = shade;
    }
}

uint32_t PaletteColor(uint8_t index) {
    // Greys, with two marker colours: 255 bright red (the bar), 250 green (set bits).
    if (index == 255) return 0xFF0000;
    if (index == 250) return 0x00FF00;
    return (static_cast<uint32_t>(index) << 16) | (static_cast<uint32_t>(index) << 8) | index;
}

uint32_t Checksum(const uint8_t* data, size_t length) {
    // FNV-1a: cheap and enough to tell a damaged frame from a good one.
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        h ^= data[i];
        h *= 16777619u;
    }
    return h;
}

bool ParseStreamHeader(const uint8_t* data, size_t length, StreamParams& streamParams) {
    if (!data || length < kStreamHeaderSize || memcmp(data, "QVST", 4) != 0) return false;
    if (ReadLe16(data + 4) != kVersion) return false;
    StreamParams s;
    s.fps = ReadLe16(data + 6);
    s.width = ReadLe16(data + 8);
    s.height = ReadLe16(data + 10);
    s.channel = ReadLe32(data + 12);
    s.beginTime = GetI64(data + 16);
    s.endTime = GetI64(data + 24);
    if (s.fps == 0 || s.width == 0 || s.height == 0) return false;
    if (static_cast<uint32_t>(s.width) * s.height > kMaxPicturePixels) return false;
    streamParams = s;
    return true;
}

}  // namespace streamfmt
