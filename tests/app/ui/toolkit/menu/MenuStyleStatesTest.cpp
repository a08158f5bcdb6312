// Item states per style family, drawn into DIB sections: the 2003 styles'
// hot, checked and pressed colours, their menu-bar background and keyboard
// frame; the gradient style's grayed text, disabled icons and icon frames;
// the flat style's icons with and without their variants. The icon is a
// blue square inside a margin that its mask makes transparent.
#include <gtest/gtest.h>

#include "MenuTestResource.h"
#include "MenuTestSupport.h"
#include "app/ui/toolkit/menu/CMenuTheme.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "app/ui/toolkit/menu/CStyleMenuIcons.h"
#include "app/ui/toolkit/menu/MenuColors.h"

namespace {

const COLORREF kBlue = RGB(0, 0, 255);

// A popup with the icon item at 0 and a plain item at 1, and a menu bar
// whose background brush is a solid colour.
struct StyledMenus {
    CImageList icons;
    CStyleMenu popup;
    CStyleMenu bar;
    HBRUSH barBrush = CreateSolidBrush(RGB(10, 200, 30));

    StyledMenus() {
        CreateMaskedMarginImages(icons);
        popup.CreatePopupMenu();
        popup.AppendItem(L"WWWW", 0, 100, &icons, 0);
        popup.AppendItem(L"WWWW", 0, 101, static_cast<CStyleMenuIcons*>(nullptr), -1);
        bar.CreateMenu();
        bar.SetPopup(FALSE);
        bar.AppendItem(L"&File", 0, 200, static_cast<CStyleMenuIcons*>(nullptr), -1);
        MENUINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = MIM_BACKGROUND;
        info.hbrBack = barBrush;
        SetMenuInfo(bar, &info);
    }
    ~StyledMenus() { DeleteObject(barBrush); }
};

}  // namespace

