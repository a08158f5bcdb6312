#include "AviFileReader.h"

#include <cstring>

namespace {

uint32_t U32(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8) |
           (static_cast<uint8_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
}
uint16_t U16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}
bool Is(const std::string& b, size_t at, const char* fourcc) { return b.compare(at, 4, fourcc) == 0; }

struct Walker {
    const std::string& b;
    std::string& error;
    bool Fail(const std::string& why) {
        error = why;
        return false;
    }
};

}  // namespace

bool ReadAviFile(const std::string& b, AviContents& out, std::string& error) {
    Walker w{b, error};
    if (b.size() < 12 || !Is(b, 0, "RIFF") || !Is(b, 8, "AVI ")) return w.Fail("not RIFF AVI");
    if (U32(b, 4) + 8 != b.size()) return w.Fail("RIFF size does not match the file");
    size_t moviData = 0, moviEnd = 0;
    bool haveHdrl = false, haveIdx = false;
    size_t idxAt = 0, idxSize = 0;
    for (size_t at = 12; at < b.size();) {
        if (at + 8 > b.size()) return w.Fail("truncated chunk header");
        uint32_t size = U32(b, at + 4);
        if (at + 8 + size > b.size()) return w.Fail("chunk beyond the file at " + std::to_string(at));
        if (Is(b, at, "LIST") && Is(b, at + 8, "hdrl")) {
            haveHdrl = true;
            size_t end = at + 8 + size;
            for (size_t h = at + 12; h < end;) {
                uint32_t hs = U32(b, h + 4);
                if (h + 8 + hs > end) return w.Fail("hdrl chunk overruns its list");
                if (Is(b, h, "avih")) {
                    out.totalFrames = U32(b, h + 8 + 16);
                    out.width = U32(b, h + 8 + 32);
                    out.height = U32(b, h + 8 + 36);
                } else if (Is(b, h, "LIST") && Is(b, h + 8, "strl")) {
                    size_t send = h + 8 + hs;
                    for (size_t s = h + 12; s < send;) {
                        uint32_t ss = U32(b, s + 4);
                        if (s + 8 + ss > send) return w.Fail("strl chunk overruns its list");
                        if (Is(b, s, "strh")) {
                            if (!Is(b, s + 8, "vids")) return w.Fail("stream is not video");
                            out.handler = b.substr(s + 12, 4);
                            out.scale = U32(b, s + 8 + 20);
                            out.rate = U32(b, s + 8 + 24);
                            out.length = U32(b, s + 8 + 32);
                        } else if (Is(b, s, "strf")) {
                            out.dibWidth = static_cast<int32_t>(U32(b, s + 12));
                            out.dibHeight = static_cast<int32_t>(U32(b, s + 16));
                            out.bitCount = U16(b, s + 22);
                            uint32_t colors = U32(b, s + 40);
                            if (40 + colors * 4 > ss) return w.Fail("palette overruns strf");
                            for (uint32_t i = 0; i < colors; ++i) {
                                size_t c = s + 8 + 40 + i * 4;
                                out.palette.push_back(static_cast<uint8_t>(b[c]) |
                                                      (static_cast<uint8_t>(b[c + 1]) << 8) |
                                                      (static_cast<uint32_t>(static_cast<uint8_t>(b[c + 2])) << 16));
                            }
                        }
                        s += 8 + ss + (ss & 1);
                    }
                }
                h += 8 + hs + (hs & 1);
            }
        } else if (Is(b, at, "LIST") && Is(b, at + 8, "movi")) {
            moviData = at + 8;  // offsets in idx1 count from the "movi" fourcc
            moviEnd = at + 8 + size;
            for (size_t m = at + 12; m < moviEnd;) {
                uint32_t ms = U32(b, m + 4);
                if (m + 8 + ms > moviEnd) return w.Fail("movi chunk overruns its list");
                if (Is(b, m, "00db"))
                    out.movieFrames.push_back(std::vector<uint8_t>(b.begin() + m + 8, b.begin() + m + 8 + ms));
                m += 8 + ms + (ms & 1);
            }
        } else if (Is(b, at, "idx1")) {
            haveIdx = true;
            idxAt = at + 8;
            idxSize = size;
        }
        at += 8 + size + (size & 1);
    }
    if (!haveHdrl) return w.Fail("no hdrl list");
    if (!moviData) return w.Fail("no movi list");
    if (!haveIdx) return w.Fail("no idx1 index");
    if (idxSize % 16) return w.Fail("idx1 size is not whole entries");
    for (size_t e = idxAt; e < idxAt + idxSize; e += 16) {
        size_t chunk = moviData + U32(b, e + 8);
        uint32_t size = U32(b, e + 12);
        if (chunk + 8 + size > moviEnd) return w.Fail("index entry outside movi");
        if (b.compare(chunk, 4, b, e, 4) != 0) return w.Fail("index entry does not point at its chunk");
        if (U32(b, chunk + 4) != size) return w.Fail("index size differs from the chunk's");
        out.indexFrames.push_back(std::vector<uint8_t>(b.begin() + chunk + 8, b.begin() + chunk + 8 + size));
    }
    return true;
}

bool ReadBmpFile(const std::string& b, BmpContents& out, std::string& error) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
        error = "not a BMP";
        return false;
    }
    if (U32(b, 2) != b.size()) {
        error = "BMP size field does not match the file";
        return false;
    }
    uint32_t offBits = U32(b, 10);
    out.width = static_cast<int32_t>(U32(b, 18));
    out.height = static_cast<int32_t>(U32(b, 22));
    out.bitCount = U16(b, 28);
    if (out.bitCount != 24 || out.width <= 0 || out.height <= 0) {
        error = "not a bottom-up 24-bit BMP";
        return false;
    }
    size_t stride = (static_cast<size_t>(out.width) * 3 + 3) & ~static_cast<size_t>(3);
    if (offBits + stride * out.height > b.size()) {
        error = "pixels beyond the file";
        return false;
    }
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (int32_t y = 0; y < out.height; ++y)
        for (int32_t x = 0; x < out.width; ++x) {
            size_t p = offBits + (out.height - 1 - y) * stride + x * 3;
            out.pixels[y * out.width + x] = static_cast<uint8_t>(b[p]) | (static_cast<uint8_t>(b[p + 1]) << 8) |
                                            (static_cast<uint32_t>(static_cast<uint8_t>(b[p + 2])) << 16);
        }
    return true;
}
