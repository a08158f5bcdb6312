// Shared icon stores from the test toolbars and bitmaps: sharing, sizes,
// derived images, colour refresh and toolbar icons on menu items.
#include <gtest/gtest.h>

#include <functional>

#include "MenuTestResource.h"
#include "MenuTestSupport.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "app/ui/toolkit/menu/CStyleMenuIcons.h"
#include "app/ui/toolkit/menu/MenuColors.h"

namespace {

// The colour at (x, y) of image index of the store, drawn on black.
COLORREF ImagePixel(CStyleMenuIcons* store, int index, int x, int y) {
    DibCanvas canvas(24, 24, RGB(0, 0, 0));
    ImageList_Draw(store->Images().GetSafeHandle(), index, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    return canvas.Pixels().At(x, y);
}

}  // namespace

TEST(MenuIcons, OneStorePerToolbarWithTriplesAndItemIcons) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENUTEST_MENU));
    int before = SharedStoreCount();
    // The toolbar bitmap's face is light grey, whatever the system's face colour.
    menu.SetBitmapBackground(RGB(192, 192, 192));
    CStyleMenuIcons* store = GetIconStore(&menu, IDR_MENUTEST_TOOLBAR, nullptr);
    ASSERT_NE(nullptr, store);
    EXPECT_EQ(store, GetIconStore(&menu, IDR_MENUTEST_TOOLBAR, nullptr));
    EXPECT_EQ(before + 1, SharedStoreCount());
    EXPECT_EQ(3, store->CommandCount());
    EXPECT_EQ(9, store->ImageCount());
    EXPECT_EQ(CSize(16, 15), store->GetIconSize());
    EXPECT_EQ(3, store->FindCommand(ID_MENUTEST_OPEN));
    EXPECT_EQ(-1, store->FindCommand(ID_MENUTEST_EXIT));
    // Source red; the shadow is darkened by 50; the face colour is transparent.
    EXPECT_EQ(RGB(255, 0, 0), ImagePixel(store, 0, 8, 7));
    EXPECT_EQ(DarkenColor(50, RGB(255, 0, 0)), ImagePixel(store, 1, 8, 7));
    EXPECT_NE(RGB(255, 0, 0), ImagePixel(store, 2, 8, 7));
    EXPECT_EQ(RGB(0, 0, 0), ImagePixel(store, 0, 0, 0));

    ASSERT_TRUE(menu.LoadToolBar(IDR_MENUTEST_TOOLBAR));
    CStyleMenuItemData* save = menu.FindItemData(ID_MENUTEST_SAVE);
    ASSERT_NE(nullptr, save);
    EXPECT_EQ(store, save->icons);
    EXPECT_EQ(6, save->iconIndex);
    EXPECT_EQ(-1, menu.GetItemIcon(ID_MENUTEST_EXIT));

    // The image index is the position among the buttons that are no separator; 0 counts.
    int image = -5;
    EXPECT_TRUE(GetToolBarImageIndex(IDR_MENUTEST_TOOLBAR, ID_MENUTEST_NEW, &image));
    EXPECT_EQ(0, image);
    EXPECT_TRUE(GetToolBarImageIndex(IDR_MENUTEST_TOOLBAR, ID_MENUTEST_SAVE, &image));
    EXPECT_EQ(2, image);
    EXPECT_FALSE(GetToolBarImageIndex(IDR_MENUTEST_TOOLBAR, ID_MENUTEST_EXIT, &image));
}

TEST(MenuIcons, SeparatorsOnlyAndOtherSizes) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    int before = SharedStoreCount();
    EXPECT_EQ(nullptr, GetIconStore(&menu, IDR_MENUTEST_SEPARATORS, nullptr));
    EXPECT_EQ(before, SharedStoreCount());
    EXPECT_EQ(nullptr, GetIconStore(&menu, 9999, nullptr));

    menu.AppendItem(L"Cut", 0, ID_MENUTEST_CUT, static_cast<CStyleMenuIcons*>(nullptr), -1);
    ASSERT_TRUE(menu.LoadToolBar(IDR_MENUTEST_TOOLBAR20));
    int cx = 0, cy = 0;
    menu.GetIconSize(&cx, &cy);
    EXPECT_EQ(20, cx);
    EXPECT_EQ(20, cy);

    // Bitmaps of another size than a store's go to another store.
    HBITMAP small = SolidBitmap(16, 15, RGB(0, 0, 255));
    HBITMAP large = SolidBitmap(20, 20, RGB(0, 255, 0));
    int a = -1, b = -1, c = -1;
    CStyleMenuBitmaps* first = GetBitmapStore(&menu, small, &a);
    CStyleMenuBitmaps* second = GetBitmapStore(&menu, large, &b);
    CStyleMenuBitmaps* again = GetBitmapStore(&menu, small, &c);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first, again);
    EXPECT_EQ(a + 3, c);
    EXPECT_EQ(nullptr, GetBitmapStore(&menu, nullptr, &a));
    EXPECT_EQ(-1, a);
    DeleteObject(small);
    DeleteObject(large);
}

