#include "CStyleDockBar.h"

#include "CStyleFrame.h"

IMPLEMENT_DYNCREATE(CStyleDockBar, CDockBar)

BEGIN_MESSAGE_MAP(CStyleDockBar, CDockBar)
ON_WM_NCPAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CStyleDockBar::OnNcPaint() {
    CWindowDC dc(this);
    RECT window, client;
    GetWindowRect(&window);
    GetClientRect(&client);
    ClientToScreen(&client);
    ::OffsetRect(&client, -window.left, -window.top);
    ::OffsetRect(&window, -window.left, -window.top);
    dc.ExcludeClipRect(&client);
    dc.IntersectClipRect(&window);
    SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
    CRect borders(window);
    DrawBorders(&dc, borders);
}

BOOL CStyleDockBar::OnEraseBkgnd(CDC* dc) {
    CBrush* brush = GetMenuBarBrush();
    if (!brush) return static_cast<BOOL>(Default());
    RECT clip;
    dc->GetClipBox(&clip);
    RECT mine, parent;
    GetWindowRect(&mine);
    ::GetWindowRect(::GetParent(m_hWnd), &parent);
    POINT old;
    ::SetBrushOrgEx(dc->GetSafeHdc(), parent.left - mine.left, 0, &old);
    dc->FillRect(&clip, brush);
    ::SetBrushOrgEx(dc->GetSafeHdc(), old.x, old.y, nullptr);
    return TRUE;
}
