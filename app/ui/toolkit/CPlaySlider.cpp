#include "CPlaySlider.h"

#include <algorithm>

#include "SkinBitmap.h"
#include "WindowUtil.h"

IMPLEMENT_DYNAMIC(CPlaySlider, CWnd)

BEGIN_MESSAGE_MAP(CPlaySlider, CWnd)
ON_WM_CREATE()
ON_WM_PAINT()
ON_WM_ENABLE()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_LBUTTONDOWN()
ON_WM_TIMER()
ON_WM_LBUTTONUP()
ON_WM_MOUSEACTIVATE()
ON_WM_NCLBUTTONUP()
END_MESSAGE_MAP()

namespace {

const COLORREF kThumbTransparent = RGB(255, 0, 255);

}  // namespace

CPlaySlider::CPlaySlider()
    : m_nBandStart(0),
      m_nBandWidth(0),
      m_bDragging(0),
      m_nFlags(kShowThumb | kJumpToPress),
      m_nMin(0),
      m_nMax(1024),
      m_nPos(0),
      m_nStep(1),
      m_nThumbState(kNormal),
      m_bPointerInside(0),
      m_bReported(0) {}

CPlaySlider::~CPlaySlider() = default;

void CPlaySlider::SetBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled, CBitmap* background,
                             CBitmap* band, int) {
    const struct {
        CBitmap* from;
        CBitmap* to;
    } images[] = {{normal, &m_thumb[kNormal]},     {pressed, &m_thumb[kPressed]}, {hover, &m_thumb[kHover]},
                  {disabled, &m_thumb[kDisabled]}, {background, &m_background},   {band, &m_band}};
    for (const auto& image : images)
        if (image.from) CopyWholeBitmap(image.from, image.to);
}

void CPlaySlider::SetRange(int min, int max, BOOL redraw) {
    m_nMin = min;
    m_nMax = max;
    if (redraw && GetSafeHwnd()) Invalidate(FALSE);
}

void CPlaySlider::SetPos(int pos) {
    if (m_bDragging || pos < m_nMin || pos > m_nMax || pos == m_nPos) return;
    if (GetSafeHwnd() && ::GetCapture() == m_hWnd) return;
    m_nPos = pos;
}

void CPlaySlider::GetRange(int* min, int* max) const {
    *min = m_nMin;
    *max = m_nMax;
}

BOOL CPlaySlider::StartRefreshTimer() {
    if (!GetSafeHwnd()) return FALSE;
    return SetTimer(kRefreshTimer, kRefreshMs) != 0;
}

void CPlaySlider::StopRefreshTimer() {
    if (GetSafeHwnd()) KillTimer(kRefreshTimer);
}

void CPlaySlider::SetTooltip(const CString& text) { SetControlToolTip(m_toolTip, this, text); }

CSize CPlaySlider::ThumbSize() const { return m_thumb[kNormal].GetSize(); }

CPoint CPlaySlider::GetThumbPosition() const {
    const int range = m_nMax - m_nMin;
    const CSize thumb = ThumbSize();
    if (range <= 0 || !m_thumb[kNormal].GetSafeHandle() || !GetSafeHwnd()) return CPoint(0, 0);
    CRect client;
    GetClientRect(&client);
    const int W = client.Width(), H = client.Height();
    CPoint at;
    if (m_nFlags & kVertical) {
        at.x = (W - thumb.cx) / 2;
        at.y = H - (m_nPos - m_nMin) * (H - thumb.cy) / range - thumb.cy;
    } else {
        at.x = (m_nPos - m_nMin) * (W - thumb.cx) / range;
        at.y = (H - thumb.cy) / 2;
    }
    if (at.x < 0) at.x = 0;
    return at;
}

int CPlaySlider::PositionFromPoint(int x, int y) const {
    const int range = m_nMax - m_nMin;
    if (range <= 0 || !GetSafeHwnd()) return 0;
    CRect client;
    GetClientRect(&client);
    const int W = client.Width(), H = client.Height();
    const CSize thumb = ThumbSize();
    int pos;
    if (m_nFlags & kVertical) {
        if (W == 0 || H - thumb.cy <= 0) return 0;
        pos = (H - y - thumb.cy) * range / (H - thumb.cy) + m_nMin;
    } else {
        if (W == 0 || W - thumb.cx <= 0) return 0;
        pos = range * x / (W - thumb.cx) + m_nMin;
    }
    return std::max(m_nMin, std::min(m_nMax, pos));
}

BOOL CPlaySlider::CurrentThumbRegion(CRgn* region) const {
    return CopyShapeAt(m_thumbRegion, GetThumbPosition(), region);
}

bool CPlaySlider::IsOverThumb(CPoint point) const {
    CRgn region;
    return CurrentThumbRegion(&region) && region.PtInRegion(point);
}

