// CRedrawPause: holds a control's drawing off for a batch of changes, as the
// system's WM_SETREDRAW does, by taking the visible flag from the window for
// the batch, then puts it back and repaints the control once. Wine's tree
// view, asked to stop redrawing, still recomputes its layout over every item
// at each change while it is visible: ticking thousands of items took
// minutes. The flag is changed without showing or hiding the window, so
// focus and the windows around stay as they are. UI thread.
#pragma once

#include <afxwin.h>

class CRedrawPause {
public:
    explicit CRedrawPause(HWND control);
    ~CRedrawPause();
    CRedrawPause(const CRedrawPause&) = delete;
    CRedrawPause& operator=(const CRedrawPause&) = delete;

private:
    HWND m_control;
    bool m_wasVisible;
};
