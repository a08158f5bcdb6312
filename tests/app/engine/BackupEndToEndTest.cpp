// Scheduled and manual backups end to end: the engine, the real network SDK,
// simulated recorders on 127.0.0.1, real files and a real record-list
// database, driven by a timer step like the main window's.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "EngineFixture.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"
#include "app/engine/RecordTime.h"

#include <tlhelp32.h>

namespace {

int Weekday() { return CTime::GetCurrentTime().GetDayOfWeek() - 1; }

const RECORD_LIST_ROW* RowOf(const RECORD_LIST_ROWS& rows, const RECORD_FILE_DESC& desc) {
    CString text = FormatQvnetTime(desc.start);
    for (const RECORD_LIST_ROW& row : rows) {
        if (row.C_StartTime == text && row.I_ChannelIndex == (int)desc.channel) return &row;
    }
    return nullptr;
}

// The copy of the database the native sqlite3 check reads after the run.
CString ShellCheckCopy() { return JoinPath(GetModuleDir(), L"engine_e2e_RecordList.db"); }
void KeepDatabaseForShellCheck(const CString& path) { CopyFileW(path, ShellCheckCopy(), FALSE); }

int CountProcessThreads() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

class BackupEndToEnd : public EngineFixture {};

TEST_F(BackupEndToEnd, ScheduledBackupCopiesEveryFileOnceUnderItsRuleName) {
    DeleteFileW(ShellCheckCopy());
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(2));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(1001, 0)));
    ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(1001, 1)));
    ASSERT_EQ(0, engine->Schedules().Save(GetAppConfig()->m_strScheduleFile));

    ASSERT_EQ(0, engine->StartAutoBackup());
    const size_t expectedFiles = FilesOf(recorder, 0, 0).size() + FilesOf(recorder, 1, 0).size();
    ASSERT_EQ(6u, expectedFiles);
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == expectedFiles && Tasks().empty(); }));

    RECORD_LIST_ROWS rows = Rows();
    CString saveDir(temp.File(L"save").c_str());
    for (int channel = 0; channel < 2; ++channel) {
        for (const RECORD_FILE_DESC& desc : FilesOf(recorder, channel, 0)) {
            const RECORD_LIST_ROW* row = RowOf(rows, desc);
            ASSERT_NE(nullptr, row);
            CString name;
            name.Format(L"1001-%d-%04d%02d%02d%02d%02d%02d.duz", channel + 1, desc.start.year, desc.start.month,
                        desc.start.day, desc.start.hour, desc.start.minute, desc.start.second);
            CString expectedPath;
            expectedPath.Format(L"%s\\%04d-%02d-%02d\\sim\\%d\\Normal\\%s", (LPCWSTR)saveDir, desc.start.year,
                                desc.start.month, desc.start.day, channel + 1, (LPCWSTR)name);
            EXPECT_EQ(expectedPath, row->C_FilePath);
            EXPECT_EQ(1001, row->L_DevID);
            EXPECT_EQ(channel, row->I_ChannelIndex);
            EXPECT_EQ(FormatQvnetTime(desc.end), row->C_EndTime);
            EXPECT_EQ(0, row->I_Type);
            std::string bytes = ReadWholeFile(std::wstring(row->C_FilePath));
            EXPECT_FALSE(bytes.empty());
            std::string expected = ExpectedBytes(recorder, desc);
            EXPECT_TRUE(bytes == expected) << "content of " << Narrow(std::wstring(row->C_FilePath)) << ": "
                                           << bytes.size() << " bytes, expected " << expected.size();
        }
    }
    std::vector<BACKUP_SCHEDULE> schedules;
    engine->Schedules().ListAuto(schedules);
    ASSERT_EQ(2u, schedules.size());
    for (const BACKUP_SCHEDULE& schedule : schedules) EXPECT_EQ(kDayEnded, schedule.DayState[Weekday()]);

    // Another run of the same day finds every file in the record list.
    CTime now = CTime::GetCurrentTime();
    for (const BACKUP_SCHEDULE& schedule : schedules) engine->Schedules().SetDayDone(schedule.id, 0, 0, 0, Weekday());
    engine->ScheduleTick(now);
    EXPECT_TRUE(TickUntil([&] { return Tasks().empty(); }));
    EXPECT_EQ(expectedFiles, Rows().size());

    EXPECT_EQ(0, engine->StopAutoBackup());
    EXPECT_FALSE(engine->IsSchedulerRunning());
    KeepDatabaseForShellCheck(GetAppConfig()->m_strRecordListFile);
}

