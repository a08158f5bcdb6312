#include <afxcmn.h>

#include <gtest/gtest.h>

namespace {

// Counts the header double-clicks that reach it through its message map.
class CHeaderClickParent : public CWnd {
public:
    int doubleClicks = 0;
    int lastColumn = -1;

protected:
    afx_msg void OnHeaderDoubleClick(NMHDR* header, LRESULT* result) {
        ++doubleClicks;
        lastColumn = reinterpret_cast<NMHEADERW*>(header)->iItem;
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHeaderClickParent, CWnd)
ON_NOTIFY(HDN_ITEMDBLCLICKW, 0, &CHeaderClickParent::OnHeaderDoubleClick)
END_MESSAGE_MAP()

// Stands for a list view that passes the header's double-click on itself,
// as the system's does.
WNDPROC g_listViewProc = nullptr;
LRESULT CALLBACK PassingListViewProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcW(g_listViewProc, hWnd, message, wParam, lParam);
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (message == WM_NOTIFY && header->code == HDN_ITEMDBLCLICKW)
        result = ::SendMessageW(::GetParent(hWnd), WM_NOTIFY, wParam, lParam);
    return result;
}

class CListCtrlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                    nullptr));
    }
    void AddColumns(CListCtrl& list) {
        list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
        list.InsertColumn(1, L"Value", LVCFMT_LEFT, 100);
    }
    // A real double-click on the middle of a header column.
    void DoubleClickColumn(CListCtrl& list, int column) {
        CRect r;
        ASSERT_TRUE(list.GetHeaderCtrl()->GetItemRect(column, &r));
        ::SendMessageW(list.GetHeaderCtrl()->m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON,
                       MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y));
        ::SendMessageW(list.GetHeaderCtrl()->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y));
    }
    CHeaderClickParent parent;
    CRect rect{0, 0, 300, 200};
};

}  // namespace

TEST_F(CListCtrlTest, HeaderDoubleClickReachesTheParentOnce) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, rect, &parent, 10));
    AddColumns(list);
    DoubleClickColumn(list, 1);
    EXPECT_EQ(1, parent.doubleClicks);
    EXPECT_EQ(1, parent.lastColumn);
    DoubleClickColumn(list, 0);
    EXPECT_EQ(2, parent.doubleClicks);
    EXPECT_EQ(0, parent.lastColumn);
}

TEST_F(CListCtrlTest, NoSecondDeliveryWhenTheListViewPassesItOnItself) {
    HWND hWnd = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200, parent.m_hWnd,
                                reinterpret_cast<HMENU>(11), nullptr, nullptr);
    ASSERT_TRUE(hWnd);
    g_listViewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PassingListViewProc)));
    CListCtrl list;
    ASSERT_TRUE(list.SubclassWindow(hWnd));
    AddColumns(list);
    DoubleClickColumn(list, 0);
    EXPECT_EQ(1, parent.doubleClicks);
    EXPECT_EQ(0, parent.lastColumn);
}

TEST_F(CListCtrlTest, TheSameCodeFromElsewhereThanTheHeaderIsNotRelayed) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, rect, &parent, 10));
    AddColumns(list);
    NMHEADERW foreign = {};
    foreign.hdr.hwndFrom = parent.m_hWnd;
    foreign.hdr.code = HDN_ITEMDBLCLICKW;
    list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&foreign));
    EXPECT_EQ(0, parent.doubleClicks);
}
