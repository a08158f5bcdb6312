// Item records and operations on real menus, accelerator names, rebuilding
// and measuring per style.
#include <gtest/gtest.h>

#include "MenuTestResource.h"
#include "MenuTestSupport.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"

namespace {

CString KeyName(UINT vk) {
    wchar_t name[128] = {};
    GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(vk, 0) << 16), name, 128);
    return name;
}

HACCEL SaveAccelerators() {
    ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'S', ID_MENUTEST_SAVE}, {FVIRTKEY | FSHIFT, VK_F12, ID_MENUTEST_SAVE}};
    return CreateAcceleratorTableW(entries, 2);
}

const HACCEL kMainFrameTable = reinterpret_cast<HACCEL>(static_cast<INT_PTR>(-1));

// The main window of the calling thread for a test's duration.
struct MainWindowScope {
    CWinThread thread;
    CWinThread* saved;
    explicit MainWindowScope(CWnd* main) : saved(AfxGetThread()) {
        thread.m_pMainWnd = main;
        AfxSetThread(&thread);
    }
    ~MainWindowScope() { AfxSetThread(saved); }
};

UINT ItemType(HMENU menu, int position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.fType;
}

MEASUREITEMSTRUCT Measure(CStyleMenu& menu, int position, int style) {
    CStyleMenu::SetMenuDrawStyle(style);
    MEASUREITEMSTRUCT mis = {ODT_MENU, 0, menu.GetMenuItemID(position),
                             0,        0, reinterpret_cast<ULONG_PTR>(menu.ItemDataAt(position))};
    menu.MeasureItem(&mis);
    CStyleMenu::s_pCurrentTheme = CStyleMenu::FindTheme(2);
    return mis;
}

}  // namespace

TEST(MenuItemText, AcceleratorNamesFromATable) {
    HACCEL table = SaveAccelerators();
    CStyleMenuItemData item;
    item.text = L"&Save";
    item.id = ID_MENUTEST_SAVE;
    CString expected = L"&Save\tCtrl+" + KeyName('S') + L", Shift+" + KeyName(VK_F12);
    EXPECT_EQ(expected, item.GetString(table));

    struct Case {
        const wchar_t* text;
        UINT flags;
        HACCEL accel;
        const wchar_t* shown;
    } cases[] = {
        {L"&Save", MF_POPUP, table, L"&Save"},   // a popup never shows names
        {L"&Save\tF2", 0, table, L"&Save\tF2"},  // its own accelerator text stays
        {L"&Save\tF2", 0, nullptr, L"&Save"},    // without a table the text is cut
        {L"&Save", 0, nullptr, L"&Save"},
    };
    for (const Case& c : cases) {
        item.text = c.text;
        item.flags = c.flags;
        EXPECT_EQ(CString(c.shown), item.GetString(c.accel)) << c.text;
    }
    DestroyAcceleratorTable(table);
}

TEST(MenuItemText, MainWindowTableOnlyFromAFrame) {
    CStyleMenuItemData item;
    item.text = L"&Save";
    item.id = ID_MENUTEST_SAVE;
    {
        // The program's main window is a dialog: no names, and no crash.
        CDialog dialog;
        MainWindowScope scope(&dialog);
        EXPECT_EQ(CString(L"&Save"), item.GetString(kMainFrameTable));
    }
    {
        MainWindowScope scope(nullptr);
        EXPECT_EQ(CString(L"&Save"), item.GetString(kMainFrameTable));
    }
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"frame"));
    ASSERT_TRUE(frame->LoadAccelTable(MAKEINTRESOURCEW(IDR_MENUTEST_ACCEL)));
    {
        MainWindowScope scope(frame);
        EXPECT_EQ(L"&Save\tCtrl+" + KeyName('S') + L", Shift+" + KeyName(VK_F12), item.GetString(kMainFrameTable));
    }
    frame->DestroyWindow();
}

