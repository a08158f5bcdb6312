// The device record's layout rules and the reading of the SDK's blocks.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "app/engine/DEVICE_RECORD.h"
#include "app/engine/DeviceSdkBlocks.h"

namespace {

void PutInt(std::vector<uint8_t>& block, size_t offset, int32_t value) { memcpy(&block[offset], &value, 4); }

TEST(DeviceRecord, DefaultsEmptyAndLoginReset) {
    DEVICE_RECORD record;
    EXPECT_EQ(37777, record.port);
    EXPECT_EQ(7070, record.DDNSPort);
    EXPECT_EQ(0, record.id);
    EXPECT_EQ(0, record.title[0]);

    const DEVICE_RECORD empty = DEVICE_RECORD::Empty();
    EXPECT_EQ(0, empty.port);
    EXPECT_EQ(0, empty.DDNSPort);

    record.loggedIn = 1;
    record.loginHandle = 7;
    record.talkOpen = 1;
    record.talkHandle = 9;
    record.lastLoginError = 3;
    record.channelFlagsLoaded = 1;
    record.loginTime = 1234;
    record.channelCount = 4;
    record.channels[255].flagA = 1;
    record.channels[0].flagB = 1;
    CopyFixedText(record.channels[0].name, "kept");
    record.ResetLoginState();
    EXPECT_EQ(0, record.loggedIn + record.loginHandle + record.talkOpen + record.talkHandle + record.lastLoginError +
                     record.channelFlagsLoaded);
    EXPECT_EQ(0, record.loginTime);
    EXPECT_EQ(0, record.channels[255].flagA);
    EXPECT_EQ(0, record.channels[0].flagB);
    EXPECT_STREQ("kept", record.channels[0].name);
    EXPECT_EQ(4, record.channelCount);
    EXPECT_GT(record.logoutTime, 1600000000);
}

TEST(DeviceRecord, FixedTextIsCutAndZeroFilled) {
    char field[9];
    memset(field, 'x', sizeof(field));
    EXPECT_EQ(8u, CopyFixedText(field, "administrator"));
    EXPECT_STREQ("administ", field);
    EXPECT_EQ(2u, CopyFixedText(field, "ab"));
    for (size_t i = 2; i < sizeof(field); ++i) EXPECT_EQ(0, field[i]);
    EXPECT_EQ(0u, CopyFixedText(field, nullptr));
    EXPECT_EQ(0, field[0]);
}

TEST(DeviceSdkBlocks, TypeCodesNameTheDeviceType) {
    const struct {
        int code;
        const char* type;
    } cases[] = {{0, "DVR"},  {3, "NVS"},  {21, "NVS"},    {26, "NVS"}, {25, "DVR"}, {19, "IPSD"},
                 {20, "IPC"}, {29, "SVR"}, {30, "SVR_BS"}, {31, "DVR"}, {255, "DVR"}};
    for (const auto& c : cases) EXPECT_STREQ(c.type, DeviceTypeText(c.code)) << c.code;
}

TEST(DeviceSdkBlocks, UserNameShift) {
    char user[9] = "admin";
    char out[9];
    BuildLoginUserName(user, false, out);
    EXPECT_STREQ("admin", out);
    BuildLoginUserName(user, true, out);
    EXPECT_EQ(0, memcmp("dgplq\x03\x03\x03", out, 8));
    EXPECT_EQ(0, out[8]);

    char eight[9] = "abcdefgh";
    BuildLoginUserName(eight, true, out);
    EXPECT_STREQ("dbcdefgh", out);

    char high[9] = "\xFE";
    BuildLoginUserName(high, true, out);
    EXPECT_EQ(1, static_cast<uint8_t>(out[0]));  // wraps modulo 256
}

TEST(DeviceSdkBlocks, TalkFormatsKeepKnownTypesWithinTheBlock) {
    std::vector<uint8_t> block(kTalkFormatBlockSize, 0);
    PutInt(block, 0, 3);
    PutInt(block, 4, 2);        // G711a
    PutInt(block, 4 + 76, 9);   // unknown: dropped
    PutInt(block, 4 + 152, 5);  // G726
    PutInt(block, 4 + 152 + 4, 8000);
    uint8_t out[kTalkFormatBlockSize];
    EXPECT_EQ(2, FilterTalkFormats(block.data(), block.size(), out));
    EXPECT_EQ(2, ReadInt32(out));
    EXPECT_EQ(2, ReadInt32(out + 4));
    EXPECT_EQ(5, ReadInt32(out + 4 + 76));
    EXPECT_EQ(8000, ReadInt32(out + 4 + 76 + 4));

    // A count beyond what the block holds never reads past it.
    PutInt(block, 0, 100000);
    EXPECT_EQ(63, FilterTalkFormats(block.data(), block.size(), out));  // 64 read, one unknown
    EXPECT_EQ(1, FilterTalkFormats(block.data(), 4 + 76, out));
    EXPECT_EQ(0, FilterTalkFormats(block.data(), 3, out));
    PutInt(block, 0, -5);
    EXPECT_EQ(0, FilterTalkFormats(block.data(), block.size(), out));
}

TEST(DeviceSdkBlocks, DiskSumsAreBoundedByTheBlock) {
    std::vector<uint8_t> block(kDiskBlockSize, 0);
    PutInt(block, 0, 2);
    PutInt(block, 4, 100);
    PutInt(block, 8, 40);
    PutInt(block, 16, 300);
    PutInt(block, 20, 60);
    int32_t a = 0, b = 0, n = 0;
    ASSERT_TRUE(SumDiskBlock(block.data(), block.size(), &a, &b, &n));
    EXPECT_EQ(400, a);
    EXPECT_EQ(100, b);
    EXPECT_EQ(2, n);

    PutInt(block, 0, 5000);
    ASSERT_TRUE(SumDiskBlock(block.data(), block.size(), &a, &b, &n));
    EXPECT_EQ(256, n);
    EXPECT_FALSE(SumDiskBlock(block.data(), 3075, &a, &b, &n));
}

TEST(DeviceSdkBlocks, ChannelFlagsFillEverySlot) {
    std::vector<uint8_t> block(kChannelFlagBlockSize, 0);
    DEVICE_RECORD record;
    const struct {
        int32_t flags;
        int flagA, flagB;
    } cases[] = {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}, {4, 0, 1}, {7, 1, 1}};
    for (const auto& c : cases) {
        PutInt(block, 12, c.flags);
        record.channelFlagsLoaded = 0;
        ASSERT_TRUE(ApplyChannelFlags(block.data(), block.size(), record));
        EXPECT_EQ(1, record.channelFlagsLoaded);
        EXPECT_EQ(c.flagA, record.channels[0].flagA) << c.flags;
        EXPECT_EQ(c.flagB, record.channels[255].flagB) << c.flags;
    }
    record.channelFlagsLoaded = 0;
    EXPECT_FALSE(ApplyChannelFlags(block.data(), 279, record));
    EXPECT_EQ(0, record.channelFlagsLoaded);
}