int CPlaySlider::OnCreate(LPCREATESTRUCT cs) {
    if (Default() == -1) return -1;
    if (m_thumb[kNormal].GetSafeHandle()) {
        m_thumbRegion.DeleteObject();
        m_thumbRegion.Attach(
            CreateColumnRunRegion(static_cast<HBITMAP>(m_thumb[kNormal].GetSafeHandle()), kThumbTransparent));
    }
    m_nThumbState = kNormal;
    m_bPointerInside = 0;
    return 0;
}

void CPlaySlider::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    DrawPictureToFit(&dc, &m_background, client);
    if (m_band.GetSafeHandle() && m_nBandWidth > 0) {
        const CSize size = m_band.GetSize();
        DrawPictureToFit(&dc, &m_band,
                         CRect(CPoint(m_nBandStart, (client.Height() - size.cy) / 2), CSize(m_nBandWidth, 4)));
    }
    if (m_nFlags & kShowThumb) DrawShapedPicture(&dc, &m_thumb[m_nThumbState], GetThumbPosition(), m_thumbRegion);
}

void CPlaySlider::OnEnable(BOOL enable) {
    m_nThumbState = enable ? kNormal : kDisabled;
    Invalidate(FALSE);
}

void CPlaySlider::OnMouseMove(UINT flags, CPoint point) {
    if (::GetCapture() == m_hWnd) {
        RelayToToolTip(m_toolTip, this, point);
    } else {
        m_bPointerInside = 1;
        if (IsOverThumb(point)) {
            m_nThumbState = kHover;
            RelayToToolTip(m_toolTip, this, point);
        } else {
            m_nThumbState = kNormal;
        }
    }
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, HOVER_DEFAULT};
    ::TrackMouseEvent(&track);
    if (!m_bDragging) {
        Default();
        return;
    }
    CRect client;
    GetClientRect(&client);
    // A slider squeezed to no width has no percentage to give.
    if (client.Width() > 0) m_nPos = (point.x - client.left) * 100 / client.Width();
}

void CPlaySlider::OnMouseLeave() {
    m_bDragging = 0;
    if (m_bPointerInside) {
        if (CWnd* parent = GetParent())
            parent->PostMessage(WM_TW_SLIDER_POS, reinterpret_cast<WPARAM>(m_hWnd), (m_nPos & 0xFFFF) | 0x10000);
    }
    m_nThumbState = kNormal;
    m_bPointerInside = 0;
    m_bReported = 0;
    Invalidate(FALSE);
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

void CPlaySlider::OnLButtonDown(UINT flags, CPoint point) {
    RelayToToolTip(m_toolTip, this, point);
    if (m_bDragging || !(m_nFlags & kShowThumb)) {
        Default();
        return;
    }
    m_bDragging = 1;
    m_bReported = 0;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    if (IsOverThumb(point)) {
        m_nThumbState = kPressed;
        SetCapture();
    } else if (m_nFlags & kJumpToPress) {
        const CPoint thumb = GetThumbPosition();
        m_nPos = (m_nFlags & kVertical) ? PositionFromPoint(thumb.x, point.y) : PositionFromPoint(point.x, thumb.y);
    } else {
        const int pressed = PositionFromPoint(point.x, point.y);
        if (m_nPos < pressed)
            m_nPos = std::min(m_nPos + m_nStep, m_nMax);
        else if (pressed < m_nPos)
            m_nPos = std::max(m_nPos - m_nStep, m_nMin);
    }
    Default();
}

void CPlaySlider::OnTimer(UINT_PTR id) {
    if (id == kRefreshTimer)
        Invalidate(FALSE);
    else
        Default();
}

void CPlaySlider::OnLButtonUp(UINT flags, CPoint point) {
    RelayToToolTip(m_toolTip, this, point);
    m_bDragging = 0;
    if (!m_bReported) {
        if (::GetCapture() == m_hWnd) ::ReleaseCapture();
        CRect client;
        GetClientRect(&client);
        // No width, no percentage: nothing is reported and nothing changes.
        if (client.Width() > 0) {
            m_bReported = 1;
            m_nPos = std::max(0L, point.x) * 100 / client.Width();
            if (CWnd* parent = GetParent())
                parent->SendMessage(WM_TW_SLIDER_POS, reinterpret_cast<WPARAM>(m_hWnd), m_nPos & 0xFFFF);
            Invalidate(TRUE);
        }
    }
    Default();
}

int CPlaySlider::OnMouseActivate(CWnd*, UINT, UINT) {
    m_bReported = 1;
    m_bDragging = 0;
    return MA_ACTIVATE;
}

void CPlaySlider::OnNcLButtonUp(UINT, CPoint) {
    m_bReported = 1;
    m_bDragging = 0;
    Default();
}
