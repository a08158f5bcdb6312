// The record manager's tests: an engine that records the calls the windows
// make and answers from fixed slots, play lists and a task list (its record
// list a real database), a host that plays files with the main window's code,
// and a fixture that registers the video window control and builds the
// record manager from its real template.
#pragma once

#include <afxwin.h>
#include <AfxOleControls.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/ui/dialogs/records/CRecordEngine.h"
#include "app/ui/dialogs/records/CRecordManageDlg.h"
#include "app/ui/dialogs/records/CRecordManageHost.h"
#include "app/ui/dialogs/records/CVideoPanePlayer.h"
#include "app/core/CAppConfig.h"
#include "tests/support/TempDir.h"

class FakeRecordEngine : public CRecordEngine {
public:
    FakeRecordEngine();

    std::vector<std::string> calls;
    RECORD_TASK slots[4];
    int drained[4] = {1, 1, 1, 1};
    int soundResult = 0;
    int playFilesResult = 0;
    int playNextResult = 0;
    int runStepResult = -1;
    std::set<std::wstring> inUse, queued, copying;
    std::vector<RECORD_SOURCE> playlist[4];
    int current[4] = {-1, -1, -1, -1};
    std::vector<BACKUP_TASK> tasks;
    std::vector<BACKUP_COPY_ITEM> copies;
    RECT lastRegion = {};
    CRecordListDB db;

    // Calls whose text starts with prefix, in order.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

    int GetSlot(int slot, RECORD_TASK* out) override;
    int ControlSlot(int slot, int command, int value) override;
    int StopSlot(int slot) override;
    int ClearSlotPlaylist(int slot) override;
    int PlayFilesInSlot(int slot, int deviceId, int channel, HWND window, const std::vector<CString>& paths) override;
    int GetSlotPlaylist(int slot, int* current, std::vector<RECORD_SOURCE>* out) override;
    int PlaySlotItem(int slot, HWND window, int index) override;
    int PlayNextInSlot(int slot, HWND window) override;
    int IsSlotDrained(int slot) override;
    int SetSlotSound(int slot, int on) override;
    int SetSlotDisplayRegion(int slot, int index, RECT region, const RECT& client, HWND window, BOOL enable) override;
    int RefreshSlotDisplay(int slot) override;
    CString SnapshotSlot(int slot) override;
    int IsFileInUse(const CString& path) override;
    int AddBackupCopyFile(const BACKUP_COPY_ITEM& item) override;
    int IsFileInBackupCopy(const CString& path) override;
    int AddTask(const BACKUP_TASK& task) override;
    int RemoveTask(const BACKUP_TASK& key) override;
    int GetTask(std::vector<BACKUP_TASK>* out, BACKUP_TASK* key) override;
    int FindTaskByPath(const CString& path) override;
    int RunStep() override;
    CRecordListDB& RecordList() override { return db; }

private:
    void Record(const char* format, ...);
    int m_nextTaskId = 1;
};

// Plays files through the main window's pane player (so through the fake
// engine), keeping each request.
class TestHost : public CRecordManageHost {
public:
    CRecordManageDlg* manager = nullptr;
    FakeRecordEngine* engine = nullptr;
    struct Play {
        int pane, first, second;
        std::vector<CString> files;
    };
    std::vector<Play> plays;
    std::vector<std::vector<int>> controls;
    int copyThreadStarts = 0;
    CString folderAnswer;
    int folderQuestions = 0;
    bool realFileDialog = false;
    std::vector<CString> filesAnswer;

    int PlayFilesInPane(int pane, int first, int second, const std::vector<CString>& files) override;
    int PlayControl(int pane, int command, int value) override;
    int AdvanceVideoPane(int opened) override;
    void StartBackupCopyThread() override { ++copyThreadStarts; }
    CString ChooseFolder(CWnd* owner, const CString& title, const CString& errorText) override;
    std::vector<CString> ChooseFiles(CWnd* owner, DWORD flags, const CString& filter) override;
};

// A record manager that lets the tests call its event handlers.
class TestRecordManageDlg : public CRecordManageDlg {
public:
    explicit TestRecordManageDlg(const CAppConfig* skinConfig) : CRecordManageDlg(skinConfig) {}
    using CRecordManageDlg::OnClickVideo;
    using CRecordManageDlg::OnDblClickVideo;
    using CRecordManageDlg::OnPaneButton;
    using CRecordManageDlg::OnSelectionChanged;
    using CRecordManageDlg::OnZoomRect;
};

class RecordManageFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Creates and shows the record manager.
    void OpenManager();
    // Test-only dispatch calls of the control.
    CString PaneInfoText(int pane);
    BOOL ZoomRectEnabled(int pane);
    long LiveControlObjects();
    // Adds a D_RecordList row for a file (created when create is set).
    std::wstring AddRecordFile(const std::wstring& folder, const std::wstring& name, int device, int channel,
                               const char* start, const char* end, int type = 0, bool create = true);
    // Writes the device file the Local Record page reads: devices 1001
    // ("Gate", 2 channels) and 1002 ("Yard", 1 channel).
    void WriteDeviceFile();

    // A program folder with the default skin the build drew, for the play bar.
    void MakeSkinnedProgramDir();

    TempDir dir;
    std::unique_ptr<CAppConfig> skinConfig;
    FakeRecordEngine engine;
    TestHost host;
    std::unique_ptr<TestRecordManageDlg> manager;
};

void PumpWindowMessages();
