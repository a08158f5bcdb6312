#include "app/ui/toolkit/WindowUtil.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"

namespace {

LAYOUT_ITEM Item(RECT r, int fixV, int fixH, int anchorRight, int anchorBottom, int propV, int propH) {
    LAYOUT_ITEM item = {nullptr, r, fixV, fixH, anchorRight, anchorBottom, propV, propH};
    return item;
}

// A plain parent window with child controls addressed by id, as a dialog's.
class ParentWindow {
public:
    ParentWindow() {
        m_hwnd = CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        m_wnd.Attach(m_hwnd);
    }
    ~ParentWindow() {
        m_wnd.Detach();
        DestroyWindow(m_hwnd);
    }
    HWND Add(const wchar_t* cls, int id, DWORD style, int x, int y, int w, int h) {
        return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    CWnd* wnd() { return &m_wnd; }

private:
    HWND m_hwnd;
    CWnd m_wnd;
};

}  // namespace

TEST(WindowUtilTest, LayoutRectTable) {
    const RECT r = {100, 50, 200, 80};
    struct Case {
        LAYOUT_ITEM item;
        int oldW, oldH, newW, newH;
        RECT want;
    } cases[] = {
        {Item(r, 0, 0, 0, 0, 0, 0), 400, 300, 500, 300, {150, 50, 250, 80}},    // centred: half the growth
        {Item(r, 0, 1, 1, 0, 0, 0), 400, 300, 500, 300, {100, 50, 300, 80}},    // fixed left, anchored right: stretches
        {Item(r, 0, 0, 1, 0, 0, 0), 400, 300, 500, 300, {200, 50, 300, 80}},    // anchored right: moves with the edge
        {Item(r, 1, 1, 0, 0, 0, 0), 400, 300, 500, 400, {100, 50, 200, 80}},    // fixed both ways
        {Item(r, 0, 0, 0, 0, 0, 0), 400, 300, 397, 300, {99, 50, 199, 80}},     // dW -3: -1, truncated toward zero
        {Item(r, 0, 0, 0, 1, 0, 0), 400, 300, 400, 250, {100, 0, 200, 30}},     // anchored bottom, shrinking
        {Item(r, 0, 0, 0, 0, 1, 1), 400, 300, 600, 450, {150, 75, 250, 105}},   // proportional: keeps its size
        {Item(r, 0, 0, 0, 0, 2, 2), 400, 300, 600, 450, {200, 125, 300, 155}},  // 2 is not "set": halves
        {Item(r, 0, 0, 0, 0, 1, 1), 0, 0, 600, 450, {100, 50, 200, 80}},        // old size 0: no division by zero
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        CRect got = LayoutRect(c.item, c.oldW, c.oldH, c.newW, c.newH);
        EXPECT_EQ(CRect(c.want), got) << "case " << i;
    }
}

TEST(WindowUtilTest, ApplyLayoutMovesRealControls) {
    ParentWindow parent;
    parent.Add(L"BUTTON", 10, BS_PUSHBUTTON, 100, 50, 100, 30);
    parent.Add(L"EDIT", 11, 0, 20, 20, 50, 20);
    LayoutItems items;
    EXPECT_EQ(0, AddLayoutCtrl(parent.wnd(), 10, 0, 0, 0, 0, 0, 0, items));
    EXPECT_EQ(0, AddLayoutCtrlVH(parent.wnd(), 11, 1, 0, 1, 1, 0, 0, items));
    EXPECT_EQ(-1, AddLayoutCtrl(parent.wnd(), 99, 0, 0, 0, 0, 0, 0, items));
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(CRect(100, 50, 200, 80), GetCtrlRect(parent.wnd(), 10));
    EXPECT_EQ(0, ApplyLayout(nullptr, 400, 300, 500, 300, items));
    EXPECT_EQ(CRect(150, 50, 250, 80), GetCtrlRect(parent.wnd(), 10));
    EXPECT_EQ(CRect(20, 20, 170, 40), GetCtrlRect(parent.wnd(), 11));
    // Layout starts from the registered rectangle, not from where the control is now.
    EXPECT_EQ(0, ApplyLayout(nullptr, 400, 300, 400, 300, items));
    EXPECT_EQ(CRect(100, 50, 200, 80), GetCtrlRect(parent.wnd(), 10));
    EXPECT_EQ(0, OffsetCtrl(parent.wnd(), 10, 5, -5));
    EXPECT_EQ(CRect(105, 45, 205, 75), GetCtrlRect(parent.wnd(), 10));
    EXPECT_EQ(-1, MoveCtrlTo(parent.wnd(), 99, CRect(0, 0, 1, 1)));
    EXPECT_TRUE(GetCtrlRect(parent.wnd(), 99).IsRectEmpty());
}

TEST(WindowUtilTest, CombosAndLists) {
    ParentWindow parent;
    CComboBox combo;
    combo.Attach(parent.Add(L"COMBOBOX", 20, CBS_DROPDOWNLIST, 0, 0, 100, 200));
    for (const wchar_t* text : {L"Alpha", L"beta", L"Beta"}) combo.AddString(text);
    SelectComboItemByText(&combo, L"BETA");
    EXPECT_EQ(-1, combo.GetCurSel());  // case matters
    EXPECT_STREQ(L"", GetComboSelText(&combo));
    SelectComboItemByText(&combo, L"Beta");
    EXPECT_EQ(2, combo.GetCurSel());
    EXPECT_STREQ(L"Beta", GetComboSelText(&combo));
    combo.AddString(L"A much longer entry than the rest of them");
    EXPECT_EQ(0, AdjustComboDropWidth(&combo));
    EXPECT_GT(combo.GetDroppedWidth(), 100);
    combo.Detach();

    CListCtrl list;
    list.Attach(parent.Add(WC_LISTVIEWW, 21, LVS_REPORT, 0, 0, 300, 200));
    list.InsertColumn(0, L"Name");
    list.InsertColumn(1, L"Address");
    const wchar_t* names[] = {L"Gate", L"Yard", L"Hall", L"Dock"};
    for (int i = 0; i < 4; ++i) {
        list.InsertItem(i, names[i]);
        list.SetItemText(i, 1, L"10.0.0.1");
    }
    EXPECT_EQ(1, FindListItem(&list, 0, L"Yard", L""));
    EXPECT_EQ(0, FindListItem(&list, 0, L"yard", L""));
    EXPECT_EQ(0, FindListItem(&list, 0, L"Yard", L"Yard"));  // the item's own name does not count
    SwapListItemText(&list, 0, 0, 3);
    EXPECT_STREQ(L"Dock", list.GetItemText(0, 0));
    EXPECT_STREQ(L"Gate", list.GetItemText(3, 0));
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    DeleteListCtrlItems(&list, 1, 0);
    ASSERT_EQ(2, list.GetItemCount());
    EXPECT_STREQ(L"Dock", list.GetItemText(0, 0));
    EXPECT_STREQ(L"Hall", list.GetItemText(1, 0));
    DeleteListCtrlItems(&list, 0, -1);
    EXPECT_EQ(0, list.GetItemCount());
    list.Detach();
}

TEST(WindowUtilTest, BitmapFilesMonitorsAndMenus) {
    TempDir dir;
    // A 3 x 2 24-bit bitmap file.
    const int w = 3, h = 2, stride = 12;
    std::string bytes(54 + stride * h, '\0');
    BITMAPFILEHEADER* file = reinterpret_cast<BITMAPFILEHEADER*>(&bytes[0]);
    BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(&bytes[14]);
    file->bfType = 0x4D42;
    file->bfSize = static_cast<DWORD>(bytes.size());
    file->bfOffBits = 54;
    info->biSize = 40;
    info->biWidth = w;
    info->biHeight = h;
    info->biPlanes = 1;
    info->biBitCount = 24;
    ASSERT_TRUE(WriteWholeFile(dir.File(L"pic.bmp"), bytes));
    HBITMAP bitmap = LoadImageFile(dir.File(L"pic.bmp").c_str());
    ASSERT_NE(nullptr, bitmap);
    BITMAP got = {};
    GetObjectW(bitmap, sizeof got, &got);
    EXPECT_EQ(w, got.bmWidth);
    EXPECT_EQ(h, got.bmHeight);
    CBitmap scaled;
    EXPECT_EQ(1, ScaleBitmapTo(bitmap, &scaled, SIZE{30, 20}));
    GetObjectW(scaled.GetSafeHandle(), sizeof got, &got);
    EXPECT_EQ(30, got.bmWidth);
    DeleteObject(bitmap);
    EXPECT_EQ(nullptr, LoadImageFile(dir.File(L"missing.bmp").c_str()));

    ParentWindow parent;
    RECT work = {};
    EXPECT_EQ(0, GetMonitorWorkRect(parent.wnd(), &work));
    EXPECT_GT(work.right - work.left, 0);

    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    AppendMenuTextItem(&menu, L"Open", 100, MF_GRAYED);
    AppendMenuSeparator(&menu);
    AppendMenuTextItem(&menu, L"Close", 101, MF_ENABLED);
    EXPECT_EQ(3, GetMenuItemCount(menu.GetSafeHmenu()));
    EXPECT_TRUE(GetMenuState(menu.GetSafeHmenu(), 100, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu.GetSafeHmenu(), 101, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(-1, menu.GetItemIcon(100));
}
