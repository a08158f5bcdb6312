#include "CMenuTheme.h"

#include "CMenuThemeXP.h"
#include "CStyleMenu.h"
#include "CStyleMenuHook.h"
#include "MenuColors.h"
#include "MenuPaint.h"
#include "ThemeFunctions.h"
#include "common/UniqueGdi.h"

#include <uxtheme.h>

namespace {

const UINT_PTR kFadeTimer = 0x1234;
const COLORREF kFrameColour = 0x3C3C3C;

typedef CStyleMenuHook::CMenuHookData HookData;

void StartFade(HWND window, HookData* data, LONG exStyle) {
    SetWindowLongW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, 0, CStyleMenu::s_menuAlpha, LWA_ALPHA);
    data->flags |= CStyleMenuHook::kEscapeOrFade;
    SetTimer(window, kFadeTimer, 50, nullptr);
}

// A one-pixel rectangle outline in colour; pen and brush freed.
void OutlineRect(HDC dc, int x, int y, int w, int h, COLORREF colour) {
    const CUniqueBrush brush(CreateSolidBrush(colour));
    RECT r = {x, y, x + w, y + h};
    FrameRect(dc, &r, brush.Get());
}

BOOL DropShadowRoom() { return IsSystemDropShadow(); }

}  // namespace

CMenuTheme::CMenuTheme()
    : styleId(0), flags(0), measure(nullptr), draw(nullptr), title(nullptr), borderSize{0, 0}, shadowSize{0, 0} {}

CMenuTheme::CMenuTheme(int id, MenuMeasureRoutine m, MenuDrawRoutine d, MenuDrawRoutine t, int f)
    : styleId(id), flags(f), measure(m), draw(d), title(t), borderSize{2, 2}, shadowSize{2, 2} {
    UpdateSysColors();
    UpdateMetrics();
}

void CMenuTheme::UpdateSysColors() {
    faceColor = GetSysColor(COLOR_BTNFACE);
    shadowColor = GetSysColor(COLOR_BTNSHADOW);
    highlightColor = GetSysColor(COLOR_BTNHIGHLIGHT);
    textColor = GetSysColor(COLOR_BTNTEXT);
    frameColor = GetSysColor(COLOR_WINDOWFRAME);
}

void CMenuTheme::UpdateMetrics() {
    borderSize = SIZE{2, 2};
    shadowSize = DropShadowRoom() ? SIZE{2, 2} : SIZE{5, 6};
}

BOOL CMenuTheme::PopupShown(HWND window) {
    HookData* data = CStyleMenuHook::FindMenuHookData(window);
    if (!data || !data->drawBorder) return FALSE;
    int version = CStyleMenu::s_winVersion;
    BYTE alpha = CStyleMenu::s_menuAlpha;
    if (!DrawsOwnBorder()) {
        if (version <= 5 || alpha == 255) return FALSE;
        data->flags |= CStyleMenuHook::kStylesChanged;
        StartFade(window, data, static_cast<LONG>(data->savedExStyle));
        return FALSE;
    }
    data->flags |= CStyleMenuHook::kStylesChanged;
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(data->savedStyle & ~WS_BORDER));
    if (version < 6 || alpha == 255) {
        SetWindowLongW(window, GWL_EXSTYLE,
                       static_cast<LONG>(data->savedExStyle & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE)));
    } else {
        StartFade(window, data,
                  static_cast<LONG>(data->savedExStyle & ~(WS_EX_LAYERED | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)));
    }
    return TRUE;
}

BOOL CMenuTheme::PopupHidden(HWND window) {
    HookData* data = CStyleMenuHook::FindMenuHookData(window);
    if (!data) return TRUE;
    if (data->flags & CStyleMenuHook::kEscapeOrFade) {
        KillTimer(window, kFadeTimer);
        data->flags &= ~CStyleMenuHook::kEscapeOrFade;
    }
    if (IsMenu(data->hMenu)) {
        CStyleMenu* menu = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(data->hMenu));
        if (menu) menu->OnPopupClosed();
    }
    if (data->flags & CStyleMenuHook::kStylesChanged) {
        SetLastError(0);
        DWORD style = data->savedStyle | ((data->flags & CStyleMenuHook::kOnSizeWindow) ? WS_VISIBLE : 0);
        SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style));
        SetWindowLongW(window, GWL_EXSTYLE, static_cast<LONG>(data->savedExStyle));
    }
    return TRUE;
}

