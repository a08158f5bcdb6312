// CTaskListView: the rows of the main window's task list. One row per
// schedule that has work under the running downloads, found again by its
// schedule id as item data, and the disk-full row kept last while a full
// disk stops the downloads. Rows are repainted only where a text changed, so
// the once-a-second refresh does not flicker; the rows live in the program
// (an owner-data list), so thousands of schedules cost no message per cell.
// UI thread.
#pragma once

#include <afxcmn.h>

#include <unordered_map>

#include "app/ui/toolkit/CVirtualListCtrl.h"

class CTaskListView {
public:
    explicit CTaskListView(CVirtualListCtrl& list) : m_list(list) {}

    void SetUpColumns();
    // The rows brought up to the engine's schedules and download state now.
    void Refresh();

private:
    // The rows' positions by their data, as the rows stand now.
    std::unordered_map<DWORD_PTR, int> RowsByData() const;
    void UpdateDiskFullRow();
    void SelectRow(int row);

    CVirtualListCtrl& m_list;
};
