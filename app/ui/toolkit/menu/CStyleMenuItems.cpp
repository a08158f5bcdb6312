// CStyleMenu's item operations: append, insert, modify, titles, popups,
// rebuilding the records from the Windows menu and the
// keyboard mnemonic lookup.
#include "CStyleMenu.h"

#include "CStyleMenuIcons.h"
#include "common/UniqueGdi.h"

namespace {

const UINT kSeparatorFlags = MF_SEPARATOR | MF_OWNERDRAW | MF_BYPOSITION;  // 0xD00

LPCWSTR AsData(CStyleMenuItemData* data) { return reinterpret_cast<LPCWSTR>(data); }

CString MenuItemString(HMENU menu, int position) {
    CString text;
    int n = ::GetMenuStringW(menu, position, nullptr, 0, MF_BYPOSITION);
    if (n > 0) {
        ::GetMenuStringW(menu, position, text.GetBuffer(n + 1), n + 1, MF_BYPOSITION);
        text.ReleaseBuffer();
    }
    return text;
}

}  // namespace

void CStyleMenu::WidenIconSize(CStyleMenuIcons* icons) {
    int cx = 0, cy = 0;
    if (!icons || !icons->GetIconSize(&cx, &cy)) return;
    if (cx > m_iconWidth) m_iconWidth = cx;
    if (cy > m_iconHeight) m_iconHeight = cy;
}

void CStyleMenu::AdoptSubMenu(UINT flags, UINT_PTR id) {
    if (!(flags & MF_POPUP)) return;
    CStyleMenu* sub = DYNAMIC_DOWNCAST(CStyleMenu, CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(id)));
    if (sub) sub->m_parent = m_hMenu;
}

CStyleMenuItemData* CStyleMenu::NewRecord(int position, LPCTSTR text, UINT flags, UINT_PTR id, CStyleMenuIcons* icons,
                                          int iconIndex, BOOL title) {
    CStyleMenuItemData* data = title ? new CStyleMenuItemDataTitle : new CStyleMenuItemData;
    if (position < 0 || position >= m_items.GetSize())
        m_items.Add(data);
    else
        m_items.InsertAt(position, data);
    // A bitmap item's text is its bitmap handle, not a string to copy.
    if (!(flags & MF_BITMAP)) data->SetString(text ? text : L"");
    data->flags = flags;
    data->id = id;
    if (icons && iconIndex >= 0) {
        data->SetIcons(icons);
        data->iconIndex = iconIndex;
        WidenIconSize(icons);
    }
    return data;
}

BOOL CStyleMenu::AppendItem(LPCTSTR text, UINT flags, UINT_PTR id, CStyleMenuIcons* icons, int iconIndex) {
    if (id == 0)
        flags = (flags & MF_BYPOSITION) | MF_SEPARATOR | MF_OWNERDRAW;
    else
        flags |= MF_OWNERDRAW;
    AdoptSubMenu(flags, id);
    CStyleMenuItemData* data = NewRecord(-1, text, flags, id, icons, iconIndex);
    if (!::AppendMenuW(m_hMenu, flags & ~MF_OWNERDRAW, id, text)) return FALSE;
    int last = ::GetMenuItemCount(m_hMenu) - 1;
    return ::ModifyMenuW(m_hMenu, last, (flags & ~MF_BITMAP) | MF_BYPOSITION, id, AsData(data));
}

BOOL CStyleMenu::AppendItem(UINT flags, UINT_PTR id, LPCTSTR text, int) {
    return AppendItem(text, flags, id, static_cast<CStyleMenuIcons*>(nullptr), -1);
}

BOOL CStyleMenu::AppendItem(LPCTSTR text, UINT flags, UINT_PTR id, CImageList* images, int index) {
    CStyleMenuIcons* store = nullptr;
    int storeIndex = -1;
    CopyImageToStore(images, index, static_cast<UINT>(id), &store, &storeIndex);
    return AppendItem(text, flags, id, store, storeIndex);
}

