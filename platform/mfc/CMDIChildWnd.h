// A child frame inside an MDI frame's client window.
#pragma once

#include "CFrameWnd.h"

class CMDIFrameWnd;

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    // FALSE when parent has no MDI client or the window cannot be made.
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CMDIFrameWnd* parent);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
