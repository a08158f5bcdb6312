#include "CBackupProjectDlg.h"

#include <unordered_map>
#include <utility>
#include <vector>

#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/FileUtil.h"
#include "app/engine/CBackupEngine.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/ListCheckBoxes.h"
#include "app/ui/dialogs/schedules/ScheduleUiSupport.h"
#include "app/ui/dialogs/resource.h"

namespace {

const int kLogScheduleSaved = 1024;

struct ColumnLayout {
    const wchar_t* title;
    int width;
};

const ColumnLayout kColumns[] = {
    {L"No.", 50},          {L"Device", 100},  {L"Channel", 100},           {L"Schedule Time", 80},
    {L"Week Enable", 180}, {L"Ago Type", 60}, {L"Device Record Time", 100}};

CString FormatWindow(TIME_RANGE range) { return range.FormatStart() + L"~" + range.FormatEnd(); }

// The translated texts that repeat down the list, made once per fill: with
// 100 000 schedules, translating every row's weekdays again was a good part
// of opening the list.
class ScheduleRowWords {
public:
    ScheduleRowWords() {
        for (int day = 0; day < kDaysPerWeek; ++day) m_weekdayNames[day] = WeekdayName(day);
        for (int agoType = 0; agoType < kAgoTypeCount; ++agoType) m_agoTypes[agoType] = AgoTypeName(agoType);
    }

    // The enabled days, "Sunday,Monday,...": one text per set of days.
    const CString& Weekdays(const BACKUP_SCHEDULE& schedule) {
        unsigned days = 0;
        for (int day = 0; day < kDaysPerWeek; ++day) {
            if (schedule.WeekDayEnable[day] == 1) days |= 1u << day;
        }
        auto known = m_weekdays.find(days);
        if (known == m_weekdays.end()) known = m_weekdays.emplace(days, JoinedDays(days)).first;
        return known->second;
    }

    CString AgoType(int agoType) const {
        return agoType >= 0 && agoType < kAgoTypeCount ? m_agoTypes[agoType] : CString();
    }

private:
    CString JoinedDays(unsigned days) const {
        CString text;
        for (int day = 0; day < kDaysPerWeek; ++day) {
            if (days & (1u << day)) text += m_weekdayNames[day] + L",";
        }
        text.TrimRight(L',');
        return text;
    }

    CString m_weekdayNames[kDaysPerWeek];
    CString m_agoTypes[kAgoTypeCount];
    std::unordered_map<unsigned, CString> m_weekdays;
};

VIRTUAL_LIST_ROW ScheduleRow(int index, const BACKUP_SCHEDULE& schedule, const SCHEDULE_DEVICE& device,
                             ScheduleRowWords& words) {
    VIRTUAL_LIST_ROW row;
    wchar_t number[16];
    _itow(index + 1, number, 10);
    row.cells.reserve(7);
    row.cells.emplace_back(number);
    row.cells.push_back(device.title);
    row.cells.push_back(ChannelName(device, schedule.ChannelIndex));
    row.cells.push_back(FormatWindow(schedule.RunTime));
    row.cells.push_back(words.Weekdays(schedule));
    row.cells.push_back(words.AgoType(schedule.AgoType));
    row.cells.push_back(FormatWindow(schedule.RecordTime));
    row.data = static_cast<DWORD_PTR>(schedule.id);
    return row;
}

}  // namespace

BEGIN_MESSAGE_MAP(CBackupProjectDlg, CDialog)
ON_BN_CLICKED(IDC_PROJECT_ADD, &CBackupProjectDlg::OnAdd)
ON_BN_CLICKED(IDC_PROJECT_MODIFY, &CBackupProjectDlg::OnModify)
ON_BN_CLICKED(IDC_PROJECT_DELETE, &CBackupProjectDlg::OnDelete)
ON_BN_CLICKED(IDC_PROJECT_OK, &CBackupProjectDlg::OnSave)
ON_BN_CLICKED(IDC_PROJECT_CANCEL, &CBackupProjectDlg::OnCancelButton)
ON_WM_CLOSE()
ON_NOTIFY(LVN_ITEMCHANGED, IDC_PROJECT_LIST, &CBackupProjectDlg::OnListItemChanged)
END_MESSAGE_MAP()

CBackupProjectDlg::CBackupProjectDlg(CWnd* parent)
    : CDialog(IDD_BACKUP_PROJECT, parent), m_editor(this), m_checkedCount(0), m_checkAll(0) {}

CBackupProjectDlg::~CBackupProjectDlg() {
    if (m_editor.GetSafeHwnd()) m_editor.DestroyWindow();
}

void CBackupProjectDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROJECT_LIST, m_list);
}

BOOL CBackupProjectDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    GetInitLanguage()->TranslateDialog(this);
    m_store.ClearAuto();
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    InsertColumns();
    LoadScheduleList(1);
    m_editor.Create(IDD_PROJECT_EDIT, this);
    return TRUE;
}

void CBackupProjectDlg::InsertColumns() {
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i) {
        m_list.InsertColumn(i, Translate(kColumns[i].title), LVCFMT_LEFT, kColumns[i].width);
    }
}

