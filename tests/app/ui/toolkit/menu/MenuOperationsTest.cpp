// The menu's further operations: items' user values, the plain value, the
// library font, searches over any menu and by text, the bitmap form of
// ModifyMenu and toolbars cut from a bitmap.
#include <gtest/gtest.h>

#include "MenuTestResource.h"
#include "MenuTestSupport.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "app/ui/toolkit/menu/CStyleMenuIcons.h"

namespace {

CStyleMenu* SubMenu(CStyleMenu& menu, int position) {
    return DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(GetSubMenu(menu, position)));
}

UINT TitleWidth(CStyleMenu& menu) {
    MEASUREITEMSTRUCT mis = {ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(menu.ItemDataAt(0))};
    menu.MeasureItem(&mis);
    return mis.itemWidth;
}

}  // namespace

TEST(MenuOperations, UserValuesByPositionAndByCommandThroughTheTree) {
    CStyleMenu bar;
    ASSERT_TRUE(bar.LoadMenu(IDR_MENUTEST_MENU));
    CStyleMenu* file = SubMenu(bar, 0);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0u, bar.GetItemUserValue(ID_MENUTEST_SAVE));

    EXPECT_TRUE(bar.SetItemUserValue(ID_MENUTEST_SAVE, 77));
    EXPECT_EQ(77u, file->GetItemUserValue(2, MF_BYPOSITION));
    EXPECT_EQ(77u, file->ItemDataAt(2)->userValue);
    EXPECT_TRUE(bar.SetItemUserValue(1, 5, MF_BYPOSITION));
    EXPECT_EQ(5u, bar.GetItemUserValue(1, MF_BYPOSITION));
    EXPECT_EQ(0u, bar.GetItemUserValue(0, MF_BYPOSITION));

    struct Absent {
        UINT item;
        UINT flags;
    } absent[] = {{9999, MF_BYCOMMAND}, {2, MF_BYPOSITION}, {static_cast<UINT>(-1), MF_BYPOSITION}};
    for (const Absent& a : absent) {
        EXPECT_EQ(static_cast<DWORD>(-1), bar.GetItemUserValue(a.item, a.flags)) << a.item;
        EXPECT_FALSE(bar.SetItemUserValue(a.item, 1, a.flags)) << a.item;
    }
}

TEST(MenuOperations, PlainValueAndTheLibraryFontCopiedWhole) {
    CStyleMenu menu;
    EXPECT_EQ(0, menu.GetPlainValue());
    EXPECT_TRUE(menu.SetPlainValue(7));
    int value = 0, previous = 0;
    EXPECT_TRUE(menu.GetPlainValue(&value));
    EXPECT_EQ(7, value);
    EXPECT_FALSE(menu.GetPlainValue(nullptr));
    EXPECT_TRUE(menu.SetPlainValue(9, &previous));
    EXPECT_EQ(7, previous);
    EXPECT_EQ(9, menu.GetPlainValue());

    LOGFONTW saved;
    CStyleMenu::GetLibraryLogFont(&saved);
    EXPECT_EQ(16, saved.lfHeight);
    EXPECT_EQ(700, saved.lfWeight);
    EXPECT_EQ(1, saved.lfCharSet);
    EXPECT_STREQ(L"Arial", saved.lfFaceName);

    LOGFONTW wide = saved;
    wide.lfHeight = 40;
    wide.lfItalic = TRUE;
    wcscpy(wide.lfFaceName, L"Tahoma");
    CStyleMenu::SetLibraryLogFont(wide);
    LOGFONTW back;
    memset(&back, 0xCC, sizeof back);
    CStyleMenu::GetLibraryLogFont(&back);
    EXPECT_EQ(0, memcmp(&wide, &back, sizeof back));

    // Titles measure in it: a taller font makes a wider title.
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"Item", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.SetTitle(L"A title", 0);
    UINT large = TitleWidth(menu);

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(80, L"Courier New"));
    EXPECT_TRUE(CStyleMenu::SetLibraryFont(&font));
    CStyleMenu::GetLibraryLogFont(&back);
    EXPECT_STREQ(L"Courier New", back.lfFaceName);
    EXPECT_LT(TitleWidth(menu), large);
    CFont none;
    EXPECT_FALSE(CStyleMenu::SetLibraryFont(&none));
    EXPECT_FALSE(CStyleMenu::SetLibraryFont(nullptr));
    CStyleMenu::GetLibraryLogFont(&wide);
    EXPECT_EQ(0, memcmp(&wide, &back, sizeof back));
    CStyleMenu::SetLibraryLogFont(saved);
}

