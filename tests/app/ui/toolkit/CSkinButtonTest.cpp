#include "app/ui/toolkit/CSkinButton.h"

#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "TempDir.h"
#include "app/ui/toolkit/CLoadBmpEx.h"

namespace {

const int kW = 30;
const int kH = 20;
const UINT kButtonId = 77;

// One state picture per row of the button image, each with its own pattern.
COLORREF Cut(int state, int x, int y) { return RGB(40 * state + x, 100 + y, 200 - 30 * state); }

// Counts the clicks its buttons report.
class ClickParent : public CWnd {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kButtonId) ++clicks;
        return CWnd::OnCommand(wParam, lParam);
    }
    int clicks = 0;
};

class ButtonSkin : public CLoadBmpEx {
public:
    void LoadLayout() override {
        CreateButtonEx(TRUE, L"20,20,50,40", L"0,0,30,20", L"0,20,30,40", L"0,40,30,60", L"0,60,30,80", L"Tip", &button,
                       kButtonId);
    }
    CSkinButton button;
};

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100,
                                    nullptr, nullptr));
        ::SetForegroundWindow(parent.m_hWnd);
        ASSERT_TRUE(WriteBitmapFile(dir.File(L"back.bmp"), 200, 100, [](int, int) { return RGB(5, 5, 5); }));
        ASSERT_TRUE(
            WriteBitmapFile(dir.File(L"buttons.bmp"), kW, 4 * kH, [](int x, int y) { return Cut(y / kH, x, y % kH); }));
        skin.InitSkin(&parent, dir.File(L"back.bmp").c_str(), dir.File(L"buttons.bmp").c_str(), L"200,100", FALSE, L"",
                      L"");
        ASSERT_TRUE(skin.button.GetSafeHwnd());
        parent.MoveWindow(100, 100, 200, 100, TRUE);
    }
    void TearDown() override { ::SetCursorPos(0, 0); }

    // What DrawItem paints for the item state.
    Pixels Draw(UINT itemState) {
        return Render(kW, kH, 0, [&](CDC* dc) {
            DRAWITEMSTRUCT dis = {ODT_BUTTON, kButtonId,      0, ODA_DRAWENTIRE, itemState, skin.button.m_hWnd,
                                  *dc,        {0, 0, kW, kH}, 0};
            skin.button.DrawItem(&dis);
        });
    }
    bool IsState(const Pixels& p, int state) {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (p.At(x, y) != Cut(state, x, y)) return false;
        return true;
    }
    void Mouse(UINT message, POINT p, WPARAM keys = 0) {
        MoveCursorTo(skin.button.m_hWnd, p);
        skin.button.SendMessage(message, keys, MAKELPARAM(p.x, p.y));
    }

    TempDir dir;
    ClickParent parent;
    ButtonSkin skin;
    const POINT inside = {15, 10};
    const POINT outside = {-60, 50};
};

}  // namespace

TEST_F(SkinButtonTest, EachStateShowsItsCutOut) {
    enum { kUp = 0, kOver = 1, kDown = 2, kDisable = 3 };
    EXPECT_TRUE(IsState(Draw(0), kUp));
    EXPECT_TRUE(IsState(Draw(ODS_SELECTED), kDown));
    EXPECT_TRUE(IsState(Draw(ODS_DISABLED), kDisable));
    // The real paint path: WM_DRAWITEM reflected from the parent to the button.
    skin.button.Invalidate();
    EXPECT_TRUE(IsState(ReadScreen(skin.button.m_hWnd), kUp));

    Mouse(WM_MOUSEMOVE, inside);
    ASSERT_TRUE(skin.button.IsHovering());
    EXPECT_TRUE(IsState(Draw(0), kOver));
    EXPECT_TRUE(IsState(ReadScreen(skin.button.m_hWnd), kOver));
    skin.button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(skin.button.IsHovering());
    EXPECT_TRUE(IsState(Draw(0), kUp));

    skin.button.SetPressed(TRUE);  // the pressed look overrides every state
    EXPECT_TRUE(IsState(Draw(ODS_DISABLED), kDown));
    skin.button.SetPressed(FALSE);
    skin.button.EnableWindow(FALSE);
    EXPECT_TRUE(IsState(ReadScreen(skin.button.m_hWnd), kDisable));
}

