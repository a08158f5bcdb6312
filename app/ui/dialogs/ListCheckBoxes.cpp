#include "ListCheckBoxes.h"

#include "app/ui/toolkit/CVirtualListCtrl.h"

int CountCheckedRows(const CListCtrl& list) {
    const CVirtualListCtrl* rows = dynamic_cast<const CVirtualListCtrl*>(&list);
    if (rows) return rows->CheckedCount();
    int checked = 0;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (list.GetCheck(row)) ++checked;
    }
    return checked;
}

void SetAllChecks(CListCtrl& list, bool checked) {
    CVirtualListCtrl* rows = dynamic_cast<CVirtualListCtrl*>(&list);
    if (rows) {
        rows->SetAllChecks(checked);
        return;
    }
    list.SetRedraw(FALSE);
    for (int row = 0; row < list.GetItemCount(); ++row) list.SetCheck(row, checked);
    list.SetRedraw(TRUE);
    list.Invalidate();
}

bool ToggleAllChecks(CListCtrl& list, int& allTicked) {
    if (list.GetItemCount() == 0) return false;
    allTicked = !allTicked;
    SetAllChecks(list, allTicked != 0);
    return true;
}

bool IsFirstHeaderDoubleClick(const CListCtrl& list, LPARAM notification) {
    const NMHEADERW* header = reinterpret_cast<const NMHEADERW*>(notification);
    // The ANSI code too: the item index sits at the same place in both.
    const bool doubleClick = header->hdr.code == HDN_ITEMDBLCLICKW || header->hdr.code == HDN_ITEMDBLCLICKA;
    if (!doubleClick || !list.GetSafeHwnd()) return false;
    const HWND sender = header->hdr.hwndFrom;
    if (sender != ListView_GetHeader(list.m_hWnd) && sender != list.m_hWnd) return false;
    return header->iItem == 0;
}
