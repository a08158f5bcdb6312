// The frame integration's shared pieces: menu-bar item repaint for hover
// tracking, the menu-bar background brush, hiding a menu bar, and the
// dialog's command-update pass.
#include "CStyleFrame.h"

#include "CMenuTheme.h"
#include "CStyleBrush.h"
#include "CStyleBrushList.h"
#include "MenuColors.h"
#include "common/UniqueGdi.h"

BOOL RedrawMenuBarItem(CWnd* frame, CMenu* menu, int position, UINT state) {
    if (position == -1 || !frame || !menu) return FALSE;
    HWND window = frame->GetSafeHwnd();
    RECT r;
    if (!::GetMenuItemRect(window, menu->GetSafeHmenu(), position, &r)) return FALSE;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_SUBMENU;
    if (!::GetMenuItemInfoW(menu->GetSafeHmenu(), position, TRUE, &info) || !(info.fType & MFT_OWNERDRAW)) return FALSE;
    const CBorrowedDC windowDC(window, TRUE);
    const HDC dc = windowDC.Get();
    LOGFONTW lf = GetMenuLogFont();
    const CUniqueFont font(::CreateFontIndirectW(&lf));
    CDcSelection useFont(dc, font.Get());
    RECT wr;
    ::GetWindowRect(window, &wr);
    ::OffsetRect(&r, -wr.left, -wr.top);
    if (CStyleMenu::s_isWine) {
        BOOL thick = (::GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) != 0;
        ::OffsetRect(&r, -::GetSystemMetrics(thick ? SM_CXFRAME : SM_CXDLGFRAME),
                     -(::GetSystemMetrics(SM_CYMENU) + ::GetSystemMetrics(SM_CYCAPTION) +
                       ::GetSystemMetrics(thick ? SM_CYFRAME : SM_CYDLGFRAME) + 1));
    }
    CStyleMenu::s_pHotMenuBarItemData = reinterpret_cast<CStyleMenuItemData*>(info.dwItemData);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.itemID = info.hSubMenu ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.hSubMenu)) : info.wID;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = reinterpret_cast<HWND>(menu->GetSafeHmenu());
    dis.hDC = dc;
    dis.rcItem = r;
    dis.itemData = info.dwItemData;
    POINT origin;
    ::SetWindowOrgEx(dc, 0, 0, &origin);
    ::SendMessageW(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    ::SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
    return TRUE;
}

CBrush* GetMenuBarBrush() {
    int style = CStyleMenu::GetMenuDrawStyle();
    BOOL rich = GetScreenColorCount() >= 256 && !CStyleMenu::s_isHighContrast;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    switch (style) {
        case 8:
        case 9: {
            COLORREF light;
            COLORREF bar = GetThemeBarColors(&light, FALSE);
            return rich ? MenuBrushCache()->Get(8, light, bar) : MenuBrushCache()->Get(2, face, face);
        }
        case 2:
        case 3: return MenuBrushCache()->Get(2, face, face);
        case 10:
        case 11: {
            COLORREF light;
            COLORREF bar = GetThemeBarColors(&light, TRUE);
            return MenuBrushCache()->Get(rich ? 10 : 2, light, bar);
        }
    }
    return nullptr;
}

namespace {
void SetMenuBrush(HMENU menu, CBrush* brush) {
    MENUINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = static_cast<HBRUSH>(brush->GetSafeHandle());
    ::SetMenuInfo(menu, &info);
}
}  // namespace

void ApplyMenuBackground(CMenu* menu) {
    CBrush* brush = GetMenuBarBrush();
    if (!brush) return;
    if (menu && menu->IsKindOf(RUNTIME_CLASS(CStyleMenu)) && menu->GetSafeHmenu())
        SetMenuBrush(menu->GetSafeHmenu(), brush);
    CWinApp* app = AfxGetApp();
    if (!app) return;
    POSITION pos = app->GetFirstDocTemplatePosition();
    while (pos) {
        CMultiDocTemplate* docTemplate = app->GetNextDocTemplate(pos);
        CMenu* shared = CMenu::FromHandlePermanent(docTemplate->m_hMenuShared);
        if (shared && shared->IsKindOf(RUNTIME_CLASS(CStyleMenu))) SetMenuBrush(docTemplate->m_hMenuShared, brush);
    }
}

BOOL HideFrameMenuBar(CWnd* frame, HMENU* kept) {
    HMENU menu = ::GetMenu(frame->GetSafeHwnd());
    if (!menu) return FALSE;
    *kept = menu;
    ::SetMenu(frame->GetSafeHwnd(), nullptr);
    ::DrawMenuBar(frame->GetSafeHwnd());
    return TRUE;
}

BOOL RestoreFrameMenuBar(CWnd* frame, HMENU* kept) {
    if (!*kept) return TRUE;
    ::SetMenu(frame->GetSafeHwnd(), *kept);
    ::DrawMenuBar(frame->GetSafeHwnd());
    *kept = nullptr;
    return FALSE;
}

void UpdateDialogPopup(CWnd* dialog, CMenu* popup, BOOL sysMenu) {
    AfxCancelModes(dialog->GetSafeHwnd());
    if (sysMenu || !popup) return;
    AfxUpdateMenuPopup(dialog, dialog->GetTopLevelParent(), popup, TRUE);
}
