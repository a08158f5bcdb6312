// Frame and dialog integration with windows created for real: library menus
// on frames, dialogs and document templates, measure routing, hover
// tracking and the dock bar's background.
#include <gtest/gtest.h>

#include "MenuTestResource.h"
#include "MenuTestSupport.h"
#include "app/ui/toolkit/menu/CStyleDialog.h"
#include "app/ui/toolkit/menu/CStyleDockBar.h"
#include "app/ui/toolkit/menu/CStyleFrameWnd.h"
#include "app/ui/toolkit/menu/CStyleMultiDocTemplate.h"

namespace {

// Exposes the protected template state for the checks.
struct ProbeFrame : CStyleFrameWnd {
    UINT HoverTimer() const { return m_hoverTimer; }
    int HotItem() const { return m_hotItem; }
};

CStyleFrameWnd* CreateFrame() {
    CStyleFrameWnd* frame = new ProbeFrame;
    RECT r = {60, 60, 460, 300};
    if (!frame->Create(nullptr, L"style frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, r, nullptr,
                       MAKEINTRESOURCEW(IDR_MENUTEST_MENU))) {
        return nullptr;
    }
    return frame;
}

}  // namespace

TEST(MenuFrames, FrameMenusAreLibraryMenusAndMeasuresRoute) {
    CStyleFrameWnd* frame = CreateFrame();
    ASSERT_NE(nullptr, frame);
    HWND window = frame->GetSafeHwnd();
    CStyleMenu* bar = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(::GetMenu(window)));
    ASSERT_EQ(&frame->m_defaultMenu, bar);
    EXPECT_FALSE(bar->IsPopup());
    EXPECT_EQ(::GetSystemMenu(window, FALSE), frame->m_systemMenu.GetSafeHmenu());
    EXPECT_TRUE(frame->IsKindOf(RUNTIME_CLASS(CFrameWnd)));
    EXPECT_STREQ("CStyleFrameWnd", frame->GetRuntimeClass()->m_lpszClassName);
    // The menu bar has the style's background brush (style 2: the face colour).
    MENUINFO info = {sizeof info, MIM_BACKGROUND};
    ASSERT_TRUE(GetMenuInfo(::GetMenu(window), &info));
    EXPECT_NE(nullptr, info.hbrBack);

    // A library item is measured; a foreign one goes on to the default handling.
    CStyleMenu* file = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(GetSubMenu(::GetMenu(window), 0)));
    ASSERT_NE(nullptr, file);
    MEASUREITEMSTRUCT own = {ODT_MENU, 0, ID_MENUTEST_SAVE, 0, 0, reinterpret_cast<ULONG_PTR>(file->ItemDataAt(2))};
    ::SendMessageW(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&own));
    EXPECT_GT(own.itemWidth, 0u);
    EXPECT_GT(own.itemHeight, 0u);
    MEASUREITEMSTRUCT foreign = {ODT_MENU, 0, 4242, 7, 9, 0};
    ::SendMessageW(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&foreign));
    EXPECT_EQ(7u, foreign.itemWidth);

    // WM_MENUCHAR goes to the library's mnemonic search.
    LRESULT found =
        ::SendMessageW(window, WM_MENUCHAR, MAKEWPARAM('x', MF_POPUP), reinterpret_cast<LPARAM>(file->GetSafeHmenu()));
    EXPECT_EQ(MAKELRESULT(4, MNC_EXECUTE), found);

    // WM_INITMENUPOPUP records the pending popup and its owner.
    ::SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file->GetSafeHmenu()), 0);
    EXPECT_EQ(file->GetSafeHmenu(), CStyleMenu::s_hPendingMenu);
    EXPECT_EQ(window, file->GetOwnerWindow());
    CStyleMenu::s_hPendingMenu = nullptr;
    frame->DestroyWindow();
}

TEST(MenuFrames, HoverTrackingOnlyOnOlderSystems) {
    ProbeFrame* frame = static_cast<ProbeFrame*>(CreateFrame());
    ASSERT_NE(nullptr, frame);
    HWND window = frame->GetSafeHwnd();
    ::UpdateWindow(window);
    RECT item;
    ASSERT_TRUE(GetMenuItemRect(window, ::GetMenu(window), 0, &item));
    LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendMessageW(window, WM_NCHITTEST, 0, point);
    EXPECT_EQ(0u, frame->HoverTimer());
    EXPECT_EQ(-1, frame->HotItem());

    int saved = CStyleMenu::s_winVersion;
    CStyleMenu::s_winVersion = 5;
    LRESULT hit = ::SendMessageW(window, WM_NCHITTEST, 0, point);
    if (hit == HTMENU) {
        EXPECT_NE(0u, frame->HoverTimer());
        EXPECT_EQ(0, frame->HotItem());
        ::SendMessageW(window, WM_ENTERMENULOOP, FALSE, 0);
        EXPECT_EQ(0u, frame->HoverTimer());
        EXPECT_EQ(-1, frame->HotItem());
        ::SendMessageW(window, WM_EXITMENULOOP, FALSE, 0);
    }
    CStyleMenu::s_winVersion = saved;
    CStyleMenu::s_pHotMenuBarItemData = nullptr;
    frame->DestroyWindow();
}

