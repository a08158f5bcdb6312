#include "CTreeCtrl.h"

IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR text, HTREEITEM parent, HTREEITEM after) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<LPWSTR>(text);
    return InsertItem(&insert);
}

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<LPWSTR>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return InsertItem(&insert);
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const {
    CString text;
    for (int size = 256;; size *= 2) {
        TVITEMW info = {};
        info.mask = TVIF_TEXT;
        info.hItem = item;
        info.cchTextMax = size;
        info.pszText = text.GetBuffer(size);
        if (!::SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))) {
            text.ReleaseBuffer(0);
            return text;
        }
        text.ReleaseBuffer();
        if (text.GetLength() < size - 1) return text;
    }
}

BOOL CTreeCtrl::SetItemText(HTREEITEM item, LPCWSTR text) {
    TVITEMW info = {};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = const_cast<LPWSTR>(text);
    return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM item) const {
    TVITEMW info = {};
    info.mask = TVIF_PARAM;
    info.hItem = item;
    return ::SendMessageW(m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))
               ? static_cast<DWORD_PTR>(info.lParam)
               : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM item, DWORD_PTR data) {
    TVITEMW info = {};
    info.mask = TVIF_PARAM;
    info.hItem = item;
    info.lParam = static_cast<LPARAM>(data);
    return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

BOOL CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT mask) {
    TVITEMW info = {};
    info.mask = TVIF_STATE;
    info.hItem = item;
    info.state = state;
    info.stateMask = mask;
    return static_cast<BOOL>(SendMessage(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info)));
}

HTREEITEM CTreeCtrl::HitTest(POINT p, UINT* flags) const {
    TVHITTESTINFO info = {};
    info.pt = p;
    HTREEITEM item = TreeView_HitTest(m_hWnd, &info);
    if (flags) *flags = info.flags;
    return item;
}
