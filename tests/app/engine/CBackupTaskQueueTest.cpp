// The conversion task queue with the real playback service, play ports and
// AVI files, local sources on real files and device sources on the
// simulated recorder through the network SDK on 127.0.0.1.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "AviFileReader.h"
#include "PlaybackFixtures.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "app/engine/CBackupTaskQueue.h"
#include "standins/qvnetsdk/SdkWire.h"
#include "tools/simrecorder/CSimRecorder.h"

namespace {

streamfmt::StreamParams Params(uint32_t channel, uint16_t width, uint16_t height, uint16_t fps, int64_t seconds) {
    streamfmt::StreamParams streamParams;
    streamParams.channel = channel;
    streamParams.width = width;
    streamParams.height = height;
    streamParams.fps = fps;
    streamParams.beginTime = qvwire::TimeToSeconds(At(8, 0));
    streamParams.endTime = streamParams.beginTime + seconds;
    return streamParams;
}

// True when the AVI file holds every picture of the recording, each pixel
// as the recording's palette colour.
::testing::AssertionResult HoldsRecording(const std::wstring& path, const streamfmt::StreamParams& streamParams) {
    AviContents avi;
    std::string error;
    if (!ReadAviFile(ReadWholeFile(path), avi, error)) return ::testing::AssertionFailure() << error;
    const uint64_t frames = streamfmt::FrameCount(streamParams);
    if (avi.totalFrames != frames || avi.indexFrames.size() != frames) {
        return ::testing::AssertionFailure() << avi.totalFrames << " frames, expected " << frames;
    }
    if (avi.width != streamParams.width || avi.height != streamParams.height)
        return ::testing::AssertionFailure() << "size";
    std::vector<uint8_t> picture(static_cast<size_t>(streamParams.width) * streamParams.height);
    for (uint64_t i = 0; i < frames; ++i) {
        streamfmt::RenderPicture(streamParams.channel,
                                 streamParams.beginTime * 1000 + static_cast<int64_t>(i * 1000 / streamParams.fps),
                                 streamParams.width, streamParams.height, picture.data());
        const std::vector<uint8_t>& frame = avi.indexFrames[static_cast<size_t>(i)];
        for (int y = 0; y < streamParams.height; ++y) {
            for (int x = 0; x < streamParams.width; ++x) {
                const uint8_t stored =
                    frame[static_cast<size_t>((streamParams.height - 1 - y) * streamParams.width + x)];
                if (avi.palette[stored] != streamfmt::PaletteColor(picture[y * streamParams.width + x])) {
                    return ::testing::AssertionFailure() << "frame " << i << " differs at " << x << "," << y;
                }
            }
        }
    }
    return ::testing::AssertionSuccess();
}

class BackupTaskQueueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(NetApiBound());
        ASSERT_TRUE(PlayLib().IsLoaded());
    }

    void SetUp() override { m_sink.queue = &m_queue; }
    void TearDown() override {
        m_queue.StopAll();
        m_sink.queue = nullptr;
    }

    BACKUP_TASK LocalTask(const std::wstring& source, const std::wstring& output) {
        BACKUP_TASK task;
        task.type = BACKUP_TASK_LOCAL;
        task.sourcePath = source.c_str();
        task.outputPath = output.c_str();
        return task;
    }

    std::wstring WriteRecording(const wchar_t* name, const streamfmt::StreamParams& streamParams) {
        const std::wstring path = m_temp.File(name);
        EXPECT_TRUE(WriteWholeFile(path, Bytes(streamfmt::BuildStream(streamParams))));
        return path;
    }

    BACKUP_TASK Task(int id) {
        BACKUP_TASK key;
        key.id = id;
        EXPECT_EQ(0, m_queue.GetTask(nullptr, &key)) << "task " << id;
        return key;
    }

    std::vector<BACKUP_TASK> AllTasks() {
        std::vector<BACKUP_TASK> tasks;
        BACKUP_TASK all;
        all.id = -1;
        m_queue.GetTask(&tasks, &all);
        return tasks;
    }

    // Steps the queue the way the record manager's timer does until it is empty.
    bool RunToEnd(DWORD timeoutMs = 20000) {
        return WaitFor([&] { return m_queue.RunStep() == -1; }, timeoutMs);
    }

    TempDir m_temp;
    CTestSink m_sink;
    CTestHost m_host;
    CNetReplayService m_service{NetApi(), m_sink};
    CPlayPortPool m_ports{PlayLib()};
    CBackupTaskQueue m_queue{m_service, m_ports, m_host};
};

