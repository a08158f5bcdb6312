#include "CCmdUI.h"

#include "CCmdTarget.h"
#include "CMenu.h"
#include "CWnd.h"

CCmdUI::CCmdUI()
    : m_nID(0),
      m_nIndex(0),
      m_pMenu(nullptr),
      m_pSubMenu(nullptr),
      m_pParentMenu(nullptr),
      m_pOther(nullptr),
      m_bEnableChanged(FALSE),
      m_bContinueRouting(FALSE),
      m_nIndexMax(0) {}

void CCmdUI::Enable(BOOL on) {
    if (m_pMenu) {
        // A popup's own item stands for the popup: never disable it here.
        if (m_pSubMenu) return;
        m_pMenu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther) {
        // Move the focus on before the focused control goes grey.
        if (!on && ::GetFocus() == m_pOther->m_hWnd) {
            HWND parent = ::GetParent(m_pOther->m_hWnd);
            if (parent) ::SendMessageW(parent, WM_NEXTDLGCTL, 0, FALSE);
        }
        m_pOther->EnableWindow(on);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check) {
    if (m_pMenu) {
        if (m_pSubMenu) return;
        m_pMenu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_pOther && (::SendMessageW(m_pOther->m_hWnd, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)) {
        m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(check));
    }
}

void CCmdUI::SetRadio(BOOL on) {
    if (m_pMenu && !m_pSubMenu) {
        MENUITEMINFOW info = {sizeof info};
        info.fMask = MIIM_FTYPE | MIIM_STATE;
        if (!::GetMenuItemInfoW(m_pMenu->m_hMenu, m_nIndex, TRUE, &info)) return;
        info.fType = on ? (info.fType | MFT_RADIOCHECK) : (info.fType & ~MFT_RADIOCHECK);
        info.fState = on ? (info.fState | MFS_CHECKED) : (info.fState & ~MFS_CHECKED);
        ::SetMenuItemInfoW(m_pMenu->m_hMenu, m_nIndex, TRUE, &info);
        return;
    }
    SetCheck(on ? 1 : 0);
}

void CCmdUI::SetText(LPCWSTR text) {
    if (m_pMenu) {
        if (m_pSubMenu) return;
        // Keep the item's state; only its text changes.
        UINT state = m_pMenu->GetMenuState(m_nIndex, MF_BYPOSITION) &
                     (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK);
        m_pMenu->ModifyMenu(m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text);
    } else if (m_pOther) {
        m_pOther->SetWindowText(text);
    }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
    if (m_nID == 0 || LOWORD(m_nID) == 0xFFFF) return TRUE;  // separators and invalid ids
    m_bEnableChanged = FALSE;
    BOOL updated = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (disableIfNoHandler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info = {};
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return updated;
}

namespace {

// The menu that holds popup: popup itself while the thread tracks it, else
// the menu bar of the window's top-level parent when one of its entries is
// popup; NULL otherwise.
CMenu* ParentMenuOf(CWnd* window, CMenu* popup) {
    if (AfxGetTrackingMenu() == popup->m_hMenu) return popup;
    HWND top = window ? window->GetTopLevelParent()->GetSafeHwnd() : nullptr;
    HMENU bar = top ? ::GetMenu(top) : nullptr;
    if (!bar) return nullptr;
    int count = ::GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        if (::GetSubMenu(bar, i) == popup->m_hMenu) return CMenu::FromHandle(bar);
    }
    return nullptr;
}

bool IsComboWithStyle(HWND wnd, DWORD comboKind) {
    if (!wnd) return false;
    wchar_t name[16];
    if (!::GetClassNameW(wnd, name, 16) || lstrcmpiW(name, L"ComboBox") != 0) return false;
    return (::GetWindowLongPtrW(wnd, GWL_STYLE) & 3) == comboKind;
}

}  // namespace

void AfxCancelModes(HWND receiver) {
    HWND focus = ::GetFocus();
    if (!focus || focus == receiver) return;
    HWND combo = focus;
    if (!IsComboWithStyle(combo, CBS_DROPDOWNLIST)) {
        // The focus may be the edit inside a drop-down combo.
        combo = ::GetParent(focus);
        if (combo == receiver || !IsComboWithStyle(combo, CBS_DROPDOWN)) return;
    }
    ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

void AfxUpdateMenuPopup(CCmdTarget* target, CWnd* window, CMenu* popup, BOOL autoDisable) {
    CCmdUI ui;
    ui.m_pMenu = popup;
    ui.m_pParentMenu = ParentMenuOf(window, popup);
    ui.m_nIndexMax = static_cast<UINT>(popup->GetMenuItemCount());
    for (ui.m_nIndex = 0; ui.m_nIndex < ui.m_nIndexMax; ++ui.m_nIndex) {
        ui.m_nID = popup->GetMenuItemID(static_cast<int>(ui.m_nIndex));
        if (ui.m_nID == 0) continue;  // a separator
        if (ui.m_nID == static_cast<UINT>(-1)) {
            ui.m_pSubMenu = popup->GetSubMenu(static_cast<int>(ui.m_nIndex));
            if (!ui.m_pSubMenu) continue;
            ui.m_nID = ui.m_pSubMenu->GetMenuItemID(0);
            if (ui.m_nID == 0 || ui.m_nID == static_cast<UINT>(-1)) continue;
            ui.DoUpdate(target, FALSE);
        } else {
            ui.m_pSubMenu = nullptr;
            ui.DoUpdate(target, autoDisable && ui.m_nID < 0xF000);
        }
        // A handler that removed items moves the position back; items that
        // repeat the command just handled are stepped over.
        UINT count = static_cast<UINT>(popup->GetMenuItemCount());
        if (count < ui.m_nIndexMax) {
            ui.m_nIndex -= ui.m_nIndexMax - count;
            while (ui.m_nIndex < count && popup->GetMenuItemID(static_cast<int>(ui.m_nIndex)) == ui.m_nID)
                ++ui.m_nIndex;
        }
        ui.m_nIndexMax = count;
    }
}
