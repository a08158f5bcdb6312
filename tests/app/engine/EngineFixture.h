// A backup engine over a temporary user folder: settings pointing into the
// folder, a record-list database, a main window that receives the engine's
// messages the way the program's main window does, and simulated recorders
// on 127.0.0.1.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DaySchedule.h"
#include "TempDir.h"
#include "app/engine/CAutoRunDlg.h"
#include "app/engine/CBackupEngine.h"
#include "tools/simrecorder/CSimRecorder.h"

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The engine and the window are made by SetUp; a test may end the engine
    // itself (shutdown tests) with EndEngine.
    void EndEngine();

    CSimRecorder& StartRecorder(const SimRecorderConfig& config);
    // Registers a device on the recorder (title "sim", channel names from
    // the login) and returns its id.
    int AddDevice(int id, const CSimRecorder& recorder, int loginType = 0);
    // Logs the device in through the engine; 0 or more on success.
    int Login(int id) { return engine->LoginDevice(id); }

    // Files of 10 minutes on every channel of today and of yesterday,
    // 01:00 to 01:30 (three per channel and day).
    static SimRecorderConfig RecorderWithFiles(int channels = 1);

    // Timer steps like the main window's, every `periodMs`, until the
    // condition holds; false after timeoutMs.
    bool TickUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000, DWORD periodMs = 200);

    RECORD_LIST_ROWS Rows();
    std::vector<RECORD_TASK> Tasks();
    // The bytes the recorder serves for a descriptor.
    std::string ExpectedBytes(const CSimRecorder& recorder, const RECORD_FILE_DESC& desc);
    // Record files of a channel of the recorder in the day window (01:00..02:00).
    std::vector<RECORD_FILE_DESC> FilesOf(const CSimRecorder& recorder, int channel, int daysBack);
    // Messages posted to the main window and not handled, as (message, wParam, lParam).
    std::vector<std::vector<int>> TakePosted();

    TempDir temp;
    std::unique_ptr<CBackupEngine> engine;
    std::unique_ptr<CAutoRunDlg> worker;
    HWND window = nullptr;
    std::vector<std::unique_ptr<CSimRecorder>> recorders;
    // Whether the main window drops and re-queues devices that go off line.
    bool handleOffline = true;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static EngineFixture* s_current;
    std::vector<std::vector<int>> m_posted;
};

std::string Narrow(const std::wstring& text);
