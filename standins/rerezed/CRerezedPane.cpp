#include "CRerezedPane.h"

#include <windowsx.h>

#include "RerezedGuids.h"

namespace {
const wchar_t kPaneClass[] = L"RerezedPane";
const wchar_t kVideoClass[] = L"RerezedVideo";
const int kStripHeight = 20;
const int kBorder = 2;
const int kButtonSize = 16;
// Buttons from the right edge of the strip leftwards: close, zoom, snapshot, sound.
const int kButtons[] = {RZ_ButtonClose, RZ_ButtonZoom, RZ_ButtonSnapshot, RZ_ButtonSound};
const wchar_t* const kButtonGlyphs[] = {L"x", L"Z", L"P", L"S"};
const COLORREF kStripColour = RGB(48, 48, 56);
const COLORREF kSelectedBorder = RGB(255, 196, 0);
const COLORREF kBorderColour = RGB(80, 80, 88);
const COLORREF kTextColour = RGB(230, 230, 230);
const COLORREF kPressedColour = RGB(0, 120, 215);

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

VARIANT LongArg(long v) {
    VARIANT a;
    ::VariantInit(&a);
    a.vt = VT_I4;
    a.lVal = v;
    return a;
}
VARIANT ShortArg(short v) {
    VARIANT a;
    ::VariantInit(&a);
    a.vt = VT_I2;
    a.iVal = v;
    return a;
}
}  // namespace

CRerezedPane::CRerezedPane(CRerezedEventSink& sink, int index) : m_sink(sink), m_index(index) {}

CRerezedPane::~CRerezedPane() { Destroy(); }

bool CRerezedPane::RegisterClasses(HINSTANCE module) {
    WNDCLASSEXW wc = {sizeof wc};
    wc.style = CS_DBLCLKS;
    wc.hInstance = module;
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.cbWndExtra = sizeof(void*);
    wc.lpfnWndProc = PaneProc;
    wc.lpszClassName = kPaneClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    wc.lpfnWndProc = VideoProc;
    wc.lpszClassName = kVideoClass;
    return ::RegisterClassExW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void CRerezedPane::UnregisterClasses(HINSTANCE module) {
    ::UnregisterClassW(kPaneClass, module);
    ::UnregisterClassW(kVideoClass, module);
}

bool CRerezedPane::Create(HWND parent) {
    HINSTANCE module = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    m_pane = ::CreateWindowExW(0, kPaneClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + m_index)), module, this);
    if (!m_pane) return false;
    m_video = ::CreateWindowExW(0, kVideoClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, m_pane,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(200 + m_index)), module, this);
    return m_video != nullptr;
}

void CRerezedPane::Destroy() {
    if (m_pane && ::IsWindow(m_pane)) ::DestroyWindow(m_pane);
    m_pane = m_video = nullptr;
}

