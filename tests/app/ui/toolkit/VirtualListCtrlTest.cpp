// The owner-data report list on a real window: what the control shows and
// answers to other programs comes from the rows, the check boxes work by
// mouse, key and code with the list view's own change notification, and
// the control's selection stays with its rows when rows go, one at a time
// or together.
#include <afxcmn.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/ui/toolkit/CVirtualListCtrl.h"

namespace {

struct CHECK_CHANGE {
    int item;
    UINT oldImage;
    UINT newImage;
};

// Records the check changes that reach it through its message map.
class CCheckChangeParent : public CWnd {
public:
    std::vector<CHECK_CHANGE> changes;

protected:
    afx_msg void OnItemChanged(NMHDR* header, LRESULT* result) {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
        const UINT oldImage = change->uOldState & LVIS_STATEIMAGEMASK;
        const UINT newImage = change->uNewState & LVIS_STATEIMAGEMASK;
        if ((change->uChanged & LVIF_STATE) && oldImage != newImage)
            changes.push_back({change->iItem, oldImage >> 12, newImage >> 12});
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCheckChangeParent, CWnd)
ON_NOTIFY(LVN_ITEMCHANGED, 10, &CCheckChangeParent::OnItemChanged)
END_MESSAGE_MAP()

VIRTUAL_LIST_ROW Row(const wchar_t* first, const wchar_t* second, DWORD_PTR data) {
    VIRTUAL_LIST_ROW row;
    row.cells = {first, second};
    row.data = data;
    return row;
}

// A cell read through the control, as another program or a screen reader would.
CString ControlText(HWND list, int row, int column) {
    wchar_t buffer[64] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 64;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

class VirtualListCtrlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                    300, nullptr, nullptr));
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                                CRect(0, 0, 380, 260), &parent, 10));
        list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
        list.InsertColumn(1, L"Value", LVCFMT_LEFT, 100);
        std::vector<VIRTUAL_LIST_ROW> rows = {Row(L"alpha", L"1", 101), Row(L"beta", L"2", 102),
                                              Row(L"gamma", L"3", 103)};
        ASSERT_TRUE(list.SetRows(rows));
        parent.UpdateWindow();
    }
    void TearDown() override {
        if (list.GetSafeHwnd()) list.DestroyWindow();
        if (parent.GetSafeHwnd()) parent.DestroyWindow();
    }
    // A real click on the check box of a row, found where the control
    // itself places it.
    void ClickCheckBox(int row) {
        CRect bounds;
        ASSERT_TRUE(ListView_GetItemRect(list.m_hWnd, row, &bounds, LVIR_BOUNDS));
        LVHITTESTINFO hit = {};
        hit.pt.y = bounds.CenterPoint().y;
        for (hit.pt.x = bounds.left; hit.pt.x < bounds.left + 40; ++hit.pt.x) {
            if (ListView_HitTest(list.m_hWnd, &hit) == row && (hit.flags & LVHT_ONITEMSTATEICON)) break;
        }
        ASSERT_LT(hit.pt.x, bounds.left + 40) << "no check box on row " << row;
        const LPARAM point = MAKELPARAM(hit.pt.x, hit.pt.y);
        ::SendMessageW(list.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageW(list.m_hWnd, WM_LBUTTONUP, 0, point);
    }

    CCheckChangeParent parent;
    CVirtualListCtrl list;
};

}  // namespace

TEST_F(VirtualListCtrlTest, TheControlShowsAndAnswersTheRows) {
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_EQ(L"beta", ControlText(list.m_hWnd, 1, 0));
    EXPECT_EQ(L"3", ControlText(list.m_hWnd, 2, 1));
    EXPECT_EQ(L"", ControlText(list.m_hWnd, 2, 5));
    EXPECT_EQ(L"gamma", ListCellText(list, 2, 0));
    EXPECT_EQ(102u, list.CListCtrl::GetItemData(1));
    EXPECT_EQ(2, list.FindRowByData(103));

    ASSERT_TRUE(list.SetItemText(1, 1, L"two"));
    EXPECT_EQ(L"two", ControlText(list.m_hWnd, 1, 1));
    list.NumberRows(1);
    EXPECT_EQ(L"3", ControlText(list.m_hWnd, 2, 1));
    EXPECT_FALSE(list.SetItemText(3, 0, L"past the end"));
    EXPECT_EQ(L"", list.GetItemText(-1, 0));

    ASSERT_TRUE(list.SetRows({}));
    EXPECT_EQ(0, list.GetItemCount());
}

