// Dodavozi.exe started as a process in a folder of its own and driven from
// outside by window messages: start-up, login, the main window, its tray
// icon, menus and engine messages, and the orderly exit.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/app/ui/dialogs/ProgramFolder.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/core/CLogDB.h"
#include "app/core/CRecordListDB.h"
#include "app/core/CUserManager.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/mainwindow/CDodavoziDlg.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"
#include "TwoDayRecordings.h"
#include "tools/simrecorder/CSimRecorder.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";
const wchar_t kNoDeviceText[] = L"Please add some device's informations!";

// Picks the popup menu's item by keys, as a user would.
void ChooseMenuItem(HWND menu, int downs) {
    for (int i = 0; i < downs; ++i) {
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYUP, VK_DOWN, 0xC0000000);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

void ClickButton(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void SetText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class DodavoziProgramTest : public ::testing::Test {
protected:
    // Starts the program with the super user logging in by itself and waits
    // for its main window; writes a one-device list first unless the test
    // has written its own.
    HWND StartToMainWindow(bool writeDeviceList = true) {
        if (writeDeviceList) folder.WriteOneDeviceList();
        folder.UseAutomaticLogin();
        EXPECT_NE(nullptr, folder.Start());
        HWND main = WaitDialog(folder.MainProcessId(), kProduct, false);
        EXPECT_NE(nullptr, main) << "the main window did not appear";
        return main;
    }

    // Exit through the button, confirmed in the login dialog's exit mode.
    void ExitThroughConfirmation(HWND main) {
        ClickButton(main, IDC_SKIN_EXIT);
        HWND confirm = WaitDialog(folder.MainProcessId(), L"Exit", false);
        ASSERT_NE(nullptr, confirm);
        EXPECT_EQ(L"vorpl", WindowText(GetDlgItem(confirm, IDC_LOGIN_USER)));
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(confirm, IDC_LOGIN_USER), GWL_STYLE) & ES_READONLY);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(confirm, IDC_LOGIN_REMEMBER)));
        ClickButton(confirm, IDOK);
        EXPECT_TRUE(ProgramFolder::WaitExit(folder.MainProcess()));
    }

    // The user "oper" (password "secret") logs in by itself at start.
    void StartAsOper(CAppConfig& config, HWND* main) {
        CUserManager users(&config);
        users.Load(CString(folder.File(L"UserInfo.XML").c_str()));
        USER_INFO oper;
        oper.id = L"oper";
        oper.psw = L"secret";
        oper.systemdir = CString(folder.File(L"oper\\").c_str());
        ASSERT_EQ(0, users.AddUser(oper));
        ASSERT_EQ(0, users.Save(CString()));
        folder.WriteOneDeviceList(L"oper");
        folder.SetMainSetting(L"Login_Info", L"VADAutoLogin", L"1");
        folder.SetMainSetting(L"Login_Info", L"UserName", L"oper");
        ASSERT_NE(nullptr, folder.Start());
        *main = WaitDialog(folder.MainProcessId(), kProduct, false);
        ASSERT_NE(nullptr, *main);
    }

    // "secret" changed to "better" in the password dialog; the box that answers.
    void ChangeOpersPassword(HWND main, HWND* box) {
        const DWORD pid = folder.MainProcessId();
        PostMessageW(main, WM_COMMAND, ID_TW_PASSWORD_MODIFY, 0);
        HWND dialog = WaitDialog(pid, L"Password Modify", false);
        ASSERT_NE(nullptr, dialog);
        SetText(dialog, IDC_PSW_OLD, L"secret");
        SetText(dialog, IDC_PSW_NEW, L"better");
        SetText(dialog, IDC_PSW_CONFIRM, L"better");
        ClickButton(dialog, IDC_PSW_OK);
        *box = WaitDialog(pid, kProduct, true);
        ASSERT_NE(nullptr, *box);
    }

    // A simulated recorder with files of today and yesterday (01:00 to
    // 01:30), registered as device 1001, an automatic schedule fetching
    // today's, a save directory, and automatic download at start.
    void SetUpScheduledBackup() {
        recorder.reset(new CSimRecorder(TwoDayRecordings(1)));
        ASSERT_TRUE(recorder->Start());

        DEVICE_RECORD device;
        device.id = kDeviceId;
        CopyFixedText(device.title, "Gate");
        CopyFixedText(device.ip, "127.0.0.1");
        device.port = recorder->Port();
        CopyFixedText(device.user, "admin");
        CopyFixedText(device.password, "admin");
        CDeviceManager devices;
        ASSERT_EQ(0, devices.AddDeviceRecord(device));
        ASSERT_EQ(0, devices.WriteDeviceXml(CString(folder.File(L"device.xml").c_str())));

        BACKUP_SCHEDULE schedule;
        schedule.DevID = kDeviceId;
        schedule.RunTime = {0, 0, 23, 59};
        for (int d = 0; d < kDaysPerWeek; ++d) schedule.WeekDayEnable[d] = 1;
        schedule.AgoType = 0;
        schedule.RecordTime = {1, 0, 2, 0};
        CBackupScheduleStore schedules;
        ASSERT_EQ(0, schedules.AddAuto(schedule));
        ASSERT_EQ(0, schedules.Save(CString(folder.File(L"backupschedule.xml").c_str())));

        CreateDirectoryW(folder.File(L"save").c_str(), nullptr);
        folder.SetUserSetting(L"Login_Info", L"VAD_DriverPathCount", L"1");
        folder.SetUserSetting(L"Login_Info", L"VAD_DriverPathType1", folder.File(L"save"));
        folder.SetUserSetting(L"Login_Info", L"DriveFreeSpaceLimit", L"500");
        folder.SetMainSetting(L"Login_Info", L"VAD_AutoBackup", L"1");
    }

    std::vector<LOG_RECORD> MonthLog() {
        CLogDB log;
        log.SetDirectory(CString(folder.File(L"Log\\").c_str()));
        const CTime now = CTime::GetCurrentTime();
        std::vector<LOG_RECORD> records;
        log.Query(records, now.GetYear(), now.GetMonth(), -1, -1, CString(), GetDefaultLogTime(), GetDefaultLogTime(),
                  -1, -1, -1, -1, -1, -1);
        return records;
    }

    static const int kDeviceId = 1001;
    ProgramFolder folder;
    std::unique_ptr<CSimRecorder> recorder;
};

