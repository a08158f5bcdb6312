#include "app/core/CBackupScheduleStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "SchedFixtures.h"
#include "app/core/RefusedValues.h"
#include "TempDir.h"
#include "app/core/UnreadableFiles.h"

namespace {

class CBackupScheduleStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::wstring file = dir.File(L"backupschedule.xml");
    CString path{file.c_str()};
    CBackupScheduleStore store;
};

// A file of two automatic schedules written the way the program writes them.
const char kTwoSchedules[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
    "<AutoBackupSchedule>\n"
    "  <BackupSchedule DevID=\"1001\" ChannelIndex=\"2\" Complete=\"3\" AgoType=\"1\">\n"
    "    <BackupScheduleRunTime FHour=\"8\" FMinute=\"15\" THour=\"9\" TMinute=\"45\" />\n"
    "    <BackupScheduleDeviceRecordTime FHour=\"0\" FMinute=\"0\" THour=\"23\" TMinute=\"59\" />\n"
    "    <BackupScheduleEndTime Year=\"2024\" Month=\"2\" Day=\"29\" Hour=\"1\" Minute=\"2\" Second=\"3\" />\n"
    "    <WeekDayInfo WeekDay=\"1\" Enable=\"1\" />\n"
    "    <WeekDayInfo WeekDay=\"5\" Enable=\"1\" />\n"
    "  </BackupSchedule>\n"
    "  <BackupSchedule DevID=\"1002\" ChannelIndex=\"0\" AgoType=\"9\" />\n"
    "</AutoBackupSchedule>\n"
    "<ManualBackupSchedule>\n"
    "  <BackupSchedule DevID=\"1003\" ChannelIndex=\"1\" AgoType=\"256\" />\n"
    "</ManualBackupSchedule>\n";

}  // namespace

TEST(BackupScheduleRecordTest, TimeRangeClampsAndFormats) {
    TIME_RANGE range = Range(7, 5, 24, 30);
    EXPECT_STREQ(L"07:05", range.FormatStart());
    EXPECT_EQ(7 * 60 + 5, range.GetStartMinutes());
    // Reading the end clamps it in the record itself.
    EXPECT_EQ(24, range.THour);
    EXPECT_STREQ(L"23:59", range.FormatEnd());
    EXPECT_EQ(23, range.THour);
    EXPECT_EQ(59, range.TMinute);
    EXPECT_EQ(1439, range.GetEndMinutes());

    TIME_RANGE late = Range(23, 60, 0, 0);  // exactly 1440 minutes
    EXPECT_EQ(1439, late.GetStartMinutes());
    CTime start = Range(6, 45, 0, 0).GetStartTime();
    EXPECT_EQ(2000, start.GetYear());
    EXPECT_EQ(1, start.GetMonth());
    EXPECT_EQ(1, start.GetDay());
    EXPECT_EQ(6, start.GetHour());
    EXPECT_EQ(45, start.GetMinute());
    EXPECT_EQ(0, start.GetSecond());
    EXPECT_EQ(23, Range(0, 0, 25, 0).GetEndTime().GetHour());

    BACKUP_SCHEDULE schedule;
    const BACKUP_SCHEDULE zero = [] {
        BACKUP_SCHEDULE z;
        std::memset(static_cast<void*>(&z), 0, sizeof(z));
        return z;
    }();
    EXPECT_EQ(0, std::memcmp(&schedule, &zero, sizeof(schedule)));
}

