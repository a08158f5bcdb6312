#include "CVirtualListCtrl.h"

#include <utility>

#include <windowsx.h>

IMPLEMENT_DYNAMIC(CVirtualListCtrl, CListCtrl)

namespace {

UINT CheckStateImage(bool checked) { return INDEXTOSTATEIMAGEMASK(checked ? 2 : 1); }

}  // namespace

bool CVirtualListCtrl::IsOwnerData() const {
    return m_hWnd && (::GetWindowLongW(m_hWnd, GWL_STYLE) & LVS_OWNERDATA) != 0;
}

bool CVirtualListCtrl::HasCheckBoxes() const { return (GetExtendedStyle() & LVS_EX_CHECKBOXES) != 0; }

BOOL CVirtualListCtrl::SetRows(std::vector<VIRTUAL_LIST_ROW> rows) {
    if (!IsOwnerData()) return FALSE;
    // No rows first, so the control drops selection and focus at once:
    // clearing them item by item (LVM_SETITEMSTATE for item -1) sends two
    // notifications per row, seconds for a month of log records.
    SetItemCountEx(0, 0);
    m_rows = std::move(rows);
    if (HasCheckBoxes()) SetCallbackMask(LVIS_STATEIMAGEMASK);
    SetItemCountEx(RowCount(), 0);
    SetSelectionMark(-1);
    if (!m_rows.empty()) EnsureVisible(0, FALSE);
    return TRUE;
}

int CVirtualListCtrl::AppendRow(VIRTUAL_LIST_ROW row) {
    std::vector<VIRTUAL_LIST_ROW> rows;
    rows.push_back(std::move(row));
    return AppendRows(std::move(rows));
}

int CVirtualListCtrl::AppendRows(std::vector<VIRTUAL_LIST_ROW> rows) {
    if (!IsOwnerData() || rows.empty()) return -1;
    const int first = RowCount();
    if (first == 0 && HasCheckBoxes()) SetCallbackMask(LVIS_STATEIMAGEMASK);
    for (VIRTUAL_LIST_ROW& row : rows) m_rows.push_back(std::move(row));
    if (!SetItemCountEx(RowCount(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL)) {
        m_rows.resize(first);
        return -1;
    }
    RedrawRowsInView(first, RowCount() - 1);
    return first;
}

BOOL CVirtualListCtrl::ReplaceRow(int row, VIRTUAL_LIST_ROW value) {
    if (!ValidRow(row)) return FALSE;
    const bool wasChecked = m_rows[row].checked;
    m_rows[row] = std::move(value);
    RedrawItems(row, row);
    if (wasChecked != m_rows[row].checked) NotifyCheckChanged(row, wasChecked, m_rows[row].checked);
    return TRUE;
}

BOOL CVirtualListCtrl::DeleteRow(int row) {
    if (!ValidRow(row)) return FALSE;
    // Gone from the rows first: the control's notifications during the
    // deletion already speak of the rows that remain.
    VIRTUAL_LIST_ROW removed = std::move(m_rows[row]);
    m_rows.erase(m_rows.begin() + row);
    if (DeleteItem(row)) return TRUE;
    m_rows.insert(m_rows.begin() + row, std::move(removed));
    return FALSE;
}

int CVirtualListCtrl::DeleteRowsWhere(const std::function<bool(const VIRTUAL_LIST_ROW&)>& remove) {
    if (!IsOwnerData()) return 0;
    std::vector<int> newIndex(m_rows.size(), -1);
    int kept = 0;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (!remove(m_rows[row])) newIndex[row] = kept++;
    }
    const int removed = RowCount() - kept;
    if (removed == 0) return 0;
    // The control keeps its marks by index: taken off the old places while
    // the rows still stand there, put back on the rows' new places.
    const std::vector<int> selected = MarkedRows(LVNI_SELECTED);
    const std::vector<int> focused = MarkedRows(LVNI_FOCUSED);
    for (int row : selected) SetItemState(row, 0, LVIS_SELECTED);
    for (int row : focused) SetItemState(row, 0, LVIS_FOCUSED);
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (newIndex[row] >= 0 && newIndex[row] != static_cast<int>(row))
            m_rows[newIndex[row]] = std::move(m_rows[row]);
    }
    m_rows.resize(kept);
    SetItemCountEx(kept, LVSICF_NOSCROLL);  // repaints every row
    for (int row : selected) {
        if (newIndex[row] >= 0) SetItemState(newIndex[row], LVIS_SELECTED, LVIS_SELECTED);
    }
    for (int row : focused) {
        if (newIndex[row] >= 0) SetItemState(newIndex[row], LVIS_FOCUSED, LVIS_FOCUSED);
    }
    return removed;
}

