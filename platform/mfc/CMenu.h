// A menu. The object owns its menu (the destructor destroys it) unless it is
// a temporary from FromHandle or the menu was detached. Owner-drawn items
// reach DrawItem and MeasureItem of the permanent object of the menu that
// holds them.
#pragma once

#include "CObject.h"
#include "CStringT.h"

class CWnd;

class CMenu;
// The menu of menu, NULL when menu is NULL (out of line: see AfxSafeHwnd).
HMENU AfxSafeHmenu(const CMenu* menu);

class CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
public:
    CMenu() : m_hMenu(nullptr) {}
    ~CMenu() override { DestroyMenu(); }

    HMENU m_hMenu;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return AfxSafeHmenu(this); }

    static CMenu* PASCAL FromHandle(HMENU menu);
    static CMenu* PASCAL FromHandlePermanent(HMENU menu);
    // Makes this object the permanent owner; FALSE when menu is NULL or
    // either side is taken.
    BOOL Attach(HMENU menu);
    HMENU Detach();

    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL LoadMenu(LPCWSTR name);
    BOOL LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCEW(id)); }
    BOOL LoadMenuIndirect(const void* menuTemplate) { return Attach(::LoadMenuIndirectW(menuTemplate)); }
    // Destroys the owned menu and its sub-menus; FALSE when there is none.
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, LPCWSTR text = nullptr) {
        return ::AppendMenuW(m_hMenu, flags, idNewItem, text);
    }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, LPCWSTR text = nullptr) {
        return ::InsertMenuW(m_hMenu, position, flags, idNewItem, text);
    }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, LPCWSTR text = nullptr) {
        return ::ModifyMenuW(m_hMenu, position, flags, idNewItem, text);
    }
    BOOL RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    // Previous state (MF_ENABLED, MF_GRAYED, MF_DISABLED), or -1 when the item does not exist.
    UINT EnableMenuItem(UINT idEnableItem, UINT enable) { return ::EnableMenuItem(m_hMenu, idEnableItem, enable); }
    // Previous check state, or -1 when the item does not exist.
    UINT CheckMenuItem(UINT idCheckItem, UINT check) { return ::CheckMenuItem(m_hMenu, idCheckItem, check); }
    BOOL CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags) {
        return ::CheckMenuRadioItem(m_hMenu, first, last, item, flags);
    }
    BOOL SetDefaultItem(UINT item, BOOL byPos = FALSE) { return ::SetMenuDefaultItem(m_hMenu, item, byPos); }
    UINT GetDefaultItem(UINT flags, BOOL byPos = FALSE) { return ::GetMenuDefaultItem(m_hMenu, byPos, flags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int pos) const { return ::GetMenuItemID(m_hMenu, pos); }
    UINT GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(m_hMenu, id, flags); }
    int GetMenuString(UINT id, CString& text, UINT flags) const;
    BOOL GetMenuItemInfo(UINT item, LPMENUITEMINFOW info, BOOL byPos = FALSE) {
        return ::GetMenuItemInfoW(m_hMenu, item, byPos, info);
    }
    BOOL SetMenuItemInfo(UINT item, LPMENUITEMINFOW info, BOOL byPos = FALSE) {
        return ::SetMenuItemInfoW(m_hMenu, item, byPos, info);
    }
    // The sub-menu at pos (temporary unless it has a permanent object), NULL when none.
    CMenu* GetSubMenu(int pos) const { return FromHandle(::GetSubMenu(m_hMenu, pos)); }
    // Shows the menu and tracks it; with TPM_RETURNCMD the chosen command
    // (0 for none), otherwise nonzero on success.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect = nullptr);

    virtual void DrawItem(LPDRAWITEMSTRUCT dis) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis) {}
};

// The menu being tracked by TrackPopupMenu on this thread and its window.
HMENU AfxGetTrackingMenu(HWND* window = nullptr);
// The permanent menu object, in menu or its sub-menus, that holds the item
// with command id; NULL when none does.
CMenu* AfxFindPopupMenuFromID(CMenu* menu, UINT id);
