#include "CLocalRecManageDlg.h"

#include <AfxDDX.h>

#include <set>
#include <utility>

#include "CRecordEngine.h"
#include "app/ui/dialogs/ListCheckBoxes.h"
#include "CRecordManageDlg.h"
#include "CRecordManageHost.h"
#include "app/ui/dialogs/UnreadableFileNotices.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/FileUtil.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"

IMPLEMENT_DYNAMIC(CLocalRecManageDlg, CDialog)

namespace {

const int kColumnFilePath = 4;
const int kNoSelectedPane = -101;

CString Tr(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

void ShowNotice(CWnd* owner, const wchar_t* key) {
    ShowMessageBox(owner, Tr(key), MB_ICONINFORMATION, Tr(L"Dodavozi"));
}

CString RecordTypeText(int type) {
    if (type == 0) return Tr(L"Common Record File");
    if (type == 1) return Tr(L"Alarm Record File");
    if (type == 2) return Tr(L"Card Record File");
    if (type >= 100 && type <= 103) return Tr(L"Alarm Linkage Record File");
    return Tr(L"Other Record File");
}

CTime Combine(const CTime& date, const CTime& time) {
    return CTime(date.GetYear(), date.GetMonth(), date.GetDay(), time.GetHour(), time.GetMinute(), time.GetSecond());
}

CString FormatInt(int value) {
    CString text;
    text.Format(L"%d", value);
    return text;
}

}  // namespace

CLocalRecManageDlg::CLocalRecManageDlg() : CDialog(IDD_LOCAL_RECORD) {}

BEGIN_MESSAGE_MAP(CLocalRecManageDlg, CDialog)
ON_BN_CLICKED(IDC_LOCALREC_QUERY, OnQuery)
ON_BN_CLICKED(IDC_LOCALREC_DELETE, OnDelete)
ON_BN_CLICKED(IDC_LOCALREC_BACKUP, OnBackup)
ON_BN_CLICKED(IDC_LOCALREC_TOAVI, OnToAvi)
ON_BN_CLICKED(IDC_LOCALREC_PLAY, OnPlay)
ON_CBN_SELCHANGE(IDC_LOCALREC_DEVICE, OnDeviceChange)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_LOCALREC_LIST, OnItemChanged)
ON_NOTIFY(NM_DBLCLK, IDC_LOCALREC_LIST, OnListDblClk)
ON_WM_ACTIVATE()
ON_WM_SIZE()
END_MESSAGE_MAP()

void CLocalRecManageDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOCALREC_DEVICE, m_deviceCombo);
    DDX_Control(dx, IDC_LOCALREC_CHANNEL, m_channelCombo);
    DDX_Control(dx, IDC_LOCALREC_LIST, m_list);
    DDX_Control(dx, IDC_LOCALREC_START_DATE, m_startDatePicker);
    DDX_Control(dx, IDC_LOCALREC_END_DATE, m_endDatePicker);
    DDX_DateTimeCtrl(dx, IDC_LOCALREC_START_DATE, m_startDate);
    DDX_DateTimeCtrl(dx, IDC_LOCALREC_START_TIME, m_startTime);
    DDX_DateTimeCtrl(dx, IDC_LOCALREC_END_DATE, m_endDate);
    DDX_DateTimeCtrl(dx, IDC_LOCALREC_END_TIME, m_endTime);
}

BOOL CLocalRecManageDlg::OnInitDialog() {
    const CTime now = CTime::GetCurrentTime();
    m_startDate = m_startTime = m_endDate = m_endTime = now;
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    CRect client;
    GetClientRect(&client);
    m_resize.m_nLayoutWidth = client.Width();
    m_resize.m_nLayoutHeight = client.Height();
    AddLayoutCtrlVH(this, IDC_LOCALREC_LIST, 1, 1, 1, 1, 0, 0, m_resize.m_layoutItems);
    for (int id : {IDC_LOCALREC_DELETE, IDC_LOCALREC_BACKUP, IDC_LOCALREC_TOAVI, IDC_LOCALREC_PLAY})
        AddLayoutCtrlVH(this, id, 0, 1, 1, 1, 0, 0, m_resize.m_layoutItems);
    m_checkedCount = 0;
    CheckRadioButton(IDC_LOCALREC_TYPE_RECORD, IDC_LOCALREC_TYPE_OTHER, IDC_LOCALREC_TYPE_RECORD);
    SetUpColumns();
    ResetPage();
    m_deviceCombo.SetFocus();
    return FALSE;
}