TEST(MenuOperations, StaticSearchesOverAnyMenuWithAnObject) {
    CMenu plain;
    ASSERT_TRUE(plain.LoadMenu(IDR_MENUTEST_MENU));
    HMENU edit = GetSubMenu(plain, 1);
    // The same command twice, told apart by the item data.
    AppendMenuW(edit, MF_STRING, 600, L"one");
    AppendMenuW(edit, MF_STRING, 600, L"two");
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    info.dwItemData = 41;
    SetMenuItemInfoW(edit, 3, TRUE, &info);

    int position = -5;
    CMenu* found = CStyleMenu::FindMenuOfCommand(plain, ID_MENUTEST_SAVE, &position);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(GetSubMenu(plain, 0), found->m_hMenu);
    EXPECT_EQ(2, position);
    found = CStyleMenu::FindMenuOfCommandData(plain, 600, 41, &position);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(edit, found->m_hMenu);
    EXPECT_EQ(3, position);
    // Without data the first of the two is found.
    CStyleMenu::FindMenuOfCommand(plain, 600, &position);
    EXPECT_EQ(2, position);

    HMENU loose = CreatePopupMenu();
    AppendMenuW(loose, MF_STRING, 700, L"loose");
    struct Miss {
        const char* name;
        HMENU menu;
        UINT id;
        BOOL byData;
    } misses[] = {
        {"no such command", plain, 9999, FALSE},
        {"no such data", plain, 600, TRUE},
        {"a menu without an object", loose, 700, FALSE},
        {"no menu at all", reinterpret_cast<HMENU>(static_cast<UINT_PTR>(0x1234)), 700, FALSE},
        {"null", nullptr, 700, FALSE},
    };
    for (const Miss& m : misses) {
        position = -5;
        CMenu* none = m.byData ? CStyleMenu::FindMenuOfCommandData(m.menu, m.id, 99, &position)
                               : CStyleMenu::FindMenuOfCommand(m.menu, m.id, &position);
        EXPECT_EQ(nullptr, none) << m.name;
        EXPECT_EQ(-1, position) << m.name;
    }
    DestroyMenu(loose);

    // A library menu's items carry their records as data.
    CStyleMenu style;
    ASSERT_TRUE(style.LoadMenu(IDR_MENUTEST_MENU));
    CStyleMenu* file = SubMenu(style, 0);
    ULONG_PTR record = reinterpret_cast<ULONG_PTR>(file->ItemDataAt(2));
    EXPECT_EQ(file, CStyleMenu::FindMenuOfCommandData(style, ID_MENUTEST_SAVE, record));
}

TEST(MenuOperations, TextSearchesThroughTheTree) {
    CStyleMenu bar;
    ASSERT_TRUE(bar.LoadMenu(IDR_MENUTEST_MENU));
    CStyleMenu* file = SubMenu(bar, 0);
    CStyleMenu* edit = SubMenu(bar, 1);
    CStyleMenu* recent = file->AppendPopup(L"&Recent");
    ASSERT_NE(nullptr, recent);
    recent->AppendItem(L"&Last one", 0, 800, static_cast<CStyleMenuIcons*>(nullptr), -1);

    struct Case {
        const wchar_t* text;
        CStyleMenu* menu;
        int position;
    } cases[] = {
        {L"&Edit", &bar, 1},
        {L"&Save", file, 2},
        {L"&Last one", recent, 0},
        {L"&Nothing", nullptr, -1},
    };
    for (const Case& c : cases) {
        CStyleMenu* menu = reinterpret_cast<CStyleMenu*>(1);
        EXPECT_EQ(c.position, bar.FindItemByText(c.text, &menu)) << CStringA(c.text).GetString();
        EXPECT_EQ(c.menu, menu) << CStringA(c.text).GetString();
    }
    EXPECT_EQ(edit, bar.FindSubMenuByText(L"&Edit"));
    EXPECT_EQ(recent, bar.FindSubMenuByText(L"&Recent"));
    // Only sub-menus: a command's text gives none.
    EXPECT_EQ(nullptr, bar.FindSubMenuByText(L"&Save"));
    EXPECT_EQ(nullptr, bar.FindSubMenuByText(L"&Nothing"));

    // Renaming by text reaches the deepest level.
    ASSERT_TRUE(bar.ModifyItemByText(L"&First one", L"&Last one", -1));
    EXPECT_EQ(CString(L"&First one"), recent->ItemDataAt(0)->text);
}

