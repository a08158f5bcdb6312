// An independent reader of RIFF AVI files for the tests: walks the chunks the
// way a player does and checks every size against the file, so a writer's
// mistake in any header, list size or index entry shows up as a failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AviContents {
    uint32_t totalFrames = 0;        // avih
    uint32_t width = 0, height = 0;  // avih
    uint32_t rate = 0, scale = 0;    // strh
    uint32_t length = 0;             // strh
    std::string handler;             // strh fccHandler
    uint16_t bitCount = 0;           // strf
    int32_t dibWidth = 0, dibHeight = 0;
    std::vector<uint32_t> palette;                  // strf, 0x00RRGGBB
    std::vector<std::vector<uint8_t>> movieFrames;  // "00db" chunks in movi order
    std::vector<std::vector<uint8_t>> indexFrames;  // the same, found through idx1
};

// Parses the whole file; on failure returns false and says why in `error`.
bool ReadAviFile(const std::string& bytes, AviContents& out, std::string& error);

// A 24-bit BMP as the tests need it.
struct BmpContents {
    int32_t width = 0, height = 0;
    uint16_t bitCount = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
};
bool ReadBmpFile(const std::string& bytes, BmpContents& out, std::string& error);
