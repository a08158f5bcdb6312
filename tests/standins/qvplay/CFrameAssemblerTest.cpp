#include "CFrameAssembler.h"

#include <gtest/gtest.h>

#include <string>

#include "CByteRing.h"

using namespace streamfmt;

namespace {

StreamParams Params(uint32_t channel, uint16_t width, uint16_t height, int seconds) {
    StreamParams s;
    s.channel = channel;
    s.beginTime = 1700000000;
    s.endTime = s.beginTime + seconds;
    s.fps = 2;
    s.width = width;
    s.height = height;
    return s;
}

// What the assembler reported, as text: "H<width>x<height>" per header and
// "F<channel>:<index>" per picture whose pixels match the recording.
std::string Decode(const std::vector<uint8_t>& bytes, size_t piece) {
    CByteRing ring;
    EXPECT_TRUE(ring.Reset(4096));
    CFrameAssembler assembler;
    std::string seen;
    size_t at = 0;
    for (;;) {
        while (at < bytes.size()) {
            size_t n = std::min(piece, bytes.size() - at);
            if (!ring.Push(&bytes[at], n)) break;
            at += n;
        }
        CFrameAssembler::Event e;
        while ((e = assembler.Next(ring)) != CFrameAssembler::NeedMore) {
            const StreamParams& streamParams = assembler.Params();
            if (e == CFrameAssembler::NewHeader) {
                seen += "H" + std::to_string(streamParams.width) + "x" + std::to_string(streamParams.height) + " ";
                continue;
            }
            const FrameInfo& f = assembler.Frame();
            std::vector<uint8_t> expected(static_cast<size_t>(f.width) * f.height);
            RenderPicture(streamParams.channel, f.timestampMs, f.width, f.height, expected.data());
            bool same = std::equal(expected.begin(), expected.end(), f.pixels);
            seen += (same ? "F" : "BAD") + std::to_string(streamParams.channel) + ":" + std::to_string(f.index) + " ";
        }
        if (at == bytes.size() && ring.Size() == 0) break;
    }
    return seen;
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(CFrameAssemblerTest, FindsEveryGoodPictureWhateverThePiecesAndTheDamage) {
    const StreamParams small = Params(1, 8, 6, 2), other = Params(2, 12, 4, 1);
    const std::vector<uint8_t> clean = BuildStream(small);
    const size_t frame = FrameSize(small);

    std::vector<uint8_t> damaged = clean;
    damaged[kStreamHeaderSize + 2 * frame + kFrameHeaderSize + 5] ^= 0x40;  // payload of picture 2
    std::vector<uint8_t> truncatedThenNew(clean.begin(), clean.end() - frame / 2);
    truncatedThenNew = Cat(truncatedThenNew, BuildStream(other));
    std::vector<uint8_t> orphanFrames(clean.begin() + kStreamHeaderSize, clean.begin() + kStreamHeaderSize + frame);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string expected;
    } cases[] = {
        {"clean", clean, "H8x6 F1:0 F1:1 F1:2 F1:3 "},
        {"zero padding after the end", Cat(clean, std::vector<uint8_t>(8192, 0)), "H8x6 F1:0 F1:1 F1:2 F1:3 "},
        {"garbage before the header", Cat(std::vector<uint8_t>{'Q', 'V', 1, 2, 'Q', 'X', 9}, clean),
         "H8x6 F1:0 F1:1 F1:2 F1:3 "},
        {"damaged picture skipped", damaged, "H8x6 F1:0 F1:1 F1:3 "},
        {"cut picture, then a new recording", truncatedThenNew, "H8x6 F1:0 F1:1 F1:2 H12x4 F2:0 F2:1 "},
        {"pictures before any header", Cat(orphanFrames, clean), "H8x6 F1:0 F1:1 F1:2 F1:3 "},
    };
    for (const Case& c : cases)
        for (size_t piece : {size_t(1), size_t(7), frame, size_t(4096)})
            EXPECT_EQ(c.expected, Decode(c.bytes, piece)) << c.name << ", pieces of " << piece;
}

TEST(CFrameAssemblerTest, ReportsPartialAndRescanBytes) {
    const StreamParams streamParams = Params(3, 8, 6, 1);
    std::vector<uint8_t> bytes = BuildStream(streamParams);
    bytes.resize(kStreamHeaderSize + 10);  // header and the start of a picture
    CByteRing ring;
    ASSERT_TRUE(ring.Reset(1024));
    ASSERT_TRUE(ring.Push(bytes.data(), bytes.size()));
    CFrameAssembler assembler;
    EXPECT_EQ(CFrameAssembler::NewHeader, assembler.Next(ring));
    EXPECT_EQ(CFrameAssembler::NeedMore, assembler.Next(ring));
    EXPECT_EQ(0u, ring.Size());
    EXPECT_EQ(10u, assembler.Partial());
    EXPECT_EQ(0u, assembler.Rescan());
}
