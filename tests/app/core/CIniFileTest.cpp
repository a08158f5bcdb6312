#include "app/core/CIniFile.h"

#include <gtest/gtest.h>

#include "TempDir.h"

class CIniFileTest : public ::testing::Test {
protected:
    TempDir dir;
    CIniFile ini{CString(dir.File(L"test.ini").c_str())};

    void Put(const wchar_t* key, const wchar_t* value) { ASSERT_TRUE(ini.WriteString(L"S", key, value)); }
};

TEST_F(CIniFileTest, BooleanIsTrueOnlyForExactlyOne) {
    Put(L"one", L"1");
    Put(L"two", L"2");
    Put(L"minus", L"-1");
    EXPECT_TRUE(ini.GetBool(L"S", L"one", FALSE));
    EXPECT_FALSE(ini.GetBool(L"S", L"two", TRUE));
    EXPECT_FALSE(ini.GetBool(L"S", L"minus", TRUE));
    EXPECT_TRUE(ini.GetBool(L"S", L"missing", TRUE));
    EXPECT_TRUE(ini.GetBool(L"S", L"missing", 1));
    ASSERT_TRUE(ini.WriteBool(L"S", L"flag", FALSE));
    EXPECT_STREQ(L"0", ini.GetString(L"S", L"flag", L"absent"));
}

TEST_F(CIniFileTest, NumbersFromText) {
    Put(L"digits", L"12ab");
    Put(L"letters", L"ab");
    Put(L"negative", L"-15");
    EXPECT_EQ(12, ini.GetLong(L"S", L"digits", 7));
    EXPECT_EQ(0, ini.GetLong(L"S", L"letters", 7));
    EXPECT_EQ(-15, ini.GetLong(L"S", L"negative", 7));
    EXPECT_EQ(7, ini.GetLong(L"S", L"missing", 7));
    EXPECT_EQ(-15, ini.GetInt(L"S", L"negative", 3));
    EXPECT_EQ(3, ini.GetInt(L"S", L"missing", 3));
    ASSERT_TRUE(ini.WriteInt(L"S", L"n", -2));
    EXPECT_EQ(-2, ini.GetInt(L"S", L"n", 0));
}

TEST_F(CIniFileTest, LongValuesAreCutAt1023Characters) {
    CString value(L'v', 1500);
    Put(L"long", value);
    CString read = ini.GetString(L"S", L"long", L"");
    EXPECT_EQ(1023, read.GetLength());
    EXPECT_EQ(value.Left(1023), read);
    EXPECT_STREQ(L"dflt", ini.GetString(L"Other", L"long", L"dflt"));
}
