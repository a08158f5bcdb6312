#include "CProjectEditDlg.h"

#include "app/core/CInitLanguage.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/dialogs/schedules/CBackupProjectDlg.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/schedules/ScheduleUiSupport.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CRedrawPause.h"
#include "app/ui/toolkit/ControlCall.h"
#include "app/ui/toolkit/WindowUtil.h"

namespace {

// Posted after a tree click or Space, so that the handler reads the check
// mark the control has already toggled.
const UINT kMsgTreeCheckToggled = WM_APP + 0x138;

const int kSavedRectIds[] = {IDC_PROJEDIT_DEVICE_LABEL,
                             IDC_PROJEDIT_CHANNEL_LABEL,
                             IDC_PROJEDIT_DEVICE,
                             IDC_PROJEDIT_CHANNEL,
                             IDC_PROJEDIT_TREE,
                             IDC_PROJEDIT_RECORD_LABEL,
                             IDC_PROJEDIT_AGO,
                             IDC_PROJEDIT_RECORD_START,
                             IDC_PROJEDIT_RECORD_END,
                             IDOK,
                             IDCANCEL};

// The controls below the device row: pushed under the tree in multi mode.
const int kBelowTreeIds[] = {
    IDC_PROJEDIT_RECORD_LABEL, IDC_PROJEDIT_AGO, IDC_PROJEDIT_RECORD_START, IDC_PROJEDIT_RECORD_END, IDOK, IDCANCEL};
// Everything from the device row down: raised into the place of the hidden
// "Multi Channel" box in modify mode.
const int kDeviceRowAndBelowIds[] = {IDC_PROJEDIT_DEVICE_LABEL,
                                     IDC_PROJEDIT_DEVICE,
                                     IDC_PROJEDIT_CHANNEL_LABEL,
                                     IDC_PROJEDIT_CHANNEL,
                                     IDC_PROJEDIT_RECORD_LABEL,
                                     IDC_PROJEDIT_AGO,
                                     IDC_PROJEDIT_RECORD_START,
                                     IDC_PROJEDIT_RECORD_END,
                                     IDOK,
                                     IDCANCEL};
const int kTreeDrop = 245;
const int kModifyRaise = -25;

template <size_t N>
int CountOf(const int (&)[N]) {
    return static_cast<int>(N);
}

int WeekdayCheckId(int day) { return day == 0 ? IDC_PROJEDIT_SUNDAY : IDC_PROJEDIT_MONDAY + day - 1; }

CTime TimeOfDay(int hour, int minute) { return CTime(2000, 1, 1, hour, minute, 0); }

void ReadHourMinute(const CDateTimeCtrl& picker, uint8_t* hour, uint8_t* minute) {
    CTime time;
    picker.GetTime(time);
    *hour = static_cast<uint8_t>(time.GetHour());
    *minute = static_cast<uint8_t>(time.GetMinute());
}

int MinutesOf(uint8_t hour, uint8_t minute) { return hour * 60 + minute; }

}  // namespace

BEGIN_MESSAGE_MAP(CProjectEditDlg, CDialog)
ON_WM_CLOSE()
ON_BN_CLICKED(IDC_PROJEDIT_WEEKDAY_ALL, &CProjectEditDlg::OnWeekdayButton)
ON_BN_CLICKED(IDC_PROJEDIT_MULTI, &CProjectEditDlg::OnMultiChannel)
ON_CBN_SELCHANGE(IDC_PROJEDIT_DEVICE, &CProjectEditDlg::OnDeviceChanged)
ON_NOTIFY(NM_CLICK, IDC_PROJEDIT_TREE, &CProjectEditDlg::OnTreeClick)
ON_NOTIFY(TVN_KEYDOWN, IDC_PROJEDIT_TREE, &CProjectEditDlg::OnTreeKeyDown)
ON_NOTIFY_RANGE(DTN_DATETIMECHANGE, IDC_PROJEDIT_RUN_START, IDC_PROJEDIT_RUN_END, &CProjectEditDlg::OnTimeChanged)
ON_NOTIFY_RANGE(DTN_DATETIMECHANGE, IDC_PROJEDIT_RECORD_START, IDC_PROJEDIT_RECORD_END, &CProjectEditDlg::OnTimeChanged)
ON_MESSAGE(kMsgTreeCheckToggled, &CProjectEditDlg::OnTreeCheckToggled)
END_MESSAGE_MAP()

