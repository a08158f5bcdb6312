#include "CAboutDlg.h"

#include "app/ui/dialogs/DialogMessages.h"
#include "app/core/CInitLanguage.h"
#include "app/ui/dialogs/resource.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) { CDialog::DoDataExchange(dx); }

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const CString blank = Translate(L" ");
    SetDlgItemText(IDC_ABOUT_VERSION, Translate(L"Dodavozi") + blank + Translate(L"ver") + L"1.0");
    SetWindowText(Translate(L"About") + blank + Translate(L"Dodavozi"));
    GetInitLanguage()->TranslateDialog(this);
    return TRUE;
}
