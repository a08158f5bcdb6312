#include "plugins/kestrin/CAutoFramer.h"

#include <gtest/gtest.h>

#include <vector>

#include "PacketBytes.h"

namespace {

const size_t kPollBuffer = 51200;

std::vector<uint8_t> Numbered(uint8_t command, size_t bodyLength) {
    std::vector<uint8_t> p = Packet(command, bodyLength);
    for (size_t i = 32; i < p.size(); ++i) p[i] = uint8_t(i * 7 + command);
    return p;
}

// Takes every whole packet out of the framer.
std::vector<std::vector<uint8_t>> Drain(CAutoFramer& framer, int* oversized = nullptr) {
    std::vector<std::vector<uint8_t>> packets;
    std::vector<uint8_t> out(kPollBuffer);
    for (;;) {
        size_t n = 0;
        CAutoFramer::NextResult r = framer.Next(out.data(), out.size(), &n);
        if (r == CAutoFramer::kNeedMore) return packets;
        if (r == CAutoFramer::kOversized) {
            if (oversized) ++*oversized;
            continue;
        }
        packets.emplace_back(out.begin(), out.begin() + n);
    }
}

void Append(CAutoFramer& framer, const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    ASSERT_EQ(CAutoFramer::kAppended, framer.Append(bytes.data() + from, to - from));
}

}  // namespace

TEST(CAutoFramerTest, StreamSplitAtEveryOffsetGivesEachPacketOnceInOrder) {
    std::vector<std::vector<uint8_t>> sent = {Numbered(0xB0, 32), Numbered(0xA1, 0), Numbered(0xBC, 1000),
                                              Numbered(0x69, 4)};
    std::vector<uint8_t> stream;
    for (const auto& p : sent) stream.insert(stream.end(), p.begin(), p.end());

    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        CAutoFramer framer;
        ASSERT_TRUE(framer.Allocate());
        Append(framer, stream, 0, cut);
        std::vector<std::vector<uint8_t>> got = Drain(framer);
        Append(framer, stream, cut, stream.size());
        std::vector<std::vector<uint8_t>> rest = Drain(framer);
        got.insert(got.end(), rest.begin(), rest.end());
        ASSERT_EQ(sent, got) << "cut at " << cut;
        EXPECT_EQ(0u, framer.Unread());
    }
}

TEST(CAutoFramerTest, PacketInPiecesArrivesAfterItsLastByte) {
    CAutoFramer framer;
    ASSERT_TRUE(framer.Allocate());
    std::vector<uint8_t> p = Numbered(0xBC, 8);
    Append(framer, p, 0, 10);
    EXPECT_TRUE(Drain(framer).empty());
    Append(framer, p, 10, 30);
    EXPECT_TRUE(Drain(framer).empty());
    Append(framer, p, 30, 40);
    EXPECT_EQ(std::vector<std::vector<uint8_t>>{p}, Drain(framer));
}

TEST(CAutoFramerTest, OversizedPacketIsSkippedExactlyAndFramingStaysInStep) {
    // 51168 body bytes are the most that fit the 51200-byte poll buffer.
    std::vector<uint8_t> largest = Numbered(0xBC, kPollBuffer - 32);
    std::vector<uint8_t> tooLarge = Numbered(0xBC, kPollBuffer - 31);
    std::vector<uint8_t> after = Numbered(0xB3, 3);
    std::vector<uint8_t> stream = largest;
    stream.insert(stream.end(), tooLarge.begin(), tooLarge.end());
    stream.insert(stream.end(), after.begin(), after.end());

    for (size_t piece : {size_t(1000), size_t(7919), stream.size()}) {
        CAutoFramer framer;
        ASSERT_TRUE(framer.Allocate());
        int oversized = 0;
        std::vector<std::vector<uint8_t>> got;
        for (size_t at = 0; at < stream.size(); at += piece) {
            Append(framer, stream, at, std::min(stream.size(), at + piece));
            std::vector<std::vector<uint8_t>> more = Drain(framer, &oversized);
            got.insert(got.end(), more.begin(), more.end());
        }
        EXPECT_EQ(1, oversized) << piece;
        EXPECT_EQ((std::vector<std::vector<uint8_t>>{largest, after}), got) << piece;
    }
}

TEST(CAutoFramerTest, HugeBodyLengthCannotWrapTheSizeCheck) {
    CAutoFramer framer;
    ASSERT_TRUE(framer.Allocate());
    std::vector<uint8_t> bogus = Packet(0xBC);
    for (uint32_t length : {0xFFFFFFFFu, 0xFFFFFFE0u, 0x80000000u}) {
        kestrin::WriteLe32(bogus.data() + 4, length);
        Append(framer, bogus, 0, bogus.size());
        int oversized = 0;
        EXPECT_TRUE(Drain(framer, &oversized).empty());
        EXPECT_EQ(1, oversized);
        // The device is dropped: reading starts afresh.
        framer.Reset();
    }
    std::vector<uint8_t> good = Numbered(0xB1, 0);
    Append(framer, good, 0, good.size());
    EXPECT_EQ(std::vector<std::vector<uint8_t>>{good}, Drain(framer));
}

TEST(CAutoFramerTest, FullBufferRefusesBytesWithoutLosingAny) {
    CAutoFramer framer;
    ASSERT_TRUE(framer.Allocate(100));
    std::vector<uint8_t> a = Numbered(0x01, 28);  // 60 bytes
    Append(framer, a, 0, a.size());
    std::vector<uint8_t> b = Numbered(0x02, 8);  // 40 bytes: exactly fills the buffer
    Append(framer, b, 0, b.size());
    std::vector<uint8_t> c = Numbered(0x03, 0);
    EXPECT_EQ(CAutoFramer::kFull, framer.Append(c.data(), c.size()));
    EXPECT_EQ(100u, framer.Unread());

    std::vector<uint8_t> out(100);
    size_t n = 0;
    ASSERT_EQ(CAutoFramer::kPacket, framer.Next(out.data(), out.size(), &n));
    // 40 unread + 32 new bytes fit only by moving the unread bytes to the front.
    Append(framer, c, 0, c.size());
    EXPECT_EQ((std::vector<std::vector<uint8_t>>{b, c}), Drain(framer));
}

TEST(CAutoFramerTest, FramerWithoutBufferHoldsNothing) {
    CAutoFramer framer;
    std::vector<uint8_t> p = Numbered(0xB1, 0);
    EXPECT_EQ(CAutoFramer::kAppended, framer.Append(p.data(), p.size()));
    EXPECT_TRUE(Drain(framer).empty());
    ASSERT_TRUE(framer.Allocate(64));
    EXPECT_FALSE(framer.Allocate(64));
}
