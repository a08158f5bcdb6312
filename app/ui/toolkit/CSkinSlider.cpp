#include "CSkinSlider.h"

#include <algorithm>

#include "SkinBitmap.h"
#include "WindowUtil.h"

IMPLEMENT_DYNAMIC(CSkinSlider, CWnd)

BEGIN_MESSAGE_MAP(CSkinSlider, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_MOUSELEAVE()
ON_WM_ENABLE()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

namespace {

const COLORREF kThumbOutside = RGB(255, 0, 255);
const COLORREF kProgressColor = RGB(240, 130, 0);
const int kProgressTop = 5;
const int kProgressBottom = 11;

}  // namespace

CSkinSlider::CSkinSlider()
    : m_nProgressWidth(0),
      m_nStyleFlags(kShowThumb | kJumpToClick),
      m_nMin(0),
      m_nMax(100),
      m_nPos(0),
      m_nPageStep(1),
      m_nThumbState(kNormal),
      m_bMouseInside(0),
      m_bButtonDown(0) {}

CSkinSlider::~CSkinSlider() {}

void CSkinSlider::SetBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled,
                             CBitmap* background) {
    const struct {
        CBitmap* from;
        CBitmap* to;
    } pictures[] = {{normal, &m_thumb[kNormal]},
                    {pressed, &m_thumb[kPressed]},
                    {hover, &m_thumb[kHover]},
                    {disabled, &m_thumb[kDisabled]},
                    {background, &m_background}};
    for (const auto& picture : pictures)
        if (picture.from) CopyWholeBitmap(picture.from, picture.to);
}

void CSkinSlider::SetRange(int min, int max, BOOL redraw) {
    m_nMin = min;
    m_nMax = max;
    if (redraw && GetSafeHwnd()) Invalidate(FALSE);
}

void CSkinSlider::GetRange(int* min, int* max) const {
    *min = m_nMin;
    *max = m_nMax;
}

void CSkinSlider::SetPos(int pos) {
    if (pos < m_nMin || pos > m_nMax || pos == m_nPos) return;
    if (GetSafeHwnd() && ::GetCapture() == m_hWnd) return;
    m_nPos = pos;
    if (GetSafeHwnd()) Invalidate(FALSE);
}

BOOL CSkinSlider::SetSliderCursor(UINT cursorId) {
    m_hCursor.Reset();
    if (cursorId == 0) return TRUE;
    m_hCursor.Reset(static_cast<HCURSOR>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(cursorId), IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR)));
    return m_hCursor.IsValid();
}

void CSkinSlider::SetToolTipText(const CString& text) { SetControlToolTip(m_toolTip, this, text); }

void CSkinSlider::SetProgressWidth(int width) {
    m_nProgressWidth = width;
    if (GetSafeHwnd()) Invalidate(FALSE);
}

CSize CSkinSlider::ThumbSize() const {
    const CBitmap& current = m_thumb[m_nThumbState];
    return current.GetSafeHandle() ? current.GetSize() : m_thumb[kNormal].GetSize();
}

CPoint CSkinSlider::GetThumbPosition() const {
    const int range = m_nMax - m_nMin;
    if (range <= 0 || !GetSafeHwnd()) return CPoint(0, 0);
    CRect client;
    GetClientRect(&client);
    const CSize thumb = ThumbSize();
    const int offset = m_nPos - m_nMin;
    if (m_nStyleFlags & kVertical)
        return CPoint((client.Width() - thumb.cx) / 2,
                      client.Height() - offset * (client.Height() - thumb.cy) / range - thumb.cy);
    return CPoint(offset * (client.Width() - thumb.cx) / range, (client.Height() - thumb.cy) / 2);
}

BOOL CSkinSlider::PositionFromThumbPoint(int x, int y, int* pos) const {
    if (!GetSafeHwnd()) return FALSE;
    CRect client;
    GetClientRect(&client);
    const CSize thumb = ThumbSize();
    const int range = m_nMax - m_nMin;
    const bool vertical = (m_nStyleFlags & kVertical) != 0;
    const int free = vertical ? client.Height() - thumb.cy : client.Width() - thumb.cx;
    if (free <= 0 || client.Width() == 0) return FALSE;
    const int value = vertical ? (client.Height() - y - thumb.cy) * range / free + m_nMin : range * x / free + m_nMin;
    *pos = std::max(m_nMin, std::min(m_nMax, value));
    return TRUE;
}