BOOL CStyleMenu::InsertItem(UINT position, LPCTSTR text, UINT flags, UINT_PTR id, CStyleMenuIcons* icons,
                            int iconIndex) {
    if (!(flags & MF_BYPOSITION)) {
        int at = -1;
        CStyleMenu* menu = FindCommandMenu(position, &at);
        if (!menu) return FALSE;
        return menu->InsertItem(static_cast<UINT>(at), text, flags | MF_BYPOSITION, id, icons, iconIndex);
    }
    if (id == 0)
        flags = kSeparatorFlags;
    else
        flags |= MF_OWNERDRAW;
    AdoptSubMenu(flags, id);
    int count = ::GetMenuItemCount(m_hMenu);
    int at =
        (position == static_cast<UINT>(-1) || static_cast<int>(position) > count) ? count : static_cast<int>(position);
    CStyleMenuItemData* data = NewRecord(at, text, flags, id, icons, iconIndex);
    if (!::InsertMenuW(m_hMenu, at, (flags & ~MF_OWNERDRAW) | MF_BYPOSITION, id, text)) return FALSE;
    return ::ModifyMenuW(m_hMenu, at, (flags & ~MF_BITMAP) | MF_BYPOSITION, id, AsData(data));
}

BOOL CStyleMenu::InsertItem(UINT position, LPCTSTR text, UINT flags, UINT_PTR id, CImageList* images, int index) {
    CStyleMenuIcons* store = nullptr;
    int storeIndex = -1;
    CopyImageToStore(images, index, static_cast<UINT>(id), &store, &storeIndex);
    return InsertItem(position, text, flags, id, store, storeIndex);
}

BOOL CStyleMenu::ModifyItem(LPCTSTR text, UINT id, CStyleMenuIcons* icons, int iconIndex) {
    CArray<CStyleMenu*, CStyleMenu*> seenMenus;
    CArray<int, int> seenPositions;
    BOOL result = TRUE;
    BOOL found = FALSE;
    for (;;) {
        int position = -1;
        CStyleMenu* menu = FindCommandMenu(id, &position, seenMenus, seenPositions);
        if (!menu) break;
        found = TRUE;
        seenMenus.Add(menu);
        seenPositions.Add(position);
        CStyleMenuItemData* data = menu->ItemDataAt(position);
        if (!data) continue;
        BOOL textChanged = FALSE;
        if (text && data->text != text) {
            data->SetString(text);
            textChanged = TRUE;
        }
        data->SetIcons(icons);
        data->iconIndex = icons && iconIndex >= 0 ? iconIndex : -1;
        menu->WidenIconSize(icons);
        data->flags = (data->flags & ~MF_BYPOSITION) | MF_OWNERDRAW;
        data->id = id;
        if (textChanged) {
            UINT plain = (data->flags & ~(MF_OWNERDRAW | MF_SEPARATOR | MF_BITMAP)) | MF_BYPOSITION | MF_STRING;
            if (!::ModifyMenuW(menu->m_hMenu, position, plain, id, data->text)) result = FALSE;
        }
        if (!::ModifyMenuW(menu->m_hMenu, position, data->flags | MF_BYPOSITION, id, AsData(data))) result = FALSE;
    }
    // A command no menu of the tree holds gets no record: an extra record
    // would shift every later record off its position.
    return found && result;
}

BOOL CStyleMenu::ModifyItem(LPCTSTR text, UINT id, CImageList* images, int index) {
    CStyleMenuIcons* store = nullptr;
    int storeIndex = -1;
    CopyImageToStore(images, index, id, &store, &storeIndex);
    return ModifyItem(text, id, store, storeIndex);
}

BOOL CStyleMenu::ModifyItem(LPCTSTR text, UINT id, CBitmap* bitmap) {
    if (!bitmap || !bitmap->GetSafeHandle()) return ModifyItem(text, id, static_cast<CStyleMenuIcons*>(nullptr), -1);
    CImageList list;
    if (!list.Create(m_iconWidth, m_iconHeight, ILC_COLOR32 | ILC_MASK, 1, 1)) return FALSE;
    if (list.Add(bitmap, GetBitmapBackground()) < 0) return FALSE;
    return ModifyItem(text, id, &list, 0);
}

