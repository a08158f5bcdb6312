// The visual-theme functions the menu themes read colours with, bound by name
// on first use: without the theme library each answers as if no theme were
// there (GetThemeColor 1, the others 0). Kept in their own namespace so they
// never meet the system header's declarations of the same names.
#pragma once

#include <windows.h>

namespace ThemeFunctions {

typedef HANDLE HTHEME;

HRESULT GetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* colour);
HRESULT CloseThemeData(HTHEME theme);
HTHEME OpenThemeData(HWND window, LPCWSTR classList);
HTHEME GetWindowTheme(HWND window);
HRESULT GetCurrentThemeName(LPWSTR fileName, int fileChars, LPWSTR colour, int colourChars, LPWSTR size, int sizeChars);
// Frees the library now; it is also freed at exit.
void Release();

}  // namespace ThemeFunctions
