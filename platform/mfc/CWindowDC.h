// The whole-window DC (non-client area included), released (selections put
// back) on destruction.
#pragma once

#include "CDC.h"

class CWindowDC : public CDC {
    DECLARE_DYNAMIC(CWindowDC)
public:
    // Throws CResourceException when the DC cannot be had.
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};
