// CDeviceListRows: the device dialog's report list, one check-box row per
// device of the selected working list, numbered from 1, with the device id
// as item data. UI thread.
#pragma once

#include <afxcmn.h>

#include <functional>
#include <vector>

#include "app/engine/CDeviceManager.h"
#include "app/engine/DEVICE_RECORD.h"
#include "app/ui/toolkit/CVirtualListCtrl.h"

class CDeviceListRows {
public:
    explicit CDeviceListRows(CVirtualListCtrl& list) : m_list(list) {}

    void SetUpColumns();
    // Every row anew from the list's devices; the first one selected.
    void Fill(const CDeviceManager& list);
    // Appends (row -1) or rewrites the record's row, then selects it.
    void SetRow(const DEVICE_RECORD& record, int row);
    int IdAt(int row) const { return static_cast<int>(m_list.GetItemData(row)); }
    // Selects the row of the device, if there is one.
    void SelectId(int id);
    // Deletes every ticked row, handing its device id to remove first; the
    // rows left are numbered again and one of them selected. False when no
    // row was ticked.
    bool DeleteChecked(const std::function<void(int id)>& remove);

private:
    void Select(int row);
    // The row's cells from the record; column 0 holds number.
    static std::vector<CString> Cells(const DEVICE_RECORD& record, const CString& number);

    CVirtualListCtrl& m_list;
};
