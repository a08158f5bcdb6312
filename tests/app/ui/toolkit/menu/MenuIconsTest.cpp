// Shared icon stores from the test toolbars and bitmaps: sharing, sizes,
// derived images, colour refresh and toolbar icons on menu items.
#include <gtest/gtest.h>

#include "MenuTestResource.h"
#include "MenuTestSupport.h"
#include "app/ui/toolkit/CStyleMenu.h"
#include "app/ui/toolkit/CStyleMenuIcons.h"
#include "app/ui/toolkit/MenuColors.h"

namespace {

int SharedCount() { return CStyleMenu::s_pSharedIconStores ? static_cast<int>(CStyleMenu::s_pSharedIconStores->GetCount()) : 0; }

// The colour at (x, y) of image index of the store, drawn on black.
COLORREF ImagePixel(CStyleMenuIcons* store, int index, int x, int y) {
    DibCanvas canvas(24, 24, RGB(0, 0, 0));
    ImageList_Draw(store->Images().GetSafeHandle(), index, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    return canvas.Pixels().At(x, y);
}

HBITMAP SolidBitmap(int w, int h, COLORREF c) {
    DibCanvas canvas(w, h, c);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, canvas.dc(), 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

} // namespace

TEST(MenuIcons, OneStorePerToolbarWithTriplesAndItemIcons) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENUTEST_MENU));
    int before = SharedCount();
    // The toolbar bitmap's face is light grey, whatever the system's face colour.
    menu.SetBitmapBackground(RGB(192, 192, 192));
    CStyleMenuIcons* store = GetIconStore(&menu, IDR_MENUTEST_TOOLBAR, nullptr);
    ASSERT_NE(nullptr, store);
    EXPECT_EQ(store, GetIconStore(&menu, IDR_MENUTEST_TOOLBAR, nullptr));
    EXPECT_EQ(before + 1, SharedCount());
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
    int before = SharedCount();
    EXPECT_EQ(nullptr, GetIconStore(&menu, IDR_MENUTEST_SEPARATORS, nullptr));
    EXPECT_EQ(before, SharedCount());
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
