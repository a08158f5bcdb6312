// The one routing of owner-draw item messages to a control's virtual
// members, shared by the list and combo boxes.
#pragma once

#include <windows.h>

// Calls the matching member of control for WM_DRAWITEM, WM_MEASUREITEM,
// WM_COMPAREITEM and WM_DELETEITEM; FALSE for any other message.
template <class CONTROL>
BOOL AfxRouteOwnerDraw(CONTROL* control, UINT message, LPARAM lParam, LRESULT* result) {
    LRESULT r = TRUE;
    switch (message) {
        case WM_DRAWITEM: control->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); break;
        case WM_MEASUREITEM: control->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); break;
        case WM_COMPAREITEM: r = control->CompareItem(reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam)); break;
        case WM_DELETEITEM: control->DeleteItem(reinterpret_cast<LPDELETEITEMSTRUCT>(lParam)); break;
        default: return FALSE;
    }
    if (result) *result = r;
    return TRUE;
}
