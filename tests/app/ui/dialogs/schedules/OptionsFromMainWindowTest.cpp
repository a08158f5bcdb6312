// The options dialog as the running program opens it: modeless from the
// System Config menu's Option command, and modally when automatic download
// is started without the settings it needs.
#include <gtest/gtest.h>

#include "tests/app/ui/dialogs/ProgramFolder.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";

void Command(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

class OptionsFromMainWindowTest : public ::testing::Test {
protected:
    // One device (that never answers: only its presence counts here) and
    // the super user logging in by itself.
    void SetUp() override {
        folder.WriteOneDeviceList();
        folder.UseAutomaticLogin();
    }
    HWND StartToMainWindow() {
        EXPECT_NE(nullptr, folder.Start());
        HWND main = WaitDialog(folder.MainProcessId(), kProduct, false);
        EXPECT_NE(nullptr, main) << "the main window did not appear";
        return main;
    }

    ProgramFolder folder;
};

}  // namespace

TEST_F(OptionsFromMainWindowTest, TheOptionCommandShowsOneModelessDialog) {
    HWND main = StartToMainWindow();
    ASSERT_NE(nullptr, main);
    Command(main, ID_TW_OPTION);
    HWND options = WaitDialog(folder.MainProcessId(), L"Option", false);
    ASSERT_NE(nullptr, options);
    EXPECT_EQ(main, GetParent(options)) << "owned by the main window";
    Command(options, IDCANCEL);
    ASSERT_TRUE(Eventually([&] { return !IsWindowVisible(options); }));
    EXPECT_TRUE(IsWindow(options)) << "hidden, not destroyed";
    Command(main, ID_TW_OPTION);
    EXPECT_EQ(options, WaitDialog(folder.MainProcessId(), L"Option", false)) << "the same window again";
    Command(options, IDCANCEL);
}

TEST_F(OptionsFromMainWindowTest, StartingWithoutTheSettingsRunsTheOptionsUntilTheyAreComplete) {
    CreateDirectoryW(folder.File(L"save").c_str(), nullptr);
    folder.SetUserSetting(L"Login_Info", L"VAD_DriverPathCount", L"1");
    folder.SetUserSetting(L"Login_Info", L"VAD_DriverPathType1", folder.File(L"save"));
    folder.SetUserSetting(L"Login_Info", L"DriveFreeSpaceLimit", L"100");
    HWND main = StartToMainWindow();
    ASSERT_NE(nullptr, main);

    // Cancelled: the command ends and nothing starts.
    Command(main, IDC_SKIN_DOWNLOAD);
    HWND box = WaitDialog(folder.MainProcessId(), kProduct, true);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"Please set download path or drive space limit size or download file name rule!", CloseMessageBox(box));
    HWND options = WaitDialog(folder.MainProcessId(), L"Option", false);
    ASSERT_NE(nullptr, options);
    EXPECT_EQ(L"100", WindowText(GetDlgItem(options, IDC_SYSCFG_FREE_LIMIT)));
    Command(options, IDCANCEL);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(options); }));
    EXPECT_EQ(L"Start", WindowText(GetDlgItem(main, IDC_MAIN_STARTSTOP_LABEL)));

    // Completed: the start goes on (and is refused: there is no schedule).
    Command(main, IDC_SKIN_DOWNLOAD);
    box = WaitDialog(folder.MainProcessId(), kProduct, true);
    ASSERT_NE(nullptr, box);
    CloseMessageBox(box);
    options = WaitDialog(folder.MainProcessId(), L"Option", false);
    ASSERT_NE(nullptr, options);
    SendMessageW(GetDlgItem(options, IDC_SYSCFG_FREE_LIMIT), WM_SETTEXT, 0, (LPARAM)L"800");
    Command(options, IDOK);
    box = WaitDialog(folder.MainProcessId(), kProduct, true);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"Start backup schedule fail!", CloseMessageBox(box));
    wchar_t limit[32] = {0};
    GetPrivateProfileStringW(L"Login_Info", L"DriveFreeSpaceLimit", L"", limit, 32,
                             folder.File(L"UserLogin.ini").c_str());
    EXPECT_STREQ(L"800", limit);
}
