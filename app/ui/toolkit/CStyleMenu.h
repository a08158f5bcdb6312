// CStyleMenu: the toolkit's menu class, as far as the program's own code
// builds menus with it today: items appended with their menu flags and an
// icon index (-1 for none) that the owner-drawn painting uses.
#pragma once

#include <afxwin.h>

#include <vector>

class CStyleMenu : public CMenu {
public:
    // Appends one item: a separator, a bitmap (text carries the HBITMAP as
    // the menu functions take it) or a string, as the flags say. Returns the
    // menu function's result.
    BOOL AppendItem(UINT flags, UINT_PTR id, LPCWSTR textOrBitmap, int iconIndex);
    // The icon index given for an item id, -1 when none or unknown.
    int GetItemIcon(UINT_PTR id) const;

private:
    struct ItemIcon {
        UINT_PTR id;
        int icon;
    };
    std::vector<ItemIcon> m_icons;
};
