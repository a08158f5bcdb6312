#include "CWnd.h"

#include "AfxGlobals.h"
#include "AfxHandleMap.h"
#include "CMemoryException.h"
#include "CDC.h"
#include "CDataExchange.h"
#include "CException.h"
#include "CMenu.h"
#include "CScrollBar.h"
#include "CWinApp.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_NCDESTROY()
ON_WM_CTLCOLOR()
ON_WM_DRAWITEM()
ON_WM_MEASUREITEM()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
END_MESSAGE_MAP()

namespace {

typedef CHandleMap<CWnd, HWND, &CWnd::m_hWnd> WndMap;

WndMap& ThreadWndMap() {
    thread_local WndMap map;
    return map;
}

struct ThreadDispatchState {
    MSG current = {};         // the message being processed
    CWnd* wndInit = nullptr;  // the object the next created window belongs to
    HHOOK cbtHook = nullptr;
    int depth = 0;  // nesting of window procedure calls
};

ThreadDispatchState& Dispatch() {
    thread_local ThreadDispatchState state;
    return state;
}

bool IsImeWindow(HWND hWnd) {
    wchar_t name[8];
    return GetClassNameW(hWnd, name, 8) > 0 && lstrcmpiW(name, L"IME") == 0;
}

LRESULT CALLBACK CbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    ThreadDispatchState& s = Dispatch();
    if (code == HCBT_CREATEWND && s.wndInit) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        // Windows may create the thread's IME window first: it is not ours.
        if (!IsImeWindow(hWnd)) {
            CWnd* wnd = s.wndInit;
            s.wndInit = nullptr;
            if (wnd->Attach(hWnd)) {
                WNDPROC old = reinterpret_cast<WNDPROC>(
                    SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
                if (old != &AfxWndProc) *wnd->GetSuperWndProcAddr() = old;
                wnd->PreSubclassWindow();
            }
        }
    }
    return CallNextHookEx(s.cbtHook, code, wParam, lParam);
}

}  // namespace

HWND AfxSafeHwnd(const CWnd* wnd) { return wnd ? wnd->m_hWnd : nullptr; }

void AfxHookWindowCreate(CWnd* wnd) {
    ThreadDispatchState& s = Dispatch();
    if (!s.cbtHook) {
        s.cbtHook = SetWindowsHookExW(WH_CBT, CbtFilterHook, nullptr, GetCurrentThreadId());
        if (!s.cbtHook) AfxThrowMemoryException();
    }
    s.wndInit = wnd;
}

BOOL AfxUnhookWindowCreate() {
    ThreadDispatchState& s = Dispatch();
    if (s.cbtHook) {
        UnhookWindowsHookEx(s.cbtHook);
        s.cbtHook = nullptr;
    }
    if (s.wndInit) {
        s.wndInit = nullptr;
        return FALSE;
    }
    return TRUE;
}

const MSG* AfxGetCurrentMessage() { return &Dispatch().current; }

void AfxUnlockTempMaps() {
    // A handler below us may still hold temporary objects (a nested modal
    // loop runs inside one): only the outermost loop may free them.
    if (Dispatch().depth == 0) AfxDeleteAllTempObjects();
}

int AfxGetTempObjectCount() { return static_cast<int>(AfxCountAllTempObjects()); }

LRESULT AfxCallWndProc(CWnd* wnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ThreadDispatchState& s = Dispatch();
    MSG saved = s.current;
    s.current.hwnd = hWnd;
    s.current.message = message;
    s.current.wParam = wParam;
    s.current.lParam = lParam;
    ++s.depth;
    LRESULT result = 0;
    // No exception may unwind through user32: a failing handler ends here and
    // a failing WM_CREATE fails the creation.
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (CException* e) {
        e->Delete();
        result = (message == WM_CREATE) ? -1 : 0;
    } catch (...) {
        result = (message == WM_CREATE) ? -1 : 0;
    }
    --s.depth;
    s.current = saved;
    return result;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd) return DefWindowProcW(hWnd, message, wParam, lParam);
    return AfxCallWndProc(wnd, hWnd, message, wParam, lParam);
}

