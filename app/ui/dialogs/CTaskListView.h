// CTaskListView: the rows of the main window's task list. One row per
// schedule that has work under the running downloads, found again by its
// schedule id as item data, and the disk-full row kept last while a full
// disk stops the downloads. Rows are rewritten only where a text changed, so
// the once-a-second refresh does not flicker. UI thread.
#pragma once

#include <afxcmn.h>

class CTaskListView {
public:
    explicit CTaskListView(CListCtrl& list) : m_list(list) {}

    void SetUpColumns();
    // The rows brought up to the engine's schedules and download state now.
    void Refresh();

private:
    void UpdateDiskFullRow();
    int FindRow(LPARAM data) const;
    void SelectRow(int row);
    void SetTextIfChanged(int row, int column, const CString& text);

    CListCtrl& m_list;
};
