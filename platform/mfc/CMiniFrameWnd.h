// A small-captioned frame (a tool window), as floating bars use.
#pragma once

#include "CFrameWnd.h"

class CMiniFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMiniFrameWnd)
public:
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent = nullptr,
                        UINT id = 0);
};

// The frame a floating dock bar lives in.
class CMiniDockFrameWnd : public CMiniFrameWnd {
    DECLARE_DYNCREATE(CMiniDockFrameWnd)
};