TEST_F(VirtualListCtrlTest, ListsWithoutOwnerDataAreRefused) {
    CVirtualListCtrl plain;
    ASSERT_TRUE(plain.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 100, 100), &parent, 11));
    EXPECT_FALSE(plain.SetRows({Row(L"a", L"b", 1)}));
    EXPECT_EQ(-1, plain.AppendRow(Row(L"a", L"b", 1)));
    EXPECT_EQ(0, plain.RowCount());
}

TEST_F(VirtualListCtrlTest, ClickSpaceAndCodeTickWithTheListViewsNotification) {
    parent.changes.clear();  // the fill's own selection reset
    ClickCheckBox(1);
    EXPECT_TRUE(list.GetCheck(1));
    EXPECT_EQ(1, list.CheckedCount());
    // The state image is what the control draws and reports.
    EXPECT_EQ(INDEXTOSTATEIMAGEMASK(2), ListView_GetItemState(list.m_hWnd, 1, LVIS_STATEIMAGEMASK));

    list.SetItemState(2, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    ::SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(list.GetCheck(2));

    list.SetCheck(1, FALSE);
    list.SetCheck(1, FALSE);  // no change, no notification
    list.SetAllChecks(true);
    EXPECT_EQ(3, list.CheckedCount());

    ASSERT_EQ(4u, parent.changes.size());
    const CHECK_CHANGE expected[] = {{1, 1, 2}, {2, 1, 2}, {1, 2, 1}, {-1, 1, 2}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].item, parent.changes[i].item) << i;
        EXPECT_EQ(expected[i].oldImage, parent.changes[i].oldImage) << i;
        EXPECT_EQ(expected[i].newImage, parent.changes[i].newImage) << i;
    }
}

TEST_F(VirtualListCtrlTest, SelectionStaysWithItsRowWhenRowsGo) {
    ASSERT_EQ(3, list.AppendRow(Row(L"delta", L"4", 104)));
    list.SetCheck(3, TRUE);
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_TRUE(list.DeleteRow(0));
    EXPECT_EQ(3, list.GetItemCount());
    const int selected = list.GetNextItem(-1, LVNI_SELECTED);
    EXPECT_EQ(1, selected);
    EXPECT_EQ(L"gamma", ControlText(list.m_hWnd, selected, 0));
    EXPECT_TRUE(list.GetCheck(2));
    EXPECT_EQ(104u, list.GetItemData(2));

    // A row rewritten keeps its place; a new fill drops the selection.
    VIRTUAL_LIST_ROW replaced = Row(L"GAMMA", L"30", 203);
    ASSERT_TRUE(list.ReplaceRow(1, replaced));
    EXPECT_EQ(L"GAMMA", ControlText(list.m_hWnd, 1, 0));
    ASSERT_TRUE(list.SetRows({Row(L"x", L"y", 1), Row(L"z", L"w", 2)}));
    EXPECT_EQ(-1, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(0, list.CheckedCount());
}

TEST_F(VirtualListCtrlTest, RowsRemovedTogetherKeepTheMarksOfTheRowsThatStay) {
    ASSERT_EQ(3, list.AppendRows({Row(L"delta", L"4", 104), Row(L"epsilon", L"5", 105)}));
    list.SetCheck(4, TRUE);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);

    // alpha, beta (selected), gamma (selected), delta (selected, focused), epsilon (ticked)
    const int removed = list.DeleteRowsWhere([](const VIRTUAL_LIST_ROW& row) { return row.data % 2 == 1; });
    EXPECT_EQ(3, removed);
    ASSERT_EQ(2, list.GetItemCount());
    EXPECT_EQ(L"beta", ControlText(list.m_hWnd, 0, 0));
    EXPECT_EQ(L"delta", ControlText(list.m_hWnd, 1, 0));
    EXPECT_EQ(0, list.CheckedCount()) << "the ticked row went";
    EXPECT_EQ(0, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(1, list.GetNextItem(0, LVNI_SELECTED));
    EXPECT_EQ(-1, list.GetNextItem(1, LVNI_SELECTED)) << "gamma's mark went with it";
    EXPECT_EQ(1, list.GetNextItem(-1, LVNI_FOCUSED));

    EXPECT_EQ(0, list.DeleteRowsWhere([](const VIRTUAL_LIST_ROW&) { return false; }));
    EXPECT_EQ(2, list.DeleteRowsWhere([](const VIRTUAL_LIST_ROW&) { return true; }));
    EXPECT_EQ(0, list.GetItemCount());
    EXPECT_EQ(-1, list.GetNextItem(-1, LVNI_SELECTED));
}