CWnd::CWnd()
    : m_hWnd(nullptr),
      m_pCtrlSite(nullptr),
      m_pCtrlCont(nullptr),
      m_nFlags(0),
      m_pfnSuper(nullptr),
      m_nModalResult(0) {}

CWnd::CWnd(HWND marker)
    : m_hWnd(marker),
      m_pCtrlSite(nullptr),
      m_pCtrlCont(nullptr),
      m_nFlags(WF_TEMPORARY),
      m_pfnSuper(nullptr),
      m_nModalResult(0) {}

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd() {
    if (m_pCtrlSite) DestroyControlSite();
    if (m_pCtrlCont) DestroyControlContainer();
    // Markers and temporaries own nothing.
    if (m_hWnd && !(m_nFlags & WF_TEMPORARY) && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd) {
    return ThreadWndMap().FromHandle(hWnd, [] {
        CWnd* temp = new CWnd;
        temp->m_nFlags |= WF_TEMPORARY;
        return temp;
    });
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd) { return ThreadWndMap().LookupPermanent(hWnd); }

BOOL CWnd::Attach(HWND hWnd) {
    if (!hWnd || m_hWnd || ThreadWndMap().LookupPermanent(hWnd)) return FALSE;
    ThreadWndMap().SetPermanent(hWnd, this);
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd && ThreadWndMap().LookupPermanent(hWnd) == this) ThreadWndMap().RemoveHandle(hWnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    WNDPROC old =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (!old) {
        Detach();
        return FALSE;
    }
    if (old != &AfxWndProc) m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    HWND item = ::GetDlgItem(parent->GetSafeHwnd(), static_cast<int>(id));
    return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (m_pfnSuper) SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    return Detach();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) { return TRUE; }

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param) {
    if (m_hWnd) return FALSE;
    CREATESTRUCTW cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    AfxHookWindowCreate(this);
    HWND hWnd = CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    if (!AfxUnhookWindowCreate()) PostNcDestroy();  // the window never reached us
    return hWnd != nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent->GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                    param);
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void* context) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, context);
}

BOOL CWnd::DestroyWindow() {
    if (m_pCtrlSite) return DestroyControlSite();
    if (!m_hWnd) return FALSE;
    bool permanent = FromHandlePermanent(m_hWnd) == this;
    HWND hWnd = m_hWnd;
    BOOL result = ::DestroyWindow(hWnd);
    // A permanent object is detached by its WM_NCDESTROY; a temporary one
    // must let go of the dead handle here.
    if (!permanent && m_hWnd == hWnd) Detach();
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Hosted controls go before the window does: no event may reach it after.
    if (message == WM_DESTROY && m_pCtrlCont) DestroyControlContainer();
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& m = Dispatch().current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG* msg) { return FALSE; }

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
    // A PreTranslateMessage may run a box and, inside it, end windows of this
    // chain: each step looks its window up again, and a window gone ends the walk.
    for (HWND hWnd = msg->hwnd; hWnd && ::IsWindow(hWnd); hWnd = ::GetParent(hWnd)) {
        CWnd* wnd = FromHandlePermanent(hWnd);
        if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
        if (hWnd == stop) break;
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    int code = HIWORD(wParam);
    if (!control) {
        code = CN_COMMAND;  // menus and accelerators are both plain commands
    } else if (ReflectLastMsg(control)) {
        return TRUE;  // the control handled its own notification
    }
    return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (ReflectLastMsg(header->hwndFrom, result)) return TRUE;
    AFX_NOTIFY notify = {result, header};
    return OnCmdMsg(static_cast<UINT>(header->idFrom), MAKELONG(header->code, WM_NOTIFY), &notify, nullptr);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_PARENTNOTIFY:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_DELETEITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_COMPAREITEM: return CWnd::OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, result);
        case WM_COMMAND:
            if (CCmdTarget::OnCmdMsg(0, MAKELONG(HIWORD(wParam), WM_REFLECT_BASE + WM_COMMAND), nullptr, nullptr)) {
                if (result) *result = 1;
                return TRUE;
            }
            return FALSE;
        case WM_NOTIFY: {
            AFX_NOTIFY notify = {result, reinterpret_cast<NMHDR*>(lParam)};
            return CCmdTarget::OnCmdMsg(0, MAKELONG(notify.pNMHDR->code, WM_REFLECT_BASE + WM_NOTIFY), &notify,
                                        nullptr);
        }
        default: break;
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        LRESULT brush = 0;
        AFX_CTLCOLOR ctl = {m_hWnd, reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX};
        BOOL handled = CWnd::OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, 0, reinterpret_cast<LPARAM>(&ctl), &brush);
        // A NULL brush means "let the parent colour me".
        if (!handled || !brush) return FALSE;
        if (result) *result = brush;
        return TRUE;
    }
    return FALSE;
}