BOOL CStyleMenu::SetIconColor(LPCTSTR text, UINT id, COLORREF fill, COLORREF border, int hatchStyle) {
    CBitmap bitmap;
    {
        CBorrowedDC screen(nullptr);
        CUniqueMemoryDC memory(::CreateCompatibleDC(screen.Get()));
        bitmap.Attach(::CreateCompatibleBitmap(screen.Get(), m_iconWidth, m_iconHeight));
        CUniquePen pen(::CreatePen(PS_SOLID, 1, border));
        CUniqueBrush brush(hatchStyle == -1 ? ::CreateSolidBrush(fill) : ::CreateHatchBrush(hatchStyle, fill));
        CDcSelection useBitmap(memory.Get(), bitmap.GetSafeHandle());
        CDcSelection usePen(memory.Get(), pen.Get());
        CDcSelection useBrush(memory.Get(), brush.Get());
        ::Rectangle(memory.Get(), 0, 0, m_iconWidth, m_iconHeight);
    }
    return ModifyItem(text, id, &bitmap);
}

BOOL CStyleMenu::CopyImageToStore(CImageList* images, int index, UINT, CStyleMenuIcons** store, int* storeIndex) {
    *store = nullptr;
    *storeIndex = -1;
    if (!images || !images->GetSafeHandle() || index < 0 || index >= images->GetImageCount()) return FALSE;
    // As an icon, the image keeps its own mask: its transparent parts stay so.
    const CUniqueIcon icon(images->ExtractIcon(index));
    if (!icon) return FALSE;
    *store = GetIconImageStore(this, icon.Get(), storeIndex);
    return *store != nullptr;
}

CStyleMenu* CStyleMenu::AppendPopup(LPCTSTR text) {
    CStyleMenu* popup = new CStyleMenu(m_hMenu);
    if (!popup->CreatePopupMenu()) {
        delete popup;
        return nullptr;
    }
    // A copy of its own: the parent may replace or delete its list at any time.
    if (m_checkImages && m_checkImages->GetSafeHandle()) {
        popup->m_checkImages = new CImageList;
        if (!popup->m_checkImages->Create(m_checkImages)) {
            delete popup->m_checkImages;
            popup->m_checkImages = nullptr;
        }
    }
    popup->m_checkNormalId = m_checkNormalId;
    popup->m_checkSelectedId = m_checkSelectedId;
    popup->m_iconMenu = m_iconMenu;
    if (!AppendItem(text, MF_POPUP, reinterpret_cast<UINT_PTR>(popup->m_hMenu), static_cast<CStyleMenuIcons*>(nullptr),
                    -1)) {
        RemoveItem(static_cast<UINT>(m_items.GetSize() - 1), MF_BYPOSITION, FALSE);
        delete popup;
        return nullptr;
    }
    m_subMenus.Add(popup);
    return popup;
}

BOOL CStyleMenu::SetTitle(LPCTSTR text, DWORD titleFlags, CStyleMenuIcons* icons, int iconIndex) {
    if (::GetMenuItemCount(m_hMenu) != m_items.GetSize()) Rebuild();
    CStyleMenuItemData* first = ItemDataAt(0);
    if (!first || !(first->flags & MF_SEPARATOR)) {
        CStyleMenuItemData* title = NewRecord(0, text, kSeparatorFlags, 0, nullptr, -1, TRUE);
        ::InsertMenuW(m_hMenu, 0, MF_BYPOSITION | MF_SEPARATOR, 0, text);
        ::ModifyMenuW(m_hMenu, 0, kSeparatorFlags, 0, AsData(title));
    }
    CStyleMenuItemDataTitle* title = GetTitleData();
    if (!title) return FALSE;
    title->SetIcons(icons && iconIndex >= 0 ? icons : nullptr);
    title->iconIndex = icons && iconIndex >= 0 ? iconIndex : -1;
    title->SetString(text ? text : L"");
    title->titleFlags = titleFlags | kTitlePresent;
    CStyleMenuItemData* second = ItemDataAt(1);
    if (!second) return FALSE;
    UINT flags = (titleFlags & kTitleVertical) ? (second->flags | MF_MENUBREAK) : (second->flags & ~MF_MENUBREAK);
    if (flags != second->flags) {
        second->flags = flags;
        ::ModifyMenuW(m_hMenu, 1, flags | MF_BYPOSITION, second->id, AsData(second));
    }
    return TRUE;
}