TEST_F(SkinButtonTest, MissingPicturesFallBack) {
    CBitmap normal;
    ASSERT_TRUE(MakeBitmap(&normal, kW, kH, [](int x, int y) { return Cut(0, x, y); }));
    skin.button.SetSkin(&normal, nullptr, nullptr, nullptr, 0, 1, 0, 0, 0);
    Mouse(WM_MOUSEMOVE, inside);
    EXPECT_TRUE(IsState(Draw(0), 0));             // no hover picture: the normal one
    EXPECT_TRUE(IsState(Draw(ODS_DISABLED), 0));  // no disabled picture: a copy of the normal one
    Pixels face = Draw(ODS_SELECTED);             // no pressed picture: the button face
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), face.At(3, 3));
}

TEST_F(SkinButtonTest, DrawingLeavesTheItemDcAsItCame) {
    Render(kW, kH, 0, [&](CDC* dc) {
        CFont font;
        font.CreatePointFont(120, L"Courier New");
        dc->SelectObject(&font);
        dc->SetBkMode(OPAQUE);
        dc->SetTextColor(RGB(1, 2, 3));
        dc->SetTextAlign(TA_LEFT | TA_BOTTOM);
        skin.button.SetCaption(L"Go");
        DRAWITEMSTRUCT dis = {ODT_BUTTON, kButtonId,      0, ODA_DRAWENTIRE, ODS_DISABLED, skin.button.m_hWnd,
                              *dc,        {0, 0, kW, kH}, 0};
        skin.button.DrawItem(&dis);
        EXPECT_EQ(font.GetSafeHandle(), ::GetCurrentObject(*dc, OBJ_FONT));
        EXPECT_EQ(OPAQUE, dc->GetBkMode());
        EXPECT_EQ(RGB(1, 2, 3), dc->GetTextColor());
        EXPECT_EQ(static_cast<UINT>(TA_LEFT | TA_BOTTOM), ::GetTextAlign(*dc));
        dc->SelectStockObject(SYSTEM_FONT);
    });
    skin.button.SetCaption(L"");  // an empty text keeps the caption
    CString text;
    skin.button.GetWindowText(text);
    EXPECT_STREQ(L"Go", text);
}

TEST_F(SkinButtonTest, PressDragOffAndBack) {
    Mouse(WM_MOUSEMOVE, inside);
    Mouse(WM_LBUTTONDOWN, inside, MK_LBUTTON);
    EXPECT_TRUE(skin.button.IsPressedDown());
    EXPECT_FALSE(skin.button.IsHovering());  // the press ends hover tracking
    EXPECT_EQ(skin.button.m_hWnd, ::GetCapture());
    EXPECT_TRUE(skin.button.GetState() & BST_PUSHED);

    Mouse(WM_MOUSEMOVE, outside, MK_LBUTTON);  // dragged off: drawn up again
    EXPECT_FALSE(skin.button.GetState() & BST_PUSHED);
    EXPECT_TRUE(IsState(ReadScreen(skin.button.m_hWnd), 0));
    Mouse(WM_MOUSEMOVE, inside, MK_LBUTTON);  // and back: pressed
    EXPECT_TRUE(skin.button.GetState() & BST_PUSHED);
    EXPECT_TRUE(IsState(ReadScreen(skin.button.m_hWnd), 2));
    Mouse(WM_MOUSEMOVE, outside, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, outside);  // released off the button: no click
    EXPECT_FALSE(skin.button.IsPressedDown());
    EXPECT_EQ(0, parent.clicks);

    Mouse(WM_LBUTTONDOWN, inside, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, inside);
    EXPECT_EQ(1, parent.clicks);

    // A double click is a second press: two clicks.
    parent.clicks = 0;
    Mouse(WM_LBUTTONDOWN, inside, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, inside);
    Mouse(WM_LBUTTONDBLCLK, inside, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, inside);
    EXPECT_EQ(2, parent.clicks);

    // Losing the focus while held lets the mouse go.
    Mouse(WM_LBUTTONDOWN, inside, MK_LBUTTON);
    ASSERT_EQ(skin.button.m_hWnd, ::GetCapture());
    skin.button.SendMessage(WM_KILLFOCUS, 0, 0);
    EXPECT_NE(skin.button.m_hWnd, ::GetCapture());
    EXPECT_FALSE(skin.button.IsPressedDown());
}

TEST_F(SkinButtonTest, TooltipCarriesTheTipText) {
    ASSERT_TRUE(skin.button.GetToolTip()->GetSafeHwnd());
    CString text;
    skin.button.GetToolTip()->GetText(text, &skin.button);
    EXPECT_STREQ(L"Tip", text);
    skin.button.SetToolTipText(L"Other");
    skin.button.GetToolTip()->GetText(text, &skin.button);
    EXPECT_STREQ(L"Other", text);
    EXPECT_EQ(1, skin.button.GetToolTip()->GetToolCount());
}