bool HasRecord(const std::vector<LOG_RECORD>& records, int type, int code, const wchar_t* text) {
    for (const LOG_RECORD& record : records) {
        if (record.I_LogType == type && record.I_SubType == code && record.C_Information == text) return true;
    }
    return false;
}

}  // namespace

TEST_F(DodavoziProgramTest, LoginRefusesWrongInputThenOpensTheMainWindow) {
    folder.WriteOneDeviceList();
    ASSERT_NE(nullptr, folder.Start());
    HWND login = WaitDialog(folder.MainProcessId(), L"Login", false);
    ASSERT_NE(nullptr, login);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(login, IDC_LOGIN_REMEMBER)));
    const std::wstring shot = ShotPath(L"login.bmp");
    if (!shot.empty()) {
        SetText(login, IDC_LOGIN_USER, L"vorpl");
        Sleep(500);
        SaveWindowShot(login, shot);
    }
    const struct {
        const wchar_t* user;
        const wchar_t* password;
        const wchar_t* message;
    } refusals[] = {
        {L"vorpl", L"wrong", L"Password is wrong!"},
        {L"nobody", L"vorpl", L"The user does not exist!"},
    };
    for (const auto& refusal : refusals) {
        SetText(login, IDC_LOGIN_USER, refusal.user);
        SetText(login, IDC_LOGIN_PASSWORD, refusal.password);
        ClickButton(login, IDOK);
        HWND box = WaitDialog(folder.MainProcessId(), kProduct, true);
        ASSERT_NE(nullptr, box) << refusal.user;
        EXPECT_EQ(refusal.message, CloseMessageBox(box));
        EXPECT_TRUE(IsWindow(login)) << "the login stays open";
    }
    SetText(login, IDC_LOGIN_USER, L"vorpl");
    SetText(login, IDC_LOGIN_PASSWORD, L"vorpl");
    ClickButton(login, IDOK);
    HWND main = WaitDialog(folder.MainProcessId(), kProduct, false);
    ASSERT_NE(nullptr, main);
    ExitThroughConfirmation(main);
}

TEST_F(DodavoziProgramTest, WithoutDevicesTheStartAsksForOneAndCancelEndsTheProgram) {
    folder.UseAutomaticLogin();
    HANDLE process = folder.Start();
    ASSERT_NE(nullptr, process);
    HWND box = WaitDialog(folder.MainProcessId(), kProduct, true);
    ASSERT_NE(nullptr, box) << "no warning about the missing devices";
    EXPECT_EQ(kNoDeviceText, CloseMessageBox(box));
    HWND devices = WaitDialog(folder.MainProcessId(), L"Device Manage", false);
    ASSERT_NE(nullptr, devices) << "no device dialog to add one in";
    ClickButton(devices, IDC_DEVMANAGE_CANCEL);
    EXPECT_TRUE(ProgramFolder::WaitExit(process));
    EXPECT_EQ(nullptr, FindDialog(folder.MainProcessId(), kProduct, false));
}

