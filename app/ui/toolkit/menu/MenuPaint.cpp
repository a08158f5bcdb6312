#include "MenuPaint.h"

#include "CStyleBrushList.h"
#include "CStyleMenu.h"
#include "CStyleMenuHook.h"
#include "MenuColors.h"
#include "common/UniqueGdi.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Pixels of a bitmap as 32-bit 0x00RRGGBB words, top row first.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<DWORD> bits;

    BOOL Read(HDC dc, HBITMAP bitmap, int w, int h) {
        width = w;
        height = h;
        bits.assign(static_cast<size_t>(w) * h, 0);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        return GetDIBits(dc, bitmap, 0, h, bits.data(), &info, DIB_RGB_COLORS) == h;
    }
    COLORREF At(int x, int y) const {
        DWORD p = bits[static_cast<size_t>(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

struct ShadeParams {
    RECT rect;
    HWND owner;
    BOOL bottom;
};

COLORREF ShadeAt(const PixelBuffer& saved, int x, int y) {
    if (x < 0 || y < 0 || x >= saved.width || y >= saved.height) return 0;
    return saved.At(x, y);
}

LRESULT CALLBACK ShadeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            const ShadeParams* p = static_cast<const ShadeParams*>(cs->lpCreateParams);
            if (p) {
                int w = p->rect.right - p->rect.left, h = p->rect.bottom - p->rect.top;
                if (p->bottom)
                    SetWindowPos(window, nullptr, p->rect.left + 5, p->rect.bottom, w, 5,
                                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
                else
                    SetWindowPos(window, HWND_TOPMOST, p->rect.right, p->rect.top + 5, 5, h - 5,
                                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
            }
            return result;
        }
        case WM_MOVE: {
            LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, TRUE);
            return result;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            RECT client;
            GetClientRect(window, &client);
            PaintShadowStrip(dc, client, GetSysColor(COLOR_ACTIVECAPTION));
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window, &client);
            PaintShadowStrip(reinterpret_cast<HDC>(wParam), client, GetSysColor(COLOR_ACTIVECAPTION));
            return 0;
        }
        case WM_WINDOWPOSCHANGED: {
            LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
            if (pos->hwnd != window)
                SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
            return result;
        }
        case WM_NCHITTEST: return HTTRANSPARENT;
        case WM_TIMER: {
            KillTimer(window, wParam);
            HWND owner = GetWindow(window, GW_OWNER);
            RECT r;
            if (owner && GetWindowRect(owner, &r))
                SetWindowPos(window, nullptr, r.right, r.top, 6, r.bottom - r.top, SWP_SHOWWINDOW | SWP_NOZORDER);
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HFONT MarlettFont(int height, BOOL bold) {
    LOGFONTW lf = {};
    lf.lfHeight = -height;
    lf.lfWeight = bold ? 700 : 400;
    lf.lfCharSet = SYMBOL_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Marlett", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

CStyleBrushList* g_brushes = nullptr;

}  // namespace

void* CaptureBackground(HWND window) {
    CStyleMenuHook::CMenuHookData* data = CStyleMenuHook::FindMenuHookData(window);
    if (!data) return nullptr;
    if (!data->screenBitmap.GetSafeHandle()) {
        RECT r;
        GetWindowRect(window, &r);
        int w = r.right - r.left + 10, h = r.bottom - r.top + 10;
        CBorrowedDC screen(nullptr);
        CUniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), w, h));
        {
            CUniqueMemoryDC memory(CreateCompatibleDC(screen.Get()));
            CDcSelection useBitmap(memory.Get(), bitmap.Get());
            BitBlt(memory.Get(), 0, 0, w, h, screen.Get(), data->position.x, data->position.y, SRCCOPY);
        }
        if (bitmap) data->screenBitmap.Attach(bitmap.Release());
    }
    return data;
}

