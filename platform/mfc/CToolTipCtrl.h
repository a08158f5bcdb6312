// A tooltip control. Tools added for a window without an id are the window
// itself (TTF_IDISHWND), so RelayEvent of that window's mouse messages
// shows the tip.
#pragma once

#include "CWnd.h"

class CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    // A topmost popup owned by parent; FALSE when it cannot be created.
    BOOL Create(CWnd* parent, DWORD style = 0);

    // FALSE when the tool cannot be added.
    BOOL AddTool(CWnd* wnd, LPCWSTR text, LPCRECT toolRect = nullptr, UINT_PTR toolId = 0);
    void DelTool(CWnd* wnd, UINT_PTR toolId = 0);
    void UpdateTipText(LPCWSTR text, CWnd* wnd, UINT_PTR toolId = 0);
    void GetText(CString& text, CWnd* wnd, UINT_PTR toolId = 0) const;
    int GetToolCount() const { return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0)); }
    void RelayEvent(LPMSG msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
    void SetDelayTime(UINT delayMs) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, delayMs); }
    void SetDelayTime(DWORD kind, int delayMs) { SendMessage(TTM_SETDELAYTIME, kind, delayMs); }
    int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
    void SetTipBkColor(COLORREF c) { SendMessage(TTM_SETTIPBKCOLOR, c); }
    void SetTipTextColor(COLORREF c) { SendMessage(TTM_SETTIPTEXTCOLOR, c); }
    void Pop() { SendMessage(TTM_POP); }

private:
    // A TOOLINFO naming the tool of wnd and toolId.
    static TOOLINFOW ToolInfo(CWnd* wnd, UINT_PTR toolId);
};
