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

TEST_F(CIniFileTest, WritesReplaceTheFileWholeAndLeaveNoTemporary) {
    Put(L"first", L"1");
    const std::wstring path = dir.File(L"test.ini");
    const ULONGLONG before = FileIdentity(path);
    ASSERT_NE(0u, before);
    Put(L"second", L"2");
    EXPECT_NE(before, FileIdentity(path)) << "rewritten in place";
    EXPECT_STREQ(L"2", ini.GetString(L"S", L"second", L""));
    wchar_t value[16] = {0};
    GetPrivateProfileStringW(L"S", L"first", L"", value, 16, path.c_str());
    EXPECT_STREQ(L"1", value);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(dir.File(L"*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "left behind";
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(CIniFileTest, ABatchWritesOnceWhenItCloses) {
    Put(L"kept", L"old");
    const std::wstring path = dir.File(L"test.ini");
    const std::string before = ReadWholeFile(path);
    CIniFile other(ini.GetPath());  // a second object on the same file
    {
        CIniFile::CBatch batch(ini);
        ASSERT_TRUE(ini.WriteString(L"S", L"a", L"1"));
        ASSERT_TRUE(other.WriteInt(L"T", L"b", 2));
        EXPECT_EQ(before, ReadWholeFile(path)) << "written before the batch closed";
        EXPECT_EQ(2, ini.GetInt(L"T", L"b", 0));
        EXPECT_TRUE(batch.Close());
    }
    CIniFile fresh(ini.GetPath());
    EXPECT_STREQ(L"1", fresh.GetString(L"S", L"a", L""));
    EXPECT_EQ(2, fresh.GetInt(L"T", L"b", 0));
    EXPECT_STREQ(L"old", fresh.GetString(L"S", L"kept", L""));
}

TEST_F(CIniFileTest, ReadsWhatOtherWritersPutAndKeepsTheirLines) {
    const std::wstring path = dir.File(L"test.ini");
    ASSERT_TRUE(WriteWholeFile(path,
                               "; a comment\r\n[Main]\r\n  Quoted = \"two words\" \r\nMaskColor=1,2,3\r\n"
                               "noequals\r\n\r\n[main]\r\nQuoted=second section\r\n"));
    EXPECT_STREQ(L"two words", ini.GetString(L"MAIN", L"quoted", L""));
    EXPECT_STREQ(L"1,2,3", ini.GetString(L"Main", L"MaskColor ", L""));  // the key's blank is not part of it
    EXPECT_TRUE(ini.HasKey(L"Main", L"noequals"));
    ASSERT_TRUE(ini.WriteString(L"Main", L"MaskColor", L"4,5,6"));
    const std::string text = ReadWholeFile(path);
    EXPECT_NE(std::string::npos, text.find("; a comment")) << text;
    EXPECT_NE(std::string::npos, text.find("Quoted = \"two words\"")) << text;
    EXPECT_NE(std::string::npos, text.find("Quoted=second section")) << text;
    wchar_t value[32] = {0};
    GetPrivateProfileStringW(L"Main", L"MaskColor", L"", value, 32, path.c_str());
    EXPECT_STREQ(L"4,5,6", value);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Main", L"Added", L"7", path.c_str()));
    EXPECT_EQ(7, ini.GetInt(L"Main", L"Added", 0));
    // A text the code page lacks survives the round trip.
    const CString wide = L"C:\\\x4E2D\x6587";
    ASSERT_TRUE(ini.WriteString(L"Main", L"Dir", wide));
    EXPECT_STREQ(wide, CIniFile(ini.GetPath()).GetString(L"Main", L"Dir", L""));
}

TEST_F(CIniFileTest, AFileThatCannotBeReadIsNeverReplaced) {
    const std::wstring path = dir.File(L"test.ini");
    const std::string stored = "[S]\r\nuser=data\r\n";
    ASSERT_TRUE(WriteWholeFile(path, stored));
    HANDLE exclusive = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
    EXPECT_EQ(5, ini.GetInt(L"S", L"missing", 5));
    EXPECT_FALSE(ini.WriteString(L"S", L"other", L"x"));
    CloseHandle(exclusive);
    EXPECT_EQ(stored, ReadWholeFile(path));
    EXPECT_STREQ(L"data", ini.GetString(L"S", L"user", L""));
}
