// The start-up object's state, the theme registry and style switch, the
// popup-menu hook (white box) and the temporary dialog handler.
#include <gtest/gtest.h>

#include "MenuTestSupport.h"
#include "app/ui/toolkit/menu/CMenuTheme2003.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "app/ui/toolkit/menu/CStyleMenuHook.h"
#include "app/ui/toolkit/menu/CStyleMenuTempHandler.h"

namespace {

std::vector<int> RegisteredStyles() {
    std::vector<int> ids;
    if (!CStyleMenu::s_pThemeList) return ids;
    POSITION pos = CStyleMenu::s_pThemeList->GetHeadPosition();
    while (pos) ids.push_back(CStyleMenu::s_pThemeList->GetNext(pos)->styleId);
    return ids;
}

// A popup-menu window of the system's class, as the menu loop makes one.
HWND CreatePopupMenuWindow() {
    return CreateWindowExW(0, L"#32768", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

INT_PTR CALLBACK IdleDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

TEST(MenuStartUp, StaticInitialisationRegistersTwelveStylesHooksAndProbesWine) {
    EXPECT_NE(nullptr, CStyleMenuHook::s_hHook);
    EXPECT_EQ((std::vector<int>{6, 7, 0, 1, 2, 3, 8, 9, 10, 11, 4, 5}), RegisteredStyles());
    ASSERT_NE(nullptr, CStyleMenu::s_pCurrentTheme);
    // The start-up object picks style 2 itself; only the setter turns to the odd partner under Wine.
    EXPECT_EQ(2, CStyleMenu::GetMenuDrawStyle());
    for (int id : RegisteredStyles()) {
        CMenuTheme* theme = CStyleMenu::FindTheme(id);
        EXPECT_EQ(id % 2 == 0, theme->DrawsOwnBorder()) << id;
        EXPECT_TRUE(theme->HasRoutines()) << id;
        BOOL gradientClass = dynamic_cast<CMenuTheme2003*>(theme) != nullptr;
        BOOL flatClass = dynamic_cast<CMenuThemeXP*>(theme) != nullptr;
        EXPECT_EQ(id == 8 || id == 9, gradientClass) << id;
        EXPECT_EQ(id == 2 || id == 3 || (id >= 8 && id <= 11), flatClass) << id;
    }
    EXPECT_TRUE(CStyleMenu::s_isWine);
    EXPECT_FALSE(CStyleMenu::s_isHighContrast);
    EXPECT_FALSE(CStyleMenu::s_isRemoteSession);
    EXPECT_NE(nullptr, CStyleMenu::s_hUxTheme);
    EXPECT_NE(nullptr, CStyleMenu::s_pfnIsThemeActive);
    EXPECT_NE(nullptr, CStyleMenu::s_hMsimg32);
    EXPECT_NE(nullptr, CStyleMenu::s_pfnGradientFill);
    EXPECT_EQ(GetWindowsVersionClass(), CStyleMenu::s_winVersion);
}

TEST(MenuThemes, StyleSwitchRegistryAndScopes) {
    ASSERT_TRUE(CStyleMenu::s_isWine);
    // Even ids turn into their odd partner under Wine; unknown ids change nothing.
    EXPECT_EQ(2, CStyleMenu::SetMenuDrawStyle(8));
    EXPECT_EQ(9, CStyleMenu::GetMenuDrawStyle());
    EXPECT_EQ(-1, CStyleMenu::SetMenuDrawStyle(12));
    EXPECT_EQ(-1, CStyleMenu::SetMenuDrawStyle(-3));
    EXPECT_EQ(9, CStyleMenu::GetMenuDrawStyle());

    // A theme without routines is never made current.
    CMenuTheme empty;
    empty.styleId = 40;
    EXPECT_TRUE(CStyleMenu::AddTheme(&empty));
    EXPECT_FALSE(CStyleMenu::AddTheme(&empty));
    EXPECT_EQ(-1, CStyleMenu::SetMenuDrawStyle(41));
    EXPECT_EQ(&empty, CStyleMenu::RemoveTheme(40));
    EXPECT_EQ(nullptr, CStyleMenu::RemoveTheme(40));

    CStyleMenuStyleScope scope = CStyleMenuStyleScope::FromOptions(0x4);
    EXPECT_EQ(9, CStyleMenu::GetMenuDrawStyle());
    EXPECT_EQ(0x4u, CStyleMenu::s_menuOptions);
    scope.Restore();
    EXPECT_EQ(0u, CStyleMenu::s_menuOptions);

    // Removing every theme drops the list; adding one makes it again.
    std::vector<CMenuTheme*> taken;
    for (int id : RegisteredStyles()) taken.push_back(CStyleMenu::RemoveTheme(id));
    EXPECT_EQ(nullptr, CStyleMenu::s_pThemeList);
    EXPECT_EQ(nullptr, CStyleMenu::s_pCurrentTheme);
    EXPECT_EQ(-1, CStyleMenu::SetMenuDrawStyle(3));
    for (CMenuTheme* theme : taken) EXPECT_TRUE(CStyleMenu::AddTheme(theme));
    EXPECT_EQ(-1, CStyleMenu::SetMenuDrawStyle(2));
    CStyleMenu::s_pCurrentTheme = CStyleMenu::FindTheme(2);
    EXPECT_EQ(12u, RegisteredStyles().size());
}

TEST(MenuThemes, NonClientMetricsFollowTheBorderFlag) {
    CMenuTheme* own = CStyleMenu::FindTheme(2);
    CMenuTheme* system = CStyleMenu::FindTheme(3);
    BOOL dropShadow = IsSystemDropShadow();
    RECT r = {0, 0, 100, 100};
    EXPECT_FALSE(own->CalcNonClientSize(nullptr, &r));
    EXPECT_EQ((RECT{2, 2, dropShadow ? 99 : 95, dropShadow ? 98 : 94}).right, r.right);
    EXPECT_EQ(2, r.left);
    EXPECT_EQ(dropShadow ? 98 : 94, r.bottom);
    RECT untouched = {0, 0, 100, 100};
    system->CalcNonClientSize(nullptr, &untouched);
    EXPECT_EQ(100, untouched.right);
    WINDOWPOS pos = {};
    pos.cx = 50;
    pos.cy = 60;
    pos.y = 10;
    EXPECT_TRUE(own->WindowPosChanging(nullptr, &pos));
    EXPECT_EQ(dropShadow ? 48 : 52, pos.cx);
    EXPECT_EQ(9, pos.y);
    EXPECT_FALSE(system->WindowPosChanging(nullptr, &pos));
    EXPECT_EQ(dropShadow ? SIZE({2, 2}).cx : 5, own->shadowSize.cx);
}

TEST(MenuHook, PopupWindowClassNamesAreMatchedExactly) {
    HWND popup = CreatePopupMenuWindow();
    ASSERT_NE(nullptr, popup);
    EXPECT_TRUE(CStyleMenuHook::IsPopupMenuWindow(popup));
    DestroyWindow(popup);
    struct Case {
        const wchar_t* name;
    } cases[] = {{L"#327680x"}, {L"#3276x"}, {L"#32770"}};
    for (const Case& c : cases) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = c.name;
        RegisterClassW(&wc);
        HWND window = CreateWindowExW(0, c.name, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window) << c.name;
        EXPECT_FALSE(CStyleMenuHook::IsPopupMenuWindow(window)) << c.name;
        EXPECT_FALSE(CStyleMenuHook::SubclassMenuWindow(window, FALSE)) << c.name;
        DestroyWindow(window);
        // "#32770" names the dialog class: left registered, it would replace
        // the system's for every later dialog of this program.
        UnregisterClassW(c.name, GetModuleHandleW(nullptr));
    }
}

TEST(MenuHook, PlainMenusAreRefusedAndStyleMenusSubclassedUntilHidden) {
    // What the hook saw while this popup window was created: no subclass.
    HWND popup = CreatePopupMenuWindow();
    ASSERT_NE(nullptr, popup);
    LONG_PTR original = GetWindowLongPtrW(popup, GWLP_WNDPROC);
    EXPECT_EQ(nullptr, GetPropW(popup, kOldMenuProcProperty));
    EXPECT_EQ(0, CStyleMenuHook::HookDataCount());

    // A permanent plain menu: refused, and the pending menu is kept for the next window.
    CMenu plain;
    ASSERT_TRUE(plain.CreatePopupMenu());
    CStyleMenu::s_hPendingMenu = plain.GetSafeHmenu();
    EXPECT_FALSE(CStyleMenuHook::SubclassMenuWindow(popup, FALSE));
    EXPECT_EQ(plain.GetSafeHmenu(), CStyleMenu::s_hPendingMenu);
    EXPECT_EQ(nullptr, CStyleMenuHook::FindMenuHookData(popup));
    EXPECT_FALSE(plain.IsKindOf(RUNTIME_CLASS(CStyleMenu)));
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(nullptr));
    HMENU unknown = CreatePopupMenu();
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(unknown));
    DestroyMenu(unknown);

