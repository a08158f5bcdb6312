// Colour arithmetic, painting helpers and item drawing per style into
// 32-bpp DIB sections; pixels away from the text are compared exactly,
// text only for being there.
#include <gtest/gtest.h>

#include "MenuTestSupport.h"
#include "app/ui/toolkit/menu/CMenuTheme.h"
#include "app/ui/toolkit/menu/CStyleBrushList.h"
#include "app/ui/toolkit/menu/CStyleBrush.h"
#include "app/ui/toolkit/menu/CStyleMemDC.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "app/ui/toolkit/menu/CStyleMenuHook.h"
#include "app/ui/toolkit/menu/MenuColors.h"
#include "app/ui/toolkit/menu/MenuPaint.h"

TEST(MenuColours, ArithmeticTable) {
    struct Case {
        const char* name;
        COLORREF got;
        COLORREF expected;
    } cases[] = {
        {"blend 0", BlendColor(RGB(200, 100, 0), RGB(0, 0, 255), 0), RGB(199, 99, 0)},
        {"blend 255", BlendColor(RGB(200, 100, 0), RGB(0, 0, 255), 255), RGB(0, 0, 254)},
        {"blend invalid", BlendColor(RGB(1, 2, 3), 0xFFFFFFFF, 100), 0xFFFFFFFF},
        {"brighten clamps", BrightenColor(100, RGB(200, 10, 0)), RGB(255, 110, 100)},
        {"lighten", LightenColor(255, RGB(0, 100, 255)), RGB(255, 255, 255)},
        {"lighten 0", LightenColor(0, RGB(7, 8, 9)), RGB(7, 8, 9)},
        {"gray", GrayColor(RGB(30, 60, 90)), RGB(60, 60, 60)},
        {"mix70", MixColor70(RGB(100, 0, 255), RGB(0, 100, 255)), RGB(70, 30, 255)},
        {"mix86", MixColor86(RGB(100, 0, 0), RGB(0, 100, 0)), RGB(86, 14, 0)},
        {"darken", DarkenColor(255, RGB(200, 100, 50)), RGB(0, 0, 0)},
        {"darken 0", DarkenColor(0, RGB(200, 100, 50)), RGB(200, 100, 50)},
        {"shadow", ShadowColor(RGB(100, 50, 45)), RGB(70, 35, 70)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, c.got) << c.name;
    EXPECT_TRUE(IsLightColor(RGB(130, 130, 130)));
    EXPECT_FALSE(IsLightColor(RGB(128, 128, 128)));
}

TEST(MenuPainting, GradientFillsAndTheirNarrowEdge) {
    struct Case {
        int width;
        BOOL horizontal;
        BOOL system;
    } cases[] = {{40, TRUE, TRUE}, {40, TRUE, FALSE}, {2, TRUE, FALSE}, {1, FALSE, FALSE}, {40, FALSE, FALSE}};
    auto saved = CStyleMenu::s_pfnGradientFill;
    for (const Case& c : cases) {
        CStyleMenu::s_pfnGradientFill = c.system ? saved : nullptr;
        DibCanvas canvas(c.width, c.horizontal ? 4 : c.width, RGB(1, 2, 3));
        RECT r = {0, 0, c.width, c.horizontal ? 4 : c.width};
        FillGradient(canvas.dc(), r, RGB(0, 0, 0), RGB(200, 100, 40), c.horizontal, FALSE);
        DibPixels p = canvas.Pixels();
        // The far end always shows the end colour (no band is a fill with it).
        COLORREF last = c.horizontal ? p.At(c.width - 1, 0) : p.At(0, c.width - 1);
        EXPECT_NEAR(200, GetRValue(last), 12) << c.width;
        if (c.width >= 40) {
            EXPECT_LT(GetRValue(p.At(0, 0)), 12) << c.width;
            COLORREF middle = c.horizontal ? p.At(20, 0) : p.At(0, 20);
            EXPECT_NEAR(100, GetRValue(middle), 15) << c.width;
        }
    }
    CStyleMenu::s_pfnGradientFill = saved;
}

TEST(MenuPainting, ShadowStripsAndTheMemoryDcCopyOnce) {
    DibCanvas canvas(5, 30, RGB(255, 255, 255));
    RECT strip = {0, 0, 5, 30};
    PaintShadowStrip(canvas.dc(), strip, RGB(0, 0, 0));
    DibPixels p = canvas.Pixels();
    // Middle rows: alpha i * 40 + 80 towards the colour; darker to the right.
    EXPECT_EQ(BlendColor(RGB(0, 0, 0), RGB(255, 255, 255), 80), p.At(0, 15));
    EXPECT_EQ(BlendColor(RGB(0, 0, 0), RGB(255, 255, 255), 240), p.At(4, 15));

    SetScreenColorCountForTest(256);
    PaintShadowStrip(canvas.dc(), strip, RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), canvas.Pixels().At(2, 2));
    SetScreenColorCountForTest(0);

    LONG live = AfxGetLiveGdiObjectCount();
    DibCanvas target(20, 20, RGB(9, 9, 9));
    {
        CStyleMemDC memory(RECT{5, 5, 15, 15}, target.dc());
        memory.FillSolidRect(5, 5, 10, 10, RGB(200, 0, 0));
        EXPECT_EQ(RGB(9, 9, 9), target.Pixels().At(10, 10));
    }
    EXPECT_EQ(RGB(200, 0, 0), target.Pixels().At(10, 10));
    EXPECT_EQ(RGB(9, 9, 9), target.Pixels().At(4, 4));
    {
        CStyleMemDC discarded(RECT{0, 0, 20, 20}, target.dc());
        discarded.FillSolidRect(0, 0, 20, 20, RGB(0, 200, 0));
        discarded.Discard();
    }
    EXPECT_EQ(RGB(200, 0, 0), target.Pixels().At(10, 10));
    EXPECT_EQ(live, AfxGetLiveGdiObjectCount());
}

