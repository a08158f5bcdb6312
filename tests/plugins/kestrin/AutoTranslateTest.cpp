#include "plugins/kestrin/AutoTranslate.h"
#include "plugins/kestrin/CAutoRequestTable.h"
#include "plugins/kestrin/CAutoStateMasks.h"
#include "plugins/kestrin/CStrTokenizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PacketBytes.h"

using namespace kestrin;

namespace {

AUTO_RECORD_LAYOUT Records(std::vector<int> channels, std::vector<bool> online) {
    AUTO_RECORD_LAYOUT layout = EmptyLayout();
    for (size_t s = 0; s < channels.size(); ++s) {
        if (channels[s] >= 0) SetRecord(&layout, int(s), channels[s], online[s]);
    }
    return layout;
}

PARSE_RESULT Parse(const std::vector<uint8_t>& packet, int32_t client, const std::vector<uint8_t>& loginReply,
                   int total) {
    SDK_COMMAND command = {packet.data(), int32_t(packet.size()), client, 0};
    PARSE_RESULT result;
    std::memset(&result, 0x5A, sizeof result);
    EXPECT_EQ(0, ParseSdkCommand(&command, loginReply.empty() ? nullptr : loginReply.data(), loginReply.size(), total,
                                 &result));
    return result;
}

bool AllZero(const PARSE_RESULT& r) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&r);
    for (size_t i = 0; i < sizeof r; ++i)
        if (p[i] != 0) return false;
    return true;
}

// A table body whose every entry is filled with its channel's marker.
std::vector<uint8_t> Table(uint8_t command, uint8_t subCode, int entries, uint8_t firstMarker) {
    size_t entrySize = TableEntrySize(subCode);
    std::vector<uint8_t> p = Packet(command, entrySize * 16);
    p[16] = subCode;
    for (int i = 0; i < 16; ++i) {
        uint8_t marker = i < entries ? uint8_t(firstMarker + i) : 0xEE;
        std::memset(p.data() + 32 + i * entrySize, marker, entrySize);
        if (subCode == kSubTable123) p[32 + i * entrySize + 12] = uint8_t(0x80 + i);
    }
    return p;
}

uint8_t EntryByte(const std::vector<uint8_t>& p, uint8_t subCode, int entry, size_t at = 0) {
    return p[32 + entry * TableEntrySize(subCode) + at];
}

}  // namespace

TEST(AutoTranslateTest, LoginSubConnectionAndKeepAliveAreAnsweredLocally) {
    std::vector<uint8_t> reply = Packet(kCmdLoginReply, 32);
    reply[10] = 4;
    WriteLe32(reply.data() + 16, 777);

    PARSE_RESULT login = Parse(Packet(kCmdLogin), 4242, reply, 8);
    EXPECT_EQ(kParseLogin, login.action);
    EXPECT_EQ(64, login.replyLength);
    EXPECT_EQ(4242u, ReadLe32(login.reply + 16));
    EXPECT_EQ(8, login.reply[10]);
    EXPECT_EQ(1, login.registerClient);
    EXPECT_EQ(0, login.forward);
    EXPECT_EQ(0, login.sessionIndex);

    EXPECT_TRUE(AllZero(Parse(Packet(kCmdLogin), 4242, {}, 8)));

    std::vector<uint8_t> sub = Packet(kCmdSubConnect);
    WriteLe32(sub.data() + 8, 4242);
    sub[12] = 1;
    sub[13] = 3;
    PARSE_RESULT subResult = Parse(sub, 5000, reply, 8);
    EXPECT_EQ(kParseSubConnection, subResult.action);
    EXPECT_EQ(32, subResult.replyLength);
    EXPECT_EQ(0xF1, subResult.reply[0]);
    EXPECT_EQ(3, subResult.reply[13]);
    EXPECT_EQ(4242, subResult.mainSessionId);
    EXPECT_EQ(3, subResult.sessionIndex);
    EXPECT_EQ(1, subResult.registerClient);
    EXPECT_EQ(0, subResult.connect);

    PARSE_RESULT keepAlive = Parse(Packet(kCmdKeepAlive), 5000, reply, 8);
    EXPECT_EQ(kParseOther, keepAlive.action);
    EXPECT_EQ(0xB1, keepAlive.reply[0]);
    EXPECT_EQ(32, keepAlive.replyLength);
    EXPECT_EQ(0, keepAlive.forward);

    PARSE_RESULT other = Parse(Packet(kCmdQuery), 5000, reply, 8);
    EXPECT_EQ(kParseOther, other.action);
    EXPECT_EQ(1, other.forward);
    EXPECT_EQ(0, other.replyLength);

    EXPECT_EQ(-1, ParseSdkCommand(nullptr, nullptr, 0, 0, &other));
}