TEST(MenuIcons, ColourChangeRegeneratesOnlyDerivedImagesAtMostEvery2Seconds) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    HBITMAP blue = SolidBitmap(16, 15, RGB(0, 0, 255));
    int index = -1;
    CStyleMenuBitmaps* store = GetBitmapStore(&menu, blue, &index);
    DeleteObject(blue);
    ASSERT_NE(nullptr, store);
    COLORREF source = ImagePixel(store, index, 5, 5);
    int oldDarken = CStyleMenu::SetIconShadowDarken(200);
    store->OnSysColorChange();
    EXPECT_EQ(source, ImagePixel(store, index, 5, 5));
    EXPECT_EQ(DarkenColor(200, source), ImagePixel(store, index + 1, 5, 5));
    CStyleMenu::SetIconShadowDarken(oldDarken);

    RefreshIconStores();
    CStyleMenu::SetIconShadowDarken(100);
    RefreshIconStores();  // within 2 s: nothing
    CStyleMenu::SetIconShadowDarken(oldDarken);
    EXPECT_EQ(DarkenColor(50, source), ImagePixel(store, index + 1, 5, 5));
}

TEST(MenuIcons, TintAndBitmapResources) {
    CBitmap bitmap;
    bitmap.Attach(SolidBitmap(4, 4, RGB(90, 120, 150)));
    COLORREF first = TintBitmap(&bitmap, 255, RGB(0, 0, 0));
    EXPECT_EQ(RGB(119, 119, 119), first);
    BITMAPINFOHEADER header = {};
    header.biBitCount = 4;
    EXPECT_EQ(16, GetBitmapColorCount(header));
    header.biClrUsed = 7;
    EXPECT_EQ(7, GetBitmapColorCount(header));
    int colours = 0;
    HBITMAP loaded = LoadBitmapResourceEx(MAKEINTRESOURCEW(IDB_MENUTEST_SINGLE), nullptr, &colours);
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(0, colours);
    DeleteObject(loaded);
    EXPECT_EQ(nullptr, LoadSysColorBitmap16(IDB_MENUTEST_SINGLE));
    HBITMAP mapped = LoadSysColorBitmap16(IDB_MENUTEST_CHECK16);
    EXPECT_NE(nullptr, mapped);
    if (mapped) DeleteObject(mapped);
}

TEST(MenuIcons, ResourceFormsOfItemOperations) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENUTEST_MENU));
    // A toolbar resource drawn from another bitmap: its buttons' commands get icons.
    EXPECT_FALSE(menu.LoadToolBar(MAKEINTRESOURCEW(4999), IDR_MENUTEST_MENU, -1));
    ASSERT_TRUE(menu.LoadToolBar(MAKEINTRESOURCEW(IDR_MENUTEST_TOOLBAR), IDR_MENUTEST_MENU, -1));
    CStyleMenuItemData* open = menu.FindItemData(ID_MENUTEST_OPEN);
    ASSERT_NE(nullptr, open);
    ASSERT_NE(nullptr, open->icons);
    EXPECT_EQ(3, open->iconIndex);  // second button: images 3, 4, 5
    CStyleMenuIcons* fromData = open->icons;
    // The same description again finds the same store.
    const WORD data[] = {IDR_MENUTEST_MENU, 16, 15, ID_MENUTEST_NEW, ID_MENUTEST_OPEN, ID_MENUTEST_SAVE, 0};
    ASSERT_TRUE(menu.LoadToolBarData(data));
    EXPECT_EQ(fromData, menu.FindItemData(ID_MENUTEST_OPEN)->icons);

    // resourceId: a toolbar holding the command gives its button, else a bitmap.
    ASSERT_TRUE(menu.ModifyItem(nullptr, ID_MENUTEST_SAVE, static_cast<UINT>(IDR_MENUTEST_TOOLBAR)));
    EXPECT_EQ(6, menu.FindItemData(ID_MENUTEST_SAVE)->iconIndex);
    ASSERT_TRUE(menu.ModifyItem(nullptr, ID_MENUTEST_CUT, static_cast<UINT>(IDB_MENUTEST_SINGLE)));
    CStyleMenuItemData* cut = menu.FindItemData(ID_MENUTEST_CUT);
    EXPECT_NE(nullptr, cut->icons);
    EXPECT_GE(cut->iconIndex, 0);
    ASSERT_TRUE(menu.ModifyItem(nullptr, ID_MENUTEST_PASTE, static_cast<UINT>(4999)));
    EXPECT_EQ(-1, menu.FindItemData(ID_MENUTEST_PASTE)->iconIndex);

    CStyleMenu* file = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(menu.GetSubMenu(0)->GetSafeHmenu()));
    ASSERT_NE(nullptr, file);
    ASSERT_TRUE(file->InsertItem(0, L"Fresh", MF_BYPOSITION, 4321, static_cast<UINT>(IDB_MENUTEST_SINGLE)));
    EXPECT_GE(file->FindItemData(4321)->iconIndex, 0);
    ASSERT_TRUE(file->AppendItem(L"Single", 0, 4322, static_cast<UINT>(IDB_MENUTEST_SINGLE)));
    EXPECT_GE(file->FindItemData(4322)->iconIndex, 0);

    // By text through the tree: new text, a negative id kept as the index.
    ASSERT_TRUE(menu.ModifyItemByText(L"Paste &here", L"&Paste", -1));
    CString text;
    CStyleMenu* edit = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(menu.GetSubMenu(1)->GetSafeHmenu()));
    ASSERT_NE(nullptr, edit);
    EXPECT_GE(edit->FindItemByText(L"Paste &here"), 0);
    EXPECT_FALSE(menu.ModifyItemByText(L"x", L"no such item", -1));
}

