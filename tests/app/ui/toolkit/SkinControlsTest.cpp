// The further skinned controls (label, slider, combo box, progress keeper,
// lamp), made through the skin loader's four creation slots from skin images
// on disk, and worked on real windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BoxCloser.h"
#include "SkinTestSupport.h"
#include "TempDir.h"
#include "app/ui/toolkit/CLoadBmp.h"
#include "app/ui/toolkit/CProgressCtrlEx.h"
#include "app/ui/toolkit/CSkinCbx.h"
#include "app/ui/toolkit/CSkinSlider.h"
#include "app/ui/toolkit/CStateLamp.h"
#include "app/ui/toolkit/CStaticEx.h"

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kParentBack = RGB(0, 0, 0);
const int kThumb = 10;

// Whole-window image i (up, over, down, disable): one solid colour each, so
// a cut and a stretch of it look the same.
COLORREF ImageColor(int image) { return RGB(40 + 50 * image, 90, 200 - 40 * image); }
COLORREF ThumbColor(int state) { return RGB(10 + 60 * state, 220, 30); }

// Records the slider notices its parent gets.
class ControlParent : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TW_SLIDER_POS) notices.push_back(static_cast<int>(lParam));
        return CWnd::WindowProc(message, wParam, lParam);
    }
    std::vector<int> notices;
};

// A skin laying out one of each further control, shown and hidden.
class ControlSkin : public CLoadBmp {
public:
    void LoadLayout() override {
        CreateStateLamp(TRUE, L"10,10,30,22", &lamp);
        CreateStaticEx(TRUE, L"40,10,140,30", L"1,2,3", L"255,255,0", &label);
        CreateSkinCbx(TRUE, L"10,40,110,60", &combo, 41, TRUE);
        CreateSkinSlider(TRUE, L"10,80,210,100", thumbs[0], thumbs[1], thumbs[2], thumbs[3], &slider, 42, L"Skin test");
        if (!withHidden) return;
        CreateStateLamp(FALSE, L"10,10,30,22", &hiddenLamp);
        CreateSkinSlider(FALSE, L"10,80,210,100", thumbs[0], thumbs[1], thumbs[2], thumbs[3], &hiddenSlider, 43,
                         L"Skin test");
    }
    CString thumbs[4];  // normal, hover, disabled, pressed
    bool withHidden = true;
    CStateLamp lamp, hiddenLamp;
    CStaticEx label;
    CSkinCbx combo;
    CSkinSlider slider, hiddenSlider;
};

class SkinControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0, nullptr, (HBRUSH)::GetStockObject(BLACK_BRUSH)),
                                    L"parent", WS_POPUP | WS_VISIBLE, 50, 50, 300, 200, nullptr, nullptr));
        for (int i = 0; i < 4; ++i) {
            images[i] = dir.File(L"whole" + std::to_wstring(i) + L".bmp").c_str();
            ASSERT_TRUE(WriteBitmapFile((LPCWSTR)images[i], 300, 200, [i](int, int) { return ImageColor(i); }));
        }
        // Thumbs in the loader's order: normal, hover, disabled, pressed.
        const int states[] = {CSkinSlider::kNormal, CSkinSlider::kHover, CSkinSlider::kDisabled, CSkinSlider::kPressed};
        for (int i = 0; i < 4; ++i) {
            skin.thumbs[i] = dir.File(L"thumb" + std::to_wstring(i) + L".bmp").c_str();
            const int state = states[i];
            ASSERT_TRUE(WriteBitmapFile((LPCWSTR)skin.thumbs[i], kThumb, kThumb, [state](int x, int y) {
                const bool corner = (x == 0 || x == kThumb - 1) && (y == 0 || y == kThumb - 1);
                return corner ? kMagenta : ThumbColor(state);
            }));
        }
        skin.InitSkinFromFiles(&parent, images[0], images[1], images[2], images[3], L"", L"300,200", FALSE,
                               L"Skin test", L"[FilePath]");
    }
    void TearDown() override { ::SetCursorPos(0, 0); }

    void Mouse(CWnd& target, UINT message, int x, int y) {
        MoveCursorTo(target.m_hWnd, POINT{x, y});
        target.SendMessage(message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    }
    static CRect ParentRect(CWnd& control) {
        CRect rect;
        control.GetWindowRect(&rect);
        control.GetParent()->ScreenToClient(&rect);
        return rect;
    }
    static int CountColor(const Pixels& pixels, COLORREF color) {
        int count = 0;
        for (COLORREF c : pixels.colors) count += c == color;
        return count;
    }

    TempDir dir;
    ControlParent parent;
    CString images[4];
    ControlSkin skin;
};

