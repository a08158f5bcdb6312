#include "CMDIChildWnd.h"

#include "CMDIFrameWnd.h"
#include "CWinApp.h"

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BOOL CMDIChildWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CMDIFrameWnd* parent) {
    if (!parent || !parent->m_hWndMDIClient) return FALSE;
    if (!className)
        className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    BOOL useDefault = rect.left == CW_USEDEFAULT;
    return CreateEx(WS_EX_MDICHILD, className, windowName, style | WS_CHILD, rect.left, rect.top,
                    useDefault ? CW_USEDEFAULT : rect.right - rect.left,
                    useDefault ? CW_USEDEFAULT : rect.bottom - rect.top, parent->m_hWndMDIClient, nullptr);
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefMDIChildProcW(m_hWnd, message, wParam, lParam);
}