TEST(MenuFrames, MdiFramesChildrenAndMiniFrames) {
    CStyleMDIFrameWnd* mdi = new CStyleMDIFrameWnd;
    RECT r = {80, 80, 500, 380};
    ASSERT_TRUE(mdi->Create(nullptr, L"mdi", WS_OVERLAPPEDWINDOW | WS_VISIBLE, r, nullptr,
                            MAKEINTRESOURCEW(IDR_MENUTEST_MENU)));
    EXPECT_STREQ("CStyleMDIFrameWnd", mdi->GetRuntimeClass()->m_lpszClassName);
    ASSERT_NE(nullptr, mdi->m_hWndMDIClient);
    CStyleMDIChildWnd* child = new CStyleMDIChildWnd;
    RECT c = {0, 0, 200, 120};
    ASSERT_TRUE(child->Create(nullptr, L"child", WS_OVERLAPPEDWINDOW | WS_VISIBLE, c, mdi));
    EXPECT_EQ(mdi->m_hWndMDIClient, ::GetParent(child->GetSafeHwnd()));
    EXPECT_EQ(child->GetSafeHwnd(), mdi->MDIGetActive());
    EXPECT_EQ(::GetSystemMenu(child->GetSafeHwnd(), FALSE), child->m_systemMenu.GetSafeHmenu());

    CObject* created = RUNTIME_CLASS(CStyleMiniDockFrameWnd)->CreateObject();
    ASSERT_NE(nullptr, created);
    CStyleMiniDockFrameWnd* mini = static_cast<CStyleMiniDockFrameWnd*>(created);
    RECT m = {100, 100, 220, 160};
    ASSERT_TRUE(mini->Create(nullptr, L"mini", WS_POPUP | WS_CAPTION | WS_VISIBLE, m, mdi));
    EXPECT_TRUE(::GetWindowLongW(mini->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    mini->DestroyWindow();
    mdi->DestroyWindow();
}

TEST(MenuFrames, DialogTakesItsMenusAndTemplatesShareALibraryMenu) {
    CStyleDialog dialog(IDD_MENUTEST_DIALOG, nullptr);
    ASSERT_TRUE(dialog.Create(IDD_MENUTEST_DIALOG, nullptr));
    HWND window = dialog.GetSafeHwnd();
    EXPECT_EQ(::GetSystemMenu(window, FALSE), dialog.m_systemMenu.GetSafeHmenu());
    // The template's menu bar became the dialog's library menu: a bar, its
    // entries library popups, owner-drawn, with the style's background.
    HMENU barHandle = ::GetMenu(window);
    ASSERT_NE(nullptr, barHandle);
    CStyleMenu* bar = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(barHandle));
    ASSERT_EQ(&dialog.m_defaultMenu, bar);
    EXPECT_FALSE(bar->IsPopup());
    CStyleMenu* file = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(GetSubMenu(barHandle, 0)));
    ASSERT_NE(nullptr, file);
    EXPECT_TRUE(GetMenuState(file->GetSafeHmenu(), ID_MENUTEST_SAVE, MF_BYCOMMAND) & MF_OWNERDRAW);
    MENUINFO info = {sizeof info, MIM_BACKGROUND};
    ASSERT_TRUE(GetMenuInfo(barHandle, &info));
    EXPECT_NE(nullptr, info.hbrBack);
    MEASUREITEMSTRUCT own = {ODT_MENU, 0, ID_MENUTEST_SAVE, 0, 0, reinterpret_cast<ULONG_PTR>(file->ItemDataAt(2))};
    ::SendMessageW(window, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&own));
    EXPECT_GT(own.itemWidth, 0u);
    // The update pass: no handler serves these commands, so they are disabled.
    CStyleMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendItem(L"&New", 0, ID_MENUTEST_NEW, static_cast<CStyleMenuIcons*>(nullptr), -1);
    ::SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup.GetSafeHmenu()), 0);
    EXPECT_TRUE(GetMenuState(popup, ID_MENUTEST_NEW, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(popup.GetSafeHmenu(), CStyleMenu::s_hPendingMenu);
    EXPECT_EQ(window, popup.GetOwnerWindow());
    CStyleMenu::s_hPendingMenu = nullptr;
    dialog.DestroyWindow();

    {
        CStyleMultiDocTemplate docTemplate(IDR_MENUTEST_MENU, nullptr, nullptr, nullptr);
        EXPECT_EQ(docTemplate.m_hMenuShared, docTemplate.m_menu.GetSafeHmenu());
        CStyleMenuItemData* open = docTemplate.m_menu.FindItemData(ID_MENUTEST_OPEN);
        ASSERT_NE(nullptr, open);
        EXPECT_NE(nullptr, open->icons);
        EXPECT_EQ(3, open->iconIndex);
    }

    // The dock bar erases with the style's menu-bar brush.
    CStyleFrameWnd* frame = CreateFrame();
    ASSERT_NE(nullptr, frame);
    CStyleDockBar dock;
    ASSERT_TRUE(dock.Create(frame, 0x2000, 0xE81B));
    DibCanvas canvas(40, 20, RGB(1, 2, 3));
    dock.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), canvas.Pixels().At(10, 10));
    ::SendMessageW(dock.GetSafeHwnd(), WM_NCPAINT, 1, 0);
    dock.DestroyWindow();
    frame->DestroyWindow();
}