TEST_F(SkinControlsTest, TheLoaderMakesEachControlAtItsPlace) {
    ASSERT_TRUE(skin.lamp.GetSafeHwnd());
    EXPECT_EQ(CRect(10, 10, 30, 22), ParentRect(skin.lamp));
    ASSERT_TRUE(skin.label.GetSafeHwnd());
    EXPECT_EQ(0xFFFF, skin.label.GetDlgCtrlID());
    EXPECT_EQ(CRect(40, 10, 140, 30), ParentRect(skin.label));
    EXPECT_EQ(RGB(1, 2, 3), skin.label.GetBackColor());
    EXPECT_EQ(RGB(255, 255, 0), skin.label.GetTextColor());
    ASSERT_TRUE(skin.combo.GetSafeHwnd());
    EXPECT_EQ(41, skin.combo.GetDlgCtrlID());
    EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWNLIST), skin.combo.GetStyle() & 3);
    ASSERT_TRUE(skin.slider.GetSafeHwnd());
    EXPECT_EQ(42, skin.slider.GetDlgCtrlID());
    EXPECT_EQ(CRect(10, 80, 210, 100), ParentRect(skin.slider));
    // Hidden controls exist with a zero rectangle, so the window can address them.
    ASSERT_TRUE(skin.hiddenLamp.GetSafeHwnd());
    EXPECT_TRUE(ParentRect(skin.hiddenLamp).IsRectEmpty());
    ASSERT_TRUE(skin.hiddenSlider.GetSafeHwnd());
    EXPECT_EQ(43, skin.hiddenSlider.GetDlgCtrlID());
    EXPECT_TRUE(ParentRect(skin.hiddenSlider).IsRectEmpty());
}

TEST_F(SkinControlsTest, ASliderThumbThatFailsToLoadStopsOnlyThatSlider) {
    ControlParent owner;
    ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    ControlSkin broken;
    broken.withHidden = false;  // one failing slider: one box
    broken.thumbs[0] = dir.File(L"thumb0.bmp").c_str();
    broken.thumbs[1] = dir.File(L"missing.bmp").c_str();
    broken.thumbs[2] = broken.thumbs[3] = broken.thumbs[0];
    BoxCloser closer(0, L"Skin test");
    broken.InitSkinFromFiles(&owner, images[0], images[1], images[2], images[3], L"", L"300,200", FALSE, L"Skin test",
                             L"[FilePath]");
    std::wstring text;
    ASSERT_TRUE(closer.Wait(&text));
    EXPECT_NE(std::wstring::npos, text.find(L"missing.bmp"));
    EXPECT_EQ(nullptr, broken.slider.GetSafeHwnd());
    EXPECT_NE(nullptr, broken.lamp.GetSafeHwnd());
}

TEST_F(SkinControlsTest, TheLampShowsItsOnAndOffPictures) {
    const Pixels off = ReadScreen(skin.lamp.m_hWnd);
    EXPECT_EQ(20 * 12, CountColor(off, ImageColor(2)));  // down image
    skin.lamp.SetState(TRUE);
    EXPECT_TRUE(skin.lamp.GetState());
    EXPECT_FALSE(::GetUpdateRect(skin.lamp.m_hWnd, nullptr, FALSE) == FALSE);
    const Pixels on = ReadScreen(skin.lamp.m_hWnd);
    EXPECT_EQ(20 * 12, CountColor(on, ImageColor(1)));  // over image
}

TEST_F(SkinControlsTest, TheLabelDrawsOverItsParentWithoutAParentFont) {
    // The parent is a plain window: it answers WM_GETFONT with no font.
    ASSERT_EQ(0, parent.SendMessage(WM_GETFONT));
    skin.label.SetText(L"WWWW");
    const Pixels drawn = ReadScreen(skin.label.m_hWnd);
    EXPECT_GT(CountColor(drawn, RGB(255, 255, 0)), 20);
    // Nothing but text is painted: the parent's black shows around it.
    EXPECT_EQ(kParentBack, drawn.At(drawn.width - 1, drawn.height - 1));
}

TEST_F(SkinControlsTest, ACenteredLabelCentresItsText) {
    skin.label.SetTextAlign(TA_CENTER);
    skin.label.SetText(L"I");
    const Pixels drawn = ReadScreen(skin.label.m_hWnd);
    int left = drawn.width, right = -1;
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x)
            if (drawn.At(x, y) == RGB(255, 255, 0)) left = std::min(left, x), right = std::max(right, x);
    ASSERT_LE(left, right);
    EXPECT_NEAR(drawn.width / 2, (left + right) / 2, 4);
}

