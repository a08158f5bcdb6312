// The scheduler's starts and stops against a pass in progress. Each test
// forces its interleaving through the scheduler's hooks: a pass or a start
// is held at the point where another thread used to slip in.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "EngineFixture.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "common/UniqueHandle.h"

class SchedulerRaces : public EngineFixture {
protected:
    // A logged-in recorder with today's files and an automatic schedule of
    // channel 0 saved for the scheduler to load.
    void SetUpScheduledDevice() {
        CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
        AddDevice(1001, recorder);
        ASSERT_GE(Login(1001), 0);
        ASSERT_EQ(0, engine->Schedules().AddAuto(DaySchedule(1001, 0)));
        ASSERT_EQ(0, engine->Schedules().Save(GetAppConfig()->m_strScheduleFile));
    }
    void State(int* automatic, int* manual) { engine->GetBackupState(automatic, manual); }
    // Both modes off and the thread joined, so no hook runs after the test's
    // locals are gone.
    void StopAll() {
        engine->StopAutoBackup();
        engine->StopManualDownload();
    }
};

TEST_F(SchedulerRaces, TheFirstPassOfScheduledBackupSeesItSwitchedOn) {
    SetUpScheduledDevice();
    CBackupScheduler::Hooks hooks;
    // The start is held until the new thread's first pass has ended.
    hooks.afterThreadStart = [&] { WaitFor([&] { return engine->GetSchedulerPassCount() >= 1; }); };
    engine->Scheduler().SetHooks(hooks);
    ASSERT_EQ(0, engine->StartAutoBackup());
    EXPECT_EQ(3u, Tasks().size()) << "the first pass skipped the automatic schedule";
    StopAll();
}

TEST_F(SchedulerRaces, StoppingScheduledBackupDuringAPassAddsNoScheduledTaskAfterIt) {
    SetUpScheduledDevice();
    std::atomic<bool> armed{false};
    CBackupScheduler::Hooks hooks;
    // Past the mode check of the automatic schedule, the operator stops
    // scheduled backup while manual download keeps the thread going.
    hooks.afterModeCheck = [&](const BACKUP_SCHEDULE& schedule) {
        if (!schedule.IsManual() && armed.exchange(false)) {
            EXPECT_EQ(0, engine->StopAutoBackup());
        }
    };
    engine->Scheduler().SetHooks(hooks);
    ASSERT_EQ(0, engine->StartManualDownload());
    ASSERT_TRUE(WaitFor([&] { return engine->GetSchedulerPassCount() >= 1; }));  // the next pass is 10 s away
    ASSERT_EQ(0, engine->StartAutoBackup());
    armed = true;
    engine->ScheduleTick(CTime::GetCurrentTime());
    int automatic = -1, manual = -1;
    State(&automatic, &manual);
    EXPECT_EQ(0, automatic);
    EXPECT_EQ(1, manual);
    EXPECT_TRUE(Tasks().empty()) << "tasks of the stopped mode were added after its stop returned";
    StopAll();
}

TEST_F(SchedulerRaces, AManualStartWhileManualDownloadTurnsItselfOffKeepsItOn) {
    std::atomic<bool> armed{false};
    CBackupScheduler::Hooks hooks;
    // No manual schedule was left when counted; the operator adds one and
    // starts manual download before the flag is cleared.
    hooks.afterManualCountRead = [&] {
        if (!armed.exchange(false)) return;
        BACKUP_SCHEDULE manual = DaySchedule(1001, 0);
        manual.EndTime.Year = 2026;
        manual.EndTime.Month = 1;
        manual.EndTime.Day = 2;
        EXPECT_EQ(0, engine->Schedules().AddManual(manual));
        EXPECT_EQ(0, engine->StartManualDownload());
    };
    engine->Scheduler().SetHooks(hooks);
    ASSERT_EQ(0, engine->StartManualDownload());
    armed = true;
    engine->Scheduler().OnScheduleFinished();
    EXPECT_FALSE(armed.load());
    int automatic = -1, manual = -1;
    State(&automatic, &manual);
    EXPECT_EQ(1, manual) << "the manual start was lost";
    EXPECT_EQ(1, engine->Schedules().GetManualCount());

    // With nothing started meanwhile it does turn itself off.
    engine->Schedules().ClearManual();
    engine->Scheduler().OnScheduleFinished();
    State(&automatic, &manual);
    EXPECT_EQ(0, manual);
    StopAll();
}

TEST_F(SchedulerRaces, AStartAfterAStopThatTimedOutRunsNoSecondThread) {
    SetUpScheduledDevice();
    CUniqueHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CUniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> inside{0}, most{0};
    CBackupScheduler::Hooks hooks;
    hooks.stopWaitMs = 100;
    // A pass that outlasts the stop's wait, as one in a slow record query.
    hooks.afterModeCheck = [&](const BACKUP_SCHEDULE&) {
        const int now = ++inside;
        most = std::max(most.load(), now);
        SetEvent(entered.Get());
        WaitForSingleObject(release.Get(), 30000);
        --inside;
    };
    engine->Scheduler().SetHooks(hooks);
    ASSERT_EQ(0, engine->StartAutoBackup());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(entered.Get(), 10000));
    EXPECT_EQ(0, engine->StopAutoBackup());
    EXPECT_EQ(-1, engine->StartAutoBackup()) << "a second scheduler thread started beside the first";
    int automatic = -1, manual = -1;
    State(&automatic, &manual);
    EXPECT_EQ(0, automatic);

    // Once the held pass has ended, a start runs one thread again.
    SetEvent(release.Get());
    EXPECT_TRUE(WaitFor([&] { return engine->StartAutoBackup() == 0; }));
    EXPECT_TRUE(engine->IsSchedulerRunning());
    StopAll();
    EXPECT_EQ(1, most.load());
}
