// The cache of menu-bar brushes: owns its CStyleBrush objects until exit.
#pragma once

#include <afxwin.h>

class CStyleBrush;

class CStyleBrushList : public CObList {
public:
    CStyleBrushList() : CObList(10) {}
    ~CStyleBrushList() override;
    // The brush of that kind and colours, made and cached on first use.
    CStyleBrush* Get(int kind, COLORREF from, COLORREF to);

private:
    CStyleBrush* m_last = nullptr;
};

// The process's brush cache (freed by the library's exit clean-up).
CStyleBrushList* MenuBrushCache();
