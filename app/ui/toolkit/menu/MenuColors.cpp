#include "MenuColors.h"

namespace {

int Clamp255(int v) { return v > 254 ? 255 : (v < 0 ? 0 : v); }

template <class F>
COLORREF PerChannel(COLORREF a, COLORREF b, F f) {
    return RGB(f(GetRValue(a), GetRValue(b)), f(GetGValue(a), GetGValue(b)), f(GetBValue(a), GetBValue(b)));
}

int g_screenColorCount = 0;
int g_screenColorCountForTest = 0;

}  // namespace

COLORREF BlendColor(COLORREF a, COLORREF b, int alpha) {
    if (b == 0xFFFFFFFF) return 0xFFFFFFFF;
    return PerChannel(a, b, [alpha](int x, int y) { return (alpha * y + (255 - alpha) * x) / 256; });
}

COLORREF BrightenColor(int add, COLORREF c) {
    return PerChannel(c, c, [add](int x, int) { return Clamp255(x + add); });
}

COLORREF LightenColor(int amount, COLORREF c) {
    return PerChannel(c, c, [amount](int x, int) { return Clamp255(x + MulDiv(255 - x, amount, 255)); });
}

BOOL IsLightColor(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) > 384; }

COLORREF GrayColor(COLORREF c) { return ((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3) * 0x010101; }

COLORREF MixColor70(COLORREF a, COLORREF b) {
    return PerChannel(a, b, [](int x, int y) { return Clamp255(MulDiv(7, x, 10) + MulDiv(3, y, 10)); });
}

COLORREF MixColor86(COLORREF a, COLORREF b) {
    return PerChannel(a, b, [](int x, int y) { return Clamp255(MulDiv(86, x, 100) + MulDiv(14, y, 100)); });
}

COLORREF DarkenColor(int amount, COLORREF c) {
    return PerChannel(c, c, [amount](int x, int) { return Clamp255(MulDiv(x, 255 - amount, 255)); });
}

COLORREF ShadowColor(COLORREF c) {
    return RGB(MulDiv(GetRValue(c), 7, 10), MulDiv(GetGValue(c), 7, 10), MulDiv(GetBValue(c) + 55, 7, 10));
}

int GetScreenColorCount() {
    if (g_screenColorCountForTest) return g_screenColorCountForTest;
    if (!g_screenColorCount) {
        HDC screen = GetDC(nullptr);
        int count = GetDeviceCaps(screen, NUMCOLORS);
        ReleaseDC(nullptr, screen);
        g_screenColorCount = count == -1 ? 64000 : count;
    }
    return g_screenColorCount;
}

void SetScreenColorCountForTest(int count) { g_screenColorCountForTest = count; }

COLORREF NearestScreenColor(COLORREF c) {
    HDC screen = GetDC(nullptr);
    COLORREF nearest = GetNearestColor(screen, c);
    ReleaseDC(nullptr, screen);
    return nearest == CLR_INVALID ? c : nearest;
}
