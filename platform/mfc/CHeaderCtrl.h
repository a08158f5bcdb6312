// The header control of a report list.
#pragma once

#include "CWnd.h"

class CHeaderCtrl : public CWnd {
    DECLARE_DYNAMIC(CHeaderCtrl)
public:
    int GetItemCount() const { return Header_GetItemCount(m_hWnd); }
    BOOL GetItem(int index, HDITEMW* item) const {
        return static_cast<BOOL>(::SendMessageW(m_hWnd, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(item)));
    }
    BOOL SetItem(int index, HDITEMW* item) {
        return static_cast<BOOL>(SendMessage(HDM_SETITEMW, index, reinterpret_cast<LPARAM>(item)));
    }
    BOOL GetItemRect(int index, LPRECT r) const { return Header_GetItemRect(m_hWnd, index, r); }
};