    CStyleMenu style;
    ASSERT_TRUE(style.CreatePopupMenu());
    EXPECT_TRUE(style.IsKindOf(RUNTIME_CLASS(CStyleMenu)));
    CStyleMenu::s_hPendingMenu = style.GetSafeHmenu();
    EXPECT_TRUE(CStyleMenuHook::SubclassMenuWindow(popup, FALSE));
    EXPECT_EQ(nullptr, CStyleMenu::s_hPendingMenu);
    CStyleMenuHook::CMenuHookData* data = CStyleMenuHook::FindMenuHookData(popup);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(style.GetSafeHmenu(), data->hMenu);
    EXPECT_EQ(original, reinterpret_cast<LONG_PTR>(GetPropW(popup, kOldMenuProcProperty)));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&CStyleMenuHook::MenuWindowProc), GetWindowLongPtrW(popup, GWLP_WNDPROC));
    // Style 2 paints its own border: the system border goes while decorated.
    EXPECT_FALSE(GetWindowLongW(popup, GWL_STYLE) & WS_BORDER);
    // Again for the same window: nothing subclassed twice.
    EXPECT_FALSE(CStyleMenuHook::SubclassMenuWindow(popup, TRUE));
    EXPECT_EQ(1, CStyleMenuHook::HookDataCount());

    SendMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(data->flags & CStyleMenuHook::kEscapeOrFade);

    SendMessageW(popup, WM_SHOWWINDOW, FALSE, 0);
    EXPECT_EQ(nullptr, CStyleMenuHook::FindMenuHookData(popup));
    EXPECT_EQ(nullptr, GetPropW(popup, kOldMenuProcProperty));
    EXPECT_EQ(original, GetWindowLongPtrW(popup, GWLP_WNDPROC));
    EXPECT_EQ(0, GlobalFindAtomW(kOldMenuProcProperty));
    DestroyWindow(popup);
}