BOOL CStyleMenu::SetTitle(LPCTSTR text, DWORD titleFlags, CImageList* images, int index) {
    CStyleMenuIcons* store = nullptr;
    int storeIndex = -1;
    CopyImageToStore(images, index, 0, &store, &storeIndex);
    return SetTitle(text, titleFlags, store, storeIndex);
}

BOOL CStyleMenu::SetTitleBitmap(LPCTSTR text, DWORD titleFlags, UINT bitmapId) {
    int index = -1;
    CStyleMenuIcons* store = BitmapResourceStore(bitmapId, &index);
    return SetTitle(text, titleFlags, store, index);
}

BOOL CStyleMenu::SetTitleResource(LPCTSTR text, DWORD titleFlags, UINT resourceId) {
    CStyleMenuIcons* store = nullptr;
    int index = -1;
    ResourceImage(resourceId, &store, &index);
    return SetTitle(text, titleFlags, store, index);
}

BOOL CStyleMenu::SetCheckImages(int normalId, int selectedId) {
    if (normalId <= 0 || selectedId <= 0) return FALSE;
    m_checkNormalId = normalId;
    m_checkSelectedId = selectedId;
    delete m_checkImages;
    m_checkImages = new CImageList;
    BOOL ok = m_checkImages->Create(m_iconWidth, m_iconHeight, ILC_COLOR32 | ILC_MASK, 2, 1);
    for (int id : {normalId, selectedId}) {
        if (!ok) break;
        if (m_iconMenu) {
            const CUniqueIcon icon(static_cast<HICON>(
                ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, m_iconWidth, m_iconHeight, 0)));
            ok = icon && m_checkImages->Add(icon.Get()) >= 0;
            continue;
        }
        HBITMAP loaded = static_cast<HBITMAP>(
            ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (!loaded) loaded = ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
        CBitmap bitmap;
        ok = loaded && bitmap.Attach(loaded) && m_checkImages->Add(&bitmap, GetBitmapBackground()) >= 0;
    }
    if (!ok) {
        delete m_checkImages;
        m_checkImages = nullptr;
    }
    return ok;
}

void CStyleMenu::FinishLoad() {
    m_converted = TRUE;
    Rebuild();
    if (s_winVersion == 7) {
        ChangeItemId(SC_RESTORE, SC_RESTORE + 1);
        ChangeItemId(SC_CLOSE, SC_CLOSE + 1);
        ChangeItemId(SC_MINIMIZE, SC_MINIMIZE + 1);
    }
}

void CStyleMenu::ConvertPosition(int position, UINT flags, UINT_PTR id, const CString& text,
                                 CTypedPtrArray<CPtrArray, CStyleMenuItemData*>& into) {
    CStyleMenuItemData* data = new CStyleMenuItemData;
    data->flags = flags;
    data->id = id;
    data->syncMark = TRUE;
    if (!(flags & MF_BITMAP)) data->SetString(text);
    into.Add(data);
    AdoptSubMenu(flags, id);
    if (flags & MF_OWNERDRAW)
        ::ModifyMenuW(m_hMenu, position, flags | MF_BYPOSITION, id, AsData(data));
    else if (flags & MF_SEPARATOR)
        ::ModifyMenuW(m_hMenu, position, flags | MF_BYPOSITION, id, nullptr);
    else if (!(flags & MF_BITMAP))
        ::ModifyMenuW(m_hMenu, position, flags | MF_BYPOSITION, id, data->GetString(TextAccelerators()));
}