CProjectEditDlg::CProjectEditDlg(CBackupProjectDlg* list)
    : CDialog(IDD_PROJECT_EDIT, list),
      m_root(nullptr),
      m_multiChannel(0),
      m_weekdayToggle(0),
      m_editMode(kModeAdd),
      m_scheduleId(0),
      m_scheduleDevId(0),
      m_scheduleChannel(0),
      m_scheduleAgoType(0),
      m_listDialog(list) {
    for (int day = 0; day < kDaysPerWeek; ++day) m_weekdays[day] = 1;
}

void CProjectEditDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROJEDIT_DEVICE, m_deviceCombo);
    DDX_Control(dx, IDC_PROJEDIT_CHANNEL, m_channelCombo);
    DDX_Control(dx, IDC_PROJEDIT_AGO, m_agoCombo);
    DDX_Control(dx, IDC_PROJEDIT_RUN_START, m_runStart);
    DDX_Control(dx, IDC_PROJEDIT_RUN_END, m_runEnd);
    DDX_Control(dx, IDC_PROJEDIT_RECORD_START, m_recordStart);
    DDX_Control(dx, IDC_PROJEDIT_RECORD_END, m_recordEnd);
    DDX_Control(dx, IDC_PROJEDIT_TREE, m_tree);
    DDX_Control(dx, IDC_PROJEDIT_MULTI, m_multiButton);
}

BOOL CProjectEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    CenterWindow();
    for (int agoType = 0; agoType < kAgoTypeCount; ++agoType) m_agoCombo.AddString(AgoTypeName(agoType));
    for (CDateTimeCtrl* picker : {&m_runStart, &m_runEnd, &m_recordStart, &m_recordEnd}) picker->SetFormat(L"HH:mm");
    EnableTreeCheckBoxes(m_tree);
    FillDeviceList();
    for (int i = 0; i < kSavedRectCount; ++i) m_startRects[i] = GetCtrlRect(this, kSavedRectIds[i]);
    m_weekdayToggle = 0;
    return TRUE;
}

CRect CProjectEditDlg::StartRect(int id) const {
    for (int i = 0; i < kSavedRectCount; ++i) {
        if (kSavedRectIds[i] == id) return m_startRects[i];
    }
    return CRect();
}

void CProjectEditDlg::OfferDevices(std::vector<SCHEDULE_DEVICE> devices) {
    m_devices = std::move(devices);
    m_devicesOffered = true;
}

void CProjectEditDlg::FillDeviceList() {
    if (!m_devicesOffered) m_devices = ReadConfiguredDevices();
    m_devicesOffered = false;
    if (!GetSafeHwnd()) return;

    const std::vector<CString> titles = DeviceTitles();
    FillComboBox(m_deviceCombo.m_hWnd, titles);
    AdjustComboDropWidth(&m_deviceCombo, titles);
    m_channelCombo.ResetContent();
    // A tree never shown is left to be built when "Multi Channel" first
    // shows it: thousands of channel items cost more than the whole editor.
    if (m_treeFilled) FillTree(titles);
    // A schedule being modified keeps its own device when the list is
    // re-read; a new one starts on the first device.
    if (m_editMode == kModeModify) {
        SelectDeviceAndChannel(m_scheduleDevId, m_scheduleChannel);
    } else if (m_deviceCombo.GetCount() > 0) {
        m_deviceCombo.SetCurSel(0);
        FillChannelCombo(0);
    }
}

std::vector<CString> CProjectEditDlg::DeviceTitles() const {
    std::vector<CString> titles;
    titles.reserve(m_devices.size());
    for (const SCHEDULE_DEVICE& device : m_devices) titles.push_back(device.title);
    return titles;
}

void CProjectEditDlg::FillTree(const std::vector<CString>& titles) {
    m_treeFilled = true;
    CRedrawPause pause(m_tree.m_hWnd);
    m_tree.DeleteAllItems();
    m_root = nullptr;
    if (!m_devices.empty()) m_root = InsertCheckItem(m_tree, Translate(L"All Devices"), nullptr, 0);
    // Devices are made expanded while the root is still closed: their
    // channels go in without the tree laying out what it shows, and without
    // two expand notifications per device.
    for (size_t i = 0; i < m_devices.size(); ++i) {
        const SCHEDULE_DEVICE& device = m_devices[i];
        HTREEITEM deviceItem = InsertCheckItem(m_tree, titles[i], m_root, static_cast<DWORD_PTR>(device.id), true);
        for (size_t channel = 0; channel < device.channels.size(); ++channel) {
            InsertCheckItem(m_tree, device.channels[channel], deviceItem, static_cast<DWORD_PTR>(channel));
        }
    }
    if (m_root) m_tree.Expand(m_root, TVE_EXPAND);
}

