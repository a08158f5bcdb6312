// CWndResizeInfo: what a resizable dialog keeps to re-lay out its controls
// (the client size at registration and the registered items, used with
// ApplyLayout) and to switch between its normal size and the work area of
// its monitor. Owns no window.
#pragma once

#include <afxwin.h>

#include "WindowUtil.h"

class CWndResizeInfo {
public:
    CWndResizeInfo() = default;

    // Full screen: back to the rectangle saved before; otherwise the window
    // is saved and fills the work area of its nearest monitor. NULL does
    // nothing.
    void ToggleFullScreen(CWnd* wnd);
    BOOL IsFullScreen() const { return m_bFullScreen; }

    // Written by the owning dialog in OnInitDialog and not changed after:
    // each re-layout starts from the registered layout.
    int m_nLayoutWidth = 0;
    int m_nLayoutHeight = 0;
    LayoutItems m_layoutItems;

private:
    int m_bFullScreen = 0;
    CRect m_savedRect{0, 0, 0, 0};
};
