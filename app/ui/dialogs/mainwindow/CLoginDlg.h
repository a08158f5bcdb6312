// CLoginDlg: asks for a user id and a password and checks them against the
// user manager. Runs modally in three modes: at start-up (the program goes
// on only after a successful login, which may happen by itself from the
// remembered user), to switch the user, and to confirm the Exit command with
// the current user's credentials (which only checks, changing nothing).
#pragma once

#include <afxwin.h>

#include "app/ui/toolkit/CSupperEdit.h"

class CAppConfig;
class CUserManager;

enum LOGIN_MODE { LOGIN_MODE_STARTUP = 0, LOGIN_MODE_SWITCH_USER = 1, LOGIN_MODE_EXIT = 2 };

class CLoginDlg : public CDialog {
public:
    // A mode outside 1..2 is the start-up mode. users null: the engine's;
    // config null: the program's.
    CLoginDlg(int mode, CWnd* parent, CUserManager* users = nullptr, CAppConfig* config = nullptr);
    explicit CLoginDlg(CWnd* parent = nullptr);
    ~CLoginDlg() override;

    int GetMode() const { return m_nMode; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnSavePassword();
    DECLARE_MESSAGE_MAP()

private:
    CUserManager& Users();
    CAppConfig& Config();
    // Fills both edits from the remembered user (the super user or a user of
    // the users file); nothing when that user no longer exists.
    void FillRememberedUser();
    void FocusAll(CSupperEdit& edit);
    // The header strip across the dialog's width.
    void StretchHeader();

    int m_nMode;
    CStatic m_header;
    CBitmap m_headerBitmap;
    CSupperEdit m_userEdit;
    CSupperEdit m_passwordEdit;
    CButton m_rememberCheck;
    CUserManager* m_pUsers;
    CAppConfig* m_pConfig;
};
