// A list view control. Check boxes are the state images: unchecked is state
// image 1, checked is state image 2. An owner-drawn report list draws its
// rows in DrawItem (the parent's WM_DRAWITEM is reflected). A double-click on
// a column header reaches the list's parent as the header's HDN_ITEMDBLCLICK,
// whether or not the system's list view passes it on.
#pragma once

#include "CHeaderCtrl.h"
#include "CImageList.h"
#include "CWnd.h"

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    DWORD GetExtendedStyle() const { return ListView_GetExtendedListViewStyle(m_hWnd); }
    DWORD SetExtendedStyle(DWORD exStyle) {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(exStyle)));
    }
    CHeaderCtrl* GetHeaderCtrl() const {
        return static_cast<CHeaderCtrl*>(CWnd::FromHandle(ListView_GetHeader(m_hWnd)));
    }
    CImageList* SetImageList(CImageList* list, int kind) {
        return CImageList::FromHandle(ListView_SetImageList(m_hWnd, list->GetSafeHandle(), kind));
    }
    CImageList* GetImageList(int kind) const { return CImageList::FromHandle(ListView_GetImageList(m_hWnd, kind)); }
    BOOL SetBkColor(COLORREF c) { return ListView_SetBkColor(m_hWnd, c); }
    BOOL SetTextColor(COLORREF c) { return ListView_SetTextColor(m_hWnd, c); }
    BOOL SetTextBkColor(COLORREF c) { return ListView_SetTextBkColor(m_hWnd, c); }

    // Index of the new column, -1 on failure.
    int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    int InsertColumn(int column, const LVCOLUMNW* info) { return ListView_InsertColumn(m_hWnd, column, info); }
    BOOL DeleteColumn(int column) { return ListView_DeleteColumn(m_hWnd, column); }
    BOOL GetColumn(int column, LVCOLUMNW* info) const { return ListView_GetColumn(m_hWnd, column, info); }
    BOOL SetColumn(int column, const LVCOLUMNW* info) { return ListView_SetColumn(m_hWnd, column, info); }
    int GetColumnWidth(int column) const { return ListView_GetColumnWidth(m_hWnd, column); }
    BOOL SetColumnWidth(int column, int width) { return ListView_SetColumnWidth(m_hWnd, column, width); }

    int GetItemCount() const { return ListView_GetItemCount(m_hWnd); }
    // An owner-data list's row count; flags are LVSICF_*.
    BOOL SetItemCountEx(int count, DWORD flags = LVSICF_NOINVALIDATEALL) {
        return static_cast<BOOL>(SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)));
    }
    // The item states the owner keeps and the control asks for (LVN_GETDISPINFO).
    BOOL SetCallbackMask(UINT mask) { return ListView_SetCallbackMask(m_hWnd, mask); }
    // Index of the new item, -1 on failure.
    int InsertItem(int index, LPCWSTR text) { return InsertItem(LVIF_TEXT, index, text, 0, 0, 0, 0); }
    int InsertItem(int index, LPCWSTR text, int image) {
        return InsertItem(LVIF_TEXT | LVIF_IMAGE, index, text, 0, 0, image, 0);
    }
    int InsertItem(const LVITEMW* item) { return ListView_InsertItem(m_hWnd, item); }
    int InsertItem(UINT mask, int index, LPCWSTR text, UINT state, UINT stateMask, int image, LPARAM param);
    BOOL DeleteItem(int index) { return ListView_DeleteItem(m_hWnd, index); }
    BOOL DeleteAllItems() { return ListView_DeleteAllItems(m_hWnd); }
    BOOL GetItem(LVITEMW* item) const { return ListView_GetItem(m_hWnd, item); }
    BOOL SetItem(const LVITEMW* item) { return ListView_SetItem(m_hWnd, item); }
    // The whole text of a cell, however long; empty for a missing cell.
    CString GetItemText(int item, int subItem) const;
    int GetItemText(int item, int subItem, LPWSTR buffer, int length) const;
    BOOL SetItemText(int item, int subItem, LPCWSTR text);
    DWORD_PTR GetItemData(int item) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    UINT GetItemState(int item, UINT mask) const { return ListView_GetItemState(m_hWnd, item, mask); }
    BOOL SetItemState(int item, UINT state, UINT mask);
    BOOL GetCheck(int item) const { return ((GetItemState(item, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1; }
    BOOL SetCheck(int item, BOOL check = TRUE) {
        return SetItemState(item, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), LVIS_STATEIMAGEMASK);
    }
    int GetNextItem(int start, int flags) const { return ListView_GetNextItem(m_hWnd, start, flags); }
    UINT GetSelectedCount() const { return ListView_GetSelectedCount(m_hWnd); }
    // Walks the selected rows: the position is the next row index + 1, NULL at the end.
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& pos) const;
    int GetSelectionMark() const { return ListView_GetSelectionMark(m_hWnd); }
    int SetSelectionMark(int index) { return ListView_SetSelectionMark(m_hWnd, index); }
    BOOL EnsureVisible(int item, BOOL partialOk) { return ListView_EnsureVisible(m_hWnd, item, partialOk); }
    int GetTopIndex() const { return ListView_GetTopIndex(m_hWnd); }
    int GetCountPerPage() const { return ListView_GetCountPerPage(m_hWnd); }
    BOOL GetItemRect(int item, LPRECT r, UINT code) const { return ListView_GetItemRect(m_hWnd, item, r, code); }
    int HitTest(POINT p, UINT* flags = nullptr) const;
    BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data) { return ListView_SortItems(m_hWnd, compare, data); }
    BOOL RedrawItems(int first, int last) { return ListView_RedrawItems(m_hWnd, first, last); }

    virtual void DrawItem(LPDRAWITEMSTRUCT dis) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    bool IsHeaderDoubleClick(UINT message, LPARAM lParam) const;
    LRESULT PassOnHeaderDoubleClick(WPARAM wParam, LPARAM lParam);
};