TEST_F(CBackupScheduleStoreTest, SaveWritesTheFileFormat) {
    BACKUP_SCHEDULE automatic = MakeSchedule(1002, 3, Range(8, 0, 9, 30), {3, 0}, 2);
    automatic.RecordTime = Range(1, 2, 3, 4);
    automatic.EndTime = {2024, 5, 6, 7, 8, 9};
    automatic.DayState[0] = kDayEnded;
    automatic.WeekDayEnable[4] = 2;  // only 1 means enabled
    ASSERT_EQ(0, store.AddAuto(automatic));
    BACKUP_SCHEDULE manual = MakeSchedule(1005, 1, Range(20, 0, 21, 0), {1});
    manual.RecordTime = Range(10, 0, 11, 0);
    ASSERT_EQ(0, store.AddManual(manual));

    ASSERT_EQ(0, store.Save(path));
    EXPECT_EQ(kSavedScheduleFile, ReadWholeFile(file));
    EXPECT_FALSE(PathExists(file + L".tmp"));
}

TEST_F(CBackupScheduleStoreTest, LoadTakesAutomaticSchedulesOnly) {
    ASSERT_TRUE(WriteWholeFile(file, kTwoSchedules));
    ASSERT_EQ(0, store.AddManual(MakeSchedule(1009, 0, Range(0, 0, 0, 0), {})));

    ASSERT_EQ(0, store.Load(path));
    std::vector<BACKUP_SCHEDULE> all;
    ASSERT_EQ(0, store.ListAll(all, TRUE));
    // The manual schedule held before stays; the file's manual section is not read.
    ASSERT_EQ((std::vector<int>{1, 2, kManualScheduleIdBase + 1}), IdsOf(all));
    EXPECT_EQ(1009, all[2].DevID);

    const BACKUP_SCHEDULE& first = all[0];
    EXPECT_EQ(1001, first.DevID);
    EXPECT_EQ(2, first.ChannelIndex);
    EXPECT_EQ(1, first.AgoType);
    EXPECT_STREQ(L"08:15", TIME_RANGE(first.RunTime).FormatStart());
    EXPECT_STREQ(L"09:45", TIME_RANGE(first.RunTime).FormatEnd());
    EXPECT_STREQ(L"23:59", TIME_RANGE(first.RecordTime).FormatEnd());
    EXPECT_EQ(2024, first.EndTime.Year);
    EXPECT_EQ(29, first.EndTime.Day);
    EXPECT_EQ(3, first.EndTime.Second);
    const int expectedDays[kDaysPerWeek] = {0, 1, 0, 0, 0, 1, 0};
    for (int day = 0; day < kDaysPerWeek; ++day) {
        EXPECT_EQ(expectedDays[day], first.WeekDayEnable[day]) << day;
        EXPECT_EQ(kDayIdle, first.DayState[day]) << "Complete is never taken over";
    }
    // Missing elements leave their fields 0.
    EXPECT_EQ(1002, all[1].DevID);
    EXPECT_EQ(9, all[1].AgoType);
    EXPECT_EQ(0, all[1].RunTime.THour);
    EXPECT_EQ(0, all[1].WeekDayEnable[1]);

    // Ids are given anew on every load and never reused within one.
    EXPECT_EQ(0, store.DeleteAuto(1));
    EXPECT_EQ(0, store.AddAuto(MakeSchedule(1004, 0, Range(1, 0, 2, 0), {2})));
    EXPECT_EQ(0, store.ExistsAuto(3));
    ASSERT_EQ(0, store.Load(path));
    EXPECT_EQ(0, store.ExistsAuto(1));
    EXPECT_EQ(-1, store.ExistsAuto(3));
    EXPECT_EQ(3, store.PeekNextAutoId());
}