TEST(DeviceSdkBlocks, RecordPlanSectionsIncludeBothEnds) {
    std::vector<uint8_t> plan(kPlanBytesPerChannel, 0);
    // Tuesday (2), section 3: 08:00:00 - 09:30:15, recording flag set.
    const size_t at = 4 * (1 + 2 * 42 + 3 * 7);
    const int32_t values[7] = {4 | 1, 8, 0, 0, 9, 30, 15};
    for (int i = 0; i < 7; ++i) PutInt(plan, at + 4 * i, values[i]);
    const int begin = 8 * 3600, end = 9 * 3600 + 30 * 60 + 15;
    EXPECT_EQ(1, IsPlannedAt(plan.data(), plan.size(), 2, begin));
    EXPECT_EQ(1, IsPlannedAt(plan.data(), plan.size(), 2, end));
    EXPECT_EQ(0, IsPlannedAt(plan.data(), plan.size(), 2, begin - 1));
    EXPECT_EQ(0, IsPlannedAt(plan.data(), plan.size(), 2, end + 1));
    EXPECT_EQ(0, IsPlannedAt(plan.data(), plan.size(), 3, begin));
    EXPECT_EQ(0, IsPlannedAt(plan.data(), plan.size() - 1, 2, begin));
    PutInt(plan, at, 1);  // a section without the recording flag does not count
    EXPECT_EQ(0, IsPlannedAt(plan.data(), plan.size(), 2, begin));
}

}  // namespace
