// A tree view control. Check boxes are state images 1 (unchecked) and 2.
#pragma once

#include "CImageList.h"
#include "CWnd.h"

class CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(WC_TREEVIEWW, nullptr, style, rect, parent, id);
    }

    // The new item, NULL on failure.
    HTREEITEM InsertItem(LPCWSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(LPCWSTR text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(LPTVINSERTSTRUCTW insert) {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(insert)));
    }
    BOOL DeleteItem(HTREEITEM item) { return TreeView_DeleteItem(m_hWnd, item); }
    BOOL DeleteAllItems() { return TreeView_DeleteAllItems(m_hWnd); }
    UINT GetCount() const { return TreeView_GetCount(m_hWnd); }
    HTREEITEM GetRootItem() const { return TreeView_GetRoot(m_hWnd); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return TreeView_GetChild(m_hWnd, item); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return TreeView_GetNextSibling(m_hWnd, item); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const { return TreeView_GetPrevSibling(m_hWnd, item); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return TreeView_GetParent(m_hWnd, item); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const { return TreeView_GetNextItem(m_hWnd, item, code); }
    HTREEITEM GetSelectedItem() const { return TreeView_GetSelection(m_hWnd); }
    BOOL SelectItem(HTREEITEM item) { return TreeView_SelectItem(m_hWnd, item); }
    BOOL ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != nullptr; }
    BOOL Expand(HTREEITEM item, UINT code) { return TreeView_Expand(m_hWnd, item, code); }
    BOOL EnsureVisible(HTREEITEM item) { return TreeView_EnsureVisible(m_hWnd, item); }
    // The whole text of the item; empty for a bad item.
    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, LPCWSTR text);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    UINT GetItemState(HTREEITEM item, UINT mask) const { return TreeView_GetItemState(m_hWnd, item, mask); }
    BOOL SetItemState(HTREEITEM item, UINT state, UINT mask);
    BOOL GetCheck(HTREEITEM item) const { return (GetItemState(item, TVIS_STATEIMAGEMASK) >> 12) == 2; }
    BOOL SetCheck(HTREEITEM item, BOOL check = TRUE) {
        return SetItemState(item, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), TVIS_STATEIMAGEMASK);
    }
    HTREEITEM HitTest(POINT p, UINT* flags = nullptr) const;
    CImageList* SetImageList(CImageList* list, int kind) {
        return CImageList::FromHandle(TreeView_SetImageList(m_hWnd, list->GetSafeHandle(), kind));
    }
};
