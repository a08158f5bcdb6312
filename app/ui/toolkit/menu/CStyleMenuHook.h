// The menu library's start-up object and its per-thread window hook. At
// static initialisation it probes the platform, binds uxtheme and Msimg32,
// registers the twelve draw styles, makes style 2 current and hooks the
// thread's sent messages; popup-menu windows of CStyleMenu menus are then
// subclassed for the current theme's decoration. At exit it undoes it all.
#pragma once

#include <afxwin.h>
#include <afxtempl.h>

class CStyleMenuHook {
public:
    // The state of one subclassed popup-menu window.
    class CMenuHookData {
    public:
        CMenuHookData(HWND window, BOOL onSizeWindow);
        ~CMenuHookData();
        // Stores the menu; theme painting is on for a CStyleMenu (or for all menus).
        void SetMenu(HMENU menu);

        DWORD savedStyle;
        DWORD savedExStyle;
        CPoint position;
        DWORD flags;
        BOOL borderPainted;
        HMENU hMenu;
        CBitmap screenBitmap;
        HRGN hUpdateRgn;
        BOOL drawBorder;
    };
    // Bits of CMenuHookData::flags.
    enum : DWORD { kOnSizeWindow = 0x1, kStylesChanged = 0x2, kEscapeOrFade = 0x4, kPrinting = 0x8 };

    CStyleMenuHook();
    ~CStyleMenuHook();

    static LRESULT CALLBACK MenuHookProc(int code, WPARAM wParam, LPARAM lParam);
    // TRUE only when this call subclassed the window.
    static BOOL SubclassMenuWindow(HWND window, BOOL onSizeWindow);
    static LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void UnsubclassMenuWindow(HWND window);
    static CMenuHookData* FindMenuHookData(HWND window);
    // Whether the window's class name is exactly the popup-menu class.
    static BOOL IsPopupMenuWindow(HWND window);
    static int HookDataCount();

    static HHOOK s_hHook;

private:
    static LRESULT OnNcPaint(HWND window, CMenuHookData* data, WNDPROC previous, WPARAM wParam, BOOL* consumed);
    static LRESULT OnPrint(HWND window, CMenuHookData* data, WNDPROC previous, WPARAM wParam, LPARAM lParam,
                           BOOL* consumed);
    static void OnWindowPos(HWND window, CMenuHookData* data, const WINDOWPOS* pos);
};

// Gives a further user-interface thread the same hook for as long as it lives.
class CStyleMenuThreadHook {
public:
    CStyleMenuThreadHook();
    virtual ~CStyleMenuThreadHook();
    HHOOK hook;
};

// The property that keeps a subclassed popup's previous window procedure.
extern const wchar_t kOldMenuProcProperty[];
