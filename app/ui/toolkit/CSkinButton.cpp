#include "CSkinButton.h"

#include <algorithm>

#include "SkinBitmap.h"
#include "WindowUtil.h"

BEGIN_MESSAGE_MAP(CSkinButton, CButton)
ON_WM_ERASEBKGND()
ON_WM_SETCURSOR()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

namespace {

bool HasPicture(CBitmap* picture) { return picture && picture->GetSafeHandle(); }

CSize BitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || !::GetObjectW(bitmap, sizeof info, &info)) return CSize();
    return CSize(info.bmWidth, info.bmHeight);
}

}  // namespace

CSkinButton::CSkinButton()
    : m_nTextAlign(TA_CENTER),
      m_bPressedLook(FALSE),
      m_bHover(false),
      m_bPressed(false),
      m_nFocusMargin(0),
      m_textColor(::GetSysColor(COLOR_BTNTEXT)),
      m_nBorder(0),
      m_nDrawMode(1) {}

CSkinButton::~CSkinButton() {}

void CSkinButton::StoreModes(int drawMode, int border, int focusMargin) {
    m_nDrawMode = static_cast<short>(drawMode > 1 ? 2 : (drawMode < 0 ? 0 : drawMode));
    m_nBorder = static_cast<short>(border);
    m_nFocusMargin = static_cast<short>(focusMargin < 0 ? 0 : focusMargin);
}

void CSkinButton::SetSkin(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled, UINT maskId,
                          int drawMode, int border, UINT cursorId, int focusMargin) {
    const struct {
        CBitmap* from;
        CBitmap* to;
    } pictures[] = {{normal, &m_normal}, {pressed, &m_pressed}, {hover, &m_hover}, {disabled, &m_disabled}};
    for (const auto& p : pictures) {
        p.to->DeleteObject();
        if (HasPicture(p.from)) CopyWholeBitmap(p.from, p.to);
    }
    if (!HasPicture(disabled) && HasPicture(normal)) CopyWholeBitmap(normal, &m_disabled);
    m_mask.DeleteObject();
    StoreModes(drawMode, border, focusMargin);
    if (maskId) ApplyMask(maskId, m_nDrawMode);
    if (cursorId) SetButtonCursor(cursorId);
}

void CSkinButton::SetSkinFromResources(UINT normalId, UINT pressedId, UINT hoverId, UINT disabledId, UINT maskId,
                                       int drawMode, int border, UINT cursorId, int focusMargin) {
    const struct {
        UINT id;
        CBitmap* to;
    } pictures[] = {{normalId, &m_normal},
                    {pressedId, &m_pressed},
                    {hoverId, &m_hover},
                    {disabledId ? disabledId : normalId, &m_disabled}};
    for (const auto& p : pictures) {
        p.to->DeleteObject();
        if (p.id) p.to->LoadBitmap(p.id);
    }
    m_mask.DeleteObject();
    StoreModes(drawMode, border, focusMargin);
    if (maskId) ApplyMask(maskId, m_nDrawMode);
    if (cursorId) SetButtonCursor(cursorId);
}

void CSkinButton::ApplyMask(UINT maskId, int drawMode) {
    if (!m_mask.LoadBitmap(maskId)) return;
    CRgn region;
    region.Attach(CreateRegionFromBitmap(static_cast<HBITMAP>(m_mask.GetSafeHandle()), RGB(255, 255, 255)));
    if (!region.GetSafeHandle() || !GetSafeHwnd()) return;
    ApplyWindowRegion(m_hWnd, &region, TRUE);
    if (drawMode == 0) {
        CSize size = m_mask.GetSize();
        SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    }
}

COLORREF CSkinButton::SetTextColor(COLORREF color) {
    COLORREF previous = m_textColor;
    m_textColor = color;
    return previous;
}

void CSkinButton::SetCaption(const CString& text) {
    if (text.IsEmpty()) return;
    m_strCaption = text;
    if (GetSafeHwnd()) SetWindowText(text);
}

void CSkinButton::SetToolTipText(const CString& text) { SetControlToolTip(m_toolTip, this, text); }

BOOL CSkinButton::SetButtonCursor(UINT cursorId) {
    m_hCursor.Reset();
    if (cursorId == 0) return TRUE;
    m_hCursor.Reset(static_cast<HCURSOR>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(cursorId), IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR)));
    return m_hCursor.IsValid();
}

