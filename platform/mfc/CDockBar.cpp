#include "CDockBar.h"

#include "CDC.h"
#include "CWinApp.h"

IMPLEMENT_DYNAMIC(CDockBar, CWnd)

BOOL CDockBar::Create(CWnd* parent, DWORD style, UINT id) {
    LPCWSTR className =
        AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT r = {0, 0, 0, 0};
    if (parent) {
        ::GetClientRect(parent->GetSafeHwnd(), &r);
        r.bottom = r.top + 28;
    }
    return CreateEx(0, className, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (style & 0xFFFF), r.left, r.top,
                    r.right - r.left, r.bottom - r.top, parent->GetSafeHwnd(),
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void CDockBar::DrawBorders(CDC* dc, CRect& rect) {
    dc->Draw3dRect(&rect, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    rect.DeflateRect(1, 1);
}
