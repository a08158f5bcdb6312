// Stored files that cannot be read: the names they are kept under, the move
// aside and its reports, and what is kept of an XML list damaged in
// different ways.
#include "app/core/UnreadableFiles.h"
#include "app/core/XmlFile.h"
#include "app/core/XmlSalvage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DamagedBytes.h"
#include "TempDir.h"

namespace {

std::string Narrow(const CString& text) { return std::string(CStringA(text).GetString()); }

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

// The minute after the time (enough for the few seconds a test takes).
SYSTEMTIME NextMinute(SYSTEMTIME time) {
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart += 60ULL * 10000000ULL;
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    FileTimeToSystemTime(&file, &time);
    return time;
}

class StoredFileDamageTest : public ::testing::Test {
protected:
    void SetUp() override { TakeUnreadableFileNotices(); }
    void TearDown() override { SetUnreadableFileListener(nullptr); }

    TempDir dir;
};

TEST_F(StoredFileDamageTest, KeptNamesSayWhenAndCountUp) {
    const struct {
        SYSTEMTIME when;
        int number;
        const wchar_t* expected;
    } cases[] = {
        {Time(2026, 12, 11, 9, 30), 1, L"C:\\u\\device.xml.unreadable-20261211-0930"},
        {Time(2026, 1, 2, 0, 5), 1, L"C:\\u\\device.xml.unreadable-20260102-0005"},
        {Time(2026, 12, 11, 23, 59), 2, L"C:\\u\\device.xml.unreadable-20261211-2359-2"},
        {Time(2026, 12, 11, 9, 30), 12, L"C:\\u\\device.xml.unreadable-20261211-0930-12"},
    };
    for (const auto& c : cases) EXPECT_STREQ(c.expected, UnreadableFileName(L"C:\\u\\device.xml", c.when, c.number));
}

TEST_F(StoredFileDamageTest, SetAsideNeverReplacesAnEarlierKeptFileAndReportsOnce) {
    const std::wstring file = dir.File(L"device.xml");
    const CString path(file.c_str());
    // Earlier kept files of this minute and the next, which must survive.
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::vector<CString> earlier;
    for (const SYSTEMTIME& minute : {now, NextMinute(now)}) {
        for (int number = 1; number <= 2; ++number) {
            earlier.push_back(UnreadableFileName(path, minute, number));
            ASSERT_TRUE(WriteWholeFile(earlier.back().GetString(), "earlier"));
        }
    }
    std::vector<UNREADABLE_FILE> heard;
    SetUnreadableFileListener([&heard](const UNREADABLE_FILE& f) { heard.push_back(f); });
    const std::string damaged("<Organization><Device id=\"10", 28);
    ASSERT_TRUE(WriteWholeFile(file, damaged));
    ASSERT_TRUE(WriteWholeFile(file + L"-journal", "journal"));

    UNREADABLE_FILE kept;
    ASSERT_EQ(0, SetAsideUnreadableFile(path, {L"-journal", L"-wal"}, &kept));

    EXPECT_FALSE(PathExists(file)) << "the name is free for a new file";
    EXPECT_EQ(damaged, ReadWholeFile(kept.keptAs.GetString())) << "kept byte for byte";
    EXPECT_EQ("journal", ReadWholeFile((kept.keptAs + L"-journal").GetString())) << "the companion follows";
    EXPECT_FALSE(PathExists(kept.keptAs.GetString() + std::wstring(L"-wal")));
    EXPECT_EQ(std::wstring(L"-3"), std::wstring(kept.keptAs.Right(2).GetString())) << Narrow(kept.keptAs);
    for (const CString& name : earlier) EXPECT_EQ("earlier", ReadWholeFile(name.GetString())) << Narrow(name);

    ASSERT_EQ(1u, heard.size());
    EXPECT_STREQ(path, heard[0].path);
    EXPECT_STREQ(kept.keptAs, heard[0].keptAs);
    const std::vector<UNREADABLE_FILE> notices = TakeUnreadableFileNotices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_STREQ(kept.keptAs, notices[0].keptAs);
    EXPECT_TRUE(TakeUnreadableFileNotices().empty()) << "each notice is handed out once";
}

TEST_F(StoredFileDamageTest, AFileThatCannotBeKeptIsLeftAndStillReported) {
    const CString missingDir(dir.File(L"gone\\device.xml").c_str());
    EXPECT_EQ(-1, SetAsideUnreadableFile(missingDir));
    const std::vector<UNREADABLE_FILE> notices = TakeUnreadableFileNotices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_TRUE(notices[0].keptAs.IsEmpty());
}

// A list as the program writes it: three records, the first and the last
// with children.
const std::string kList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
    "<Organization grade=\"1\">\r\n"
    "    <Device id=\"1001\" title=\"a\">\r\n"
    "        <Channel num=\"1\" title=\"x\" />\r\n"
    "    </Device>\r\n"
    "    <Device id=\"1002\" title=\"b\" />\r\n"
    "    <Device id=\"1003\" title=\"c\">\r\n"
    "        <Channel num=\"1\" title=\"y\" />\r\n"
    "    </Device>\r\n"
    "</Organization>\r\n";

std::string CutAt(const std::string& marker, size_t extra) { return kList.substr(0, kList.find(marker) + extra); }

std::string OverwriteFrom(const std::string& marker) {
    const size_t at = kList.find(marker);
    return kList.substr(0, at) + PseudoRandomBytes(kList.size() - at, 7);
}

// The ids of the records, and the titles of their channels, in order.
std::string Records(const TiXmlDocument& doc) {
    std::string out;
    for (const TiXmlElement* section = doc.FirstChildElement(); section; section = section->NextSiblingElement()) {
        for (const TiXmlElement* record = section->FirstChildElement(); record; record = record->NextSiblingElement()) {
            out += record->Attribute("id") ? record->Attribute("id") : "?";
            for (const TiXmlElement* child = record->FirstChildElement(); child; child = child->NextSiblingElement())
                out += std::string("/") + (child->Attribute("title") ? child->Attribute("title") : "?");
            out += " ";
        }
    }
    return out;
}

TEST_F(StoredFileDamageTest, DamagedListsKeepTheRecordsBeforeTheDamageAndAreKeptAside) {
    const struct {
        const char* kind;
        std::string bytes;
        int result;           // of ReadStoredXmlFile
        const char* records;  // what the program goes on with
    } cases[] = {
        {"whole", kList, 0, "1001/x 1002 1003/y "},
        {"emptied", "", 1, ""},
        {"truncated in the last record's child", CutAt("<Channel num=\"1\" title=\"y", 20), 2, "1001/x 1002 "},
        {"truncated in the first record's attributes", CutAt("title=\"a", 8), 2, ""},
        {"truncated after the last record", CutAt("</Organization>", 0), 2, "1001/x 1002 1003/y "},
        {"truncated inside the closing tag", CutAt("</Organization>", 5), 2, "1001/x 1002 1003/y "},
        {"random bytes over the last record", OverwriteFrom("<Device id=\"1003"), 2, "1001/x 1002 "},
        {"random bytes", PseudoRandomBytes(600, 3), 2, ""},
        {"zero-filled", std::string(kList.size(), '\0'), 2, ""},
        {"blanks only", "  \r\n", 2, ""},
        {"another kind of file", std::string("SQLite format 3\0\x10\0", 19) + PseudoRandomBytes(200, 5), 2, ""},
        {"wrong types in values",
         "<Organization><Device id=\"many\" port=\"x\" channel=\"-\"><Channel num=\"one\"/></Device></Organization>", 0,
         "many/? "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const std::wstring file = dir.File(L"list.xml");
        const CString path(file.c_str());
        ASSERT_TRUE(WriteWholeFile(file, c.bytes));
        TiXmlDocument doc;
        EXPECT_EQ(c.result, ReadStoredXmlFile(path, doc));
        EXPECT_EQ(c.records, Records(doc));

        const std::vector<UNREADABLE_FILE> notices = TakeUnreadableFileNotices();
        if (c.result != 2) {
            EXPECT_TRUE(notices.empty());
            EXPECT_EQ(c.bytes, ReadWholeFile(file)) << "a readable file is left as it is";
            continue;
        }
        ASSERT_EQ(1u, notices.size());
        EXPECT_STREQ(path, notices[0].path);
        EXPECT_EQ(c.bytes, ReadWholeFile(notices[0].keptAs.GetString())) << "kept aside byte for byte";
        // What was kept of it is the file now, and reads whole.
        TiXmlDocument again;
        EXPECT_LE(0, ReadStoredXmlFile(path, again));
        EXPECT_NE(2, ReadStoredXmlFile(path, again));
        EXPECT_EQ(c.records, Records(again));
        EXPECT_TRUE(TakeUnreadableFileNotices().empty());
        DeleteFileW(notices[0].keptAs);
    }
}

TEST_F(StoredFileDamageTest, SalvageOfALargeListCutShortKeepsEveryRecordBeforeTheCut) {
    std::string text = "<?xml version=\"1.0\" ?>\n<AutoBackupSchedule>\n";
    for (int i = 0; i < 5000; ++i)
        text += "  <BackupSchedule DevID=\"" + std::to_string(1000 + i) +
                "\"><WeekDayInfo WeekDay=\"1\" /></BackupSchedule>\n";
    text += "</AutoBackupSchedule>\n<ManualBackupSchedule>\n</ManualBackupSchedule>\n";
    // Cut in the middle of record 3000's child, and damaged in the middle
    // of record 1000 (everything after a damage is lost with it).
    const size_t cut = text.find("DevID=\"4000\"") + 30;
    TiXmlDocument doc;
    EXPECT_EQ(3000, SalvageXmlText(text.substr(0, cut), doc));
    std::string damaged = text;
    damaged[damaged.find("DevID=\"2000\"") + 3] = '<';
    EXPECT_EQ(1000, SalvageXmlText(damaged, doc));
    const TiXmlElement* last = doc.FirstChildElement("AutoBackupSchedule")->LastChild()->ToElement();
    EXPECT_STREQ("1999", last->Attribute("DevID"));
}

}  // namespace