TEST(MenuStyleStates, PixelsPerStyleAndItemState) {
    // A desktop without a visual theme unless a case asks for the real one.
    auto themeActive = CStyleMenu::s_pfnIsThemeActive;
    BOOL themed = IsThemeActiveSafe();
    CStyleMenu::s_pfnIsThemeActive = nullptr;
    StyledMenus m;
    int cx = 0, cy = 0;
    m.popup.GetIconSize(&cx, &cy);
    ASSERT_EQ(16, cx);
    ASSERT_EQ(16, cy);
    // 24 x 24 column on a 24-high item: the icon covers 4..19, its blue 6..17.
    const COLORREF selection = GetSelectionColor();
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF base6 = GetMenuBackColor(nullptr);
    const COLORREF disabled6 = DarkenColor(70, DarkenColor(60, base6));
    const COLORREF column = m.popup.GetColors()[CStyleMenu::kColorColumn];
    enum { kVariants = 1, kKeyboard = 2, kTheme = 4 };
    struct Case {
        const char* name;
        int style;
        BOOL menuBar;
        int position;
        UINT state;
        int options;
        int x, y;
        COLORREF expected;
    } cases[] = {
        {"style 8 hot", 8, FALSE, 1, ODS_SELECTED, kVariants, 150, 12, selection},
        {"style 9 hot", 9, FALSE, 1, ODS_SELECTED, kVariants, 150, 12, selection},
        {"style 10 hot keeps its own", 10, FALSE, 1, ODS_SELECTED, kVariants, 150, 12, RGB(255, 238, 194)},
        {"style 8 hot with a theme", 8, FALSE, 1, ODS_SELECTED, kVariants | kTheme, 150, 12, RGB(255, 238, 194)},
        {"style 8 checked frame with a theme", 8, FALSE, 0, ODS_CHECKED, kVariants | kTheme, 2, 2, RGB(255, 192, 111)},
        {"style 8 checked frame", 8, FALSE, 0, ODS_CHECKED, kVariants, 2, 2, MixColor86(selection, highlight)},
        {"style 8 pressed frame", 8, FALSE, 0, ODS_CHECKED | ODS_SELECTED, kVariants, 2, 2,
         MixColor86(selection, highlight)},
        {"style 10 checked frame", 10, FALSE, 0, ODS_CHECKED, kVariants, 2, 2, RGB(255, 192, 111)},
        {"style 10 pressed frame", 10, FALSE, 0, ODS_CHECKED | ODS_SELECTED, kVariants, 2, 2, RGB(254, 128, 62)},
        {"style 8 keyboard frame", 8, FALSE, 1, ODS_GRAYED | ODS_SELECTED, kVariants | kKeyboard, 0, 12, highlight},
        {"style 11 keyboard frame", 11, FALSE, 1, ODS_GRAYED | ODS_SELECTED, kVariants | kKeyboard, 80, 0, highlight},
        {"style 8 menu bar brush", 8, TRUE, 0, 0, kVariants, 1, 1, RGB(10, 200, 30)},
        {"style 10 menu bar brush", 10, TRUE, 0, 0, kVariants, 1, 1, RGB(10, 200, 30)},
        {"style 6 menu bar brush", 6, TRUE, 0, 0, kVariants, 1, 1, RGB(10, 200, 30)},
        {"style 2 menu bar keeps its colour", 2, TRUE, 0, 0, kVariants, 1, 1,
         m.bar.GetColors()[CStyleMenu::kColorMenuBar]},
        {"style 6 disabled icon", 6, FALSE, 0, ODS_GRAYED, kVariants, 10, 10, disabled6},
        {"style 6 checked frame dark", 6, FALSE, 0, ODS_CHECKED, kVariants, 2, 2, DarkenColor(60, base6)},
        {"style 6 checked frame light", 6, FALSE, 0, ODS_CHECKED, kVariants, 21, 21, LightenColor(60, base6)},
        {"style 6 selected frame light", 6, FALSE, 0, ODS_SELECTED, kVariants, 2, 2, LightenColor(60, base6)},
        {"style 6 selected frame dark", 6, FALSE, 0, ODS_SELECTED, kVariants, 21, 21, DarkenColor(60, base6)},
        {"style 2 icon faded", 2, FALSE, 0, 0, kVariants, 10, 10, DarkenColor(50, kBlue)},
        {"style 2 icon margin", 2, FALSE, 0, 0, kVariants, 4, 10, column},
        {"style 2 selected icon lifted", 2, FALSE, 0, ODS_SELECTED, kVariants, 9, 9, kBlue},
        {"style 2 disabled icon without variants", 2, FALSE, 0, ODS_GRAYED, 0, 10, 10, DarkenColor(70, column)},
        {"style 2 disabled icon margin", 2, FALSE, 0, ODS_GRAYED, 0, 19, 10, column},
        {"style 0 disabled icon margin", 0, FALSE, 0, ODS_GRAYED, kVariants, 4, 10, GetSysColor(COLOR_MENU)},
    };
    int savedVariants = CStyleMenu::SetUseIconVariants(1);
    int savedSelect = CStyleMenu::SetSelectDisabledItems(0);
    for (const Case& c : cases) {
        if ((c.options & kTheme) && !themed) continue;
        CStyleMenu::s_pfnIsThemeActive = (c.options & kTheme) ? themeActive : nullptr;
        CStyleMenu::SetUseIconVariants((c.options & kVariants) ? 1 : 0);
        // The mouse has not moved since the last key: the keyboard frame.
        CStyleMenu::s_lastKeyDownPos = (c.options & kKeyboard) ? GetMessagePos() : GetMessagePos() + 1;
        DibPixels p = DrawWithStyle(c.menuBar ? m.bar : m.popup, c.style, c.position, c.state, c.menuBar);
        EXPECT_EQ(c.expected, p.At(c.x, c.y)) << c.name;
    }
    CStyleMenu::SetUseIconVariants(savedVariants);
    CStyleMenu::SetSelectDisabledItems(savedSelect);
    CStyleMenu::s_pfnIsThemeActive = themeActive;
}

TEST(MenuStyleStates, GradientStyleGraysTextAndIconsInItsOwnShade) {
    StyledMenus m;
    const COLORREF base = GetMenuBackColor(nullptr);
    const COLORREF disabled = DarkenColor(70, DarkenColor(60, base));
    DibPixels grayed = DrawWithStyle(m.popup, 6, 1, ODS_GRAYED);
    EXPECT_GT(CountColour(grayed, disabled), 10);
    EXPECT_EQ(0, CountColour(grayed, GetSysColor(COLOR_GRAYTEXT)));

    // The disabled icon is a silhouette: the margin shows the background
    // of its row, the square is all one shade.
    DibPixels icon = DrawWithStyle(m.popup, 6, 0, ODS_GRAYED);
    for (int y = 4; y < 20; ++y) {
        EXPECT_EQ(icon.At(1, y), icon.At(4, y)) << y;
        EXPECT_EQ(icon.At(1, y), icon.At(19, y)) << y;
    }
    EXPECT_EQ(0, CountColour(icon, kBlue));
    EXPECT_EQ(144, CountColour(icon, disabled) - CountColour(grayed, disabled));

    // High contrast: both in the button shadow colour.
    CStyleMenu::s_isHighContrast = TRUE;
    DibPixels contrast = DrawWithStyle(m.popup, 6, 0, ODS_GRAYED);
    CStyleMenu::s_isHighContrast = FALSE;
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), contrast.At(10, 10));
}
