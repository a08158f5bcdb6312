#include "RecordManageFakes.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/resource.h"

FakeRecordEngine::FakeRecordEngine() {}

void FakeRecordEngine::Record(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    calls.push_back(text);
}

std::vector<std::string> FakeRecordEngine::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls)
        if (call.compare(0, prefix.size(), prefix) == 0) found.push_back(call);
    return found;
}

int FakeRecordEngine::GetSlot(int slot, RECORD_TASK* out) {
    if (slot < 0 || slot > 3) return -1;
    *out = slots[slot];
    return 0;
}

int FakeRecordEngine::ControlSlot(int slot, int command, int value) {
    Record("ControlSlot %d %d %d", slot, command, value);
    return 0;
}

int FakeRecordEngine::StopSlot(int slot) {
    Record("StopSlot %d", slot);
    return 0;
}

int FakeRecordEngine::ClearSlotPlaylist(int slot) {
    Record("ClearSlotPlaylist %d", slot);
    return 0;
}

int FakeRecordEngine::PlayFilesInSlot(int slot, int deviceId, int channel, HWND window,
                                      const std::vector<CString>& paths) {
    Record("PlayFilesInSlot %d %d %d %d", slot, deviceId, channel, static_cast<int>(paths.size()));
    return window ? playFilesResult : -99;
}

int FakeRecordEngine::GetSlotPlaylist(int slot, int* position, std::vector<RECORD_SOURCE>* out) {
    *position = current[slot];
    *out = playlist[slot];
    return 0;
}

int FakeRecordEngine::PlaySlotItem(int slot, HWND, int index) {
    Record("PlaySlotItem %d %d", slot, index);
    return 0;
}

int FakeRecordEngine::PlayNextInSlot(int slot, HWND window) {
    Record("PlayNextInSlot %d %s", slot, window ? "window" : "none");
    return playNextResult;
}

int FakeRecordEngine::IsSlotDrained(int slot) { return drained[slot]; }

int FakeRecordEngine::SetSlotSound(int slot, int on) {
    Record("SetSlotSound %d %d", slot, on);
    return soundResult;
}

int FakeRecordEngine::SetSlotDisplayRegion(int slot, int index, RECT region, const RECT& client, HWND window,
                                           BOOL enable) {
    Record("SetSlotDisplayRegion %d %d %ld,%ld,%ld,%ld %s %d", slot, index, region.left, region.top, region.right,
           region.bottom, window ? "window" : "none", enable);
    lastRegion = region;
    (void)client;
    return 0;
}

int FakeRecordEngine::RefreshSlotDisplay(int slot) {
    Record("RefreshSlotDisplay %d", slot);
    return 0;
}

CString FakeRecordEngine::SnapshotSlot(int slot) {
    Record("SnapshotSlot %d", slot);
    return CString();
}

int FakeRecordEngine::IsFileInUse(const CString& path) { return inUse.count(path.GetString()) ? 1 : 0; }

int FakeRecordEngine::AddBackupCopyFile(const BACKUP_COPY_ITEM& item) {
    copies.push_back(item);
    return 0;
}

int FakeRecordEngine::IsFileInBackupCopy(const CString& path) { return copying.count(path.GetString()) ? 1 : 0; }

int FakeRecordEngine::AddTask(const BACKUP_TASK& task) {
    for (const BACKUP_TASK& t : tasks)
        if (t.sourcePath.CompareNoCase(task.sourcePath) == 0) return -1;
    tasks.push_back(task);
    tasks.back().id = m_nextTaskId++;
    return 0;
}

int FakeRecordEngine::RemoveTask(const BACKUP_TASK& key) {
    Record("RemoveTask %d", key.id);
    for (auto it = tasks.begin(); it != tasks.end(); ++it) {
        if (it->id != key.id) continue;
        if (it->status == 1)
            it->status = -1;
        else
            tasks.erase(it);
        break;
    }
    return 0;
}

int FakeRecordEngine::GetTask(std::vector<BACKUP_TASK>* out, BACKUP_TASK* key) {
    if (key->id == -1) {
        if (out) out->insert(out->end(), tasks.begin(), tasks.end());
        return 0;
    }
    for (const BACKUP_TASK& t : tasks) {
        if (t.id != key->id) continue;
        *key = t;
        return 0;
    }
    return -1;
}

int FakeRecordEngine::FindTaskByPath(const CString& path) { return queued.count(path.GetString()) ? 1 : 0; }

int FakeRecordEngine::RunStep() {
    Record("RunStep");
    for (auto it = tasks.begin(); it != tasks.end();) it = it->status == -1 ? tasks.erase(it) : it + 1;
    return runStepResult;
}

int TestHost::PlayFilesInPane(int pane, int first, int second, const std::vector<CString>& files) {
    plays.push_back({pane, first, second, files});
    CVideoPanePlayer panes;
    panes.Attach(&manager->m_video);
    return panes.PlayFilesInPane(pane, first, second, files);
}

int TestHost::PlayControl(int pane, int command, int value) {
    controls.push_back({pane, command, value});
    return 0;
}

int TestHost::AdvanceVideoPane(int opened) {
    if (opened == 1) manager->SelectNextWindow();
    return 0;
}

CString TestHost::ChooseFolder(CWnd*, const CString&, const CString&) {
    ++folderQuestions;
    return folderAnswer;
}

