// CPasswordModifyDlg: takes the current password, a new one and its
// confirmation, and hands the new password back to its caller (the main
// window changes it in the user manager). Built once with the main window
// and run modally for every change.
#pragma once

#include <afxwin.h>

#include "app/ui/toolkit/CSupperEdit.h"

class CPasswordModifyDlg : public CDialog {
public:
    static const int kMaxPasswordLength = 32;

    explicit CPasswordModifyDlg(CWnd* parent = nullptr);
    ~CPasswordModifyDlg() override;

    // The password the old one must match; also the result until a new one
    // is accepted. Call before DoModal.
    void SetCurrentPassword(const CString& password);
    // Copies the accepted new password (the current one after Cancel). 1.
    int GetNewPassword(CString& out) const;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Enter checks as the Ok button does.
    void OnOK() override;
    afx_msg void OnBtnOk();
    afx_msg void OnBtnCancel();
    DECLARE_MESSAGE_MAP()

private:
    // The message of the first failing check, empty when all pass.
    CString FirstFailedCheck(const CString& oldPassword, const CString& newPassword, const CString& confirmation) const;

    CString m_strCurrentPassword;
    CString m_strNewPassword;
    CSupperEdit m_oldEdit;
    CSupperEdit m_newEdit;
    CSupperEdit m_confirmEdit;
};