TEST(MenuItems, AppendInsertModifyKeepRecordsAlignedWithPositions) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendItem(L"&New", 0, ID_MENUTEST_NEW, static_cast<CStyleMenuIcons*>(nullptr), -1));
    ASSERT_TRUE(menu.AppendItem(nullptr, 0, 0, static_cast<CStyleMenuIcons*>(nullptr), -1));
    ASSERT_TRUE(menu.AppendItem(MF_STRING, ID_MENUTEST_EXIT, L"E&xit", 3));
    ASSERT_EQ(3, menu.GetMenuItemCount());
    EXPECT_EQ(MF_SEPARATOR | MF_OWNERDRAW, menu.ItemDataAt(1)->flags);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(ItemType(menu, i) & MFT_OWNERDRAW) << i;
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(menu.ItemDataAt(i)), MenuItemData(menu, i)) << i;
    }
    EXPECT_EQ(-1, menu.GetItemIcon(ID_MENUTEST_EXIT));

    // Insert before a command, found by id.
    ASSERT_TRUE(
        menu.InsertItem(ID_MENUTEST_EXIT, L"&Open", 0, ID_MENUTEST_OPEN, static_cast<CStyleMenuIcons*>(nullptr), -1));
    EXPECT_EQ(ID_MENUTEST_OPEN, menu.GetMenuItemID(2));
    EXPECT_EQ(CString(L"&Open"), menu.ItemDataAt(2)->text);
    EXPECT_FALSE(menu.InsertItem(9999, L"x", 0, 77, static_cast<CStyleMenuIcons*>(nullptr), -1));

    ASSERT_TRUE(menu.ModifyItem(L"&Open...", ID_MENUTEST_OPEN, static_cast<CStyleMenuIcons*>(nullptr), -1));
    EXPECT_EQ(CString(L"&Open..."), menu.ItemDataAt(2)->text);
    // A command found nowhere adds nothing.
    EXPECT_FALSE(menu.ModifyItem(L"ghost", 9999, static_cast<CStyleMenuIcons*>(nullptr), -1));
    EXPECT_EQ(4, menu.ItemDataCount());

    CString text;
    EXPECT_TRUE(menu.GetMenuText(2, text));
    EXPECT_EQ(CString(L"&Open..."), text);
    EXPECT_FALSE(menu.GetMenuText(9, text));
    EXPECT_TRUE(menu.SetMenuText(ID_MENUTEST_NEW, MF_BYCOMMAND, L"&Fresh"));
    EXPECT_EQ(CString(L"&Fresh"), menu.ItemDataAt(0)->text);

    EXPECT_TRUE(menu.ChangeItemId(ID_MENUTEST_OPEN, 600));
    EXPECT_EQ(600u, menu.GetMenuItemID(2));
    EXPECT_FALSE(menu.ChangeItemId(9999, 601));
    int position = 5;
    EXPECT_EQ(nullptr, menu.FindCommandMenu(9999, &position));
    EXPECT_EQ(-1, position);

    EXPECT_TRUE(menu.DeleteMenu(600, MF_BYCOMMAND));
    EXPECT_EQ(3, menu.GetMenuItemCount());
    EXPECT_EQ(3, menu.ItemDataCount());
    EXPECT_EQ(ID_MENUTEST_EXIT, menu.GetMenuItemID(2));
}

TEST(MenuItems, LoadedMenuIsABarWithPopupChildren) {
    CStyleMenu bar;
    ASSERT_TRUE(bar.LoadMenu(IDR_MENUTEST_MENU));
    EXPECT_FALSE(bar.IsPopup());
    EXPECT_TRUE(bar.IsMenuBar());
    CStyleMenu* file = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(GetSubMenu(bar, 0)));
    ASSERT_NE(nullptr, file);
    EXPECT_TRUE(file->IsPopup());
    EXPECT_EQ(bar.GetSafeHmenu(), file->GetParentMenu());
    EXPECT_TRUE(file->IsConverted());
    EXPECT_EQ(5, file->ItemDataCount());
    EXPECT_EQ(CString(L"E&xit"), file->ItemDataAt(4)->text);
    EXPECT_TRUE(file->ItemDataAt(3)->flags & MF_SEPARATOR);
    EXPECT_EQ(CString(L"&File"), bar.ItemDataAt(0)->text);
    // Found through the tree from the bar.
    int position = -1;
    EXPECT_EQ(file, bar.FindCommandMenu(ID_MENUTEST_SAVE, &position));
    EXPECT_EQ(2, position);
    EXPECT_EQ(file->ItemDataAt(2), bar.FindItemData(ID_MENUTEST_SAVE));

    // Mnemonics ignore case; a doubled ampersand before the letter also matches.
    EXPECT_EQ(MAKELRESULT(4, MNC_EXECUTE), CStyleMenu::FindMenuChar('X', 0, file));
    EXPECT_EQ(0, CStyleMenu::FindMenuChar('Q', 0, file));
    CMenu plain;
    plain.CreatePopupMenu();
    EXPECT_EQ(0, CStyleMenu::FindMenuChar('X', 0, &plain));

    // RemoveMenu of a popup leaves its object to the caller; DeleteMenu frees it.
    CStyleMenu* edit = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(GetSubMenu(bar, 1)));
    ASSERT_NE(nullptr, edit);
    EXPECT_TRUE(bar.RemoveMenu(1, MF_BYPOSITION));
    EXPECT_EQ(1, bar.ItemDataCount());
    EXPECT_TRUE(IsMenu(edit->GetSafeHmenu()));
    delete edit;
    EXPECT_TRUE(bar.DeleteMenu(0, MF_BYPOSITION));
    EXPECT_EQ(0, bar.ItemDataCount());
    EXPECT_EQ(0, bar.GetMenuItemCount());
}