BOOL CSkinSlider::PositionUnderPoint(CPoint point, int* pos) const {
    const CSize thumb = ThumbSize();
    return PositionFromThumbPoint(point.x - thumb.cx / 2, point.y - thumb.cy / 2, pos);
}

BOOL CSkinSlider::CurrentThumbRegion(CRgn* region) const {
    return CopyShapeAt(m_thumbShape, GetThumbPosition(), region);
}

bool CSkinSlider::IsOverThumb(CPoint point) const {
    CRgn region;  // made per test and freed with it
    return CurrentThumbRegion(&region) && region.PtInRegion(point);
}

void CSkinSlider::Notify(LPARAM extra) {
    if (CWnd* parent = GetParent())
        parent->PostMessage(WM_TW_SLIDER_POS, reinterpret_cast<WPARAM>(m_hWnd), (m_nPos & 0xFFFF) | extra);
}

void CSkinSlider::SetThumbState(int state) {
    if (m_nThumbState == state) return;
    m_nThumbState = state;
    Invalidate(FALSE);
}

int CSkinSlider::OnCreate(LPCREATESTRUCT) {
    if (Default() == -1) return -1;
    m_thumbShape.DeleteObject();
    if (m_thumb[kNormal].GetSafeHandle())
        m_thumbShape.Attach(
            CreateColumnRunRegion(static_cast<HBITMAP>(m_thumb[kNormal].GetSafeHandle()), kThumbOutside));
    return 0;
}

void CSkinSlider::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    DrawPictureToFit(&dc, &m_background, client);
    if (m_nProgressWidth > 0)
        dc.FillSolidRect(0, kProgressTop, m_nProgressWidth, kProgressBottom - kProgressTop, kProgressColor);
    if (!(m_nStyleFlags & kShowThumb) || m_nPos < m_nMin || m_nPos > m_nMax) return;
    DrawShapedPicture(&dc, &m_thumb[m_nThumbState], GetThumbPosition(), m_thumbShape);
}

BOOL CSkinSlider::OnEraseBkgnd(CDC*) { return TRUE; }

void CSkinSlider::OnLButtonDown(UINT, CPoint point) {
    RelayToToolTip(m_toolTip, this, point);
    if (!(m_nStyleFlags & kShowThumb) || m_bButtonDown) return;
    if (IsOverThumb(point)) {
        m_bButtonDown = 1;
        SetThumbState(kPressed);
        SetCapture();
        return;
    }
    int clicked = m_nPos;
    if (!PositionUnderPoint(point, &clicked)) return;
    if (m_nStyleFlags & kJumpToClick)
        m_nPos = clicked;
    else if (clicked > m_nPos)
        m_nPos = std::min(m_nPos + m_nPageStep, m_nMax);
    else if (clicked < m_nPos)
        m_nPos = std::max(m_nPos - m_nPageStep, m_nMin);
    Invalidate(FALSE);
}

void CSkinSlider::OnMouseMove(UINT, CPoint point) {
    RelayToToolTip(m_toolTip, this, point);
    CString shown;
    shown.Format(L"%d", m_nPos);
    if (m_toolTip.GetSafeHwnd()) SetToolTipText(shown);
    if (::GetCapture() == m_hWnd) {
        int pos = m_nPos;
        if (PositionUnderPoint(point, &pos) && pos != m_nPos) {
            m_nPos = pos;
            Invalidate(FALSE);
        }
    } else {
        m_bMouseInside = 1;
        SetThumbState(IsOverThumb(point) ? kHover : kNormal);
    }
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, HOVER_DEFAULT};
    ::TrackMouseEvent(&track);
}

void CSkinSlider::OnLButtonUp(UINT, CPoint point) {
    RelayToToolTip(m_toolTip, this, point);
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    m_bButtonDown = 0;
    SetThumbState(IsOverThumb(point) ? kHover : kNormal);
    Notify(0);
}

void CSkinSlider::OnMouseLeave() {
    if (m_bMouseInside) Notify(kLeaveNotice);
    m_bMouseInside = 0;
    m_bButtonDown = 0;
    m_nThumbState = IsWindowEnabled() ? kNormal : kDisabled;
    Invalidate(FALSE);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

void CSkinSlider::OnEnable(BOOL enable) { SetThumbState(enable ? kNormal : kDisabled); }

BOOL CSkinSlider::OnSetCursor(CWnd*, UINT, UINT) {
    if (m_hCursor) {
        ::SetCursor(m_hCursor.Get());
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}