TEST_F(DodavoziProgramTest, CancelledLoginEndsTheProgram) {
    HANDLE process = folder.Start();
    HWND login = WaitDialog(folder.MainProcessId(), L"Login", false);
    ASSERT_NE(nullptr, login);
    ClickButton(login, IDCANCEL);
    EXPECT_TRUE(ProgramFolder::WaitExit(process));
    EXPECT_EQ(nullptr, FindDialog(folder.MainProcessId(), kProduct, false));
}

TEST_F(DodavoziProgramTest, MainWindowShowsItsSkinAndASecondCopyIsRefused) {
    HWND main = StartToMainWindow();
    ASSERT_NE(nullptr, main);
    // The five skin buttons, one download twin of the two visible.
    // Each lies wholly inside the window's client area, where it can be clicked.
    RECT client;
    GetClientRect(main, &client);
    MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (int id : {IDC_SKIN_DOWNLOAD, IDC_SKIN_MANAGE, IDC_SKIN_SEARCH, IDC_SKIN_SYSCONFIG, IDC_SKIN_EXIT}) {
        const std::vector<HWND> shown = VisibleChildren(main, id);
        ASSERT_EQ(1u, shown.size()) << id;
        RECT button, inside;
        GetWindowRect(shown[0], &button);
        EXPECT_TRUE(IntersectRect(&inside, &button, &client) && EqualRect(&inside, &button)) << id;
    }
    EXPECT_EQ(L"Start", WindowText(GetDlgItem(main, IDC_MAIN_STARTSTOP_LABEL)));
    RECT window;
    GetWindowRect(main, &window);
    EXPECT_EQ(902, window.right - window.left);
    EXPECT_EQ(675, window.bottom - window.top);
    const std::wstring shot = ShotPath(L"main-window.bmp");
    if (!shot.empty()) {
        Sleep(1500);
        SaveWindowShot(main, shot);
    }

    HANDLE second = folder.Start();
    ASSERT_NE(nullptr, second);
    DWORD secondId = GetProcessId(second);
    HWND box = WaitDialog(secondId, kProduct, true);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"Soft Is Running!", CloseMessageBox(box));
    EXPECT_TRUE(ProgramFolder::WaitExit(second));
    EXPECT_TRUE(IsWindowVisible(main)) << "the first copy is untouched";
    ExitThroughConfirmation(main);
}

TEST_F(DodavoziProgramTest, AutomaticDownloadFillsTheTaskListAndExitShutsDownInOrder) {
    SetUpScheduledBackup();
    HWND main = StartToMainWindow(false);
    ASSERT_NE(nullptr, main);
    HWND list = GetDlgItem(main, IDC_MAIN_TASKLIST);
    std::vector<std::vector<std::wstring>> rows;
    const std::wstring running = L"[Auto][Device Status:Connect][Schedule Status:run][Need Download Files:";
    EXPECT_TRUE(Eventually(
        [&] {
            rows = ReadListView(list, folder.MainProcessId(), 5);
            return rows.size() == 1 && rows[0][4].compare(0, running.size(), running) == 0;
        },
        40000))
        << (rows.empty() ? L"no row" : rows[0][4]);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(L"1", rows[0][0]);
    EXPECT_EQ(L"Gate", rows[0][1]);
    EXPECT_EQ(L"CAM 1", rows[0][2]);
    const std::wstring today = CTime::GetCurrentTime().Format(L"%Y-%m-%d").GetString();
    EXPECT_EQ(today + L" 01:00:00-" + today + L" 02:00:00", rows[0][3]);
    EXPECT_EQ(L"Stop", WindowText(GetDlgItem(main, IDC_MAIN_STARTSTOP_LABEL)));
    const std::wstring shot = ShotPath(L"main-window.bmp");
    if (!shot.empty()) SaveWindowShot(main, shot);

    // Downloads finish into the record list while the timer runs them.
    CRecordListDB recordList;
    ASSERT_EQ(1, recordList.Open(CString(folder.File(L"RecordList.db").c_str())));
    RECORD_LIST_ROWS downloaded;
    EXPECT_TRUE(Eventually([&] { return recordList.QueryAll(downloaded) == 0 && downloaded.size() >= 3; }, 60000))
        << downloaded.size();

    ExitThroughConfirmation(main);
    const std::vector<LOG_RECORD> log = MonthLog();
    EXPECT_TRUE(HasRecord(log, 0, LOG_USER_LOGIN, L"Login Succeed!"));
    EXPECT_TRUE(HasRecord(log, 0, LOG_USER_LOGOFF, L"Logoff Succeed!"));
    EXPECT_TRUE(HasRecord(log, 1, LOG_DEVICE_LOGIN, L"Device[Gate]:Login"));
    EXPECT_TRUE(HasRecord(log, 1, LOG_DEVICE_LOGOUT, L"Device[Gate]:Logout")) << "devices logged out at shutdown";
    // The settings were written back at exit, those the test never wrote too.
    wchar_t value[64] = {0};
    GetPrivateProfileStringW(L"Version_Info", L"VAD_InitiativeListenPort", L"", value, 64,
                             folder.File(L"VAD_Config.ini").c_str());
    EXPECT_STREQ(L"38888", value);
}

