#include "standins/qvnetsdk/SdkWire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "standins/qvnetsdk/CPacketFramer.h"

using namespace qvwire;

namespace {

std::vector<uint8_t> Packet(uint8_t command, uint32_t sequence, size_t bodyLength) {
    PacketHeader header;
    header.command = command;
    header.sequence = sequence;
    std::vector<uint8_t> body(bodyLength);
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 7 + sequence);
    return BuildPacket(header, body);
}

}  // namespace

TEST(SdkWire, HeaderRoundTripsWithLittleEndianLengthAtFour) {
    PacketHeader header;
    header.command = kCmdRead;
    header.sequence = 0x01020304;
    header.status = kStatusBusy;
    header.args[0] = 7;
    header.args[3] = 0xA1B2C3D4;
    const std::vector<uint8_t> packet = BuildPacket(header, std::vector<uint8_t>(300, 0x55));
    ASSERT_EQ(packet.size(), 332u);
    EXPECT_EQ(packet[0], kCmdRead);
    EXPECT_EQ(packet[4], 0x2C);  // 300 = 0x012C
    EXPECT_EQ(packet[5], 0x01);
    PacketHeader back;
    ASSERT_TRUE(DecodeHeader(packet.data(), packet.size(), back));
    EXPECT_EQ(back.bodyLength, 300u);
    EXPECT_EQ(back.sequence, 0x01020304u);
    EXPECT_EQ(back.status, static_cast<uint32_t>(kStatusBusy));
    EXPECT_EQ(back.args[3], 0xA1B2C3D4u);
    EXPECT_FALSE(DecodeHeader(packet.data(), 31, back));
}

TEST(SdkWire, HeaderRefusesBodiesBeyondOnePacket) {
    uint8_t raw[32] = {kCmdRead};
    WriteLe32(raw + 4, static_cast<uint32_t>(kMaxBody));
    PacketHeader header;
    EXPECT_TRUE(DecodeHeader(raw, sizeof(raw), header));
    WriteLe32(raw + 4, static_cast<uint32_t>(kMaxBody + 1));
    EXPECT_FALSE(DecodeHeader(raw, sizeof(raw), header));
}

TEST(PacketFramer, YieldsEachPacketWhateverTheSplit) {
    std::vector<uint8_t> stream;
    const std::vector<std::vector<uint8_t>> packets = {Packet(0x90, 1, 0), Packet(0x94, 2, 5000), Packet(0xB1, 3, 1)};
    for (const auto& p : packets) stream.insert(stream.end(), p.begin(), p.end());
    for (size_t split = 0; split <= stream.size(); split += 97) {
        CPacketFramer framer;
        std::vector<std::vector<uint8_t>> seen;
        std::vector<uint8_t> packet;
        // HoldsPacket foretells Next without taking anything.
        const auto drain = [&] {
            for (;;) {
                const bool holds = framer.HoldsPacket();
                const CPacketFramer::Result result = framer.Next(packet);
                ASSERT_EQ(holds, result == CPacketFramer::Packet) << "split at " << split;
                if (result != CPacketFramer::Packet) return;
                seen.push_back(packet);
            }
        };
        framer.Feed(stream.data(), split);
        drain();
        framer.Feed(stream.data() + split, stream.size() - split);
        drain();
        ASSERT_EQ(seen, packets) << "split at " << split;
        EXPECT_EQ(framer.Buffered(), 0u);
    }
}