TEST_F(BackupTaskQueueTest, ConvertsLocalFilesIntoAvisIncludingOneUnderAKilobyte) {
    struct Case {
        const wchar_t* name;
        streamfmt::StreamParams streamParams;
    } cases[] = {
        {L"tiny", Params(1, 4, 4, 1, 1)},       // 72 bytes: less than 1 KB
        {L"medium", Params(2, 32, 24, 5, 12)},  // 60 pictures, about 47 KB
        {L"large", Params(3, 64, 48, 25, 8)},   // 200 pictures, larger than the port's buffer
    };
    for (const Case& c : cases) {
        const std::wstring source = WriteRecording((std::wstring(c.name) + L".duz").c_str(), c.streamParams);
        ASSERT_EQ(0, m_queue.AddTask(LocalTask(source, m_temp.File(std::wstring(c.name) + L".avi"))));
    }
    EXPECT_LT(streamfmt::StreamLength(cases[0].streamParams), 1024u);
    EXPECT_EQ(1, m_queue.FindTaskByPath(m_temp.File(L"medium.duz").c_str()));
    ASSERT_TRUE(RunToEnd());
    for (const Case& c : cases) {
        EXPECT_TRUE(HoldsRecording(m_temp.File(std::wstring(c.name) + L".avi"), c.streamParams)) << c.name;
        EXPECT_TRUE(DeleteFileW(m_temp.File(std::wstring(c.name) + L".duz").c_str())) << "source closed";
    }
    EXPECT_EQ(0, m_queue.FindTaskByPath(m_temp.File(L"medium.duz").c_str()));
    EXPECT_FALSE(m_ports.IsInUse(64)) << "the conversion port was given back";
}

TEST_F(BackupTaskQueueTest, ConvertsAnEmptyFileWithoutWaitingForData) {
    const std::wstring source = m_temp.File(L"empty.duz");
    ASSERT_TRUE(WriteWholeFile(source, ""));
    ASSERT_EQ(0, m_queue.AddTask(LocalTask(source, m_temp.File(L"empty.avi"))));
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(PathExists(m_temp.File(L"empty.avi")));
}

TEST_F(BackupTaskQueueTest, RefusesDuplicatesAndNeverOverwritesAnOutput) {
    const std::wstring source = m_temp.File(L"a.duz");
    EXPECT_EQ(0, m_queue.AddTask(LocalTask(source, m_temp.File(L"a.avi"))));
    EXPECT_EQ(-1, m_queue.AddTask(LocalTask(source, m_temp.File(L"b.avi"))));
    EXPECT_EQ(-1, m_queue.AddTask(LocalTask(m_temp.File(L"A.DUZ"), m_temp.File(L"b.avi"))));
    BACKUP_TASK device;
    device.type = BACKUP_TASK_DEVICE;
    device.desc.location1 = 5;
    device.desc.location2 = 9;
    EXPECT_EQ(0, m_queue.AddTask(device));
    device.desc.channel = 3;
    EXPECT_EQ(-1, m_queue.AddTask(device)) << "same place on the device";
    device.desc.location2 = 10;
    EXPECT_EQ(0, m_queue.AddTask(device));
    EXPECT_EQ(3, AllTasks().back().id);

    CString fresh = m_temp.File(L"out.avi").c_str();
    EXPECT_EQ(0, CBackupTaskQueue::MakeUniqueFileName(fresh));
    EXPECT_EQ(CString(m_temp.File(L"out.avi").c_str()), fresh);
    for (const wchar_t* name : {L"out.avi", L"(1)out.avi", L"(2)out.avi"}) {
        ASSERT_TRUE(WriteWholeFile(m_temp.File(name), "taken"));
    }
    EXPECT_EQ(0, CBackupTaskQueue::MakeUniqueFileName(fresh));
    EXPECT_EQ(CString(m_temp.File(L"(3)out.avi").c_str()), fresh);
}

