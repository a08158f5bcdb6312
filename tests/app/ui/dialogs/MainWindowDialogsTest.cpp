// The main window's dialogs in this process, built from the program's own
// templates: the login in its three modes, the password change, About, the
// menus' items and the task list's row texts.
#include <gtest/gtest.h>

#include <string>

#include "BoxCloser.h"
#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/CUserManager.h"
#include "app/ui/dialogs/CAboutDlg.h"
#include "app/ui/dialogs/CDodavoziDlg.h"
#include "app/ui/dialogs/CLoginDlg.h"
#include "app/ui/dialogs/CPasswordModifyDlg.h"
#include "app/ui/dialogs/TaskListRow.h"
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
    std::wstring text;
    closer.Wait(&text);
    return text;
}

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
    }
    void TearDown() override { DeleteInitLanguage(); }

    TempDir dir;
    std::unique_ptr<CAppConfig> config;
    std::unique_ptr<CUserManager> users;
};

}  // namespace

TEST_F(LoginDialogTest, WrongInputKeepsTheDialogOpenWithTheMessage) {
    CLoginDlg login(LOGIN_MODE_STARTUP, nullptr, users.get(), config.get());
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
    Type(login, IDC_LOGIN_USER, L"oper");
    Type(login, IDC_LOGIN_PASSWORD, L"secret");
    EXPECT_EQ(L"", CommandAndBox(login, IDOK));
    EXPECT_FALSE(login.IsWindowVisible());
    EXPECT_EQ(L"oper", std::wstring(users->m_CurrentUser.id.GetString()));
    EXPECT_EQ(L"oper", std::wstring(config->GetLoginUserName().GetString()));
    login.DestroyWindow();
}
