#include "CStyleBrush.h"

#include "CStyleMenu.h"
#include "MenuPaint.h"
#include "common/UniqueGdi.h"

CStyleBrush::CStyleBrush(int k, COLORREF f, COLORREF t) : kind(k), from(f), to(t) {
    int version = CStyleMenu::s_winVersion;
    if (version == 2 || version == 5 || (kind != 8 && kind != 10)) {
        CreateSolidBrush(from);
        return;
    }
    int width = (GetSystemMetrics(SM_CXFULLSCREEN) + 16) & ~7;
    CUniqueBitmap pattern;
    {
        const CBorrowedDC screen(nullptr);
        const CUniqueMemoryDC owner(::CreateCompatibleDC(screen.Get()));
        const HDC memory = owner.Get();
        pattern.Reset(::CreateCompatibleBitmap(screen.Get(), width, 20));
        CDcSelection usePattern(memory, pattern.Get());
        RECT gradient = {0, 0, width < 700 ? width : 700, 20};
        FillGradient(memory, gradient, from, to, TRUE, TRUE);
        if (width > 700) {
            RECT rest = {700, 0, width, 20};
            COLORREF back = ::SetBkColor(memory, to);
            ::ExtTextOutW(memory, 0, 0, ETO_OPAQUE, &rest, nullptr, 0, nullptr);
            ::SetBkColor(memory, back);
        }
    }
    Attach(::CreatePatternBrush(pattern.Get()));  // the brush keeps its own copy
}
