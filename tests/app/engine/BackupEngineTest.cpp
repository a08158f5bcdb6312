// The backup engine's tasks: network settings, record windows, the task
// lists and their rules, one download per device.
#include "BackupEnginePartsFixture.h"

TEST(NetworkRate, EachRateTypeGivesItsBlockAndQueryWait) {
    struct Case {
        int rate;
        int32_t first, fifth, seventh;
        int wait;
    } cases[] = {{0, 5000, 2000, 2000, 5000},
                 {1, 3000, 1500, 1500, 3000},
                 {2, 8000, 3000, 3000, 8000},
                 {3, 13000, 5000, 5000, 13000},
                 {4, 40000, 10000, 10000, 40000},
                 {7, 0, 0, 0, 3000},
                 {-1, 0, 0, 0, 3000}};
    for (const Case& c : cases) {
        NETWORK_RATE_PARAMS p = NetworkParamsForRate(c.rate);
        EXPECT_EQ(c.first, p.block.connectWaitMs) << c.rate;
        EXPECT_EQ(c.fifth, p.block.loginWaitMs) << c.rate;
        EXPECT_EQ(c.seventh, p.block.transferWaitMs) << c.rate;
        EXPECT_EQ(0, p.block.keepAliveMs) << c.rate;
        for (int32_t v : p.block.reserved) EXPECT_EQ(0, v);
        EXPECT_EQ(c.wait, p.queryWaitMs) << c.rate;
    }
}

TEST(RecordWindow, AgoTypeChoosesTheDayAndHour24EndsAt2359) {
    CTime now(2026, 3, 31, 12, 0, 0);
    struct Case {
        int agoType;
        int month, day;
    } cases[] = {{0, 3, 31}, {1, 3, 30}, {6, 3, 25}, {7, 3, 16}, {8, 3, 11}, {9, 3, 1}};
    BACKUP_SCHEDULE schedule;
    schedule.RecordTime = {6, 30, 24, 0};
    for (const Case& c : cases) {
        schedule.AgoType = c.agoType;
        QVNET_TIME begin, end;
        ASSERT_TRUE(ScheduleRecordWindow(schedule, now, &begin, &end)) << c.agoType;
        EXPECT_EQ((uint32_t)c.month, begin.month) << c.agoType;
        EXPECT_EQ((uint32_t)c.day, begin.day) << c.agoType;
        EXPECT_EQ(6u, begin.hour);
        EXPECT_EQ(30u, begin.minute);
        EXPECT_EQ(begin.day, end.day);
        EXPECT_EQ(23u, end.hour);
        EXPECT_EQ(59u, end.minute);
        EXPECT_EQ(0u, end.second);
    }
    schedule.AgoType = kManualAgoType;
    schedule.EndTime.Year = 2025;
    schedule.EndTime.Month = 12;
    schedule.EndTime.Day = 24;
    schedule.RecordTime = {1, 0, 2, 15};
    QVNET_TIME begin, end;
    ASSERT_TRUE(ScheduleRecordWindow(schedule, now, &begin, &end));
    EXPECT_EQ(2025u, begin.year);
    EXPECT_EQ(24u, end.day);
    EXPECT_EQ(2u, end.hour);
    EXPECT_EQ(15u, end.minute);
    for (int unknown : {10, 255, -1}) {
        schedule.AgoType = unknown;
        EXPECT_FALSE(ScheduleRecordWindow(schedule, now, &begin, &end)) << unknown;
    }
}