TEST(MenuIcons, IconMenusTakeResourcesAsIcons) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENUTEST_MENU));
    // A bitmap menu finds no bitmap of an icon's id.
    ASSERT_TRUE(menu.ModifyItem(nullptr, ID_MENUTEST_CUT, static_cast<UINT>(IDI_MENUTEST_ICON)));
    EXPECT_EQ(-1, menu.FindItemData(ID_MENUTEST_CUT)->iconIndex);

    EXPECT_FALSE(menu.SetIconMenu(TRUE));
    ASSERT_TRUE(menu.ModifyItem(nullptr, ID_MENUTEST_CUT, static_cast<UINT>(IDI_MENUTEST_ICON)));
    CStyleMenuItemData* cut = menu.FindItemData(ID_MENUTEST_CUT);
    ASSERT_NE(nullptr, DYNAMIC_DOWNCAST(CStyleMenuBitmaps, cut->icons));
    ASSERT_GE(cut->iconIndex, 0);
    // The icon's own mask: its margin stays transparent, its inside is the icon's.
    EXPECT_EQ(RGB(0, 0, 255), ImagePixel(cut->icons, cut->iconIndex, 8, 7));
    EXPECT_EQ(RGB(0, 0, 0), ImagePixel(cut->icons, cut->iconIndex, 0, 0));
    EXPECT_EQ(DarkenColor(CStyleMenu::s_iconShadowDarken, RGB(0, 0, 255)),
              ImagePixel(cut->icons, cut->iconIndex + 1, 8, 7));
    EXPECT_EQ(RGB(0, 0, 0), ImagePixel(cut->icons, cut->iconIndex + 2, 0, 0));

    // By text too; and a toolbar still wins over an icon for its own commands.
    ASSERT_TRUE(menu.ModifyItemByText(nullptr, L"&Paste", IDI_MENUTEST_ICON));
    EXPECT_EQ(cut->icons, menu.FindItemData(ID_MENUTEST_PASTE)->icons);
    ASSERT_TRUE(menu.ModifyItem(nullptr, ID_MENUTEST_SAVE, static_cast<UINT>(IDR_MENUTEST_TOOLBAR)));
    EXPECT_EQ(6, menu.FindItemData(ID_MENUTEST_SAVE)->iconIndex);
    // An icon menu has no bitmap of a bitmap's id.
    ASSERT_TRUE(menu.ModifyItem(nullptr, ID_MENUTEST_NEW, static_cast<UINT>(IDB_MENUTEST_SINGLE)));
    EXPECT_EQ(-1, menu.FindItemData(ID_MENUTEST_NEW)->iconIndex);
}

