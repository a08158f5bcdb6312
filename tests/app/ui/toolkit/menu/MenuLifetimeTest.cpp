// What items, check images and icon stores point at stays alive: bitmap
// items, removal of repeated commands, image-list icons, sub-menus' check
// images and the exit clean-up of the shared stores.
#include <gtest/gtest.h>

#include "MenuTestResource.h"
#include "MenuTestSupport.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "app/ui/toolkit/menu/CStyleMenuIcons.h"
#include "app/ui/toolkit/WindowUtil.h"

namespace {

// Every Windows item points at the record at its position.
void ExpectAligned(CStyleMenu& menu, const char* name) {
    ASSERT_EQ(menu.GetMenuItemCount(), menu.ItemDataCount()) << name;
    for (int i = 0; i < menu.ItemDataCount(); ++i)
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(menu.ItemDataAt(i)), MenuItemData(menu, i)) << name << " " << i;
}

// A store that tells when it is deleted.
class WatchedStore : public CStyleMenuBitmaps {
public:
    explicit WatchedStore(bool* deleted) : m_deleted(deleted) {}
    ~WatchedStore() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

}  // namespace

TEST(MenuItemLifetimes, BitmapItemsNeverReadTheirHandleAsText) {
    // An address that faults when read: what a handle is not.
    void* unreadable = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    ASSERT_NE(nullptr, unreadable);
    HBITMAP real = SolidBitmap(16, 15, RGB(0, 0, 255));
    struct Case {
        const char* name;
        HBITMAP bitmap;
    } cases[] = {{"a real bitmap", real}, {"an unreadable handle", static_cast<HBITMAP>(unreadable)}};
    for (const Case& c : cases) {
        CStyleMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        AppendMenuTextItem(&menu, L"&Text", 299, MF_ENABLED);
        AppendMenuBitmapItem(&menu, c.bitmap, 300, MF_GRAYED);
        ASSERT_TRUE(menu.InsertItem(0, reinterpret_cast<LPCWSTR>(c.bitmap), MF_BYPOSITION | MF_BITMAP, 301,
                                    static_cast<CStyleMenuIcons*>(nullptr), -1))
            << c.name;
        ExpectAligned(menu, c.name);
        EXPECT_EQ(301u, menu.GetMenuItemID(0)) << c.name;
        EXPECT_EQ(300u, menu.GetMenuItemID(2)) << c.name;
        EXPECT_TRUE(menu.ItemDataAt(0)->text.IsEmpty()) << c.name;
        EXPECT_TRUE(menu.ItemDataAt(2)->text.IsEmpty()) << c.name;
        EXPECT_TRUE(GetMenuState(menu, 300, MF_BYCOMMAND) & MF_GRAYED) << c.name;
        EXPECT_TRUE(GetMenuState(menu, 300, MF_BYCOMMAND) & MF_OWNERDRAW) << c.name;
        // The records can be measured and drawn like any other.
        DibPixels drawn = DrawWithStyle(menu, 2, 2, ODS_GRAYED);
        EXPECT_EQ(menu.GetColors()[CStyleMenu::kColorBack], drawn.At(150, 12)) << c.name;
    }
    DeleteObject(real);
    VirtualFree(unreadable, 0, MEM_RELEASE);
}

