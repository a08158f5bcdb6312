// A download whose file cannot be written (a full disk) must give its
// download slot back: the engine puts the task back, deletes the partial
// file, logs the device in again and completes the file once the disk takes
// writes again.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "EngineFixture.h"
#include "WaitFor.h"
#include "app/engine/CDeviceManager.h"
#include "standins/qvnetsdk/QvNetTestExports.h"

namespace {

int Weekday() { return CTime::GetCurrentTime().GetDayOfWeek() - 1; }

// The network SDK's write seam: its downloads' file writes fail past
// keptKB KiB while alive, as on a full disk.
class FullDisk {
public:
    explicit FullDisk(int32_t keptKB) {
        HMODULE sdk = GetModuleHandleW(L"qvnetsdk.dll");
        m_set = sdk ? reinterpret_cast<PFN_QVNET_TestFailFileWrites>(
                          GetProcAddress(sdk, MAKEINTRESOURCEA(QVNET_ORD_TestFailFileWrites)))
                    : nullptr;
        if (m_set) m_set(keptKB);
    }
    ~FullDisk() { Lift(); }
    bool Armed() const { return m_set != nullptr; }
    void Lift() {
        if (m_set) m_set(-1);
    }

private:
    PFN_QVNET_TestFailFileWrites m_set = nullptr;
};

// The network SDK's seam that keeps a failed download's session: the SDK
// reports the failure and does nothing more.
class KeepSessionOnFailure {
public:
    KeepSessionOnFailure() {
        HMODULE sdk = GetModuleHandleW(L"qvnetsdk.dll");
        m_set = sdk ? reinterpret_cast<PFN_QVNET_TestKeepSessionOnFetchFailure>(
                          GetProcAddress(sdk, MAKEINTRESOURCEA(QVNET_ORD_TestKeepSessionOnFetchFailure)))
                    : nullptr;
        if (m_set) m_set(1);
    }
    ~KeepSessionOnFailure() {
        if (m_set) m_set(0);
    }
    bool Armed() const { return m_set != nullptr; }

private:
    PFN_QVNET_TestKeepSessionOnFetchFailure m_set = nullptr;
};

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

using DownloadWriteFailure = EngineFixture;

TEST_F(DownloadWriteFailure, FreesTheSlotAndTheFileCompletesOnceTheDiskTakesWritesAgain) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    worker->StartLoginThread();
    const RECORD_FILE_DESC file = FilesOf(recorder, 0, 0).at(0);
    const int loginsBefore = recorder.Device().LoginCount();

    FullDisk full(0);
    ASSERT_TRUE(full.Armed());
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &file, 1, Weekday()));
    std::string partial;
    ASSERT_TRUE(TickUntil([&] {
        for (const RECORD_TASK& task : Tasks())
            if (task.state == 1) partial = task.source.path;
        return !partial.empty();
    }));
    // The failed write drops the session; the engine's device-gone path
    // takes the task out of its slot and queues the device for login.
    RECORD_TASK requeued;
    ASSERT_TRUE(TickUntil([&] {
        std::vector<RECORD_TASK> tasks = Tasks();
        if (tasks.size() != 1 || tasks[0].state != 0 || recorder.Device().LoginCount() == loginsBefore) return false;
        requeued = tasks[0];
        return true;
    }));
    std::vector<std::vector<int>> posted = TakePosted();
    EXPECT_TRUE(std::count(posted.begin(), posted.end(), std::vector<int>{(int)WM_TW_DEVICE_OFFLINE, 1001, 0}) >= 1);
    EXPECT_EQ(0u, requeued.source.done);
    EXPECT_EQ(0, requeued.source.sdkHandle);
    EXPECT_TRUE(Rows().empty()) << "a file that was not written whole is never recorded";

    full.Lift();
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == 1 && Tasks().empty(); }));
    const RECORD_LIST_ROW row = Rows()[0];
    EXPECT_EQ(ExpectedBytes(recorder, file), ReadWholeFile(std::wstring(row.C_FilePath)));
    if (CString(partial.c_str()) != row.C_FilePath) {
        EXPECT_FALSE(FileExists(partial.c_str()));
    }
}

TEST_F(DownloadWriteFailure, TheFailureEventAloneGivesTheSlotBackWhenTheSessionStays) {
    CSimRecorder& recorder = StartRecorder(RecorderWithFiles(1));
    AddDevice(1001, recorder);
    ASSERT_GE(Login(1001), 0);
    const RECORD_FILE_DESC file = FilesOf(recorder, 0, 0).at(0);
    const int loginsBefore = recorder.Device().LoginCount();

    KeepSessionOnFailure keep;
    ASSERT_TRUE(keep.Armed());
    FullDisk full(0);
    ASSERT_TRUE(full.Armed());
    ASSERT_EQ(0, engine->AddDownloadTask(1001, &file, 1, Weekday()));
    int failedHandle = 0;
    ASSERT_TRUE(TickUntil([&] {
        for (const RECORD_TASK& task : Tasks())
            if (task.state == 1) failedHandle = task.source.sdkHandle;
        return failedHandle != 0;
    }));
    // Queued again by the engine itself, its partial file gone, the device
    // still logged in on its first session.
    ASSERT_TRUE(TickUntil([&] {
        std::vector<RECORD_TASK> tasks = Tasks();
        return tasks.size() == 1 && tasks[0].source.sdkHandle != failedHandle;
    })) << "the failed download kept its slot";
    EXPECT_EQ(1, engine->GetDevice(1001).loggedIn);
    EXPECT_EQ(loginsBefore, recorder.Device().LoginCount());
    EXPECT_TRUE(Rows().empty());

    full.Lift();
    ASSERT_TRUE(TickUntil([&] { return Rows().size() == 1 && Tasks().empty(); }));
    EXPECT_EQ(ExpectedBytes(recorder, file), ReadWholeFile(std::wstring(Rows()[0].C_FilePath)));
}