TEST_F(CBackupScheduleStoreTest, LoadOfUnusableFiles) {
    struct Case {
        const char* name;
        const char* content;  // nullptr: no file at all
        int result;
        std::vector<int> ids;
    } cases[] = {
        {"missing file", nullptr, 0, {}},
        {"empty file", "", 0, {}},
        {"only blanks", "  \r\n", 1, {}},
        {"malformed", "<AutoBackupSchedule><BackupSchedule DevID=\"1\"", 1, {}},
        {"truncated in the middle",
         "<?xml version=\"1.0\" ?>\n<AutoBackupSchedule>\n  <BackupSchedule DevID=\"1001\" ChannelIndex=\"2\">\n"
         "    <BackupScheduleRunTime FHour=\"8\" FMinute=\"15\" THour=\"9\" TMi",
         1,
         {}},
        {"cut short after two schedules",
         "<?xml version=\"1.0\" ?>\n<AutoBackupSchedule>\n  <BackupSchedule DevID=\"1001\" />\n"
         "  <BackupSchedule DevID=\"1002\"><WeekDayInfo WeekDay=\"2\" Enable=\"1\" /></BackupSchedule>\n"
         "  <BackupSchedule DevID=\"1003\"><WeekDayInfo WeekD",
         1,
         {1, 2}},
        {"byte-order mark before the program's own form",
         "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
         "<AutoBackupSchedule><BackupSchedule DevID=\"1007\"/></AutoBackupSchedule>",
         0,
         {1}},
        {"only a byte-order mark", "\xEF\xBB\xBF", 1, {}},
        {"unknown elements ignored",
         "<Other><BackupSchedule DevID=\"5\"/></Other>"
         "<AutoBackupSchedule><Note/><BackupSchedule DevID=\"1001\"><Extra a=\"1\"/>"
         "<WeekDayInfo WeekDay=\"9\" Enable=\"1\"/><WeekDayInfo Enable=\"1\"/></BackupSchedule></AutoBackupSchedule>"
         "<AutoBackupSchedule><BackupSchedule DevID=\"1002\"/></AutoBackupSchedule>",
         0,
         {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(file.c_str());
        if (c.content) {
            ASSERT_TRUE(WriteWholeFile(file, c.content));
        }
        store.AddAuto(MakeSchedule(1, 0, Range(0, 0, 0, 0), {}));  // replaced by every load
        TakeUnreadableFileNotices();
        EXPECT_EQ(c.result, store.Load(path));
        // A file that does not parse is kept aside whole, and reported once.
        const std::vector<UNREADABLE_FILE> keptAside = TakeUnreadableFileNotices();
        ASSERT_EQ(c.result == 1 ? 1u : 0u, keptAside.size());
        if (c.result == 1) EXPECT_EQ(std::string(c.content), ReadWholeFile(keptAside[0].keptAs.GetString()));
        std::vector<BACKUP_SCHEDULE> all;
        store.ListAll(all, TRUE);
        EXPECT_EQ(c.ids, IdsOf(all));
    }
    // The WeekDay outside 0..6 was ignored; the one without WeekDay means Sunday.
    BACKUP_SCHEDULE first = store.GetSchedule(1);
    EXPECT_EQ(1, first.WeekDayEnable[0]);
    for (int day = 1; day < kDaysPerWeek; ++day) EXPECT_EQ(0, first.WeekDayEnable[day]);
}

TEST_F(CBackupScheduleStoreTest, ChangesSurviveSaveAndLoad) {
    ASSERT_EQ(0, store.AddAuto(MakeSchedule(1001, 0, Range(1, 0, 2, 0), {1})));
    const int days[kDaysPerWeek] = {1, 1, 1, 1, 1, 1, 1};
    ASSERT_EQ(0, store.AddAutoFields(1002, 4, Range(22, 0, 23, 30), days, 7, Range(0, 0, 6, 0)));
    ASSERT_EQ(0, store.AddAuto(MakeSchedule(1003, 1, Range(3, 0, 4, 0), {6})));
    BACKUP_SCHEDULE changed = store.GetSchedule(1);
    changed.ChannelIndex = 5;
    changed.RunTime = Range(24, 30, 25, 0);  // read as 23:59, saved as 23:59
    changed.id = 77;
    ASSERT_EQ(0, store.ModifyAuto(1, changed));
    EXPECT_EQ(1, store.GetSchedule(1).id);
    ASSERT_EQ(0, store.DeleteAuto(3));
    ASSERT_EQ(0, store.Load(path));  // missing file: nothing loaded, the path kept
    ASSERT_EQ(0, store.AddAuto(changed));
    ASSERT_EQ(0, store.AddAutoFields(1002, 4, Range(22, 0, 23, 30), days, 7, Range(0, 0, 6, 0)));
    ASSERT_EQ(0, store.Save(CString()));

    CBackupScheduleStore loaded;
    ASSERT_EQ(0, loaded.Load(path));
    std::vector<BACKUP_SCHEDULE> all;
    ASSERT_EQ(0, loaded.ListAuto(all));
    ASSERT_EQ((std::vector<int>{1, 2}), IdsOf(all));
    EXPECT_EQ(5, all[0].ChannelIndex);
    EXPECT_EQ(23, all[0].RunTime.FHour);
    EXPECT_EQ(59, all[0].RunTime.FMinute);
    EXPECT_EQ(1002, all[1].DevID);
    EXPECT_EQ(7, all[1].AgoType);
    EXPECT_EQ(6, all[1].RecordTime.THour);
    for (int day = 0; day < kDaysPerWeek; ++day) EXPECT_EQ(1, all[1].WeekDayEnable[day]);
    EXPECT_TRUE(loaded.HasSameAuto(1002, 4, Range(22, 0, 23, 30), days, 7, Range(0, 0, 6, 0)));
    EXPECT_FALSE(loaded.HasSameAuto(1002, 4, Range(22, 0, 23, 31), days, 7, Range(0, 0, 6, 0)));
    std::vector<std::pair<int, int>> channels;
    ASSERT_EQ(0, loaded.ListDeviceChannels(channels));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{1001, 5}, {1002, 4}}), channels);
}

