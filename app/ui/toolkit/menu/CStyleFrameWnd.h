// A frame window whose menu bar, loaded by name, is a library menu.
#pragma once

#include "CStyleFrame.h"

class CStyleFrameWnd : public CStyleFrame<CFrameWnd> {
    DECLARE_DYNCREATE(CStyleFrameWnd)
public:
    BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCWSTR menuName = nullptr, DWORD exStyle = 0,
                void* context = nullptr) override;
};

// The MDI frame form of the template.
class CStyleMDIFrameWnd : public CStyleFrame<CMDIFrameWnd> {
    DECLARE_DYNCREATE(CStyleMDIFrameWnd)
public:
    BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCWSTR menuName = nullptr, DWORD exStyle = 0,
                void* context = nullptr) override;
};

class CStyleMDIChildWnd : public CStyleFrame<CMDIChildWnd> {
    DECLARE_DYNCREATE(CStyleMDIChildWnd)
};

class CStyleMiniFrameWnd : public CStyleFrame<CMiniFrameWnd> {
    DECLARE_DYNCREATE(CStyleMiniFrameWnd)
};

class CStyleMiniDockFrameWnd : public CStyleFrame<CMiniDockFrameWnd> {
    DECLARE_DYNCREATE(CStyleMiniDockFrameWnd)
};
