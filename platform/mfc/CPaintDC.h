// The DC of BeginPaint..EndPaint for one WM_PAINT; the objects selected
// through it are put back before EndPaint.
#pragma once

#include "CDC.h"

class CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)
public:
    // Throws CResourceException when painting cannot begin.
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

protected:
    HWND m_hWnd;
};