BOOL CMenuTheme::CalcNonClientSize(HWND window, RECT* rect) {
    if (!DrawsOwnBorder()) return FALSE;
    BOOL system = IsSystemDropShadow();
    rect->left += borderSize.cx;
    rect->top += borderSize.cy;
    rect->right -= system ? 1 : 5;
    rect->bottom -= system ? 2 : 6;
    return FALSE;
}

BOOL CMenuTheme::WindowPosChanging(HWND window, WINDOWPOS* pos) {
    if (!DrawsOwnBorder()) return FALSE;
    int change = IsSystemDropShadow() ? -2 : 2;
    pos->cx += change;
    pos->cy += change;
    pos->y -= 1;
    return TRUE;
}

BOOL CMenuTheme::GetFrameRect(HWND window, RECT* rect) {
    if (!GetWindowRect(window, rect)) return FALSE;
    if (DrawsOwnBorder()) {
        int farEdge = IsSystemDropShadow() ? 3 : 7;
        rect->left += 2;
        rect->top += 2;
        rect->right -= farEdge;
        rect->bottom -= farEdge;
    }
    return TRUE;
}

BOOL CMenuTheme::EraseBackground(HWND window, HDC dc) {
    RECT r;
    GetClientRect(window, &r);
    r.left -= 2;
    if (DrawsOwnBorder()) r.right -= 1;
    COLORREF old = SetBkColor(dc, GetMenuBackColor(nullptr));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
    return TRUE;
}

BOOL CMenuThemeXP::EraseBackground(HWND window, HDC dc) {
    HookData* data = CStyleMenuHook::FindMenuHookData(window);
    if (!data || !data->hMenu) return CMenuTheme::EraseBackground(window, dc);
    RECT r;
    GetClientRect(window, &r);
    r.left -= 2;
    if (DrawsOwnBorder()) r.right -= 1;
    COLORREF old = SetBkColor(dc, GetMenuBarColor(data->hMenu));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
    return TRUE;
}

BOOL CMenuTheme::PaintBorder(HWND window, HDC dc, BOOL after) { return PaintBorderWith(window, dc, after, FALSE); }

BOOL CMenuThemeXP::PaintBorder(HWND window, HDC dc, BOOL after) { return PaintBorderWith(window, dc, after, TRUE); }

BOOL CMenuTheme::PaintBorderWith(HWND window, HDC dc, BOOL after, BOOL xpEdge) {
    HookData* data = CStyleMenuHook::FindMenuHookData(window);
    if (!DrawsOwnBorder() || !data) return FALSE;
    CaptureBackground(window);
    RECT wr;
    GetWindowRect(window, &wr);
    int W = wr.right - wr.left, H = wr.bottom - wr.top;
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -wr.left, -wr.top);
    BOOL system = IsSystemDropShadow();
    int spare = system ? 0 : 4;
    CDC* cdc = CDC::FromHandle(dc);
    if (!after) {
        RECT ring = {1, 1, W - 1 - spare, H - 1 - spare};
        FillFrameBand(cdc, ring, client, kFrameColour);
    }
    BOOL highContrast = CStyleMenu::s_isHighContrast;
    if (!xpEdge) {
        OutlineRect(dc, 0, 0, W - spare, H - spare, kFrameColour);
        if (!system && !highContrast) PaintShade(window, dc);
    } else if (highContrast) {
        OutlineRect(dc, 0, 0, W - spare, H - spare, GetSysColor(COLOR_BTNTEXT));
    } else {
        COLORREF edge = DarkenColor(128, GetMenuBackColor(data->hMenu));
        OutlineRect(dc, 1, 1, W - 2 - spare, H - 2 - spare, kFrameColour);
        RECT column = {1, 2, 2, 2 + H - 4 - spare};
        COLORREF old = SetBkColor(dc, kFrameColour);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &column, nullptr, 0, nullptr);
        SetBkColor(dc, old);
        OutlineRect(dc, 0, 0, W - spare, H - spare, edge);
        if (!system) PaintShade(window, dc);
    }
    if (xpEdge) PaintMenuBarJoin(window, dc);
    return TRUE;
}

