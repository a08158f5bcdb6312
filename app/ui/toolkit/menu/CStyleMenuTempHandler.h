// A temporary subclass of a dialog window that routes the window's menu
// messages into the menu library; it deletes itself when its window goes.
#pragma once

#include <afxwin.h>

#include "CStyleMenu.h"

class CStyleMenuTempHandler : public CObject {
public:
    explicit CStyleMenuTempHandler(HWND dialog);
    ~CStyleMenuTempHandler() override;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CStyleMenu menu;
    WNDPROC previous;
    HWND window;
};

// The property that names a dialog's handler.
extern const wchar_t kTempHandlerProperty[];
// Gives the dialog a handler that owns itself.
void AttachMenuTempHandler(HWND dialog);
// WM_MEASUREITEM of a library menu: measured and TRUE; FALSE for anything else.
BOOL MeasureMenuItem(const MSG* message);