TEST(MenuItems, RebuildAfterOutsideChangesAndSystemCommandRenumbering) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&One", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(L"&Two", 0, 101, static_cast<CStyleMenuIcons*>(nullptr), -1);
    CStyleMenuItemData* two = menu.ItemDataAt(1);
    // Someone inserts straight into the Windows menu.
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_STRING, 99, L"&Zero");
    menu.Rebuild();
    ASSERT_EQ(3, menu.ItemDataCount());
    EXPECT_EQ(CString(L"&Zero"), menu.ItemDataAt(0)->text);
    EXPECT_EQ(two, menu.ItemDataAt(2));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(reinterpret_cast<ULONG_PTR>(menu.ItemDataAt(i)), MenuItemData(menu, i));
    // An item removed outside loses its record.
    RemoveMenu(menu, 1, MF_BYPOSITION);
    menu.Rebuild();
    EXPECT_EQ(2, menu.ItemDataCount());
    EXPECT_EQ(two, menu.ItemDataAt(1));

    CStyleMenu system;
    ASSERT_TRUE(system.CreatePopupMenu());
    AppendMenuW(system, MF_STRING, SC_RESTORE, L"&Restore");
    AppendMenuW(system, MF_STRING, SC_MINIMIZE, L"Mi&nimize");
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, SC_CLOSE, L"&Close");
    system.FinishLoad();
    EXPECT_TRUE(system.IsConverted());
    EXPECT_EQ(4, system.ItemDataCount());
    if (CStyleMenu::s_winVersion == 7) {
        EXPECT_EQ(0xF121u, system.GetMenuItemID(0));
        EXPECT_EQ(0xF021u, system.GetMenuItemID(1));
        EXPECT_EQ(0xF061u, system.GetMenuItemID(3));
        TestWindow owner;
        CStyleMenu::InitPopupMenu(owner.hwnd(), &system);
        system.OnPopupClosed();
        EXPECT_EQ(static_cast<UINT>(SC_CLOSE), system.GetMenuItemID(3));
    }
}

TEST(MenuItems, TitlesAndPopups) {
    CStyleMenu empty;
    ASSERT_TRUE(empty.CreatePopupMenu());
    EXPECT_FALSE(empty.SetTitle(L"Title", kTitleVertical));
    EXPECT_NE(nullptr, empty.GetTitleData());

    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&One", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    EXPECT_TRUE(menu.SetTitle(L"Title", kTitleVertical));
    EXPECT_EQ(2, menu.GetMenuItemCount());
    EXPECT_EQ(0xD00u, menu.GetTitleData()->flags);
    EXPECT_TRUE(menu.ItemDataAt(1)->flags & MF_MENUBREAK);
    EXPECT_TRUE(menu.SetTitle(L"Title", 0));
    EXPECT_FALSE(menu.ItemDataAt(1)->flags & MF_MENUBREAK);
    EXPECT_TRUE(menu.SetTitleColors(RGB(1, 2, 3), CLR_DEFAULT, CLR_DEFAULT));
    EXPECT_TRUE(menu.RemoveMenuTitle());
    EXPECT_EQ(nullptr, menu.GetTitleData());
    EXPECT_FALSE(menu.SetTitleColors(0, 0, 0));

    CStyleMenu* popup = menu.AppendPopup(L"&More");
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(menu.GetSafeHmenu(), popup->GetParentMenu());
    EXPECT_EQ(popup->GetSafeHmenu(), GetSubMenu(menu, 1));
    popup->AppendItem(L"&Deep", 0, 200, static_cast<CStyleMenuIcons*>(nullptr), -1);
    int position = -1;
    EXPECT_EQ(popup, menu.FindCommandMenu(200, &position));
    EXPECT_TRUE(menu.ModifyItem(L"&Deeper", 200, static_cast<CStyleMenuIcons*>(nullptr), -1));
    EXPECT_EQ(CString(L"&Deeper"), popup->ItemDataAt(0)->text);
}