std::vector<int> CVirtualListCtrl::MarkedRows(UINT flag) const {
    std::vector<int> rows;
    for (int row = GetNextItem(-1, flag); row >= 0; row = GetNextItem(row, flag)) rows.push_back(row);
    return rows;
}

void CVirtualListCtrl::NumberRows(int column) {
    if (column < 0) return;
    int firstChanged = -1;
    CString number;
    for (int row = 0; row < RowCount(); ++row) {
        std::vector<CString>& cells = m_rows[row].cells;
        if (column >= static_cast<int>(cells.size())) cells.resize(column + 1);
        number.Format(L"%d", row + 1);
        if (cells[column] == number) continue;
        cells[column] = number;
        if (firstChanged < 0) firstChanged = row;
    }
    if (firstChanged >= 0) RedrawRowsInView(firstChanged, RowCount() - 1);
}

void CVirtualListCtrl::RedrawRowsInView(int first, int last) {
    // The control asks its header twice for every row it is told to redraw,
    // shown or not: thousands of sent messages for a task list's first fill.
    // Rows out of view are painted from the rows when scrolled to anyway.
    const int top = GetTopIndex();
    const int lastShown = top + GetCountPerPage();  // the row cut by the bottom edge too
    first = first > top ? first : top;
    last = last < lastShown ? last : lastShown;
    if (first <= last) RedrawItems(first, last);
}

int CVirtualListCtrl::FindRowByData(DWORD_PTR data) const {
    for (int row = 0; row < RowCount(); ++row) {
        if (m_rows[row].data == data) return row;
    }
    return -1;
}

CString CVirtualListCtrl::GetItemText(int row, int column) const {
    if (!ValidRow(row) || column < 0) return CString();
    const std::vector<CString>& cells = m_rows[row].cells;
    return column < static_cast<int>(cells.size()) ? cells[column] : CString();
}

BOOL CVirtualListCtrl::SetItemText(int row, int column, LPCWSTR text) {
    if (!ValidRow(row) || column < 0) return FALSE;
    std::vector<CString>& cells = m_rows[row].cells;
    if (column >= static_cast<int>(cells.size())) cells.resize(column + 1);
    cells[column] = text ? text : L"";
    RedrawItems(row, row);
    return TRUE;
}

DWORD_PTR CVirtualListCtrl::GetItemData(int row) const { return ValidRow(row) ? m_rows[row].data : 0; }

BOOL CVirtualListCtrl::SetItemData(int row, DWORD_PTR data) {
    if (!ValidRow(row)) return FALSE;
    m_rows[row].data = data;
    return TRUE;
}

BOOL CVirtualListCtrl::GetCheck(int row) const { return ValidRow(row) && m_rows[row].checked; }

BOOL CVirtualListCtrl::SetCheck(int row, BOOL check) {
    if (!ValidRow(row)) return FALSE;
    const bool wasChecked = m_rows[row].checked;
    m_rows[row].checked = check != FALSE;
    if (wasChecked != m_rows[row].checked) {
        RedrawItems(row, row);
        NotifyCheckChanged(row, wasChecked, m_rows[row].checked);
    }
    return TRUE;
}

void CVirtualListCtrl::SetAllChecks(bool checked) {
    for (VIRTUAL_LIST_ROW& row : m_rows) row.checked = checked;
    Invalidate();
    NotifyCheckChanged(-1, !checked, checked);
}

int CVirtualListCtrl::CheckedCount() const {
    int count = 0;
    for (const VIRTUAL_LIST_ROW& row : m_rows) count += row.checked ? 1 : 0;
    return count;
}

