#include "CStyleMenu.h"

BOOL CStyleMenu::AppendItem(UINT flags, UINT_PTR id, LPCWSTR textOrBitmap, int iconIndex) {
    if (!AppendMenu(flags, id, textOrBitmap)) return FALSE;
    if (!(flags & MF_SEPARATOR)) m_icons.push_back({id, iconIndex});
    return TRUE;
}

int CStyleMenu::GetItemIcon(UINT_PTR id) const {
    for (const ItemIcon& item : m_icons)
        if (item.id == id) return item.icon;
    return -1;
}
