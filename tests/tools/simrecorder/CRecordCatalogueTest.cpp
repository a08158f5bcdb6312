#include "tools/simrecorder/CRecordCatalogue.h"

#include <gtest/gtest.h>

#include "standins/qvnetsdk/SdkWire.h"

namespace {

const QVNET_TIME kDay = {2026, 5, 10, 0, 0, 0};

int64_t At(int hour, int minute, int second = 0) {
    return qvwire::TimeToSeconds(kDay) + hour * 3600 + minute * 60 + second;
}

SimRecorderConfig TwoRules() {
    SimRecorderConfig config;
    config.channelCount = 3;
    SimCatalogueRule normal;
    normal.channelMask = 0x5;  // channels 0 and 2
    normal.firstDay = kDay;
    normal.days = 2;
    normal.fileMinutes = 60;
    normal.dayStartSecond = 8 * 3600;
    normal.dayEndSecond = 18 * 3600 + 1800;  // the last file of a day is cut at 18:30
    config.rules.push_back(normal);
    SimListedFile alarm;
    alarm.channel = 1;
    alarm.start = {2026, 5, 10, 12, 0, 5};
    alarm.end = {2026, 5, 10, 12, 1, 5};
    alarm.recordType = 1;
    alarm.recordKind = 9;
    config.files.push_back(alarm);
    return config;
}

}  // namespace

TEST(RecordCatalogue, RulesMakeFilesPerChannelDayAndSlot) {
    CRecordCatalogue catalogue;
    catalogue.Build(TwoRules());
    EXPECT_EQ(catalogue.FileCount(), 2u * 2u * 11u + 1u);
    const std::vector<RECORD_FILE_DESC> day = catalogue.Query(2, 0, At(0, 0), At(24, 0));
    ASSERT_EQ(day.size(), 11u);
    EXPECT_EQ(qvwire::TimeToSeconds(day.front().start), At(8, 0));
    EXPECT_EQ(qvwire::TimeToSeconds(day.back().start), At(18, 0));
    EXPECT_EQ(qvwire::TimeToSeconds(day.back().end), At(18, 30));
    EXPECT_STREQ(day.front().fileName, "ch03_20260510_080000.qvs");
    EXPECT_TRUE(catalogue.Query(1, 0, At(8, 0), At(9, 0)).empty()) << "channel 1 is not in the rule's mask";
    streamfmt::StreamParams streamParams;
    ASSERT_TRUE(catalogue.ParamsOfFile(day.front(), streamParams));
    EXPECT_EQ(day.front().sizeKB, (streamfmt::StreamLength(streamParams) + 1023) / 1024);
}

TEST(RecordCatalogue, QueryTakesFilesOverlappingTheWindowOnly) {
    CRecordCatalogue catalogue;
    catalogue.Build(TwoRules());
    struct Case {
        int64_t start, end;
        size_t count;
    } cases[] = {
        {At(9, 0), At(10, 0), 1},       // exactly one file
        {At(9, 0, 1), At(10, 0), 1},    // a file ending at the start is out
        {At(8, 59, 59), At(10, 0), 2},  // one second of the earlier file counts
        {At(9, 0), At(10, 0, 1), 2},    // a file beginning at the end is out, one second later in
        {At(19, 0), At(23, 0), 0},     {At(10, 0), At(10, 0), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(catalogue.Query(0, 0, c.start, c.end).size(), c.count)
            << c.start - At(0, 0) << ".." << c.end - At(0, 0);
    }
    // The record type filter.
    EXPECT_EQ(catalogue.Query(1, 1, At(0, 0), At(24, 0)).size(), 1u);
    EXPECT_EQ(catalogue.Query(1, 2, At(0, 0), At(24, 0)).size(), 0u);
    const RECORD_FILE_DESC alarm = catalogue.Query(1, 0, At(0, 0), At(24, 0)).at(0);
    EXPECT_EQ(alarm.recordType, 1);
    EXPECT_EQ(alarm.recordKind, 9);
}

TEST(RecordCatalogue, StreamsOfFilesAndRanges) {
    CRecordCatalogue catalogue;
    catalogue.Build(TwoRules());
    RECORD_FILE_DESC file = catalogue.Query(0, 0, At(9, 0), At(10, 0)).at(0);
    streamfmt::StreamParams streamParams;
    ASSERT_TRUE(catalogue.ParamsOfFile(file, streamParams));
    EXPECT_EQ(streamParams.channel, 0u);
    EXPECT_EQ(streamParams.beginTime, At(9, 0));
    EXPECT_EQ(streamParams.endTime, At(10, 0));
    file.end.second = 1;
    EXPECT_FALSE(catalogue.ParamsOfFile(file, streamParams)) << "a descriptor must name a whole file";
    file.end.month = 13;
    EXPECT_FALSE(catalogue.ParamsOfFile(file, streamParams));

    // A range is clipped to what was recorded around it.
    ASSERT_TRUE(catalogue.ParamsOfRange(0, At(7, 0), At(8, 30), streamParams));
    EXPECT_EQ(streamParams.beginTime, At(8, 0));
    EXPECT_EQ(streamParams.endTime, At(8, 30));
    ASSERT_TRUE(catalogue.ParamsOfRange(0, At(18, 10), At(20, 0), streamParams));
    EXPECT_EQ(streamParams.endTime, At(18, 30));
    EXPECT_FALSE(catalogue.ParamsOfRange(0, At(19, 0), At(20, 0), streamParams));
    EXPECT_FALSE(catalogue.ParamsOfRange(0, At(10, 0), At(9, 0), streamParams));
}
