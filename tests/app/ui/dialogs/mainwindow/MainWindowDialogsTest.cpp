// The main window's dialogs in this process, built from the program's own
// templates: the login in its three modes, the password change, About, the
// menus' items and the task list's row texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BoxCloser.h"
#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/CUserDataLoader.h"
#include "app/core/CUserManager.h"
#include "app/ui/dialogs/mainwindow/CAboutDlg.h"
#include "app/ui/dialogs/mainwindow/CDodavoziDlg.h"
#include "app/ui/dialogs/mainwindow/CLoginDlg.h"
#include "app/ui/dialogs/mainwindow/CPasswordModifyDlg.h"
#include "app/ui/dialogs/mainwindow/CTaskRowTexts.h"
#include "app/ui/dialogs/mainwindow/TaskListRow.h"
#include "app/ui/dialogs/resource.h"

namespace {

std::wstring WindowCaption(CWnd& window) {
    CString text;
    window.GetWindowText(text);
    return text.GetString();
}

void Type(CWnd& dialog, int id, const wchar_t* text) { dialog.SetDlgItemText(id, text); }

// Sends the command and answers the box it shows; returns the box's text
// ("" when none came).
std::wstring CommandAndBox(CWnd& dialog, int id) {
    BoxCloser closer;
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    // The command has returned: a box it showed has been answered.
    std::wstring text;
    closer.Stop(&text);
    return text;
}

// Stands in for the engine: the user it found logged in at each load.
struct LoadRecorder : CUserDataLoader {
    CUserManager* users = nullptr;
    std::vector<std::wstring> loadedFor;
    int LoadUserData() override {
        loadedFor.push_back(users->m_CurrentUser.id.GetString());
        return 0;
    }
};

// A program folder with the super user "vorpl" and one user "oper".
class LoginDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.reset(new CAppConfig(CString(dir.Path().c_str())));
        users.reset(new CUserManager(config.get()));
        users->Load(config->m_strUsersFile);
        USER_INFO oper;
        oper.id = L"oper";
        oper.name = L"Operator";
        oper.psw = L"secret";
        oper.systemdir = CString(dir.Path().c_str()) + L"\\oper\\";
        ASSERT_EQ(0, users->AddUser(oper));
        ASSERT_EQ(0, users->Save(CString()));
        loader.users = users.get();
    }
    void TearDown() override { DeleteInitLanguage(); }

    TempDir dir;
    std::unique_ptr<CAppConfig> config;
    std::unique_ptr<CUserManager> users;
    LoadRecorder loader;
};

}  // namespace

TEST_F(LoginDialogTest, WrongInputKeepsTheDialogOpenWithTheMessage) {
    CLoginDlg login(LOGIN_MODE_STARTUP, nullptr, users.get(), config.get(), &loader);
    ASSERT_TRUE(login.Create(IDD_LOGIN));
    login.ShowWindow(SW_SHOW);
    EXPECT_EQ(L"Login", WindowCaption(login));
    const struct {
        const wchar_t* user;
        const wchar_t* password;
        const wchar_t* message;
        int focused;
    } cases[] = {
        {L"oper", L"wrong", L"Password is wrong!", IDC_LOGIN_PASSWORD},
        {L"ghost", L"secret", L"The user does not exist!", IDC_LOGIN_USER},
        {L"vorpl", L"oper", L"Password is wrong!", IDC_LOGIN_PASSWORD},
    };
    for (const auto& c : cases) {
        Type(login, IDC_LOGIN_USER, c.user);
        Type(login, IDC_LOGIN_PASSWORD, c.password);
        EXPECT_EQ(c.message, CommandAndBox(login, IDOK)) << c.user;
        EXPECT_TRUE(login.IsWindowVisible()) << c.user;
        EXPECT_EQ(login.GetDlgItem(c.focused)->m_hWnd, ::GetFocus()) << c.user;
    }
    EXPECT_TRUE(users->m_CurrentUser.id.IsEmpty());
    EXPECT_TRUE(loader.loadedFor.empty());
    Type(login, IDC_LOGIN_USER, L"oper");
    Type(login, IDC_LOGIN_PASSWORD, L"secret");
    EXPECT_EQ(L"", CommandAndBox(login, IDOK));
    EXPECT_FALSE(login.IsWindowVisible());
    EXPECT_EQ(L"oper", std::wstring(users->m_CurrentUser.id.GetString()));
    EXPECT_EQ(L"oper", std::wstring(config->GetLoginUserName().GetString()));
    EXPECT_EQ(std::vector<std::wstring>{L"oper"}, loader.loadedFor);
    login.DestroyWindow();
}

