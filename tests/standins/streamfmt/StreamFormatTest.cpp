#include "StreamFormat.h"
#include "StreamParser.h"

#include <gtest/gtest.h>

using namespace streamfmt;

namespace {
StreamParams SmallParams() {
    StreamParams s;
    s.channel = 3;
    s.beginTime = 1700000000;
    s.endTime = 1700000005;
    s.fps = 2;
    s.width = 16;
    s.height = 8;
    return s;
}
}  // namespace

TEST(StreamFormatTest, LengthAndRandomAccessMatchTheWholeStream) {
    StreamParams streamParams = SmallParams();
    std::vector<uint8_t> all = BuildStream(streamParams);
    ASSERT_EQ(StreamLength(streamParams), all.size());
    EXPECT_EQ(10u, FrameCount(streamParams));
    const uint64_t offsets[] = {0, 1, 31, 32, 33, 100, 151, all.size() - 7};
    for (uint64_t off : offsets) {
        std::vector<uint8_t> piece(300);
        size_t n = ReadStreamBytes(streamParams, off, piece.data(), piece.size());
        ASSERT_EQ(std::min<uint64_t>(300, all.size() - off), n) << off;
        EXPECT_TRUE(std::equal(piece.begin(), piece.begin() + n, all.begin() + off)) << off;
    }
    uint8_t b;
    EXPECT_EQ(0u, ReadStreamBytes(streamParams, all.size(), &b, 1));
    streamParams.endTime = streamParams.beginTime;
    EXPECT_EQ(kStreamHeaderSize, BuildStream(streamParams).size());
}

TEST(StreamFormatTest, ParserAcceptsTheStreamSplitAtEveryOffset) {
    StreamParams streamParams = SmallParams();
    std::vector<uint8_t> all = BuildStream(streamParams);
    for (size_t cut = 0; cut <= all.size(); cut += 7) {
        StreamParser parser;
        parser.Feed(all.data(), cut);
        int frames = 0, headers = 0;
        auto drain = [&] {
            for (;;) {
                StreamParser::Event e = parser.Next();
                if (e == StreamParser::Header)
                    ++headers;
                else if (e == StreamParser::Frame) {
                    EXPECT_EQ(static_cast<uint32_t>(frames), parser.CurrentFrame().index);
                    EXPECT_EQ(streamParams.beginTime * 1000 + frames * 500, parser.CurrentFrame().timestampMs);
                    ++frames;
                } else {
                    ASSERT_EQ(StreamParser::NeedMore, e);
                    return;
                }
            }
        };
        drain();
        parser.Feed(all.data() + cut, all.size() - cut);
        drain();
        EXPECT_EQ(1, headers);
        EXPECT_EQ(10, frames);
        EXPECT_EQ(0u, parser.Buffered());
    }
}

TEST(StreamFormatTest, ParserRejectsDamage) {
    std::vector<uint8_t> all = BuildStream(SmallParams());
    struct Case {
        size_t offset;
        uint8_t value;
    } cases[] = {
        {0, 'X'},                                   // stream magic
        {8, 16},                                    // width 16 becomes 0
        {kStreamHeaderSize + 0, 'Y'},               // frame magic
        {kStreamHeaderSize + 16, 0xFF},             // payload length
        {kStreamHeaderSize + kFrameHeaderSize, 7},  // pixel: checksum no longer matches
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = all;
        bad[c.offset] ^= c.value;
        StreamParser parser;
        parser.Feed(bad.data(), bad.size());
        StreamParser::Event e;
        while ((e = parser.Next()) == StreamParser::Header || e == StreamParser::Frame) {}
        EXPECT_EQ(StreamParser::Error, e) << c.offset;
        EXPECT_EQ(StreamParser::Error, parser.Next());
    }
}

TEST(StreamFormatTest, PictureShowsTheSecond) {
    std::vector<uint8_t> a(32 * 24), b(32 * 24);
    RenderPicture(1, 61000, 32, 24, a.data());
    RenderPicture(1, 62000, 32, 24, b.data());
    EXPECT_NE(a, b);
    EXPECT_EQ(255, a[61 % 32]);  // the bar's column in the first row
    RenderPicture(1, 61000, 32, 24, b.data());
    EXPECT_EQ(a, b);
}
