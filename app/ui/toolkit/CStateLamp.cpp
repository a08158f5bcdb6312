#include "CStateLamp.h"

#include "SkinBitmap.h"

BEGIN_MESSAGE_MAP(CStateLamp, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CStateLamp::CStateLamp() : m_bState(FALSE) {}

BOOL CStateLamp::Create(CBitmap* on, CBitmap* off, CRect rect, CWnd* parent) {
    const CRect picture(0, 0, rect.Width(), rect.Height());
    CopyBitmapRect(on, &m_on, picture);
    CopyBitmapRect(off, &m_off, picture);
    // The framework's plain window class stands for "no class of its own".
    return CWnd::Create(AfxRegisterWndClass(0), nullptr, WS_CHILD | WS_VISIBLE, rect, parent, 0);
}

void CStateLamp::SetState(BOOL on) {
    m_bState = on;
    if (GetSafeHwnd()) Invalidate(FALSE);
}

void CStateLamp::OnPaint() {
    CPaintDC dc(this);
    CBitmap& picture = m_bState ? m_on : m_off;
    if (!picture.GetSafeHandle()) return;
    CDC from;
    if (!from.CreateCompatibleDC(&dc)) return;
    const CSize size = picture.GetSize();
    from.SelectObject(&picture);
    dc.BitBlt(0, 0, size.cx, size.cy, &from, 0, 0, SRCCOPY);
}

BOOL CStateLamp::OnEraseBkgnd(CDC*) { return TRUE; }
