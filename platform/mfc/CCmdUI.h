// One command's user interface (a menu item, or a control of a bar) being
// updated: handlers named by ON_UPDATE_COMMAND_UI enable, check or retitle
// it; DoUpdate disables what no handler serves.
#pragma once

#include <windows.h>

class CCmdTarget;
class CMenu;
class CWnd;

class CCmdUI {
public:
    CCmdUI();
    virtual ~CCmdUI() {}

    UINT m_nID;
    UINT m_nIndex;         // position in m_pMenu
    CMenu* m_pMenu;        // the menu being updated, or NULL
    CMenu* m_pSubMenu;     // the popup the item opens, or NULL
    CMenu* m_pParentMenu;  // the menu that holds m_pMenu, when known
    CWnd* m_pOther;        // the control being updated, or NULL
    BOOL m_bEnableChanged;
    BOOL m_bContinueRouting;
    UINT m_nIndexMax;  // item count of m_pMenu; the pass adjusts it when items change

    virtual void Enable(BOOL on = TRUE);
    // 0 unchecked, 1 checked, 2 indeterminate (controls only).
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(BOOL on = TRUE);
    virtual void SetText(LPCWSTR text);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks target's handlers to update this command; when none does and
    // disableIfNoHandler is set, enables it exactly when target has a
    // command handler for it. TRUE when an update handler ran.
    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);
};

// The command-update pass a frame runs when a popup opens: every item of
// popup is offered to target's ON_UPDATE_COMMAND_UI handlers; a plain item
// below 0xF000 that none updates is enabled exactly when target handles the
// command (when autoDisable is set); a sub-popup is represented by its first
// item and never disabled; separators are skipped. Handlers may add or remove
// items. window is the one whose menu bar may hold popup.
void AfxUpdateMenuPopup(CCmdTarget* target, CWnd* window, CMenu* popup, BOOL autoDisable = TRUE);

// Closes a dropped-down combo box that has the focus, unless the focus is
// in receiver itself (input meant for it).
void AfxCancelModes(HWND receiver);
