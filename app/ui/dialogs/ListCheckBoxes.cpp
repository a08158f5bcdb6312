#include "ListCheckBoxes.h"

int CountCheckedRows(const CListCtrl& list) {
    int checked = 0;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (list.GetCheck(row)) ++checked;
    }
    return checked;
}

void SetAllChecks(CListCtrl& list, bool checked) {
    list.SetRedraw(FALSE);
    for (int row = 0; row < list.GetItemCount(); ++row) list.SetCheck(row, checked);
    list.SetRedraw(TRUE);
    list.Invalidate();
}

bool IsFirstHeaderDoubleClick(const CListCtrl& list, LPARAM notification) {
    const NMHEADERW* header = reinterpret_cast<const NMHEADERW*>(notification);
    if (header->hdr.code != HDN_ITEMDBLCLICKW || !list.GetSafeHwnd()) return false;
    const HWND sender = header->hdr.hwndFrom;
    if (sender != ListView_GetHeader(list.m_hWnd) && sender != list.m_hWnd) return false;
    return header->iItem == 0;
}
