// CAboutDlg: the product name and version, opened from the About item of the
// main window's system menu.
#pragma once

#include <afxwin.h>

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()
};
