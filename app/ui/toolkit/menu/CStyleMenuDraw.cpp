// CStyleMenu's item draw routines: one scheme (memory DC for popup items,
// menu-bar state, grayed selection, layout, icon or mark, text) with the
// fills and marks of each style family. Menu-bar items are drawn in
// CStyleMenuDrawBar.cpp, titles in CStyleMenuTitle.cpp.
#include "CStyleMenu.h"

#include "CMenuTheme.h"
#include "CStyleMemDC.h"
#include "CStyleMenuIcons.h"
#include "MenuColors.h"
#include "MenuPaint.h"
#include "common/UniqueGdi.h"

namespace {

BOOL FewColours() { return GetScreenColorCount() <= 256; }

struct Palette {
    COLORREF back;
    COLORREF column;
};

// Background and icon column per routine, with the clash rule of the flat styles.
Palette PopupPalette(int routine, const COLORREF* custom) {
    Palette p;
    switch (routine) {
        case kDrawXP:
            p.back = custom[CStyleMenu::kColorBack];
            p.column = FewColours() ? 0x00FF00 : custom[CStyleMenu::kColorColumn];
            if (NearestScreenColor(p.back) == NearestScreenColor(p.column)) {
                p.back = GetSysColor(COLOR_WINDOW);
                p.column = GetMenuBarColor(nullptr);
            }
            return p;
        case kDraw2003:
            p.back = MixColor86(GetWindowTint(), GetMenuBackColor(nullptr));
            p.column = GetThemeBarColor();
            if (NearestScreenColor(p.back) == NearestScreenColor(p.column)) p.back = GetWindowTint();
            return p;
        case kDraw6: p.back = p.column = GetMenuBackColor(nullptr); return p;
        default: p.back = p.column = GetSysColor(COLOR_MENU); return p;
    }
}

BOOL KeyboardCuesOn() {
    BOOL on = FALSE;
    return SystemParametersInfoW(0x100A, 0, &on, 0) && on;
}

// The gradient style's shades around its base colour (and high contrast's).
COLORREF Style6Light(COLORREF base) {
    return CStyleMenu::s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : LightenColor(60, base);
}
COLORREF Style6Dark(COLORREF base) {
    return CStyleMenu::s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : DarkenColor(60, base);
}
// Grayed text and disabled icons of the gradient style.
COLORREF Style6Disabled(COLORREF base) {
    return CStyleMenu::s_isHighContrast ? GetSysColor(COLOR_BTNSHADOW) : DarkenColor(70, DarkenColor(60, base));
}

// What one popup item looks like and where its parts go.
struct PopupItem {
    HDC dc;
    CDC* cdc;
    int routine;
    BOOL flat;
    BOOL grayed, selected, checked;
    UINT state;
    RECT item, column, text;
    int iconX, iconY;
    Palette palette;
    const COLORREF* custom;
    // The outline of selections, checks and keyboard frames in the flat styles.
    COLORREF pen;
};

void DrawIconFrame(const PopupItem& p, int iconWidth, int iconHeight) {
    if (p.flat) {
        if (!p.checked) return;
        RECT frame = p.column;
        InflateRect(&frame, -1, -1);
        if (p.column.left > p.item.left)
            frame.left += 1;
        else
            frame.right -= 1;
        COLORREF selFill = p.custom[CStyleMenu::kColorSelFill];
        COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        COLORREF fill = p.routine == kDrawXP ? (p.selected ? (FewColours() ? selFill : MixColor86(selFill, highlight))
                                                           : MixColor86(p.palette.column, highlight))
                                             : (p.selected ? Get2003Colors().pressed : Get2003Colors().checked);
        FillOutlined(p.dc, frame, fill, p.pen);
        return;
    }
    if (CStyleMenu::s_winVersion <= 1 || (!p.checked && !p.selected)) return;
    RECT f = {p.iconX - 2, p.iconY - 2, p.iconX + iconWidth + 2, p.iconY + iconHeight + 2};
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    if (p.routine == kDraw6) {
        light = Style6Light(p.palette.back);
        dark = Style6Dark(p.palette.back);
    }
    if (p.checked)
        Frame3d(p.dc, f, dark, light);
    else
        Frame3d(p.dc, f, light, dark);
}

void DrawItemIcon(const PopupItem& p, CStyleMenuIcons* icons, int index) {
    CImageList& images = icons->Images();
    HIMAGELIST list = images.GetSafeHandle();
    BOOL variants = CStyleMenu::s_useIconVariants != 0;
    if (p.grayed) {
        // Disabled: the store's disabled image, or a silhouette in the style's disabled colour.
        if (p.routine == kDraw0 || p.routine == kDraw4 || (p.flat && variants)) {
            ImageList_Draw(list, index + 2, p.dc, p.iconX, p.iconY, ILD_TRANSPARENT);
            return;
        }
        COLORREF colour = p.routine == kDraw6 ? Style6Disabled(p.palette.back) : DarkenColor(70, p.palette.column);
        const CUniqueIcon icon(images.ExtractIcon(index));
        DrawIconMono(p.dc, icon.Get(), p.iconX, p.iconY, colour);
        return;
    }
    if (p.flat && p.selected && !p.checked) {
        // Lifted: a shadow one pixel down-right, the image one up-left.
        const CUniqueIcon icon(images.ExtractIcon(index));
        DrawIconMono(p.dc, icon.Get(), p.iconX + 1, p.iconY + 1, ShadowColor(p.custom[CStyleMenu::kColorSelFill]));
        ImageList_Draw(list, index, p.dc, p.iconX - 1, p.iconY - 1, ILD_TRANSPARENT);
        return;
    }
    BOOL faded = p.flat && !p.selected && variants;
    ImageList_Draw(list, faded ? index + 1 : index, p.dc, p.iconX, p.iconY, ILD_TRANSPARENT);
}

// A check mark from the item's own check bitmaps, in the flat styles on a framed cell.
void DrawItemCheck(const PopupItem& p, HMENU menu, UINT command, int iconWidth, int iconHeight) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS;
    ::GetMenuItemInfoW(menu, command, FALSE, &info);
    if (!p.flat) {
        RECT mark = {p.iconX, p.iconY, p.iconX + iconWidth, p.iconY + iconHeight};
        DrawCheckMark(p.cdc, mark, info.hbmpChecked, info.hbmpUnchecked, p.state);
        return;
    }
    if (!p.checked && !info.hbmpUnchecked) return;
    RECT mark = p.column;
    InflateRect(&mark, -1, -1);
    COLORREF fill = p.routine == kDrawXP ? p.custom[CStyleMenu::kColorCheckBack]
                                         : (p.selected ? Get2003Colors().pressed : Get2003Colors().checked);
    FillOutlined(p.dc, mark, fill, p.pen);
    COLORREF oldText = ::SetTextColor(p.dc, GetSysColor(p.grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    BOOL bold = (p.state & ODS_DEFAULT) != 0;
    if (!p.checked)
        DrawCheckMark(p.cdc, mark, nullptr, info.hbmpUnchecked, p.state);
    else if (!info.hbmpChecked)
        DrawMarlettGlyph(p.cdc, mark, 98, bold);
    else if (!info.hbmpUnchecked)
        DrawMarlettGlyph(p.cdc, mark, 105, bold);
    else
        DrawCheckMark(p.cdc, mark, info.hbmpChecked, info.hbmpUnchecked, p.state);
    ::SetTextColor(p.dc, oldText);
}

void DrawSelection(const PopupItem& p, BOOL hasMark, BOOL keyboardFrame) {
    RECT selection = p.item;
    if (hasMark && p.column.left > p.item.left)
        selection.right = p.column.left;
    else if (hasMark)
        selection.left = p.column.right;
    if (p.selected) {
        switch (p.routine) {
            case kDraw0:
            case kDraw4: FillSolid(p.dc, selection, GetSysColor(COLOR_HIGHLIGHT)); break;
            case kDraw6: {
                COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
                FillGradient(p.dc, selection, LightenColor(30, h), DarkenColor(30, h), FALSE, TRUE);
                Frame3d(p.dc, selection, Style6Dark(p.palette.back), Style6Light(p.palette.back));
                break;
            }
            case kDrawXP: FillOutlined(p.dc, p.item, p.custom[CStyleMenu::kColorSelFill], p.pen); break;
            case kDraw2003: FillOutlined(p.dc, p.item, Get2003Colors().hot, p.pen); break;
        }
    } else if (keyboardFrame) {
        if (p.flat)
            FillOutlined(p.dc, p.item, p.palette.back, p.pen);
        else
            ::DrawFocusRect(p.dc, &p.item);
    }
}

COLORREF TextColour(const PopupItem& p) {
    switch (p.routine) {
        case kDraw4: return GetSysColor(p.grayed ? COLOR_GRAYTEXT : p.selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        case kDrawXP: return p.grayed ? 0x969696 : 0xC8C8C8;
        case kDraw2003:
            if (p.grayed) return GetSysColor(COLOR_GRAYTEXT);
            return GetSysColor(CStyleMenu::s_isHighContrast && !p.selected ? COLOR_WINDOWTEXT : COLOR_MENUTEXT);
    }
    if (!p.grayed) return GetSysColor(p.selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    if (p.selected) return p.palette.back;
    return p.routine == kDraw6 ? Style6Disabled(p.palette.back) : GetSysColor(COLOR_GRAYTEXT);
}

void DrawSeparator(HDC dc, const RECT& r, int routine, const Palette& p, BOOL rtl, int columnWidth) {
    if (routine == kDrawXP || routine == kDraw2003) {
        FillSolid(dc, r, p.back);
        RECT line = r;
        line.top = (r.top + r.bottom) / 2;
        line.bottom = line.top + 1;
        if (rtl)
            line.right -= columnWidth + 4;
        else
            line.left += columnWidth + 4;
        FillSolid(dc, line, GetSysColor(COLOR_GRAYTEXT));
        if (rtl)
            FillSolid(dc, RECT{r.right - columnWidth, r.top, r.right, r.bottom}, p.column);
        else
            FillSolid(dc, RECT{r.left, r.top, r.left + columnWidth, r.bottom}, p.column);
        return;
    }
    if (routine == kDraw6 && !CStyleMenu::s_isHighContrast)
        FillGradient(dc, r, LightenColor(30, p.back), DarkenColor(30, p.back), FALSE, TRUE);
    else
        FillSolid(dc, r, p.back);
    RECT edge = r;
    edge.top = (r.top + r.bottom) / 2;
    if (routine == kDraw6)
        InflateRect(&edge, -1, 0);
    else
        edge.left += 1;
    ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
}

}  // namespace

void CStyleMenu::DrawItemCommon(LPDRAWITEMSTRUCT dis, BOOL menuBar, int routine) {
    CStyleMenuItemData* data = reinterpret_cast<CStyleMenuItemData*>(dis->itemData);
    if (!data) return;
    UINT state = dis->itemState;
    BOOL idIsMenu = ::IsMenu(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(dis->itemID)));
    if (menuBar) {
        if (!idIsMenu && (state & 0x800))
            state = (state & ~(0x800 | ODS_SELECTED)) | ODS_HOTLIGHT;
        else if (!(state & 0x800) && (state & ODS_SELECTED) && m_openPopups == 0)
            state = (state & ~ODS_SELECTED) | ODS_HOTLIGHT;
    }
    BOOL keyboardFrame = FALSE;
    if ((state & ODS_GRAYED) && (state & ODS_SELECTED) && !s_selectDisabledItems) {
        state &= ~ODS_SELECTED;
        DWORD pos = GetMessagePos();
        if (pos == s_lastKeyDownPos)
            keyboardFrame = TRUE;
        else
            s_lastKeyDownPos = pos;
    }
    BOOL rtl = (data->flags & MFT_RIGHTORDER) != 0;
    int columnWidth = m_iconWidth + 8;
    if (data->flags & MF_SEPARATOR) {
        CStyleMenuItemDataTitle* title = DYNAMIC_DOWNCAST(CStyleMenuItemDataTitle, data);
        if (title && (title->titleFlags & kTitlePresent))
            DrawTitle(dis, menuBar);
        else
            DrawSeparator(dis->hDC, dis->rcItem, routine, PopupPalette(routine, m_colors), rtl, columnWidth);
        return;
    }

    CString text = data->GetString(TextAccelerators());
    CString label = text, accel;
    int tab = text.Find(L'\t');
    if (tab >= 0) {
        label = text.Left(tab);
        accel = text.Mid(tab + 1);
    }
    UINT prefix =
        ((state & ODS_NOACCEL) && routine != kDraw2003 && !(s_winVersion >= 6 && KeyboardCuesOn())) ? DT_HIDEPREFIX : 0;
    if (menuBar) {
        DrawMenuBarItem(dis, label, state, prefix, routine);
        return;
    }

    CStyleMemDC memory(dis->rcItem, dis->hDC);
    PopupItem p;
    p.dc = memory.m_hDC;
    p.cdc = &memory;
    p.routine = routine;
    p.flat = routine == kDrawXP || routine == kDraw2003;
    p.grayed = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    p.selected = (state & ODS_SELECTED) != 0;
    p.checked = (state & ODS_CHECKED) != 0;
    p.state = state;
    p.item = dis->rcItem;
    const RECT& r = p.item;
    p.column = rtl ? RECT{r.right - columnWidth, r.top, r.right, r.bottom}
                   : RECT{r.left, r.top, r.left + columnWidth, r.bottom};
    p.text = rtl ? RECT{r.left + 15, r.top, r.right - columnWidth - 4, r.bottom}
                 : RECT{r.left + columnWidth + 4, r.top, r.right - 15, r.bottom};
    p.iconX = (p.column.left + p.column.right - m_iconWidth) / 2;
    p.iconY = (r.top + r.bottom - m_iconHeight) / 2;
    p.palette = PopupPalette(routine, m_colors);
    p.custom = m_colors;
    if (routine == kDrawXP)
        p.pen = s_isHighContrast ? 0x0000FF : m_colors[kColorSelBorder];
    else
        p.pen = GetSysColor(s_isHighContrast ? COLOR_BTNTEXT : COLOR_HIGHLIGHT);

    BOOL hasIcon = data->icons && data->iconIndex >= 0;
    UINT command = static_cast<UINT>(data->id);
    BOOL systemCommand = command >= 0xF000 && command <= 0xF150;

    // Background and column.
    if (routine == kDraw6 && !s_isHighContrast)
        FillGradient(p.dc, r, LightenColor(30, p.palette.back), DarkenColor(30, p.palette.back), FALSE, TRUE);
    else
        FillSolid(p.dc, r, p.palette.back);
    if (routine == kDrawXP)
        FillSolid(p.dc, p.column, p.palette.column);
    else if (routine == kDraw2003)
        FillGradient(p.dc, p.column, rtl ? p.palette.column : p.palette.back, rtl ? p.palette.back : p.palette.column,
                     TRUE, FALSE);
    DrawSelection(p, hasIcon || p.checked || systemCommand, keyboardFrame);

    // Icon, check images, system glyph or check mark.
    if (hasIcon) {
        DrawIconFrame(p, m_iconWidth, m_iconHeight);
        DrawItemIcon(p, data->icons, data->iconIndex);
    } else if (p.checked && m_checkImages && m_checkNormalId > 0) {
        ImageList_Draw(m_checkImages->GetSafeHandle(), p.selected ? 1 : 0, p.dc, p.iconX, p.iconY, ILD_TRANSPARENT);
    } else if (systemCommand) {
        RECT g = p.column;
        g.top = p.iconY;
        g.bottom = g.top + m_iconHeight;
        COLORREF c = GetSysColor(p.grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
        if (p.selected && !p.grayed && p.flat) {
            RECT shadow = g;
            OffsetRect(&shadow, 1, 1);
            DrawSystemCommandGlyph(&memory, shadow, command, ShadowColor(GetSelectionColor()));
            OffsetRect(&g, -1, -1);
        }
        DrawSystemCommandGlyph(&memory, g, command, c);
    } else {
        DrawItemCheck(p, m_hMenu, command, m_iconWidth, m_iconHeight);
    }

    // Text.
    const CUniqueFont font(CreateMenuItemFont(state));
    CDcSelection useFont(p.dc, font.Get());
    int mode = ::SetBkMode(p.dc, TRANSPARENT);
    UINT labelFlags = (rtl ? 0x20026 : 0x24) | prefix;
    UINT accelFlags = (rtl ? 0x24 : 0x26) | prefix;
    RECT textRect = p.text;
    if (p.grayed && !p.selected && routine == kDraw0) {
        // Embossed: a highlight copy one pixel down-right under the gray text.
        RECT shifted = textRect;
        OffsetRect(&shifted, 1, 1);
        ::SetTextColor(p.dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(p.dc, label, label.GetLength(), &shifted, labelFlags);
        if (!accel.IsEmpty()) ::DrawTextW(p.dc, accel, accel.GetLength(), &shifted, accelFlags);
    }
    ::SetTextColor(p.dc, TextColour(p));
    ::DrawTextW(p.dc, label, label.GetLength(), &textRect, labelFlags);
    if (!accel.IsEmpty()) ::DrawTextW(p.dc, accel, accel.GetLength(), &textRect, accelFlags);
    ::SetBkMode(p.dc, mode);
}

void CStyleMenu::DrawItemStyle0(LPDRAWITEMSTRUCT dis, BOOL menuBar) { DrawItemCommon(dis, menuBar, kDraw0); }

void CStyleMenu::DrawItemStyle4(LPDRAWITEMSTRUCT dis, BOOL menuBar) {
    DrawItemCommon(dis, menuBar, menuBar ? kDraw4 : kDraw0);
}

void CStyleMenu::DrawItemStyle6(LPDRAWITEMSTRUCT dis, BOOL menuBar) { DrawItemCommon(dis, menuBar, kDraw6); }
void CStyleMenu::DrawItemXP(LPDRAWITEMSTRUCT dis, BOOL menuBar) { DrawItemCommon(dis, menuBar, kDrawXP); }
void CStyleMenu::DrawItem2003(LPDRAWITEMSTRUCT dis, BOOL menuBar) { DrawItemCommon(dis, menuBar, kDraw2003); }