void PaintShade(HWND window, HDC dc) {
    if (IsSystemDropShadow()) return;
    CStyleMenuHook::CMenuHookData* data = CStyleMenuHook::FindMenuHookData(window);
    if (!data || !data->screenBitmap.GetSafeHandle()) return;
    RECT r;
    GetWindowRect(window, &r);
    int W = r.right - r.left, H = r.bottom - r.top;
    PixelBuffer saved;
    BITMAP info;
    GetObjectW(data->screenBitmap.GetSafeHandle(), sizeof info, &info);
    if (!saved.Read(dc, static_cast<HBITMAP>(data->screenBitmap.GetSafeHandle()), info.bmWidth, info.bmHeight)) return;
    if (GetScreenColorCount() > 256) {
        for (int s = 1; s <= 4; ++s) {
            int x = W - s;
            for (int y = 0; y < H; ++y) {
                COLORREF c = ShadeAt(saved, x, y);
                if (y >= 4 && y <= 7 && y <= H - 5)
                    c = DarkenColor(s * 6 * (y - 3), c);
                else if (y >= 8 && y <= H - 5)
                    c = DarkenColor(s * 30, c);
                else if (y >= H - 4 && y >= 4)
                    c = DarkenColor(s * 6 * (H - y), c);
                SetPixel(dc, x, y, c);
            }
            int y = H - s;
            for (int x2 = 0; x2 <= W - 5; ++x2) {
                COLORREF c = ShadeAt(saved, x2, y);
                if (x2 >= 4 && x2 <= 7)
                    c = DarkenColor((x2 * 6 - 18) * s, c);
                else if (x2 >= 8)
                    c = DarkenColor(s * 30, c);
                SetPixel(dc, x2, y, c);
            }
        }
        return;
    }
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    for (int s = 1; s <= 4; ++s) {
        for (int y = 0; y < H; ++y) {
            COLORREF c = ShadeAt(saved, W - s, y);
            if (s >= 3 && y >= 4 && y <= H - 3) c = shadow;
            SetPixel(dc, W - s, y, c);
        }
        for (int x = 0; x < W - 4; ++x) {
            COLORREF c = ShadeAt(saved, x, H - s);
            if (s >= 3 && x >= 4 && x <= W - 5) c = shadow;
            SetPixel(dc, x, H - s, c);
        }
    }
}

void PaintShadowStrip(HDC dc, const RECT& rect, COLORREF colour) {
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (GetScreenColorCount() <= 256) {
        COLORREF old = SetBkColor(dc, GetSysColor(COLOR_BTNSHADOW));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
        SetBkColor(dc, old);
        return;
    }
    if (w < h) {
        for (int i = 0; i < 5 && i < w; ++i)
            for (int row = 0; row < h; ++row) {
                int alpha = row < 5 ? 255 - (4 - i) * row * 10 : i * 40 + 80;
                SetPixel(dc, i, row, BlendColor(colour, GetPixel(dc, i, row), alpha));
            }
        return;
    }
    for (int i = 0; i < 5 && i < h; ++i)
        for (int column = 0; column < w; ++column) {
            int alpha;
            if (column < 5)
                alpha = 255 - (4 - i) * column * 10;
            else if (column <= w - 5)
                alpha = i * 40 + 80;
            else
                alpha = 255 - (w - column - 1) * (4 - i) * 10;
            SetPixel(dc, column, i, BlendColor(colour, GetPixel(dc, column, i), alpha));
        }
}

void FillFrameBand(CDC* dc, const RECT& outer, const RECT& inner, COLORREF colour) {
    dc->FillSolidRect(outer.left, outer.top, outer.right - outer.left, inner.top - outer.top, colour);
    dc->FillSolidRect(outer.left, inner.top, inner.left - outer.left, inner.bottom - inner.top, colour);
    dc->FillSolidRect(inner.right, inner.top, outer.right - inner.right, inner.bottom - inner.top, colour);
    dc->FillSolidRect(outer.left, inner.bottom, outer.right - outer.left, outer.bottom - inner.bottom, colour);
}