void CStyleMenu::Rebuild() {
    for (INT_PTR i = 0; i < m_items.GetSize(); ++i) m_items[i]->syncMark = FALSE;
    CTypedPtrArray<CPtrArray, CStyleMenuItemData*> rebuilt;
    for (int position = 0;; ++position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_ID;
        if (!::GetMenuItemInfoW(m_hMenu, position, TRUE, &info)) break;
        UINT state = ::GetMenuState(m_hMenu, position, MF_BYPOSITION);
        if (state == static_cast<UINT>(-1)) break;
        // A popup's state carries its item count in the high byte.
        if (info.hSubMenu) state &= 0xFF;
        if (!(state & 0x2000)) {
            if (info.fType & MFT_RIGHTJUSTIFY) state |= 0x4000;
            if ((info.fType & MFT_RIGHTORDER) && !(state & MF_BITMAP)) state |= 0x2000;
        }
        CString text = MenuItemString(m_hMenu, position);
        UINT flagsOwn = state | MF_OWNERDRAW | MF_BYPOSITION;
        if (state & MF_BITMAP) {
            CStyleMenuItemData* data = TakeUnmarked(info.wID);
            if (!data) {
                data = new CStyleMenuItemData;
                data->flags = state;
                data->id = info.wID;
                data->syncMark = TRUE;
            }
            rebuilt.Add(data);
        } else if (info.hSubMenu) {
            UINT_PTR key = reinterpret_cast<UINT_PTR>(info.hSubMenu);
            CStyleMenuItemData* data = TakeUnmarked(key);
            if (data) {
                if (!text.IsEmpty()) data->SetString(text);
                rebuilt.Add(data);
                AdoptSubMenu(MF_POPUP, key);
            } else {
                UINT flags = ((state | MF_POPUP | MF_OWNERDRAW | MF_BYPOSITION) & ~(MF_SEPARATOR | MF_USECHECKBITMAPS));
                ConvertPosition(position, flags, key, text, rebuilt);
            }
        } else if (state & MF_SEPARATOR) {
            CStyleMenuItemData* data = TakeUnmarked(0);
            if (data) {
                data->flags = state | 0x500;
                rebuilt.Add(data);
                ::ModifyMenuW(m_hMenu, position, data->flags, 0, AsData(data));
            } else {
                ConvertPosition(position, state | 0x500, 0, text, rebuilt);
            }
        } else {
            CStyleMenuItemData* data = TakeUnmarked(info.wID);
            if (data) {
                data->flags = state | 0x500;
                if (!text.IsEmpty()) data->SetString(text);
                rebuilt.Add(data);
                ::ModifyMenuW(m_hMenu, position, data->flags, info.wID, AsData(data));
            } else {
                ConvertPosition(position, flagsOwn, info.wID, text, rebuilt);
            }
        }
    }
    DeleteUnmarked();
    m_items.RemoveAll();
    m_items.Append(rebuilt);
}

LRESULT CStyleMenu::FindMenuChar(UINT ch, UINT, CMenu* menu) {
    CStyleMenu* style = menu ? DYNAMIC_DOWNCAST(CStyleMenu, menu) : nullptr;
    if (!style) return 0;
    CString key;
    key.Format(L"&%c", static_cast<wchar_t>(ch));
    key.MakeLower();
    if (::GetMenuItemCount(style->m_hMenu) != style->m_items.GetSize()) style->Rebuild();
    for (int i = 0; i < style->ItemDataCount(); ++i) {
        CString text;
        if (!style->GetMenuText(i, text, MF_BYPOSITION)) continue;
        text.MakeLower();
        if (text.Find(key) >= 0) return MAKELRESULT(i, MNC_EXECUTE);
    }
    return 0;
}
