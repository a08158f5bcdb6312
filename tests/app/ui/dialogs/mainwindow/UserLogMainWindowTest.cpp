// The user and log dialogs opened from the running program's main window.
#include <gtest/gtest.h>

#include "tests/app/ui/dialogs/ProgramFolder.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";

class UserLogMainWindowTest : public ::testing::Test {
protected:
    HWND StartToMainWindow() {
        folder.WriteOneDeviceList();
        folder.UseAutomaticLogin();
        EXPECT_NE(nullptr, folder.Start());
        return WaitDialog(folder.MainProcessId(), kProduct, false);
    }

    ProgramFolder folder;
};

}  // namespace

TEST_F(UserLogMainWindowTest, TheSkinButtonAndTheMenuCommandOpenTheDialogs) {
    HWND main = StartToMainWindow();
    ASSERT_NE(nullptr, main);

    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_SKIN_SEARCH, BN_CLICKED), 0);
    HWND logQuery = WaitDialog(folder.MainProcessId(), L"Log Query", false);
    ASSERT_NE(nullptr, logQuery);
    HWND combo = GetDlgItem(logQuery, IDC_LOGQUERY_USER);
    EXPECT_EQ(L"vorpl - Super Manage User", WindowText(combo));
    EXPECT_FALSE(IsWindowEnabled(combo));
    // Each press queries again: the login record of this start reaches the list.
    HWND list = GetDlgItem(logQuery, IDC_LOGQUERY_LIST);
    EXPECT_TRUE(Eventually([&] {
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_MAIN_LOGQUERY, BN_CLICKED), 0);
        Sleep(300);
        for (const auto& row : ReadListView(list, folder.MainProcessId(), 6))
            if (row.size() > 3 && row[3] == L"User Login" && row[2] == L"vorpl") return true;
        return false;
    }));

    PostMessageW(main, WM_COMMAND, MAKEWPARAM(ID_TW_USER_MANAGE, 0), 0);
    HWND userManage = WaitDialog(folder.MainProcessId(), L"User Manage", false);
    ASSERT_NE(nullptr, userManage);
    EXPECT_TRUE(IsWindowVisible(userManage));
    // Cancel hides it; the next command shows the same window again.
    PostMessageW(userManage, WM_COMMAND, MAKEWPARAM(IDC_USERMAN_CANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(Eventually([&] { return !IsWindowVisible(userManage); }));
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(ID_TW_USER_MANAGE, 0), 0);
    EXPECT_TRUE(Eventually([&] { return IsWindowVisible(userManage) != FALSE; }));
}
