#include <afxwin.h>

#include <gtest/gtest.h>

#include "MfcTestResource.h"

namespace {

class CMainDlg : public CDialog {
public:
    CMainDlg() : CDialog(IDD_FORM) {}
    CWnd* mainSeen = nullptr;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        mainSeen = AfxGetMainWnd();
        PostMessage(WM_COMMAND, IDCANCEL);
        return TRUE;
    }
};

// A dialog program: InitInstance runs the main window modally and returns
// FALSE, so the entry point ends with ExitInstance.
class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"MfcTestApp") {}
    INT_PTR modalResult = 0;
    CWnd* mainSeen = nullptr;
    BOOL InitInstance() override {
        CWinApp::InitInstance();
        SetRegistryKey(L"DodavoziFrameworkTest");
        CMainDlg dlg;
        m_pMainWnd = &dlg;
        modalResult = dlg.DoModal();
        mainSeen = dlg.mainSeen;
        return FALSE;
    }
    int ExitInstance() override { return 7; }
};

}  // namespace

TEST(CWinAppTest, EntryPointRunsADialogProgramToItsEnd) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    CTestApp app;
    EXPECT_EQ(&app, AfxGetApp());
    EXPECT_EQ(7, AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW));
    EXPECT_EQ(IDCANCEL, app.modalResult);
    EXPECT_NE(nullptr, app.mainSeen);
    // The main window's end is the thread's end: it is cleared and WM_QUIT posted.
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    // With a registry key the profile lives in the registry.
    EXPECT_STREQ(L"DodavoziFrameworkTest", app.m_pszRegistryKey);
    EXPECT_TRUE(app.WriteProfileInt(L"Section", L"Number", 42));
    EXPECT_EQ(42u, app.GetProfileInt(L"Section", L"Number", 0));
    EXPECT_EQ(9u, app.GetProfileInt(L"Section", L"Missing", 9));
    EXPECT_TRUE(app.WriteProfileString(L"Section", L"Text", L"value"));
    EXPECT_STREQ(L"value", app.GetProfileString(L"Section", L"Text"));
    EXPECT_STREQ(L"fallback", app.GetProfileString(L"Section", L"Nothing", L"fallback"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\DodavoziFrameworkTest");
}
