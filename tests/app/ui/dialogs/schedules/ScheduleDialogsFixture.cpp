#include "ScheduleDialogsFixture.h"

#include <windowsx.h>

#include "SkinTestSupport.h"
#include "UserFolderSetup.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/engine/CBackupEngine.h"
#include "app/engine/CDeviceManager.h"

namespace {

// The engine is the program's one object: it outlives the tests, and its
// threads and log writer are stopped before the process ends.
class EngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        GetAppConfig()->m_strModuleDir = CString(m_logDir.Path().c_str()) + L"\\";
        GetBackupEngine().Log().SetDirectory(CString(m_logDir.Path().c_str()) + L"\\Log\\");
    }
    void TearDown() override {
        GetBackupEngine().StopManualDownload();
        GetBackupEngine().Shutdown();
    }

private:
    TempDir m_logDir;
};

::testing::Environment* const g_engineEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

DEVICE_RECORD RecordOf(const DeviceFixture& device) {
    DEVICE_RECORD record;
    record.id = device.id;
    CopyFixedText(record.title, device.title);
    CopyFixedText(record.ip, "127.0.0.1");
    CopyFixedText(record.type, "DVR");
    record.channelCount = static_cast<int32_t>(device.channels.size());
    for (size_t i = 0; i < device.channels.size(); ++i) CopyFixedText(record.channels[i].name, device.channels[i]);
    return record;
}

void Button(DWORD flag) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    ::SendInput(1, &input, sizeof input);
}

}  // namespace

void ScheduleDialogsFixture::SetUp() {
    CAppConfig* config = GetAppConfig();
    const CString folder(temp.Path().c_str());
    config->m_strUserDir = folder + L"\\";
    config->m_strDeviceFile = folder + L"\\device.xml";
    config->m_nDevMaxCount = 50;
    GetBackupEngine().RemoveAllDevices();
    GetBackupEngine().Schedules().ClearManual();
    GetBackupEngine().Schedules().SetManualMaximum(300);
}

void ScheduleDialogsFixture::TearDown() {
    GetBackupEngine().StopManualDownload();
    GetBackupEngine().Schedules().ClearManual();
    GetBackupEngine().RemoveAllDevices();
    Pump();
}

void ScheduleDialogsFixture::SetDevices(const std::vector<DeviceFixture>& devices) {
    CDeviceManager file;
    GetBackupEngine().RemoveAllDevices();
    for (const DeviceFixture& device : devices) {
        ASSERT_EQ(0, file.AddDeviceRecord(RecordOf(device)));
        ASSERT_EQ(0, GetBackupEngine().Devices().AddDeviceRecord(RecordOf(device)));
    }
    ASSERT_EQ(0, file.WriteDeviceXml(CString(temp.File(L"device.xml").c_str())));
}

void ScheduleDialogsFixture::WriteSchedules(const std::vector<BACKUP_SCHEDULE>& schedules) {
    CBackupScheduleStore store;
    for (const BACKUP_SCHEDULE& schedule : schedules) store.AddAuto(schedule);
    ASSERT_EQ(0, store.Save(CString(ScheduleFile().c_str())));
}

std::vector<BACKUP_SCHEDULE> ScheduleDialogsFixture::ReadSchedules() {
    CBackupScheduleStore store;
    store.Load(CString(ScheduleFile().c_str()));
    std::vector<BACKUP_SCHEDULE> schedules;
    store.ListAll(schedules, FALSE);
    return schedules;
}

BACKUP_SCHEDULE ScheduleDialogsFixture::Schedule(int devId, int channel, int agoType) {
    return DailySchedule(devId, channel, agoType);
}

void ClickButton(HWND dialog, int id) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void PressKey(HWND control, UINT key) {
    ::SendMessageW(control, WM_KEYDOWN, key, 1);
    ::SendMessageW(control, WM_CHAR, key, 1);
    ::SendMessageW(control, WM_KEYUP, key, 0xC0000001);
    Pump();
}

void SetPickerTime(HWND dialog, int id, int year, int month, int day, int hour, int minute) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    DateTime_SetSystemtime(::GetDlgItem(dialog, id), GDT_VALID, &time);
}

void ClickTreeCheckBox(HWND tree, HTREEITEM item) {
    RECT text = {};
    TreeView_GetItemRect(tree, item, &text, TRUE);
    const int y = (text.top + text.bottom) / 2;
    int first = -1, last = -1;
    for (int x = 0; x < text.left; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, y};
        TreeView_HitTest(tree, &hit);
        if (hit.hItem == item && (hit.flags & TVHT_ONITEMSTATEICON)) {
            if (first < 0) first = x;
            last = x;
        }
    }
    ASSERT_GE(first, 0) << "no check box beside the item";
    POINT point = {(first + last) / 2, y};
    ::SetForegroundWindow(::GetAncestor(tree, GA_ROOT));
    ::ClientToScreen(tree, &point);
    ::SetCursorPos(point.x, point.y);
    WaitFor(
        [&] {
            POINT now;
            ::GetCursorPos(&now);
            return now.x == point.x && now.y == point.y;
        },
        2000);
    const UINT before = TreeView_GetCheckState(tree, item);
    // Two clicks in a row would make a double-click, which the tree does not
    // take as a toggle.
    static DWORD s_lastClick = 0;
    const DWORD gap = ::GetDoubleClickTime() + 100;
    const DWORD since = ::GetTickCount() - s_lastClick;
    if (since < gap) ::Sleep(gap - since);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
    // The input goes through the X server and back.
    WaitFor([&] { return TreeView_GetCheckState(tree, item) != before; }, 3000);
    s_lastClick = ::GetTickCount();
    for (int i = 0; i < 5; ++i) {
        ::Sleep(20);
        Pump();
    }
}

void Pump() { PumpPending(); }

void SaveScreenshot(HWND window, const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {0};
    if (!::GetEnvironmentVariableW(L"DODAVOZI_SCREENSHOT_DIR", folder, MAX_PATH)) return;
    ::SetForegroundWindow(window);
    WritePixelsFile(std::wstring(folder) + L"\\" + name + L".bmp", ReadScreen(window));
}