TEST(AutoTranslateTest, SingleRecordTargetsFollowChannelsAndOnlineState) {
    AUTO_RECORD_LAYOUT layout = Records({4, 4}, {false, true});
    std::vector<AUTO_OUTGOING> out;
    std::vector<uint8_t> control = Packet(kCmdStreamControl);
    control[9] = 6;
    ASSERT_EQ(0, PlanSendData(control.data(), control.size(), 1, 9, layout, nullptr, 0, &out));
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ(1, out[0].slot);
    EXPECT_EQ(2, out[0].packet[9]);
    EXPECT_EQ(9, out[0].tag);

    std::vector<uint8_t> plain = Packet(0x40);
    PlanSendData(plain.data(), plain.size(), 1, 0, layout, nullptr, 0, &out);
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ(1, out[0].slot);  // the first online record

    AUTO_RECORD_LAYOUT noSlot0 = Records({-1, 4}, {false, false});
    PlanSendData(plain.data(), plain.size(), 1, 0, noSlot0, nullptr, 0, &out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(-1, PlanSendData(plain.data(), 31, 1, 0, layout, nullptr, 0, &out));
}

TEST(AutoTranslateTest, StreamRequestIsSlicedPerRecord) {
    AUTO_RECORD_LAYOUT layout = Records({4, 4}, {true, true});
    CAutoRequestTable table;
    std::vector<uint8_t> request = Packet(kCmdStream, 16);
    for (int i = 0; i < 16; ++i) {
        request[8 + i] = uint8_t(0x10 + i);
        request[32 + i] = uint8_t(0x40 + i);
    }
    request[26] = 0x77;
    std::vector<AUTO_OUTGOING> out;
    PlanSendData(request.data(), request.size(), 5, 0, layout, &table, 0, &out);
    ASSERT_EQ(2u, out.size());
    for (int s = 0; s < 2; ++s) {
        const std::vector<uint8_t>& slice = out[size_t(s)].packet;
        ASSERT_EQ(48u, slice.size());
        EXPECT_EQ(16u, ReadLe32(slice.data() + 4));
        EXPECT_EQ(0x77, slice[26]);
        EXPECT_EQ(0, out[size_t(s)].merge);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(0x10 + 4 * s + i, slice[8 + i]);
            EXPECT_EQ(0x40 + 4 * s + i, slice[32 + i]);
        }
        EXPECT_EQ(0, slice[8 + 4]);
    }
    request.resize(32);
    WriteLe32(request.data() + 4, 0);
    std::vector<uint8_t> shortSlice = BuildStreamSlice(request.data(), request.size(), 12, 8);
    ASSERT_EQ(32u, shortSlice.size());
    EXPECT_EQ(0x10 + 15, shortSlice[8 + 3]);  // clipped at channel 16
    EXPECT_EQ(0, shortSlice[8 + 4]);
    EXPECT_EQ(32u, BuildStreamSlice(request.data(), request.size(), 40, 8).size());
}

