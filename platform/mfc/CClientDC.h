// The client-area DC of a window, released (selections put back) on destruction.
#pragma once

#include "CDC.h"

class CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)
public:
    // Throws CResourceException when the DC cannot be had.
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};
