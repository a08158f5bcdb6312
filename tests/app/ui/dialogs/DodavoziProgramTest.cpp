// Dodavozi.exe started as a process in a folder of its own and driven from
// outside by window messages: start-up, login, the main window, its tray
// icon, menus and engine messages, and the orderly exit.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ProgramFolder.h"
#include "app/core/CAppConfig.h"
#include "app/core/CLogDB.h"
#include "app/core/CUserManager.h"
#include "app/core/TwMessages.h"
#include "app/engine/CDeviceManager.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"
#include "tools/simrecorder/CSimRecorder.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";
const wchar_t kNoDeviceText[] = L"Please add some device's informations!";

// Where the screenshots for the documentation go, when asked for.
std::wstring ShotPath(const wchar_t* name) {
    const char* dir = std::getenv("DODAVOZI_SCREENSHOT_DIR");
    if (!dir || !*dir) return std::wstring();
    return std::wstring(CString(dir).GetString()) + L"\\" + name;
}

void ClickButton(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void SetText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class DodavoziProgramTest : public ::testing::Test {
protected:
    // Starts the program with the super user logging in by itself and waits
    // for its main window; the no-device warning is answered when it comes.
    HWND StartToMainWindow(bool expectNoDeviceBox = true) {
        folder.UseAutomaticLogin();
        EXPECT_NE(nullptr, folder.Start());
        if (expectNoDeviceBox) {
            HWND box = WaitDialog(folder.MainProcessId(), kProduct, true);
            EXPECT_NE(nullptr, box) << "no warning about the missing devices";
            if (box) {
                EXPECT_EQ(kNoDeviceText, CloseMessageBox(box));
            }
        }
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

    ProgramFolder folder;
};

}  // namespace

TEST_F(DodavoziProgramTest, LoginRefusesWrongInputThenOpensTheMainWindow) {
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
    HWND box = WaitDialog(folder.MainProcessId(), kProduct, true);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(kNoDeviceText, CloseMessageBox(box));
    HWND main = WaitDialog(folder.MainProcessId(), kProduct, false);
    ASSERT_NE(nullptr, main);
    ExitThroughConfirmation(main);
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
    for (int id : {IDC_SKIN_DOWNLOAD, IDC_SKIN_MANAGE, IDC_SKIN_SEARCH, IDC_SKIN_SYSCONFIG, IDC_SKIN_EXIT}) {
        EXPECT_EQ(1u, VisibleChildren(main, id).size()) << id;
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
