// A window object over an HWND. Objects the program creates, attaches or
// subclasses are "permanent": the thread's handle map finds them from the
// handle, their window procedure dispatches through their message map, and
// they are detached when the window is destroyed. FromHandle wraps other
// windows in "temporary" CWnd objects that live until the thread is next
// idle. Destroying a permanent object whose window still exists destroys the
// window, so no window outlives the object its procedure calls.
// Continued in CWndMessages.cpp (message cracking) and CWndOle.cpp (hosting
// ActiveX controls).
#pragma once

#include "CCmdTarget.h"
#include "CRect.h"
#include "CStringT.h"

class CDC;
class CMenu;
class CFont;
class CScrollBar;
class CDataExchange;
class COleControlSite;
class COleControlContainer;
struct AFX_EVENTSINKMAP;
struct IUnknown;

class CWnd;
// The window of wnd, NULL when wnd is NULL. Out of line on purpose: inside a
// member function the compiler may assume this is never NULL.
HWND AfxSafeHwnd(const CWnd* wnd);

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd();
    ~CWnd() override;
    // A marker object that stands for a special handle value.
    explicit CWnd(HWND marker);

    HWND m_hWnd;
    // NULL for a NULL object too: program code calls it on parent pointers
    // that may be NULL, as it may with the original framework.
    HWND GetSafeHwnd() const { return AfxSafeHwnd(this); }
    operator HWND() const { return AfxSafeHwnd(this); }

    // --- handle maps ---
    // The permanent object of hWnd, else a temporary one (deleted when the
    // thread is next idle); NULL only for a NULL handle.
    static CWnd* PASCAL FromHandle(HWND hWnd);
    // The permanent object of hWnd; NULL when it has none.
    static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
    // Makes this object the permanent one of hWnd. FALSE when hWnd is NULL,
    // this object already has a window, or hWnd already has an object.
    BOOL Attach(HWND hWnd);
    // Gives up the window without destroying it; returns it.
    HWND Detach();
    // Attach plus routing the window's messages through this object's map;
    // the previous window procedure becomes the default handling.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    // Restores the previous window procedure and detaches.
    HWND UnsubclassWindow();

    // --- creation ---
    // TRUE when the window exists afterwards; this object receives the
    // window's own WM_NCCREATE and WM_CREATE.
    virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                          int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, LPVOID param = nullptr);
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                        void* context = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);

    // --- dispatch ---
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE when the map handled the message; *result carries its result.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default handling of the message being processed now.
    LRESULT Default();
    // TRUE when this window consumed the message before dispatch.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Offers msg to PreTranslateMessage of each permanent window from its
    // target up to and including stop; TRUE when one consumed it.
    static BOOL PASCAL WalkPreTranslateTree(HWND stop, MSG* msg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Called on a child for the notifications its parent receives from it;
    // TRUE when the child handled them (then the parent does not).
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Offers the message being processed to the permanent object of child.
    static BOOL PASCAL ReflectLastMsg(HWND child, LRESULT* result = nullptr);
    BOOL SendChildNotifyLastMsg(LRESULT* result = nullptr);
    virtual void PostNcDestroy() {}
    // Called once the object owns its window and before its messages
    // arrive through the map (creation or subclassing): the place to adjust
    // styles such as owner drawing.
    virtual void PreSubclassWindow() {}
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int result);
    // Runs a message loop until EndModalLoop; returns its result, or -1 when
    // WM_QUIT arrived (the quit is posted again for the outer loop).
    int RunModalLoop(DWORD flags = 0);
    virtual void DoDataExchange(CDataExchange* dx) {}
    // FALSE when validation failed (the failing control has the focus).
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    WNDPROC* GetSuperWndProcAddr() { return &m_pfnSuper; }

    // --- attributes and state ---
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) {
        return ModifyStyleOf(m_hWnd, GWL_STYLE, remove, add, swpFlags);
    }
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0) {
        return ModifyStyleOf(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
    }
    static BOOL PASCAL ModifyStyleOf(HWND hWnd, int index, DWORD remove, DWORD add, UINT swpFlags);
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    int SetDlgCtrlID(int id) { return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWLP_ID, id)); }
    void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
    int GetWindowText(LPWSTR buffer, int maxCount) const { return ::GetWindowTextW(m_hWnd, buffer, maxCount); }
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    HICON SetIcon(HICON icon, BOOL big) {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    HICON GetIcon(BOOL big) const {
        return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0));
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE);

    // --- size and position ---
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(LPRECT r) const;
    void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(LPRECT r) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) {
        if (m_pCtrlSite)
            MoveControlSite(x, y, width, height);
        else
            ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(LPCRECT r, BOOL repaint = TRUE) {
        MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint);
    }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void CenterWindow(CWnd* alternateOwner = nullptr);
    BOOL GetWindowPlacement(WINDOWPLACEMENT* wp) const {
        wp->length = sizeof *wp;
        return ::GetWindowPlacement(m_hWnd, wp);
    }
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* wp) { return ::SetWindowPlacement(m_hWnd, wp); }
    int SetWindowRgn(HRGN rgn, BOOL redraw) { return ::SetWindowRgn(m_hWnd, rgn, redraw); }

    // --- painting ---
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* dc);
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void ValidateRect(LPCRECT rect) { ::ValidateRect(m_hWnd, rect); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT rect = nullptr, HRGN rgn = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, rect, rgn, flags);
    }
    void SetRedraw(BOOL redraw = TRUE) { SendMessage(WM_SETREDRAW, redraw, 0); }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }

    // --- relations ---
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetParent(CWnd* parent) { return FromHandle(::SetParent(m_hWnd, parent->GetSafeHwnd())); }
    CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    void GetDlgItem(int id, HWND* out) const { *out = ::GetDlgItem(m_hWnd, id); }
    CWnd* GetNextDlgTabItem(CWnd* control, BOOL previous = FALSE) const {
        return FromHandle(::GetNextDlgTabItem(m_hWnd, control->GetSafeHwnd(), previous));
    }
    CWnd* ChildWindowFromPoint(POINT p) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, p)); }
    CWnd* ChildWindowFromPoint(POINT p, UINT flags) const {
        return FromHandle(::ChildWindowFromPointEx(m_hWnd, p, flags));
    }
    BOOL IsChild(const CWnd* wnd) const { return ::IsChild(m_hWnd, wnd->GetSafeHwnd()); }
    static CWnd* PASCAL WindowFromPoint(POINT p) { return FromHandle(::WindowFromPoint(p)); }
    static CWnd* PASCAL GetFocus() { return FromHandle(::GetFocus()); }
    static CWnd* PASCAL GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    static CWnd* PASCAL GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
    static CWnd* PASCAL GetCapture() { return FromHandle(::GetCapture()); }
    static CWnd* PASCAL GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
    static CWnd* PASCAL FindWindow(LPCWSTR className, LPCWSTR windowName) {
        return FromHandle(::FindWindowW(className, windowName));
    }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }

    // A message box owned by this window; a NULL caption means the
    // application's name. Returns the button pressed.
    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK) const;

    // Placement markers for SetWindowPos (their handles are HWND_TOP...).
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // --- dialog items ---
    void SetDlgItemText(int id, LPCWSTR text) { ::SetDlgItemTextW(m_hWnd, id, text); }
    int GetDlgItemText(int id, CString& text) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const {
        return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
    }
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    void CheckRadioButton(int first, int last, int check) { ::CheckRadioButton(m_hWnd, first, last, check); }
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam);
    }

    // --- menus and timers ---
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* menu);
    void DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
    CMenu* GetSystemMenu(BOOL revert) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr) {
        return ::SetTimer(m_hWnd, id, elapseMs, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

    // --- handlers the framework's maps and macros name ---
    afx_msg int OnCreate(LPCREATESTRUCT cs) { return static_cast<int>(Default()); }
    afx_msg void OnDestroy() { Default(); }
    afx_msg void OnNcDestroy();
    afx_msg void OnClose() { Default(); }
    afx_msg void OnPaint() { Default(); }
    afx_msg void OnNcPaint() { Default(); }
    afx_msg BOOL OnEraseBkgnd(CDC* dc) { return static_cast<BOOL>(Default()); }
    // Lets the control reflect the colour request first.
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    // Menus go to their permanent CMenu; controls get the chance to draw
    // themselves by reflection first.
    afx_msg void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT dis);
    afx_msg void OnMeasureItem(int idCtl, LPMEASUREITEMSTRUCT mis);
    afx_msg void OnSize(UINT type, int cx, int cy) { Default(); }
    afx_msg void OnSizing(UINT side, LPRECT rect) { Default(); }
    afx_msg void OnMove(int x, int y) { Default(); }
    afx_msg void OnTimer(UINT_PTR id) { Default(); }
    afx_msg void OnSysCommand(UINT id, LPARAM lParam) { Default(); }
    afx_msg HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    afx_msg void OnMouseMove(UINT flags, CPoint p) { Default(); }
    afx_msg void OnLButtonDown(UINT flags, CPoint p) { Default(); }
    afx_msg void OnLButtonUp(UINT flags, CPoint p) { Default(); }
    afx_msg void OnLButtonDblClk(UINT flags, CPoint p) { Default(); }
    afx_msg void OnRButtonDown(UINT flags, CPoint p) { Default(); }
    afx_msg void OnRButtonUp(UINT flags, CPoint p) { Default(); }
    afx_msg void OnNcLButtonDown(UINT hitTest, CPoint p) { Default(); }
    afx_msg void OnNcLButtonUp(UINT hitTest, CPoint p) { Default(); }
    afx_msg void OnMouseLeave() { Default(); }
    afx_msg void OnContextMenu(CWnd* wnd, CPoint p) { Default(); }
    afx_msg void OnSetFocus(CWnd* old) { Default(); }
    afx_msg void OnKillFocus(CWnd* next) { Default(); }
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags) { Default(); }
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) { Default(); }
    afx_msg void OnKeyUp(UINT ch, UINT repeat, UINT flags) { Default(); }
    afx_msg void OnShowWindow(BOOL show, UINT status) { Default(); }
    afx_msg void OnEnable(BOOL enable) { Default(); }
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) { return static_cast<BOOL>(Default()); }
    afx_msg LRESULT OnNcHitTest(CPoint p) { return Default(); }
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) { Default(); }
    afx_msg LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu) { return Default(); }
    afx_msg void OnEnterMenuLoop(BOOL trackPopup) { Default(); }
    afx_msg void OnExitMenuLoop(BOOL trackPopup) { Default(); }
    afx_msg void OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params) { Default(); }
    afx_msg void OnWindowPosChanged(WINDOWPOS* wp) { Default(); }
    afx_msg void OnWindowPosChanging(WINDOWPOS* wp) { Default(); }
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized) { Default(); }
    afx_msg int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message) { return static_cast<int>(Default()); }
    afx_msg void OnSysColorChange() { Default(); }

    // --- hosted ActiveX controls ---
    // Creates the control of clsid as a child of parent, in place at rect,
    // and makes this object its wrapper. FALSE when it cannot be created.
    BOOL CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // Calls the wrapped control's dispatch member; paramInfo is a VTS list
    // naming the arguments that follow. A failed call leaves the result 0.
    void InvokeHelper(LONG dispid, WORD flags, WORD resultType, void* result, const BYTE* paramInfo, ...);
    // The wrapped control (not AddRef'ed); NULL for a window that is none.
    IUnknown* GetControlUnknown();
    virtual const AFX_EVENTSINKMAP* GetEventSinkMap() const;
    // This window's container of hosted controls, made on first use.
    COleControlContainer* GetControlContainer();
    COleControlSite* m_pCtrlSite;
    COleControlContainer* m_pCtrlCont;

    // Flags of m_nFlags.
    enum { WF_MODALLOOP = 0x0001, WF_CONTINUEMODAL = 0x0002, WF_TEMPORARY = 0x0004 };
    UINT m_nFlags;

protected:
    static const AFX_EVENTSINKMAP* GetThisEventSinkMap();
    void MoveControlSite(int x, int y, int width, int height);
    BOOL DestroyControlSite();
    void DestroyControlContainer();

    WNDPROC m_pfnSuper;
    int m_nModalResult;

    DECLARE_MESSAGE_MAP()

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT AfxCallWndProc(CWnd*, HWND, UINT, WPARAM, LPARAM);
};

// The window procedure of every permanent window.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Routes one message through pWnd->WindowProc inside the exception boundary
// and keeps it as the thread's message being processed.
LRESULT AfxCallWndProc(CWnd* wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Until the next window created on this thread, that window's object is wnd.
void AfxHookWindowCreate(CWnd* wnd);
// Ends the hook; FALSE when the hook never found the window.
BOOL AfxUnhookWindowCreate();
// The message the thread is processing now.
const MSG* AfxGetCurrentMessage();
// Deletes this thread's temporary objects (windows, DCs, GDI objects, menus).
void AfxUnlockTempMaps();
// How many temporary objects this thread holds now; a debug aid for tests.
int AfxGetTempObjectCount();
