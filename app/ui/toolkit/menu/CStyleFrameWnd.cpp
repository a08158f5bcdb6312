#include "CStyleFrameWnd.h"

IMPLEMENT_DYNCREATE(CStyleFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CStyleMDIFrameWnd, CMDIFrameWnd)
IMPLEMENT_DYNCREATE(CStyleMDIChildWnd, CMDIChildWnd)
IMPLEMENT_DYNCREATE(CStyleMiniFrameWnd, CMiniFrameWnd)
IMPLEMENT_DYNCREATE(CStyleMiniDockFrameWnd, CMiniDockFrameWnd)

namespace {

// Loads the named menu into the frame's library menu, creates the window
// with it and applies the menu background; FALSE ends the creation.
template <class Frame>
BOOL CreateWithStyleMenu(Frame* frame, CStyleMenu& menu, LPCWSTR className, LPCWSTR windowName, DWORD style,
                         const RECT& rect, CWnd* parent, LPCWSTR menuName, DWORD exStyle, void* context) {
    if (menuName) {
        menu.DestroyMenu();
        if (!menu.LoadMenu(menuName)) return FALSE;
    }
    if (!className)
        className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    BOOL useDefault = rect.left == CW_USEDEFAULT;
    if (!frame->CreateEx(exStyle, className, windowName, style, rect.left, rect.top,
                         useDefault ? CW_USEDEFAULT : rect.right - rect.left,
                         useDefault ? CW_USEDEFAULT : rect.bottom - rect.top, parent->GetSafeHwnd(),
                         menu.GetSafeHmenu(), context))
        return FALSE;
    ApplyMenuBackground(&menu);
    return TRUE;
}

}  // namespace

BOOL CStyleFrameWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                            LPCWSTR menuName, DWORD exStyle, void* context) {
    return CreateWithStyleMenu(this, m_defaultMenu, className, windowName, style, rect, parent, menuName, exStyle,
                               context);
}

BOOL CStyleMDIFrameWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                               LPCWSTR menuName, DWORD exStyle, void* context) {
    return CreateWithStyleMenu(this, m_defaultMenu, className, windowName, style, rect, parent, menuName, exStyle,
                               context);
}