TEST_F(CBackupScheduleStoreTest, UnknownIdsAndEmptyLists) {
    std::vector<BACKUP_SCHEDULE> all;
    std::vector<std::pair<int, int>> channels;
    EXPECT_EQ(-1, store.ListAll(all, TRUE));
    EXPECT_EQ(-1, store.ListAuto(all));
    EXPECT_EQ(-1, store.ListDeviceChannels(channels));
    EXPECT_EQ(-1, store.ModifyAuto(1, BACKUP_SCHEDULE()));
    EXPECT_EQ(-1, store.DeleteAuto(1));
    EXPECT_EQ(-1, store.ExistsAuto(1));
    EXPECT_EQ(-1, store.ModifyManual(kManualScheduleIdBase + 1, BACKUP_SCHEDULE()));
    EXPECT_EQ(-1, store.DeleteManual(kManualScheduleIdBase + 1));
    EXPECT_EQ(0, store.GetSchedule(5).id);
    EXPECT_EQ(0, store.GetSchedule(5).DevID);

    ASSERT_EQ(0, store.AddManual(MakeSchedule(1001, 0, Range(0, 0, 0, 0), {})));
    EXPECT_EQ(-1, store.ListAll(all, FALSE)) << "manual schedules only with the flag";
    EXPECT_EQ(0, store.ListAll(all, TRUE));
    EXPECT_EQ(-2, store.Save(CString())) << "no path at all";
}