TEST_F(DodavoziProgramTest, CloseHidesEscapeAsksOnceAndTheTrayMenuWorks) {
    HWND main = StartToMainWindow();
    ASSERT_NE(nullptr, main);
    const DWORD pid = folder.MainProcessId();

    // Closing only hides; the tray icon's click brings the window back.
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Eventually([&] { return !IsWindowVisible(main); }, 5000));
    PostMessageW(main, WM_TW_TRAY_NOTIFY, ID_TW_TRAY_ICON, WM_LBUTTONDOWN);
    EXPECT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, 5000));

    // Escape asks for the exit confirmation; Cancel keeps the program, and
    // the key's release that follows does not ask again.
    PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    HWND confirm = WaitDialog(pid, L"Exit", false);
    ASSERT_NE(nullptr, confirm);
    ClickButton(confirm, IDCANCEL);
    EXPECT_TRUE(Eventually([&] { return FindDialog(pid, L"Exit", false) == nullptr; }, 5000));
    PostMessageW(main, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    Sleep(1000);
    EXPECT_EQ(nullptr, FindDialog(pid, L"Exit", false)) << "the key's release asked again";
    // Enter does not end the program behind the confirmation's back.
    PostMessageW(main, WM_COMMAND, IDOK, 0);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(main));

    // Tray menu: Auto Download without a schedule is refused and said so.
    PostMessageW(main, WM_TW_TRAY_NOTIFY, ID_TW_TRAY_ICON, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(Eventually([&] { return (menu = FindPopupMenu(pid)) != nullptr; }, 5000));
    ChooseMenuItem(menu, 1);
    HWND box = WaitDialog(pid, kProduct, true);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"Start backup schedule fail!", CloseMessageBox(box));
    EXPECT_EQ(L"Start", WindowText(GetDlgItem(main, IDC_MAIN_STARTSTOP_LABEL)));

    // Tray menu: Exit, past the separator, asks and ends the program.
    PostMessageW(main, WM_TW_TRAY_NOTIFY, ID_TW_TRAY_ICON, WM_RBUTTONDOWN);
    ASSERT_TRUE(Eventually([&] { return (menu = FindPopupMenu(pid)) != nullptr; }, 5000));
    ChooseMenuItem(menu, 2);
    confirm = WaitDialog(pid, L"Exit", false);
    ASSERT_NE(nullptr, confirm);
    ClickButton(confirm, IDOK);
    EXPECT_TRUE(ProgramFolder::WaitExit(folder.MainProcess()));
}

namespace {

int g_searchResults = 0;

LRESULT CALLBACK SearchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TW_SEARCH_RESULT) ++g_searchResults;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeSearchWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SearchWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SearchResultTarget";
    RegisterClassW(&wc);
    return CreateWindowW(wc.lpszClassName, L"search", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

}  // namespace

