#include "app/ui/toolkit/CLoadBmpEx.h"

#include <gtest/gtest.h>

#include <string>

#include "BoxCloser.h"
#include "SkinTestSupport.h"
#include "TempDir.h"
#include "app/ui/toolkit/CSkinButton.h"

namespace {

// A skin without controls: what the loader itself does.
class BareSkin : public CLoadBmpEx {
public:
    void LoadLayout() override { ++layouts; }
    int layouts = 0;
};

// Every pixel of the test background differs from its neighbours.
COLORREF Source(int x, int y) { return RGB(x * 11 % 256, y * 13 % 256, (x * 3 + y * 7) % 256); }

class LoadBmpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
        background = dir.File(L"back.bmp").c_str();
        buttons = dir.File(L"buttons.bmp").c_str();
        ASSERT_TRUE(WriteBitmapFile((LPCWSTR)background, kWidth, kHeight, Source));
        ASSERT_TRUE(WriteBitmapFile((LPCWSTR)buttons, 8, 8, [](int, int) { return RGB(1, 2, 3); }));
    }
    static const int kWidth = 20;
    static const int kHeight = 16;
    TempDir dir;
    CWnd owner;
    CString background;
    CString buttons;
};

}  // namespace

TEST(LoadBmpParseTest, LayoutTexts) {
    const struct {
        const wchar_t* text;
        CRect rect;
    } rects[] = {
        {L"10, 20 ,110,60", CRect(10, 20, 110, 60)},
        {L"", CRect(0, 0, 0, 0)},
        {L"5", CRect(0, 0, 0, 5)},
        {L"1,2", CRect(1, 0, 1, 2)},  // the search after a missing comma restarts at the beginning
        {L"-3,+4,x,7abc", CRect(-3, 4, 0, 7)},
    };
    for (const auto& r : rects) EXPECT_EQ(r.rect, CLoadBmp::ParseRect(r.text)) << r.text;
    const struct {
        const wchar_t* text;
        COLORREF color;
    } colors[] = {
        {L"255,0,0", RGB(255, 0, 0)},   {L"256,0,0", RGB(0, 0, 0)}, {L"", 0},
        {L" 1 , 2 , 3 ", RGB(1, 2, 3)}, {L"1,2", RGB(1, 0, 1)},
    };
    for (const auto& c : colors) EXPECT_EQ(c.color, CLoadBmp::ParseRGB(c.text)) << c.text;
    const struct {
        const wchar_t* text;
        CSize size;
    } sizes[] = {{L"902,675", CSize(902, 675)}, {L"40", CSize(0, 40)}, {L"", CSize(0, 0)}};
    for (const auto& s : sizes) EXPECT_EQ(s.size, CLoadBmp::ParseSize(s.text)) << s.text;
}

TEST_F(LoadBmpTest, NinePartBackgroundAgainstTheSource) {
    BareSkin skin;
    skin.InitSkin(&owner, background, buttons, L"20,16", FALSE, L"Skin test", L"[FilePath]");
    ASSERT_EQ(1, skin.layouts);
    ASSERT_EQ(10, skin.GetCornerWidth());
    ASSERT_EQ(8, skin.GetCornerHeight());
    CRect window;
    owner.GetWindowRect(&window);
    EXPECT_EQ(CRect(0, 0, 20, 16), window);  // sized by the size text
    const int w = kWidth, h = kHeight, cx = 10, cy = 8;
    // Where a pixel of the painted client area comes from in the source.
    auto from = [](int v, int size, int skin, int corner) {
        if (size <= skin) return v;  // cropped, or exactly the image
        if (v < corner) return v;
        if (v >= size - (skin - corner)) return v - (size - skin);
        return corner;  // the stretched middle line
    };
    const struct { int W, H; } sizes[] = {{20, 16}, {15, 10}, {45, 37}, {45, 16}, {20, 37}};
    for (const auto& s : sizes) {
        owner.MoveWindow(0, 0, s.W, s.H, FALSE);
        Pixels painted = Render(s.W, s.H, RGB(9, 9, 9), [&](CDC* dc) { skin.PaintBackground(dc); });
        int wrong = 0;
        for (int y = 0; y < s.H; ++y)
            for (int x = 0; x < s.W; ++x)
                if (painted.At(x, y) != Source(from(x, s.W, w, cx), from(y, s.H, h, cy))) ++wrong;
        EXPECT_EQ(0, wrong) << s.W << "x" << s.H;
    }
}

TEST_F(LoadBmpTest, MissingImageShowsTheBoxAndLeavesTheWindowUnskinned) {
    owner.MoveWindow(0, 0, 77, 55, FALSE);
    const CString missing = dir.File(L"missing.bmp").c_str();
    const struct { CString back, buttons; } cases[] = {{missing, buttons}, {background, missing}};
    for (const auto& c : cases) {
        BareSkin skin;
        BoxCloser closer(0, L"Skin test");
        skin.InitSkin(&owner, c.back, c.buttons, L"20,16", FALSE, L"Skin test",
                      L"Load background image [FilePath] failed!");
        std::wstring text;
        EXPECT_TRUE(closer.Wait(&text));
        EXPECT_EQ(std::wstring(L"Load background image ") + (LPCWSTR)missing + L" failed!", text);
        EXPECT_EQ(0, skin.layouts);
        CRect window;
        owner.GetWindowRect(&window);
        EXPECT_EQ(77, window.Width());
        // An image that did not load paints nothing.
        Pixels painted = Render(20, 16, RGB(9, 9, 9), [&](CDC* dc) { skin.PaintBackground(dc); });
        EXPECT_EQ(RGB(9, 9, 9), painted.At(10, 8));
    }
}