int CSkinButton::ReleasePress() {
    if (GetSafeHwnd() && ::GetCapture() == m_hWnd) ::ReleaseCapture();
    m_bPressed = false;
    return 0;
}

HRGN CSkinButton::CreateRegionFromBitmap(HBITMAP mask, COLORREF outside) {
    // The union of the non-outside pixels is the same set whether the runs
    // are taken by rows or by columns.
    return mask ? CreateColumnRunRegion(mask, outside) : nullptr;
}

void CSkinButton::TileBitmap(CDC* dc, HBITMAP picture, CRect rect) {
    CSize size = BitmapSize(picture);
    if (size.cx <= 0 || size.cy <= 0) return;
    CDC from;
    if (!from.CreateCompatibleDC(dc)) return;
    from.SelectObject(CBitmap::FromHandle(picture));
    for (int y = rect.top; y < rect.bottom; y += size.cy)
        for (int x = rect.left; x < rect.right; x += size.cx)
            dc->BitBlt(x, y, std::min<int>(size.cx, rect.right - x), std::min<int>(size.cy, rect.bottom - y), &from, 0,
                       0, SRCCOPY);
}

void CSkinButton::DrawBitmap(CDC* dc, HBITMAP picture, CRect rect, int drawMode) {
    if (drawMode == 2) {
        TileBitmap(dc, picture, rect);
        return;
    }
    if (!picture || !dc) return;
    const CSize size = BitmapSize(picture);
    const int w = rect.Width(), h = rect.Height();
    CDC from;
    if (!from.CreateCompatibleDC(dc)) return;
    from.SelectObject(CBitmap::FromHandle(picture));
    auto put = [&](CDC* to, int x, int y, CDC* src, DWORD rop) {
        if (drawMode == 1)
            to->StretchBlt(x, y, w, h, src, 0, 0, size.cx, size.cy, rop);
        else
            to->BitBlt(x, y, w, h, src, 0, 0, rop);
    };
    if (!m_mask.GetSafeHandle()) {
        put(dc, rect.left, rect.top, &from, SRCCOPY);
        return;
    }
    // Off screen: background, then picture XOR, mask AND, picture XOR, so
    // that white mask pixels keep the background and black ones the picture.
    CClientDC screen(nullptr);
    CBitmap result;
    CDC work, maskDC;
    if (!result.CreateCompatibleBitmap(&screen, w, h) || !work.CreateCompatibleDC(dc) || !maskDC.CreateCompatibleDC(dc))
        return;
    work.SelectObject(&result);
    maskDC.SelectObject(&m_mask);
    // A monochrome mask expands through these colours: 1 -> white, 0 -> black.
    work.SetBkColor(RGB(255, 255, 255));
    work.SetTextColor(RGB(0, 0, 0));
    work.BitBlt(0, 0, w, h, dc, rect.left, rect.top, SRCCOPY);
    put(&work, 0, 0, &from, SRCINVERT);
    const CSize maskSize = m_mask.GetSize();
    if (drawMode == 1)
        work.StretchBlt(0, 0, w, h, &maskDC, 0, 0, maskSize.cx, maskSize.cy, SRCAND);
    else
        work.BitBlt(0, 0, w, h, &maskDC, 0, 0, SRCAND);
    put(&work, 0, 0, &from, SRCINVERT);
    dc->BitBlt(rect.left, rect.top, w, h, &work, 0, 0, SRCCOPY);
}

BOOL CSkinButton::FollowHeldPress() {
    POINT cursor;
    if (!m_bPressed || ::GetCapture() != m_hWnd || !::GetCursorPos(&cursor)) return FALSE;
    const bool over = ::WindowFromPoint(cursor) == m_hWnd;
    const bool pushed = (GetState() & BST_PUSHED) != 0;
    if (over == pushed) return FALSE;
    SetState(over);
    return TRUE;
}