void DrawCornerPixels(CDC* dc, const RECT& r, COLORREF colour) {
    const POINT corners[4][3] = {
        {{r.left, r.top}, {r.left + 1, r.top}, {r.left, r.top + 1}},
        {{r.right - 1, r.top}, {r.right - 2, r.top}, {r.right - 1, r.top + 1}},
        {{r.left, r.bottom - 1}, {r.left + 1, r.bottom - 1}, {r.left, r.bottom - 2}},
        {{r.right - 1, r.bottom - 1}, {r.right - 2, r.bottom - 1}, {r.right - 1, r.bottom - 2}},
    };
    for (const auto& corner : corners)
        for (const POINT& p : corner) dc->SetPixel(p.x, p.y, colour);
}

void DrawMarlettGlyph(CDC* dc, const RECT& rect, wchar_t glyph, BOOL bold) {
    RECT r = rect;
    InflateRect(&r, 2, 2);
    CUniqueFont font(MarlettFont(r.bottom - r.top, bold));
    CDcSelection useFont(dc->m_hDC, font.Get());
    int mode = SetBkMode(dc->m_hDC, TRANSPARENT);
    DrawTextW(dc->m_hDC, &glyph, 1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    SetBkMode(dc->m_hDC, mode);
}

BOOL DrawSystemCommandGlyph(CDC* dc, const RECT& rect, UINT command, COLORREF colour) {
    wchar_t glyph;
    switch (command & 0xFFF0) {
        case SC_CLOSE: glyph = L'r'; break;
        case SC_MINIMIZE: glyph = L'0'; break;
        case SC_MAXIMIZE: glyph = L'1'; break;
        case SC_RESTORE: glyph = L'2'; break;
        default: return FALSE;
    }
    COLORREF old = SetTextColor(dc->m_hDC, colour);
    DrawMarlettGlyph(dc, rect, glyph, FALSE);
    SetTextColor(dc->m_hDC, old);
    return TRUE;
}

BOOL DrawCheckMark(CDC* dc, const RECT& itemRect, HBITMAP checked, HBITMAP unchecked, UINT state) {
    BOOL isChecked = (state & ODS_CHECKED) != 0;
    if (!isChecked && !unchecked) return FALSE;
    RECT r = itemRect;
    InflateRect(&r, -1, -1);
    if (CStyleMenu::s_winVersion >= 2) DrawEdge(dc->m_hDC, &r, BDR_SUNKENOUTER, BF_RECT);
    InflateRect(&r, 2, 2);
    COLORREF colour = GetSysColor((state & (ODS_GRAYED | ODS_INACTIVE)) ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
    COLORREF oldText = SetTextColor(dc->m_hDC, colour);
    auto drawCentred = [&](HBITMAP bitmap, UINT extra) {
        BITMAP b;
        if (!GetObjectW(bitmap, sizeof b, &b)) return;
        int x = (r.left + r.right - b.bmWidth) / 2, y = (r.top + r.bottom - b.bmHeight) / 2;
        DrawStateW(dc->m_hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, x, y, b.bmWidth, b.bmHeight,
                   DST_BITMAP | DSS_MONO | extra);
    };
    if (isChecked && !checked) {
        RECT g = r;
        OffsetRect(&g, 1, 2);
        DrawMarlettGlyph(dc, g, L'b', FALSE);
    } else if (isChecked && unchecked) {
        drawCentred(checked, 0);
    } else if (isChecked) {
        DrawMarlettGlyph(dc, r, L'i', FALSE);
    } else {
        drawCentred(unchecked, (state & ODS_DISABLED) ? DSS_DISABLED : 0);
    }
    SetTextColor(dc->m_hDC, oldText);
    return TRUE;
}

ATOM RegisterShadeWindowClass() {
    WNDCLASSW wc = {};
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoW(instance, L"ShadeWindow", &wc)) return static_cast<ATOM>(GlobalFindAtomW(L"ShadeWindow") | 1);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ShadeWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = L"ShadeWindow";
    return RegisterClassW(&wc);
}

HWND CreateShadeWindows(HWND window, const RECT* rect) {
    if (!RegisterShadeWindowClass()) return nullptr;
    ShadeParams params = {};
    if (rect)
        params.rect = *rect;
    else
        GetWindowRect(window, &params.rect);
    params.owner = window;
    HWND last = nullptr;
    for (BOOL bottom : {TRUE, FALSE}) {
        params.bottom = bottom;
        last = CreateWindowExW(WS_EX_TRANSPARENT | WS_EX_TOPMOST, L"ShadeWindow", L"",
                               WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, GetModuleHandleW(nullptr), &params);
    }
    return last;
}

void FillGradient(HDC dc, const RECT& rect, COLORREF start, COLORREF end, BOOL horizontal, BOOL trueColorOnly) {
    BOOL manyColours = GetDeviceCaps(dc, NUMCOLORS) == -1 && GetScreenColorCount() > 256;
    if (CStyleMenu::s_pfnGradientFill && (!trueColorOnly || manyColours)) {
        TRIVERTEX v[2] = {
            {rect.left, rect.top, static_cast<COLOR16>(GetRValue(start) << 8),
             static_cast<COLOR16>(GetGValue(start) << 8), static_cast<COLOR16>(GetBValue(start) << 8), 0},
            {rect.right, rect.bottom, static_cast<COLOR16>(GetRValue(end) << 8),
             static_cast<COLOR16>(GetGValue(end) << 8), static_cast<COLOR16>(GetBValue(end) << 8), 0},
        };
        GRADIENT_RECT g = {0, 1};
        if (CStyleMenu::s_pfnGradientFill(dc, v, 2, &g, 1, horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V))
            return;
    }
    BOOL solid = !trueColorOnly || manyColours;
    auto fill = [&](const RECT& r, COLORREF c) {
        if (!solid) c = NearestScreenColor(c);
        COLORREF old = SetBkColor(dc, c);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
        SetBkColor(dc, old);
    };
    fill(rect, end);
    int n = horizontal ? rect.right - rect.left - 2 : rect.bottom - rect.top - 2;
    // No band fits: the end colour already covers the rectangle.
    if (n <= 0) return;
    for (int i = 0; i <= n; i += 2) {
        COLORREF c = RGB(GetRValue(start) + MulDiv(GetRValue(end) - GetRValue(start), i, n),
                         GetGValue(start) + MulDiv(GetGValue(end) - GetGValue(start), i, n),
                         GetBValue(start) + MulDiv(GetBValue(end) - GetBValue(start), i, n));
        RECT band = rect;
        if (horizontal) {
            band.left = rect.left + i;
            band.right = band.left + 2;
        } else {
            band.top = rect.top + i;
            band.bottom = band.top + 2;
        }
        fill(band, c);
    }
}

void DrawMenuText(HDC dc, LPCWSTR text, int count, const RECT& rect, UINT flags) {
    int length = text ? lstrlenW(text) : 0;
    // Never read beyond the text, whatever count says.
    if (count < 0 || count > length) count = length;
    std::wstring buffer(text ? text : L"", static_cast<size_t>(count));
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    LOGFONTW lf = {};
    HFONT current = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    GetObjectW(current, sizeof lf, &lf);
    CUniqueFont substitute;
    if (!(tm.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR)) && (lf.lfEscapement || lf.lfOrientation)) {
        lstrcpynW(lf.lfFaceName, L"Arial", LF_FACESIZE);
        lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
        substitute.Reset(CreateFontIndirectW(&lf));
    }
    CDcSelection useSubstitute(dc, substitute.Get());
    if (substitute) GetTextMetricsW(dc, &tm);
    BOOL rtl = (GetLayout(dc) & LAYOUT_RTL) != 0;
    UINT oldAlign = SetTextAlign(dc, TA_UPDATECP | (rtl ? TA_RIGHT : 0));
    int orientation = ((lf.lfOrientation % 3600) + 3600) % 3600;
    int h = tm.tmHeight;
    POINT start = {rect.left, rect.top};
    if (flags & DT_VCENTER) {
        switch (orientation) {
            case 900: start = {(rect.left + rect.right - h) / 2, rtl ? rect.top + 4 : rect.bottom - 4}; break;
            case 1800: start = {rtl ? rect.left + 4 : rect.right - 4, (rect.top + rect.bottom + h) / 2}; break;
            case 2700: start = {(rect.left + rect.right + h) / 2, rtl ? rect.bottom - 4 : rect.top + 4}; break;
            default:
                orientation = 0;
                start = {rtl ? rect.right - 4 : rect.left + 4, (rect.top + rect.bottom - h) / 2};
                break;
        }
    }
    POINT oldPos;
    MoveToEx(dc, start.x, start.y, &oldPos);
    COLORREF textColour = GetTextColor(dc);
    for (int i = 0; i < count; ++i) {
        wchar_t ch = buffer[static_cast<size_t>(i)];
        BOOL underline = FALSE;
        if (ch == L'&' && i + 1 < count) {
            ch = buffer[static_cast<size_t>(++i)];
            underline = ch != L'&' && !(flags & DT_HIDEPREFIX);
        } else if (ch == L'&') {
            break;
        }
        POINT at;
        GetCurrentPositionEx(dc, &at);
        ExtTextOutW(dc, 0, 0, ETO_CLIPPED, &rect, &ch, 1, nullptr);
        if (!underline) continue;
        SIZE size;
        GetTextExtentPoint32W(dc, &ch, 1, &size);
        int length2 = size.cx - tm.tmOverhang / 2;
        int offset = tm.tmAscent + 1;
        RECT bar;
        switch (orientation) {
            case 900: bar = {at.x + offset, at.y - length2, at.x + offset + 1, at.y}; break;
            case 1800: bar = {at.x - length2, at.y - offset - 1, at.x, at.y - offset}; break;
            case 2700: bar = {at.x - offset - 1, at.y, at.x - offset, at.y + length2}; break;
            default:
                bar = rtl ? RECT{at.x - length2, at.y + offset, at.x, at.y + offset + 1}
                          : RECT{at.x, at.y + offset, at.x + length2, at.y + offset + 1};
                break;
        }
        COLORREF oldBack = SetBkColor(dc, textColour);
        UINT align = SetTextAlign(dc, 0);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &bar, L"", 0, nullptr);
        SetTextAlign(dc, align);
        SetBkColor(dc, oldBack);
    }
    MoveToEx(dc, oldPos.x, oldPos.y, nullptr);
    SetTextAlign(dc, oldAlign);
}