TEST_F(LoginDialogTest, RememberedUserFillsTheEditsAndAutomaticLoginNeverShows) {
    config->m_bSavePassword = TRUE;
    const struct {
        const wchar_t* remembered;
        const wchar_t* user;
        const wchar_t* password;
    } cases[] = {
        {L"oper", L"oper", L"secret"},
        {L"vorpl", L"vorpl", L"vorpl"},  // the super user from the configuration
        {L"ghost", L"", L""},            // a user that no longer exists
    };
    for (const auto& c : cases) {
        config->SetLoginUserName(c.remembered);
        CLoginDlg login(LOGIN_MODE_STARTUP, nullptr, users.get(), config.get());
        ASSERT_TRUE(login.Create(IDD_LOGIN));
        CString user, password;
        login.GetDlgItemText(IDC_LOGIN_USER, user);
        login.GetDlgItemText(IDC_LOGIN_PASSWORD, password);
        EXPECT_EQ(c.user, std::wstring(user.GetString())) << c.remembered;
        EXPECT_EQ(c.password, std::wstring(password.GetString())) << c.remembered;
        EXPECT_EQ(BST_CHECKED, login.IsDlgButtonChecked(IDC_LOGIN_REMEMBER));
        // Each click turns the setting over at once.
        login.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LOGIN_REMEMBER, BN_CLICKED), 0);
        EXPECT_FALSE(config->m_bSavePassword);
        login.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LOGIN_REMEMBER, BN_CLICKED), 0);
        EXPECT_TRUE(config->m_bSavePassword);
        login.DestroyWindow();
    }

    config->m_bAutoLogin = TRUE;
    config->SetLoginUserName(L"oper");
    CLoginDlg automatic(LOGIN_MODE_STARTUP, nullptr, users.get(), config.get());
    EXPECT_EQ(IDOK, automatic.DoModal());
    EXPECT_EQ(L"oper", std::wstring(users->m_CurrentUser.id.GetString()));
}

TEST_F(LoginDialogTest, ExitConfirmationChecksWithoutChangingTheUser) {
    ASSERT_EQ(0, users->Login(L"oper", L"secret", TRUE));
    CLoginDlg confirm(LOGIN_MODE_EXIT, nullptr, users.get(), config.get(), &loader);
    ASSERT_TRUE(confirm.Create(IDD_LOGIN));
    confirm.ShowWindow(SW_SHOW);
    EXPECT_EQ(L"Exit", WindowCaption(confirm));
    CEdit* user = static_cast<CEdit*>(confirm.GetDlgItem(IDC_LOGIN_USER));
    EXPECT_TRUE(user->GetStyle() & ES_READONLY);
    EXPECT_FALSE(confirm.GetDlgItem(IDC_LOGIN_REMEMBER)->IsWindowVisible());
    CString name, password;
    confirm.GetDlgItemText(IDC_LOGIN_USER, name);
    confirm.GetDlgItemText(IDC_LOGIN_PASSWORD, password);
    EXPECT_EQ(L"oper", std::wstring(name.GetString()));
    EXPECT_EQ(L"secret", std::wstring(password.GetString()));

    Type(confirm, IDC_LOGIN_PASSWORD, L"other");
    EXPECT_EQ(L"Password is wrong!", CommandAndBox(confirm, IDOK));
    EXPECT_TRUE(confirm.IsWindowVisible());
    Type(confirm, IDC_LOGIN_PASSWORD, L"secret");
    EXPECT_EQ(L"", CommandAndBox(confirm, IDOK));
    EXPECT_FALSE(confirm.IsWindowVisible());
    EXPECT_EQ(L"oper", std::wstring(users->m_CurrentUser.id.GetString()));
    EXPECT_TRUE(loader.loadedFor.empty()) << "a confirmation loaded the user's data again";
    confirm.DestroyWindow();
}

