#include <afxcmn.h>
#include <afxdlgs.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

class ControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        InitCommonControlsEx(&icc);
    }
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                    nullptr));
    }
    CWnd parent;
    CRect rect{0, 0, 300, 200};
};

}  // namespace

TEST_F(ControlsTest, ListCtrlTextsChecksAndSelection) {
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, rect, &parent, 10));
    list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(0, list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100));
    EXPECT_EQ(1, list.InsertColumn(1, L"Value", LVCFMT_LEFT, 100));
    EXPECT_EQ(2, list.GetHeaderCtrl()->GetItemCount());

    CString longText(L'z', 1000);
    for (int i = 0; i < 3; ++i) {
        CString name;
        name.Format(L"row%d", i);
        EXPECT_EQ(i, list.InsertItem(i, name));
        list.SetItemData(i, 100 + i);
    }
    EXPECT_TRUE(list.SetItemText(1, 1, longText));
    EXPECT_STREQ(longText, list.GetItemText(1, 1));  // longer than any first guess
    EXPECT_STREQ(L"row2", list.GetItemText(2, 0));
    EXPECT_STREQ(L"", list.GetItemText(7, 0));
    EXPECT_EQ(101u, list.GetItemData(1));

    // A tick is state image 2.
    list.SetCheck(2);
    EXPECT_TRUE(list.GetCheck(2));
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_EQ(2u, list.GetItemState(2, LVIS_STATEIMAGEMASK) >> 12);

    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    std::vector<int> selected;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;) selected.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ((std::vector<int>{0, 2}), selected);
}

TEST_F(ControlsTest, ComboAndListBoxTexts) {
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST, rect, &parent, 11));
    combo.AddString(L"alpha");
    combo.AddString(L"beta");
    combo.SetItemData(1, 42);
    CString text;
    combo.GetLBText(1, text);
    EXPECT_STREQ(L"beta", text);
    combo.GetLBText(5, text);
    EXPECT_STREQ(L"", text);
    EXPECT_EQ(1, combo.FindStringExact(-1, L"BETA"));
    EXPECT_EQ(CB_ERR, combo.GetCurSel());
    EXPECT_EQ(0, combo.SelectString(-1, L"al"));
    EXPECT_EQ(42u, combo.GetItemData(1));

    CListBox box;
    ASSERT_TRUE(box.Create(WS_CHILD, rect, &parent, 12));
    box.AddString(L"one");
    box.GetText(0, text);
    EXPECT_STREQ(L"one", text);
    box.GetText(3, text);
    EXPECT_STREQ(L"", text);
}

TEST_F(ControlsTest, TreeTextsAndChecks) {
    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | TVS_CHECKBOXES, rect, &parent, 13));
    HTREEITEM root = tree.InsertItem(L"root");
    CString longText(L'q', 600);
    HTREEITEM child = tree.InsertItem(longText, root);
    tree.SetItemData(child, 7);
    EXPECT_EQ(root, tree.GetParentItem(child));
    EXPECT_STREQ(longText, tree.GetItemText(child));
    EXPECT_EQ(7u, tree.GetItemData(child));
    tree.SetCheck(child, TRUE);
    EXPECT_TRUE(tree.GetCheck(child));
    tree.SetCheck(child, FALSE);
    EXPECT_FALSE(tree.GetCheck(child));
}

TEST_F(ControlsTest, DateTimePickerRoundTripsLocalTime) {
    CDateTimeCtrl picker;
    ASSERT_TRUE(picker.Create(WS_CHILD | DTS_SHORTDATEFORMAT, rect, &parent, 14));
    CTime when(2009, 1, 2, 3, 4, 5);
    EXPECT_TRUE(picker.SetTime(&when));
    CTime back;
    EXPECT_EQ(static_cast<DWORD>(GDT_VALID), picker.GetTime(back));
    EXPECT_EQ(when, back);
}

TEST_F(ControlsTest, ToolTipsKnowTheirTools) {
    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&parent));
    CButton button;
    ASSERT_TRUE(button.Create(L"b", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 20), &parent, 15));
    EXPECT_TRUE(tips.AddTool(&button, L"first"));
    EXPECT_EQ(1, tips.GetToolCount());
    CString text;
    tips.GetText(text, &button);
    EXPECT_STREQ(L"first", text);
    tips.UpdateTipText(L"second", &button);
    tips.GetText(text, &button);
    EXPECT_STREQ(L"second", text);
    tips.DelTool(&button);
    EXPECT_EQ(0, tips.GetToolCount());
}

TEST_F(ControlsTest, ImageListOwnership) {
    HIMAGELIST kept;
    {
        CImageList images;
        ASSERT_TRUE(images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2));
        CBitmap bitmap;
        CClientDC dc(&parent);
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dc, 32, 16));
        EXPECT_EQ(0, images.Add(&bitmap, RGB(255, 0, 255)));
        EXPECT_EQ(2, images.GetImageCount());
        EXPECT_EQ(&images, CImageList::FromHandle(images));
        CImageList copy;
        ASSERT_TRUE(copy.Create(&images));
        EXPECT_EQ(2, copy.GetImageCount());
        kept = copy.Detach();
    }
    EXPECT_EQ(2, ImageList_GetImageCount(kept));  // the detached copy survives its object
    ImageList_Destroy(kept);
}

TEST(CFileDialogTest, FilterAndMultipleSelection) {
    CFileDialog dialog(TRUE, L"txt", nullptr, OFN_ALLOWMULTISELECT, L"Text (*.txt)|*.txt|All (*.*)|*.*||");
    const wchar_t expectedFilter[] = L"Text (*.txt)\0*.txt\0All (*.*)\0*.*\0\0";
    EXPECT_EQ(0, memcmp(expectedFilter, dialog.m_ofn.lpstrFilter, sizeof expectedFilter));

    // What the system writes for two chosen files, then for one.
    const wchar_t two[] = L"C:\\dir\0a.txt\0b.log\0";
    memcpy(dialog.m_ofn.lpstrFile, two, sizeof two);
    std::vector<CString> paths;
    for (POSITION pos = dialog.GetStartPosition(); pos;) paths.push_back(dialog.GetNextPathName(pos));
    EXPECT_EQ((std::vector<CString>{L"C:\\dir\\a.txt", L"C:\\dir\\b.log"}), paths);

    const wchar_t one[] = L"C:\\dir\\only.txt\0";
    memcpy(dialog.m_ofn.lpstrFile, one, sizeof one);
    EXPECT_STREQ(L"C:\\dir\\only.txt", dialog.GetPathName());
    EXPECT_STREQ(L"only.txt", dialog.GetFileName());
    EXPECT_STREQ(L"txt", dialog.GetFileExt());
    EXPECT_STREQ(L"only", dialog.GetFileTitle());
    EXPECT_STREQ(L"C:\\dir", dialog.GetFolderPath());
}