TEST_F(DodavoziProgramTest, SearchResultsReachTheSearchingWindowOnlyWhileItExists) {
    HWND main = StartToMainWindow();
    ASSERT_NE(nullptr, main);
    HWND gone = MakeSearchWindow();
    DestroyWindow(gone);
    PostMessageW(main, WM_TW_SEARCH_RESULT, reinterpret_cast<WPARAM>(gone), 0);
    HWND searcher = MakeSearchWindow();
    g_searchResults = 0;
    PostMessageW(main, WM_TW_SEARCH_RESULT, reinterpret_cast<WPARAM>(searcher), 0);
    EXPECT_TRUE(WaitFor([] { return g_searchResults == 1; }, 5000));
    // Device messages for a device that does not exist change nothing.
    PostMessageW(main, WM_TW_DEVICE_OFFLINE, 4242, 0);
    PostMessageW(main, WM_TW_DEVICE_NOT_LOGGED_IN, 4242, 0);
    PostMessageW(main, WM_TW_DEVICE_LOGIN_STATE, 4242, 1);
    PostMessageW(main, WM_TW_SLOT_CLOSED, 9, 0x0101);
    Sleep(500);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(folder.MainProcess(), 0)) << "the program ended";
    EXPECT_EQ(L"Dodavozi", WindowText(main));
    DestroyWindow(searcher);
    ExitThroughConfirmation(main);
}

TEST_F(DodavoziProgramTest, PasswordChangeOfAUserIsSavedInTheUsersFile) {
    CAppConfig config(CString(folder.Path().c_str()));
    HWND main = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartAsOper(config, &main));
    const DWORD pid = folder.MainProcessId();

    HWND box = nullptr;
    ASSERT_NO_FATAL_FAILURE(ChangeOpersPassword(main, &box));
    EXPECT_EQ(L"Password has been modified!", CloseMessageBox(box));

    CUserManager saved(&config);
    ASSERT_EQ(0, saved.LoadFile(CString(folder.File(L"UserInfo.XML").c_str())));
    EXPECT_EQ(L"better", std::wstring(saved.FindUser(L"oper").psw.GetString()));
    // The exit confirmation offers the new password.
    ClickButton(main, IDC_SKIN_EXIT);
    HWND confirm = WaitDialog(pid, L"Exit", false);
    ASSERT_NE(nullptr, confirm);
    EXPECT_EQ(L"better", WindowText(GetDlgItem(confirm, IDC_LOGIN_PASSWORD)));
    ClickButton(confirm, IDOK);
    EXPECT_TRUE(ProgramFolder::WaitExit(folder.MainProcess()));
}

namespace {

// Whether the shell shows the main window's tray icon: changing nothing
// succeeds only for an icon it has.
bool TrayIconShown(HWND main) {
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof record;
    record.hWnd = main;
    record.uID = ID_TW_TRAY_ICON;
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

}  // namespace

// "TaskbarCreated" without a shell restart finds the icon still there: the
// program keeps it as its own, so closing still hides and the exit removes it.
TEST_F(DodavoziProgramTest, TaskbarCreatedKeepsTheIconThatIsThereAndExitRemovesIt) {
    HWND main = StartToMainWindow();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(TrayIconShown(main));
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Eventually([&] { return !IsWindowVisible(main); }, 5000));
    EXPECT_TRUE(TrayIconShown(main));
    PostMessageW(main, WM_TW_TRAY_NOTIFY, ID_TW_TRAY_ICON, WM_LBUTTONDOWN);
    ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, 5000));
    ExitThroughConfirmation(main);
    EXPECT_FALSE(TrayIconShown(main)) << "the icon outlives the program";
}

// Without its tray icon a hidden window could not be brought back (a second
// start is refused): closing leaves it on the screen.
TEST_F(DodavoziProgramTest, CloseKeepsTheWindowWhenItsTrayIconIsGone) {
    HWND main = StartToMainWindow();
    ASSERT_NE(nullptr, main);
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof record;
    record.hWnd = main;
    record.uID = ID_TW_TRAY_ICON;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &record));
    PostMessageW(main, WM_CLOSE, 0, 0);
    Sleep(1000);
    EXPECT_TRUE(IsWindowVisible(main)) << "the window hid without a way back";
    ExitThroughConfirmation(main);
}

// A password change the users file cannot take is said to have failed, and
// the file keeps the old password.
TEST_F(DodavoziProgramTest, PasswordChangeThatCannotBeSavedSaysSo) {
    CAppConfig config(CString(folder.Path().c_str()));
    HWND main = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartAsOper(config, &main));

    // Held open without sharing, the users file takes no write.
    HANDLE held =
        CreateFileW(folder.File(L"UserInfo.XML").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    HWND box = nullptr;
    ASSERT_NO_FATAL_FAILURE(ChangeOpersPassword(main, &box));
    EXPECT_EQ(L"Password modify failed!", CloseMessageBox(box));
    CloseHandle(held);

    CUserManager saved(&config);
    ASSERT_EQ(0, saved.LoadFile(CString(folder.File(L"UserInfo.XML").c_str())));
    EXPECT_EQ(L"secret", std::wstring(saved.FindUser(L"oper").psw.GetString()));
}