TEST(MenuPainting, PopupShadeDarkensTheSavedScreenAndFadesAtTheCorners) {
    if (IsSystemDropShadow()) GTEST_SKIP() << "the system draws the shadow";
    HWND popup = CreateWindowExW(0, L"#32768", L"", WS_POPUP, 10, 10, 40, 30, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    CStyleMenu style;
    ASSERT_TRUE(style.CreatePopupMenu());
    CStyleMenu::s_hPendingMenu = style.GetSafeHmenu();
    ASSERT_TRUE(CStyleMenuHook::SubclassMenuWindow(popup, FALSE));
    RECT wr;
    GetWindowRect(popup, &wr);
    int W = wr.right - wr.left, H = wr.bottom - wr.top;
    CStyleMenuHook::CMenuHookData* data = CStyleMenuHook::FindMenuHookData(popup);
    // A known screen under the popup: plain white.
    DibCanvas white(W + 10, H + 10, RGB(255, 255, 255));
    HBITMAP saved = CreateCompatibleBitmap(white.dc(), W + 10, H + 10);
    HDC memory = CreateCompatibleDC(white.dc());
    HGDIOBJ old = SelectObject(memory, saved);
    BitBlt(memory, 0, 0, W + 10, H + 10, white.dc(), 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    data->screenBitmap.DeleteObject();
    data->screenBitmap.Attach(saved);
    DibCanvas canvas(W, H, RGB(1, 2, 3));
    PaintShade(popup, canvas.dc());
    DibPixels p = canvas.Pixels();
    EXPECT_EQ(RGB(255, 255, 255), p.At(W - 1, 0));
    EXPECT_EQ(DarkenColor(120, RGB(255, 255, 255)), p.At(W - 4, H / 2));
    EXPECT_EQ(DarkenColor(30, RGB(255, 255, 255)), p.At(W - 1, H / 2));
    EXPECT_EQ(DarkenColor(6 * 4 * 1, RGB(255, 255, 255)), p.At(W - 4, 4));
    EXPECT_EQ(DarkenColor(120, RGB(255, 255, 255)), p.At(W / 2, H - 4));
    EXPECT_EQ(RGB(255, 255, 255), p.At(0, H - 1));
    DestroyWindow(popup);
}

TEST(MenuPainting, GradientBrushIsUniformBeyond700Pixels) {
    CStyleBrushList list;
    CStyleBrush* brush = list.Get(8, RGB(0, 0, 0), RGB(250, 250, 250));
    EXPECT_EQ(brush, list.Get(8, RGB(0, 0, 0), RGB(250, 250, 250)));
    EXPECT_NE(brush, list.Get(2, RGB(0, 0, 0), RGB(250, 250, 250)));
    int width = (GetSystemMetrics(SM_CXFULLSCREEN) + 16) & ~7;
    DibCanvas canvas(width, 4, RGB(1, 2, 3));
    RECT r = {0, 0, width, 4};
    FillRect(canvas.dc(), &r, static_cast<HBRUSH>(brush->GetSafeHandle()));
    DibPixels p = canvas.Pixels();
    EXPECT_LT(GetRValue(p.At(0, 0)), 10);
    if (width > 720) {
        EXPECT_EQ(RGB(250, 250, 250), p.At(705, 1));
        EXPECT_EQ(RGB(250, 250, 250), p.At(width - 1, 1));
    }
}

TEST(MenuDraw, EachStylePaintsItsBackgroundSelectionAndSeparator) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&Open\tCtrl+O", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(nullptr, 0, 0, static_cast<CStyleMenuIcons*>(nullptr), -1);
    COLORREF menuColour = GetSysColor(COLOR_MENU);
    COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF* custom = menu.GetColors();
    struct Case {
        int style;
        COLORREF background;  // at the right edge, outside the text
        COLORREF selected;    // the same place when selected
    } cases[] = {
        {0, menuColour, highlight},
        {4, menuColour, highlight},
        {2, custom[CStyleMenu::kColorBack], custom[CStyleMenu::kColorSelFill]},
        {10, MixColor86(DarkenColor(10, GetSysColor(COLOR_WINDOW)), GetMenuBackColor(nullptr)), RGB(255, 238, 194)},
    };
    for (const Case& c : cases) {
        DibPixels plain = DrawWithStyle(menu, c.style, 0, 0);
        EXPECT_EQ(c.background, plain.At(157, 12)) << c.style;
        DibPixels selected = DrawWithStyle(menu, c.style, 0, ODS_SELECTED);
        EXPECT_EQ(c.selected, selected.At(150, 12)) << c.style;
        // Text was written somewhere in the middle.
        EXPECT_LT(CountColour(plain, c.background), 160 * 24) << c.style;
        DibPixels separator = DrawWithStyle(menu, c.style, 1, 0);
        EXPECT_NE(RGB(1, 2, 3), separator.At(80, 1)) << c.style;
    }
    // The flat style's icon column and its separator line.
    DibPixels xp = DrawWithStyle(menu, 2, 0, 0);
    EXPECT_EQ(custom[CStyleMenu::kColorColumn], xp.At(3, 12));
    DibPixels line = DrawWithStyle(menu, 2, 1, 0);
    EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), line.At(100, 12));
    // The gradient style 6: lighter at the top than at the bottom.
    DibPixels gradient = DrawWithStyle(menu, 6, 0, 0);
    EXPECT_GE(GetRValue(gradient.At(157, 0)) + GetGValue(gradient.At(157, 0)),
              GetRValue(gradient.At(157, 23)) + GetGValue(gradient.At(157, 23)));
}