TEST_F(BackupEngineParts, EqualTasksAreRefusedAndManualRequestsAdoptThem) {
    RECORD_FILE_DESC a = Desc(0, 1, 0, 10), b = Desc(0, 1, 10, 10), otherChannel = Desc(1, 1, 0, 10);
    EXPECT_EQ(0, engine->AddDownloadTask(1001, &a, 1, 2));
    EXPECT_EQ(0, engine->AddDownloadTask(1001, &b, 1, 2));
    EXPECT_EQ(0, engine->AddDownloadTask(1001, &otherChannel, 1, 2));
    EXPECT_EQ(0, engine->AddDownloadTask(1002, &a, 2, 2));
    EXPECT_EQ(-1, engine->AddDownloadTask(1001, &a, 3, 2));
    EXPECT_EQ(-1, engine->AddDownloadTask(1001, &a, kNoScheduleId + 1, 0));

    std::vector<RECORD_TASK> tasks = Tasks();
    ASSERT_EQ(4u, tasks.size());
    for (size_t i = 0; i < tasks.size(); ++i) EXPECT_EQ((int)i + 1, tasks[i].taskId);
    EXPECT_EQ(kNoScheduleId + 1, tasks[0].scheduleId) << "the manual request adopts the scheduled task";
    EXPECT_EQ(1, tasks[1].scheduleId);

    // Ids follow the highest id, never an id still in use.
    engine->StopTask(2);
    RECORD_FILE_DESC c = Desc(0, 2, 0, 10);
    EXPECT_EQ(0, engine->AddDownloadTask(1001, &c, 1, 2));
    EXPECT_EQ(5, Tasks().back().taskId);

    std::map<int, int> counts;
    engine->CountTasksBySchedule(&counts);
    EXPECT_EQ(2, counts[1]);
    EXPECT_EQ(1, counts[2]);
    EXPECT_EQ(1, counts[kNoScheduleId + 1]);
}

TEST_F(BackupEngineParts, RecordFilesWithInvalidDatesAreQueuedOnce) {
    RECORD_FILE_DESC badMonth = Desc(0, 1, 0, 10), noYear = Desc(0, 1, 0, 10), otherBad = Desc(0, 1, 0, 10);
    badMonth.start.month = 13;
    noYear.start.year = 0;
    noYear.end.year = 0;
    otherBad.end.day = 40;
    RECORD_FILE_DESC lateSecond = Desc(0, 2, 0, 10), sameTime = lateSecond;
    lateSecond.start.minute = 59;  // 01:59:60 is 02:00:00
    lateSecond.start.hour = 1;
    lateSecond.start.second = 60;
    const struct {
        const RECORD_FILE_DESC* desc;
        int result;
    } cases[] = {
        {&badMonth, 0}, {&noYear, 0},    {&otherBad, 0}, {&badMonth, -1},
        {&noYear, -1},  {&otherBad, -1}, {&sameTime, 0}, {&lateSecond, -1},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        EXPECT_EQ(cases[i].result, engine->AddDownloadTask(1001, cases[i].desc, 1, 0)) << i;
    EXPECT_EQ(4u, Tasks().size());
}

TEST_F(BackupEngineParts, PendingTasksOfBusyDevicesAreSkipped) {
    RECORD_FILE_DESC a = Desc(0, 1, 0, 10), b = Desc(0, 1, 10, 10);
    engine->AddDownloadTask(1001, &a, 1, 0);
    engine->AddDownloadTask(1001, &b, 1, 0);
    engine->AddDownloadTask(1002, &a, 1, 0);
    RECORD_TASK out;
    ASSERT_EQ(0, engine->TakeNextPendingTask({1001}, &out));
    EXPECT_EQ(1002, out.source.deviceId);
    EXPECT_EQ(-1, engine->TakeNextPendingTask({1001}, &out));
    EXPECT_EQ(-1, engine->TakeNextPendingTaskByChannel({1001 * 10000 + 0}, &out));
    ASSERT_EQ(0, engine->TakeNextPendingTaskByChannel({}, &out));
    EXPECT_EQ(1001, out.source.deviceId);
}

TEST_F(BackupEngineParts, OneActiveDownloadPerDeviceAndADroppedDeviceRequeuesIt) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(2));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    recorder.Faults().slowMsPerBlock = 30;
    std::vector<RECORD_FILE_DESC> files = FilesOf(recorder, 0, 0);
    std::vector<RECORD_FILE_DESC> other = FilesOf(recorder, 1, 0);
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &files[0], 1, 0));
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &other[0], 1, 0));
    engine->RunDownloads();
    std::vector<RECORD_TASK> tasks = Tasks();
    ASSERT_EQ(2u, tasks.size());
    EXPECT_EQ(1, tasks[0].state);
    EXPECT_EQ(0, tasks[1].state) << "a device has one active download even with a limit of 2";
    ASSERT_TRUE(WaitFor([&] { return Tasks()[0].source.done > 0; }));
    const CString partial(Tasks()[0].source.path);
    EXPECT_TRUE(PathExists(std::wstring(partial)));
    EXPECT_EQ(SLOT_ERR_CHANNEL_DOWNLOADING, engine->PlayRecordInSlot(0, window, 1001, &files[1]));

    engine->OnDeviceGone(1001, 0);
    tasks = Tasks();
    ASSERT_EQ(2u, tasks.size());
    EXPECT_EQ(other[0].start.minute, tasks[0].source.desc.start.minute);
    EXPECT_EQ(files[0].start.minute, tasks[1].source.desc.start.minute) << "back at the end of the pending list";
    EXPECT_EQ(0, tasks[1].state);
    EXPECT_EQ(0, tasks[1].source.sdkHandle);
    EXPECT_EQ(0u, tasks[1].source.done);
    EXPECT_FALSE(PathExists(std::wstring(partial)));
    EXPECT_FALSE(engine->GetDevice(1001).loggedIn);

    recorder.Faults().slowMsPerBlock = 0;
    ASSERT_GE(Login(1001), 0);
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == 2 && Tasks().empty(); }));
}

