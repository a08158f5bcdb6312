#include <afxwin.h>
#include <gtest/gtest.h>

#include "app/ui/toolkit/menu/CLibraryFunction.h"
#include "app/ui/toolkit/menu/CMenuTheme.h"
#include "app/ui/toolkit/menu/CStyleMenu.h"
#include "app/ui/toolkit/menu/MenuColors.h"
#include "app/ui/toolkit/menu/ThemeFunctions.h"

namespace {

BOOL WINAPI ThemeActive() { return TRUE; }

// Pretends a visual theme is active for the scope.
struct ActiveTheme {
    BOOL(WINAPI* saved)() = CStyleMenu::s_pfnIsThemeActive;
    ActiveTheme() { CStyleMenu::s_pfnIsThemeActive = &ThemeActive; }
    ~ActiveTheme() { CStyleMenu::s_pfnIsThemeActive = saved; }
};

}  // namespace

TEST(MenuThemeFunctions, LibraryFunctionsBindByNameAndFailSoftly) {
    struct Case {
        LPCWSTR library;
        LPCSTR function;
        bool bound;
    } cases[] = {
        {L"kernel32.dll", "GetTickCount", true},
        {L"kernel32.dll", "NoSuchEntryPoint", false},
        {L"no-such-library-here.dll", "GetTickCount", false},
    };
    for (const Case& c : cases) {
        CLibraryFunction fn(c.library, c.function);
        EXPECT_EQ(c.bound, fn.Get() != nullptr) << c.function;
        EXPECT_EQ(fn.Get(), fn.Get());  // bound once
        fn.Release();
        EXPECT_EQ(c.bound, fn.Get() != nullptr) << "bound again after release";
    }
}

TEST(MenuThemeFunctions, ThemeCallsAnswerWithoutATheme) {
    // Without theme data the colour read reports failure and leaves the value.
    COLORREF colour = 0x123456;
    HRESULT result = ThemeFunctions::GetThemeColor(nullptr, 1, 1, 3821, &colour);
    EXPECT_TRUE(FAILED(result) || result == 1);
    EXPECT_EQ(0x123456u, colour);
    EXPECT_EQ(nullptr, ThemeFunctions::GetWindowTheme(GetDesktopWindow()));
    ThemeFunctions::HTHEME theme = ThemeFunctions::OpenThemeData(nullptr, L"Window");
    if (theme) {
        EXPECT_EQ(S_OK, ThemeFunctions::CloseThemeData(theme));
    }
    wchar_t file[MAX_PATH] = L"";
    ThemeFunctions::GetCurrentThemeName(file, MAX_PATH, nullptr, 0, nullptr, 0);
    ThemeFunctions::Release();
    EXPECT_EQ(nullptr, ThemeFunctions::GetWindowTheme(GetDesktopWindow()));  // binds again
}

TEST(MenuThemeFunctions, ThemeBarColoursFollowTheThemeOrItsAbsence) {
    int style = CStyleMenu::GetMenuDrawStyle();
    ASSERT_TRUE(style != 10 && style != 11);
    COLORREF window = GetSysColor(COLOR_WINDOW), caption = GetSysColor(COLOR_ACTIVECAPTION);
    COLORREF light = 0;
    {
        // No theme: the face colour and its blend with the window colour.
        ActiveTheme restore;
        CStyleMenu::s_pfnIsThemeActive = nullptr;
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetThemeBarColors(&light, TRUE));
    }
    ActiveTheme active;
    ThemeFunctions::HTHEME theme = ThemeFunctions::OpenThemeData(nullptr, L"Window");
    if (theme) {
        // Theme data: its caption and fill colours, where it has them.
        COLORREF fill = DarkenColor(10, window), read = 0;
        HRESULT result = ThemeFunctions::GetThemeColor(theme, 1, 1, 3821, &read);
        if (SUCCEEDED(result) && result != 1) caption = read;
        result = ThemeFunctions::GetThemeColor(theme, 1, 1, 3805, &read);
        if (SUCCEEDED(result) && result != 1) fill = read;
        ThemeFunctions::CloseThemeData(theme);
        const struct {
            COLORREF caption, bar;
        } known[] = {{0x86B8AA, 0xAADADA}, {0xBEA3A4, 0xE5D7D7}, {0xE55400, 0xF5C2A3}};
        COLORREF bar = NearestScreenColor(MixColor70(fill, caption));
        for (const auto& k : known)
            if (k.caption == caption) bar = k.bar;
        EXPECT_EQ(bar, GetThemeBarColors(&light, TRUE));
        EXPECT_EQ(LightenColor(110, bar), light);
        EXPECT_EQ(DarkenColor(20, bar), GetThemeBarColors(&light, FALSE));
        EXPECT_EQ(LightenColor(200, bar), light);
        return;
    }
    // Theme active but no theme data: the caption mix, lightened by 100 when
    // strong, else lightened by 200 with the bar darkened by 20.
    COLORREF mix = NearestScreenColor(MixColor70(DarkenColor(10, window), caption));
    ASSERT_TRUE(mix != 0xF0C5AC && mix != 0xE6E6E6 && mix != 0xCCDCD6) << "a replaced colour";
    EXPECT_EQ(mix, GetThemeBarColors(&light, TRUE));
    EXPECT_EQ(LightenColor(100, mix), light);
    EXPECT_EQ(DarkenColor(20, mix), GetThemeBarColors(&light, FALSE));
    EXPECT_EQ(LightenColor(200, mix), light);
    EXPECT_EQ(mix, GetThemeBarColor());
}