TEST(MenuIcons, TitleIconsFromStoresListsBitmapsAndResources) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&One", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    struct Case {
        const char* name;
        std::function<BOOL()> set;
        bool icon;
    };
    CImageList images;
    ASSERT_TRUE(images.Create(16, 15, ILC_COLOR32 | ILC_MASK, 1, 1));
    CBitmap green;
    green.Attach(SolidBitmap(16, 15, RGB(0, 255, 0)));
    ASSERT_EQ(0, images.Add(&green, RGB(255, 0, 255)));
    const Case cases[] = {
        {"bitmap id", [&] { return menu.SetTitleBitmap(L"T", 0, IDB_MENUTEST_SINGLE); }, true},
        {"missing bitmap id", [&] { return menu.SetTitleBitmap(L"T", 0, 4999); }, false},
        {"image list", [&] { return menu.SetTitle(L"T", 0, &images, 0); }, true},
        {"image past the list", [&] { return menu.SetTitle(L"T", 0, &images, 1); }, false},
        {"bitmap resource", [&] { return menu.SetTitleResource(L"T", 0, IDB_MENUTEST_SINGLE); }, true},
        {"icon id in a bitmap menu", [&] { return menu.SetTitleResource(L"T", 0, IDI_MENUTEST_ICON); }, false},
        {"icon id in an icon menu",
         [&] {
             menu.SetIconMenu(TRUE);
             BOOL ok = menu.SetTitleResource(L"T", 0, IDI_MENUTEST_ICON);
             menu.SetIconMenu(FALSE);
             return ok;
         },
         true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.set()) << c.name;
        CStyleMenuItemDataTitle* title = menu.GetTitleData();
        ASSERT_NE(nullptr, title) << c.name;
        EXPECT_EQ(c.icon, title->icons != nullptr && title->iconIndex >= 0) << c.name;
    }
    EXPECT_EQ(2, menu.GetMenuItemCount());
    // The image list's picture, copied into a shared store.
    ASSERT_TRUE(menu.SetTitle(L"T", 0, &images, 0));
    EXPECT_EQ(RGB(0, 255, 0), ImagePixel(menu.GetTitleData()->icons, menu.GetTitleData()->iconIndex, 5, 5));
}

TEST(MenuIcons, ToolbarFlagsPickBitmapOrIconStores) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENUTEST_MENU));
    menu.SetBitmapBackground(RGB(255, 0, 255));
    LPCWSTR toolbar = MAKEINTRESOURCEW(IDR_MENUTEST_ALPHA);
    struct Case {
        int flags;
        BOOL iconMenu;
        BOOL iconStore;
    };
    const Case cases[] = {{0, TRUE, FALSE}, {1, FALSE, TRUE}, {-1, FALSE, FALSE}, {-1, TRUE, TRUE}};
    for (const Case& c : cases) {
        menu.SetIconMenu(c.iconMenu);
        ASSERT_TRUE(menu.LoadToolBar(toolbar, IDR_MENUTEST_ALPHA, c.flags)) << c.flags;
        CStyleMenuItemData* open = menu.FindItemData(ID_MENUTEST_OPEN);
        ASSERT_NE(nullptr, open->icons);
        EXPECT_EQ(c.iconStore, open->icons->m_iconImages) << c.flags << " " << c.iconMenu;
        // A bitmap store masks out the magenta band; an icon store keeps it and
        // takes its transparency from the alpha channel alone.
        EXPECT_EQ(c.iconStore ? RGB(255, 0, 255) : RGB(0, 0, 0), ImagePixel(open->icons, open->iconIndex, 7, 7))
            << c.flags << " " << c.iconMenu;
        EXPECT_EQ(RGB(255, 0, 0), ImagePixel(open->icons, open->iconIndex, 7, 3));
        if (c.iconStore) {
            EXPECT_EQ(RGB(0, 0, 0), ImagePixel(open->icons, open->iconIndex, 0, 0));
        }
    }
    // One store of each kind for the same toolbar.
    menu.SetIconMenu(FALSE);
    ASSERT_TRUE(menu.LoadToolBar(toolbar, IDR_MENUTEST_ALPHA, 0));
    CStyleMenuIcons* bitmaps = menu.FindItemData(ID_MENUTEST_OPEN)->icons;
    ASSERT_TRUE(menu.LoadToolBar(toolbar, IDR_MENUTEST_ALPHA, 1));
    CStyleMenuIcons* icons = menu.FindItemData(ID_MENUTEST_OPEN)->icons;
    EXPECT_NE(bitmaps, icons);
    ASSERT_TRUE(menu.LoadToolBar(toolbar, IDR_MENUTEST_ALPHA, 0));
    EXPECT_EQ(bitmaps, menu.FindItemData(ID_MENUTEST_OPEN)->icons);
}
