#include "CTabCtrl.h"

IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)

LONG CTabCtrl::InsertItem(int index, LPCWSTR text) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(text);
    return InsertItem(index, &item);
}

LONG CTabCtrl::InsertItem(int index, LPCWSTR text, int image) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<LPWSTR>(text);
    item.iImage = image;
    return InsertItem(index, &item);
}