TEST(MenuOperations, ModifyMenuBitmapFormKeepsTheRecordAndItsText) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&One", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(L"&Two", 0, 101, static_cast<CStyleMenuIcons*>(nullptr), -1);
    CBitmap bitmap;
    bitmap.Attach(SolidBitmap(16, 15, RGB(0, 0, 255)));

    ASSERT_TRUE(menu.ModifyMenu(101, MF_BYCOMMAND, 102, &bitmap));
    EXPECT_EQ(102u, menu.GetMenuItemID(1));
    EXPECT_EQ(102u, menu.ItemDataAt(1)->id);
    EXPECT_EQ(CString(L"&Two"), menu.ItemDataAt(1)->text);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(menu.ItemDataAt(1)), MenuItemData(menu, 1));

    ASSERT_TRUE(menu.ModifyMenu(0, MF_BYPOSITION | MF_STRING, 103, L"&Uno"));
    EXPECT_EQ(CString(L"&Uno"), menu.ItemDataAt(0)->text);
    EXPECT_EQ(103u, menu.GetMenuItemID(0));

    // An item that no record stands for (added behind the library's back)
    // becomes a bitmap item of Windows.
    AppendMenuW(menu, MF_STRING, 104, L"raw");
    ASSERT_TRUE(menu.ModifyMenu(2, MF_BYPOSITION, 105, &bitmap));
    EXPECT_EQ(2, menu.ItemDataCount());
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP | MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 2, TRUE, &info));
    EXPECT_EQ(static_cast<HBITMAP>(bitmap.GetSafeHandle()), info.hbmpItem);
    EXPECT_EQ(105u, info.wID);
    EXPECT_FALSE(menu.ModifyMenu(9999, MF_BYCOMMAND, 106, &bitmap));
}

TEST(MenuIcons, ToolbarsCutFromABitmapShareStoresBySourceSizeAndCommands) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENUTEST_MENU));
    menu.SetBitmapBackground(RGB(192, 192, 192));
    HBITMAP strip = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENUTEST_TOOLBAR));
    ASSERT_NE(nullptr, strip);
    const UINT three[] = {ID_MENUTEST_NEW, ID_MENUTEST_OPEN, ID_MENUTEST_SAVE, 0};
    const UINT two[] = {ID_MENUTEST_NEW, ID_MENUTEST_OPEN, 0};
    int before = SharedStoreCount();

    ASSERT_TRUE(menu.LoadToolBar(strip, 16, 15, three));
    CStyleMenuIcons* store = menu.FindItemData(ID_MENUTEST_SAVE)->icons;
    ASSERT_NE(nullptr, store);
    EXPECT_EQ(6, menu.FindItemData(ID_MENUTEST_SAVE)->iconIndex);
    EXPECT_EQ(9, store->ImageCount());
    EXPECT_TRUE(store->MatchesBitmap(strip, 16, 15, three));
    EXPECT_FALSE(store->MatchesBitmap(strip, 16, 15, two));
    EXPECT_FALSE(store->MatchesBitmap(strip, 16, 16, three));
    EXPECT_EQ(before + 1, SharedStoreCount());

    ASSERT_TRUE(menu.LoadToolBar(strip, 16, 15, three));
    EXPECT_EQ(store, menu.FindItemData(ID_MENUTEST_SAVE)->icons);
    EXPECT_EQ(before + 1, SharedStoreCount());
    ASSERT_TRUE(menu.LoadToolBar(strip, 16, 15, two));
    EXPECT_NE(store, menu.FindItemData(ID_MENUTEST_OPEN)->icons);
    EXPECT_EQ(before + 2, SharedStoreCount());

    // The store copied the bitmap: the caller's may go at once.
    DeleteObject(strip);
    DibPixels drawn = DrawWithStyle(*SubMenu(menu, 0), 0, 0, 0);
    EXPECT_EQ(RGB(255, 0, 0), drawn.At(12, 11));

    const UINT none[] = {0};
    HBITMAP other = SolidBitmap(16, 15, RGB(0, 0, 255));
    EXPECT_FALSE(menu.LoadToolBar(other, 16, 15, none));
    EXPECT_FALSE(menu.LoadToolBar(static_cast<HBITMAP>(nullptr), 16, 15, three));
    EXPECT_EQ(before + 2, SharedStoreCount());
    DeleteObject(other);
}