void CLocalRecManageDlg::SetUpColumns() {
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT |
                            LVS_EX_FLATSB);
    m_list.InsertColumn(0, Tr(L"No."), LVCFMT_CENTER, 50);
    m_list.InsertColumn(1, Tr(L"StartTime"), LVCFMT_CENTER, 120);
    m_list.InsertColumn(2, Tr(L"EndTime"), LVCFMT_CENTER, 120);
    m_list.InsertColumn(3, Tr(L"Length") + L"(KB)", LVCFMT_CENTER, 60);
    m_list.InsertColumn(4, Tr(L"FilePath"), LVCFMT_CENTER, 120);
    m_list.InsertColumn(5, Tr(L"RecordType"), LVCFMT_CENTER, 170);
}

void CLocalRecManageDlg::ResetPage() {
    m_selectAll = FALSE;
    m_checkedCount = 0;
    const CTime now = CTime::GetCurrentTime();
    m_endDate = m_endTime = m_startTime = now;
    m_startDate = now - CTimeSpan(1, 0, 0, 0);
    UpdateData(FALSE);
    FillDeviceCombo();
}

void CLocalRecManageDlg::FillDeviceCombo() {
    CDeviceManager devices;
    devices.OpenDeviceFile(GetAppConfig()->GetDeviceFile());
    m_devices.clear();
    devices.GetAllDevices(m_devices);
    m_deviceCombo.ResetContent();
    m_channelCombo.ResetContent();
    for (const DEVICE_RECORD& device : m_devices) {
        int item = m_deviceCombo.AddString(CString(device.title));
        m_deviceCombo.SetItemData(item, static_cast<DWORD_PTR>(device.id));
    }
    int unknown = m_deviceCombo.AddString(Tr(L"UnKnow"));
    m_deviceCombo.SetItemData(unknown, static_cast<DWORD_PTR>(-1));
    AdjustComboDropWidth(&m_deviceCombo);
    m_deviceCombo.SetCurSel(0);
    FillChannelCombo();
}

void CLocalRecManageDlg::OnDeviceChange() { FillChannelCombo(); }

void CLocalRecManageDlg::FillChannelCombo() {
    m_channelCombo.ResetContent();
    const int selected = m_deviceCombo.GetCurSel();
    if (selected >= 0 && selected < static_cast<int>(m_devices.size())) {
        const DEVICE_RECORD& device = m_devices[selected];
        const int count = std::min<int>(device.channelCount, static_cast<int>(kMaxChannels));
        for (int i = 0; i < count; ++i) {
            int item = m_channelCombo.AddString(CString(device.channels[i].name));
            m_channelCombo.SetItemData(item, static_cast<DWORD_PTR>(device.channels[i].channelId));
        }
    }
    AdjustComboDropWidth(&m_channelCombo);
    m_channelCombo.SetCurSel(0);
}

int CLocalRecManageDlg::CheckedRecordType() const {
    if (IsDlgButtonChecked(IDC_LOCALREC_TYPE_ALARM)) return 1;
    if (IsDlgButtonChecked(IDC_LOCALREC_TYPE_OTHER)) return 3;
    return -1;
}

void CLocalRecManageDlg::OnQuery() {
    UpdateData(TRUE);
    const CTime start = Combine(m_startDate, m_startTime);
    const CTime end = Combine(m_endDate, m_endTime);
    if (end < start) return;
    const CString from = start.Format(L"%Y-%m-%d %H:%M:%S");
    const CString to = end.Format(L"%Y-%m-%d %H:%M:%S");
    const int type = CheckedRecordType();
    const int device =
        m_deviceCombo.GetCurSel() < 0
            ? -1
            : static_cast<int>(static_cast<INT_PTR>(m_deviceCombo.GetItemData(m_deviceCombo.GetCurSel())));
    int channel = -1;
    if (m_channelCombo.GetCurSel() >= 0) {
        channel = static_cast<int>(m_channelCombo.GetItemData(m_channelCombo.GetCurSel()));
        if (channel != 1000) channel %= 1000;
    }
    RecordFilter filter;
    filter.overlapFrom = from;
    filter.overlapTo = to;
    filter.devId = device;
    filter.channel = channel;
    filter.type = type;
    filter.fileType = 0;
    m_result.clear();
    const int searched = GetRecordEngine().RecordList().SearchRecords(m_result, filter);
    // Rows read before a failure are no answer to the search.
    if (searched != 0) m_result.clear();
    if (searched != 0)
        ShowReadFailure(this, L"The record list could not be read!");
    else if (m_result.empty())
        ShowNotice(this, L"No record");
    std::vector<VIRTUAL_LIST_ROW> rows(m_result.size());
    for (size_t i = 0; i < m_result.size(); ++i) rows[i] = ResultRow(static_cast<int>(i));
    m_list.SetRows(std::move(rows));
    m_selectAll = FALSE;
    m_checkedCount = 0;
    UpdateButtons();
}

