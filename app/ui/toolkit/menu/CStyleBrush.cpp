#include "CStyleBrush.h"

#include "CStyleMenu.h"
#include "MenuPaint.h"

CStyleBrush::CStyleBrush(int k, COLORREF f, COLORREF t) : kind(k), from(f), to(t) {
    int version = CStyleMenu::s_winVersion;
    if (version == 2 || version == 5 || (kind != 8 && kind != 10)) {
        CreateSolidBrush(from);
        return;
    }
    int width = (GetSystemMetrics(SM_CXFULLSCREEN) + 16) & ~7;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP pattern = ::CreateCompatibleBitmap(screen, width, 20);
    HGDIOBJ old = ::SelectObject(memory, pattern);
    RECT gradient = {0, 0, width < 700 ? width : 700, 20};
    FillGradient(memory, gradient, from, to, TRUE, TRUE);
    if (width > 700) {
        RECT rest = {700, 0, width, 20};
        COLORREF back = ::SetBkColor(memory, to);
        ::ExtTextOutW(memory, 0, 0, ETO_OPAQUE, &rest, nullptr, 0, nullptr);
        ::SetBkColor(memory, back);
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    Attach(::CreatePatternBrush(pattern));
    ::DeleteObject(pattern);
}