TEST_F(LoadBmpTest, LoadingAgainFreesTheOldImage) {
    CBitmap image;
    ASSERT_TRUE(CLoadBmp::LoadBitmapFile(background, &image));
    const LONG live = AfxGetLiveGdiObjectCount();
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(CLoadBmp::LoadBitmapFile(background, &image));
    EXPECT_EQ(live, AfxGetLiveGdiObjectCount());
    EXPECT_EQ(CSize(kWidth, kHeight), image.GetSize());
    EXPECT_FALSE(CLoadBmp::LoadBitmapFile(dir.File(L"none.bmp").c_str(), &image));
    EXPECT_EQ(nullptr, image.GetSafeHandle());
    EXPECT_EQ(live - 1, AfxGetLiveGdiObjectCount());
}

TEST(LoadBmpRegionTest, MaskRegionFollowsThePixels) {
    const COLORREF mask = RGB(255, 0, 255);
    // A ring with a hole, touching the right and bottom edges.
    auto shape = [&](int x, int y) {
        int dx = x - 12, dy = y - 9;
        int r = dx * dx + dy * dy;
        return (r <= 81 && r >= 9) || x == 23 || y == 17 ? RGB(10, 20, 30) : mask;
    };
    CBitmap image;
    ASSERT_TRUE(MakeBitmap(&image, 24, 18, shape));
    CRgn region;
    ASSERT_TRUE(CLoadBmp::CreateRegionFromBitmap(&image, &mask, &region));
    int wrong = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 24; ++x)
            if ((region.PtInRegion(x, y) != FALSE) != (shape(x, y) != mask)) ++wrong;
    EXPECT_EQ(0, wrong);

    // Runs moved down by 2 and made 3 longer; sized from this image alone.
    CRgn offset;
    ASSERT_TRUE(CLoadBmp::CreateOffsetRegion(&image, &mask, &offset, 2, 3));
    EXPECT_TRUE(offset.PtInRegion(23, 2));
    EXPECT_TRUE(offset.PtInRegion(23, 22));
    EXPECT_FALSE(offset.PtInRegion(23, 23));
    EXPECT_FALSE(offset.PtInRegion(23, 1));

    // Too wide: refused, the region left as it was.
    CBitmap wide;
    ASSERT_TRUE(MakeBitmap(&wide, 10001, 10, [](int, int) { return RGB(0, 0, 0); }));
    CRgn kept;
    ASSERT_TRUE(kept.CreateRectRgn(0, 0, 5, 5));
    HGDIOBJ before = kept.GetSafeHandle();
    EXPECT_FALSE(CLoadBmp::CreateRegionFromBitmap(&wide, &mask, &kept));
    EXPECT_EQ(before, kept.GetSafeHandle());
    EXPECT_TRUE(kept.PtInRegion(2, 2));
    CBitmap none;
    EXPECT_FALSE(CLoadBmp::CreateRegionFromBitmap(&none, &mask, &kept));
}

namespace {

// The four-image model: each state picture is the button's own rectangle of
// one whole-window image.
class FourImageSkin : public CLoadBmp {
public:
    void LoadLayout() override {
        CreateButton(TRUE, L"5,4,25,14", L"", &shown, 31);
        CreateButtonAlt(FALSE, L"5,4,25,14", L"", &hidden, 32);
    }
    CSkinButton shown;
    CSkinButton hidden;
};

COLORREF WholeImage(int image, int x, int y) { return RGB(image * 50 + x, y * 3, 7); }

}  // namespace

TEST_F(LoadBmpTest, FourImageButtonsCutTheirOwnRectangle) {
    CString paths[4];
    for (int i = 0; i < 4; ++i) {
        paths[i] = dir.File(L"whole" + std::to_wstring(i) + L".bmp").c_str();
        ASSERT_TRUE(WriteBitmapFile((LPCWSTR)paths[i], 40, 30, [i](int x, int y) { return WholeImage(i, x, y); }));
    }
    FourImageSkin skin;
    skin.InitSkinFromFiles(&owner, paths[0], paths[1], paths[2], paths[3], L"", L"40,30", FALSE, L"Skin test",
                           L"[FilePath]");
    ASSERT_TRUE(skin.shown.GetSafeHwnd());
    const struct {
        UINT itemState;
        int image;  // up, over, down, disable
    } states[] = {{0, 0}, {ODS_SELECTED, 2}, {ODS_DISABLED, 3}};
    for (const auto& s : states) {
        Pixels drawn = Render(20, 10, 0, [&](CDC* dc) {
            DRAWITEMSTRUCT dis = {ODT_BUTTON,     31, 0, ODA_DRAWENTIRE, s.itemState, skin.shown.m_hWnd, *dc,
                                  {0, 0, 20, 10}, 0};
            skin.shown.DrawItem(&dis);
        });
        int wrong = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                if (drawn.At(x, y) != WholeImage(s.image, x + 5, y + 4)) ++wrong;
        EXPECT_EQ(0, wrong) << s.image;
    }
    // An invisible control still exists, with a zero rectangle.
    ASSERT_TRUE(skin.hidden.GetSafeHwnd());
    EXPECT_EQ(32, skin.hidden.GetDlgCtrlID());
    CRect rect;
    skin.hidden.GetWindowRect(&rect);
    EXPECT_TRUE(rect.IsRectEmpty());
}
