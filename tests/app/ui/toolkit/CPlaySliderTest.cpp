#include "app/ui/toolkit/CPlaySlider.h"

#include <gtest/gtest.h>

#include <vector>

#include "SkinTestSupport.h"

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const int kThumb = 10;

// Records the slider's reports, sent and posted.
class SliderParent : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TW_SLIDER_POS) reports.push_back(static_cast<int>(lParam));
        return CWnd::WindowProc(message, wParam, lParam);
    }
    std::vector<int> reports;
};

COLORREF ThumbColor(int state) { return RGB(10 + 60 * state, 200, 90); }

class PlaySliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_POPUP | WS_VISIBLE, 100, 100, 400, 100,
                                    nullptr, nullptr));
        Create(&slider, true);
    }
    void TearDown() override { ::SetCursorPos(0, 0); }

    // A 300 x 20 slider whose round thumb has magenta corners (or none).
    void Create(CPlaySlider* target, bool roundThumb) {
        CBitmap thumbs[4], background, band;
        for (int s = 0; s < 4; ++s)
            ASSERT_TRUE(MakeBitmap(&thumbs[s], kThumb, kThumb, [&](int x, int y) {
                bool corner = (x == 0 || x == kThumb - 1) && (y == 0 || y == kThumb - 1);
                return roundThumb && corner ? kMagenta : ThumbColor(s);
            }));
        ASSERT_TRUE(MakeBitmap(&background, 300, 20, [](int, int) { return RGB(30, 30, 30); }));
        ASSERT_TRUE(MakeBitmap(&band, 4, 4, [](int, int) { return RGB(240, 130, 0); }));
        target->SetBitmaps(&thumbs[0], &thumbs[1], &thumbs[2], &thumbs[3], &background, &band, 0);
        ASSERT_TRUE(target->CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), L"Step Len",
                                     WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, CRect(10, 10, 310, 30), &parent, 2484));
        target->SetRange(0, 100, TRUE);
    }
    void Mouse(UINT message, int x, int y = 10) {
        MoveCursorTo(slider.m_hWnd, POINT{x, y});
        slider.SendMessage(message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    int LastReport() { return parent.reports.empty() ? -1 : parent.reports.back(); }

    SliderParent parent;
    CPlaySlider slider;
};

}  // namespace

TEST_F(PlaySliderTest, ReleaseReportsPercentOfTheWidth) {
    Mouse(WM_LBUTTONDOWN, 150);      // beside the thumb: it jumps there
    EXPECT_EQ(51, slider.GetPos());  // 100 * 150 / (300 - 10)
    Mouse(WM_LBUTTONUP, 150);
    EXPECT_EQ(50, LastReport());
    EXPECT_EQ(50, slider.GetPos());

    // Pressed on the thumb, the slider holds the mouse: a release left of it
    // reports 0, right of it more than 100.
    const CPoint thumb = slider.GetThumbPosition();
    Mouse(WM_LBUTTONDOWN, thumb.x + kThumb / 2, thumb.y + kThumb / 2);
    EXPECT_EQ(slider.m_hWnd, ::GetCapture());
    EXPECT_EQ(CPlaySlider::kPressed, slider.GetThumbState());
    slider.SetPos(10);  // ignored while the operator drags
    EXPECT_EQ(50, slider.GetPos());
    Mouse(WM_MOUSEMOVE, 75);
    EXPECT_EQ(25, slider.GetPos());  // dragging follows the cursor in percent
    Mouse(WM_LBUTTONUP, -40);
    EXPECT_EQ(0, LastReport());
    EXPECT_NE(slider.m_hWnd, ::GetCapture());
    Mouse(WM_LBUTTONDOWN, slider.GetThumbPosition().x + 5);
    Mouse(WM_LBUTTONUP, 450);
    EXPECT_EQ(150, LastReport());

    // Leaving after being inside posts the position with the high word set.
    parent.reports.clear();
    Mouse(WM_MOUSEMOVE, 200);
    slider.SendMessage(WM_MOUSELEAVE);
    PumpPending();
    ASSERT_EQ(1u, parent.reports.size());
    EXPECT_EQ(0x10000 | slider.GetPos(), parent.reports[0]);
}

TEST_F(PlaySliderTest, PositionFromOutside) {
    slider.SetPos(40);
    EXPECT_EQ(40, slider.GetPos());
    for (int ignored : {40, -1, 101}) {
        slider.SetPos(ignored);
        EXPECT_EQ(40, slider.GetPos()) << ignored;
    }
    EXPECT_EQ(CPoint(116, 5), slider.GetThumbPosition());  // 40 * 290 / 100, centred
    // Without the jump flag a press beside the thumb moves it one step.
    slider.SetFlags(CPlaySlider::kShowThumb);
    slider.SetStep(7);
    Mouse(WM_LBUTTONDOWN, 280);
    EXPECT_EQ(47, slider.GetPos());
    Mouse(WM_LBUTTONUP, 280);
}

TEST_F(PlaySliderTest, ZeroWidthSliderReportsNothing) {
    slider.SetPos(30);
    slider.MoveWindow(10, 10, 0, 20, TRUE);
    Mouse(WM_LBUTTONDOWN, 0);
    Mouse(WM_MOUSEMOVE, 0);
    Mouse(WM_LBUTTONUP, 0);
    EXPECT_TRUE(parent.reports.empty());
    EXPECT_EQ(30, slider.GetPos());
}

TEST_F(PlaySliderTest, ThumbStatesAndShape) {
    slider.SetPos(0);
    Mouse(WM_MOUSEMOVE, 5, 10);
    EXPECT_EQ(CPlaySlider::kHover, slider.GetThumbState());
    Mouse(WM_MOUSEMOVE, 0, 5);  // a transparent corner of the thumb is not the thumb
    EXPECT_EQ(CPlaySlider::kNormal, slider.GetThumbState());

    slider.EnableWindow(FALSE);
    EXPECT_EQ(CPlaySlider::kDisabled, slider.GetThumbState());
    Pixels shown = ReadScreen(slider.m_hWnd);
    EXPECT_EQ(ThumbColor(3), shown.At(5, 10));
    EXPECT_EQ(RGB(30, 30, 30), shown.At(0, 5));  // clipped to the thumb's shape
    slider.EnableWindow(TRUE);
    EXPECT_EQ(ThumbColor(0), ReadScreen(slider.m_hWnd).At(5, 10));

    // A thumb without magenta is a rectangle.
    CPlaySlider square;
    Create(&square, false);
    square.SetPos(0);
    MoveCursorTo(square.m_hWnd, POINT{0, 5});
    square.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(0, 5));
    EXPECT_EQ(CPlaySlider::kHover, square.GetThumbState());
}

TEST_F(PlaySliderTest, TimerOnlyWithAWindow) {
    CPlaySlider never;
    EXPECT_FALSE(never.StartRefreshTimer());
    EXPECT_TRUE(slider.StartRefreshTimer());
    slider.StopRefreshTimer();
}