TEST_F(BackupEndToEnd, ManualDownloadOfAPastDayByFileAndByTimeRange) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(2));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    BACKUP_SCHEDULE manual = DaySchedule(1001, 0);
    CTime yesterday = CTime::GetCurrentTime() - CTimeSpan(1, 0, 0, 0);
    manual.EndTime.Year = yesterday.GetYear();
    manual.EndTime.Month = (uint8_t)yesterday.GetMonth();
    manual.EndTime.Day = (uint8_t)yesterday.GetDay();
    ASSERT_EQ(0, engine->Schedules().AddManual(manual));
    const int manualId = engine->Schedules().PeekNextManualId() - 1;
    ASSERT_GE(manualId, kNoScheduleId);

    // A time range of channel 1 across two files, as the manual dialog asks for it.
    std::vector<RECORD_FILE_DESC> channel1 = FilesOf(recorder, 1, 1);
    ASSERT_EQ(3u, channel1.size());
    RECORD_FILE_DESC range = {};
    range.channel = 1;
    range.start = channel1[0].start;
    range.start.minute += 5;
    range.end = channel1[1].end;
    range.end.minute -= 5;
    range.recordType = QVNET_RECORD_TIME_RANGE;
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &range, manualId, 0));
    ASSERT_EQ(0, engine->StartManualDownload());

    std::vector<RECORD_FILE_DESC> channel0 = FilesOf(recorder, 0, 1);
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == channel0.size() + 1 && Tasks().empty(); }));
    RECORD_LIST_ROWS rows = Rows();
    for (const RECORD_FILE_DESC& desc : channel0) {
        const RECORD_LIST_ROW* row = RowOf(rows, desc);
        ASSERT_NE(nullptr, row);
        EXPECT_TRUE(ReadWholeFile(std::wstring(row->C_FilePath)) == ExpectedBytes(recorder, desc));
    }
    const RECORD_LIST_ROW* rangeRow = RowOf(rows, range);
    ASSERT_NE(nullptr, rangeRow);
    EXPECT_EQ(3, rangeRow->I_Type);
    EXPECT_EQ(FormatQvnetTime(range.end), rangeRow->C_EndTime);
    std::string expected = ExpectedBytes(recorder, range);
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(ReadWholeFile(std::wstring(rangeRow->C_FilePath)) == expected);

    // The manual schedule is done and gone; the scheduler ends with the mode.
    EXPECT_EQ(0, engine->Schedules().GetManualCount());
    int scheduled = -1, manualOn = -1;
    engine->GetBackupState(&scheduled, &manualOn);
    EXPECT_EQ(0, manualOn);
    EXPECT_EQ(0, engine->StopManualDownload());
    EXPECT_FALSE(engine->IsSchedulerRunning());
}

TEST_F(BackupEndToEnd, BusyDeviceIsRetriedAndUnknownFilesAreDropped) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    std::vector<RECORD_FILE_DESC> files = FilesOf(recorder, 0, 0);
    ASSERT_EQ(3u, files.size());

    recorder.Faults().busy = true;
    for (const RECORD_FILE_DESC& desc : files) ASSERT_EQ(0, engine->AddDownloadTask(1001, &desc, 1, Weekday()));
    for (int step = 0; step < 4; ++step) engine->RunDownloads();
    std::vector<RECORD_TASK> waiting = Tasks();
    ASSERT_EQ(3u, waiting.size());
    for (const RECORD_TASK& task : waiting) {
        EXPECT_EQ(0, task.state);
        EXPECT_EQ(0, task.source.sdkHandle);
    }
    recorder.Faults().busy = false;
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == 3 && Tasks().empty(); }));

    // Another day's files that the recorder no longer has.
    recorder.Faults().unknownFiles = true;
    std::vector<RECORD_FILE_DESC> gone = FilesOf(recorder, 0, 1);
    for (const RECORD_FILE_DESC& desc : gone) ASSERT_EQ(0, engine->AddDownloadTask(1001, &desc, 1, Weekday()));
    ASSERT_TRUE(TickUntil([&] { return Tasks().empty(); }));
    EXPECT_EQ(3u, Rows().size());
}

