#include "CTaskListView.h"

#include <map>
#include <set>
#include <vector>

#include "DialogMessages.h"
#include "TaskListRow.h"
#include "app/core/CAppConfig.h"
#include "app/engine/CBackupEngine.h"

namespace {

struct TASK_COLUMN {
    const wchar_t* title;
    int width;
    int format;
};
const TASK_COLUMN kTaskColumns[] = {
    {L"Serial", 40, LVCFMT_CENTER},       {L"Device Name", 140, LVCFMT_LEFT}, {L"Channel Name", 140, LVCFMT_LEFT},
    {L"Information", 240, LVCFMT_LEFT},   {L"Status", 220, LVCFMT_LEFT},
};

CBackupEngine& Engine() { return GetBackupEngine(); }

}  // namespace

void CTaskListView::SetUpColumns() {
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_BORDERSELECT);
    int column = 0;
    for (const TASK_COLUMN& entry : kTaskColumns) {
        m_list.InsertColumn(column++, Translate(entry.title), entry.format, entry.width);
    }
}

void CTaskListView::Refresh() {
    int automaticOn = 0, manualOn = 0;
    Engine().GetBackupState(&automaticOn, &manualOn);
    std::map<int, int> taskCounts;
    Engine().CountTasksBySchedule(&taskCounts);
    std::map<int, int> unindexedCounts;
    Engine().CountUnindexedBySchedule(&unindexedCounts);
    std::vector<BACKUP_SCHEDULE> schedules;
    Engine().Schedules().ListAll(schedules, TRUE);
    const CTime now = CTime::GetCurrentTime();
    m_list.SetRedraw(FALSE);
    std::set<LPARAM> shown;
    for (const BACKUP_SCHEDULE& schedule : schedules) {
        DEVICE_RECORD device;
        Engine().GetDevice(device, schedule.DevID);
        const auto count = taskCounts.find(schedule.id);
        TASK_ROW_TEXT text;
        if (!MakeTaskRowText(schedule, device, automaticOn, manualOn, count == taskCounts.end() ? 0 : count->second,
                             now, &text)) {
            continue;
        }
        AppendUnindexedText(unindexedCounts[schedule.id], &text);
        int row = FindRow(schedule.id);
        const CString* columns[] = {&text.device, &text.channel, &text.information, &text.status};
        if (row >= 0) {
            for (int column = 1; column <= 4; ++column) SetTextIfChanged(row, column, *columns[column - 1]);
        } else {
            row = m_list.InsertItem(LVIF_TEXT | LVIF_PARAM, m_list.GetItemCount(), L"1", 0, 0, 0, schedule.id);
            for (int column = 1; column <= 4; ++column) m_list.SetItemText(row, column, *columns[column - 1]);
            SelectRow(row);
        }
        shown.insert(schedule.id);
    }
    UpdateDiskFullRow();
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        const LPARAM data = static_cast<LPARAM>(m_list.GetItemData(row));
        if (data != kDiskFullRowData && shown.count(data) == 0) m_list.DeleteItem(row);
    }
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        CString serial;
        serial.Format(L"%d", row + 1);
        SetTextIfChanged(row, 0, serial);
    }
    m_list.SetRedraw(TRUE);
}

void CTaskListView::UpdateDiskFullRow() {
    int row = FindRow(kDiskFullRowData);
    const bool stopped = Engine().IsDiskFull() && GetAppConfig()->m_nDriveOverMode == 1;
    const int last = m_list.GetItemCount() - 1;
    if (row >= 0 && (!stopped || row != last)) {
        m_list.DeleteItem(row);
        row = -1;
    }
    if (!stopped) return;
    if (row < 0) {
        row = m_list.InsertItem(LVIF_TEXT | LVIF_PARAM, m_list.GetItemCount(), L"", 0, 0, 0, kDiskFullRowData);
        m_list.SetItemText(row, 1, Translate(L"Disk is full,schedule stop download."));
    }
    SelectRow(row);
}

int CTaskListView::FindRow(LPARAM data) const {
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return ListView_FindItem(m_list.m_hWnd, -1, &find);
}

void CTaskListView::SelectRow(int row) {
    m_list.EnsureVisible(row, FALSE);
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CTaskListView::SetTextIfChanged(int row, int column, const CString& text) {
    if (m_list.GetItemText(row, column) != text) m_list.SetItemText(row, column, text);
}