void CMenuTheme::PaintMenuBarJoin(HWND window, HDC dc) {
    HookData* data = CStyleMenuHook::FindMenuHookData(window);
    if (!data) return;
    CStyleMenu* menu = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(data->hMenu));
    CStyleMenu* parent = menu ? menu->GetParentStyleMenu() : nullptr;
    if (!parent || !parent->IsMenuBar()) return;
    RECT wr;
    GetWindowRect(window, &wr);
    OffsetRect(&wr, data->position.x - wr.left, data->position.y - wr.top);
    RECT overlap;
    if (!IntersectRect(&overlap, &wr, &parent->GetMenuBarRect())) return;
    if (overlap.right - overlap.left > overlap.bottom - overlap.top) {
        overlap.left += 1;
        overlap.right -= 1;
    } else {
        overlap.top += 1;
        overlap.bottom -= 1;
    }
    OffsetRect(&overlap, -wr.left, -wr.top);
    COLORREF colour = GetScreenColorCount() <= 256 ? GetSysColor(COLOR_BTNFACE)
                                                   : MixColor86(GetMenuBarColor(nullptr), GetSysColor(COLOR_WINDOW));
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &overlap, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void CMenuTheme::DrawGripper(CDC* dc, RECT* rect, DWORD barStyle, int left, int right, int top, int bottom) {
    if (!(barStyle & 0x400000) || (barStyle & 1)) return;
    BOOL vertical = !(barStyle & (0x2000 | 0x8000));
    int width = rect->right - rect->left, height = rect->bottom - rect->top;
    int x0 = rect->left, y0 = rect->top;
    switch (CStyleMenu::GetMenuDrawStyle()) {
        case 2:
        case 3: {
            const CUniquePen pen(CreatePen(PS_SOLID, 1, ShadowColor(GetDefaultMenuColor())));
            CDcSelection usePen(dc->m_hDC, pen.Get());
            if (vertical) {
                for (int x = top + left + 4; x < width - left - right - 4; x += 2) {
                    MoveToEx(dc->m_hDC, x0 + x, y0 + top + 4, nullptr);
                    LineTo(dc->m_hDC, x0 + x, y0 + top + 7);
                }
            } else {
                for (int y = top + top + 4; y < height - top - bottom - 8; y += 2) {
                    MoveToEx(dc->m_hDC, x0 + left + 4, y0 + y, nullptr);
                    LineTo(dc->m_hDC, x0 + left + 7, y0 + y);
                }
            }
            return;
        }
        case 6:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11: {
            int style = CStyleMenu::GetMenuDrawStyle();
            COLORREF light = GetSysColor(COLOR_WINDOW), mid, dark, edge, dot;
            GetBarColors(&light, &mid, &dark, &edge);
            dot = style <= 7 ? DarkenColor(100, GetMenuBackColor(nullptr)) : edge;
            auto put = [&](int x, int y) {
                if (style >= 8) dc->FillSolidRect(x0 + x + 1, y0 + y + 1, 2, 2, GetSysColor(COLOR_WINDOW));
                dc->FillSolidRect(x0 + x, y0 + y, 2, 2, dot);
            };
            if (vertical) {
                for (int x = top + left + 4; x < width - right - 4; x += 4) put(x, top + left + 4);
            } else {
                for (int y = top + top + 4; y < height - top - bottom - 8; y += 4) put(left + left + 4, y);
            }
            return;
        }
        default: {
            shadowColor = GetSysColor(COLOR_BTNSHADOW);
            highlightColor = GetSysColor(COLOR_BTNHIGHLIGHT);
            RECT strip = vertical ? RECT{x0 + left + top, y0 + 2, x0 + left + top + width - top - bottom, y0 + 5}
                                  : RECT{x0 + left + left + 2, y0 + top + top, x0 + left + left + 5,
                                         y0 + top + top + height - top - bottom};
            dc->Draw3dRect(&strip, highlightColor, shadowColor);
            return;
        }
    }
}