void CSkinButton::DrawFace(CDC* dc, UINT itemState, CRect& rect) {
    auto drawOrFill = [&](CBitmap& picture) {
        if (picture.GetSafeHandle())
            DrawBitmap(dc, static_cast<HBITMAP>(picture.GetSafeHandle()), rect, m_nDrawMode);
        else
            dc->FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
    };
    if (itemState & ODS_SELECTED) {
        drawOrFill(m_pressed);
        if (m_nBorder) dc->DrawEdge(&rect, EDGE_SUNKEN, BF_RECT);
    } else {
        CBitmap& face = (m_bHover && m_hover.GetSafeHandle() && m_normal.GetSafeHandle()) ? m_hover : m_normal;
        drawOrFill(face);
        if (m_nBorder) dc->DrawEdge(&rect, EDGE_RAISED, BF_RECT);
    }
    if ((itemState & ODS_FOCUS) && m_nFocusMargin > 0) {
        rect.DeflateRect(m_nFocusMargin, m_nFocusMargin);
        dc->DrawFocusRect(&rect);
    }
}

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (FollowHeldPress()) return;
    CDC* dc = CDC::FromHandle(dis->hDC);
    CRect rect = dis->rcItem;
    // The item DC is the button's own: leave font, mode, colours and
    // alignment as they came.
    const int saved = dc->SaveDC();
    dc->SetBkMode(TRANSPARENT);
    dc->SelectStockObject(DEFAULT_GUI_FONT);
    TEXTMETRICW metrics = {};
    dc->GetTextMetrics(&metrics);
    const int x = rect.Width() / 2;
    const int y = (rect.Height() - metrics.tmHeight) / 2;
    if (m_bPressedLook) {
        DrawBitmap(dc, static_cast<HBITMAP>(m_pressed.GetSafeHandle()), rect, m_nDrawMode);
        dc->SetTextColor(m_textColor);
        dc->SetTextAlign(TA_CENTER);
    } else if (dis->itemState & ODS_DISABLED) {
        if (m_disabled.GetSafeHandle())
            DrawBitmap(dc, static_cast<HBITMAP>(m_disabled.GetSafeHandle()), rect, m_nDrawMode);
        else
            dc->FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
        if (m_nBorder) dc->DrawEdge(&rect, EDGE_RAISED, BF_RECT);
        dc->SetTextAlign(m_nTextAlign);
        // Embossed: a light copy one pixel down and right, then grey.
        dc->SetTextColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::ExtTextOutW(*dc, x + 1, y + 1, ETO_CLIPPED, &rect, m_strCaption, m_strCaption.GetLength(), nullptr);
        dc->SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    } else {
        DrawFace(dc, dis->itemState, rect);
        dc->SetTextColor(m_textColor);
        dc->SetTextAlign(m_nTextAlign);
    }
    ::ExtTextOutW(*dc, x, y, ETO_CLIPPED, &rect, m_strCaption, m_strCaption.GetLength(), nullptr);
    dc->RestoreDC(saved);
}

BOOL CSkinButton::OnEraseBkgnd(CDC*) { return TRUE; }

BOOL CSkinButton::OnSetCursor(CWnd*, UINT, UINT) {
    if (!m_hCursor) return static_cast<BOOL>(Default());
    ::SetCursor(m_hCursor.Get());
    return TRUE;
}

void CSkinButton::OnMouseMove(UINT flags, CPoint point) {
    if (m_toolTip.GetSafeHwnd()) {
        MSG msg = *AfxGetCurrentMessage();
        m_toolTip.RelayEvent(&msg);
    }
    if (m_bPressed && ::GetCapture() == m_hWnd) {
        POINT screen = point;
        ClientToScreen(&screen);
        const bool over = ::WindowFromPoint(screen) == m_hWnd;
        const bool pushed = (GetState() & BST_PUSHED) != 0;
        if (over != pushed) {
            SetState(over);
            Invalidate();
        }
    } else if (!m_bHover) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, 0};
        if (::TrackMouseEvent(&track)) {
            m_bHover = true;
            Invalidate();
        }
    }
    Default();
}

void CSkinButton::OnMouseLeave() {
    m_bHover = false;
    Invalidate(TRUE);
}

void CSkinButton::OnLButtonDown(UINT flags, CPoint point) {
    if (m_bHover) {
        TRACKMOUSEEVENT cancel = {sizeof cancel, TME_CANCEL | TME_LEAVE, m_hWnd, 0};
        if (::TrackMouseEvent(&cancel)) m_bHover = false;
    }
    m_bPressed = true;
    Default();
}

void CSkinButton::OnLButtonUp(UINT flags, CPoint point) {
    m_bPressed = false;
    Default();
}

void CSkinButton::OnLButtonDblClk(UINT flags, CPoint point) {
    // A double click is a second press, so that it clicks twice.
    SendMessage(WM_LBUTTONDOWN, flags, MAKELPARAM(point.x, point.y));
}

void CSkinButton::OnKillFocus(CWnd* newFocus) {
    if (::GetCapture() == m_hWnd) {
        ::ReleaseCapture();
        m_bPressed = false;
    }
    Default();
}