TEST(MenuItemLifetimes, DeleteAndRemoveTakeOnlyTheRecordOfThatItem) {
    struct Case {
        const char* name;
        BOOL destroy;
        UINT item;
        UINT flags;
        const wchar_t* left[3];
    } cases[] = {
        {"delete by position", TRUE, 1, MF_BYPOSITION, {L"A", L"C", L"D"}},
        {"remove by position", FALSE, 1, MF_BYPOSITION, {L"A", L"C", L"D"}},
        {"remove the last of the three", FALSE, 2, MF_BYPOSITION, {L"A", L"B", L"D"}},
        {"delete by command: the first", TRUE, 100, MF_BYCOMMAND, {L"B", L"C", L"D"}},
        {"remove another command", FALSE, 101, MF_BYCOMMAND, {L"A", L"B", L"C"}},
    };
    for (const Case& c : cases) {
        CStyleMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        for (const wchar_t* text : {L"A", L"B", L"C"})
            menu.AppendItem(text, 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
        menu.AppendItem(L"D", 0, 101, static_cast<CStyleMenuIcons*>(nullptr), -1);
        ASSERT_TRUE(c.destroy ? menu.DeleteMenu(c.item, c.flags) : menu.RemoveMenu(c.item, c.flags)) << c.name;
        ExpectAligned(menu, c.name);
        for (int i = 0; i < 3 && i < menu.ItemDataCount(); ++i) {
            EXPECT_EQ(CString(c.left[i]), menu.ItemDataAt(i)->text) << c.name << " " << i;
            CString shown;
            EXPECT_TRUE(menu.GetMenuText(i, shown)) << c.name;
            EXPECT_EQ(CString(c.left[i]), shown) << c.name << " " << i;
        }
    }
}

TEST(MenuItemLifetimes, ImageListIconsKeepTheirTransparentMargin) {
    struct Source {
        const char* name;
        BOOL (*create)(CImageList&);
    } sources[] = {{"mask", CreateMaskedMarginImages}, {"alpha", CreateAlphaMarginImages}};
    for (const Source& source : sources) {
        CImageList list;
        ASSERT_TRUE(source.create(list)) << source.name;
        CStyleMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        menu.AppendItem(L"&Plain", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
        struct Case {
            const char* name;
            BOOL ok;
            UINT id;
        } cases[] = {
            {"append", menu.AppendItem(L"&Append", 0, 101, &list, 0), 101},
            {"insert", menu.InsertItem(0, L"&Insert", MF_BYPOSITION, 102, &list, 0), 102},
            {"modify", menu.ModifyItem(nullptr, 100, &list, 0), 100},
        };
        for (const Case& c : cases) {
            ASSERT_TRUE(c.ok) << source.name << " " << c.name;
            CStyleMenuItemData* data = menu.FindItemData(c.id);
            ASSERT_NE(nullptr, data->icons) << source.name << " " << c.name;
            ASSERT_GE(data->iconIndex, 0) << source.name << " " << c.name;
            // The image and both its variants, on green.
            for (int variant = 0; variant < 3; ++variant) {
                DibCanvas canvas(16, 16, RGB(0, 200, 0));
                ImageList_Draw(data->icons->Images().GetSafeHandle(), data->iconIndex + variant, canvas.dc(), 0, 0,
                               ILD_TRANSPARENT);
                DibPixels p = canvas.Pixels();
                EXPECT_EQ(RGB(0, 200, 0), p.At(0, 0)) << source.name << " " << c.name << " " << variant;
                EXPECT_EQ(RGB(0, 200, 0), p.At(1, 8)) << source.name << " " << c.name << " " << variant;
                EXPECT_NE(RGB(0, 200, 0), p.At(8, 8)) << source.name << " " << c.name << " " << variant;
            }
        }
    }
}

TEST(MenuItemLifetimes, SubMenusKeepTheirCheckImagesWhenTheParentChangesItsOwn) {
    CStyleMenu parent;
    ASSERT_TRUE(parent.CreatePopupMenu());
    ASSERT_TRUE(parent.SetCheckImages(IDB_MENUTEST_CHECK16, IDB_MENUTEST_SINGLE));
    CStyleMenu* popup = parent.AppendPopup(L"&Sub");
    ASSERT_NE(nullptr, popup);
    popup->AppendItem(L"&Checked", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    popup->CheckMenuItem(100, MF_CHECKED);
    ASSERT_NE(nullptr, popup->GetCheckImages());
    EXPECT_NE(parent.GetCheckImages(), popup->GetCheckImages());
    EXPECT_EQ(IDB_MENUTEST_CHECK16, popup->GetCheckImageId(FALSE));
    DibPixels before = DrawWithStyle(*popup, 0, 0, ODS_CHECKED);
    DibPixels unchecked = DrawWithStyle(*popup, 0, 0, 0);
    EXPECT_NE(before.bits, unchecked.bits);

    // The parent replaces its list, then loses it.
    ASSERT_TRUE(parent.SetCheckImages(IDB_MENUTEST_SINGLE, IDB_MENUTEST_CHECK16));
    EXPECT_FALSE(parent.SetCheckImages(IDB_MENUTEST_SINGLE, 4999));
    EXPECT_EQ(nullptr, parent.GetCheckImages());
    ASSERT_NE(nullptr, popup->GetCheckImages());
    EXPECT_EQ(2, ImageList_GetImageCount(popup->GetCheckImages()->GetSafeHandle()));
    EXPECT_EQ(before.bits, DrawWithStyle(*popup, 0, 0, ODS_CHECKED).bits);
}

TEST(MenuItemLifetimes, ExitCleanUpFreesOnlyStoresThatNothingHolds) {
    bool heldGone = false, idleGone = false;
    WatchedStore* held = new WatchedStore(&heldGone);
    WatchedStore* idle = new WatchedStore(&idleGone);
    HBITMAP blue = SolidBitmap(16, 15, RGB(0, 0, 255));
    int index = held->AddBitmap(blue, RGB(255, 0, 255));
    DeleteObject(blue);
    ASSERT_EQ(0, index);
    SharedIconStores()->AddTail(held);
    SharedIconStores()->AddTail(idle);
    {
        CStyleMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        ASSERT_TRUE(menu.AppendItem(L"&Blue", 0, 100, held, index));
        EXPECT_EQ(1, held->m_refs);

        DeleteSharedIconStores();
        EXPECT_EQ(nullptr, CStyleMenu::s_pSharedIconStores);
        EXPECT_TRUE(idleGone);
        EXPECT_FALSE(heldGone);
        // The item still draws its icon from the store it holds.
        DibPixels drawn = DrawWithStyle(menu, 0, 0, 0);
        EXPECT_EQ(RGB(0, 0, 255), drawn.At(12, 11));
    }
    // The last user let it go.
    EXPECT_TRUE(heldGone);
}