HBITMAP CreateMaskBitmap(HBITMAP source, COLORREF transparent) {
    BITMAP b;
    if (!source || !GetObjectW(source, sizeof b, &b)) return nullptr;
    HBITMAP mask = CreateBitmap(b.bmWidth, b.bmHeight, 1, 1, nullptr);
    if (!mask) return nullptr;
    CUniqueMemoryDC src(CreateCompatibleDC(nullptr));
    CUniqueMemoryDC dst(CreateCompatibleDC(nullptr));
    CDcSelection useSource(src.Get(), source);
    CDcSelection useMask(dst.Get(), mask);
    COLORREF oldBack = SetBkColor(src.Get(), transparent);
    BitBlt(dst.Get(), 0, 0, b.bmWidth, b.bmHeight, src.Get(), 0, 0, SRCCOPY);
    BitBlt(src.Get(), 0, 0, b.bmWidth, b.bmHeight, dst.Get(), 0, 0, SRCINVERT);
    SetBkColor(src.Get(), oldBack);
    return mask;
}

namespace {
RECT WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}
}  // namespace

RECT GetMonitorWorkArea(const RECT& rect) { return WorkAreaOf(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST)); }

RECT GetMonitorWorkArea(HWND window) { return WorkAreaOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)); }

UINT TrackPopupMenuInWorkArea(CMenu* menu, UINT flags, const RECT& item, CWnd* owner, BOOL vertical) {
    RECT work = GetMonitorWorkArea(item);
    int centreX = (work.left + work.right) / 2, centreY = (work.top + work.bottom) / 2;
    RECT r = item;
    TPMPARAMS params = {sizeof params, item};
    int x, y;
    if (vertical) {
        r.top = std::max(r.top, work.top);
        if (r.right > centreX) {
            r.left = std::max(r.left, work.left);
            x = r.left - 1;
            flags |= TPM_RIGHTALIGN;
        } else {
            x = r.right - 1;
        }
        y = r.top + 1;
    } else {
        int iconWidth = 16, iconHeight = 15;
        CStyleMenu* style = DYNAMIC_DOWNCAST(CStyleMenu, menu);
        if (style) style->GetIconSize(&iconWidth, &iconHeight);
        int expected = menu->GetMenuItemCount() * iconHeight;
        r.left = std::max(r.left, work.left);
        x = r.left;
        if (r.bottom > centreY && r.bottom + expected > work.bottom) {
            y = r.top;
            flags |= TPM_BOTTOMALIGN;
        } else {
            y = r.bottom;
        }
    }
    return ::TrackPopupMenuEx(menu->GetSafeHmenu(), flags, x, y, owner->GetSafeHwnd(), &params);
}

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void FillOutlined(HDC dc, const RECT& r, COLORREF fill, COLORREF outline) {
    CUniquePen pen(CreatePen(PS_SOLID, 1, outline));
    CUniqueBrush brush(CreateSolidBrush(fill));
    CDcSelection usePen(dc, pen.Get());
    CDcSelection useBrush(dc, brush.Get());
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void OutlineRect(HDC dc, const RECT& r, COLORREF outline) {
    CUniquePen pen(CreatePen(PS_SOLID, 1, outline));
    CDcSelection usePen(dc, pen.Get());
    CDcSelection noFill(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void Frame3d(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    CDC::FromHandle(dc)->Draw3dRect(&r, topLeft, bottomRight);
}

HFONT CreateMenuItemFont(UINT state) {
    LOGFONTW lf = GetMenuLogFont();
    if (state & ODS_DEFAULT) lf.lfWeight = 700;
    if (state & 0x8000) lf.lfEscapement = lf.lfOrientation = -900;
    return CreateFontIndirectW(&lf);
}

BOOL FillWithMenuBrush(HDC dc, const RECT& r, HMENU menu, POINT origin) {
    MENUINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    if (!menu || !GetMenuInfo(menu, &info) || !info.hbrBack) return FALSE;
    POINT old;
    SetBrushOrgEx(dc, origin.x, origin.y, &old);
    FillRect(dc, &r, info.hbrBack);
    SetBrushOrgEx(dc, old.x, old.y, nullptr);
    return TRUE;
}

void DrawIconMono(HDC dc, HICON icon, int x, int y, COLORREF colour) {
    if (!icon) return;
    CUniqueBrush brush(CreateSolidBrush(colour));
    DrawStateW(dc, brush.Get(), nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, 0, 0, DST_ICON | DSS_MONO);
}

CStyleBrushList* MenuBrushCache() {
    if (!g_brushes) g_brushes = new CStyleBrushList;
    return g_brushes;
}

void ReleaseMenuPaintResources() {
    delete g_brushes;
    g_brushes = nullptr;
}
