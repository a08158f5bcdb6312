// CStyleMenu's item draw routines: one scheme (memory DC for popup items,
// menu-bar state, grayed selection, layout, icon or mark, text) with the
// fills and marks of each style family, and the shared title routine.
#include "CStyleMenu.h"

#include "CMenuTheme.h"
#include "CStyleMemDC.h"
#include "CStyleMenuIcons.h"
#include "MenuColors.h"
#include "MenuPaint.h"

namespace {

enum Routine { kDraw0, kDraw4, kDraw6, kDrawXP, kDraw2003 };

const COLORREF kHot2003 = 0xC2EEFF;
const COLORREF kChecked2003 = 0x6FC0FF;
const COLORREF kPressed2003 = 0x3E80FE;

void Fill(HDC dc, const RECT& r, COLORREF c) {
    COLORREF old = SetBkColor(dc, c);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// A rectangle filled with fill and outlined in a 1-pixel pen; GDI objects freed.
void FillOutlined(HDC dc, const RECT& r, COLORREF fill, COLORREF outline) {
    HPEN pen = CreatePen(PS_SOLID, 1, outline);
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void Outline(HDC dc, const RECT& r, COLORREF outline) {
    HPEN pen = CreatePen(PS_SOLID, 1, outline);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
}

void Frame3d(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    CDC::FromHandle(dc)->Draw3dRect(&r, topLeft, bottomRight);
}

BOOL FewColours() { return GetScreenColorCount() <= 256; }

COLORREF WindowTint() { return DarkenColor(10, GetSysColor(COLOR_WINDOW)); }

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
        p.back = MixColor86(WindowTint(), GetMenuBackColor(nullptr));
        p.column = GetThemeBarColor();
        if (NearestScreenColor(p.back) == NearestScreenColor(p.column)) {
            p.back = WindowTint();
            p.column = GetThemeBarColor();
        }
        return p;
    case kDraw6:
        p.back = p.column = GetMenuBackColor(nullptr);
        return p;
    default:
        p.back = p.column = GetSysColor(COLOR_MENU);
        return p;
    }
}

HFONT ItemFont(UINT state) {
    LOGFONTW lf = GetMenuLogFont();
    if (state & ODS_DEFAULT) lf.lfWeight = 700;
    if (state & 0x8000) lf.lfEscapement = lf.lfOrientation = -900;
    return CreateFontIndirectW(&lf);
}

BOOL KeyboardCuesOn() {
    BOOL on = FALSE;
    return SystemParametersInfoW(0x100A, 0, &on, 0) && on;
}

} // namespace

