// The scheduler alone, its thread running: the devices, their record files
// and the download tasks are stand-ins; the schedules are a real store read
// from a real file.
#include <gtest/gtest.h>

#include "DaySchedule.h"
#include "PartFakes.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/engine/CBackupScheduler.h"
#include "app/engine/EngineLogCodes.h"
#include "app/engine/RecordTime.h"

namespace {

const int kCamera = 1001;
const int kLogin = 7;

class BackupSchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CAppConfig* config = GetAppConfig();
        config->m_strScheduleFile = CString(temp.File(L"backupschedule.xml").c_str());
        config->m_nMultiBackupDevCount = 3;
        devices.Put(kCamera, true, kLogin);
    }

    // A schedule due all day, every day, over yesterday's 01:00..02:00.
    void AddSchedule(int channel) {
        CBackupScheduleStore file;
        file.Load(GetAppConfig()->m_strScheduleFile);
        ASSERT_EQ(0, file.AddAuto(DaySchedule(kCamera, channel, 1)));
        ASSERT_EQ(0, file.Save(GetAppConfig()->m_strScheduleFile));
    }
    // Scheduled backup on for one pass of the thread, then off.
    void RunOnePass() {
        ASSERT_EQ(0, scheduler.StartAutoBackup());
        EXPECT_TRUE(WaitFor([&] { return scheduler.GetPassCount() >= 1; }));
        EXPECT_EQ(0, scheduler.StopAutoBackup());
    }
    int DayState(int scheduleId) { return schedules.GetSchedule(scheduleId).DayState[weekday]; }

    TempDir temp;
    const CTime yesterday = CTime::GetCurrentTime() - CTimeSpan(1, 0, 0, 0);
    const int weekday = CTime::GetCurrentTime().GetDayOfWeek() - 1;
    CBackupScheduleStore schedules;
    FakeDevices devices;
    FakeRecordFiles recordFiles;
    FakeScheduledDownloads downloads;
    std::vector<int> logged;
    CBackupScheduler scheduler{schedules, devices, recordFiles, downloads,
                               [this](int code, const CString&) { logged.push_back(code); }};
};

TEST_F(BackupSchedulerTest, APassReadsTheFilesPageByPageAndAddsATaskForEach) {
    AddSchedule(0);
    std::vector<RECORD_FILE_DESC> files;
    for (int i = 0; i < kRecordPageSize + 50; ++i) files.push_back(RecordAt(0, yesterday, 1, 0, i * 10, 10));
    for (const RECORD_FILE_DESC& file : files) recordFiles.Add(file);

    RunOnePass();
    EXPECT_EQ(3, downloads.Limit()) << "the configured concurrent downloads";
    const std::vector<FakeScheduledDownloads::ADDED> added = downloads.Added();
    ASSERT_EQ(files.size(), added.size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(FromQvnetTime(files[i].start), FromQvnetTime(added[i].desc.start)) << i;
        EXPECT_EQ(kCamera, added[i].deviceId);
        EXPECT_EQ(1, added[i].scheduleId);
        EXPECT_EQ(weekday, added[i].weekday);
    }
    const std::vector<FakeRecordFiles::QUERY> queries = recordFiles.Queries();
    ASSERT_EQ(2u, queries.size());
    EXPECT_EQ(kLogin, queries[0].login);
    EXPECT_EQ(CTime(yesterday.GetYear(), yesterday.GetMonth(), yesterday.GetDay(), 1, 0, 0),
              FromQvnetTime(queries[0].begin));
    EXPECT_EQ(FromQvnetTime(files[kRecordPageSize - 1].end) + CTimeSpan(0, 0, 0, 1), FromQvnetTime(queries[1].begin))
        << "the next page starts a second after the last file of the full one";
    EXPECT_EQ(kDayStarted, DayState(1));
    EXPECT_EQ((std::vector<std::pair<int, int>>{{1, weekday}}), downloads.Finished());
    EXPECT_EQ((std::vector<int>{LOG_SCHEDULE_START, LOG_SCHEDULE_STOP}), logged);
}

TEST_F(BackupSchedulerTest, AFailedQueryLeavesItsScheduleDueAndAnEmptyAnswerEndsTheDay) {
    AddSchedule(0);
    AddSchedule(1);
    recordFiles.FailChannel(0);

    RunOnePass();
    EXPECT_TRUE(downloads.Added().empty());
    EXPECT_TRUE(downloads.Finished().empty());
    EXPECT_EQ(kDayIdle, DayState(1)) << "asked again on the next pass";
    EXPECT_EQ(kDayEnded, DayState(2)) << "nothing recorded in the window";
}

}  // namespace
