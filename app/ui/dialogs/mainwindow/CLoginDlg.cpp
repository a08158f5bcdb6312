#include "CLoginDlg.h"

#include "app/ui/dialogs/DialogMessages.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/CUserManager.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"

BEGIN_MESSAGE_MAP(CLoginDlg, CDialog)
ON_BN_CLICKED(IDC_LOGIN_REMEMBER, OnSavePassword)
END_MESSAGE_MAP()

CLoginDlg::CLoginDlg(int mode, CWnd* parent, CUserManager* users, CAppConfig* config, CUserDataLoader* loader)
    : CDialog(IDD_LOGIN, parent),
      m_nMode(mode == LOGIN_MODE_SWITCH_USER || mode == LOGIN_MODE_EXIT ? mode : LOGIN_MODE_STARTUP),
      m_pUsers(users),
      m_pConfig(config),
      m_pLoader(loader) {}

CLoginDlg::CLoginDlg(CWnd* parent) : CLoginDlg(LOGIN_MODE_STARTUP, parent) {}

CLoginDlg::~CLoginDlg() = default;

CUserManager& CLoginDlg::Users() { return m_pUsers ? *m_pUsers : GetBackupEngine().Users(); }

CAppConfig& CLoginDlg::Config() { return m_pConfig ? *m_pConfig : *GetAppConfig(); }

CUserDataLoader* CLoginDlg::Loader() { return m_pUsers ? m_pLoader : &GetBackupEngine(); }

void CLoginDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOGIN_HEADER, m_header);
    DDX_Control(dx, IDC_LOGIN_USER, m_userEdit);
    DDX_Control(dx, IDC_LOGIN_PASSWORD, m_passwordEdit);
    DDX_Control(dx, IDC_LOGIN_REMEMBER, m_rememberCheck);
}

BOOL CLoginDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    StretchHeader();
    for (CSupperEdit* edit : {&m_userEdit, &m_passwordEdit}) {
        edit->PrepareFilter();
        edit->SetAllowedChars(kUserIdChars);
        edit->SetAllowPaste(FALSE);
    }
    CAppConfig* config = &Config();
    CString caption = Translate(L"Login");
    BOOL userReadOnly = FALSE;
    BOOL showCheck = TRUE;
    m_userEdit.SetWindowText(L"");
    m_passwordEdit.SetWindowText(L"");
    const USER_INFO& current = Users().m_CurrentUser;
    switch (m_nMode) {
        case LOGIN_MODE_SWITCH_USER:
            m_userEdit.SetWindowText(current.id);
            m_rememberCheck.SetCheck(config->m_bSavePassword ? BST_CHECKED : BST_UNCHECKED);
            break;
        case LOGIN_MODE_EXIT:
            caption = Translate(L"Exit");
            m_userEdit.SetWindowText(current.id);
            m_passwordEdit.SetWindowText(current.psw);
            userReadOnly = TRUE;
            showCheck = FALSE;
            break;
        default:
            m_rememberCheck.SetCheck(config->m_bSavePassword ? BST_CHECKED : BST_UNCHECKED);
            if (config->m_bSavePassword || config->m_bAutoLogin) {
                FillRememberedUser();
                if (config->m_bAutoLogin) {
                    SetWindowText(caption);
                    OnOK();
                    // A successful check has ended the dialog before it was ever shown.
                    if (!(m_nFlags & WF_CONTINUEMODAL)) return FALSE;
                }
            }
            break;
    }
    SetWindowText(caption);
    m_userEdit.SetReadOnly(userReadOnly);
    m_passwordEdit.SetReadOnly(FALSE);
    m_rememberCheck.ShowWindow(showCheck ? SW_SHOW : SW_HIDE);
    if (m_nMode != LOGIN_MODE_STARTUP || config->m_bSavePassword) {
        FocusAll(m_passwordEdit);
    } else {
        m_userEdit.SetFocus();
    }
    return FALSE;
}

void CLoginDlg::StretchHeader() {
    CRect client, header;
    GetClientRect(&client);
    m_header.GetWindowRect(&header);
    ScreenToClient(&header);
    m_header.MoveWindow(0, 0, client.Width(), header.Height());
    SetStaticBitmap(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGIN_HEADER)), &m_headerBitmap,
                    &m_header);
}

void CLoginDlg::FillRememberedUser() {
    CAppConfig* config = &Config();
    const CString remembered = config->GetLoginUserName();
    if (!remembered.IsEmpty() && remembered == config->m_strSuperUserID) {
        m_userEdit.SetWindowText(config->m_strSuperUserID);
        m_passwordEdit.SetWindowText(config->m_strSuperUserPassword);
        return;
    }
    const USER_INFO user = Users().FindUser(remembered);
    if (user.id.IsEmpty()) return;
    m_userEdit.SetWindowText(user.id);
    m_passwordEdit.SetWindowText(user.psw);
}

void CLoginDlg::FocusAll(CSupperEdit& edit) {
    edit.SetFocus();
    edit.SetSel(0, -1);
}

void CLoginDlg::OnOK() {
    CString user, password;
    m_userEdit.GetWindowText(user);
    m_passwordEdit.GetWindowText(password);
    const BOOL apply = m_nMode == LOGIN_MODE_EXIT ? FALSE : TRUE;
    const int result = LoginAndLoadUserData(Users(), Loader(), user, password, apply);
    if (result == 0) {
        CDialog::OnOK();
        return;
    }
    const bool wrongPassword = result == -1;
    ShowDodavoziBox(this, Translate(wrongPassword ? L"Password is wrong!" : L"The user does not exist!"),
                    MB_ICONINFORMATION);
    FocusAll(wrongPassword ? m_passwordEdit : m_userEdit);
}

void CLoginDlg::OnSavePassword() {
    CAppConfig* config = &Config();
    config->m_bSavePassword = !config->m_bSavePassword;
}

BOOL CLoginDlg::PreTranslateMessage(MSG* msg) {
    // Escape never closes the login: only Cancel or the close box do.
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && msg->wParam == VK_ESCAPE) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}
