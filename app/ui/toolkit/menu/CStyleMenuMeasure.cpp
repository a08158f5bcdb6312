// CStyleMenu's measure routines: titles and separators alike in all styles,
// normal items per style family.
#include "CStyleMenu.h"

#include "CStyleMenuIcons.h"
#include "common/UniqueGdi.h"

namespace {

enum { kStyle0, kStyle6, kStyleXP };

SIZE TextSize(const CString& text, const LOGFONTW& lf) {
    const CBorrowedDC screen(nullptr);
    const CUniqueFont font(::CreateFontIndirectW(&lf));
    CDcSelection useFont(screen.Get(), font.Get());
    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(screen.Get(), text, text.GetLength(), &size);
    if (text.IsEmpty()) {
        TEXTMETRICW tm;
        ::GetTextMetricsW(screen.Get(), &tm);
        size.cy = tm.tmHeight;
    }
    return size;
}

}  // namespace

void CStyleMenu::MeasureTitle(LPMEASUREITEMSTRUCT mis, CStyleMenuItemDataTitle* title) {
    LOGFONTW lf = s_menuLogFont;
    lf.lfEscapement = lf.lfOrientation = 0;
    SIZE text = TextSize(title->GetString(TextAccelerators()), lf);
    SIZE icon = {0, 0};
    if (title->icons && title->iconIndex != -1) {
        CSize s = title->icons->GetIconSize();
        icon = SIZE{s.cx, s.cy};
    }
    if (icon.cx || icon.cy) {
        icon.cx += 2;
        icon.cy += 2;
    }
    if (title->titleFlags & kTitleVertical) {
        int width = icon.cx > text.cy ? icon.cx : text.cy;
        if (!s_isWine) width -= GetSystemMetrics(SM_CXMENUCHECK);
        if (title->titleFlags & kTitleLines)
            width += 8;
        else if (title->titleFlags & kTitleRounded)
            width += 4;
        // Never a negative width for Windows to read as a huge one.
        mis->itemWidth = width > 0 ? static_cast<UINT>(width) : 0;
        mis->itemHeight = 0;
        return;
    }
    mis->itemWidth = static_cast<UINT>(text.cx + icon.cx);
    int height = icon.cy > text.cy ? icon.cy : text.cy;
    if (title->titleFlags & kTitleLines) height += 8;
    mis->itemHeight = static_cast<UINT>(height);
}

void CStyleMenu::MeasureCommon(LPMEASUREITEMSTRUCT mis, BOOL menuBar, int style, BOOL neighbour) {
    CStyleMenuItemData* data = reinterpret_cast<CStyleMenuItemData*>(mis->itemData);
    if (!data) return;
    if (data->flags & MF_SEPARATOR) {
        CStyleMenuItemDataTitle* title = DYNAMIC_DOWNCAST(CStyleMenuItemDataTitle, data);
        if (title && (title->titleFlags & kTitlePresent)) {
            MeasureTitle(mis, title);
        } else {
            mis->itemWidth = 3;
            mis->itemHeight = 3;
        }
        return;
    }
    CString text = data->GetString(TextAccelerators());
    if (style != kStyle0) text.Replace(L"\t", L"nnn");
    LOGFONTW lf = GetMenuLogFont();
    if (m_hMenu && data->id && ::GetMenuDefaultItem(m_hMenu, FALSE, 0) == static_cast<UINT>(data->id))
        lf.lfWeight = 700;
    SIZE size = TextSize(text, lf);
    BOOL hasAmpersand = text.Find(L'&') >= 0;
    int cyMenu = GetSystemMetrics(SM_CYMENU), cxCheck = GetSystemMetrics(SM_CXMENUCHECK);
    int width, height;
    if (style == kStyleXP) {
        if (menuBar) {
            width = hasAmpersand ? size.cx - 6 : size.cx;
            height = cyMenu > m_iconHeight + 2 ? cyMenu : m_iconHeight + 2;
        } else {
            width = m_iconWidth + size.cx + ((data->flags & MF_POPUP) ? cyMenu : cyMenu / 2) + 6;
            height = cyMenu > m_iconHeight + 8 ? cyMenu : m_iconHeight + 7;
        }
    } else {
        width = menuBar ? (hasAmpersand ? size.cx - cxCheck / 2 : size.cx) : size.cx + 2 * m_iconWidth + 2;
        int iconRoom = m_iconHeight + (style == kStyle6 ? 6 : 4);
        height = cyMenu > iconRoom ? cyMenu : iconRoom;
    }
    if (height < size.cy) height = size.cy;
    mis->itemWidth = width > 0 ? static_cast<UINT>(width) : 0;
    mis->itemHeight = static_cast<UINT>(height);
    UINT command = static_cast<UINT>(data->id) & 0xFFF0;
    if (neighbour || command < 0xF000 || command > 0xF150) return;
    // A system command is as wide as the next command item, and exactly a menu high.
    for (INT_PTR i = 0; i + 1 < m_items.GetSize(); ++i) {
        if (m_items[i] != data) continue;
        for (INT_PTR k = i + 1; k < m_items.GetSize(); ++k) {
            if (!m_items[k]->id) continue;
            // Measured as itself (its accelerator names, bold when default).
            MEASUREITEMSTRUCT next = *mis;
            next.itemID = static_cast<UINT>(m_items[k]->id);
            next.itemData = reinterpret_cast<ULONG_PTR>(m_items[k]);
            MeasureCommon(&next, menuBar, style, TRUE);
            if (next.itemWidth > mis->itemWidth) mis->itemWidth = next.itemWidth;
            break;
        }
        break;
    }
    mis->itemHeight = static_cast<UINT>(cyMenu);
}

void CStyleMenu::MeasureItemStyle0(LPMEASUREITEMSTRUCT mis, BOOL menuBar) { MeasureCommon(mis, menuBar, kStyle0); }
void CStyleMenu::MeasureItemStyle6(LPMEASUREITEMSTRUCT mis, BOOL menuBar) { MeasureCommon(mis, menuBar, kStyle6); }
void CStyleMenu::MeasureItemXP(LPMEASUREITEMSTRUCT mis, BOOL menuBar) { MeasureCommon(mis, menuBar, kStyleXP); }