TEST(PasswordModifyDialogTest, ChecksInOrderAndHandsBackTheNewPassword) {
    const std::wstring longest(32, L'a');
    const struct {
        std::wstring oldPassword, newPassword, confirmation, message;
    } cases[] = {
        {L"secret", longest + L"b", longest + L"b", L"Password length can not be more than 32 !"},
        {L"wrong", L"", L"", L"Password is wrong!"},  // only the first failing check speaks
        {L"secret", L"", L"", L"Password can not be null!"},
        {L"secret", L"new1", L"new2", L"Two password is different!"},
        {L"secret", longest, longest, L""},
    };
    for (const auto& c : cases) {
        CPasswordModifyDlg dialog;
        dialog.SetCurrentPassword(L"secret");
        ASSERT_TRUE(dialog.Create(IDD_PASSWORD_MODIFY));
        dialog.ShowWindow(SW_SHOW);
        Type(dialog, IDC_PSW_OLD, c.oldPassword.c_str());
        Type(dialog, IDC_PSW_NEW, c.newPassword.c_str());
        Type(dialog, IDC_PSW_CONFIRM, c.confirmation.c_str());
        EXPECT_EQ(c.message, CommandAndBox(dialog, IDC_PSW_OK)) << c.newPassword;
        CString result;
        EXPECT_EQ(1, dialog.GetNewPassword(result));
        const bool accepted = c.message.empty();
        EXPECT_EQ(accepted ? c.newPassword : std::wstring(L"secret"), std::wstring(result.GetString()));
        EXPECT_EQ(!accepted, dialog.IsWindowVisible() != FALSE) << c.newPassword;
        dialog.DestroyWindow();
    }
}

TEST(AboutDialogTest, ShowsProductAndVersion) {
    CAboutDlg about;
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
    EXPECT_EQ(L"About Dodavozi", WindowCaption(about));
    CString version;
    about.GetDlgItemText(IDC_ABOUT_VERSION, version);
    EXPECT_EQ(L"Dodavozi ver1.0", std::wstring(version.GetString()));
    about.DestroyWindow();
}

namespace {

// "id" for each item, "-" for a separator; "*" after a checked item, "~"
// after a greyed one.
std::wstring MenuItems(CMenu& menu) {
    std::wstring items;
    for (int i = 0; i < ::GetMenuItemCount(menu.GetSafeHmenu()); ++i) {
        const UINT id = ::GetMenuItemID(menu.GetSafeHmenu(), i);
        const UINT state = ::GetMenuState(menu.GetSafeHmenu(), i, MF_BYPOSITION);
        if (!items.empty()) items += L" ";
        if (state & MF_SEPARATOR) {
            items += L"-";
            continue;
        }
        items += std::to_wstring(id);
        if (state & MF_CHECKED) items += L"*";
        if (state & MF_GRAYED) items += L"~";
    }
    return items;
}

}  // namespace

TEST(MainWindowMenusTest, ItemsFollowTheDownloadStatesAndTheUser) {
    const struct {
        int automaticOn, manualOn;
        const wchar_t* tray;
    } trays[] = {
        {0, 0, L"5452 - 5458"},
        {1, 0, L"5452* - 5458"},
        {0, 1, L"5452 5453* - 5458"},
        {1, 1, L"5452* 5453* - 5458"},
    };
    for (const auto& t : trays) {
        CMenu menu;
        CDodavoziDlg::BuildTrayMenu(menu, t.automaticOn, t.manualOn);
        EXPECT_EQ(t.tray, MenuItems(menu)) << t.automaticOn << t.manualOn;
    }
    const struct {
        int automaticOn, manualOn;
        bool superUser;
        const wchar_t* items;
    } configs[] = {
        {0, 0, true, L"5402 - 5453 5454 5444 5404 5441"},
        {0, 0, false, L"5402 - 5453 5444 5404 5441"},
        {1, 0, false, L"5402 - 5453 5444 5404~ 5441"},
        {0, 1, true, L"5402 - 5453 5454 5444 5404~ 5441"},
    };
    for (const auto& c : configs) {
        CMenu menu;
        CDodavoziDlg::BuildSystemConfigMenu(menu, c.automaticOn, c.manualOn, c.superUser);
        EXPECT_EQ(c.items, MenuItems(menu)) << c.automaticOn << c.manualOn << c.superUser;
    }
}

