// The program's face of the Rerezed video window control: each method is
// one dispatch call by number. Pane n (0 to 3) shows engine playback slot n.
#pragma once

#include <afxwin.h>

class CRerezedctrl1 : public CWnd {
    DECLARE_DYNCREATE(CRerezedctrl1)
public:
    static const CLSID& GetClsid();
    BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                void* context = nullptr) override;

    BOOL SetWindowCount(long count);
    void SetWindowInfoText(long pane, LPCWSTR text);
    BOOL SetWindowOption(long pane, long option, BOOL on);
    void SetWindowState(long pane, long state, short on);
    short GetWindowState(long pane, long state);
    void SetMaxMode(BOOL on);
    void GetMaxMode(short* mode, short* other);
    long GetSelectedWindow();
    BOOL SetSelectedWindow(long pane);
    // The pane's video window handle as a long; handles fit in 32 bits on
    // 64-bit Windows too, so PaneWindow sign-extends it back.
    long GetWindowHandle(long pane);
    HWND PaneWindow(long pane) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(GetWindowHandle(pane))); }
    long LoadLanguageFile(LPCWSTR path);
    void EnableZoomRect(long pane, short on);
    void ClearWindow(long pane);
    void SetSplitMode(short count);
    void SetWindowTitle(long pane, LPCWSTR text);
    long SetWindowMode(long pane, long mode);
    long SetBackImage(LPCWSTR image, long a, long b);
};