TEST(MenuDraw, GrayedTextAndChecksAndFewColours) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"WWWW", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    DibPixels grayed = DrawWithStyle(menu, 2, 0, ODS_GRAYED);
    EXPECT_GT(CountColour(grayed, RGB(150, 150, 150)), 0);
    EXPECT_EQ(0, CountColour(grayed, RGB(200, 200, 200)));
    DibPixels normal = DrawWithStyle(menu, 2, 0, 0);
    EXPECT_GT(CountColour(normal, RGB(200, 200, 200)), 0);

    // A grayed selected item with disabled selection off is drawn unselected.
    int old = CStyleMenu::SetSelectDisabledItems(0);
    DibPixels unselected = DrawWithStyle(menu, 2, 0, ODS_GRAYED | ODS_SELECTED);
    EXPECT_EQ(menu.GetColors()[CStyleMenu::kColorBack], unselected.At(150, 12));
    CStyleMenu::SetSelectDisabledItems(old);

    // A check mark without icon sits in the column in the check background.
    CheckMenuItem(menu, 100, MF_CHECKED);
    DibPixels checked = DrawWithStyle(menu, 2, 0, ODS_CHECKED);
    EXPECT_GT(CountColour(checked, menu.GetColors()[CStyleMenu::kColorCheckBack]), 20);

    // At 256 colours the column turns pure green.
    SetScreenColorCountForTest(256);
    DibPixels few = DrawWithStyle(menu, 2, 0, 0);
    SetScreenColorCountForTest(0);
    EXPECT_EQ(RGB(0, 255, 0), few.At(3, 12));

    // High contrast: the flat selection is outlined in pure red.
    CStyleMenu::s_isHighContrast = TRUE;
    DibPixels contrast = DrawWithStyle(menu, 2, 0, ODS_SELECTED);
    CStyleMenu::s_isHighContrast = FALSE;
    EXPECT_GT(CountColour(contrast, RGB(255, 0, 0)), 0);
}