TEST(AutoTranslateTest, ItemListIsSplitPerRecord) {
    AUTO_RECORD_LAYOUT layout = Records({2, 3}, {true, false});
    CAutoRequestTable table;
    std::vector<uint8_t> request = PacketWithText(kCmdListSettings, "a&&b&&c&&d&&e&&f");
    request[9] = 0x33;
    std::vector<AUTO_OUTGOING> out;
    PlanSendData(request.data(), request.size(), 5, 0, layout, &table, 0, &out);
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ("a&&b", BodyText(out[0].packet));
    EXPECT_EQ(4u, ReadLe32(out[0].packet.data() + 4));
    EXPECT_EQ("c&&d&&e", BodyText(out[1].packet));
    EXPECT_EQ(0x33, out[1].packet[9]);
    // Fewer items than channels, and a body length shorter than the bytes sent.
    std::vector<uint8_t> few = PacketWithText(kCmdListSettings, "a&&b&&c");
    WriteLe32(few.data() + 4, 4);
    EXPECT_EQ("a&&b", BodyText(BuildListSlice(few.data(), few.size(), 0, 5)));
    EXPECT_EQ("", BodyText(BuildListSlice(few.data(), few.size(), 2, 3)));
}

TEST(AutoTranslateTest, SettingsTableMovesEachRecordsEntriesFirst) {
    AUTO_RECORD_LAYOUT layout = Records({4, 4}, {true, true});
    CAutoRequestTable table;
    for (uint8_t subCode : {kSubTable127, kSubTable126, kSubTable123}) {
        std::vector<uint8_t> request = Table(kCmdSettings, subCode, 16, 0x10);
        std::vector<AUTO_OUTGOING> out;
        PlanSendData(request.data(), request.size(), 5, 0, layout, &table, 0, &out);
        ASSERT_EQ(2u, out.size()) << int(subCode);
        const std::vector<uint8_t>& second = out[1].packet;
        ASSERT_EQ(request.size(), second.size());
        for (int j = 0; j < 16; ++j) {
            uint8_t expected = uint8_t(j < 4 ? 0x14 + j : 0x10 + j);
            EXPECT_EQ(expected, EntryByte(second, subCode, j)) << int(subCode) << " " << j;
        }
        if (subCode == kSubTable123) {
            for (int j = 0; j < 16; ++j) EXPECT_EQ(0x80 + j, EntryByte(second, subCode, j, 12)) << j;
        }
    }
    // A longer body is cut to the table; a shorter one is not sent at all.
    std::vector<uint8_t> longer = Table(kCmdSettings, kSubTable126, 16, 0);
    longer.resize(longer.size() + 10);
    WriteLe32(longer.data() + 4, uint32_t(longer.size() - 32));
    std::vector<uint8_t> slice;
    ASSERT_TRUE(BuildTableSlice(longer.data(), longer.size(), 4, 4, &slice));
    EXPECT_EQ(32u + 640, slice.size());
    EXPECT_EQ(640u, ReadLe32(slice.data() + 4));
    std::vector<uint8_t> shorter = Table(kCmdSettings, kSubTable126, 16, 0);
    shorter.resize(shorter.size() - 1);
    EXPECT_FALSE(BuildTableSlice(shorter.data(), shorter.size(), 0, 4, &slice));
    std::vector<uint8_t> partial123 = Table(kCmdSettings, kSubTable123, 16, 0);
    partial123.resize(32 + 6 * 16);
    WriteLe32(partial123.data() + 4, 6 * 16);
    EXPECT_TRUE(BuildTableSlice(partial123.data(), partial123.size(), 2, 4, &slice));
    EXPECT_FALSE(BuildTableSlice(partial123.data(), partial123.size(), 4, 4, &slice));
    EXPECT_FALSE(BuildTableSlice(partial123.data(), partial123.size(), 16, 4, &slice));
}

TEST(AutoTranslateTest, StateSubscriptionsGoToEveryOnlineRecordUnmerged) {
    AUTO_RECORD_LAYOUT layout = Records({4, 4, 2}, {true, false, true});
    CAutoRequestTable table;
    for (uint8_t type : {2, 3, 4, 5, 155}) {
        std::vector<uint8_t> request = Packet(kCmdStateSubscribe);
        request[12] = type;
        std::vector<AUTO_OUTGOING> out;
        PlanSendData(request.data(), request.size(), 5, 1, layout, &table, 0, &out);
        ASSERT_EQ(2u, out.size()) << int(type);
        EXPECT_EQ(0, out[0].slot);
        EXPECT_EQ(2, out[1].slot);
        EXPECT_EQ(0, out[1].merge);
        EXPECT_EQ(5, out[1].clientId);
    }
    std::vector<uint8_t> other = Packet(kCmdStateSubscribe);
    other[12] = 7;
    std::vector<AUTO_OUTGOING> out;
    PlanSendData(other.data(), other.size(), 5, 1, layout, &table, 0, &out);
    EXPECT_EQ(1u, out.size());
    EXPECT_EQ(0u, table.Count());
}

