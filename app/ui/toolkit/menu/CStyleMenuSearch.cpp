// CStyleMenu's searches: commands and texts through the tree of library
// menus, commands over any menu, and the caller's values of items.
#include "CStyleMenu.h"

namespace {

ULONG_PTR WindowsItemData(HMENU menu, int position) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    return ::GetMenuItemInfoW(menu, position, TRUE, &info) ? info.dwItemData : 0;
}

// Depth first over menu and every sub-menu, whatever object they have; data
// is compared only when matchData is set.
CMenu* FindCommandIn(HMENU menu, UINT id, BOOL matchData, ULONG_PTR data, int* position) {
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        if (sub) {
            CMenu* found = FindCommandIn(sub, id, matchData, data, position);
            if (found) return found;
            continue;
        }
        if (::GetMenuItemID(menu, i) != id) continue;
        if (matchData && WindowsItemData(menu, i) != data) continue;
        if (position) *position = i;
        return CMenu::FromHandle(menu);
    }
    return nullptr;
}

CMenu* FindCommandFrom(HMENU menu, UINT id, BOOL matchData, ULONG_PTR data, int* position) {
    if (position) *position = -1;
    // Only a menu that some object owns is searched: anything else may be gone.
    if (!::IsMenu(menu) || !CMenu::FromHandlePermanent(menu)) return nullptr;
    return FindCommandIn(menu, id, matchData, data, position);
}

}  // namespace

CMenu* CStyleMenu::FindMenuOfCommand(HMENU menu, UINT id, int* position) {
    return FindCommandFrom(menu, id, FALSE, 0, position);
}

CMenu* CStyleMenu::FindMenuOfCommandData(HMENU menu, UINT id, ULONG_PTR data, int* position) {
    return FindCommandFrom(menu, id, TRUE, data, position);
}

CStyleMenu* CStyleMenu::FindCommandMenu(UINT id, int* position) {
    CArray<CStyleMenu*, CStyleMenu*> noMenus;
    CArray<int, int> noPositions;
    return FindCommandMenu(id, position, noMenus, noPositions);
}

CStyleMenu* CStyleMenu::FindCommandMenu(UINT id, int* position, const CArray<CStyleMenu*, CStyleMenu*>& skipMenus,
                                        const CArray<int, int>& skipPositions) {
    int count = ::GetMenuItemCount(m_hMenu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = ::GetSubMenu(m_hMenu, i);
        CStyleMenu* subMenu = sub ? DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(sub)) : nullptr;
        if (subMenu) {
            CStyleMenu* found = subMenu->FindCommandMenu(id, position, skipMenus, skipPositions);
            if (found) return found;
            continue;
        }
        if (sub || ::GetMenuItemID(m_hMenu, i) != id) continue;
        BOOL skipped = FALSE;
        for (INT_PTR k = 0; k < skipMenus.GetSize() && !skipped; ++k)
            skipped = skipMenus[k] == this && skipPositions[k] == i;
        if (skipped) continue;
        *position = i;
        return this;
    }
    *position = -1;
    return nullptr;
}

CStyleMenuItemData* CStyleMenu::FindItemData(UINT_PTR id) {
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
        if (m_items[i]->id == id) return m_items[i];
    int position = -1;
    CStyleMenu* menu = FindCommandMenu(static_cast<UINT>(id), &position);
    return menu && menu != this ? menu->ItemDataAt(position) : nullptr;
}

CStyleMenuItemData* CStyleMenu::ItemDataAt(int position) const {
    return position >= 0 && position < m_items.GetSize() ? m_items[position] : nullptr;
}

BOOL CStyleMenu::IsOwnItemData(const CStyleMenuItemData* data) const {
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
        if (m_items[i] == data) return TRUE;
    return FALSE;
}

int CStyleMenu::GetItemIcon(UINT_PTR id) {
    CStyleMenuItemData* data = FindItemData(id);
    return data ? data->iconIndex : -1;
}

CStyleMenuItemData* CStyleMenu::RecordAtPosition(int position) const {
    // The item's own data first: after outside changes the list may be out of step.
    auto* data = reinterpret_cast<CStyleMenuItemData*>(WindowsItemData(m_hMenu, position));
    if (data && IsOwnItemData(data)) return data;
    return ::GetMenuItemCount(m_hMenu) == m_items.GetSize() ? ItemDataAt(position) : nullptr;
}

DWORD CStyleMenu::GetItemUserValue(UINT item, UINT flags) {
    int position = static_cast<int>(item);
    CStyleMenu* menu = (flags & MF_BYPOSITION) ? this : FindCommandMenu(item, &position);
    CStyleMenuItemData* data = menu ? menu->RecordAtPosition(position) : nullptr;
    return data ? data->userValue : static_cast<DWORD>(-1);
}

BOOL CStyleMenu::SetItemUserValue(UINT item, DWORD value, UINT flags) {
    int position = static_cast<int>(item);
    CStyleMenu* menu = (flags & MF_BYPOSITION) ? this : FindCommandMenu(item, &position);
    CStyleMenuItemData* data = menu ? menu->RecordAtPosition(position) : nullptr;
    if (!data) return FALSE;
    data->userValue = value;
    return TRUE;
}

int CStyleMenu::FindItemByText(const CString& text) const {
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i)
        if (m_items[i]->text == text) return static_cast<int>(i);
    return -1;
}

BOOL CStyleMenu::RemoveItemByText(const CString& text, int mode) {
    int at = FindItemByText(text);
    if (at < 0) return FALSE;
    switch (mode) {
        case 0: return RemoveMenu(at, MF_BYPOSITION);
        case 1: return at > 0 && RemoveMenu(at - 1, MF_BYPOSITION);
        case 2: return RemoveMenu(at + 1, MF_BYPOSITION);
        case 3: {
            BOOL after = RemoveMenu(at + 1, MF_BYPOSITION);
            BOOL before = at > 0 && RemoveMenu(at - 1, MF_BYPOSITION);
            return after && before;
        }
    }
    return FALSE;
}

int CStyleMenu::FindItemByText(const CString& text, CStyleMenu** menu) {
    *menu = nullptr;
    int at = FindItemByText(text);
    if (at >= 0) {
        *menu = this;
        return at;
    }
    for (INT_PTR i = 0; i < m_subMenus.GetSize(); ++i) {
        at = m_subMenus[i]->FindItemByText(text, menu);
        if (at >= 0) return at;
    }
    return -1;
}

CStyleMenu* CStyleMenu::FindSubMenuByText(const CString& text) {
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i) {
        CStyleMenuItemData* data = m_items[i];
        if (!(data->flags & MF_POPUP) || data->GetString(TextAccelerators()) != text) continue;
        CStyleMenu* sub = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(data->id)));
        if (sub) return sub;
    }
    for (INT_PTR i = 0; i < m_subMenus.GetSize(); ++i) {
        CStyleMenu* found = m_subMenus[i]->FindSubMenuByText(text);
        if (found) return found;
    }
    return nullptr;
}
