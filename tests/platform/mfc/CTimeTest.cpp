#include <afx.h>

#include <gtest/gtest.h>

TEST(CTimeTest, FieldsAndFormatRoundTripInLocalTime) {
    CTime t(2009, 1, 2, 3, 4, 5);
    EXPECT_EQ(2009, t.GetYear());
    EXPECT_EQ(1, t.GetMonth());
    EXPECT_EQ(2, t.GetDay());
    EXPECT_EQ(3, t.GetHour());
    EXPECT_EQ(4, t.GetMinute());
    EXPECT_EQ(5, t.GetSecond());
    EXPECT_EQ(6, t.GetDayOfWeek());  // a Friday; 1 is Sunday
    EXPECT_STREQ(L"2009-01-02 03:04:05", t.Format(L"%Y-%m-%d %H:%M:%S"));
    EXPECT_STREQ(L"", t.Format(L""));

    SYSTEMTIME st;
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(t, CTime(st));
}

TEST(CTimeTest, OutOfRangeFieldsNormalise) {
    EXPECT_EQ(CTime(2010, 1, 1, 0, 0, 0), CTime(2009, 13, 1, 0, 0, 0));
    EXPECT_EQ(CTime(2009, 3, 1, 0, 0, 0), CTime(2009, 2, 29, 0, 0, 0));
    EXPECT_EQ(CTime(2009, 1, 2, 0, 0, 0), CTime(2009, 1, 1, 24, 0, 0));
}

TEST(CTimeTest, SpanArithmetic) {
    CTime start(2009, 12, 31, 23, 59, 30);
    CTime later = start + CTimeSpan(1, 0, 0, 45);
    EXPECT_STREQ(L"2010-01-02 00:00:15", later.Format(L"%Y-%m-%d %H:%M:%S"));
    CTimeSpan diff = later - start;
    EXPECT_EQ(1, diff.GetDays());
    EXPECT_EQ(0, diff.GetHours());
    EXPECT_EQ(0, diff.GetMinutes());
    EXPECT_EQ(45, diff.GetSeconds());
    EXPECT_EQ(24 * 3600 + 45, diff.GetTotalSeconds());
    EXPECT_TRUE(start < later);
    EXPECT_EQ(start, later - diff);

    CTime now = CTime::GetCurrentTime();
    EXPECT_GE(now.GetYear(), 2020);
}
