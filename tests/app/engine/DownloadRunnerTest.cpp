// The download runner alone: its neighbours (the SDK's downloads, the
// devices, the namer of new files, the other users of a channel) are
// stand-ins; the record list is a real database and the schedule store a
// real store.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "PartFakes.h"
#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/engine/CDownloadRunner.h"

namespace {

const int kCameraA = 1001;
const int kCameraB = 1002;
const int kSchedule = 1;
const int kWeekday = 2;

class DownloadRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetAppConfig()->m_nDriveOverMode = 0;
        ASSERT_EQ(1, records.Open(CString(temp.File(L"RecordList.db").c_str())));
        ASSERT_EQ(0, records.CheckTable(0));
        devices.Put(kCameraA, true, 11);
        devices.Put(kCameraB, true, 12);
        BACKUP_SCHEDULE schedule;
        schedule.DevID = kCameraA;
        ASSERT_EQ(0, schedules.AddAuto(schedule));
        runner.SetLimit(2);
    }

    // A file of the camera's channel at 01:mm today, in schedule 1.
    RECORD_FILE_DESC AddTask(int deviceId, int channel, int minute) {
        const RECORD_FILE_DESC desc = RecordAt(channel, CTime::GetCurrentTime(), 1, minute, 0, 60);
        EXPECT_EQ(0, runner.Add(deviceId, &desc, kSchedule, kWeekday));
        return desc;
    }
    std::vector<RECORD_TASK> Tasks() {
        std::vector<RECORD_TASK> tasks;
        runner.GetAll(&tasks);
        return tasks;
    }
    RECORD_LIST_ROWS Rows() {
        RECORD_LIST_ROWS rows;
        records.QueryAll(rows);
        return rows;
    }
    // The SDK reports the whole file.
    void Complete(int handle) { runner.UpdateProgress(handle, 8, 8); }
    int DayState() { return schedules.GetSchedule(kSchedule).DayState[kWeekday]; }

    TempDir temp;
    CRecordListDB records;
    CBackupScheduleStore schedules;
    FakeTransfers transfers;
    FakeDevices devices;
    FakeTargets targets{temp.Path()};
    FakeChannelUse channels;
    CDownloadRunner runner{transfers, records, schedules, devices, targets, channels};
};

TEST_F(DownloadRunnerTest, AStepRetiresFinishedFilesIntoRowsAndStartsTheNextWithinTheLimit) {
    AddTask(kCameraA, 0, 0);
    AddTask(kCameraA, 1, 10);
    AddTask(kCameraB, 0, 20);
    runner.Run();
    ASSERT_EQ(2u, transfers.started.size()) << "one download per device, two at most";
    EXPECT_EQ(11, transfers.started[0].login);
    EXPECT_EQ(12, transfers.started[1].login);
    EXPECT_TRUE(runner.IsChannelDownloading(kCameraA, 0));
    EXPECT_FALSE(runner.IsChannelDownloading(kCameraA, 1)) << "waits for the camera's first download";

    const int first = transfers.started[0].handle;
    int deviceId = 0, channel = -1;
    ASSERT_EQ(0, runner.FindByHandle(first, &deviceId, &channel));
    EXPECT_EQ(kCameraA, deviceId);
    Complete(first);
    runner.Run();
    std::vector<int> stopped = {first};
    EXPECT_EQ(stopped, transfers.stopped);
    RECORD_LIST_ROWS rows = Rows();
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(CString(transfers.started[0].path.c_str()), rows[0].C_FilePath);
    EXPECT_EQ(kCameraA, rows[0].L_DevID);
    ASSERT_EQ(3u, transfers.started.size()) << "the same step starts the camera's next file";
    EXPECT_EQ(11, transfers.started[2].login);
    EXPECT_EQ(-1, runner.FindByHandle(first, &deviceId, &channel));
    EXPECT_EQ(kDayIdle, DayState()) << "the schedule still has tasks";
}

TEST_F(DownloadRunnerTest, AChannelAnotherPartHoldsWaitsUntilItIsFree) {
    struct Case {
        const char* holder;
        std::set<DeviceChannel> FakeChannelUse::*held;
    } cases[] = {{"a playback slot", &FakeChannelUse::playing}, {"a conversion", &FakeChannelUse::converting}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holder);
        transfers.started.clear();
        (channels.*c.held).insert({kCameraA, 0});
        AddTask(kCameraA, 0, 0);
        runner.Run();
        runner.Run();
        EXPECT_TRUE(transfers.started.empty());
        ASSERT_EQ(1u, Tasks().size());
        EXPECT_EQ(0, Tasks()[0].state);

        (channels.*c.held).clear();
        runner.Run();
        ASSERT_EQ(1u, transfers.started.size());
        EXPECT_EQ(0, runner.Stop(Tasks()[0].taskId));
        EXPECT_FALSE(PathExists(transfers.started[0].path)) << "a stopped download leaves no partial file";
        EXPECT_TRUE(Tasks().empty());
    }
}

