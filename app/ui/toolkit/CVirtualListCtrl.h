// CVirtualListCtrl: a report list (LVS_OWNERDATA) whose rows live in the
// program. The control asks for the cells it paints (LVN_GETDISPINFO), so a
// fill costs one message however many rows it has, and reading rows back
// costs none. Every message sent on the user-interface thread passes the
// menu library's window hook, which under Wine makes a message per cell cost
// seconds for a few thousand rows.
//
// Check boxes (LVS_EX_CHECKBOXES) are kept with the rows. A click on a box
// or Space toggles it, and every change, whether by the user, SetCheck or
// the list view's LVM_SETITEMSTATE, reaches the parent as the list view's
// own LVN_ITEMCHANGED with the old and new state image; a change of every
// row sends one for item -1. The control keeps selection and focus itself.
// UI thread.
#pragma once

#include <afxcmn.h>

#include <functional>
#include <vector>

// One row: its cells from column 0, the value the program finds it by, and
// its check box.
struct VIRTUAL_LIST_ROW {
    std::vector<CString> cells;
    DWORD_PTR data = 0;
    bool checked = false;
};

class CVirtualListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CVirtualListCtrl)
public:
    // Replaces every row; selection and focus are cleared. Fails (FALSE,
    // nothing changed) when the control lacks LVS_OWNERDATA.
    BOOL SetRows(std::vector<VIRTUAL_LIST_ROW> rows);
    // Appends a row; its index, -1 when the control refused it.
    int AppendRow(VIRTUAL_LIST_ROW row);
    // Appends rows with one change of the control's count (each change
    // makes the control lay itself out again); the first one's index, -1
    // when there were none or the control refused them.
    int AppendRows(std::vector<VIRTUAL_LIST_ROW> rows);
    // Replaces one row's cells, data and check box, and repaints it.
    BOOL ReplaceRow(int row, VIRTUAL_LIST_ROW value);
    // Removes one row; the control moves the selection of the rows below up.
    BOOL DeleteRow(int row);
    // Removes every row that remove accepts with one change of the control's
    // count (DeleteRow costs a message and a move of the rows below each);
    // the selected and focused rows that stay keep their marks. Returns how
    // many rows went.
    int DeleteRowsWhere(const std::function<bool(const VIRTUAL_LIST_ROW&)>& remove);
    void DeleteAllRows() { SetRows(std::vector<VIRTUAL_LIST_ROW>()); }
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // A row as it stands; row must be below RowCount.
    const VIRTUAL_LIST_ROW& Row(int row) const { return m_rows[row]; }
    // Writes 1, 2, ... into column of every row; the rows from the first
    // that changed are repainted at once.
    void NumberRows(int column);
    // The row whose data is data; -1 when none.
    int FindRowByData(DWORD_PTR data) const;

    // The base class's accessors, answered from the rows without a message.
    // Out-of-range rows and columns read as empty, 0 or unchecked and are
    // refused by the setters.
    CString GetItemText(int row, int column) const;
    BOOL SetItemText(int row, int column, LPCWSTR text);
    DWORD_PTR GetItemData(int row) const;
    BOOL SetItemData(int row, DWORD_PTR data);
    BOOL GetCheck(int row) const;
    BOOL SetCheck(int row, BOOL check = TRUE);
    void SetAllChecks(bool checked);
    int CheckedCount() const;

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool IsOwnerData() const;
    bool HasCheckBoxes() const;
    bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }
    void FillDisplayInfo(LVITEMW& item) const;
    bool ToggleCheckAtClick(LPARAM point);
    LRESULT SetStateImage(WPARAM wParam, LPARAM lParam);
    void NotifyCheckChanged(int row, bool oldChecked, bool newChecked);
    // Redraws the rows of first..last that are in view.
    void RedrawRowsInView(int first, int last);
    // The rows that carry flag (LVNI_SELECTED, LVNI_FOCUSED), asked of the control.
    std::vector<int> MarkedRows(UINT flag) const;

    std::vector<VIRTUAL_LIST_ROW> m_rows;
};

// A cell of any report list: from the rows of a CVirtualListCtrl, through
// the control's messages otherwise.
CString ListCellText(const CListCtrl& list, int row, int column);