void CProjectEditDlg::FillChannelCombo(int deviceIndex) {
    m_channelCombo.ResetContent();
    if (deviceIndex < 0 || deviceIndex >= static_cast<int>(m_devices.size())) return;
    const SCHEDULE_DEVICE& device = m_devices[deviceIndex];
    if (device.channels.empty()) return;
    std::vector<CString> names;
    for (int channel = 0; channel < static_cast<int>(device.channels.size()); ++channel) {
        CString name = device.channels[static_cast<size_t>(channel)];
        if (name.IsEmpty()) name.Format(L"%s %d", (LPCWSTR)Translate(L"Channel"), channel + 1);
        names.push_back(name);
    }
    FillComboBox(m_channelCombo.m_hWnd, names);
    m_channelCombo.SetCurSel(0);
    AdjustComboDropWidth(&m_channelCombo, names);
}

void CProjectEditDlg::OnDeviceChanged() { FillChannelCombo(m_deviceCombo.GetCurSel()); }

void CProjectEditDlg::SelectDeviceAndChannel(int deviceId, int channelIndex) {
    int deviceIndex = -1;
    for (int i = 0; i < static_cast<int>(m_devices.size()); ++i) {
        if (m_devices[i].id == deviceId) deviceIndex = i;
    }
    m_deviceCombo.SetCurSel(deviceIndex);
    FillChannelCombo(deviceIndex);
    if (deviceIndex < 0) return;
    m_channelCombo.SetCurSel(channelIndex >= 0 && channelIndex < m_channelCombo.GetCount() ? channelIndex : -1);
}

void CProjectEditDlg::ShowWeekdays() {
    for (int day = 0; day < kDaysPerWeek; ++day) CheckDlgButton(WeekdayCheckId(day), m_weekdays[day] ? 1 : 0);
}

void CProjectEditDlg::ReadControls() {
    for (int day = 0; day < kDaysPerWeek; ++day) m_weekdays[day] = IsDlgButtonChecked(WeekdayCheckId(day)) ? 1 : 0;
    m_multiChannel = m_multiButton.GetCheck() == BST_CHECKED ? 1 : 0;
}

void CProjectEditDlg::PlaceControls(const int* ids, int count, int dy) {
    for (int i = 0; i < count; ++i) {
        CRect rect = StartRect(ids[i]);
        rect.OffsetRect(0, dy);
        MoveCtrlTo(this, ids[i], rect);
    }
}