TEST(AutoTranslateTest, TableQueryIsMergedIntoOneAnswerForTheClient) {
    AUTO_RECORD_LAYOUT layout = Records({4, 4}, {true, true});
    CAutoRequestTable table;
    for (uint8_t subCode : {kSubTable127, kSubTable126, kSubTable123}) {
        std::vector<uint8_t> query = Packet(kCmdQuery);
        query[16] = subCode;
        std::vector<AUTO_OUTGOING> out;
        PlanSendData(query.data(), query.size(), 4242, 17, layout, &table, 1000, &out);
        ASSERT_EQ(2u, out.size());
        int32_t sequence = out[0].clientId;
        EXPECT_NE(4242, sequence);
        EXPECT_EQ(sequence, out[1].clientId);
        EXPECT_EQ(1, out[0].merge);

        // Each record answers its four channels in the first four entries.
        std::vector<uint8_t> first = Table(kCmdQueryAnswer, subCode, 4, 0x10);
        std::vector<uint8_t> second = Table(kCmdQueryAnswer, subCode, 4, 0x20);
        PLUGIN_DATA_TARGET targets[1] = {{sequence, 3}};
        CAutoRequestTable::Merged merged;
        EXPECT_FALSE(table.Merge(1, targets, 1, second.data(), second.size(), 1000, &merged));
        ASSERT_TRUE(table.Merge(0, targets, 1, first.data(), first.size(), 1000, &merged));
        ASSERT_EQ(first.size(), merged.packet.size());
        for (int j = 0; j < 8; ++j) {
            uint8_t expected = uint8_t(j < 4 ? 0x10 + j : 0x20 + j - 4);
            EXPECT_EQ(expected, EntryByte(merged.packet, subCode, j)) << int(subCode) << " " << j;
        }
        EXPECT_EQ(0xEE, EntryByte(merged.packet, subCode, 8));
        if (subCode == kSubTable123) {
            EXPECT_EQ(0x85, EntryByte(merged.packet, subCode, 5, 12));
        }
        ASSERT_EQ(1u, merged.targets.size());
        EXPECT_EQ(4242, merged.targets[0].sessionId);
        EXPECT_EQ(17, merged.targets[0].subIndex);
        EXPECT_EQ(0u, table.Count());
    }
}

TEST(AutoTranslateTest, OfflineRecordDoesNotHoldBackTheMergedAnswer) {
    AUTO_RECORD_LAYOUT layout = Records({4, 4}, {true, false});
    CAutoRequestTable table;
    std::vector<uint8_t> query = Packet(kCmdQuery);
    query[16] = kSubTable126;
    std::vector<AUTO_OUTGOING> out;
    PlanSendData(query.data(), query.size(), 42, 0, layout, &table, 0, &out);
    ASSERT_EQ(1u, out.size());
    std::vector<uint8_t> answer = Table(kCmdQueryAnswer, kSubTable126, 4, 0x10);
    PLUGIN_DATA_TARGET targets[2] = {{out[0].clientId, 0}, {out[0].clientId, 0}};
    CAutoRequestTable::Merged merged;
    ASSERT_TRUE(table.Merge(0, targets, 2, answer.data(), answer.size(), 0, &merged));
    EXPECT_EQ(0x13, EntryByte(merged.packet, kSubTable126, 3));
    EXPECT_EQ(0, EntryByte(merged.packet, kSubTable126, 4));  // the off-line record's part
    EXPECT_EQ(2u, merged.targets.size());
}