VIRTUAL_LIST_ROW CLocalRecManageDlg::ResultRow(int index) const {
    const RECORD_LIST_ROW& result = m_result[index];
    VIRTUAL_LIST_ROW row;
    row.cells = {FormatInt(index + 1),        result.C_StartTime, result.C_EndTime,
                 FormatInt(result.L_FileLen), result.C_FilePath,  RecordTypeText(result.I_Type)};
    row.data = static_cast<DWORD_PTR>(index);
    return row;
}

void CLocalRecManageDlg::OnDelete() {
    if (ShowMessageBox(this, Tr(L"You sure to delete those selected?"), MB_OKCANCEL | MB_ICONQUESTION,
                       Tr(L"Dodavozi")) != IDOK)
        return;
    CRecordEngine& engine = GetRecordEngine();
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        if (!m_list.GetCheck(row)) continue;
        m_list.SetCheck(row, FALSE);
        const CString path = m_list.GetItemText(row, kColumnFilePath);
        if (engine.IsFileInUse(path) || engine.FindTaskByPath(path) || engine.IsFileInBackupCopy(path)) continue;
        // A file already gone counts as deleted; one that stays keeps its row.
        if (DeleteFileChecked(path) == -2) continue;
        RecordFilter samePath;
        samePath.filePath = path;
        if (engine.RecordList().Delete(samePath) != 0) continue;
        m_list.DeleteRow(row);
    }
    m_list.NumberRows(0);
    m_selectAll = FALSE;
    m_checkedCount = 0;
    UpdateButtons();
}

void CLocalRecManageDlg::OnBackup() {
    CRecordManageHost* host = m_manager ? m_manager->GetHost() : nullptr;
    if (!host) return;
    const CString folder =
        host->ChooseFolder(this, Tr(L"Select Backup Directory:"), Tr(L"Select Backup Directory Faild!"));
    if (folder.IsEmpty()) return;
    int added = 0;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (!m_list.GetCheck(row)) continue;
        m_list.SetCheck(row, FALSE);
        BACKUP_COPY_ITEM item;
        item.sourceFile = m_list.GetItemText(row, kColumnFilePath);
        item.targetDir = folder;
        GetRecordEngine().AddBackupCopyFile(item);
        ++added;
    }
    if (added > 0) host->StartBackupCopyThread();
    m_selectAll = FALSE;
    m_checkedCount = 0;
    UpdateButtons();
}

CString CLocalRecManageDlg::MakeAviTarget(const CString& folder, const CString& source) {
    CString name = source.Mid(source.ReverseFind(L'\\') + 1);
    const int dot = name.ReverseFind(L'.');
    if (dot >= 0) name = name.Left(dot);
    std::set<CString> taken;
    std::vector<BACKUP_TASK> tasks;
    BACKUP_TASK all;
    all.id = -1;
    GetRecordEngine().GetTask(&tasks, &all);
    for (const BACKUP_TASK& task : tasks) {
        CString output = task.outputPath;
        taken.insert(output.MakeLower());
    }
    // The writer replaces what it is given: an earlier conversion on disk,
    // like a queued one, keeps its name and the new file takes the next.
    const auto isTaken = [&taken](const CString& path) {
        return taken.count(CString(path).MakeLower()) != 0 || FileExists(1, path);
    };
    CString target = folder + name + L".avi";
    for (int n = 2; isTaken(target); ++n) target.Format(L"%s%s (%d).avi", folder.GetString(), name.GetString(), n);
    return target;
}