void CProjectEditDlg::FitWindowToButtons() {
    const CRect cancel = GetCtrlRect(this, IDCANCEL);
    SetWindowPos(nullptr, 0, 0, cancel.right + 45, cancel.bottom + 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow(GetOwner());
}

void CProjectEditDlg::ShowSingleControls(BOOL single) {
    const int show = single ? SW_SHOW : SW_HIDE;
    m_tree.ShowWindow(single ? SW_HIDE : SW_SHOW);
    m_deviceCombo.ShowWindow(show);
    m_channelCombo.ShowWindow(show);
    GetDlgItem(IDC_PROJEDIT_DEVICE_LABEL)->ShowWindow(show);
    GetDlgItem(IDC_PROJEDIT_CHANNEL_LABEL)->ShowWindow(show);
}

void CProjectEditDlg::ResetForNew() {
    for (int day = 0; day < kDaysPerWeek; ++day) m_weekdays[day] = 1;
    ShowWeekdays();
    const CTime start = TimeOfDay(0, 0), end = TimeOfDay(23, 59);
    m_runStart.SetTime(&start);
    m_runEnd.SetTime(&end);
    m_recordStart.SetTime(&start);
    m_recordEnd.SetTime(&end);
    if (m_deviceCombo.GetCount() > 0) {
        m_deviceCombo.SetCurSel(0);
        FillChannelCombo(0);
    }
    if (m_channelCombo.GetCount() > 0) m_channelCombo.SetCurSel(0);
    m_agoCombo.SetCurSel(1);
    if (m_root) {
        m_tree.SetCheck(m_root, FALSE);
        SetSubtreeCheck(m_tree, m_root, FALSE);
    }
    m_multiButton.ShowWindow(SW_SHOW);
    m_multiButton.SetCheck(BST_UNCHECKED);
    m_multiChannel = 0;
    ShowSingleControls(TRUE);
    PlaceControls(kDeviceRowAndBelowIds, CountOf(kDeviceRowAndBelowIds), 0);
    FitWindowToButtons();
}

void CProjectEditDlg::LoadSchedule(BACKUP_SCHEDULE schedule) {
    m_scheduleId = schedule.id;
    m_scheduleDevId = schedule.DevID;
    m_scheduleChannel = schedule.ChannelIndex;
    m_scheduleAgoType = schedule.AgoType;
    for (int day = 0; day < kDaysPerWeek; ++day) m_weekdays[day] = schedule.WeekDayEnable[day] == 1 ? 1 : 0;
    ShowWeekdays();
    const CTime runStart = schedule.RunTime.GetStartTime(), runEnd = schedule.RunTime.GetEndTime();
    const CTime recordStart = schedule.RecordTime.GetStartTime(), recordEnd = schedule.RecordTime.GetEndTime();
    m_runStart.SetTime(&runStart);
    m_runEnd.SetTime(&runEnd);
    m_recordStart.SetTime(&recordStart);
    m_recordEnd.SetTime(&recordEnd);
    // An AgoType no item names stays unselected and is stored back as it
    // was unless the operator picks one.
    m_agoCombo.SetCurSel(schedule.AgoType >= 0 && schedule.AgoType < kAgoTypeCount ? schedule.AgoType : -1);
    SelectDeviceAndChannel(schedule.DevID, schedule.ChannelIndex);
    m_multiButton.SetCheck(BST_UNCHECKED);
    m_multiButton.ShowWindow(SW_HIDE);
    m_multiChannel = 0;
    ShowSingleControls(TRUE);
    PlaceControls(kDeviceRowAndBelowIds, CountOf(kDeviceRowAndBelowIds), kModifyRaise);
    FitWindowToButtons();
}

void CProjectEditDlg::OnWeekdayButton() {
    m_weekdayToggle = m_weekdayToggle ? 0 : 1;
    for (int day = 0; day < kDaysPerWeek; ++day) m_weekdays[day] = m_weekdayToggle;
    ShowWeekdays();
}

void CProjectEditDlg::OnMultiChannel() {
    ReadControls();
    if (m_multiChannel && !m_treeFilled) FillTree(DeviceTitles());
    ShowSingleControls(m_multiChannel ? FALSE : TRUE);
    PlaceControls(kBelowTreeIds, CountOf(kBelowTreeIds), m_multiChannel ? kTreeDrop : 0);
    FitWindowToButtons();
    ReadControls();
}

void CProjectEditDlg::OnTimeChanged(UINT id, NMHDR* header, LRESULT* result) {
    *result = 0;
    CDateTimeCtrl* picker = static_cast<CDateTimeCtrl*>(GetDlgItem(static_cast<int>(id)));
    SYSTEMTIME time = {};
    if (!picker || picker->GetTime(&time) != GDT_VALID || (time.wSecond == 0 && time.wMilliseconds == 0)) return;
    time.wSecond = 0;
    time.wMilliseconds = 0;
    picker->SetTime(&time);
}

void CProjectEditDlg::OnTreeClick(NMHDR* header, LRESULT* result) {
    *result = 0;
    HTREEITEM item = CheckBoxItemAtClick(m_tree);
    if (item) PostMessage(kMsgTreeCheckToggled, 0, reinterpret_cast<LPARAM>(item));
}

void CProjectEditDlg::OnTreeKeyDown(NMHDR* header, LRESULT* result) {
    *result = 0;
    const NMTVKEYDOWN* key = reinterpret_cast<const NMTVKEYDOWN*>(header);
    HTREEITEM item = m_tree.GetSelectedItem();
    if (key->wVKey == VK_SPACE && item) PostMessage(kMsgTreeCheckToggled, 0, reinterpret_cast<LPARAM>(item));
}

LRESULT CProjectEditDlg::OnTreeCheckToggled(WPARAM, LPARAM lParam) {
    ApplyTreeCheck(reinterpret_cast<HTREEITEM>(lParam));
    return 0;
}

void CProjectEditDlg::ApplyTreeCheck(HTREEITEM item) {
    if (!item || !m_root) return;
    const BOOL checked = m_tree.GetCheck(item);
    HTREEITEM parent = m_tree.GetParentItem(item);
    if (item == m_root) {
        SetSubtreeCheck(m_tree, m_root, checked);
    } else if (parent == m_root) {
        SetSubtreeCheck(m_tree, item, checked);
        m_tree.SetCheck(m_root, checked || AnyChildChecked(m_tree, m_root));
    } else if (parent && m_tree.GetParentItem(parent) == m_root) {
        if (checked) {
            m_tree.SetCheck(parent, TRUE);
            m_tree.SetCheck(m_root, TRUE);
        } else {
            if (!AnyChildChecked(m_tree, parent)) m_tree.SetCheck(parent, FALSE);
            if (!AnyChildChecked(m_tree, m_root)) m_tree.SetCheck(m_root, FALSE);
        }
    }
}

void CProjectEditDlg::OnOK() {
    if (!GetOwner() || !m_listDialog) return;
    ReadControls();
    BACKUP_SCHEDULE schedule;
    const int agoSelection = m_agoCombo.GetCurSel();
    if (agoSelection >= 0) {
        schedule.AgoType = agoSelection;
    } else {
        schedule.AgoType = m_editMode == kModeModify ? m_scheduleAgoType : 0;
    }
    ReadHourMinute(m_runStart, &schedule.RunTime.FHour, &schedule.RunTime.FMinute);
    ReadHourMinute(m_runEnd, &schedule.RunTime.THour, &schedule.RunTime.TMinute);
    ReadHourMinute(m_recordStart, &schedule.RecordTime.FHour, &schedule.RecordTime.FMinute);
    ReadHourMinute(m_recordEnd, &schedule.RecordTime.THour, &schedule.RecordTime.TMinute);
    for (int day = 0; day < kDaysPerWeek; ++day) schedule.WeekDayEnable[day] = m_weekdays[day];

    const TIME_RANGE& run = schedule.RunTime;
    const TIME_RANGE& record = schedule.RecordTime;
    if (schedule.AgoType == 0 && MinutesOf(record.THour, record.TMinute) > MinutesOf(run.FHour, run.FMinute)) {
        ShowDodavoziBox(this, Translate(L"Schedule start run time must after device record to backup end time!"),
                        MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (MinutesOf(record.THour, record.TMinute) <= MinutesOf(record.FHour, record.FMinute) ||
        MinutesOf(run.THour, run.TMinute) <= MinutesOf(run.FHour, run.FMinute)) {
        ShowDodavoziBox(this, Translate(L"End time must after start time!"), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const bool stored = m_multiChannel ? StoreChecked(schedule) : StoreSingle(schedule);
    if (!stored) return;
    m_listDialog->LoadScheduleList(0);
    ShowWindow(SW_HIDE);
}

bool CProjectEditDlg::StoreSingle(const BACKUP_SCHEDULE& fields) {
    const int deviceIndex = m_deviceCombo.GetCurSel();
    if (m_editMode == kModeModify && deviceIndex < 0) {
        // The schedule's device was deleted: storing would move the schedule
        // to whatever device the combo showed.
        ShowDodavoziBox(this, Translate(L"The device of this schedule does not exist!"), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (m_channelCombo.GetCount() == 0 || m_channelCombo.GetCurSel() < 0) {
        ShowDodavoziBox(this, Translate(L"Please select a channel at least!"), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    BACKUP_SCHEDULE schedule = fields;
    schedule.DevID = deviceIndex >= 0 ? m_devices[deviceIndex].id : (m_devices.empty() ? 0 : m_devices[0].id);
    schedule.ChannelIndex = m_channelCombo.GetCurSel();
    CBackupScheduleStore& store = m_listDialog->GetStore();
    if (m_editMode != kModeModify) return store.AddAuto(schedule) == 0;
    schedule.id = m_scheduleId;
    if (store.ModifyAuto(m_scheduleId, schedule) != 0) {
        // Deleted in the list while the editor was open: nothing to change.
        ShowDodavoziBox(this, Translate(L"The schedule does not exist!"), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CProjectEditDlg::StoreChecked(const BACKUP_SCHEDULE& fields) {
    int added = 0;
    if (m_editMode != kModeModify && m_root && m_tree.GetCheck(m_root)) {
        CBackupScheduleStore& store = m_listDialog->GetStore();
        const HWND tree = m_tree.m_hWnd;
        for (HTREEITEM device = TreeNextItem(tree, m_root, TVGN_CHILD); device;
             device = TreeNextItem(tree, device, TVGN_NEXT)) {
            if (!TreeItemChecked(tree, device)) continue;
            for (HTREEITEM channel = TreeNextItem(tree, device, TVGN_CHILD); channel;
                 channel = TreeNextItem(tree, channel, TVGN_NEXT)) {
                if (!TreeItemChecked(tree, channel)) continue;
                BACKUP_SCHEDULE schedule = fields;
                schedule.DevID = static_cast<int>(TreeItemData(tree, device));
                schedule.ChannelIndex = static_cast<int>(TreeItemData(tree, channel));
                if (store.AddAuto(schedule) == 0) ++added;
            }
        }
    }
    if (added == 0) {
        ShowDodavoziBox(this, Translate(L"Please select a channel at least!"), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CProjectEditDlg::OnCancel() { ShowWindow(SW_HIDE); }

void CProjectEditDlg::OnClose() { EndDialog(IDCANCEL); }
