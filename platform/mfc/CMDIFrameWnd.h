// The frame of a multiple-document interface: an MDI client window fills its
// client area, and its default handling is the frame's MDI default.
#pragma once

#include "CFrameWnd.h"

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    CMDIFrameWnd() : m_hWndMDIClient(nullptr) {}
    // Makes the MDI client; windowMenu (may be NULL) lists the children.
    BOOL CreateClient(CMenu* windowMenu);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The active child, NULL when none.
    HWND MDIGetActive() const;

    HWND m_hWndMDIClient;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    DECLARE_MESSAGE_MAP()
};