void CMenuTheme::DrawBarCorners(CDC* dc, RECT* rect, DWORD barStyle) {
    int style = CStyleMenu::GetMenuDrawStyle();
    if (!(barStyle & 0x400000) || (barStyle & 1) || style < 6) return;
    DrawCornerPixels(dc, *rect, style <= 7 ? GetSysColor(COLOR_3DLIGHT) : GetThemeBarColor());
}

void CMenuTheme::GetBarColors(COLORREF* light, COLORREF* mid, COLORREF* dark, COLORREF* edge) {
    if (!IsThemeActiveSafe()) {
        COLORREF l;
        *dark = GetThemeBarColors(&l, FALSE);
        *light = l;
        *mid = BlendColor(*dark, *light, 100);
        *edge = DarkenColor(50, *dark);
        return;
    }
    COLORREF c = GetThemeBarColor();
    switch (c) {
        case 0xAADADA:
            *light = 0xDEF7F4;
            *mid = 0xACDED1;
            *dark = 0x91C6B7;
            *edge = 0x588060;
            return;
        case 0xE5D7D7:
            *light = 0xFAF4F3;
            *mid = 0xECE2E1;
            *dark = 0xB59799;
            *edge = 0x947C7C;
            return;
        case 0xF5C2A3:
            *light = 0xFEECDD;
            *mid = 0xF9DBC4;
            *dark = 0xE2A981;
            *edge = 0x9C613B;
            return;
        default:
            *light = LightenColor(140, c);
            *mid = LightenColor(115, c);
            *dark = DarkenColor(40, c);
            *edge = DarkenColor(110, c);
    }
}

COLORREF GetDefaultMenuColor() {
    int version = GetWindowsVersionClass();
    return GetSysColor(version == 2 || version == 5 ? COLOR_MENU : COLOR_BTNFACE);
}

namespace {
BOOL MenuBrushColour(HMENU menu, COLORREF* colour) {
    if (!menu) return FALSE;
    MENUINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    if (!GetMenuInfo(menu, &info) || !info.hbrBack) return FALSE;
    LOGBRUSH lb;
    if (!GetObjectW(info.hbrBack, sizeof lb, &lb)) return FALSE;
    *colour = lb.lbColor;
    return TRUE;
}

BOOL FlatMenus() {
    BOOL flat = FALSE;
    return SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0) && flat;
}

COLORREF ReplaceKnownBar(COLORREF c) {
    if (c == 0xF0C5AC) return 0xF5C2A3;
    if (c == 0xE6E6E6) return 0xE5D7D7;
    if (c == 0xCCDCD6) return 0xAADADA;
    return c;
}
}  // namespace

COLORREF GetMenuBackColor(HMENU menu) {
    COLORREF c;
    if (MenuBrushColour(menu, &c)) return c;
    if (CStyleMenu::s_winVersion == 7 && FlatMenus()) return GetSysColor(COLOR_MENUBAR);
    return GetSysColor(COLOR_MENU);
}

COLORREF GetMenuBarColor(HMENU menu) {
    COLORREF c;
    if (MenuBrushColour(menu, &c)) return c;
    if (CStyleMenu::s_winVersion == 7 && (FlatMenus() || IsThemeActiveSafe())) return GetSysColor(COLOR_MENUBAR);
    return GetDefaultMenuColor();
}

namespace {
// Replaces colour with the theme's property of part 1, state 1 when the
// theme has it (1 answers "not there").
void ReadThemeColour(ThemeFunctions::HTHEME theme, int property, COLORREF* colour) {
    COLORREF read = 0;
    HRESULT result = ThemeFunctions::GetThemeColor(theme, 1, 1, property, &read);
    if (SUCCEEDED(result) && result != 1) *colour = read;
}
}  // namespace