void CStyleMenu::DrawItemCommon(LPDRAWITEMSTRUCT dis, BOOL menuBar, int routine) {
    CStyleMenuItemData* data = reinterpret_cast<CStyleMenuItemData*>(dis->itemData);
    if (!data) return;
    UINT state = dis->itemState;
    BOOL idIsMenu = ::IsMenu(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(dis->itemID)));
    if (menuBar) {
        if (!idIsMenu && (state & 0x800)) state = (state & ~(0x800 | ODS_SELECTED)) | ODS_HOTLIGHT;
        else if (!(state & 0x800) && (state & ODS_SELECTED) && m_openPopups == 0)
            state = (state & ~ODS_SELECTED) | ODS_HOTLIGHT;
    }
    BOOL keyboardFrame = FALSE;
    if ((state & ODS_GRAYED) && (state & ODS_SELECTED) && !s_selectDisabledItems) {
        state &= ~ODS_SELECTED;
        DWORD pos = GetMessagePos();
        if (pos == s_lastKeyDownPos) keyboardFrame = TRUE;
        else s_lastKeyDownPos = pos;
    }
    if (data->flags & MF_SEPARATOR) {
        CStyleMenuItemDataTitle* title = DYNAMIC_DOWNCAST(CStyleMenuItemDataTitle, data);
        if (title && (title->titleFlags & kTitlePresent)) {
            DrawTitle(dis, menuBar);
            return;
        }
        HDC dc = dis->hDC;
        RECT r = dis->rcItem;
        Palette p = PopupPalette(routine, m_colors);
        if (routine == kDrawXP || routine == kDraw2003) {
            Fill(dc, r, p.back);
            BOOL rtl = (data->flags & MFT_RIGHTORDER) != 0;
            int column = m_iconWidth + 8;
            RECT line = r;
            line.top = line.bottom = (r.top + r.bottom) / 2;
            line.bottom += 1;
            if (rtl) line.right -= column + 4;
            else line.left += column + 4;
            Fill(dc, line, GetSysColor(COLOR_GRAYTEXT));
            if (rtl) Fill(dc, RECT{r.right - column, r.top, r.right, r.bottom}, p.column);
            else Fill(dc, RECT{r.left, r.top, r.left + column, r.bottom}, p.column);
        } else {
            if (routine == kDraw6 && !s_isHighContrast)
                FillGradient(dc, r, LightenColor(30, p.back), DarkenColor(30, p.back), FALSE, TRUE);
            else Fill(dc, r, p.back);
            RECT edge = r;
            edge.top = (r.top + r.bottom) / 2;
            if (routine == kDraw6) InflateRect(&edge, -1, 0);
            else edge.left += 1;
            ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);
        }
        return;
    }

    CString text = data->GetString(TextAccelerators());
    CString label = text, accel;
    int tab = text.Find(L'\t');
    if (tab >= 0) {
        label = text.Left(tab);
        accel = text.Mid(tab + 1);
    }
    UINT prefix = ((state & ODS_NOACCEL) && routine != kDraw2003 && !(s_winVersion >= 6 && KeyboardCuesOn()))
                      ? DT_HIDEPREFIX
                      : 0;
    BOOL grayed = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    BOOL selected = (state & ODS_SELECTED) != 0;
    BOOL hot = (state & ODS_HOTLIGHT) != 0;
    BOOL inactive = (state & ODS_INACTIVE) != 0;
    HFONT font = ItemFont(state);

    if (menuBar) {
        HDC dc = dis->hDC;
        RECT r = dis->rcItem;
        m_menuBarRect = r;
        HWND window = ::WindowFromDC(dc);
        RECT wr;
        if (window && ::GetWindowRect(window, &wr)) OffsetRect(&m_menuBarRect, wr.left, wr.top);
        COLORREF barColour = routine == kDrawXP ? m_colors[kColorMenuBar]
                             : routine == kDraw2003 ? GetThemeBarColor()
                                                    : GetMenuBarColor(m_hMenu);
        RECT fill = r;
        if (routine == kDraw0) fill.right += 2;
        Fill(dc, fill, barColour);
        COLORREF textColour = GetSysColor(COLOR_MENUTEXT);
        RECT textRect = r;
        BOOL pressed = selected;
        switch (routine) {
        case kDraw0:
        case kDraw4:
            if (routine == kDraw4 && (hot || pressed)) {
                Fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
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
                if (pressed) Frame3d(dc, r, dark, light);
                else Frame3d(dc, r, light, dark);
            }
            if (inactive) textColour = DarkenColor(100, base);
            break;
        }
        case kDrawXP:
        case kDraw2003: {
            RECT inner = r;
            inner.right -= 4;
            COLORREF pen = s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : DarkenColor(128, barColour);
            if (hot && !pressed) {
                if (routine == kDrawXP) FillOutlined(dc, inner, m_colors[kColorSelFill], m_colors[kColorSelBorder]);
                else {
                    if (FewColours()) Fill(dc, inner, WindowTint());
                    else FillGradient(dc, inner, WindowTint(), kHot2003, FALSE, TRUE);
                    Outline(dc, inner, s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_HIGHLIGHT));
                }
            } else if (pressed) {
                if (routine == kDrawXP) FillOutlined(dc, inner, m_colors[kColorColumn], pen);
                else {
                    FillGradient(dc, inner, WindowTint(), GetThemeBarColor(), FALSE, TRUE);
                    Outline(dc, inner, pen);
                }
                if (!FewColours()) {
                    for (int i = 1; i <= 4; ++i)
                        for (int p = 0; p < inner.bottom - inner.top; ++p) {
                            COLORREF c = p < 4 ? barColour
                                         : p < 8 ? DarkenColor(i * 6 * (p - 3), barColour)
                                                 : DarkenColor(i * 30, barColour);
                            ::SetPixel(dc, inner.right + i - 1, inner.top + p, c);
                        }
                } else {
                    RECT shade = {inner.right, inner.top + 4, inner.right + 2, inner.bottom};
                    Fill(dc, shade, GetSysColor(COLOR_BTNSHADOW));
                }
            }
            textColour = routine == kDrawXP ? ((grayed || inactive) ? 0x969696 : 0xC8C8C8)
                                            : ((grayed || inactive) ? GetSysColor(COLOR_GRAYTEXT)
                                                                    : GetSysColor(COLOR_MENUTEXT));
            break;
        }
        }
        HGDIOBJ oldFont = ::SelectObject(dc, font);
        int mode = ::SetBkMode(dc, TRANSPARENT);
        COLORREF oldText = ::SetTextColor(dc, textColour);
        DrawMenuText(dc, label, -1, textRect, 0x25 | prefix);
        ::SetTextColor(dc, oldText);
        ::SetBkMode(dc, mode);
        ::SelectObject(dc, oldFont);
        ::DeleteObject(font);
        return;
    }

    CStyleMemDC memory(dis->rcItem, dis->hDC);
    HDC dc = memory.m_hDC;
    RECT r = dis->rcItem;
    Palette p = PopupPalette(routine, m_colors);
    BOOL rtl = (data->flags & MFT_RIGHTORDER) != 0;
    int columnWidth = m_iconWidth + 8;
    RECT column = rtl ? RECT{r.right - columnWidth, r.top, r.right, r.bottom}
                      : RECT{r.left, r.top, r.left + columnWidth, r.bottom};
    RECT textRect = r;
    if (rtl) {
        textRect.right -= columnWidth + 4;
        textRect.left += 15;
    } else {
        textRect.left += columnWidth + 4;
        textRect.right -= 15;
    }
    BOOL hasIcon = data->icons && data->iconIndex >= 0;
    UINT command = static_cast<UINT>(data->id);
    BOOL systemCommand = command >= 0xF000 && command <= 0xF150;
    BOOL hasMark = hasIcon || (state & ODS_CHECKED) || systemCommand;

    // Background and column.
    if (routine == kDraw6 && !s_isHighContrast)
        FillGradient(dc, r, LightenColor(30, p.back), DarkenColor(30, p.back), FALSE, TRUE);
    else Fill(dc, r, p.back);
    if (routine == kDrawXP) Fill(dc, column, p.column);
    else if (routine == kDraw2003) FillGradient(dc, column, rtl ? p.column : p.back, rtl ? p.back : p.column, TRUE, FALSE);

    // Selection or keyboard frame.
    RECT selection = hasMark ? textRect : r;
    if (!hasMark) selection = r;
    else if (rtl) selection.right = column.left;
    else selection.left = column.right;
    if (selected) {
        switch (routine) {
        case kDraw0:
        case kDraw4: Fill(dc, selection, GetSysColor(COLOR_HIGHLIGHT)); break;
        case kDraw6: {
            COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
            FillGradient(dc, selection, LightenColor(30, h), DarkenColor(30, h), FALSE, TRUE);
            COLORREF base = GetMenuBackColor(nullptr);
            COLORREF a = s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : DarkenColor(60, base);
            COLORREF b = s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : LightenColor(60, base);
            Frame3d(dc, selection, a, b);
            break;
        }
        case kDrawXP:
            FillOutlined(dc, r, m_colors[kColorSelFill], s_isHighContrast ? 0x0000FF : m_colors[kColorSelBorder]);
            break;
        case kDraw2003:
            FillOutlined(dc, r, kHot2003, s_isHighContrast ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_HIGHLIGHT));
            break;
        }
    } else if (keyboardFrame) {
        if (routine == kDrawXP || routine == kDraw2003) FillOutlined(dc, r, p.back, m_colors[kColorSelBorder]);
        else ::DrawFocusRect(dc, &r);
    }

    // Icon, check images, system glyph or check mark.
    int iconX = (column.left + column.right - m_iconWidth) / 2;
    int iconY = (r.top + r.bottom - m_iconHeight) / 2;
    BOOL flat = routine == kDrawXP || routine == kDraw2003;
    if (hasIcon) {
        RECT iconFrame = column;
        InflateRect(&iconFrame, -1, -1);
        if (rtl) iconFrame.left += 1;
        else iconFrame.right -= 1;
        if (flat && (state & ODS_CHECKED)) {
            COLORREF fill = routine == kDrawXP
                                ? (selected ? (FewColours() ? m_colors[kColorSelFill]
                                                            : MixColor86(m_colors[kColorSelFill], GetSysColor(COLOR_HIGHLIGHT)))
                                            : MixColor86(p.column, GetSysColor(COLOR_HIGHLIGHT)))
                                : (selected ? kPressed2003 : kChecked2003);
            FillOutlined(dc, iconFrame, fill, routine == kDrawXP ? m_colors[kColorSelBorder] : GetSysColor(COLOR_HIGHLIGHT));
        } else if (!flat && s_winVersion > 1 && ((state & ODS_CHECKED) || selected)) {
            RECT f = {iconX - 2, iconY - 2, iconX + m_iconWidth + 2, iconY + m_iconHeight + 2};
            if (state & ODS_CHECKED) Frame3d(dc, f, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
            else Frame3d(dc, f, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        }
        CImageList& images = data->icons->Images();
        int index = data->iconIndex;
        if (grayed && (!flat || s_useIconVariants)) index += 2;
        else if (flat && !selected && s_useIconVariants) index += 1;
        if (flat && selected && !grayed && !(state & ODS_CHECKED)) {
            HICON icon = images.ExtractIcon(data->iconIndex);
            HBRUSH shadow = ::CreateSolidBrush(ShadowColor(m_colors[kColorSelFill]));
            ::DrawStateW(dc, shadow, nullptr, reinterpret_cast<LPARAM>(icon), 0, iconX + 1, iconY + 1, 0, 0,
                         DST_ICON | DSS_MONO);
            ::DeleteObject(shadow);
            if (icon) ::DestroyIcon(icon);
            ImageList_Draw(images.GetSafeHandle(), data->iconIndex, dc, iconX - 1, iconY - 1, ILD_TRANSPARENT);
        } else {
            ImageList_Draw(images.GetSafeHandle(), index, dc, iconX, iconY, ILD_TRANSPARENT);
        }
    } else if ((state & ODS_CHECKED) && m_checkImages && m_checkNormalId > 0) {
        ImageList_Draw(m_checkImages->GetSafeHandle(), selected ? 1 : 0, dc, iconX, iconY, ILD_TRANSPARENT);
    } else if (systemCommand) {
        RECT g = column;
        g.top = (r.top + r.bottom - m_iconHeight) / 2;
        g.bottom = g.top + m_iconHeight;
        COLORREF c = grayed ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_MENUTEXT);
        if (selected && !grayed && flat) {
            RECT shadow = g;
            OffsetRect(&shadow, 1, 1);
            DrawSystemCommandGlyph(&memory, shadow, command, ShadowColor(GetSelectionColor()));
            OffsetRect(&g, -1, -1);
        }
        DrawSystemCommandGlyph(&memory, g, command, c);
    } else {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_CHECKMARKS;
        ::GetMenuItemInfoW(m_hMenu, command, FALSE, &info);
        if (flat && ((state & ODS_CHECKED) || info.hbmpUnchecked)) {
            RECT mark = column;
            InflateRect(&mark, -1, -1);
            COLORREF fill = routine == kDrawXP ? m_colors[kColorCheckBack] : (selected ? kPressed2003 : kChecked2003);
            FillOutlined(dc, mark, fill, routine == kDrawXP ? m_colors[kColorSelBorder] : GetSysColor(COLOR_HIGHLIGHT));
            COLORREF oldText = ::SetTextColor(dc, grayed ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_MENUTEXT));
            if (state & ODS_CHECKED) {
                if (!info.hbmpChecked) DrawMarlettGlyph(&memory, mark, 98, (state & ODS_DEFAULT) != 0);
                else if (!info.hbmpUnchecked) DrawMarlettGlyph(&memory, mark, 105, (state & ODS_DEFAULT) != 0);
                else DrawCheckMark(&memory, mark, info.hbmpChecked, info.hbmpUnchecked, state);
            } else {
                DrawCheckMark(&memory, mark, nullptr, info.hbmpUnchecked, state);
            }
            ::SetTextColor(dc, oldText);
        } else if (!flat) {
            RECT mark = {iconX, iconY, iconX + m_iconWidth, iconY + m_iconHeight};
            DrawCheckMark(&memory, mark, info.hbmpChecked, info.hbmpUnchecked, state);
        }
    }

    // Text.
    COLORREF textColour;
    switch (routine) {
    case kDraw4:
        textColour = GetSysColor(grayed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        break;
    case kDrawXP: textColour = grayed ? 0x969696 : 0xC8C8C8; break;
    case kDraw2003:
        textColour = grayed ? GetSysColor(COLOR_GRAYTEXT)
                            : GetSysColor(s_isHighContrast && !selected ? COLOR_WINDOWTEXT : COLOR_MENUTEXT);
        break;
    default:
        if (grayed) textColour = selected ? p.back : GetSysColor(COLOR_GRAYTEXT);
        else textColour = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        break;
    }
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    int mode = ::SetBkMode(dc, TRANSPARENT);
    UINT labelFlags = (rtl ? 0x20026 : 0x24) | prefix;
    UINT accelFlags = (rtl ? 0x24 : 0x26) | prefix;
    if (grayed && !selected && routine == kDraw0) {
        // Embossed: a highlight copy one pixel down-right under the gray text.
        RECT shifted = textRect;
        OffsetRect(&shifted, 1, 1);
        ::SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(dc, label, label.GetLength(), &shifted, labelFlags);
        if (!accel.IsEmpty()) ::DrawTextW(dc, accel, accel.GetLength(), &shifted, accelFlags);
    }
    ::SetTextColor(dc, textColour);
    ::DrawTextW(dc, label, label.GetLength(), &textRect, labelFlags);
    if (!accel.IsEmpty()) ::DrawTextW(dc, accel, accel.GetLength(), &textRect, accelFlags);
    ::SetBkMode(dc, mode);
    ::SelectObject(dc, oldFont);
    ::DeleteObject(font);
}

