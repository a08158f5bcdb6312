#include "plugins/kestrin/AutoChannelLayout.h"
#include "plugins/kestrin/CAutoStateMasks.h"

#include <gtest/gtest.h>

#include <vector>

#include "PacketBytes.h"

using namespace kestrin;

namespace {

AUTO_RECORD_LAYOUT TwoRecords(int first, int second, bool secondOnline = true) {
    AUTO_RECORD_LAYOUT layout = EmptyLayout();
    SetRecord(&layout, 0, first, true);
    SetRecord(&layout, 1, second, secondOnline);
    return layout;
}

std::vector<uint8_t> StateReport(int type, uint32_t mask) {
    std::vector<uint8_t> p = Packet(kCmdStateReport, 4);
    p[12] = uint8_t(type);
    WriteLe32(p.data() + 32, mask);
    return p;
}

}  // namespace

TEST(AutoChannelLayoutTest, SdkChannelsGoToTheOwningRecordInTheirBase) {
    AUTO_RECORD_LAYOUT layout = TwoRecords(4, 4);
    struct Case {
        uint8_t command;
        size_t field;
        uint8_t sdkValue;
        int slot;
        uint8_t deviceValue;
        uint8_t byte9;
        uint8_t subCode;
    };
    const Case cases[] = {
        {0x12, 9, 6, 1, 2, 0, 0},  // 0-based
        {0x12, 9, 3, 0, 3, 0, 0},
        {0xA5, 8, 5, 1, 1, 0, 0},  // 1-based: global 4 is record 1's first
        {0xC2, 8, 4, 0, 4, 0, 0},
        {0xC9, 8, 8, 1, 4, 0, 0},
        {0xCA, 8, 7, 1, 3, 0, 0},
        {0xCB, 8, 1, 0, 1, 0, 0},
        {0xCC, 8, 6, 1, 2, 0, 0},
        {0x83, 8, 7, 1, 3, 2, 0},
        {0xA3, 25, 6, 1, 2, 0, 125},
        {0xC1, 25, 5, 1, 1, 0, 125},
        {0xA5, 8, 9, kChannelUnknown, 9, 0, 0},  // beyond both records
        {0xA5, 8, 0, kChannelUnknown, 0, 0, 0},  // 1-based field holding 0
        {0x83, 8, 7, kNoChannelField, 7, 1, 0},  // byte 9 not 2
        {0xA3, 25, 6, kNoChannelField, 6, 0, 127},
        {0x11, 8, 6, kNoChannelField, 6, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> p = Packet(c.command);
        p[c.field] = c.sdkValue;
        if (c.field != 9) p[9] = c.byte9;
        p[16] = c.subCode;
        EXPECT_EQ(c.slot, RouteSdkChannel(layout, p.data(), p.size())) << std::hex << int(c.command);
        EXPECT_EQ(c.deviceValue, p[c.field]) << std::hex << int(c.command);
    }
    std::vector<uint8_t> tooShort = Packet(0x12);
    tooShort[9] = 1;
    EXPECT_EQ(kNoChannelField, RouteSdkChannel(layout, tooShort.data(), 31));
}

TEST(AutoChannelLayoutTest, MissingRecordsCountNoChannels) {
    AUTO_RECORD_LAYOUT layout = EmptyLayout();
    SetRecord(&layout, 1, 4, false);
    SetRecord(&layout, 2, 2, true);
    EXPECT_EQ(0, RecordOffset(layout, 1));
    EXPECT_EQ(4, RecordOffset(layout, 2));
    int local = -1;
    EXPECT_EQ(2, FindRecordOfChannel(layout, 5, &local));
    EXPECT_EQ(1, local);
    EXPECT_EQ(2, DefaultTargetSlot(layout));

    AUTO_RECORD_LAYOUT noneOnline = EmptyLayout();
    SetRecord(&noneOnline, 1, 4, false);
    // Slot 0 is the fallback, but it has no session to send through.
    EXPECT_EQ(-1, DefaultTargetSlot(noneOnline));
    SetRecord(&noneOnline, 0, 300, false);
    EXPECT_EQ(0, DefaultTargetSlot(noneOnline));
    EXPECT_EQ(16, noneOnline.channels[0]);
}

TEST(AutoChannelLayoutTest, DevicePacketsGetTheRecordOffset) {
    std::vector<uint8_t> stream = Packet(kCmdStreamData, 100);
    stream[8] = 2;
    RenumberDevicePacket(stream.data(), stream.size(), 4, 8, 4);
    EXPECT_EQ(6, stream[8]);

    std::vector<uint8_t> query = Packet(kCmdQueryAnswer, 1180);
    query[16] = 125;
    query[25] = 1;
    RenumberDevicePacket(query.data(), query.size(), 4, 8, 4);
    EXPECT_EQ(5, query[25]);

    std::vector<uint8_t> other83 = Packet(kCmdChannel83);
    other83[8] = 1;
    other83[9] = 1;
    RenumberDevicePacket(other83.data(), other83.size(), 4, 8, 4);
    EXPECT_EQ(1, other83[8]);

    // Two whole 24-byte entries and a partial one; the body length says 50
    // while 60 bytes follow, so the third entry is never touched.
    std::vector<uint8_t> list = Packet(kCmdAnswerB6, 60);
    WriteLe32(list.data() + 4, 50);
    list[32] = 0x31;
    list[56] = 0xAE;
    list[80] = 0x02;
    RenumberDevicePacket(list.data(), list.size(), 4, 8, 4);
    EXPECT_EQ(0x35, list[32]);
    EXPECT_EQ(0xA2, list[56]);  // low bits wrap modulo 16
    EXPECT_EQ(0x02, list[80]);
}

TEST(AutoChannelLayoutTest, DeviceWideCountsUseTheTotal) {
    std::vector<uint8_t> info = Packet(kCmdRegister, 32);
    info[8] = 1;
    RenumberDevicePacket(info.data(), info.size(), 0, 12, 4);
    EXPECT_EQ(12, info[34]);
    EXPECT_EQ(12, info[35]);

    std::vector<uint8_t> count = Packet(kCmdQueryAnswer, 8);
    count[16] = 16;
    WriteLe32(count.data() + 32, 10);
    RenumberDevicePacket(count.data(), count.size(), 0, 12, 4);
    EXPECT_EQ(30u, ReadLe32(count.data() + 32));
    // A first record without channels must not divide by zero.
    RenumberDevicePacket(count.data(), count.size(), 0, 12, 0);
    EXPECT_EQ(30u, ReadLe32(count.data() + 32));
}

TEST(AutoChannelLayoutTest, ConnectionNumbersFollowTheRecordOrder) {
    AUTO_RECORD_LAYOUT layout = TwoRecords(4, 4);
    EXPECT_EQ(0, ConnectionNumber(layout, 1, 0, 4, 8));
    EXPECT_EQ(3, ConnectionNumber(layout, 0, 3, 4, 8));
    EXPECT_EQ(7, ConnectionNumber(layout, 1, 3, 4, 8));
    EXPECT_EQ(9, ConnectionNumber(layout, 0, 5, 4, 8));
    EXPECT_EQ(9, ConnectionNumber(layout, 1, 5, 4, 8));
}

TEST(AutoChannelLayoutTest, StateReportsMergeIntoTheDeviceMask) {
    CAutoStateMasks masks;
    std::vector<uint8_t> first = StateReport(3, 0xF);
    ASSERT_TRUE(masks.ApplyReport(first.data(), first.size(), 0, 4));
    std::vector<uint8_t> second = StateReport(3, 0x5 | 0xF0);
    ASSERT_TRUE(masks.ApplyReport(second.data(), second.size(), 4, 4));
    EXPECT_EQ(0x5Fu, masks.Mask(3));
    EXPECT_EQ(0x5Fu, ReadLe32(second.data() + 32));

    masks.MarkRecordOffline(0, 4);
    EXPECT_EQ(0x5Fu, masks.Mask(3));
    std::vector<uint8_t> motion = StateReport(2, 0x3);
    ASSERT_TRUE(masks.ApplyReport(motion.data(), motion.size(), 4, 4));
    masks.MarkRecordOffline(4, 4);
    EXPECT_EQ(0u, masks.Mask(2));
    EXPECT_EQ(0xFFu, masks.Mask(3));

    // Records past bit 31 (four records of 16 channels) cannot shift out of range.
    std::vector<uint8_t> far = StateReport(4, 0xFFFF);
    ASSERT_TRUE(masks.ApplyReport(far.data(), far.size(), 48, 16));
    std::vector<uint8_t> straddling = StateReport(4, 0xFFFF);
    ASSERT_TRUE(masks.ApplyReport(straddling.data(), straddling.size(), 24, 16));
    EXPECT_EQ(0xFF000000u, masks.Mask(4));
    masks.MarkRecordOffline(32, 16);
    masks.MarkRecordOffline(30, 16);
    EXPECT_EQ(0xC00000FFu, masks.Mask(3));

    std::vector<uint8_t> otherType = StateReport(6, 0x1);
    EXPECT_FALSE(masks.ApplyReport(otherType.data(), otherType.size(), 0, 4));
    std::vector<uint8_t> longer = Packet(kCmdStateReport, 8);
    longer[12] = 3;
    EXPECT_FALSE(masks.ApplyReport(longer.data(), longer.size(), 0, 4));
}