void CLocalRecManageDlg::OnToAvi() {
    CRecordManageHost* host = m_manager ? m_manager->GetHost() : nullptr;
    if (!host) return;
    CString folder =
        host->ChooseFolder(this, Tr(L"Select Destination Directory:"), Tr(L"Select Destination Directory Faild!"));
    if (folder.IsEmpty()) return;
    folder += L"\\";
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (!m_list.GetCheck(row)) continue;
        m_list.SetCheck(row, FALSE);
        BACKUP_TASK task;
        task.type = BACKUP_TASK_LOCAL;
        task.sourcePath = m_list.GetItemText(row, kColumnFilePath);
        task.outputPath = MakeAviTarget(folder, task.sourcePath);
        GetRecordEngine().AddTask(task);
    }
    m_selectAll = FALSE;
    m_checkedCount = 0;
    UpdateButtons();
    if (!m_manager) return;
    m_manager->m_aviPage.RefreshTaskList();
    m_manager->m_tab.SetCurSel(1);
    m_manager->OnSelchangeTab();
}

void CLocalRecManageDlg::OnPlay() { PlayRows(-1); }

void CLocalRecManageDlg::PlayRows(int only) {
    std::vector<CString> files;
    int device = 0, channel = 0;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        const bool taken = only < 0 ? m_list.GetCheck(row) != FALSE : row == only;
        m_list.SetCheck(row, FALSE);
        if (!taken) continue;
        files.push_back(m_list.GetItemText(row, kColumnFilePath));
        const size_t index = m_list.GetItemData(row);
        if (index < m_result.size()) {
            device = m_result[index].L_DevID;
            channel = m_result[index].I_ChannelIndex;
        }
    }
    // No file taken: an empty list would stop whatever the pane plays.
    CRecordManageHost* host = m_manager ? m_manager->GetHost() : nullptr;
    if (!files.empty() && host) {
        const int result = host->PlayFilesInPane(-1, device, channel, files);
        if (result == kNoSelectedPane)
            ShowNotice(this, L"Not Select Window");
        else if (result == -1)
            ShowNotice(this, L"Open File Fail");
        else
            m_manager->SelectNextWindow();
    }
    m_selectAll = FALSE;
    m_checkedCount = 0;
    UpdateButtons();
}

void CLocalRecManageDlg::OnItemChanged(NMHDR* header, LRESULT* result) {
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    *result = 0;
    if (!(change->uChanged & LVIF_STATE)) return;
    if ((change->uOldState & LVIS_STATEIMAGEMASK) == (change->uNewState & LVIS_STATEIMAGEMASK)) return;
    // Counted from the rows: one change may stand for every row (item -1).
    m_checkedCount = m_list.CheckedCount();
    UpdateButtons();
}

void CLocalRecManageDlg::OnListDblClk(NMHDR* header, LRESULT* result) {
    const NMITEMACTIVATE* click = reinterpret_cast<const NMITEMACTIVATE*>(header);
    *result = 0;
    if (click->iItem >= 0) PlayRows(click->iItem);
}

BOOL CLocalRecManageDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (IsFirstHeaderDoubleClick(m_list, lParam)) {
        ToggleAllTicks();
        *result = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

void CLocalRecManageDlg::ToggleAllTicks() {
    if (!ToggleAllChecks(m_list, m_selectAll)) return;
    m_checkedCount = m_selectAll ? m_list.GetItemCount() : 0;
    UpdateButtons();
}

void CLocalRecManageDlg::UpdateButtons() {
    const BOOL enable = m_checkedCount > 0;
    for (int id : {IDC_LOCALREC_DELETE, IDC_LOCALREC_BACKUP, IDC_LOCALREC_TOAVI, IDC_LOCALREC_PLAY})
        GetDlgItem(id)->EnableWindow(enable);
}

void CLocalRecManageDlg::OnActivate(UINT state, CWnd* other, BOOL minimized) {
    CDialog::OnActivate(state, other, minimized);
    m_deviceCombo.SetFocus();
}

void CLocalRecManageDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (GetSafeHwnd() && m_resize.m_nLayoutWidth != 0)
        ApplyLayout(this, m_resize.m_nLayoutWidth, m_resize.m_nLayoutHeight, cx, cy, m_resize.m_layoutItems);
}