TEST(AutoTranslateTest, CompletingOneRequestKeepsOtherRecentOnes) {
    AUTO_RECORD_LAYOUT layout = Records({2, 2}, {true, true});
    CAutoRequestTable table;
    std::vector<uint8_t> query = Packet(kCmdQuery);
    query[16] = kSubTable126;
    int32_t ids[3] = {1, 2, 3};
    uint32_t times[3] = {0, 20000, 25000};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(0, table.MapRequest(query.data(), query.size(), &ids[i], 0, layout, times[i]));
    EXPECT_EQ(3u, table.Count());
    std::vector<uint8_t> answer = Table(kCmdQueryAnswer, kSubTable126, 2, 1);
    PLUGIN_DATA_TARGET third[1] = {{ids[2], 0}};
    CAutoRequestTable::Merged merged;
    table.Merge(0, third, 1, answer.data(), answer.size(), 40000, &merged);
    ASSERT_TRUE(table.Merge(1, third, 1, answer.data(), answer.size(), 40000, &merged));
    // The request from 20 s ago is still waiting; the one from 40 s ago timed out.
    EXPECT_EQ(1u, table.Count());
    PLUGIN_DATA_TARGET second[1] = {{ids[1], 0}};
    table.Merge(0, second, 1, answer.data(), answer.size(), 40000, &merged);
    EXPECT_TRUE(table.Merge(1, second, 1, answer.data(), answer.size(), 40000, &merged));

    PLUGIN_DATA_TARGET unknown[1] = {{999, 0}};
    EXPECT_FALSE(table.Merge(0, unknown, 1, answer.data(), answer.size(), 0, &merged));
    int32_t notMerged = 5;
    std::vector<uint8_t> plain = Packet(kCmdQuery);
    plain[16] = 125;
    EXPECT_EQ(-1, table.MapRequest(plain.data(), plain.size(), &notMerged, 0, layout, 0));
    EXPECT_EQ(5, notMerged);
}

TEST(AutoTranslateTest, ListAnswersAreMergedWithBoundedItems) {
    AUTO_RECORD_LAYOUT layout = Records({2, 3}, {true, true});
    CAutoRequestTable table;
    std::vector<uint8_t> query = Packet(kCmdListQuery);
    query[8] = 1;
    std::vector<AUTO_OUTGOING> out;
    PlanSendData(query.data(), query.size(), 7, 3, layout, &table, 0, &out);
    ASSERT_EQ(2u, out.size());
    PLUGIN_DATA_TARGET targets[1] = {{out[0].clientId, 0}};

    std::string longItem(100, 'x');
    std::vector<uint8_t> first = PacketWithText(kCmdListAnswer, "one&&" + longItem + "&&extra");
    first[8] = 1;
    // The second record names one item of three; the rest stay empty.
    std::vector<uint8_t> second = PacketWithText(kCmdListAnswer, "three");
    second[8] = 1;
    second[9] = 0x44;
    CAutoRequestTable::Merged merged;
    EXPECT_FALSE(table.Merge(0, targets, 1, first.data(), first.size(), 0, &merged));
    ASSERT_TRUE(table.Merge(1, targets, 1, second.data(), second.size(), 0, &merged));
    std::string expected = "one&&" + std::string(63, 'x') + "&&three&&&&";
    EXPECT_EQ(expected, BodyText(merged.packet));
    EXPECT_EQ(expected.size(), ReadLe32(merged.packet.data() + 4));
    EXPECT_EQ(0x44, merged.packet[9]);
    EXPECT_EQ(7, merged.targets[0].sessionId);
    EXPECT_EQ(3, merged.targets[0].subIndex);
}