BOOL PASCAL CWnd::ReflectLastMsg(HWND child, LRESULT* result) {
    CWnd* wnd = FromHandlePermanent(child);
    return wnd ? wnd->SendChildNotifyLastMsg(result) : FALSE;
}

BOOL CWnd::SendChildNotifyLastMsg(LRESULT* result) {
    const MSG& m = Dispatch().current;
    return OnChildNotify(m.message, m.wParam, m.lParam, result);
}

HBRUSH CWnd::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    LRESULT result = 0;
    if (wnd && wnd->SendChildNotifyLastMsg(&result)) return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT dis) {
    if (dis->CtlType == ODT_MENU) {
        if (CMenu* menu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(dis->hwndItem))) {
            menu->DrawItem(dis);
            return;
        }
    } else if (ReflectLastMsg(dis->hwndItem)) {
        return;
    }
    Default();
}

void CWnd::OnMeasureItem(int idCtl, LPMEASUREITEMSTRUCT mis) {
    if (mis->CtlType == ODT_MENU) {
        // Start from the popup this window is tracking, else its menu bar.
        HWND trackingWindow = nullptr;
        HMENU tracking = AfxGetTrackingMenu(&trackingWindow);
        CMenu* start = (tracking && trackingWindow == m_hWnd) ? CMenu::FromHandle(tracking) : GetMenu();
        if (CMenu* menu = start ? AfxFindPopupMenuFromID(start, mis->itemID) : nullptr) {
            menu->MeasureItem(mis);
            return;
        }
    } else {
        HWND control = ::GetDlgItem(m_hWnd, idCtl);
        if (control && ReflectLastMsg(control)) return;
    }
    Default();
}

void CWnd::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (bar && bar->SendChildNotifyLastMsg()) return;
    Default();
}

void CWnd::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (bar && bar->SendChildNotifyLastMsg()) return;
    Default();
}

void CWnd::OnNcDestroy() {
    Default();
    CWinThread* thread = AfxGetThread();
    if (thread && thread->m_pMainWnd == this) {
        // The main window's end is the thread's end, as in the framework.
        thread->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    // Leave the dead window with its original procedure, then let go.
    if (m_pfnSuper && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    Detach();
    PostNcDestroy();
}

BOOL CWnd::ContinueModal() { return (m_nFlags & WF_CONTINUEMODAL) != 0; }

void CWnd::EndModalLoop(int result) {
    m_nModalResult = result;
    if (m_nFlags & WF_CONTINUEMODAL) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        PostMessage(WM_NULL);  // wakes the loop so it sees the end
    }
}

int CWnd::RunModalLoop(DWORD flags) {
    bool showPending = !(GetStyle() & WS_VISIBLE);
    HWND parent = ::GetParent(m_hWnd);
    m_nFlags |= WF_MODALLOOP | WF_CONTINUEMODAL;
    MSG msg;
    while (ContinueModal()) {
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            // Idle: show the window once its first messages are done, let
            // the owner know, and free temporary objects.
            if (showPending) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showPending = false;
            }
            if (parent) ::SendMessageW(parent, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(m_hWnd));
            AfxUnlockTempMaps();
        }
        if (!ContinueModal()) break;
        if (!AfxPumpMessage()) {
            ::PostQuitMessage(0);  // the outer loop must end too
            m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
            return -1;
        }
    }
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    return m_nModalResult;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
        return TRUE;
    } catch (CUserException* e) {
        e->Delete();  // the failing exchange already told the user
        return FALSE;
    }
}

