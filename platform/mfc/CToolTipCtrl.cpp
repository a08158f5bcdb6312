#include "CToolTipCtrl.h"

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, parent->GetSafeHwnd(), nullptr);
}

TOOLINFOW CToolTipCtrl::ToolInfo(CWnd* wnd, UINT_PTR toolId) {
    TOOLINFOW ti = {};
    // The size of the common controls 5 structure: Wine and old systems
    // reject the larger one.
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = wnd->GetSafeHwnd();
    if (toolId == 0) {
        ti.uFlags = TTF_IDISHWND;
        ti.uId = reinterpret_cast<UINT_PTR>(ti.hwnd);
        ti.hwnd = ::GetParent(ti.hwnd) ? ::GetParent(ti.hwnd) : ti.hwnd;
    } else {
        ti.uId = toolId;
    }
    return ti;
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, LPCWSTR text, LPCRECT toolRect, UINT_PTR toolId) {
    TOOLINFOW ti = ToolInfo(wnd, toolId);
    ti.uFlags |= TTF_SUBCLASS;
    if (toolRect)
        ti.rect = *toolRect;
    else if (toolId != 0)
        ::GetClientRect(wnd->GetSafeHwnd(), &ti.rect);
    ti.lpszText = const_cast<LPWSTR>(text ? text : LPSTR_TEXTCALLBACKW);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR toolId) {
    TOOLINFOW ti = ToolInfo(wnd, toolId);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR toolId) {
    TOOLINFOW ti = ToolInfo(wnd, toolId);
    ti.lpszText = const_cast<LPWSTR>(text);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::GetText(CString& text, CWnd* wnd, UINT_PTR toolId) const {
    TOOLINFOW ti = ToolInfo(wnd, toolId);
    // The control copies without a length: give it the documented maximum.
    ti.lpszText = text.GetBuffer(1024);
    ::SendMessageW(m_hWnd, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&ti));
    text.ReleaseBuffer();
}