void CRerezedPane::MoveTo(const RECT& r, bool visible) {
    ::SetWindowPos(m_pane, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    Layout();
}

void CRerezedPane::Layout() {
    RECT c;
    ::GetClientRect(m_pane, &c);
    int width = c.right - 2 * kBorder, height = c.bottom - kStripHeight - 2 * kBorder;
    ::MoveWindow(m_video, kBorder, kStripHeight + kBorder, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
}

void CRerezedPane::SetTitle(const std::wstring& text) {
    m_title = text;
    if (!text.empty()) m_blank = false;
    ::InvalidateRect(m_pane, nullptr, FALSE);
}

void CRerezedPane::SetInfoText(const std::wstring& text) {
    m_info = text;
    if (!text.empty()) m_blank = false;
    ::InvalidateRect(m_pane, nullptr, FALSE);
}

bool CRerezedPane::SetState(int state, bool on) {
    switch (state) {
        case RZ_StateSound: m_sound = on; break;
        case RZ_StateThree: m_stateThree = on; break;
        case RZ_StateZoom: m_zoomState = on; break;
        default: return false;
    }
    ::InvalidateRect(m_pane, nullptr, FALSE);
    return true;
}

int CRerezedPane::GetState(int state) const {
    switch (state) {
        case RZ_StateSound: return m_sound ? 1 : 0;
        case RZ_StateThree: return m_stateThree ? 1 : 0;
        case RZ_StateZoom: return m_zoomState ? 1 : 0;
        default: return -1;
    }
}

void CRerezedPane::SetSelected(bool selected) {
    if (m_selected == selected) return;
    m_selected = selected;
    ::InvalidateRect(m_pane, nullptr, FALSE);
}

void CRerezedPane::EnableZoomRect(bool on) {
    m_zoomEnabled = on;
    if (!on && m_dragging) {
        DrawRubberBand();
        m_dragging = false;
        ::ReleaseCapture();
    }
}

void CRerezedPane::Clear() {
    m_blank = true;
    HDC dc = ::GetDC(m_video);
    if (dc) {
        PaintBlank(dc);
        ::ReleaseDC(m_video, dc);
    }
    ::ValidateRect(m_video, nullptr);
}

void CRerezedPane::SetBackImage(HBITMAP image, int width, int height) {
    m_backImage = image;
    m_backSize = {width, height};
    if (m_blank) ::InvalidateRect(m_video, nullptr, FALSE);
}

RECT CRerezedPane::ButtonRect(int slot) const {
    RECT c;
    ::GetClientRect(m_pane, &c);
    int right = c.right - kBorder - 2 - slot * (kButtonSize + 2);
    int top = (kStripHeight + kBorder - kButtonSize) / 2;
    return {right - kButtonSize, top, right, top + kButtonSize};
}

POINT CRerezedPane::ButtonCentre(int button) const {
    for (int slot = 0; slot < 4; ++slot) {
        if (kButtons[slot] != button) continue;
        RECT r = ButtonRect(slot);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    return {-1, -1};
}

int CRerezedPane::ButtonAt(POINT p) const {
    for (int slot = 0; slot < 4; ++slot) {
        RECT r = ButtonRect(slot);
        if (::PtInRect(&r, p)) return kButtons[slot];
    }
    return 0;
}

void CRerezedPane::PressButton(int button) {
    // The request, not the look: the look follows SetWindowState only, since
    // the container may refuse (sound without an open slot).
    short requested = 1;
    if (button == RZ_ButtonSound) requested = m_sound ? 0 : 1;
    if (button == RZ_ButtonZoom) requested = m_zoomState ? 0 : 1;
    VARIANT args[] = {LongArg(m_index), LongArg(button), ShortArg(requested)};
    m_sink.FireEvent(RZ_EventPaneButton, args, 3);
}

void CRerezedPane::PaintStrip(HDC dc) {
    RECT c;
    ::GetClientRect(m_pane, &c);
    FillSolid(dc, c, m_selected ? kSelectedBorder : kBorderColour);
    RECT strip = {kBorder, kBorder, c.right - kBorder, kStripHeight + kBorder};
    FillSolid(dc, strip, kStripColour);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kTextColour);
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    RECT firstButton = ButtonRect(3);
    RECT text = {strip.left + 4, strip.top, firstButton.left - 4, strip.bottom};
    ::DrawTextW(dc, m_title.c_str(), static_cast<int>(m_title.size()), &text,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    ::DrawTextW(dc, m_info.c_str(), static_cast<int>(m_info.size()), &text,
                DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    for (int slot = 0; slot < 4; ++slot) {
        RECT r = ButtonRect(slot);
        bool pressed =
            (kButtons[slot] == RZ_ButtonSound && m_sound) || (kButtons[slot] == RZ_ButtonZoom && m_zoomState);
        if (pressed) FillSolid(dc, r, kPressedColour);
        ::DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        ::DrawTextW(dc, kButtonGlyphs[slot], 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    ::SelectObject(dc, oldFont);
}

void CRerezedPane::PaintBlank(HDC dc) {
    RECT c;
    ::GetClientRect(m_video, &c);
    FillSolid(dc, c, RGB(0, 0, 0));
    if (!m_backImage) return;
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(memory, m_backImage);
    BITMAP info = {};
    ::GetObjectW(m_backImage, sizeof info, &info);
    int w = m_backSize.cx > 0 ? m_backSize.cx : info.bmWidth, h = m_backSize.cy > 0 ? m_backSize.cy : info.bmHeight;
    ::StretchBlt(dc, (c.right - w) / 2, (c.bottom - h) / 2, w, h, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

void CRerezedPane::DrawRubberBand() {
    RECT r = {m_dragStart.x < m_dragNow.x ? m_dragStart.x : m_dragNow.x,
              m_dragStart.y < m_dragNow.y ? m_dragStart.y : m_dragNow.y,
              m_dragStart.x < m_dragNow.x ? m_dragNow.x : m_dragStart.x,
              m_dragStart.y < m_dragNow.y ? m_dragNow.y : m_dragStart.y};
    if (r.right == r.left || r.bottom == r.top) return;
    HDC dc = ::GetDC(m_video);
    ::DrawFocusRect(dc, &r);
    ::ReleaseDC(m_video, dc);
}

LRESULT CALLBACK CRerezedPane::PaneProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<CRerezedPane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hWnd, 0, reinterpret_cast<LONG_PTR>(created));
        created->m_pane = hWnd;  // messages come before CreateWindowEx returns
    }
    auto* pane = reinterpret_cast<CRerezedPane*>(::GetWindowLongPtrW(hWnd, 0));
    if (!pane || message == WM_NCDESTROY) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    pane->m_sink.HoldObject();
    LRESULT result = pane->OnPaneMessage(message, wParam, lParam);
    pane->m_sink.ReleaseObject();  // may delete the pane: nothing touches it afterwards
    return result;
}

LRESULT CALLBACK CRerezedPane::VideoProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<CRerezedPane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hWnd, 0, reinterpret_cast<LONG_PTR>(created));
        created->m_video = hWnd;
    }
    auto* pane = reinterpret_cast<CRerezedPane*>(::GetWindowLongPtrW(hWnd, 0));
    if (!pane || message == WM_NCDESTROY) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    pane->m_sink.HoldObject();
    LRESULT result = pane->OnVideoMessage(message, wParam, lParam);
    pane->m_sink.ReleaseObject();
    return result;
}

LRESULT CRerezedPane::OnPaneMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(m_pane, &ps);
            PaintStrip(dc);
            ::EndPaint(m_pane, &ps);
            return 0;
        }
        case WM_SIZE: Layout(); return 0;
        case WM_LBUTTONDOWN: {
            POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            int button = ButtonAt(p);
            m_sink.OnUserSelect(m_index);
            if (button)
                PressButton(button);
            else
                m_sink.FireEvent(RZ_EventClick, nullptr, 0);
            return 0;
        }
        case WM_LBUTTONDBLCLK: {
            POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            // A quick second press on a button is a second press, not a double click.
            if (int button = ButtonAt(p))
                PressButton(button);
            else
                m_sink.FireEvent(RZ_EventDblClick, nullptr, 0);
            return 0;
        }
    }
    return ::DefWindowProcW(m_pane, message, wParam, lParam);
}