COLORREF GetThemeBarColors(COLORREF* light, BOOL strong) {
    int version = CStyleMenu::s_winVersion;
    if (version == 2 || version == 5) {
        *light = GetSysColor(COLOR_MENU);
        return GetSysColor(COLOR_MENU);
    }
    int style = CStyleMenu::GetMenuDrawStyle();
    COLORREF window = GetSysColor(COLOR_WINDOW), caption = GetSysColor(COLOR_ACTIVECAPTION);
    if (style == 10 || style == 11) {
        COLORREF c = ReplaceKnownBar(NearestScreenColor(MixColor70(DarkenColor(10, window), caption)));
        *light = LightenColor(110, c);
        return c;
    }
    if (!IsThemeActiveSafe()) {
        *light = BlendColor(GetSysColor(COLOR_BTNFACE), window, 220);
        return GetSysColor(COLOR_BTNFACE);
    }
    COLORREF fill = DarkenColor(10, window);
    COLORREF bar;
    ThemeFunctions::HTHEME theme = ThemeFunctions::OpenThemeData(nullptr, L"Window");
    if (theme) {
        ReadThemeColour(theme, 3821, &caption);
        ReadThemeColour(theme, 3805, &fill);
        ThemeFunctions::CloseThemeData(theme);
        if (caption == 0x86B8AA)
            bar = 0xAADADA;
        else if (caption == 0xBEA3A4)
            bar = 0xE5D7D7;
        else if (caption == 0xE55400)
            bar = 0xF5C2A3;
        else
            bar = NearestScreenColor(MixColor70(fill, caption));
        if (strong) {
            *light = LightenColor(110, bar);
            return bar;
        }
    } else {
        bar = ReplaceKnownBar(NearestScreenColor(MixColor70(fill, caption)));
        if (strong) {
            *light = LightenColor(100, bar);
            return bar;
        }
    }
    *light = LightenColor(200, bar);
    return DarkenColor(20, bar);
}

COLORREF GetThemeBarColor() {
    COLORREF light;
    return GetThemeBarColors(&light, TRUE);
}

COLORREF GetSelectionColor() {
    if (CStyleMenu::s_isHighContrast) return GetSysColor(COLOR_HIGHLIGHT);
    COLORREF window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
    if (GetScreenColorCount() <= 256) return window;
    if (IsThemeActiveSafe() || !IsLightColor(highlight)) return MixColor70(window, highlight);
    return MixColor86(window, highlight);
}

COLORREF GetWindowTint() { return DarkenColor(10, GetSysColor(COLOR_WINDOW)); }

Menu2003Colors Get2003Colors() {
    int style = CStyleMenu::GetMenuDrawStyle();
    if ((style == 8 || style == 9) && !IsThemeActiveSafe()) {
        COLORREF hot = GetSelectionColor();
        COLORREF mixed = MixColor86(hot, GetSysColor(COLOR_HIGHLIGHT));
        return Menu2003Colors{hot, mixed, mixed};
    }
    return Menu2003Colors{0xC2EEFF, 0x6FC0FF, 0x3E80FE};
}

CStyleMenuStyleScope CStyleMenuStyleScope::FromStyle(int styleId) {
    CStyleMenuStyleScope scope;
    scope.savedOptions = CStyleMenu::s_menuOptions;
    scope.savedStyle = CStyleMenu::SetMenuDrawStyle(styleId);
    return scope;
}

CStyleMenuStyleScope CStyleMenuStyleScope::FromOptions(DWORD options) {
    CStyleMenuStyleScope scope;
    scope.savedOptions = CStyleMenu::s_menuOptions;
    CStyleMenu::s_menuOptions = options;
    scope.savedStyle = CStyleMenu::GetMenuDrawStyle();
    if (options & 0x4) CStyleMenu::SetMenuDrawStyle(scope.savedStyle | 1);
    return scope;
}

void CStyleMenuStyleScope::Restore() {
    if (savedStyle >= 0) CStyleMenu::SetMenuDrawStyle(savedStyle);
    CStyleMenu::s_menuOptions = savedOptions;
}