TEST(MenuMeasure, SizesPerStyleFamily) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"Item", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(nullptr, 0, 0, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(L"Item", 0, 101, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.SetDefaultItem(101);
    int cyMenu = GetSystemMetrics(SM_CYMENU);
    struct Case {
        int style;
        int height;
    } cases[] = {
        {0, cyMenu > 19 ? cyMenu : 19},
        {6, cyMenu > 21 ? cyMenu : 21},
        {2, cyMenu > 23 ? cyMenu : 22},
    };
    for (const Case& c : cases) {
        MEASUREITEMSTRUCT item = Measure(menu, 0, c.style);
        EXPECT_EQ(static_cast<UINT>(c.height), item.itemHeight) << c.style;
        MEASUREITEMSTRUCT separator = Measure(menu, 1, c.style);
        EXPECT_EQ(3u, separator.itemWidth) << c.style;
        EXPECT_EQ(3u, separator.itemHeight) << c.style;
        // The default item is bold: wider than the same text in a plain item.
        EXPECT_GT(Measure(menu, 2, c.style).itemWidth, item.itemWidth) << c.style;
    }
    // Style 0 widths: text + 2 icon widths + 2; XP: icon + text + cyMenu/2 + 6.
    UINT style0 = Measure(menu, 0, 0).itemWidth, xp = Measure(menu, 0, 2).itemWidth;
    EXPECT_EQ(static_cast<int>(xp), static_cast<int>(style0) - 2 * 16 - 2 + 16 + cyMenu / 2 + 6);

    // A vertical title with no icon: its text height, less the check width except under Wine.
    ASSERT_TRUE(menu.SetTitle(L"Title", kTitleVertical));
    MEASUREITEMSTRUCT title = Measure(menu, 0, 2);
    EXPECT_EQ(0u, title.itemHeight);
    EXPECT_GT(title.itemWidth, 0u);
    CStyleMenu::s_isWine = FALSE;
    MEASUREITEMSTRUCT narrower = Measure(menu, 0, 2);
    CStyleMenu::s_isWine = TRUE;
    int expected = static_cast<int>(title.itemWidth) - GetSystemMetrics(SM_CXMENUCHECK);
    EXPECT_EQ(static_cast<UINT>(expected > 0 ? expected : 0), narrower.itemWidth);
}

TEST(MenuMeasure, SystemCloseTakesTheNextCommandsWidthAndAMenuHeight) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&Close", 0, SC_CLOSE, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(nullptr, 0, 0, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(L"A much longer command text", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    MEASUREITEMSTRUCT close = Measure(menu, 0, 2);
    MEASUREITEMSTRUCT longer = Measure(menu, 2, 2);
    EXPECT_EQ(longer.itemWidth, close.itemWidth);
    EXPECT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CYMENU)), close.itemHeight);
}

TEST(MenuMeasure, SystemCommandNeighbourIsMeasuredAsItself) {
    // Restore takes the width of Move after it: Move's accelerator names and
    // its bold as the default item count.
    ACCEL entries[] = {{FVIRTKEY | FALT, VK_F7, SC_MOVE}};
    HACCEL table = CreateAcceleratorTableW(entries, 1);
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.SetAccelerators(table);
    menu.AppendItem(L"&R", 0, SC_RESTORE, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(L"&Move", 0, SC_MOVE, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.SetDefaultItem(SC_MOVE);
    for (int style : {0, 2, 6}) {
        MEASUREITEMSTRUCT restore = Measure(menu, 0, style);
        MEASUREITEMSTRUCT move = Measure(menu, 1, style);
        EXPECT_EQ(move.itemWidth, restore.itemWidth) << style;
        EXPECT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CYMENU)), restore.itemHeight) << style;
    }
    DestroyAcceleratorTable(table);
}
