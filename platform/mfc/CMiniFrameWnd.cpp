#include "CMiniFrameWnd.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMiniDockFrameWnd, CMiniFrameWnd)

BOOL CMiniFrameWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT) {
    return CFrameWnd::Create(className, windowName, style, rect, parent, nullptr, WS_EX_TOOLWINDOW);
}
