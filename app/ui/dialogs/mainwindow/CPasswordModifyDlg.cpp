#include "CPasswordModifyDlg.h"

#include "app/ui/dialogs/DialogMessages.h"
#include "app/core/CInitLanguage.h"
#include "app/ui/dialogs/resource.h"

BEGIN_MESSAGE_MAP(CPasswordModifyDlg, CDialog)
ON_BN_CLICKED(IDC_PSW_OK, OnBtnOk)
ON_BN_CLICKED(IDC_PSW_CANCEL, OnBtnCancel)
END_MESSAGE_MAP()

CPasswordModifyDlg::CPasswordModifyDlg(CWnd* parent) : CDialog(IDD_PASSWORD_MODIFY, parent) {}

CPasswordModifyDlg::~CPasswordModifyDlg() = default;

void CPasswordModifyDlg::SetCurrentPassword(const CString& password) {
    m_strCurrentPassword = password;
    m_strNewPassword = password;
}

int CPasswordModifyDlg::GetNewPassword(CString& out) const {
    out = m_strNewPassword;
    return 1;
}

void CPasswordModifyDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PSW_OLD, m_oldEdit);
    DDX_Control(dx, IDC_PSW_NEW, m_newEdit);
    DDX_Control(dx, IDC_PSW_CONFIRM, m_confirmEdit);
}

BOOL CPasswordModifyDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    CenterWindow();
    for (CSupperEdit* edit : {&m_oldEdit, &m_newEdit, &m_confirmEdit}) {
        edit->PrepareFilter();
        edit->SetAllowedChars(kUserIdChars);
        edit->SetAllowPaste(FALSE);
    }
    return TRUE;
}

void CPasswordModifyDlg::OnOK() { OnBtnOk(); }

void CPasswordModifyDlg::OnBtnCancel() { CDialog::OnCancel(); }

CString CPasswordModifyDlg::FirstFailedCheck(const CString& oldPassword, const CString& newPassword,
                                             const CString& confirmation) const {
    if (newPassword.GetLength() > kMaxPasswordLength) {
        CString text;
        text.Format(L"%s %d !", Translate(L"Password length can not be more than").GetString(), kMaxPasswordLength);
        return text;
    }
    if (oldPassword != m_strCurrentPassword) return Translate(L"Password is wrong!");
    if (newPassword.IsEmpty()) return Translate(L"Password can not be null!");
    if (newPassword != confirmation) return Translate(L"Two password is different!");
    return CString();
}

void CPasswordModifyDlg::OnBtnOk() {
    CString oldPassword, newPassword, confirmation;
    m_oldEdit.GetWindowText(oldPassword);
    m_newEdit.GetWindowText(newPassword);
    m_confirmEdit.GetWindowText(confirmation);
    const CString failure = FirstFailedCheck(oldPassword, newPassword, confirmation);
    if (!failure.IsEmpty()) {
        ShowDodavoziBox(this, failure, MB_ICONWARNING);
        return;
    }
    m_strNewPassword = newPassword;
    EndDialog(IDOK);
}
