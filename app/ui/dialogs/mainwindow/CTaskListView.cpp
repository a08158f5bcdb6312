#include "CTaskListView.h"

#include <map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "app/ui/dialogs/DialogMessages.h"
#include "CTaskRowTexts.h"
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
    {L"Serial", 40, LVCFMT_CENTER},     {L"Device Name", 140, LVCFMT_LEFT}, {L"Channel Name", 140, LVCFMT_LEFT},
    {L"Information", 240, LVCFMT_LEFT}, {L"Status", 220, LVCFMT_LEFT},
};

CBackupEngine& Engine() { return GetBackupEngine(); }

int CountOf(const std::map<int, int>& counts, int scheduleId) {
    const auto count = counts.find(scheduleId);
    return count == counts.end() ? 0 : count->second;
}

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
    CTaskRowTexts texts(automaticOn, manualOn, CTime::GetCurrentTime());
    const std::unordered_map<DWORD_PTR, int> rows = RowsByData();
    std::unordered_set<DWORD_PTR> shown;
    shown.reserve(schedules.size());
    std::vector<VIRTUAL_LIST_ROW> added;
    for (const BACKUP_SCHEDULE& schedule : schedules) {
        const int taskCount = CountOf(taskCounts, schedule.id);
        TASK_ROW_TEXT text;
        bool hasRow = false;
        // Read in place: a copy of each schedule's device record was most of
        // a refresh with many schedules.
        Engine().Devices().ReadDevice(schedule.DevID, [&](const DEVICE_RECORD& device) {
            hasRow = texts.Make(schedule, device, taskCount, &text);
        });
        if (!hasRow) continue;
        AppendUnindexedText(CountOf(unindexedCounts, schedule.id), &text);
        const DWORD_PTR data = static_cast<DWORD_PTR>(static_cast<LPARAM>(schedule.id));
        const auto existing = rows.find(data);
        VIRTUAL_LIST_ROW row;
        row.data = data;
        row.cells.reserve(5);
        row.cells.push_back(existing == rows.end() ? CString(L"1") : m_list.GetItemText(existing->second, 0));
        row.cells.push_back(std::move(text.device));
        row.cells.push_back(std::move(text.channel));
        row.cells.push_back(std::move(text.information));
        row.cells.push_back(std::move(text.status));
        if (existing == rows.end()) {
            added.push_back(std::move(row));
        } else if (m_list.Row(existing->second).cells != row.cells) {
            m_list.ReplaceRow(existing->second, std::move(row));
        }
        shown.insert(data);
    }
    // Added at once, and one selection for them all: each new row was
    // selected in turn, and in a single-selection list the last one stays.
    const int addedCount = static_cast<int>(added.size());
    const int firstAdded = m_list.AppendRows(std::move(added));
    if (firstAdded >= 0) SelectRow(firstAdded + addedCount - 1);
    UpdateDiskFullRow();
    const DWORD_PTR diskFull = static_cast<DWORD_PTR>(kDiskFullRowData);
    m_list.DeleteRowsWhere(
        [&shown, diskFull](const VIRTUAL_LIST_ROW& row) { return row.data != diskFull && shown.count(row.data) == 0; });
    m_list.NumberRows(0);
}

std::unordered_map<DWORD_PTR, int> CTaskListView::RowsByData() const {
    std::unordered_map<DWORD_PTR, int> rows;
    for (int row = 0; row < m_list.RowCount(); ++row) rows.emplace(m_list.GetItemData(row), row);
    return rows;
}

void CTaskListView::UpdateDiskFullRow() {
    const DWORD_PTR diskFull = static_cast<DWORD_PTR>(kDiskFullRowData);
    int row = m_list.FindRowByData(diskFull);
    const bool stopped = Engine().IsDiskFull() && GetAppConfig()->m_nDriveOverMode == 1;
    const int last = m_list.RowCount() - 1;
    if (row >= 0 && (!stopped || row != last)) {
        m_list.DeleteRow(row);
        row = -1;
    }
    if (!stopped) return;
    if (row < 0) {
        VIRTUAL_LIST_ROW full;
        full.cells = {CString(), Translate(L"Disk is full,schedule stop download.")};
        full.data = diskFull;
        row = m_list.AppendRow(full);
    }
    SelectRow(row);
}

void CTaskListView::SelectRow(int row) {
    m_list.EnsureVisible(row, FALSE);
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
