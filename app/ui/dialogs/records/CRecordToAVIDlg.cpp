#include "CRecordToAVIDlg.h"

#include <AfxDDX.h>

#include <set>
#include <vector>

#include "CRecordEngine.h"
#include "app/ui/dialogs/ListCheckBoxes.h"
#include "app/core/CInitLanguage.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"

IMPLEMENT_DYNAMIC(CRecordToAVIDlg, CDialog)

namespace {

const UINT kTickedState = 0x2000;

CString Tr(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

}  // namespace

CRecordToAVIDlg::CRecordToAVIDlg() : CDialog(IDD_RECORD_TO_AVI) {}

BEGIN_MESSAGE_MAP(CRecordToAVIDlg, CDialog)
ON_BN_CLICKED(IDC_TOAVI_CANCEL, OnCancelTasks)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_TOAVI_LIST, OnItemChanged)
ON_WM_SIZE()
ON_WM_TIMER()
END_MESSAGE_MAP()

void CRecordToAVIDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_TOAVI_LIST, m_list);
}

BOOL CRecordToAVIDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    CRect client;
    GetClientRect(&client);
    m_nLayoutWidth = client.Width();
    m_nLayoutHeight = client.Height();
    AddLayoutCtrlVH(this, IDC_TOAVI_LIST, 1, 1, 1, 1, 0, 0, m_layoutItems);
    AddLayoutCtrlVH(this, IDC_TOAVI_CANCEL, 0, 1, 1, 1, 0, 0, m_layoutItems);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                            LVS_EX_FLATSB);
    m_list.InsertColumn(0, Tr(L"No."), LVCFMT_CENTER, 50);
    m_list.InsertColumn(1, Tr(L"Percent"), LVCFMT_CENTER, 120);
    m_list.InsertColumn(2, Tr(L"DstFileName"), LVCFMT_CENTER, 150);
    m_list.InsertColumn(3, Tr(L"SrcFileName"), LVCFMT_CENTER, 150);
    m_convertingId = 0;
    m_selectAll = FALSE;
    m_checkedCount = 0;
    UpdateCancelButton();
    return TRUE;
}

CString CRecordToAVIDlg::StatusText(int status) {
    switch (status) {
        case 0: return Tr(L"Waiting For Process");
        case 1: return Tr(L"Converting");
        case 2: return Tr(L"Convert Done");
        case -1: return Tr(L"Canceled Already");
        case -2: return Tr(L"Error To Open Source File");
        case -3: return Tr(L"Error To Create Dstination File");
        case -4: return Tr(L"Open Decoder Error");
        case -5: return Tr(L"Device isn't login");
        case -6: return Tr(L"Same Channel is In NetReplay");
        case -7: return Tr(L"Same Channel is In DownLoad");
        default: return CString();
    }
}

CString CRecordToAVIDlg::ProgressText(const BACKUP_TASK& task) {
    const CString word = StatusText(task.status);
    if (task.size == 0) return word;
    CString text;
    if (task.type == BACKUP_TASK_DEVICE)
        text.Format(L"%lld%%[%s]", static_cast<long long>(task.done * 100 / task.size), word.GetString());
    else
        text.Format(L"%.1lf%%[%s]", (task.done / 1024.0) * 100 / task.size, word.GetString());
    return text;
}

void CRecordToAVIDlg::AddTaskRow(int row, const BACKUP_TASK& task) {
    CString number;
    number.Format(L"%d", row + 1);
    const int item = m_list.InsertItem(row, number);
    m_list.SetItemData(item, static_cast<DWORD_PTR>(task.id));
    m_list.SetItemText(item, 1, ProgressText(task));
    m_list.SetItemText(item, 2, task.outputPath);
    m_list.SetItemText(item, 3, task.sourcePath);
    if (task.status == 1) m_convertingId = task.id;
}