TEST_F(DownloadRunnerTest, RefusedStartsAreRetriedOrGivenUpByTheirCause) {
    struct Case {
        const char* cause;
        int refusal;    // what the SDK answers the first start; 0: the namer refuses
        size_t starts;  // downloads started by the second step
        int dayState;   // the schedule's day after the second step
    } cases[] = {
        {"device busy: tried again", -1, 1, kDayIdle},
        {"refused for good: given up", -2, 0, kDayEnded},
        {"no save directory: given up", 0, 0, kDayEnded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        TempDir folder;
        CBackupScheduleStore store;
        BACKUP_SCHEDULE schedule;
        ASSERT_EQ(0, store.AddAuto(schedule));
        FakeTransfers sdk;
        FakeTargets names(folder.Path());
        CDownloadRunner alone(sdk, records, store, devices, names, channels);
        if (c.refusal != 0) sdk.refusals.push_back(c.refusal);
        names.refuse = c.refusal == 0;
        const RECORD_FILE_DESC desc = RecordAt(0, CTime::GetCurrentTime(), 2, 0, 0, 60);
        ASSERT_EQ(0, alone.Add(kCameraA, &desc, kSchedule, kWeekday));

        alone.Run();
        names.refuse = false;
        alone.Run();
        EXPECT_EQ(c.starts, sdk.started.size());
        std::vector<RECORD_TASK> left;
        alone.GetAll(&left);
        EXPECT_EQ(c.starts, left.size());
        EXPECT_EQ(c.dayState, store.GetSchedule(kSchedule).DayState[kWeekday]);
    }
}

TEST_F(DownloadRunnerTest, ADownloadTheSdkReportsBrokenIsStartedAfreshOnTheNextStep) {
    AddTask(kCameraA, 0, 0);
    runner.Run();
    ASSERT_EQ(1u, transfers.started.size());
    const FakeTransfers::START broken = transfers.started[0];
    runner.MarkFailed(broken.handle);
    EXPECT_TRUE(runner.IsChannelDownloading(kCameraA, 0)) << "an SDK thread only notes it";

    runner.Run();
    std::vector<int> stopped = {broken.handle};
    EXPECT_EQ(stopped, transfers.stopped);
    EXPECT_FALSE(PathExists(broken.path));
    ASSERT_EQ(2u, transfers.started.size());
    int deviceId = 0, channel = -1;
    EXPECT_EQ(-1, runner.FindByHandle(broken.handle, &deviceId, &channel));
    EXPECT_EQ(0, runner.FindByHandle(transfers.started[1].handle, &deviceId, &channel));
}

TEST_F(DownloadRunnerTest, ARecordingTheRecordListRefusesIsKeptAndIndexedOnALaterStep) {
    std::vector<CString> reported;
    runner.SetIndexFailureHandler([&](const RECORD_LIST_ROW& row) { reported.push_back(row.C_FilePath); });
    const RECORD_FILE_DESC desc = AddTask(kCameraA, 0, 0);
    runner.Run();
    ASSERT_EQ(1u, transfers.started.size());
    Complete(transfers.started[0].handle);
    {
        // Another connection holds the write lock: the row cannot go in.
        sqlite3* other = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open(CStringA(CString(temp.File(L"RecordList.db").c_str())), &other));
        ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
        runner.Run();
        sqlite3_close(other);
    }
    ASSERT_EQ(1u, reported.size());
    EXPECT_TRUE(PathExists(transfers.started[0].path)) << "the recording is kept";
    std::map<int, int> unindexed;
    runner.CountUnindexedBySchedule(&unindexed);
    EXPECT_EQ(1, unindexed[kSchedule]);
    EXPECT_EQ(1, runner.IsRecordInDb(kCameraA, 0, &desc)) << "a kept recording is not downloaded again";

    runner.Run();
    ASSERT_EQ(1u, Rows().size());
    EXPECT_EQ(reported[0], Rows()[0].C_FilePath);
    unindexed.clear();
    runner.CountUnindexedBySchedule(&unindexed);
    EXPECT_TRUE(unindexed.empty());
    EXPECT_EQ(1, runner.IsRecordInDb(kCameraA, 0, &desc));
}

TEST_F(DownloadRunnerTest, AFullDiskStartsNothingOnlyWhenTheUserSaidSo) {
    targets.diskFull = 1;
    AddTask(kCameraA, 0, 0);
    GetAppConfig()->m_nDriveOverMode = 1;
    runner.Run();
    EXPECT_TRUE(transfers.started.empty());
    GetAppConfig()->m_nDriveOverMode = 0;
    runner.Run();
    EXPECT_EQ(1u, transfers.started.size());
}

}  // namespace
