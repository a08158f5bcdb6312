#include "ThemeFunctions.h"

#include "CLibraryFunction.h"

namespace ThemeFunctions {
namespace {

const wchar_t kLibrary[] = L"UxTheme.dll";

// Function-local, so binding never depends on static initialisation order.
CLibraryFunction& Bound(int index) {
    static CLibraryFunction functions[] = {
        {kLibrary, "GetThemeColor"},  {kLibrary, "CloseThemeData"},      {kLibrary, "OpenThemeData"},
        {kLibrary, "GetWindowTheme"}, {kLibrary, "GetCurrentThemeName"},
    };
    return functions[index];
}

enum { kGetThemeColor, kCloseThemeData, kOpenThemeData, kGetWindowTheme, kGetCurrentThemeName, kCount };

}  // namespace

HRESULT GetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* colour) {
    auto fn = Bound(kGetThemeColor).As<HRESULT(WINAPI*)(HTHEME, int, int, int, COLORREF*)>();
    return fn ? fn(theme, part, state, property, colour) : 1;
}

HRESULT CloseThemeData(HTHEME theme) {
    auto fn = Bound(kCloseThemeData).As<HRESULT(WINAPI*)(HTHEME)>();
    return fn ? fn(theme) : 0;
}

HTHEME OpenThemeData(HWND window, LPCWSTR classList) {
    auto fn = Bound(kOpenThemeData).As<HTHEME(WINAPI*)(HWND, LPCWSTR)>();
    return fn ? fn(window, classList) : nullptr;
}

HTHEME GetWindowTheme(HWND window) {
    auto fn = Bound(kGetWindowTheme).As<HTHEME(WINAPI*)(HWND)>();
    return fn ? fn(window) : nullptr;
}

HRESULT GetCurrentThemeName(LPWSTR fileName, int fileChars, LPWSTR colour, int colourChars, LPWSTR size,
                            int sizeChars) {
    auto fn = Bound(kGetCurrentThemeName).As<HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int)>();
    return fn ? fn(fileName, fileChars, colour, colourChars, size, sizeChars) : 0;
}

void Release() {
    for (int i = 0; i < kCount; ++i) Bound(i).Release();
}

}  // namespace ThemeFunctions
