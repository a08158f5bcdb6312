#include "proxy/CSdkPacketBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const size_t kWork = 51200;

std::vector<uint8_t> Packet(uint8_t command, uint32_t body, uint8_t fill = 0x5A) {
    std::vector<uint8_t> p(32 + body, fill);
    std::memset(p.data(), 0, 32);
    p[0] = command;
    for (int i = 0; i < 4; ++i) p[4 + i] = static_cast<uint8_t>(body >> (8 * i));
    return p;
}

std::vector<uint8_t> Header(uint8_t command, uint32_t bodyLength) {
    std::vector<uint8_t> p(32, 0);
    p[0] = command;
    for (int i = 0; i < 4; ++i) p[4 + i] = static_cast<uint8_t>(bodyLength >> (8 * i));
    return p;
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// Feeds pieces and collects every packet, recording oversize verdicts as an
// empty packet.
struct Collector {
    CSdkPacketBuffer buffer;
    std::vector<uint8_t> work = std::vector<uint8_t>(kWork);
    std::vector<std::vector<uint8_t>> out;

    Collector() { EXPECT_TRUE(buffer.Allocate()); }
    void Feed(const uint8_t* data, size_t length) {
        ASSERT_EQ(1, buffer.Append(data, length));
        Drain();
    }
    void Drain() {
        size_t length = 0;
        for (;;) {
            const CSdkPacketBuffer::ExtractResult r = buffer.Extract(work.data(), work.size(), length);
            if (r == CSdkPacketBuffer::kNeedMore) return;
            out.push_back(r == CSdkPacketBuffer::kPacket ? std::vector<uint8_t>(work.begin(), work.begin() + length)
                                                         : std::vector<uint8_t>());
        }
    }
};

}  // namespace

TEST(SdkPacketBuffer, SplitAtEveryOffsetYieldsTheSamePackets) {
    std::vector<uint8_t> stream;
    const std::vector<std::vector<uint8_t>> packets = {Packet(0xA0, 0), Packet(0x90, 5, 1), Packet(0x94, 300, 2)};
    for (const auto& p : packets) Append(stream, p);
    for (size_t split = 0; split <= stream.size(); ++split) {
        Collector c;
        c.Feed(stream.data(), split);
        c.Feed(stream.data() + split, stream.size() - split);
        ASSERT_EQ(packets, c.out) << "split at " << split;
    }
    Collector bytewise;
    for (uint8_t b : stream) bytewise.Feed(&b, 1);
    EXPECT_EQ(packets, bytewise.out);
}

TEST(SdkPacketBuffer, HeaderAloneIsAPacketAndShortHeaderWaits) {
    Collector c;
    const std::vector<uint8_t> header = Packet(0xA1, 0);
    c.Feed(header.data(), 31);
    EXPECT_TRUE(c.out.empty());
    EXPECT_EQ(31u, c.buffer.Buffered());
    c.Feed(header.data() + 31, 1);
    ASSERT_EQ(1u, c.out.size());
    EXPECT_EQ(header, c.out[0]);
}

TEST(SdkPacketBuffer, LargestPacketFitsAndOneMoreByteIsSkippedExactly) {
    const std::vector<uint8_t> largest = Packet(0x94, kWork - 32, 3);
    const std::vector<uint8_t> tooLarge = Packet(0x94, kWork - 32 + 1, 4);
    const std::vector<uint8_t> next = Packet(0x90, 8, 5);
    std::vector<uint8_t> stream;
    Append(stream, largest);
    Append(stream, tooLarge);
    Append(stream, next);
    // In pieces smaller than a packet, so the oversized one is dropped partly
    // from the buffer and partly as it arrives.
    Collector c;
    for (size_t at = 0; at < stream.size(); at += 7000) {
        c.Feed(stream.data() + at, std::min<size_t>(7000, stream.size() - at));
    }
    ASSERT_EQ(3u, c.out.size());
    EXPECT_EQ(largest, c.out[0]);
    EXPECT_TRUE(c.out[1].empty());
    EXPECT_EQ(next, c.out[2]);
    EXPECT_EQ(0u, c.buffer.PendingSkip());
}

TEST(SdkPacketBuffer, WrappingLengthsNeverFrameGarbage) {
    struct Case {
        uint32_t bodyLength;
    } cases[] = {{0xFFFFFFFFu}, {0xFFFFFFE0u}, {0xFFFFFFE1u}, {0x80000000u}};
    for (const Case& k : cases) {
        Collector c;
        std::vector<uint8_t> stream = Header(0x90, k.bodyLength);
        Append(stream, Packet(0x91, 4));  // swallowed as part of the huge body
        c.Feed(stream.data(), stream.size());
        ASSERT_EQ(1u, c.out.size()) << k.bodyLength;
        EXPECT_TRUE(c.out[0].empty());
        EXPECT_EQ(static_cast<uint64_t>(k.bodyLength) - 36, c.buffer.PendingSkip());
        EXPECT_EQ(0u, c.buffer.Buffered());
    }
}

TEST(SdkPacketBuffer, OversizedPacketAlreadyBufferedLeavesTheRestInPlace) {
    // Offered to a smaller work area, a whole buffered packet is dropped and
    // the one behind it still comes out.
    CSdkPacketBuffer buffer;
    ASSERT_TRUE(buffer.Allocate());
    std::vector<uint8_t> stream = Packet(0x94, 100);
    const std::vector<uint8_t> next = Packet(0x90, 2);
    Append(stream, next);
    ASSERT_EQ(1, buffer.Append(stream.data(), stream.size()));
    std::vector<uint8_t> work(64);
    size_t length = 0;
    EXPECT_EQ(CSdkPacketBuffer::kOversized, buffer.Extract(work.data(), work.size(), length));
    EXPECT_EQ(0u, buffer.PendingSkip());
    ASSERT_EQ(CSdkPacketBuffer::kPacket, buffer.Extract(work.data(), work.size(), length));
    EXPECT_EQ(next, std::vector<uint8_t>(work.begin(), work.begin() + length));
}

TEST(SdkPacketBuffer, CapacityRules) {
    std::vector<uint8_t> bytes(CSdkPacketBuffer::kCapacity, 0);
    CSdkPacketBuffer full;
    EXPECT_EQ(-1, full.Append(bytes.data(), 1)) << "no store yet";
    ASSERT_TRUE(full.Allocate());
    EXPECT_FALSE(full.Allocate());
    EXPECT_EQ(1, full.Append(bytes.data(), bytes.size())) << "fits from the write position";
    EXPECT_EQ(-1, full.Append(bytes.data(), 1));

    // One whole packet read off the front, 40000 bytes of the next waiting:
    // reaching the full 65536 only by compacting is refused, one less is taken.
    CSdkPacketBuffer compact;
    ASSERT_TRUE(compact.Allocate());
    std::vector<uint8_t> stream = Packet(0xA1, 0);
    Append(stream, Packet(0x94, 50000));
    stream.resize(32 + 40000);
    ASSERT_EQ(1, compact.Append(stream.data(), stream.size()));
    std::vector<uint8_t> work(kWork);
    size_t length = 0;
    ASSERT_EQ(CSdkPacketBuffer::kPacket, compact.Extract(work.data(), work.size(), length));
    EXPECT_EQ(-1, compact.Append(bytes.data(), CSdkPacketBuffer::kCapacity - 40000));
    EXPECT_EQ(40000u, compact.Buffered());
    EXPECT_EQ(1, compact.Append(bytes.data(), CSdkPacketBuffer::kCapacity - 40000 - 1));
    EXPECT_EQ(CSdkPacketBuffer::kCapacity - 1, compact.Buffered());
}