TEST(AutoTranslateTest, MismatchedOrShortAnswersCannotOverrunTheMerge) {
    AUTO_RECORD_LAYOUT layout = Records({16, 16}, {true, true});
    CAutoRequestTable table;
    std::vector<uint8_t> query = Packet(kCmdQuery);
    query[16] = kSubTable127;
    std::vector<AUTO_OUTGOING> out;
    PlanSendData(query.data(), query.size(), 7, 0, layout, &table, 0, &out);
    PLUGIN_DATA_TARGET targets[1] = {{out[0].clientId, 0}};
    CAutoRequestTable::Merged merged;
    // An answer of another kind is no answer to this request.
    std::vector<uint8_t> wrongKind = Table(kCmdQueryAnswer, kSubTable126, 16, 1);
    EXPECT_FALSE(table.Merge(0, targets, 1, wrongKind.data(), wrongKind.size(), 0, &merged));
    // An oversized body is not stored; a short final answer bounds the table.
    std::vector<uint8_t> huge = Packet(kCmdQueryAnswer, 4000);
    huge[16] = kSubTable127;
    EXPECT_FALSE(table.Merge(0, targets, 1, huge.data(), huge.size(), 0, &merged));
    std::vector<uint8_t> shortAnswer = Packet(kCmdQueryAnswer, 180 * 3 + 10);
    shortAnswer[16] = kSubTable127;
    ASSERT_TRUE(table.Merge(1, targets, 1, shortAnswer.data(), shortAnswer.size(), 0, &merged));
    EXPECT_EQ(shortAnswer.size(), merged.packet.size());
}

TEST(AutoTranslateTest, DeviceDataIsSeenFromTheWholeDevice) {
    AUTO_RECORD_LAYOUT layout = Records({4, 4}, {true, true});
    CAutoStateMasks masks;
    std::vector<uint8_t> stream = Packet(kCmdStreamData, 20);
    stream[8] = 1;
    PLUGIN_DATA_TARGET targets[2] = {{10, 2}, {11, 2}};
    PrepareDeviceData(layout, 1, 2, 4, 8, &masks, stream.data(), stream.size(), targets, 2);
    EXPECT_EQ(5, stream[8]);
    EXPECT_EQ(6, targets[0].subIndex);
    EXPECT_EQ(6, targets[1].subIndex);

    std::vector<uint8_t> report = Packet(kCmdStateReport, 4);
    report[12] = 3;
    WriteLe32(report.data() + 32, 0x5);
    PLUGIN_DATA_TARGET main[1] = {{10, 0}};
    PrepareDeviceData(layout, 1, 0, 4, 8, &masks, report.data(), report.size(), main, 1);
    EXPECT_EQ(0x50u, ReadLe32(report.data() + 32));
    EXPECT_EQ(0, main[0].subIndex);
    // The record's own extra connection is the device's extra connection.
    PrepareDeviceData(layout, 0, 5, 4, 8, nullptr, report.data(), report.size(), main, 1);
    EXPECT_EQ(9, main[0].subIndex);
}

TEST(AutoTranslateTest, MergedListIsBoundedByTextItemsAndChannels) {
    AUTO_RECORD_LAYOUT layout = Records({16, 16}, {true, true});
    CAutoRequestTable table;
    std::vector<uint8_t> query = Packet(kCmdListQuery);
    query[8] = 1;
    int32_t sequence = 1;
    ASSERT_EQ(0, table.MapRequest(query.data(), query.size(), &sequence, 0, layout, 0));
    PLUGIN_DATA_TARGET targets[1] = {{sequence, 0}};

    // Items of 150 characters: the ninth starts past the first 1200 bytes.
    std::string text;
    for (int i = 0; i < 10; ++i) text += (i ? "&&" : "") + std::string(150, char('a' + i));
    std::vector<uint8_t> first = PacketWithText(kCmdListAnswer, text);
    first[8] = 1;
    std::vector<uint8_t> second = PacketWithText(kCmdListAnswer, "z");
    second[8] = 1;
    CAutoRequestTable::Merged merged;
    table.Merge(0, targets, 1, first.data(), first.size(), 0, &merged);
    ASSERT_TRUE(table.Merge(1, targets, 1, second.data(), second.size(), 0, &merged));
    std::string body = BodyText(merged.packet);
    CStrTokenizer items(body.c_str(), "&&");
    // 16 channels in all: the first record's 16 fill them, the second's "z" has no room.
    ASSERT_EQ(16u, items.Count());
    EXPECT_EQ(std::string(63, 'a'), items.Item(0));
    EXPECT_EQ(std::string(63, 'h'), items.Item(7));
    EXPECT_STREQ("", items.Item(8));
    EXPECT_STREQ("", items.Item(15));
}