TEST_F(SkinControlsTest, AComboWithoutSelectionShowsOnlyItsFace) {
    skin.combo.AddString(L"Channel 1");
    const Pixels bare = ReadScreen(skin.combo.m_hWnd);
    EXPECT_EQ(static_cast<int>(bare.colors.size()), CountColor(bare, ImageColor(0)));
    skin.combo.SetTextColor(RGB(255, 255, 255));
    skin.combo.SetCurSel(0);
    skin.combo.Invalidate(FALSE);
    const Pixels chosen = ReadScreen(skin.combo.m_hWnd);
    EXPECT_GT(CountColor(chosen, RGB(255, 255, 255)), 10);
    for (int y = 0; y < chosen.height; ++y) {  // the text keeps off the left margin
        for (int x = 0; x < 5; ++x) EXPECT_EQ(ImageColor(0), chosen.At(x, y)) << x << "," << y;
    }
}

TEST_F(SkinControlsTest, TheComboFaceFollowsThePointerAndTheEnabledState) {
    Mouse(skin.combo, WM_MOUSEMOVE, 20, 5);
    EXPECT_EQ(CSkinCbx::kHover, skin.combo.GetState());
    EXPECT_EQ(static_cast<int>(ReadScreen(skin.combo.m_hWnd).colors.size()),
              CountColor(ReadScreen(skin.combo.m_hWnd), ImageColor(1)));
    skin.combo.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(CSkinCbx::kNormal, skin.combo.GetState());
    skin.combo.EnableWindow(FALSE);
    EXPECT_EQ(CSkinCbx::kDisabled, skin.combo.GetState());
    const Pixels disabled = ReadScreen(skin.combo.m_hWnd);
    EXPECT_EQ(static_cast<int>(disabled.colors.size()), CountColor(disabled, ImageColor(3)));
}

TEST_F(SkinControlsTest, SliderPositionFromOutside) {
    CSkinSlider& slider = skin.slider;
    slider.SetPos(40);
    EXPECT_EQ(40, slider.GetPos());
    for (int ignored : {-1, 101}) {
        slider.SetPos(ignored);
        EXPECT_EQ(40, slider.GetPos()) << ignored;
    }
    EXPECT_EQ(CPoint(76, 5), slider.GetThumbPosition());  // 40 * (200 - 10) / 100, centred
    int min = 0, max = 0;
    slider.SetRange(-50, 50, TRUE);
    slider.GetRange(&min, &max);
    EXPECT_EQ(-50, min);
    EXPECT_EQ(50, max);
}

TEST_F(SkinControlsTest, APageStepOnTheTrackStopsAtTheEnds) {
    CSkinSlider& slider = skin.slider;
    slider.SetStyleFlags(CSkinSlider::kShowThumb);
    slider.SetPageStep(30);
    const struct {
        int from;
        int clickX;
        int expected;
    } cases[] = {{10, 190, 40}, {80, 190, 100}, {10, 2, 0}, {50, 2, 20}};
    for (const auto& c : cases) {
        slider.SetPos(c.from);
        if (slider.GetPos() != c.from) slider.SetPos(c.from);
        Mouse(slider, WM_LBUTTONDOWN, c.clickX, 10);
        Mouse(slider, WM_LBUTTONUP, c.clickX, 10);
        EXPECT_EQ(c.expected, slider.GetPos()) << c.from << " " << c.clickX;
    }
    // With the jump flag the click itself is the new position.
    slider.SetStyleFlags(CSkinSlider::kShowThumb | CSkinSlider::kJumpToClick);
    Mouse(slider, WM_LBUTTONDOWN, 105, 10);
    EXPECT_EQ(52, slider.GetPos());  // 100 * (105 - 5) / 190
    Mouse(slider, WM_LBUTTONUP, 105, 10);
}

