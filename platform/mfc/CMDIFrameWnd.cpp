#include "CMDIFrameWnd.h"

#include "CMenu.h"

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

int CMDIFrameWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    return CreateClient(nullptr) ? 0 : -1;
}

BOOL CMDIFrameWnd::CreateClient(CMenu* windowMenu) {
    if (m_hWndMDIClient) return TRUE;
    CLIENTCREATESTRUCT client = {windowMenu ? windowMenu->GetSafeHmenu() : nullptr, 0xFF00};
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    m_hWndMDIClient = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL, 0, 0, r.right, r.bottom,
        m_hWnd, reinterpret_cast<HMENU>(0xE900), ::GetModuleHandleW(nullptr), &client);
    return m_hWndMDIClient != nullptr;
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefFrameProcW(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

HWND CMDIFrameWnd::MDIGetActive() const {
    return m_hWndMDIClient ? reinterpret_cast<HWND>(::SendMessageW(m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}