// The reader's form: bytes received straight into the framer's room, in
// reads that stop anywhere, while bodies are taken out between reads; the
// room moves and grows under packets that are still incomplete.
TEST(PacketFramer, BodiesTakenBetweenReadsIntoItsOwnRoom) {
    std::vector<uint8_t> stream;
    std::vector<size_t> bodies;
    for (uint32_t sequence = 1; sequence <= 40; ++sequence) {
        bodies.push_back(sequence % 5 == 0 ? kMaxBody : sequence * 301 % 7000);
        const std::vector<uint8_t> p = Packet(0x94, sequence, bodies.back());
        stream.insert(stream.end(), p.begin(), p.end());
    }
    CPacketFramer framer;
    PacketHeader header;
    std::vector<uint8_t> body;
    uint32_t expected = 1;
    for (size_t at = 0, read = 1000; at < stream.size(); at += read, read = read * 3 % 70001 + 1) {
        const size_t length = std::min(read, stream.size() - at);
        std::memcpy(framer.Space(length + 17), stream.data() + at, length);
        framer.Commit(length);
        framer.ReleaseIdle();  // never drops bytes that wait
        while (framer.Next(header, body) == CPacketFramer::Packet) {
            ASSERT_EQ(header.sequence, expected);
            ASSERT_EQ(header.bodyLength, bodies[expected - 1]);
            const std::vector<uint8_t> whole = Packet(0x94, expected, body.size());
            ASSERT_EQ(body.size(), bodies[expected - 1]);
            ASSERT_TRUE(std::equal(body.begin(), body.end(), whole.begin() + kHeaderSize));
            ++expected;
        }
    }
    EXPECT_EQ(expected, 41u);
    EXPECT_EQ(framer.Buffered(), 0u);
}

TEST(PacketFramer, OversizedLengthDiscardsAndFramingRestarts) {
    CPacketFramer framer;
    uint8_t bad[40] = {0x94};
    WriteLe32(bad + 4, 60000);
    framer.Feed(bad, sizeof(bad));
    std::vector<uint8_t> packet;
    EXPECT_EQ(framer.Next(packet), CPacketFramer::Oversize);
    EXPECT_EQ(framer.Buffered(), 0u);
    const std::vector<uint8_t> good = Packet(0x90, 9, 10);
    framer.Feed(good.data(), good.size());
    ASSERT_EQ(framer.Next(packet), CPacketFramer::Packet);
    EXPECT_EQ(packet, good);
}

TEST(SdkWire, LoginRequestShortAndLongForms) {
    struct Case {
        std::string user, password;
        size_t size;
    } cases[] = {
        {"admin", "12345678", 32},        // both fit 8 bytes: short form
        {"admin", "123456789", 32 + 16},  // password of 9: long form "user&&password"
        {"operator9", "x", 32 + 12},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> packet = BuildLoginRequest(c.user, c.password);
        ASSERT_EQ(packet.size(), c.size) << c.user;
        EXPECT_EQ(packet[0], kCmdLogin);
        EXPECT_EQ(packet[3], 0x50);
        EXPECT_EQ(packet[24], 4);
        EXPECT_EQ(packet[31], 0xAA);
        if (c.size > 32) {
            EXPECT_EQ(packet[8], 0) << "long form leaves the short fields empty";
        }
        std::string user, password;
        ASSERT_TRUE(ParseLoginRequest(packet.data(), packet.size(), user, password));
        EXPECT_EQ(user, c.user);
        EXPECT_EQ(password, c.password);
    }
}

TEST(SdkWire, LoginReplyCarriesChannelsAtTenAndLoginIdAtSixteen) {
    QVNET_DEVICE_INFO info = {};
    std::strcpy(info.serial, "SN42");
    info.alarmInCount = 16;
    info.alarmOutCount = 3;
    info.deviceType = 20;
    info.channelCount = 9;
    const std::vector<uint8_t> reply = BuildLoginReply(0, 0x11223344, info);
    ASSERT_EQ(reply.size(), 64u);
    EXPECT_EQ(reply[10], 9);
    EXPECT_EQ(ReadLe32(&reply[16]), 0x11223344u);

    // A relay answers with the stored reply, rewriting byte 10 with its count.
    std::vector<uint8_t> relayed = reply;
    relayed[10] = 12;
    uint8_t result = 1;
    uint32_t loginId = 0;
    QVNET_DEVICE_INFO back;
    ASSERT_TRUE(ParseLoginReply(relayed.data(), relayed.size(), result, loginId, back));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(loginId, 0x11223344u);
    EXPECT_EQ(back.channelCount, 12);
    EXPECT_EQ(back.alarmInCount, 16);
    EXPECT_EQ(back.alarmOutCount, 3);
    EXPECT_EQ(back.deviceType, 20);
    EXPECT_STREQ(back.serial, "SN42");
    EXPECT_FALSE(ParseLoginReply(reply.data(), 20, result, loginId, back));
}