TEST(MenuDraw, MenuBarItemsAndTitles) {
    CStyleMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    bar.SetPopup(FALSE);
    bar.AppendItem(L"&File", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    DibPixels normal = DrawWithStyle(bar, 2, 0, 0, TRUE);
    EXPECT_EQ(bar.GetColors()[CStyleMenu::kColorMenuBar], normal.At(1, 1));
    DibPixels hot = DrawWithStyle(bar, 2, 0, ODS_HOTLIGHT, TRUE);
    EXPECT_EQ(bar.GetColors()[CStyleMenu::kColorSelFill], hot.At(5, 5));

    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"Item", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.SetTitle(L"Title", 0);
    DibPixels title = DrawWithStyle(menu, 2, 0, 0);
    EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), title.At(157, 2));
    EXPECT_GT(CountColour(title, GetSysColor(COLOR_CAPTIONTEXT)), 0);
    menu.SetTitleColors(RGB(255, 255, 0), CLR_DEFAULT, RGB(0, 0, 128));
    DibPixels coloured = DrawWithStyle(menu, 2, 0, 0);
    EXPECT_EQ(RGB(0, 0, 128), coloured.At(157, 2));
}

TEST(MenuDraw, DrawingEveryStyleLeavesNoGdiObjectBehind) {
    CStyleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendItem(L"&Open\tCtrl+O", 0, 100, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(nullptr, 0, 0, static_cast<CStyleMenuIcons*>(nullptr), -1);
    menu.AppendItem(L"&Close", 0, SC_CLOSE, static_cast<CStyleMenuIcons*>(nullptr), -1);
    DrawWithStyle(menu, 2, 0, 0);
    LONG live = AfxGetLiveGdiObjectCount();
    DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int round = 0; round < 20; ++round)
        for (int style = 0; style < 12; ++style)
            for (int position = 0; position < 3; ++position)
                for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED), static_cast<UINT>(ODS_GRAYED | ODS_CHECKED)}) {
                    DrawWithStyle(menu, style, position, state);
                }
    EXPECT_EQ(live, AfxGetLiveGdiObjectCount());
    // A real count where the system keeps one; a stub answers 0 both times.
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi + 5);
}