TEST_F(SkinControlsTest, AVerticalSliderHasItsMinimumAtTheBottom) {
    CSkinSlider vertical;
    CBitmap thumb, background;
    ASSERT_TRUE(MakeBitmap(&thumb, kThumb, kThumb, [](int, int) { return ThumbColor(0); }));
    ASSERT_TRUE(MakeBitmap(&background, 20, 110, [](int, int) { return RGB(9, 9, 9); }));
    vertical.SetBitmaps(&thumb, &thumb, &thumb, &thumb, &background);
    ASSERT_TRUE(vertical.CreateEx(0, AfxRegisterWndClass(0), L"", WS_CHILD | WS_VISIBLE, CRect(250, 10, 270, 120),
                                  &parent, 44));
    vertical.SetStyleFlags(CSkinSlider::kShowThumb | CSkinSlider::kVertical | CSkinSlider::kJumpToClick);
    EXPECT_EQ(CPoint(5, 100), vertical.GetThumbPosition());
    vertical.SetPos(100);
    EXPECT_EQ(CPoint(5, 0), vertical.GetThumbPosition());
    int pos = -1;
    ASSERT_TRUE(vertical.PositionFromThumbPoint(5, 100, &pos));
    EXPECT_EQ(0, pos);
    ASSERT_TRUE(vertical.PositionFromThumbPoint(5, 50, &pos));
    EXPECT_EQ(50, pos);
    Mouse(vertical, WM_LBUTTONDOWN, 10, 104);  // a click near the bottom
    EXPECT_LE(vertical.GetPos(), 1);
    Mouse(vertical, WM_LBUTTONUP, 10, 104);
}

TEST_F(SkinControlsTest, SliderNoticesOnReleaseAndOnLeaving) {
    CSkinSlider& slider = skin.slider;
    const CPoint thumb = slider.GetThumbPosition();
    Mouse(slider, WM_LBUTTONDOWN, thumb.x + kThumb / 2, thumb.y + kThumb / 2);
    EXPECT_EQ(slider.m_hWnd, ::GetCapture());
    EXPECT_EQ(CSkinSlider::kPressed, slider.GetThumbState());
    slider.SetPos(30);  // ignored while the operator holds the thumb
    EXPECT_EQ(0, slider.GetPos());
    Mouse(slider, WM_MOUSEMOVE, 100, 10);  // the thumb's centre follows the pointer
    EXPECT_EQ(50, slider.GetPos());
    Mouse(slider, WM_LBUTTONUP, 100, 10);
    EXPECT_NE(slider.m_hWnd, ::GetCapture());
    PumpPending();
    ASSERT_EQ(1u, parent.notices.size());
    EXPECT_EQ(50, parent.notices[0]);

    slider.SendMessage(WM_MOUSELEAVE);
    PumpPending();
    parent.notices.clear();
    Mouse(slider, WM_MOUSEMOVE, 180, 10);
    slider.SendMessage(WM_MOUSELEAVE);
    slider.SendMessage(WM_MOUSELEAVE);  // once only
    PumpPending();
    ASSERT_EQ(1u, parent.notices.size());
    EXPECT_EQ(0x10000 | 50, parent.notices[0]);
}

TEST_F(SkinControlsTest, TheSliderPaintsItsThumbShapeAndProgress) {
    CSkinSlider& slider = skin.slider;
    slider.SetPos(0);
    slider.SetProgressWidth(60);
    const Pixels drawn = ReadScreen(slider.m_hWnd);
    EXPECT_EQ(RGB(240, 130, 0), drawn.At(30, 7));
    EXPECT_EQ(ImageColor(0), drawn.At(30, 12));
    // The thumb at (0,5): its magenta corners are outside its shape.
    EXPECT_EQ(ThumbColor(CSkinSlider::kNormal), drawn.At(5, 14));
    EXPECT_NE(kMagenta, drawn.At(0, 14));
    slider.EnableWindow(FALSE);
    EXPECT_EQ(CSkinSlider::kDisabled, slider.GetThumbState());
    EXPECT_EQ(ThumbColor(CSkinSlider::kDisabled), ReadScreen(slider.m_hWnd).At(5, 14));
}

TEST(ProgressCtrlExTest, SetPosStoresTheClampedValueAndReturnsThePrevious) {
    CProgressCtrlEx progress;
    const struct {
        int value;
        int previous;
        int stored;
    } steps[] = {{40, 0, 40}, {150, 40, 100}, {-5, 100, 0}, {100, 0, 100}};
    for (const auto& step : steps) {
        EXPECT_EQ(step.previous, progress.SetPos(step.value)) << step.value;
        EXPECT_EQ(step.stored, progress.GetPos()) << step.value;
    }
    progress.SetRange(10, 20);
    int min = 0, max = 0;
    progress.GetRange(&min, &max);
    EXPECT_EQ(10, min);
    EXPECT_EQ(20, max);
    progress.SetPos(5);
    EXPECT_EQ(10, progress.GetPos());
}

}  // namespace