namespace {

DEVICE_RECORD TwoChannelDevice(int loggedIn) {
    DEVICE_RECORD device;
    device.id = 1001;
    CopyFixedText(device.title, "Gate");
    device.channelCount = 2;
    CopyFixedText(device.channels[0].name, "Door");
    device.loggedIn = loggedIn;
    return device;
}

}  // namespace

TEST(TaskListRowTest, KeptRecordingsWithoutTheirRowAreCountedInTheStatus) {
    TASK_ROW_TEXT text;
    text.status = L"[Auto][Device Status:Connect][Schedule Status:end]";
    AppendUnindexedText(0, &text);
    EXPECT_EQ(L"[Auto][Device Status:Connect][Schedule Status:end]", std::wstring(text.status.GetString()));
    AppendUnindexedText(6, &text);
    EXPECT_EQ(L"[Auto][Device Status:Connect][Schedule Status:end][Not in record list:6]",
              std::wstring(text.status.GetString()));
}

TEST(TaskListRowTest, DatesChannelsAndStatesOfTheRows) {
    const CTime now(2026, 3, 31, 12, 0, 0);  // a Tuesday
    const int tuesday = 2;
    BACKUP_SCHEDULE automatic;
    automatic.DevID = 1001;
    automatic.RecordTime = {1, 5, 2, 30};
    automatic.DayState[tuesday] = kDayStarted;
    TASK_ROW_TEXT text;
    const struct {
        int agoType;
        const wchar_t* information;
    } dates[] = {
        {0, L"2026-03-31 01:05:00-2026-03-31 02:30:00"}, {6, L"2026-03-25 01:05:00-2026-03-25 02:30:00"},
        {7, L"2026-03-16 01:05:00-2026-03-16 02:30:00"}, {8, L"2026-03-11 01:05:00-2026-03-11 02:30:00"},
        {9, L"2026-03-01 01:05:00-2026-03-01 02:30:00"},
    };
    for (const auto& d : dates) {
        automatic.AgoType = d.agoType;
        ASSERT_TRUE(CTaskRowTexts(1, 0, now).Make(automatic, TwoChannelDevice(1), 3, &text)) << d.agoType;
        EXPECT_EQ(d.information, std::wstring(text.information.GetString())) << d.agoType;
    }
    EXPECT_EQ(L"Gate", std::wstring(text.device.GetString()));
    EXPECT_EQ(L"Door", std::wstring(text.channel.GetString()));
    EXPECT_EQ(L"[Auto][Device Status:Connect][Schedule Status:run][Need Download Files:3]",
              std::wstring(text.status.GetString()));
    automatic.AgoType = 10;
    EXPECT_FALSE(CTaskRowTexts(1, 0, now).Make(automatic, TwoChannelDevice(1), 0, &text)) << "unknown AgoType";
    automatic.AgoType = 0;
    EXPECT_FALSE(CTaskRowTexts(0, 1, now).Make(automatic, TwoChannelDevice(1), 0, &text)) << "automatic stopped";
    EXPECT_FALSE(CTaskRowTexts(1, 1, now).Make(automatic, DEVICE_RECORD(), 0, &text)) << "device gone";

    // A channel without a name, and indexes outside the device's channels.
    const struct {
        int index;
        const wchar_t* channel;
    } channels[] = {{1, L"Channel1"}, {2, L""}, {-1, L""}, {100000, L""}};
    for (const auto& c : channels) {
        automatic.ChannelIndex = c.index;
        ASSERT_TRUE(CTaskRowTexts(1, 0, now).Make(automatic, TwoChannelDevice(0), 0, &text));
        EXPECT_EQ(c.channel, std::wstring(text.channel.GetString())) << c.index;
    }

    BACKUP_SCHEDULE manual;
    manual.id = kManualScheduleIdBase + 1;
    manual.DevID = 1001;
    manual.AgoType = kManualAgoType;
    manual.EndTime.Year = 2026;
    manual.EndTime.Month = 1;
    manual.EndTime.Day = 9;
    const struct {
        int state;
        bool shown;
        const wchar_t* status;
    } states[] = {
        {kDayIdle, true, L"[Manual][Device Status:Disconnect][Schedule Status:no run]"},
        {kDayDone, true, L"[Manual]"},
        {kDayEnded, false, L""},
        {kDayEndedOther, false, L""},
    };
    for (const auto& s : states) {
        manual.DayState[0] = s.state;
        EXPECT_EQ(s.shown, CTaskRowTexts(0, 1, now).Make(manual, TwoChannelDevice(0), 0, &text)) << s.state;
        if (s.shown) {
            EXPECT_EQ(s.status, std::wstring(text.status.GetString())) << s.state;
        }
    }
    EXPECT_EQ(L"2026-01-09 00:00:00-2026-01-09 00:00:00", std::wstring(text.information.GetString()));
    EXPECT_FALSE(CTaskRowTexts(1, 0, now).Make(manual, TwoChannelDevice(0), 0, &text)) << "manual stopped";
    automatic.ChannelIndex = 0;
    automatic.DayState[tuesday] = kDayEnded;
    ASSERT_TRUE(CTaskRowTexts(1, 0, now).Make(automatic, TwoChannelDevice(0), 0, &text));
    EXPECT_EQ(L"[Auto][Device Status:Disconnect][Schedule Status:end]", std::wstring(text.status.GetString()));
    automatic.DayState[tuesday] = kDayEndedOther;
    ASSERT_TRUE(CTaskRowTexts(1, 0, now).Make(automatic, TwoChannelDevice(0), 0, &text));
    EXPECT_EQ(L"[Auto][Device Status:Disconnect][Schedule Status:faild]", std::wstring(text.status.GetString()));
}