void CStyleMenu::DrawItemStyle0(LPDRAWITEMSTRUCT dis, BOOL menuBar) { DrawItemCommon(dis, menuBar, kDraw0); }

void CStyleMenu::DrawItemStyle4(LPDRAWITEMSTRUCT dis, BOOL menuBar) {
    DrawItemCommon(dis, menuBar, menuBar ? kDraw4 : kDraw0);
}

void CStyleMenu::DrawItemStyle6(LPDRAWITEMSTRUCT dis, BOOL menuBar) { DrawItemCommon(dis, menuBar, kDraw6); }
void CStyleMenu::DrawItemXP(LPDRAWITEMSTRUCT dis, BOOL menuBar) { DrawItemCommon(dis, menuBar, kDrawXP); }
void CStyleMenu::DrawItem2003(LPDRAWITEMSTRUCT dis, BOOL menuBar) { DrawItemCommon(dis, menuBar, kDraw2003); }

void CStyleMenu::DrawMenuTitle(LPDRAWITEMSTRUCT dis, BOOL) {
    CStyleMenuItemDataTitle* title = DYNAMIC_DOWNCAST(CStyleMenuItemDataTitle,
                                                      reinterpret_cast<CStyleMenuItemData*>(dis->itemData));
    if (!title) return;
    HDC dc = dis->hDC;
    COLORREF back = GetSysColor(COLOR_ACTIVECAPTION);
    COLORREF gradient = MixColor86(GetSysColor(COLOR_WINDOW), GetMenuBackColor(nullptr));
    COLORREF text = GetSysColor(COLOR_CAPTIONTEXT);
    if (title->backColor != CLR_DEFAULT) back = title->backColor;
    if (title->gradientColor != CLR_DEFAULT) gradient = title->gradientColor;
    if (title->textColor != CLR_DEFAULT) text = title->textColor;
    SIZE icon = {0, 0};
    BOOL hasIcon = title->icons && title->iconIndex >= 0;
    if (hasIcon) {
        CSize s = title->icons->GetIconSize();
        icon = SIZE{s.cx + 4, s.cy + 4};
    }
    RECT client;
    HWND window = ::WindowFromDC(dc);
    if (!window || !::GetClientRect(window, &client)) ::GetClipBox(dc, &client);
    BOOL vertical = (title->titleFlags & kTitleVertical) != 0;
    RECT r = dis->rcItem;
    LOGFONTW lf = s_menuLogFont;
    lf.lfEscapement = lf.lfOrientation = vertical ? 900 : 0;
    HFONT font = ::CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    CString caption = title->GetString(TextAccelerators());
    SIZE extent = {0, 0};
    ::GetTextExtentPoint32W(dc, caption, caption.GetLength(), &extent);
    POINT start;
    if (vertical) {
        r.top = client.top;
        r.bottom = client.bottom;
        r.right += GetSystemMetrics(SM_CXMENUCHECK);
        start = POINT{r.left + 2, r.bottom - icon.cy - 4};
    } else {
        start = POINT{r.left + icon.cx + 2, r.top};
    }
    if (title->titleFlags & kTitleGradient) {
        if (vertical) FillGradient(dc, r, gradient, back, FALSE, FALSE);
        else FillGradient(dc, r, back, gradient, TRUE, FALSE);
    } else if (title->titleFlags & kTitleRounded) {
        Fill(dc, r, GetMenuBackColor(nullptr));
        RECT round = r;
        if (vertical) {
            round.right = round.left + extent.cy + 4;
            start.y -= 2;
        } else {
            int free = (r.right - r.left) - extent.cx - icon.cx;
            start.x += free / 2 < 10 ? free / 2 : 10;
        }
        HBRUSH brush = ::CreateSolidBrush(back);
        HGDIOBJ oldBrush = ::SelectObject(dc, brush);
        HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(WHITE_PEN));
        ::RoundRect(dc, round.left, round.top, round.right, round.bottom, 10, 10);
        ::SelectObject(dc, oldPen);
        ::SelectObject(dc, oldBrush);
        ::DeleteObject(brush);
    } else {
        Fill(dc, r, back);
    }
    if (title->titleFlags & kTitleFrame) Frame3d(dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    if (title->titleFlags & kTitleCentred) {
        if (vertical) start.y = (r.top + r.bottom + extent.cx + icon.cy) / 2;
        else start.x = (r.left + r.right - extent.cx + icon.cx) / 2;
    }
    int mode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldText = ::SetTextColor(dc, text);
    ::TextOutW(dc, start.x, start.y, caption, caption.GetLength());
    ::SetTextColor(dc, oldText);
    ::SetBkMode(dc, mode);
    if (hasIcon) {
        HICON handle = title->icons->Images().ExtractIcon(title->iconIndex);
        int x = vertical ? start.x : start.x - icon.cx;
        int y = vertical ? start.y + 2 : start.y + 2;
        if (handle) {
            ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(handle), 0, x, y, 0, 0, DST_ICON);
            ::DestroyIcon(handle);
        }
    }
    if (title->titleFlags & kTitleLines) {
        COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), lo = GetSysColor(COLOR_BTNSHADOW);
        if (vertical) {
            Frame3d(dc, RECT{r.left + 20, r.top + 5, r.left + 22, r.bottom - 5}, lo, hi);
            Frame3d(dc, RECT{r.left + 23, r.top + 15, r.left + 25, r.bottom - 15}, lo, hi);
        } else {
            Frame3d(dc, RECT{r.left + 2, r.bottom - 7, r.right - 2, r.bottom - 5}, hi, lo);
            Frame3d(dc, RECT{r.left + 12, r.bottom - 4, r.right - 12, r.bottom - 2}, lo, hi);
        }
    }
    ::SelectObject(dc, oldFont);
    ::DeleteObject(font);
}
