#include "ControlCall.h"

LRESULT CallControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    if (::GetWindowThreadProcessId(control, nullptr) != ::GetCurrentThreadId())
        return ::SendMessageW(control, message, wParam, lParam);
    const WNDPROC procedure = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(control, GWLP_WNDPROC));
    if (!procedure) return 0;
    return ::CallWindowProcW(procedure, control, message, wParam, lParam);
}

HTREEITEM TreeNextItem(HWND tree, HTREEITEM item, UINT kind) {
    return reinterpret_cast<HTREEITEM>(CallControl(tree, TVM_GETNEXTITEM, kind, reinterpret_cast<LPARAM>(item)));
}

DWORD_PTR TreeItemData(HWND tree, HTREEITEM item) {
    TVITEMW read = {};
    read.mask = TVIF_PARAM | TVIF_HANDLE;
    read.hItem = item;
    if (!CallControl(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read))) return 0;
    return static_cast<DWORD_PTR>(read.lParam);
}

void ExpandTreeItem(HWND tree, HTREEITEM item) {
    CallControl(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

void CollapseTreeItem(HWND tree, HTREEITEM item) {
    CallControl(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
}

bool TreeItemExpanded(HWND tree, HTREEITEM item) {
    return (CallControl(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void SelectTreeItem(HWND tree, HTREEITEM item, UINT kind) {
    CallControl(tree, TVM_SELECTITEM, kind, reinterpret_cast<LPARAM>(item));
}

bool TreeItemChecked(HWND tree, HTREEITEM item) {
    const UINT state =
        static_cast<UINT>(CallControl(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}

void SetTreeItemCheck(HWND tree, HTREEITEM item, bool checked) {
    TVITEMW change = {};
    change.mask = TVIF_STATE | TVIF_HANDLE;
    change.hItem = item;
    change.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    change.stateMask = TVIS_STATEIMAGEMASK;
    CallControl(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

HTREEITEM AppendTreeCheckItem(HWND tree, const CString& text, HTREEITEM parent, DWORD_PTR data, bool expanded) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = const_cast<LPWSTR>(static_cast<LPCWSTR>(text));
    insert.item.lParam = static_cast<LPARAM>(data);
    insert.item.state = INDEXTOSTATEIMAGEMASK(1) | (expanded ? TVIS_EXPANDED : 0);
    insert.item.stateMask = TVIS_STATEIMAGEMASK | (expanded ? TVIS_EXPANDED : 0);
    return reinterpret_cast<HTREEITEM>(CallControl(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void FillComboBox(HWND combo, const std::vector<CString>& texts) {
    CallControl(combo, CB_RESETCONTENT, 0, 0);
    // The combo keeps its items in its own list box and hands every text on
    // to it as a sent message. Unless the combo sorts, draws its items or
    // changes their case on the way, the texts can go into that list
    // directly, which is all the combo would do with them.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    const LONG_PTR style = ::GetWindowLongPtrW(combo, GWL_STYLE);
    const LONG_PTR reworks = CBS_SORT | CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE | CBS_LOWERCASE | CBS_UPPERCASE;
    const bool straight = !(style & reworks) &&
                          CallControl(combo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info)) && info.hwndList;
    const HWND target = straight ? info.hwndList : combo;
    const UINT add = straight ? LB_ADDSTRING : CB_ADDSTRING;
    for (const CString& text : texts) CallControl(target, add, 0, reinterpret_cast<LPARAM>(static_cast<LPCWSTR>(text)));
}