TEST(TaskListRowTest, OneRefreshsRowsEachGetTheirOwnDateAndState) {
    const CTime now(2026, 3, 31, 12, 0, 0);  // a Tuesday
    const int tuesday = 2;
    CTaskRowTexts texts(1, 0, now);
    BACKUP_SCHEDULE schedule;
    schedule.DevID = 1001;
    schedule.RecordTime = {1, 5, 2, 30};
    const struct {
        int agoType;
        int state;
        int loggedIn;
        int taskCount;
        const wchar_t* information;
        const wchar_t* status;
    } rows[] = {
        {6, kDayStarted, 1, 3, L"2026-03-25 01:05:00-2026-03-25 02:30:00",
         L"[Auto][Device Status:Connect][Schedule Status:run][Need Download Files:3]"},
        {0, kDayIdle, 0, 0, L"2026-03-31 01:05:00-2026-03-31 02:30:00",
         L"[Auto][Device Status:Disconnect][Schedule Status:no run]"},
        {6, kDayStarted, 0, 12, L"2026-03-25 01:05:00-2026-03-25 02:30:00",
         L"[Auto][Device Status:Disconnect][Schedule Status:run][Need Download Files:12]"},
        {0, kDayEnded, 1, 0, L"2026-03-31 01:05:00-2026-03-31 02:30:00",
         L"[Auto][Device Status:Connect][Schedule Status:end]"},
    };
    for (const auto& r : rows) {
        schedule.AgoType = r.agoType;
        schedule.DayState[tuesday] = r.state;
        TASK_ROW_TEXT text;
        ASSERT_TRUE(texts.Make(schedule, TwoChannelDevice(r.loggedIn), r.taskCount, &text)) << r.status;
        EXPECT_EQ(r.information, std::wstring(text.information.GetString()));
        EXPECT_EQ(r.status, std::wstring(text.status.GetString()));
    }
}