TEST_F(BackupTaskQueueTest, ConvertsNextToAnExistingOutputUnderANewName) {
    const streamfmt::StreamParams streamParams = Params(0, 16, 8, 2, 3);
    const std::wstring source = WriteRecording(L"again.duz", streamParams);
    ASSERT_TRUE(WriteWholeFile(m_temp.File(L"again.avi"), "keep me"));
    ASSERT_EQ(0, m_queue.AddTask(LocalTask(source, m_temp.File(L"again.avi"))));
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ("keep me", ReadWholeFile(m_temp.File(L"again.avi")));
    EXPECT_TRUE(HoldsRecording(m_temp.File(L"(1)again.avi"), streamParams));
}

TEST_F(BackupTaskQueueTest, CancelsPendingAtOnceAndRunningAtTheNextStep) {
    m_sink.refuseAll = true;  // the running task takes nothing and stays running
    const streamfmt::StreamParams streamParams = Params(0, 16, 8, 1, 10);
    for (int i = 1; i <= 3; ++i) {
        const std::wstring name = L"c" + std::to_wstring(i);
        ASSERT_EQ(0, m_queue.AddTask(LocalTask(WriteRecording((name + L".duz").c_str(), streamParams),
                                               m_temp.File(name + L".avi"))));
    }
    EXPECT_EQ(1, m_queue.RunStep());
    EXPECT_EQ(TASK_RUNNING, Task(1).status);
    EXPECT_EQ(0, m_queue.RunStep()) << "while it runs";

    BACKUP_TASK key;
    key.id = 2;
    EXPECT_EQ(0, m_queue.RemoveTask(key));
    EXPECT_EQ(-1, m_queue.GetTask(nullptr, &key)) << "a pending task goes at once";
    key.id = 1;
    EXPECT_EQ(0, m_queue.RemoveTask(key));
    EXPECT_EQ(-1, m_queue.GetTask(nullptr, &key)) << "a cancelled task is not reported";
    EXPECT_EQ(1, m_queue.FindTaskByPath(m_temp.File(L"c1.duz").c_str())) << "it runs until the next step";
    std::vector<BACKUP_TASK> listed = AllTasks();
    ASSERT_EQ(1u, listed.size()) << "a cancelled task is not listed";
    EXPECT_EQ(3, listed[0].id);

    EXPECT_EQ(1, m_queue.RunStep());
    EXPECT_EQ(0, m_queue.FindTaskByPath(m_temp.File(L"c1.duz").c_str())) << "stopped and gone";
    EXPECT_FALSE(m_ports.IsInUse(65)) << "one conversion port at a time";
    EXPECT_EQ(TASK_RUNNING, Task(3).status);
    m_sink.refuseAll = false;
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(HoldsRecording(m_temp.File(L"c3.avi"), streamParams));
}