void CRecordToAVIDlg::RefreshTaskList() {
    int selectedId = 0;
    bool hadSelection = false;
    std::set<int> tickedIds;
    const int selectedRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (selectedRow >= 0) {
        selectedId = static_cast<int>(m_list.GetItemData(selectedRow));
        hadSelection = true;
    }
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        if (m_list.GetCheck(row)) tickedIds.insert(static_cast<int>(m_list.GetItemData(row)));

    m_list.SetRedraw(FALSE);
    m_list.DeleteAllItems();
    m_selectAll = FALSE;
    m_checkedCount = 0;
    UpdateCancelButton();
    std::vector<BACKUP_TASK> tasks;
    BACKUP_TASK all;
    all.id = -1;
    GetRecordEngine().GetTask(&tasks, &all);
    int row = 0, noted = -1;
    for (const BACKUP_TASK& task : tasks) {
        if (task.status == -1) continue;
        AddTaskRow(row, task);
        if (tickedIds.count(task.id)) m_list.SetCheck(row, TRUE);  // counted through LVN_ITEMCHANGED
        if (hadSelection && task.id == selectedId) noted = row;
        ++row;
    }
    if (row > 0) {
        int select = noted;
        for (int i = 0; select < 0 && i < row; ++i)
            if (static_cast<int>(m_list.GetItemData(i)) == m_convertingId) select = i;
        if (select < 0) select = 0;
        m_list.SetItemState(select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(select, FALSE);
        StartStepTimer();
    }
    m_list.SetRedraw(TRUE);
}

void CRecordToAVIDlg::StepQueue() {
    const int rc = GetRecordEngine().RunStep();
    if (rc == 0) {
        for (int row = 0; row < m_list.GetItemCount(); ++row) {
            if (static_cast<int>(m_list.GetItemData(row)) != m_convertingId) continue;
            BACKUP_TASK key;
            key.id = m_convertingId;
            if (GetRecordEngine().GetTask(nullptr, &key) == 0) m_list.SetItemText(row, 1, ProgressText(key));
            break;
        }
    } else if (rc > 0) {
        RefreshTaskList();
    } else {
        m_list.DeleteAllItems();
        StopStepTimer();
        m_convertingId = 0;
    }
}

void CRecordToAVIDlg::StartStepTimer() {
    SetTimer(kStepTimer, 500);
    m_timerRunning = true;
}

void CRecordToAVIDlg::StopStepTimer() {
    KillTimer(kStepTimer);
    m_timerRunning = false;
}

void CRecordToAVIDlg::OnTimer(UINT_PTR id) {
    if (id == kStepTimer) StepQueue();
    CDialog::OnTimer(id);
}

void CRecordToAVIDlg::OnCancelTasks() {
    if (ShowMessageBox(this, Tr(L"Are you sure to cancel the selected task?"), MB_YESNO | MB_ICONQUESTION,
                       Tr(L"Dodavozi")) != IDYES)
        return;
    int removed = 0;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (!m_list.GetCheck(row)) continue;
        BACKUP_TASK key;
        key.id = static_cast<int>(m_list.GetItemData(row));
        GetRecordEngine().RemoveTask(key);
        ++removed;
    }
    if (removed == 0) return;
    GetRecordEngine().RunStep();
    RefreshTaskList();
}

void CRecordToAVIDlg::OnItemChanged(NMHDR* header, LRESULT* result) {
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    *result = 0;
    if (!(change->uChanged & LVIF_STATE)) return;
    const UINT before = change->uOldState & LVIS_STATEIMAGEMASK;
    const UINT after = change->uNewState & LVIS_STATEIMAGEMASK;
    if (before < kTickedState && after >= kTickedState)
        ++m_checkedCount;
    else if (before >= kTickedState && after < kTickedState)
        --m_checkedCount;
    else
        return;
    UpdateCancelButton();
}

BOOL CRecordToAVIDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (IsFirstHeaderDoubleClick(m_list, lParam)) {
        ToggleAllTicks();
        *result = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

void CRecordToAVIDlg::ToggleAllTicks() {
    if (!ToggleAllChecks(m_list, m_selectAll)) return;
    m_checkedCount = m_selectAll ? m_list.GetItemCount() : 0;
    UpdateCancelButton();
}

void CRecordToAVIDlg::UpdateCancelButton() {
    if (CWnd* cancel = GetDlgItem(IDC_TOAVI_CANCEL)) cancel->EnableWindow(m_checkedCount > 0);
}

void CRecordToAVIDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (GetSafeHwnd() && m_nLayoutWidth != 0) ApplyLayout(this, m_nLayoutWidth, m_nLayoutHeight, cx, cy, m_layoutItems);
}