TEST(MenuHook, FadeTimerStopsAtItsFirstTick) {
    BYTE oldAlpha = CStyleMenu::SetMenuAlpha(200);
    HWND popup = CreatePopupMenuWindow();
    CStyleMenu style;
    ASSERT_TRUE(style.CreatePopupMenu());
    CStyleMenu::s_hPendingMenu = style.GetSafeHmenu();
    ASSERT_TRUE(CStyleMenuHook::SubclassMenuWindow(popup, FALSE));
    CStyleMenuHook::CMenuHookData* data = CStyleMenuHook::FindMenuHookData(popup);
    ASSERT_NE(nullptr, data);
    EXPECT_TRUE(GetWindowLongW(popup, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(data->flags & CStyleMenuHook::kEscapeOrFade);
    SendMessageW(popup, WM_TIMER, 0x1234, 0);
    EXPECT_FALSE(data->flags & CStyleMenuHook::kEscapeOrFade);
    // Killed: a second kill finds no timer.
    EXPECT_FALSE(KillTimer(popup, 0x1234));
    DestroyWindow(popup);
    EXPECT_EQ(0, CStyleMenuHook::HookDataCount());
    CStyleMenu::SetMenuAlpha(oldAlpha);
}

TEST(MenuHook, RecordTakesThePendingMenuOnlyFromAStyleMenu) {
    CStyleMenu style;
    ASSERT_TRUE(style.CreatePopupMenu());
    CMenu plain;
    ASSERT_TRUE(plain.CreatePopupMenu());
    TestWindow window;
    BOOL oldAll = CStyleMenu::SetDrawAllMenus(FALSE);
    CStyleMenu::s_hPendingMenu = plain.GetSafeHmenu();
    {
        CStyleMenuHook::CMenuHookData record(window.hwnd(), TRUE);
        EXPECT_EQ(nullptr, CStyleMenu::s_hPendingMenu);
        EXPECT_FALSE(record.drawBorder);
        EXPECT_EQ(CStyleMenuHook::kOnSizeWindow, record.flags);
        record.SetMenu(style.GetSafeHmenu());
        EXPECT_TRUE(record.drawBorder);
        record.hUpdateRgn = CreateRectRgn(0, 0, 4, 4);
    }
    CStyleMenu::SetDrawAllMenus(oldAll);
}

TEST(MenuTempHandler, DialogsGetAHandlerOnlyWithTheOptionAndLoseItOnDestroy) {
    struct {
        DLGTEMPLATE t;
        WORD menu, cls, title;
    } tpl = {};
    tpl.t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    tpl.t.cx = 100;
    tpl.t.cy = 50;
    DLGPROC proc = &IdleDialogProc;
    HWND without = CreateDialogIndirectW(GetModuleHandleW(nullptr), &tpl.t, nullptr, proc);
    ASSERT_NE(nullptr, without);
    EXPECT_EQ(nullptr, GetPropW(without, kTempHandlerProperty));
    DestroyWindow(without);

    CStyleMenu::s_menuOptions = 0x1 | 0x2;
    HWND with = CreateDialogIndirectW(GetModuleHandleW(nullptr), &tpl.t, nullptr, proc);
    CStyleMenu::s_menuOptions = 0;
    ASSERT_NE(nullptr, with);
    auto* handler = static_cast<CStyleMenuTempHandler*>(GetPropW(with, kTempHandlerProperty));
    ASSERT_NE(nullptr, handler);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&CStyleMenuTempHandler::WindowProc), GetWindowLongPtrW(with, GWLP_WNDPROC));
    // The dialog's system menu was taken over at WM_INITDIALOG.
    EXPECT_EQ(GetSystemMenu(with, FALSE), handler->menu.GetSafeHmenu());
    WNDPROC previous = handler->previous;
    // A foreign menu's measure is passed on untouched.
    MEASUREITEMSTRUCT mis = {ODT_MENU, 0, 4242, 7, 9, 0};
    SendMessageW(with, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ(7u, mis.itemWidth);
    delete handler;
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(previous), GetWindowLongPtrW(with, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, GetPropW(with, kTempHandlerProperty));
    EXPECT_TRUE(IsMenu(GetSystemMenu(with, FALSE)));
    DestroyWindow(with);

    // Deleting itself inside its own WM_DESTROY.
    CStyleMenu::s_menuOptions = 0x1;
    HWND again = CreateDialogIndirectW(GetModuleHandleW(nullptr), &tpl.t, nullptr, proc);
    CStyleMenu::s_menuOptions = 0;
    ASSERT_NE(nullptr, GetPropW(again, kTempHandlerProperty));
    EXPECT_TRUE(DestroyWindow(again));
    EXPECT_FALSE(IsWindow(again));
}

TEST(MenuHook, ManyWindowCreationsLeaveNoTrace) {
    for (int i = 0; i < 300; ++i) {
        HWND window = i % 3 == 0 ? CreatePopupMenuWindow()
                                 : CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                   GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window) << i;
        EXPECT_EQ(nullptr, GetPropW(window, kOldMenuProcProperty));
        EXPECT_EQ(nullptr, GetPropW(window, kTempHandlerProperty));
        DestroyWindow(window);
    }
    EXPECT_EQ(0, CStyleMenuHook::HookDataCount());
    EXPECT_EQ(0, GlobalFindAtomW(kOldMenuProcProperty));
    EXPECT_EQ(nullptr, CStyleMenu::s_hPendingMenu);
}