TEST_F(CBackupScheduleStoreTest, ManualSchedules) {
    EXPECT_EQ(kManualScheduleIdBase + 1, store.PeekNextManualId());
    BACKUP_SCHEDULE manual = MakeSchedule(1001, 2, Range(0, 0, 0, 0), {});
    manual.DayState[0] = kDayEnded;
    manual.AgoType = 3;
    manual.RecordTime = Range(8, 0, 9, 0);
    for (int n = 0; n < 300; ++n) ASSERT_EQ(0, store.AddManual(manual)) << n;
    EXPECT_TRUE(store.IsManualFull());
    EXPECT_EQ(-1, store.AddManual(manual));
    EXPECT_EQ(300, store.GetManualCount());

    BACKUP_SCHEDULE first = store.GetSchedule(kManualScheduleIdBase + 1);
    EXPECT_EQ(kManualScheduleIdBase + 1, first.id);
    EXPECT_EQ(kManualAgoType, first.AgoType);
    EXPECT_EQ(kDayIdle, first.DayState[0]);
    EXPECT_TRUE(store.HasSameManual(1001, 2, kManualAgoType, Range(8, 0, 9, 0)));
    EXPECT_FALSE(store.HasSameManual(1001, 2, 3, Range(8, 0, 9, 0)));

    first.AgoType = 4;
    first.DevID = 1009;
    ASSERT_EQ(0, store.ModifyManual(kManualScheduleIdBase + 1, first));
    EXPECT_EQ(kManualAgoType, store.GetSchedule(kManualScheduleIdBase + 1).AgoType);
    EXPECT_EQ(1009, store.GetSchedule(kManualScheduleIdBase + 1).DevID);

    ASSERT_EQ(0, store.DeleteManual(kManualScheduleIdBase + 300));
    EXPECT_FALSE(store.IsManualFull());
    ASSERT_EQ(0, store.AddManual(manual));
    EXPECT_EQ(1001, store.GetSchedule(kManualScheduleIdBase + 301).DevID);
    ASSERT_EQ(0, store.ClearManual());
    EXPECT_EQ(0, store.GetManualCount());
    EXPECT_EQ(kManualScheduleIdBase + 1, store.PeekNextManualId());
    store.SetManualMaximum(1);
    EXPECT_EQ(0, store.AddManual(manual));
    EXPECT_EQ(-1, store.AddManual(manual));
}

TEST_F(CBackupScheduleStoreTest, FailedSaveLeavesThePreviousFile) {
    ASSERT_EQ(0, store.AddAuto(MakeSchedule(1001, 0, Range(1, 0, 2, 0), {1})));
    ASSERT_EQ(0, store.Save(path));
    const std::string previous = ReadWholeFile(file);
    ASSERT_EQ(0, store.AddAuto(MakeSchedule(1002, 0, Range(1, 0, 2, 0), {1})));

    ASSERT_TRUE(SetReadOnly(file, true));
    EXPECT_EQ(-3, store.Save(path));
    ASSERT_TRUE(SetReadOnly(file, false));
    EXPECT_EQ(previous, ReadWholeFile(file));
    EXPECT_FALSE(PathExists(file + L".tmp"));

    EXPECT_EQ(-3, store.Save(CString(dir.File(L"missing\\backupschedule.xml").c_str())));
    EXPECT_EQ(0, store.Save(path));
    CBackupScheduleStore loaded;
    ASSERT_EQ(0, loaded.Load(path));
    EXPECT_EQ(0, loaded.ExistsAuto(2));
}

namespace {

// One automatic schedule of device 1001, channel 0, day code 1, with the
// attribute text replaced where given.
std::string ScheduleText(const char* devId, const char* channel, const char* agoType, const char* runTime,
                         const char* endTime) {
    return std::string("  <BackupSchedule DevID=\"") + devId + "\" ChannelIndex=\"" + channel + "\" AgoType=\"" +
           agoType + "\">\n    <BackupScheduleRunTime " + runTime +
           " />\n    <BackupScheduleDeviceRecordTime FHour=\"0\" FMinute=\"0\" THour=\"23\" TMinute=\"59\" />\n"
           "    <BackupScheduleEndTime " +
           endTime + " />\n  </BackupSchedule>\n";
}

const char kRunTime[] = "FHour=\"8\" FMinute=\"0\" THour=\"9\" TMinute=\"0\"";
const char kNoEnd[] = "Year=\"0\" Month=\"0\" Day=\"0\" Hour=\"0\" Minute=\"0\" Second=\"0\"";

}  // namespace