void CVirtualListCtrl::NotifyCheckChanged(int row, bool oldChecked, bool newChecked) {
    HWND parent = ::GetParent(m_hWnd);
    if (!parent) return;
    NMLISTVIEW change = {};
    change.hdr.hwndFrom = m_hWnd;
    change.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    change.hdr.code = LVN_ITEMCHANGED;
    change.iItem = row;
    change.uChanged = LVIF_STATE;
    change.uOldState = CheckStateImage(oldChecked);
    change.uNewState = CheckStateImage(newChecked);
    change.lParam = static_cast<LPARAM>(GetItemData(row));
    ::SendMessageW(parent, WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

void CVirtualListCtrl::FillDisplayInfo(LVITEMW& item) const {
    if (!ValidRow(item.iItem)) return;
    const VIRTUAL_LIST_ROW& row = m_rows[item.iItem];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const bool hasCell = item.iSubItem >= 0 && item.iSubItem < static_cast<int>(row.cells.size());
        ::lstrcpynW(item.pszText, hasCell ? static_cast<LPCWSTR>(row.cells[item.iSubItem]) : L"", item.cchTextMax);
    }
    if (item.mask & LVIF_PARAM) item.lParam = static_cast<LPARAM>(row.data);
    if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_STATEIMAGEMASK))
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | CheckStateImage(row.checked);
}

BOOL CVirtualListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_NOTIFY || !lParam) return CListCtrl::OnChildNotify(message, wParam, lParam, result);
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    switch (header->code) {
        case LVN_GETDISPINFOW:
            FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
            if (result) *result = 0;
            return TRUE;
        case LVN_ODFINDITEMW:
            if (result) *result = -1;
            return TRUE;
        case LVN_ODCACHEHINT:
            if (result) *result = 0;
            return TRUE;
        default: return CListCtrl::OnChildNotify(message, wParam, lParam, result);
    }
}

bool CVirtualListCtrl::ToggleCheckAtClick(LPARAM point) {
    LVHITTESTINFO hit = {};
    hit.pt.x = GET_X_LPARAM(point);
    hit.pt.y = GET_Y_LPARAM(point);
    const int row = ListView_HitTest(m_hWnd, &hit);
    if (!ValidRow(row) || !(hit.flags & LVHT_ONITEMSTATEICON)) return false;
    SetCheck(row, !m_rows[row].checked);
    return true;
}

LRESULT CVirtualListCtrl::SetStateImage(WPARAM wParam, LPARAM lParam) {
    LVITEMW rest = *reinterpret_cast<const LVITEMW*>(lParam);
    const bool checked = ((rest.state & LVIS_STATEIMAGEMASK) >> 12) == 2;
    const int row = static_cast<int>(static_cast<INT_PTR>(wParam));
    BOOL done = TRUE;
    if (row == -1)
        SetAllChecks(checked);
    else
        done = SetCheck(row, checked);
    rest.stateMask &= ~LVIS_STATEIMAGEMASK;
    if (!rest.stateMask || !done) return done;
    return CListCtrl::WindowProc(LVM_SETITEMSTATE, wParam, reinterpret_cast<LPARAM>(&rest));
}

LRESULT CVirtualListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Check marks set through the message (CListCtrl::SetCheck, or another
    // program) land on the rows like SetCheck's.
    if (message == LVM_SETITEMSTATE && lParam && IsOwnerData() &&
        (reinterpret_cast<const LVITEMW*>(lParam)->stateMask & LVIS_STATEIMAGEMASK))
        return SetStateImage(wParam, lParam);
    // An owner-data row has no item data in the control: CListCtrl's
    // GetItemData (LVM_GETITEM) reads the row's.
    if (message == LVM_GETITEMW && lParam) {
        const LRESULT result = CListCtrl::WindowProc(message, wParam, lParam);
        LVITEMW* item = reinterpret_cast<LVITEMW*>(lParam);
        if (result && (item->mask & LVIF_PARAM) && IsOwnerData())
            item->lParam = static_cast<LPARAM>(GetItemData(item->iItem));
        return result;
    }
    // The control keeps no state image of an owner-data row: the toggles
    // that it would make on a click or Space are made here, on the rows.
    const bool checkMessage =
        message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || (message == WM_KEYDOWN && wParam == VK_SPACE);
    if (checkMessage && IsOwnerData() && HasCheckBoxes()) {
        if (message == WM_KEYDOWN) {
            const int focused = GetNextItem(-1, LVNI_FOCUSED);
            if (ValidRow(focused)) SetCheck(focused, !m_rows[focused].checked);
            return 0;
        }
        if (ToggleCheckAtClick(lParam)) {
            if (::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
            return 0;
        }
    }
    return CListCtrl::WindowProc(message, wParam, lParam);
}

CString ListCellText(const CListCtrl& list, int row, int column) {
    const CVirtualListCtrl* rows = dynamic_cast<const CVirtualListCtrl*>(&list);
    return rows ? rows->GetItemText(row, column) : list.GetItemText(row, column);
}