TEST(SdkWire, TimesConvertBothWays) {
    const QVNET_TIME cases[] = {{1970, 1, 1, 0, 0, 0}, {2000, 2, 29, 23, 59, 59}, {2026, 12, 31, 12, 0, 1}};
    for (const QVNET_TIME& t : cases) {
        const QVNET_TIME back = SecondsToTime(TimeToSeconds(t));
        EXPECT_EQ(std::memcmp(&back, &t, sizeof(t)), 0) << t.year << "-" << t.month << "-" << t.day;
    }
    EXPECT_EQ(TimeToSeconds({1970, 1, 2, 0, 0, 0}), 86400);
    EXPECT_FALSE(IsValidTime({2026, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(IsValidTime({2026, 13, 1, 0, 0, 0}));
    EXPECT_FALSE(IsValidTime({2026, 1, 1, 24, 0, 0}));
    EXPECT_TRUE(IsValidTime({2024, 2, 29, 0, 0, 0}));
}

TEST(SdkWire, FindAndOpenRequestsRoundTripAndRefuseWrongSizes) {
    FindRequest find;
    find.channel = 3;
    find.start = {2026, 1, 2, 3, 4, 5};
    find.end = {2026, 1, 2, 23, 59, 0};
    std::strcpy(find.card, "card");
    find.startIndex = 261;
    find.maxCount = 100;
    std::vector<uint8_t> body = EncodeFindRequest(find);
    FindRequest back;
    ASSERT_TRUE(DecodeFindRequest(body.data(), body.size(), back));
    EXPECT_EQ(back.channel, 3u);
    EXPECT_EQ(back.end.minute, 59u);
    EXPECT_STREQ(back.card, "card");
    EXPECT_EQ(back.startIndex, 261u);
    EXPECT_FALSE(DecodeFindRequest(body.data(), body.size() - 1, back));

    OpenRequest open;
    open.mode = kOpenFile;
    std::strcpy(open.file.fileName, "ch01.qvs");
    open.file.channel = 2;
    body = EncodeOpenRequest(open);
    OpenRequest openBack;
    ASSERT_TRUE(DecodeOpenRequest(body.data(), body.size(), openBack));
    EXPECT_STREQ(openBack.file.fileName, "ch01.qvs");
    EXPECT_FALSE(DecodeOpenRequest(body.data(), body.size() - 4, openBack));
    open.mode = kOpenTimeRange;
    open.channel = 1;
    body = EncodeOpenRequest(open);
    ASSERT_TRUE(DecodeOpenRequest(body.data(), body.size(), openBack));
    EXPECT_EQ(openBack.mode, static_cast<uint32_t>(kOpenTimeRange));
    EXPECT_EQ(openBack.channel, 1u);
}

TEST(SdkWire, SearchAnswerTerminatesTextsFromTheWire) {
    DEVICE_SEARCH_RESULT result;
    std::memset(&result, 'A', sizeof(result));
    std::vector<uint8_t> answer = BuildSearchAnswer(77, result);
    DEVICE_SEARCH_RESULT back;
    uint32_t nonce = 0;
    ASSERT_TRUE(ParseSearchAnswer(answer.data(), answer.size(), nonce, back));
    EXPECT_EQ(nonce, 77u);
    EXPECT_EQ(std::strlen(back.ip), sizeof(back.ip) - 1);
    EXPECT_EQ(std::strlen(back.mac), sizeof(back.mac) - 1);
    EXPECT_FALSE(ParseSearchAnswer(answer.data(), answer.size() - 1, nonce, back));
    const std::vector<uint8_t> probe = BuildSearchProbe(5);
    EXPECT_TRUE(ParseSearchProbe(probe.data(), probe.size(), nonce));
    EXPECT_FALSE(ParseSearchProbe(answer.data(), answer.size(), nonce));
}
