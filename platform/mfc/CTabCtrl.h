// A tab control.
#pragma once

#include "CImageList.h"
#include "CWnd.h"

class CTabCtrl : public CWnd {
    DECLARE_DYNAMIC(CTabCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(WC_TABCONTROLW, nullptr, style, rect, parent, id);
    }

    // Index of the new tab, -1 on failure.
    LONG InsertItem(int index, LPCWSTR text);
    LONG InsertItem(int index, LPCWSTR text, int image);
    LONG InsertItem(int index, TCITEMW* item) {
        return static_cast<LONG>(SendMessage(TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(item)));
    }
    BOOL DeleteItem(int index) { return TabCtrl_DeleteItem(m_hWnd, index); }
    BOOL DeleteAllItems() { return TabCtrl_DeleteAllItems(m_hWnd); }
    BOOL GetItem(int index, TCITEMW* item) const {
        return static_cast<BOOL>(::SendMessageW(m_hWnd, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(item)));
    }
    BOOL SetItem(int index, TCITEMW* item) {
        return static_cast<BOOL>(SendMessage(TCM_SETITEMW, index, reinterpret_cast<LPARAM>(item)));
    }
    int GetItemCount() const { return TabCtrl_GetItemCount(m_hWnd); }
    // Index of the selected tab, -1 for none.
    int GetCurSel() const { return TabCtrl_GetCurSel(m_hWnd); }
    // Previously selected index, -1 on failure.
    int SetCurSel(int index) { return TabCtrl_SetCurSel(m_hWnd, index); }
    BOOL GetItemRect(int index, LPRECT r) const { return TabCtrl_GetItemRect(m_hWnd, index, r); }
    // Display rectangle from window rectangle (larger FALSE) or the reverse.
    void AdjustRect(BOOL larger, LPRECT r) { TabCtrl_AdjustRect(m_hWnd, larger, r); }
    CSize SetItemSize(CSize size) { return CSize(static_cast<DWORD>(TabCtrl_SetItemSize(m_hWnd, size.cx, size.cy))); }
    CImageList* SetImageList(CImageList* list) {
        return CImageList::FromHandle(TabCtrl_SetImageList(m_hWnd, list->GetSafeHandle()));
    }
};