TEST_F(BackupTaskQueueTest, FailedStartsGoToTheFailedList) {
    ASSERT_EQ(0, m_queue.AddTask(LocalTask(m_temp.File(L"missing.duz"), m_temp.File(L"missing.avi"))));
    EXPECT_EQ(1, m_queue.RunStep());
    std::vector<BACKUP_TASK> listed = AllTasks();
    ASSERT_EQ(1u, listed.size());
    EXPECT_EQ(TASK_SOURCE_FAILED, listed[0].status);
    EXPECT_FALSE(PathExists(m_temp.File(L"missing.avi"))) << "no empty output is left";
    EXPECT_EQ(1, m_queue.RunStep()) << "only a failed task left";

    for (int port = 64; port <= 98; ++port) ASSERT_EQ(port, m_ports.AllocPort(1));
    const std::wstring source = WriteRecording(L"noport.duz", Params(0, 8, 8, 1, 2));
    ASSERT_EQ(0, m_queue.AddTask(LocalTask(source, m_temp.File(L"noport.avi"))));
    EXPECT_EQ(1, m_queue.RunStep());
    EXPECT_EQ(TASK_OUTPUT_FAILED, Task(2).status);
    EXPECT_EQ(0, m_queue.FindTaskByPath(source.c_str())) << "no longer pending";

    for (int id : {1, 2}) {
        BACKUP_TASK key;
        key.id = id;
        m_queue.RemoveTask(key);
    }
    EXPECT_EQ(-1, m_queue.RunStep());
}

TEST_F(BackupTaskQueueTest, StopAllWhileThePumpFeedsReturns) {
    m_sink.pauseMs = 1;
    const std::wstring source = WriteRecording(L"long.duz", Params(0, 64, 48, 25, 60));
    for (int round = 0; round < 15; ++round) {
        ASSERT_EQ(0, m_queue.AddTask(LocalTask(source, m_temp.File(L"long" + std::to_wstring(round) + L".avi"))));
        ASSERT_EQ(1, m_queue.RunStep());
        ASSERT_TRUE(WaitFor([&] { return Task(1).done > 0; }));
        std::atomic<bool> returned{false};
        std::thread stopper([&] {
            m_queue.StopAll();
            returned = true;
        });
        const bool inTime = WaitFor([&] { return returned.load(); }, 10000);
        if (!inTime) stopper.detach();  // deadlocked: fail without hanging the test run
        ASSERT_TRUE(inTime) << "round " << round;
        stopper.join();
        EXPECT_EQ(-1, m_queue.RunStep());
        EXPECT_FALSE(m_ports.IsInUse(64));
    }
}

// Device recordings: the recorder on 127.0.0.1 behind the network SDK.
class DeviceConversionTest : public BackupTaskQueueTest {
protected:
    void SetUp() override {
        BackupTaskQueueTest::SetUp();
        m_login = StartRecorderSession(m_recorder);
        ASSERT_GT(m_login, 0);
    }
    void TearDown() override {
        BackupTaskQueueTest::TearDown();
        EndRecorderSession(m_recorder);
    }

    RECORD_FILE_DESC FileAt(uint32_t channel, const QVNET_TIME& start) {
        std::vector<RECORD_FILE_DESC> files(100);
        int count = 0;
        const QVNET_TIME end = qvwire::SecondsToTime(qvwire::TimeToSeconds(start) + 1);
        EXPECT_EQ(
            0, m_service.QueryRecordFiles(0, m_login, channel, &start, &end, CString(), files.data(), 19600, &count));
        EXPECT_EQ(1, count);
        return files[0];
    }

    BACKUP_TASK DeviceTask(const RECORD_FILE_DESC& desc, const wchar_t* output) {
        BACKUP_TASK task;
        task.type = BACKUP_TASK_DEVICE;
        task.deviceId = 1001;
        task.desc = desc;
        task.outputPath = m_temp.File(output).c_str();
        return task;
    }

    static streamfmt::StreamParams DeviceParams(uint32_t channel, const QVNET_TIME& begin, const QVNET_TIME& end) {
        streamfmt::StreamParams streamParams;
        streamParams.channel = channel;
        streamParams.beginTime = qvwire::TimeToSeconds(begin);
        streamParams.endTime = qvwire::TimeToSeconds(end);
        return streamParams;
    }

    std::unique_ptr<CSimRecorder> m_recorder;
    int m_login = 0;
};