int CBackupProjectDlg::LoadScheduleList(int reload) {
    std::vector<SCHEDULE_DEVICE> devices = ReadConfiguredDevices();
    std::unordered_map<int, const SCHEDULE_DEVICE*> byId;
    for (const SCHEDULE_DEVICE& device : devices) byId.emplace(device.id, &device);
    if (reload == 1) m_store.Load(JoinPath(GetAppConfig()->GetUserDir(), L"backupschedule.xml"));

    std::vector<BACKUP_SCHEDULE> schedules;
    std::vector<VIRTUAL_LIST_ROW> rows;
    if (m_store.ListAll(schedules, FALSE) == 0) {
        const SCHEDULE_DEVICE missing;
        ScheduleRowWords words;
        rows.reserve(schedules.size());
        for (int i = 0; i < static_cast<int>(schedules.size()); ++i) {
            const auto device = byId.find(schedules[i].DevID);
            rows.push_back(ScheduleRow(i, schedules[i], device == byId.end() ? missing : *device->second, words));
        }
    }
    m_list.SetRows(std::move(rows));
    // The new rows are all unticked, whatever the old ones carried.
    m_checkedCount = 0;
    m_checkAll = 0;
    UpdateButtons();
    // The editor about to be made shows the same devices: one read of the file.
    if (!m_editor.GetSafeHwnd()) m_editor.OfferDevices(std::move(devices));
    return 0;
}

void CBackupProjectDlg::OnListItemChanged(NMHDR* header, LRESULT* result) {
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    *result = 0;
    // Counted from the rows: one change may stand for every row (item -1).
    if (change->uChanged & LVIF_STATE) m_checkedCount = m_list.CheckedCount();
    UpdateButtons();
}

BOOL CBackupProjectDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // The header is the list's child; its double-click reaches this dialog
    // only as relayed by the list, so it is recognised by its window.
    if (IsFirstHeaderDoubleClick(m_list, lParam)) {
        ToggleAllTicks();
        *result = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

void CBackupProjectDlg::ToggleAllTicks() {
    if (!ToggleAllChecks(m_list, m_checkAll)) return;
    m_checkedCount = m_list.CheckedCount();
    UpdateButtons();
}

void CBackupProjectDlg::UpdateButtons() {
    GetDlgItem(IDC_PROJECT_DELETE)->EnableWindow(m_checkedCount > 0);
    GetDlgItem(IDC_PROJECT_MODIFY)->EnableWindow(m_list.GetSelectedCount() > 0);
}

void CBackupProjectDlg::ShowEditor() {
    if (!m_editor.IsWindowVisible()) m_editor.ShowWindow(SW_SHOW);
}

void CBackupProjectDlg::OnAdd() {
    if (!m_editor.GetSafeHwnd()) m_editor.Create(IDD_PROJECT_EDIT, this);
    m_editor.SetEditMode(0);
    m_editor.ResetForNew();
    ShowEditor();
}

void CBackupProjectDlg::OnModify() {
    POSITION position = m_list.GetFirstSelectedItemPosition();
    if (!position) return;
    const int row = m_list.GetNextSelectedItem(position);
    if (!m_editor.GetSafeHwnd()) m_editor.Create(IDD_PROJECT_EDIT, this);
    m_editor.SetEditMode(1);
    m_editor.LoadSchedule(m_store.GetSchedule(static_cast<int>(m_list.GetItemData(row))));
    ShowEditor();
}

void CBackupProjectDlg::OnDelete() {
    if (m_checkedCount == 0 || m_list.CheckedCount() == 0) return;
    if (ShowDodavoziBox(this, Translate(L"Are you sure to del selected schedule info?"),
                        MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
        return;
    }
    for (int row = m_list.RowCount() - 1; row >= 0; --row) {
        if (m_list.GetCheck(row)) m_store.DeleteAuto(static_cast<int>(m_list.GetItemData(row)));
    }
    LoadScheduleList(0);
}

void CBackupProjectDlg::OnSave() {
    // A schedule file that was not written must not be logged as saved: the
    // operator keeps the dialog and the edits to try again.
    if (m_store.Save(CString()) != 0) {
        ShowDodavoziBox(this, Translate(L"Save backup schedule failed!"), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShowDodavoziBox(this, Translate(L"If backup schedule is changed,schedule will be affect in next start schedule."),
                    MB_OK | MB_ICONINFORMATION);
    CString text;
    text.Format(L"%s %s", (LPCWSTR)Translate(L"Backup Project"), (LPCWSTR)Translate(L"Save succeed!"));
    GetBackupEngine().AddLogRecord(NewLogEntry(1, kLogScheduleSaved, text));
    EndDialog(IDOK);
}

void CBackupProjectDlg::OnCancelButton() { EndDialog(IDCANCEL); }

void CBackupProjectDlg::OnClose() {
    if (m_editor.GetSafeHwnd() && m_editor.IsWindowVisible()) m_editor.ShowWindow(SW_HIDE);
    EndDialog(IDCANCEL);
}

void CBackupProjectDlg::OnOK() {}

void CBackupProjectDlg::OnCancel() {
    if (m_editor.GetSafeHwnd() && m_editor.IsWindowVisible()) m_editor.ShowWindow(SW_HIDE);
}