TEST_F(CBackupScheduleStoreTest, OutOfRangeValuesAreRefusedOrClampedAndTheFileNamed) {
    ASSERT_TRUE(WriteWholeFile(dir.File(L"device.xml"),
                               "<Organization grade=\"1\"><Device id=\"1001\" title=\"a\" /></Organization>"));
    const struct {
        const char* devId;
        const char* channel;
        const char* agoType;
        const char* runTime;
        const char* endTime;
        bool kept;
        bool noted;  // the file is named to the user
    } cases[] = {
        {"1001", "-1", "1", kRunTime, kNoEnd, false, true},
        {"1001", "9999", "1", kRunTime, kNoEnd, false, true},
        {"1001", "0", "256", kRunTime, kNoEnd, false, true},  // the manual day code
        // Kept as read: no day to fetch, and a device not in the list beside
        // it; the list shows them with empty cells.
        {"1001", "0", "-7", kRunTime, kNoEnd, true, false},
        {"1001", "0", "999", kRunTime, kNoEnd, true, false},
        {"4321", "0", "1", kRunTime, kNoEnd, true, false},
        {"1001", "0", "1", "FHour=\"25\" FMinute=\"61\" THour=\"9\" TMinute=\"0\"", kNoEnd, true, true},
        {"1001", "0", "1", kRunTime, "Year=\"2026\" Month=\"2\" Day=\"31\" Hour=\"25\" Minute=\"61\" Second=\"99\"",
         true, true},
        {"1001", "0", "1", kRunTime, "Year=\"-5\" Month=\"1\" Day=\"1\" Hour=\"0\" Minute=\"0\" Second=\"0\"", true,
         true},
        {"1001", "0", "1", kRunTime, "Year=\"2026\" Month=\"13\" Day=\"1\" Hour=\"0\" Minute=\"0\" Second=\"0\"", true,
         true},
    };
    TakeFilesWithRefusedValues();  // what earlier tests noted
    for (const auto& c : cases) {
        TempDir own;
        CopyFileW(dir.File(L"device.xml").c_str(), own.File(L"device.xml").c_str(), FALSE);
        const std::wstring file = own.File(L"backupschedule.xml");
        const std::string valid = ScheduleText("1001", "3", "2", kRunTime, kNoEnd);
        ASSERT_TRUE(WriteWholeFile(file, "<AutoBackupSchedule>\n" + valid +
                                             ScheduleText(c.devId, c.channel, c.agoType, c.runTime, c.endTime) +
                                             "</AutoBackupSchedule>\n"));
        CBackupScheduleStore loaded;
        ASSERT_EQ(0, loaded.Load(file.c_str()));
        std::vector<BACKUP_SCHEDULE> schedules;
        loaded.ListAuto(schedules);
        ASSERT_EQ(c.kept ? 2u : 1u, schedules.size()) << c.channel << " " << c.agoType << " " << c.devId;
        EXPECT_EQ(3, schedules[0].ChannelIndex);  // the valid one is untouched
        const BACKUP_SCHEDULE& last = schedules.back();
        if (c.kept) {
            EXPECT_EQ(atoi(c.devId), last.DevID);
            EXPECT_EQ(atoi(c.agoType), last.AgoType);
        }
        EXPECT_LE(last.RunTime.FHour, 23);
        EXPECT_LE(last.RunTime.FMinute, 59);
        EXPECT_TRUE(last.EndTime.Year == 0 ||
                    (last.EndTime.Month >= 1 && last.EndTime.Month <= 12 && last.EndTime.Day <= 28));
        const std::vector<CString> told = TakeFilesWithRefusedValues();
        ASSERT_EQ(c.noted ? 1u : 0u, told.size()) << c.runTime << " " << c.endTime;
        if (c.noted) {
            EXPECT_STREQ(file.c_str(), told[0]);
        }
        // What is saved holds nothing out of range.
        ASSERT_EQ(0, loaded.Save(CString()));
        CBackupScheduleStore again;
        ASSERT_EQ(0, again.Load(file.c_str()));
        EXPECT_EQ(schedules.size(), static_cast<size_t>(again.GetAutoCount()));
    }
}
