// CStyleMenu's title routine, shared by every style: a solid, gradient or
// rounded caption bar, horizontal or running up the left edge, with its
// frame, icon and decoration lines.
#include "CStyleMenu.h"

#include "CMenuTheme.h"
#include "CStyleMenuIcons.h"
#include "MenuColors.h"
#include "MenuPaint.h"
#include "common/UniqueGdi.h"

void CStyleMenu::DrawMenuTitle(LPDRAWITEMSTRUCT dis, BOOL) {
    CStyleMenuItemDataTitle* title =
        DYNAMIC_DOWNCAST(CStyleMenuItemDataTitle, reinterpret_cast<CStyleMenuItemData*>(dis->itemData));
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
    const CUniqueFont font(::CreateFontIndirectW(&lf));
    CDcSelection useFont(dc, font.Get());
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
        if (vertical)
            FillGradient(dc, r, gradient, back, FALSE, FALSE);
        else
            FillGradient(dc, r, back, gradient, TRUE, FALSE);
    } else if (title->titleFlags & kTitleRounded) {
        FillSolid(dc, r, GetMenuBackColor(nullptr));
        RECT round = r;
        if (vertical) {
            round.right = round.left + extent.cy + 4;
            start.y -= 2;
        } else {
            int free = (r.right - r.left) - extent.cx - icon.cx;
            start.x += free / 2 < 10 ? free / 2 : 10;
        }
        const CUniqueBrush brush(::CreateSolidBrush(back));
        CDcSelection useBrush(dc, brush.Get());
        CDcSelection usePen(dc, ::GetStockObject(WHITE_PEN));
        ::RoundRect(dc, round.left, round.top, round.right, round.bottom, 10, 10);
    } else {
        FillSolid(dc, r, back);
    }
    if (title->titleFlags & kTitleFrame) Frame3d(dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    if (title->titleFlags & kTitleCentred) {
        if (vertical)
            start.y = (r.top + r.bottom + extent.cx + icon.cy) / 2;
        else
            start.x = (r.left + r.right - extent.cx + icon.cx) / 2;
    }
    int mode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldText = ::SetTextColor(dc, text);
    ::TextOutW(dc, start.x, start.y, caption, caption.GetLength());
    ::SetTextColor(dc, oldText);
    ::SetBkMode(dc, mode);
    if (hasIcon) {
        const CUniqueIcon handle(title->icons->Images().ExtractIcon(title->iconIndex));
        int x = vertical ? start.x : start.x - icon.cx;
        int y = vertical ? start.y + 2 : start.y + 2;
        if (handle) ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(handle.Get()), 0, x, y, 0, 0, DST_ICON);
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
}
