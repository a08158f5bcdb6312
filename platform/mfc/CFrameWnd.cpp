#include "CFrameWnd.h"

#include "AfxGlobals.h"
#include "CWinApp.h"
#include "common/UniqueGdi.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const RECT CFrameWnd::rectDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

BOOL CFrameWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                       LPCWSTR menuName, DWORD exStyle, void* context) {
    CUniqueMenu menu(menuName ? ::LoadMenuW(AfxGetResourceHandle(), menuName) : nullptr);
    if (menuName && !menu) return FALSE;
    if (!className)
        className = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    int width = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
    int height = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
    if (!CreateEx(exStyle, className, windowName, style, rect.left, rect.top, width, height, parent->GetSafeHwnd(),
                  menu.Get(), context))
        return FALSE;
    menu.Release();  // the window destroys the menu it shows
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(LPCWSTR name) {
    if (m_hAccelTable) return FALSE;
    m_hAccelTable = ::LoadAcceleratorsW(AfxGetResourceHandle(), name);
    return m_hAccelTable != nullptr;
}