LRESULT CRerezedPane::OnVideoMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(m_video, &ps);
            if (m_blank) PaintBlank(dc);
            ::EndPaint(m_video, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
            m_sink.OnUserSelect(m_index);
            if (m_zoomEnabled) {
                m_dragging = true;
                m_dragStart = m_dragNow = p;
                ::SetCapture(m_video);
            }
            m_sink.FireEvent(RZ_EventClick, nullptr, 0);
            return 0;
        case WM_MOUSEMOVE:
            if (m_dragging) {
                DrawRubberBand();
                m_dragNow = p;
                DrawRubberBand();
            }
            return 0;
        case WM_LBUTTONUP:
            if (m_dragging) {
                DrawRubberBand();
                m_dragging = false;
                ::ReleaseCapture();
                // Corners as dragged: the container orders them.
                VARIANT args[] = {LongArg(m_index), LongArg(m_dragStart.x), LongArg(m_dragStart.y),
                                  LongArg(p.x),     LongArg(p.y),           ShortArg(0)};
                m_sink.FireEvent(RZ_EventZoomRect, args, 6);
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (m_dragging && reinterpret_cast<HWND>(lParam) != m_video) {
                DrawRubberBand();
                m_dragging = false;
            }
            return 0;
        case WM_LBUTTONDBLCLK: m_sink.FireEvent(RZ_EventDblClick, nullptr, 0); return 0;
    }
    return ::DefWindowProcW(m_video, message, wParam, lParam);
}
