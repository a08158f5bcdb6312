// CStyleMenu's menu-bar items: the bar's own background, the hot and the
// pressed look of each style family (with the 4-pixel shadow of the flat
// ones) and the item text through the mnemonic writer.
#include "CStyleMenu.h"

#include "CMenuTheme.h"
#include "MenuColors.h"
#include "MenuPaint.h"
#include "common/UniqueGdi.h"

namespace {

// The window's origin seen from its top-level frame: a pattern brush
// started there lines up with the frame's other bars.
POINT FrameBrushOrigin(HDC dc) {
    POINT origin = {0, 0};
    HWND window = ::WindowFromDC(dc);
    HWND frame = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    RECT mine, outer;
    if (frame && frame != window && ::GetWindowRect(window, &mine) && ::GetWindowRect(frame, &outer))
        origin.x = outer.left - mine.left;
    return origin;
}

// The pressed item's shadow: four lines beside it, fading in at the start.
void PaintPressedShadow(HDC dc, const RECT& inner, COLORREF bar) {
    if (GetScreenColorCount() <= 256) {
        FillSolid(dc, RECT{inner.right, inner.top + 4, inner.right + 2, inner.bottom}, GetSysColor(COLOR_BTNSHADOW));
        return;
    }
    for (int i = 1; i <= 4; ++i)
        for (int p = 0; p < inner.bottom - inner.top; ++p) {
            COLORREF c = p < 4 ? bar : p < 8 ? DarkenColor(i * 6 * (p - 3), bar) : DarkenColor(i * 30, bar);
            ::SetPixel(dc, inner.right + i - 1, inner.top + p, c);
        }
}

}  // namespace

void CStyleMenu::DrawMenuBarItem(LPDRAWITEMSTRUCT dis, const CString& label, UINT state, UINT prefix, int routine) {
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    BOOL grayed = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    BOOL pressed = (state & ODS_SELECTED) != 0;
    BOOL hot = (state & ODS_HOTLIGHT) != 0;
    BOOL inactive = (state & ODS_INACTIVE) != 0;
    m_menuBarRect = r;
    HWND window = ::WindowFromDC(dc);
    RECT wr;
    if (window && ::GetWindowRect(window, &wr)) OffsetRect(&m_menuBarRect, wr.left, wr.top);

    COLORREF barColour = routine == kDrawXP     ? m_colors[kColorMenuBar]
                         : routine == kDraw2003 ? GetThemeBarColor()
                                                : GetMenuBarColor(m_hMenu);
    RECT fill = r;
    if (routine == kDraw0) fill.right += 2;
    // Styles 6 and 2003 paint the menu's own background brush where it has one.
    BOOL brushed = (routine == kDraw6 && FillWithMenuBrush(dc, fill, m_hMenu, POINT{0, 0})) ||
                   (routine == kDraw2003 && FillWithMenuBrush(dc, fill, m_hMenu, FrameBrushOrigin(dc)));
    if (!brushed) FillSolid(dc, fill, barColour);

    COLORREF textColour = GetSysColor(COLOR_MENUTEXT);
    RECT textRect = r;
    switch (routine) {
        case kDraw0:
        case kDraw4:
            if (routine == kDraw4 && (hot || pressed)) {
                FillSolid(dc, r, GetSysColor(COLOR_HIGHLIGHT));
                textColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
            }
            if (pressed && routine == kDraw0) {
                Frame3d(dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
                OffsetRect(&textRect, 1, 1);
            } else if (hot && !inactive) {
                Frame3d(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
            }
            if (inactive || grayed) textColour = GetSysColor(COLOR_GRAYTEXT);
            break;
        case kDraw6: {
            COLORREF base = GetMenuBackColor(nullptr);
            if (hot || pressed) {
                FillGradient(dc, r, LightenColor(30, base), DarkenColor(30, base), FALSE, TRUE);
                COLORREF light = LightenColor(60, base), dark = DarkenColor(60, base);
                if (pressed)
                    Frame3d(dc, r, dark, light);
                else
                    Frame3d(dc, r, light, dark);
            }
            if (inactive) textColour = DarkenColor(100, base);
            break;
        }
        case kDrawXP:
        case kDraw2003: {
            RECT inner = r;
            inner.right -= 4;
            COLORREF pen = s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : DarkenColor(128, barColour);
            COLORREF hotPen = s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_HIGHLIGHT);
            if (hot && !pressed) {
                if (routine == kDrawXP) {
                    FillOutlined(dc, inner, m_colors[kColorSelFill], m_colors[kColorSelBorder]);
                } else {
                    if (GetScreenColorCount() <= 256)
                        FillSolid(dc, inner, GetWindowTint());
                    else
                        FillGradient(dc, inner, GetWindowTint(), Get2003Colors().hot, FALSE, TRUE);
                    OutlineRect(dc, inner, hotPen);
                }
            } else if (pressed) {
                if (routine == kDrawXP) {
                    FillOutlined(dc, inner, m_colors[kColorColumn], pen);
                } else {
                    FillGradient(dc, inner, GetWindowTint(), GetThemeBarColor(), FALSE, TRUE);
                    OutlineRect(dc, inner, pen);
                }
                PaintPressedShadow(dc, inner, barColour);
            }
            if (routine == kDrawXP)
                textColour = (grayed || inactive) ? 0x969696 : 0xC8C8C8;
            else if (grayed || inactive)
                textColour = GetScreenColorCount() <= 256 ? GetWindowTint() : GetSysColor(COLOR_GRAYTEXT);
            break;
        }
    }
    const CUniqueFont font(CreateMenuItemFont(state));
    CDcSelection useFont(dc, font.Get());
    int mode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldText = ::SetTextColor(dc, textColour);
    DrawMenuText(dc, label, -1, textRect, 0x25 | prefix);
    ::SetTextColor(dc, oldText);
    ::SetBkMode(dc, mode);
}
