// A whole framework program: the library's WinMain runs the static
// application object. InitInstance opens a main window that closes itself;
// Run's loop must then end with ExitInstance's code. The exit code says what
// went wrong (0 for nothing).
#include <afxwin.h>

namespace {

const UINT_PTR kCloseTimer = 1;

class CSelfClosingWnd : public CWnd {
protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        SetTimer(kCloseTimer, 10);
        return 0;
    }
    afx_msg void OnTimer(UINT_PTR id) {
        KillTimer(id);
        PostMessage(WM_CLOSE);  // the default handling destroys the window
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfClosingWnd, CWnd)
ON_WM_CREATE()
ON_WM_TIMER()
END_MESSAGE_MAP()

class CEntryApp : public CWinApp {
public:
    CSelfClosingWnd m_window;
    int m_failure = 0;

    BOOL InitInstance() override {
        if (lstrcmpW(m_lpCmdLine, L"first second") != 0) m_failure = 2;
        if (!m_window.CreateEx(0, AfxRegisterWndClass(0), L"entry", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr))
            return FALSE;
        m_pMainWnd = &m_window;
        return TRUE;
    }
    int ExitInstance() override {
        if (m_pMainWnd) m_failure = 3;  // the main window's end clears it
        return m_failure;
    }
};

CEntryApp theApp;

}  // namespace