namespace {

bool ActiveDownloadsFinished(const std::vector<RECORD_TASK>& tasks) {
    for (const RECORD_TASK& task : tasks) {
        if (task.state != 1) continue;
        const bool finished = task.source.done == 0xFFFFFFFFu ||
                              (task.source.desc.sizeKB != 0 && task.source.done >= task.source.desc.sizeKB);
        if (!finished) return false;
    }
    return true;
}

}  // namespace

TEST_F(BackupEngineParts, EachTimerStepRetiresTheFinishedFileAndStartsTheNext) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    std::vector<RECORD_FILE_DESC> files = FilesOf(recorder, 0, 0);
    for (const RECORD_FILE_DESC& file : FilesOf(recorder, 0, 1)) files.push_back(file);
    ASSERT_EQ(6u, files.size());
    for (const RECORD_FILE_DESC& file : files) ASSERT_EQ(0, engine->AddDownloadTask(1001, &file, 1, 0));

    // Timer steps, each once the running download has finished: the first
    // starts a file, every later one retires a file and starts the next.
    size_t steps = 0;
    while (Rows().size() < files.size() && steps < 3 * files.size()) {
        engine->RunDownloads();
        ++steps;
        ASSERT_TRUE(WaitFor([&] { return ActiveDownloadsFinished(Tasks()); })) << "step " << steps;
    }
    EXPECT_EQ(files.size(), Rows().size());
    EXPECT_EQ(files.size() + 1, steps) << "one step per file, and one to retire the last";
    EXPECT_TRUE(Tasks().empty());
}

TEST_F(BackupEngineParts, AnOffLineDeviceIsAskedForOncePerPassWhateverItsDueSchedules) {
    handleOffline = false;
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(2));
    AddDevice(1001, recorder);
    AddDevice(1002, recorder);
    for (int device : {1001, 1002}) {
        for (int channel : {0, 1}) ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(device, channel)));
    }
    ASSERT_EQ(0, engine->Schedules().Save(GetAppConfig()->m_strScheduleFile));
    auto askedFor = [this] {
        std::map<int, int> asked;
        for (const std::vector<int>& message : TakePosted()) {
            if (message[0] == WM_TW_DEVICE_NOT_LOGGED_IN) ++asked[message[1]];
        }
        return asked;
    };
    const std::map<int, int> once = {{1001, 1}, {1002, 1}};

    ASSERT_EQ(0, engine->StartAutoBackup());
    ASSERT_TRUE(WaitFor([&] { return engine->GetSchedulerPassCount() >= 1; }));
    EXPECT_EQ(once, askedFor());
    // Still off line: asked for again on the next pass, once again.
    engine->ScheduleTick(CTime::GetCurrentTime());
    EXPECT_EQ(once, askedFor());
    EXPECT_EQ(0, engine->StopAutoBackup());
}
