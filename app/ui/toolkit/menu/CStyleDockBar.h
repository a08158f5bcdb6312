// A dock bar that paints its non-client area itself and erases with the
// menu-bar brush, aligned to its parent.
#pragma once

#include <afxwin.h>

class CStyleDockBar : public CDockBar {
    DECLARE_DYNCREATE(CStyleDockBar)
public:
    explicit CStyleDockBar(BOOL floating = FALSE) : CDockBar(floating) {}

protected:
    afx_msg void OnNcPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()
};