TEST_F(DeviceConversionTest, ConvertsADeviceFileAndATimeRangeThroughRefusals) {
    m_host.login = m_login;
    m_sink.refuseEvery = 4;  // a paused port now and then: the SDK offers again
    const RECORD_FILE_DESC file = FileAt(1, At(9, 0));
    RECORD_FILE_DESC range = {};
    range.channel = 2;
    range.start = At(10, 3);
    range.end = At(10, 7);
    range.recordType = QVNET_RECORD_TIME_RANGE;
    ASSERT_EQ(0, m_queue.AddTask(DeviceTask(file, L"file.avi")));
    ASSERT_EQ(0, m_queue.AddTask(DeviceTask(range, L"range.avi")));
    EXPECT_EQ(1, m_queue.RunStep());
    const RECORD_FILE_DESC sameChannel = FileAt(1, At(12, 0));
    EXPECT_EQ(1, m_queue.FindTaskByDescriptor(1001, sameChannel, 1));
    EXPECT_EQ(1, m_queue.FindTaskByDescriptor(1001, range, 0));
    EXPECT_EQ(0, m_queue.FindTaskByDescriptor(1001, range, 1)) << "not started yet";
    EXPECT_EQ(0, m_queue.FindTaskByDescriptor(1002, sameChannel, 0));

    ASSERT_TRUE(RunToEnd(60000));
    EXPECT_GT(m_sink.Refusals(), 0);
    EXPECT_TRUE(HoldsRecording(m_temp.File(L"file.avi"), DeviceParams(1, At(9, 0), At(9, 5))));
    EXPECT_TRUE(HoldsRecording(m_temp.File(L"range.avi"), DeviceParams(2, range.start, range.end)));
}

TEST_F(DeviceConversionTest, WaitsForItsDeviceAndChannel) {
    m_sink.refuseAll = true;  // keeps a started task running
    ASSERT_EQ(0, m_queue.AddTask(DeviceTask(FileAt(0, At(11, 0)), L"wait.avi")));
    EXPECT_EQ(1, m_queue.RunStep());
    EXPECT_EQ(TASK_DEVICE_OFFLINE, Task(1).status);
    EXPECT_FALSE(PathExists(m_temp.File(L"wait.avi"))) << "no output kept";

    m_queue.MarkDeviceTasks(1001, 1);
    EXPECT_EQ(TASK_PENDING, Task(1).status);
    struct Case {
        int busy;
        int status;
    } cases[] = {{1, TASK_CHANNEL_IN_SLOT}, {2, TASK_CHANNEL_DOWNLOADING}};
    for (const Case& c : cases) {
        m_host.busy = c.busy;
        EXPECT_EQ(1, m_queue.RunStep());
        EXPECT_EQ(c.status, Task(1).status);
    }
    m_host.busy = 0;
    m_host.login = m_login;
    EXPECT_EQ(1, m_queue.RunStep());
    EXPECT_EQ(TASK_RUNNING, Task(1).status);
    EXPECT_TRUE(PathExists(m_temp.File(L"wait.avi")));

    // The device goes away while the task runs: stopped, output dropped, kept pending.
    m_queue.MarkDeviceTasks(1001, 0);
    EXPECT_EQ(TASK_DEVICE_OFFLINE, Task(1).status);
    m_host.login = 0;
    EXPECT_EQ(1, m_queue.RunStep());
    EXPECT_EQ(TASK_DEVICE_OFFLINE, Task(1).status);
    EXPECT_FALSE(PathExists(m_temp.File(L"wait.avi")));

    m_host.login = m_login;
    m_queue.MarkDeviceTasks(1001, 1);
    m_sink.refuseAll = false;
    ASSERT_TRUE(RunToEnd(60000));
    EXPECT_TRUE(HoldsRecording(m_temp.File(L"wait.avi"), DeviceParams(0, At(11, 0), At(11, 5))));
}

}  // namespace