TEST_F(BackupEndToEnd, RecorderDroppingMidDownloadIsLoggedInAgainAndTheFileCompletes) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    worker->StartLoginThread();
    std::vector<RECORD_FILE_DESC> files = FilesOf(recorder, 0, 0);
    const size_t fileSize = ExpectedBytes(recorder, files[0]).size();
    recorder.Faults().slowMsPerBlock = 5;
    recorder.Faults().dropAfterBytes = (int64_t)(fileSize / 2);
    for (const RECORD_FILE_DESC& desc : files) ASSERT_EQ(0, engine->AddDownloadTask(1001, &desc, 1, Weekday()));

    ASSERT_TRUE(TickUntil([&] { return Rows().size() == files.size() && Tasks().empty(); }, 60000));
    std::vector<std::vector<int>> posted = TakePosted();
    EXPECT_TRUE(std::count(posted.begin(), posted.end(), std::vector<int>{(int)WM_TW_DEVICE_OFFLINE, 1001, 0}) >= 1);
    EXPECT_GE(recorder.Device().LoginCount(), 2);
    RECORD_LIST_ROWS rows = Rows();
    for (const RECORD_FILE_DESC& desc : files) {
        const RECORD_LIST_ROW* row = RowOf(rows, desc);
        ASSERT_NE(nullptr, row);
        EXPECT_TRUE(ReadWholeFile(std::wstring(row->C_FilePath)) == ExpectedBytes(recorder, desc));
    }
    EXPECT_TRUE(engine->GetDevice(1001).loggedIn);
}

TEST_F(BackupEndToEnd, ShutdownWithDownloadsRunningIsBoundedAndLeavesNoThread) {
    const int threadsBefore = CountProcessThreads();
    EndEngine();
    const int threadsIdle = CountProcessThreads();
    SetUp();
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(2));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    recorder.Faults().slowMsPerBlock = 50;
    ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(1001, 0)));
    ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(1001, 1)));
    ASSERT_EQ(0, engine->Schedules().Save(GetAppConfig()->m_strScheduleFile));
    ASSERT_EQ(0, engine->StartAutoBackup());
    worker->StartLoginThread();
    worker->StartMaintainThread();
    ASSERT_TRUE(TickUntil([&] {
        for (const RECORD_TASK& task : Tasks())
            if (task.state == 1 && task.source.done > 0) return true;
        return false;
    }));

    // The main window's order: stop both modes, then shut the engine down;
    // the worker's threads stop before the SDK is cleaned up.
    DWORD started = GetTickCount();
    EXPECT_EQ(0, engine->StopAutoBackup());
    EXPECT_EQ(0, engine->StopManualDownload());
    EXPECT_EQ(0, engine->Shutdown());
    EXPECT_FALSE(worker->IsLoginThreadRunning());
    EXPECT_FALSE(worker->IsMaintainThreadRunning());
    EXPECT_FALSE(engine->IsSchedulerRunning());
    EXPECT_EQ(0, engine->LoginDevice(1001) < 0 ? 0 : 1) << "no login after the SDK was cleaned up";
    engine->RunDownloads();
    EndEngine();
    EXPECT_LT(GetTickCount() - started, 15000u);
    // The recorder's own threads are not the program's.
    recorder.Stop();
    EXPECT_TRUE(WaitFor([&] { return CountProcessThreads() <= threadsIdle; }, 5000))
        << CountProcessThreads() << " threads, " << threadsIdle << " without an engine, " << threadsBefore
        << " with one";
}

TEST_F(BackupEndToEnd, RecordFilesArePagedAHundredAtATime) {
    SimRecorderConfig config;
    SimCatalogueRule rule;
    CTime today = CTime::GetCurrentTime();
    rule.firstDay = {(uint32_t)today.GetYear(), (uint32_t)today.GetMonth(), (uint32_t)today.GetDay(), 0, 0, 0};
    rule.fileMinutes = 1;
    rule.dayStartSecond = 3600;
    rule.dayEndSecond = 3600 + 150 * 60;
    config.rules.push_back(rule);
    CSimRecorder& recorder = StartRecorder(config);
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    BACKUP_SCHEDULE schedule = DaySchedule(1001, 0);
    schedule.RecordTime = {1, 0, 24, 0};
    ASSERT_EQ(0, engine->Schedules().AddAuto(schedule));
    ASSERT_EQ(0, engine->Schedules().Save(GetAppConfig()->m_strScheduleFile));
    ASSERT_EQ(0, engine->StartAutoBackup());
    ASSERT_TRUE(WaitFor([&] { return engine->GetSchedulerPassCount() >= 1; }));

    std::vector<RECORD_TASK> tasks = Tasks();
    ASSERT_EQ(150u, tasks.size());
    std::set<CString> starts;
    for (const RECORD_TASK& task : tasks) starts.insert(FormatQvnetTime(task.source.desc.start));
    EXPECT_EQ(150u, starts.size());
    std::vector<BACKUP_SCHEDULE> schedules;
    engine->Schedules().ListAuto(schedules);
    EXPECT_EQ(kDayStarted, schedules[0].DayState[Weekday()]);
    EXPECT_EQ(0, engine->StopAutoBackup());
    EXPECT_TRUE(Tasks().empty()) << "stopping scheduled backup drops its pending tasks";
}