std::vector<CString> TestHost::ChooseFiles(CWnd* owner, DWORD flags, const CString& filter) {
    if (realFileDialog) return CRecordManageHost::ChooseFiles(owner, flags, filter);
    return filesAnswer;
}

void PumpWindowMessages() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    }
}

namespace {

HRESULT RegisterVideoControl() {
    static HMODULE module = ::LoadLibraryW(L"Rerezed.ocx");
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllRegisterServer")));
    return entry ? entry() : E_FAIL;
}

}  // namespace

void RecordManageFixture::SetUpTestSuite() {
    AfxOleInit();
    AfxEnableControlContainer();
}

void RecordManageFixture::SetUp() {
    ASSERT_EQ(S_OK, RegisterVideoControl());
    ASSERT_TRUE(engine.db.Open(dir.File(L"RecordList.db").c_str()));
    ASSERT_EQ(0, engine.db.CheckTable(0));
    SetRecordEngine(&engine);
    host.engine = &engine;
    WriteDeviceFile();
    MakeSkinnedProgramDir();
}

void RecordManageFixture::MakeSkinnedProgramDir() {
    const CString built = GetModuleDir() + L"..\\bin\\Skin\\English\\";
    const CString programDir = (dir.File(L"program") + L"\\").c_str();
    const CString skinDir = programDir + L"Skin\\English\\";
    ASSERT_EQ(0, CreateDirectoryPath(skinDir));
    for (const wchar_t* name : {L"play.ini", L"play_back.bmp", L"play_buttons.bmp", L"slider_band.bmp",
                                L"slider_up.bmp", L"slider_over.bmp", L"slider_down.bmp", L"slider_disable.bmp"})
        ASSERT_TRUE(::CopyFileW(built + name, skinDir + name, FALSE)) << "the default skin is missing: " << name;
    const CString ini = programDir + L"VAD_Config.ini";
    ::WritePrivateProfileStringW(L"Language", L"LanguageCount", L"1", ini);
    ::WritePrivateProfileStringW(L"Language", L"SkinFileDir1", L"Skin\\English", ini);
    skinConfig.reset(new CAppConfig(programDir));
}

void RecordManageFixture::TearDown() {
    if (manager) {
        manager->DestroyWindow();
        manager.reset();
    }
    PumpWindowMessages();
    SetRecordEngine(nullptr);
}

void RecordManageFixture::OpenManager() {
    manager.reset(new TestRecordManageDlg(skinConfig.get()));
    manager->SetHost(&host);
    host.manager = manager.get();
    ASSERT_TRUE(manager->Create(IDD_RECORD_MANAGE, nullptr));
    manager->ShowWindow(SW_SHOW);
    PumpWindowMessages();
}

CString RecordManageFixture::PaneInfoText(int pane) {
    CString text;
    static const BYTE params[] = VTS_I4;
    manager->m_video.InvokeHelper(1001, DISPATCH_METHOD, VT_BSTR, &text, params, static_cast<long>(pane));
    return text;
}

BOOL RecordManageFixture::ZoomRectEnabled(int pane) {
    BOOL on = FALSE;
    static const BYTE params[] = VTS_I4;
    manager->m_video.InvokeHelper(1002, DISPATCH_METHOD, VT_BOOL, &on, params, static_cast<long>(pane));
    return on;
}

long RecordManageFixture::LiveControlObjects() {
    long count = -1;
    manager->m_video.InvokeHelper(1003, DISPATCH_METHOD, VT_I4, &count, nullptr);
    return count;
}

std::wstring RecordManageFixture::AddRecordFile(const std::wstring& folder, const std::wstring& name, int device,
                                                int channel, const char* start, const char* end, int type,
                                                bool create) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name;
    if (create) {
        EXPECT_TRUE(WriteWholeFile(path, std::string(2048, 'r')));
    }
    RECORD_LIST_ROW row;
    row.L_DevID = device;
    row.I_ChannelIndex = channel;
    row.I_Type = type;
    row.C_StartTime = start;
    row.C_EndTime = end;
    row.C_FilePath = path.c_str();
    row.L_FileLen = 2;
    row.I_FileType = 0;
    EXPECT_EQ(0, engine.db.Insert(row));
    return path;
}

void RecordManageFixture::WriteDeviceFile() {
    CDeviceManager devices;
    devices.SetMaxDeviceCount(16);
    const struct {
        int id;
        const char* title;
        int channels;
    } table[] = {{1001, "Gate", 2}, {1002, "Yard", 1}};
    for (const auto& d : table) {
        DEVICE_RECORD record;
        record.id = d.id;
        std::strcpy(record.title, d.title);
        std::strcpy(record.type, "DVR");
        record.channelCount = d.channels;
        for (int i = 0; i < d.channels; ++i) {
            std::snprintf(record.channels[i].name, sizeof record.channels[i].name, "%s cam %d", d.title, i + 1);
            record.channels[i].channelId = d.id * 10000 + 1000 + i;
        }
        ASSERT_EQ(0, devices.AddDeviceRecord(record));
    }
    const CString path = dir.File(L"device.xml").c_str();
    devices.WriteDeviceXml(path);
    GetAppConfig()->ChangeTexts([&](CAppConfig& config) { config.m_strDeviceFile = path; });
}
