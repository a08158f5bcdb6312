#include "app/core/BackupScheduleXml.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "SchedFixtures.h"
#include "app/core/XmlFile.h"

namespace {

// The schedules the general parser gives; false when the text does not parse.
bool ReadThroughDocument(const std::string& text, std::vector<BACKUP_SCHEDULE>& out) {
    TiXmlDocument doc;
    if (ParseXmlText(text, doc) < 0) return false;
    ReadScheduleDocument(doc, out);
    return true;
}

bool SameRecords(const std::vector<BACKUP_SCHEDULE>& a, const std::vector<BACKUP_SCHEDULE>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0);
}

// Whenever the plain reader takes a text, the general parser must take it
// too and give the same records.
void ExpectAgreement(const std::string& text, bool* plain = nullptr) {
    std::vector<BACKUP_SCHEDULE> fast, general;
    const bool read = ReadPlainScheduleXml(text.data(), text.size(), fast);
    if (plain) *plain = read;
    if (!read) {
        EXPECT_TRUE(fast.empty());
        return;
    }
    ASSERT_TRUE(ReadThroughDocument(text, general)) << text;
    EXPECT_TRUE(SameRecords(fast, general)) << text;
}

}  // namespace

TEST(BackupScheduleXmlTest, ReadsTheProgramsOwnFileStraightIntoRecords) {
    std::vector<BACKUP_SCHEDULE> read;
    ASSERT_TRUE(ReadPlainScheduleXml(kSavedScheduleFile, std::strlen(kSavedScheduleFile), read));
    ASSERT_EQ(1u, read.size());  // the manual section is not read
    const BACKUP_SCHEDULE& first = read[0];
    EXPECT_EQ(1002, first.DevID);
    EXPECT_EQ(3, first.ChannelIndex);
    EXPECT_EQ(2, first.AgoType);
    EXPECT_EQ(8, first.RunTime.FHour);
    EXPECT_EQ(30, first.RunTime.TMinute);
    EXPECT_EQ(4, first.RecordTime.TMinute);
    EXPECT_EQ(2024, first.EndTime.Year);
    EXPECT_EQ(9, first.EndTime.Second);
    EXPECT_EQ((std::vector<int>{1, 0, 0, 1, 0, 0, 0}),
              std::vector<int>(first.WeekDayEnable, first.WeekDayEnable + kDaysPerWeek));
    for (int state : first.DayState) EXPECT_EQ(kDayIdle, state);  // "Complete" is not taken over
    ExpectAgreement(kSavedScheduleFile);
}

// Texts beside the program's own form: the plain reader either reads them as
// the general parser does or leaves them to it.
TEST(BackupScheduleXmlTest, OtherFormsAgreeWithTheGeneralParser) {
    const struct {
        const char* text;
        bool plain;  // read by the plain reader
    } cases[] = {
        {"<AutoBackupSchedule><BackupSchedule DevID='7' AgoType = '1'/></AutoBackupSchedule>", true},
        // Numbers as sscanf reads them: spaces, signs, trailing text, no digits.
        {"<AutoBackupSchedule><BackupSchedule DevID=' 12x' ChannelIndex='+3' AgoType='-2'>"
         "<BackupScheduleRunTime FHour='300' FMinute='abc' THour='-1' TMinute=''/></BackupSchedule>"
         "</AutoBackupSchedule>",
         true},
        // First window counts, every weekday entry does, deeper elements do not.
        {"<AutoBackupSchedule><BackupSchedule>text<BackupScheduleRunTime FHour='1'/>"
         "<BackupScheduleRunTime FHour='2'/><WeekDayInfo WeekDay='6' Enable='1'/>"
         "<WeekDayInfo WeekDay='6' Enable='0'/><WeekDayInfo WeekDay='9' Enable='1'/><WeekDayInfo Enable='5'/>"
         "<x><BackupScheduleEndTime Year='5'/></x></BackupSchedule></AutoBackupSchedule>",
         true},
        // Two sections are both read; a nested one and the manual one are not.
        {"<AutoBackupSchedule><BackupSchedule DevID='1'/></AutoBackupSchedule>"
         "<Other><AutoBackupSchedule><BackupSchedule DevID='2'/></AutoBackupSchedule></Other>"
         "<AutoBackupSchedule><BackupSchedule DevID='3'/><BackupSchedule DevID='4'/></AutoBackupSchedule >",
         true},
        {"<AutoBackupSchedule><!-- note --><BackupSchedule DevID='1'/></AutoBackupSchedule>", false},
        {"<AutoBackupSchedule><BackupSchedule DevID='&#49;'/></AutoBackupSchedule>", false},
        {"<?xml version='1.0'?><AutoBackupSchedule><BackupSchedule DevID='1'/></AutoBackupSchedule>", false},
        {"<AutoBackupSchedule><BackupSchedule DevID='12345678901'/></AutoBackupSchedule>", false},
        {"<AutoBackupSchedule><BackupSchedule DevID=1/></AutoBackupSchedule>", false},
        // Faults the general parser reports.
        {"<AutoBackupSchedule><BackupSchedule DevID='1' DevID='2'/></AutoBackupSchedule>", false},
        {"<AutoBackupSchedule><BackupSchedule DevID='1'></AutoBackupSchedule>", false},
        {"<AutoBackupSchedule><BackupSchedule DevID='1'/>", false},
        {"<AutoBackupSchedule><BackupSchedule DevID='1'/></AutoBackupScheduleX>", false},
        {"   \r\n ", false},
        {"stray text", false},
    };
    for (const auto& c : cases) {
        bool plain = false;
        ExpectAgreement(c.text, &plain);
        EXPECT_EQ(c.plain, plain) << c.text;
    }
}

// Mutations of the program's own file, decided by both readers: wherever the
// plain reader takes one, the general parser gives the same records.
TEST(BackupScheduleXmlTest, MutatedFilesAgreeWithTheGeneralParser) {
    const char* const pieces[] = {"<",
                                  ">",
                                  "/",
                                  "=",
                                  "\"",
                                  "'",
                                  " ",
                                  "\n",
                                  "&amp;",
                                  "<!-- c -->",
                                  "</",
                                  "/>",
                                  "BackupSchedule",
                                  "AutoBackupSchedule",
                                  "WeekDayInfo",
                                  "WeekDay",
                                  "DevID",
                                  "9999999999",
                                  "-",
                                  "7",
                                  "\xC3\xA9",
                                  "<![CDATA[x]]>",
                                  " DevID=\"3\""};
    const std::string seed = kSavedScheduleFile;
    std::mt19937 random(29);
    int plainCount = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text = seed;
        for (int edits = 1 + static_cast<int>(random() % 3); edits > 0; --edits) {
            const size_t at = random() % (text.size() + 1);
            switch (random() % 3) {
                case 0: text.erase(at, 1 + random() % 3); break;
                case 1: text.insert(at, pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))]); break;
                default:
                    if (at < text.size()) text[at] = static_cast<char>(random() % 128);
            }
        }
        bool plain = false;
        ExpectAgreement(text, &plain);
        plainCount += plain ? 1 : 0;
        if (HasFailure()) return;
    }
    // Most mutations leave a file the plain reader still takes or refuses by
    // itself; both kinds must have been exercised.
    EXPECT_GT(plainCount, 1000);
    EXPECT_LT(plainCount, 20000);
}
