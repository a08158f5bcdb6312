// CStyleMenu's icons from resources, toolbars and bitmaps: the resource
// forms of the item operations and the toolbar loads into shared stores.
#include "CStyleMenu.h"

#include "CStyleMenuIcons.h"
#include "common/UniqueGdi.h"

BOOL CStyleMenu::LoadToolBar(UINT toolBarId, HINSTANCE module) {
    CStyleMenuIcons* store = GetIconStore(this, toolBarId, module);
    if (!store) return FALSE;
    ApplyStore(store);
    return TRUE;
}

BOOL CStyleMenu::LoadToolBars(const UINT* ids, int count, HINSTANCE module) {
    BOOL all = TRUE;
    for (int i = 0; i < count; ++i)
        if (!LoadToolBar(ids[i], module)) all = FALSE;
    return all;
}

BOOL CStyleMenu::IconFromResource(UINT id, UINT resourceId, CStyleMenuIcons** store, int* index) {
    *store = nullptr;
    *index = -1;
    int image = -1;
    if (GetToolBarImageIndex(resourceId, id, &image)) {
        CStyleMenuIcons* icons = GetIconStore(this, resourceId, nullptr);
        for (int i = icons ? icons->CommandCount() - 1 : -1; i >= 0; --i) {
            UINT command = 0;
            int at = -1;
            if (icons->CommandAt(i, &command, &at) && command == id) {
                *store = icons;
                *index = at;
                return TRUE;
            }
        }
    }
    return ResourceImage(resourceId, store, index);
}

BOOL CStyleMenu::ResourceImage(UINT resourceId, CStyleMenuIcons** store, int* index) {
    *store = nullptr;
    *index = -1;
    if (!resourceId) return FALSE;
    if (m_iconMenu) {
        const CUniqueIcon icon(static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(resourceId),
                                                               IMAGE_ICON, m_iconWidth, m_iconHeight, 0)));
        if (!icon) return FALSE;
        *store = GetIconImageStore(this, icon.Get(), index);
        return *store != nullptr;
    }
    *store = BitmapResourceStore(resourceId, index);
    return *store != nullptr;
}

BOOL CStyleMenu::SetIconMenu(BOOL on) {
    BOOL old = m_iconMenu;
    m_iconMenu = on;
    for (INT_PTR i = 0; i < m_subMenus.GetSize(); ++i) m_subMenus[i]->SetIconMenu(on);
    return old;
}

CStyleMenuIcons* CStyleMenu::BitmapResourceStore(UINT bitmapId, int* index) {
    int colours = 0;
    *index = -1;
    const CUniqueBitmap bitmap(LoadBitmapResourceEx(MAKEINTRESOURCEW(bitmapId), nullptr, &colours));
    return bitmap ? GetBitmapStore(this, bitmap.Get(), index) : nullptr;
}

BOOL CStyleMenu::AppendItem(LPCTSTR text, UINT flags, UINT_PTR id, UINT bitmapId) {
    int index = -1;
    CStyleMenuIcons* store = BitmapResourceStore(bitmapId, &index);
    return AppendItem(text, flags, id, store, index);
}

BOOL CStyleMenu::InsertItem(UINT position, LPCTSTR text, UINT flags, UINT_PTR id, UINT resourceId) {
    CStyleMenuIcons* store = nullptr;
    int index = -1;
    IconFromResource(static_cast<UINT>(id), resourceId, &store, &index);
    return InsertItem(position, text, flags, id, store, index);
}

BOOL CStyleMenu::ModifyItem(LPCTSTR text, UINT id, UINT resourceId) {
    CStyleMenuIcons* store = nullptr;
    int index = -1;
    IconFromResource(id, resourceId, &store, &index);
    return ModifyItem(text, id, store, index);
}

BOOL CStyleMenu::ModifyItemByText(LPCTSTR newText, LPCTSTR oldText, int resourceId) {
    CStyleMenu* menu = nullptr;
    int at = FindItemByText(oldText, &menu);
    if (at < 0) return FALSE;
    CStyleMenuItemData* item = menu->m_items[at];
    if (resourceId < 0) {
        item->iconIndex = resourceId;
    } else {
        CStyleMenuIcons* store = nullptr;
        int index = -1;
        ResourceImage(static_cast<UINT>(resourceId), &store, &index);
        item->SetIcons(store);
        item->iconIndex = index;
    }
    if (newText && item->text != newText) return menu->SetMenuText(at, MF_BYPOSITION, CString(newText));
    return TRUE;
}

void CStyleMenu::ApplyStore(CStyleMenuIcons* store) {
    for (int i = store->CommandCount() - 1; i >= 0; --i) {
        UINT id = 0;
        int index = -1;
        if (!store->CommandAt(i, &id, &index)) continue;
        int position = -1;
        if (FindCommandMenu(id, &position)) ModifyItem(nullptr, id, store, index);
    }
}

BOOL CStyleMenu::LoadToolBar(LPCTSTR resourceName, UINT bitmapId, int flags, HINSTANCE module) {
    HINSTANCE resources = AfxGetResourceHandle();
    HINSTANCE from = module ? module : resources;
    HRSRC found = ::FindResourceW(from, resourceName, MAKEINTRESOURCEW(241));
    if (!found && from != resources) found = ::FindResourceW(from = resources, resourceName, MAKEINTRESOURCEW(241));
    if (!found) return FALSE;
    const WORD* data = static_cast<const WORD*>(::LockResource(::LoadResource(from, found)));
    if (!data) return FALSE;
    CArray<WORD, WORD> list;
    list.Add(static_cast<WORD>(bitmapId));
    list.Add(data[1]);
    list.Add(data[2]);
    for (WORD i = 0; i < data[3]; ++i)
        if (data[4 + i]) list.Add(data[4 + i]);
    list.Add(0);
    return LoadToolBarData(list.GetData(), flags);
}

BOOL CStyleMenu::LoadToolBarData(const WORD* data, int flags) {
    CStyleMenuIcons* store = GetToolBarDataStore(this, data, flags == -1 ? m_iconMenu : flags != 0);
    if (!store) return FALSE;
    ApplyStore(store);
    return TRUE;
}

BOOL CStyleMenu::LoadToolBar(HBITMAP bitmap, int cx, int cy, const UINT* ids, int flags) {
    CStyleMenuIcons* store = GetToolBarBitmapStore(this, bitmap, cx, cy, ids, flags == -1 ? m_iconMenu : flags != 0);
    if (!store) return FALSE;
    ApplyStore(store);
    return TRUE;
}
