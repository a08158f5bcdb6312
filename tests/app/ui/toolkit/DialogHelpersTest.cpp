#include <gtest/gtest.h>

#include "ToolkitTestResource.h"
#include "app/ui/toolkit/CCtrlColorChange.h"
#include "app/ui/toolkit/CHoverHint.h"
#include "app/ui/toolkit/CWndResizeInfo.h"

namespace {

class DialogHelpersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(IDD_TOOLKIT_FORM));
        dialog.ShowWindow(SW_SHOW);
        ::SetForegroundWindow(dialog.m_hWnd);
    }
    CString Hint() {
        CString text;
        dialog.GetDlgItemText(IDC_FORM_HINT, text);
        return text;
    }
    // The colour the helper gives the control's DC, or -1 for the dialog's default brush.
    int ColorOf(CCtrlColorChange& colors, int id) {
        CClientDC dc(&dialog);
        dc.SetBkColor(RGB(1, 1, 1));
        CBrush* brush = colors.OnCtlColor(&dialog, &dc, dialog.GetDlgItem(id));
        if (!brush) return -1;
        LOGBRUSH info = {};
        ::GetObjectW(brush->GetSafeHandle(), sizeof info, &info);
        EXPECT_EQ(info.lbColor, dc.GetBkColor());  // the DC's background matches the brush
        return static_cast<int>(info.lbColor);
    }
    CDialog dialog;
};

}  // namespace

TEST_F(DialogHelpersTest, HoverHintShowsTheControlsText) {
    CHoverHint hint;
    dialog.SetDlgItemText(IDC_FORM_HINT, L"before");
    EXPECT_EQ(-1, hint.ShowHint(IDC_FORM_EDIT));
    EXPECT_STREQ(L"before", Hint());
    EXPECT_EQ(0, hint.Attach(&dialog, IDC_FORM_HINT));
    hint.SetHint(IDC_FORM_EDIT, L"Type a name");
    EXPECT_EQ(0, hint.ShowHint(IDC_FORM_EDIT));
    EXPECT_STREQ(L"Type a name", Hint());
    hint.SetHint(IDC_FORM_EDIT, L"Replaced");
    hint.ShowHint(IDC_FORM_EDIT);
    EXPECT_STREQ(L"Replaced", Hint());
    hint.ShowHint(IDC_FORM_CHECK);  // no hint: an empty line
    EXPECT_STREQ(L"", Hint());
}

TEST_F(DialogHelpersTest, ColoursByStateAndClass) {
    const COLORREF focused = RGB(195, 229, 242), normal = RGB(255, 255, 255), readOnly = RGB(217, 214, 197);
    CCtrlColorChange colors;
    colors.SetCtrlColors(&dialog, IDC_FORM_EDIT, focused, normal, readOnly);
    EXPECT_EQ(3u, colors.GetBrushCount());
    colors.SetWndColors(dialog.GetDlgItem(IDC_FORM_READONLY), focused, normal, readOnly);
    EXPECT_EQ(3u, colors.GetBrushCount());  // shared brushes
    colors.SetCtrlColors(&dialog, IDC_FORM_CHECK, focused, normal, RGB(1, 2, 3));
    EXPECT_EQ(4u, colors.GetBrushCount());                                     // only the new colour gets one
    colors.SetCtrlColors(&dialog, IDC_FORM_CHECK, focused, normal, readOnly);  // replaced, nothing new
    EXPECT_EQ(4u, colors.GetBrushCount());

    dialog.GetDlgItem(IDC_FORM_EDIT)->SetFocus();
    EXPECT_EQ(static_cast<int>(focused), ColorOf(colors, IDC_FORM_EDIT));
    EXPECT_EQ(static_cast<int>(normal), ColorOf(colors, IDC_FORM_CHECK));
    dialog.GetDlgItem(IDC_FORM_READONLY)->SetFocus();  // read-only wins over focus
    EXPECT_EQ(static_cast<int>(readOnly), ColorOf(colors, IDC_FORM_READONLY));
    EXPECT_EQ(static_cast<int>(normal), ColorOf(colors, IDC_FORM_EDIT));

    // 0x0800 on a button is an alignment, not read-only.
    dialog.GetDlgItem(IDC_FORM_CHECK)->ModifyStyle(0, BS_BOTTOM);
    EXPECT_EQ(static_cast<int>(normal), ColorOf(colors, IDC_FORM_CHECK));

    dialog.GetDlgItem(IDC_FORM_EDIT)->EnableWindow(FALSE);
    EXPECT_EQ(-1, ColorOf(colors, IDC_FORM_EDIT));
    EXPECT_EQ(-1, ColorOf(colors, IDC_FORM_BUTTON));  // no colours registered
    CClientDC dc(&dialog);
    EXPECT_EQ(nullptr, colors.OnCtlColor(nullptr, &dc, dialog.GetDlgItem(IDC_FORM_CHECK)));
    EXPECT_EQ(nullptr, colors.GetCtrlBrush(&dialog, &dc, 4242));
}

TEST_F(DialogHelpersTest, FullScreenToggleReturnsToTheSameRectangle) {
    dialog.MoveWindow(50, 60, 300, 200, TRUE);
    CRect before, full, after;
    dialog.GetWindowRect(&before);
    CWndResizeInfo resize;
    resize.ToggleFullScreen(&dialog);
    EXPECT_TRUE(resize.IsFullScreen());
    dialog.GetWindowRect(&full);
    RECT work;
    ASSERT_EQ(0, GetMonitorWorkRect(&dialog, &work));
    EXPECT_EQ(CRect(work), full);
    resize.ToggleFullScreen(&dialog);
    dialog.GetWindowRect(&after);
    EXPECT_EQ(before, after);
    EXPECT_FALSE(resize.IsFullScreen());
    resize.ToggleFullScreen(nullptr);  // nothing to do
}