BOOL PASCAL CWnd::ModifyStyleOf(HWND hWnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hWnd, index));
    DWORD changed = (style & ~remove) | add;
    if (style == changed) return FALSE;
    ::SetWindowLongPtrW(hWnd, index, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

void CWnd::GetWindowText(CString& text) const {
    int n = ::GetWindowTextLengthW(m_hWnd);
    wchar_t* buffer = text.GetBuffer(n);
    int got = ::GetWindowTextW(m_hWnd, buffer, n + 1);
    text.ReleaseBuffer(got);
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    text.Empty();
    if (!item) return 0;
    FromHandle(item)->GetWindowText(text);
    return text.GetLength();
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep) {
    for (HWND child = ::GetTopWindow(m_hWnd); child; child = ::GetNextWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, message, wParam, lParam);
        if (deep) FromHandle(child)->SendMessageToDescendants(message, wParam, lParam, deep);
    }
}

void CWnd::ClientToScreen(LPRECT r) const {
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&r->left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::ScreenToClient(LPRECT r) const {
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&r->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&r->right));
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type) const {
    if (!caption) {
        CWinApp* app = AfxGetApp();
        caption = app ? app->m_pszAppName : L"";
    }
    return ::MessageBoxW(m_hWnd, text, caption, type);
}

CWnd* CWnd::GetTopLevelParent() const {
    HWND top = m_hWnd;
    for (HWND up = top; up; up = (::GetWindowLongPtrW(up, GWL_STYLE) & WS_CHILD) ? ::GetParent(up) : nullptr) top = up;
    return FromHandle(top);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
    // Centre over the owner (or parent for a child), else over the work area.
    HWND center = alternateOwner ? alternateOwner->m_hWnd
                                 : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
    RECT self, area;
    ::GetWindowRect(m_hWnd, &self);
    MONITORINFO mi = {sizeof mi};
    GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi);
    RECT bounds = mi.rcWork;
    if (GetStyle() & WS_CHILD) {
        HWND parent = ::GetParent(m_hWnd);
        ::GetClientRect(parent, &bounds);
        ::GetClientRect(center ? center : parent, &area);
        ::MapWindowPoints(center ? center : parent, parent, reinterpret_cast<LPPOINT>(&area), 2);
    } else if (center && ::IsWindowVisible(center) && !::IsIconic(center)) {
        ::GetWindowRect(center, &area);
    } else {
        area = bounds;
    }
    int width = self.right - self.left, height = self.bottom - self.top;
    int x = (area.left + area.right - width) / 2, y = (area.top + area.bottom - height) / 2;
    // Keep the window on its screen (or inside its parent).
    if (x + width > bounds.right) x = bounds.right - width;
    if (x < bounds.left) x = bounds.left;
    if (y + height > bounds.bottom) y = bounds.bottom - height;
    if (y < bounds.top) y = bounds.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }

CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }

int CWnd::ReleaseDC(CDC* dc) { return ::ReleaseDC(m_hWnd, dc->GetSafeHdc()); }

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->GetSafeHandle() : nullptr), redraw);
}

CFont* CWnd::GetFont() const {
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}

CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }

BOOL CWnd::SetMenu(CMenu* menu) { return ::SetMenu(m_hWnd, menu ? menu->m_hMenu : nullptr); }

CMenu* CWnd::GetSystemMenu(BOOL revert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, revert)); }
