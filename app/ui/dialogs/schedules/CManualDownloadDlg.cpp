#include "CManualDownloadDlg.h"

#include <vector>

#include "app/core/CInitLanguage.h"
#include "app/core/DateAddressUtil.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/mainwindow/CDodavoziDlg.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/schedules/ScheduleUiSupport.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/WindowUtil.h"

namespace {

// Posted after a tree click or Space, so that the handler reads the check
// mark the control has already toggled.
const UINT kMsgTreeCheckToggled = WM_APP + 0x157;

// The controls under the channel row: they make room for the tree.
const int kBelowChannelIds[] = {IDC_MANUAL_DATE_LABEL, IDC_MANUAL_DATE, IDC_MANUAL_FROM_LABEL, IDC_MANUAL_FROM,
                                IDC_MANUAL_TO_LABEL,   IDC_MANUAL_TO,   IDC_MANUAL_OK,         IDC_MANUAL_CANCEL};

int DayValue(const CTime& time) { return time.GetYear() * 366 + time.GetMonth() * 31 + time.GetDay(); }

int SecondsOfDay(const CTime& time) { return time.GetHour() * 3600 + time.GetMinute() * 60; }

}  // namespace

BEGIN_MESSAGE_MAP(CManualDownloadDlg, CDialog)
ON_BN_CLICKED(IDC_MANUAL_SINGLE, &CManualDownloadDlg::OnSingleChannel)
ON_BN_CLICKED(IDC_MANUAL_MANY, &CManualDownloadDlg::OnManyChannels)
ON_CBN_SELCHANGE(IDC_MANUAL_DEVICE, &CManualDownloadDlg::OnDeviceChanged)
ON_NOTIFY(NM_CLICK, IDC_MANUAL_TREE, &CManualDownloadDlg::OnTreeClick)
ON_NOTIFY(TVN_KEYDOWN, IDC_MANUAL_TREE, &CManualDownloadDlg::OnTreeKeyDown)
ON_MESSAGE(kMsgTreeCheckToggled, &CManualDownloadDlg::OnTreeCheckToggled)
ON_BN_CLICKED(IDC_MANUAL_OK, &CManualDownloadDlg::OnAddTasks)
ON_BN_CLICKED(IDC_MANUAL_CANCEL, &CManualDownloadDlg::OnCancelButton)
END_MESSAGE_MAP()

CManualDownloadDlg::CManualDownloadDlg(CWnd* parent)
    : CDialog(IDD_MANUAL_DOWNLOAD, parent),
      m_checkedCount(0),
      m_root(nullptr),
      m_clock([] { return CTime::GetCurrentTime(); }) {}

void CManualDownloadDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_MANUAL_DEVICE, m_deviceCombo);
    DDX_Control(dx, IDC_MANUAL_CHANNEL, m_channelCombo);
    DDX_Control(dx, IDC_MANUAL_TREE, m_tree);
    DDX_Control(dx, IDC_MANUAL_DATE, m_date);
    DDX_Control(dx, IDC_MANUAL_FROM, m_from);
    DDX_Control(dx, IDC_MANUAL_TO, m_to);
}

BOOL CManualDownloadDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    SetDefID(IDC_MANUAL_OK);

    CRect tree = GetCtrlRect(this, IDC_MANUAL_TREE);
    tree.OffsetRect(0, GetCtrlRect(this, IDC_MANUAL_DEVICE).top - tree.top);
    m_tree.MoveWindow(&tree);
    m_tree.ShowWindow(SW_HIDE);
    FitBottomToOk();

    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    for (const DEVICE_RECORD& device : devices) {
        const int index = m_deviceCombo.AddString(DeviceTitle(device));
        m_deviceCombo.SetItemData(index, static_cast<DWORD_PTR>(device.id));
    }
    m_deviceCombo.SetCurSel(0);
    if (!devices.empty()) FillChannelCombo(devices[0].id);

    m_images.Create(16, 16, ILC_COLOR32, 0, 1);
    m_tree.SetImageList(&m_images, TVSIL_NORMAL);
    EnableTreeCheckBoxes(m_tree);
    FillTree();

    m_checkedCount = 0;
    GetDlgItem(IDC_MANUAL_OK)->EnableWindow(TRUE);
    CheckDlgButton(IDC_MANUAL_SINGLE, BST_CHECKED);
    CheckDlgButton(IDC_MANUAL_MANY, BST_UNCHECKED);

    m_date.SetFormat(GetLocaleDateOrder() == 2 ? L"yyyy-MM-dd" : L"MM-dd-yyyy");
    m_from.SetFormat(L"HH:mm");
    m_to.SetFormat(L"HH:mm");
    const CTime yesterday = m_clock() - CTimeSpan(1, 0, 0, 0);
    const CTime from(yesterday.GetYear(), yesterday.GetMonth(), yesterday.GetDay(), 0, 0, 0);
    const CTime to(yesterday.GetYear(), yesterday.GetMonth(), yesterday.GetDay(), 23, 59, 0);
    m_date.SetTime(&yesterday);
    m_from.SetTime(&from);
    m_to.SetTime(&to);
    return TRUE;
}

void CManualDownloadDlg::FillChannelCombo(int deviceId) {
    m_channelCombo.ResetContent();
    DEVICE_RECORD device;
    GetBackupEngine().GetDevice(device, deviceId);
    if (device.id != deviceId || deviceId == 0) return;
    for (int channel = 0; channel < device.channelCount && channel < kMaxChannels; ++channel) {
        const int index = m_channelCombo.AddString(ChannelName(device, channel));
        m_channelCombo.SetItemData(index, static_cast<DWORD_PTR>(channel));
    }
    m_channelCombo.SetCurSel(0);
}

void CManualDownloadDlg::FillTree() {
    m_tree.DeleteAllItems();
    m_root = nullptr;
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    if (devices.empty()) return;
    m_root = InsertCheckItem(m_tree, Translate(L"All Devices"), nullptr, kItemRoot);
    if (!m_root) return;
    for (const DEVICE_RECORD& device : devices) {
        HTREEITEM deviceItem = InsertCheckItem(m_tree, DeviceTitle(device), m_root,
                                               kItemDevice | (static_cast<DWORD_PTR>(device.id) & kItemNumberMask));
        for (int channel = 0; channel < device.channelCount && channel < kMaxChannels; ++channel) {
            InsertCheckItem(m_tree, ChannelName(device, channel), deviceItem,
                            kItemChannel | (static_cast<DWORD_PTR>(channel) & kItemNumberMask));
        }
    }
    m_tree.Expand(m_root, TVE_EXPAND);
}

void CManualDownloadDlg::OnDeviceChanged() {
    const int selection = m_deviceCombo.GetCurSel();
    if (selection < 0) {
        m_channelCombo.ResetContent();
        return;
    }
    FillChannelCombo(static_cast<int>(m_deviceCombo.GetItemData(selection)));
}

void CManualDownloadDlg::OnSingleChannel() {
    CheckDlgButton(IDC_MANUAL_SINGLE, BST_CHECKED);
    CheckDlgButton(IDC_MANUAL_MANY, BST_UNCHECKED);
    GetDlgItem(IDC_MANUAL_OK)->EnableWindow(TRUE);
    SwitchLayout(false);
}

void CManualDownloadDlg::OnManyChannels() {
    CheckDlgButton(IDC_MANUAL_SINGLE, BST_UNCHECKED);
    CheckDlgButton(IDC_MANUAL_MANY, BST_CHECKED);
    UpdateOkForCount();
    SwitchLayout(true);
    if (m_root) m_tree.Expand(m_root, TVE_EXPAND);
}

void CManualDownloadDlg::SwitchLayout(bool many) {
    if ((m_tree.IsWindowVisible() != FALSE) == many) return;
    CRect tree, combo;
    m_tree.GetWindowRect(&tree);
    m_deviceCombo.GetWindowRect(&combo);
    const int offset = tree.Height() - combo.Height();
    m_tree.ShowWindow(many ? SW_SHOW : SW_HIDE);
    m_deviceCombo.ShowWindow(many ? SW_HIDE : SW_SHOW);
    m_channelCombo.ShowWindow(many ? SW_HIDE : SW_SHOW);
    for (int id : kBelowChannelIds) OffsetCtrl(this, id, 0, many ? offset : -offset);
    FitBottomToOk();
}

void CManualDownloadDlg::FitBottomToOk() {
    CRect window, client;
    GetWindowRect(&window);
    GetClientRect(&client);
    const int frame = window.Height() - client.Height();
    SetWindowPos(nullptr, 0, 0, window.Width(), GetCtrlRect(this, IDC_MANUAL_OK).bottom + 10 + frame,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CManualDownloadDlg::OnTreeClick(NMHDR* header, LRESULT* result) {
    *result = 0;
    HTREEITEM item = CheckBoxItemAtClick(m_tree);
    if (!item) return;
    m_tree.SelectItem(item);
    PostMessage(kMsgTreeCheckToggled, 0, reinterpret_cast<LPARAM>(item));
}

void CManualDownloadDlg::OnTreeKeyDown(NMHDR* header, LRESULT* result) {
    *result = 0;
    const NMTVKEYDOWN* key = reinterpret_cast<const NMTVKEYDOWN*>(header);
    HTREEITEM item = m_tree.GetSelectedItem();
    // Space toggles the selected item's box like a click: without this the
    // marks and the count behind OK would part ways.
    if (key->wVKey == VK_SPACE && item) PostMessage(kMsgTreeCheckToggled, 0, reinterpret_cast<LPARAM>(item));
}

LRESULT CManualDownloadDlg::OnTreeCheckToggled(WPARAM, LPARAM lParam) {
    ApplyTreeCheck(reinterpret_cast<HTREEITEM>(lParam));
    m_checkedCount = CountCheckedChannels();
    UpdateOkForCount();
    return 0;
}

// A device or the root carries a mark only while everything below it does.
void CManualDownloadDlg::ApplyTreeCheck(HTREEITEM item) {
    if (!item || !m_root) return;
    const BOOL checked = m_tree.GetCheck(item);
    const DWORD_PTR kind = m_tree.GetItemData(item) / kItemKindUnit;
    if (item == m_root) {
        SetSubtreeCheck(m_tree, m_root, checked);
    } else if (kind == kItemDevice / kItemKindUnit) {
        SetSubtreeCheck(m_tree, item, checked);
        m_tree.SetCheck(m_root, checked && AllChildrenChecked(m_tree, m_root));
    } else if (kind == kItemChannel / kItemKindUnit) {
        HTREEITEM device = m_tree.GetParentItem(item);
        m_tree.SetCheck(device, checked && AllChildrenChecked(m_tree, device));
        m_tree.SetCheck(m_root, checked && AllChildrenChecked(m_tree, m_root));
    }
}

int CManualDownloadDlg::CountCheckedChannels() const {
    int count = 0;
    if (!m_root) return 0;
    for (HTREEITEM device = m_tree.GetChildItem(m_root); device; device = m_tree.GetNextSiblingItem(device)) {
        for (HTREEITEM channel = m_tree.GetChildItem(device); channel; channel = m_tree.GetNextSiblingItem(channel)) {
            if (m_tree.GetCheck(channel)) ++count;
        }
    }
    return count;
}

void CManualDownloadDlg::UpdateOkForCount() {
    if (IsDlgButtonChecked(IDC_MANUAL_MANY)) GetDlgItem(IDC_MANUAL_OK)->EnableWindow(m_checkedCount > 0);
}

bool CManualDownloadDlg::IsRecordTimeValid() const {
    CTime date, from, to;
    m_date.GetTime(date);
    m_from.GetTime(from);
    m_to.GetTime(to);
    const CTime now = m_clock();
    if (DayValue(date) > DayValue(now)) return false;
    if (DayValue(date) == DayValue(now)) {
        return SecondsOfDay(from) < SecondsOfDay(now) && SecondsOfDay(to) < SecondsOfDay(now) &&
               SecondsOfDay(from) < SecondsOfDay(to);
    }
    return SecondsOfDay(from) < SecondsOfDay(to);
}

BACKUP_SCHEDULE CManualDownloadDlg::MakeTask(int deviceId, int channelIndex) const {
    CTime date, from, to;
    m_date.GetTime(date);
    m_from.GetTime(from);
    m_to.GetTime(to);
    BACKUP_SCHEDULE task;
    task.DevID = deviceId;
    task.ChannelIndex = channelIndex;
    task.AgoType = kManualAgoType;
    task.RecordTime.FHour = static_cast<uint8_t>(from.GetHour());
    task.RecordTime.FMinute = static_cast<uint8_t>(from.GetMinute());
    task.RecordTime.THour = static_cast<uint8_t>(to.GetHour());
    task.RecordTime.TMinute = static_cast<uint8_t>(to.GetMinute());
    task.EndTime.Year = date.GetYear();
    task.EndTime.Month = static_cast<uint8_t>(date.GetMonth());
    task.EndTime.Day = static_cast<uint8_t>(date.GetDay());
    return task;
}

void CManualDownloadDlg::AddSingleTask(int* added, int* refused) {
    const int device = m_deviceCombo.GetCurSel();
    const int channel = m_channelCombo.GetCurSel();
    if (device < 0 || channel < 0) return;
    BACKUP_SCHEDULE task = MakeTask(static_cast<int>(m_deviceCombo.GetItemData(device)),
                                    static_cast<int>(m_channelCombo.GetItemData(channel)));
    ++(GetBackupEngine().Schedules().AddManual(task) == 0 ? *added : *refused);
}

void CManualDownloadDlg::AddCheckedTasks(int* added, int* refused) {
    if (!m_root) return;
    CBackupScheduleStore& store = GetBackupEngine().Schedules();
    for (HTREEITEM device = m_tree.GetChildItem(m_root); device; device = m_tree.GetNextSiblingItem(device)) {
        const int deviceId = static_cast<int>(m_tree.GetItemData(device) & kItemNumberMask);
        for (HTREEITEM channel = m_tree.GetChildItem(device); channel; channel = m_tree.GetNextSiblingItem(channel)) {
            if (m_tree.GetCheck(channel)) {
                BACKUP_SCHEDULE task =
                    MakeTask(deviceId, static_cast<int>(m_tree.GetItemData(channel) & kItemNumberMask));
                ++(store.AddManual(task) == 0 ? *added : *refused);
            }
            m_tree.SetCheck(channel, FALSE);
        }
        m_tree.SetCheck(device, FALSE);
    }
    m_tree.SetCheck(m_root, FALSE);
    m_checkedCount = 0;
    UpdateOkForCount();
}

void CManualDownloadDlg::OnAddTasks() {
    if (!IsRecordTimeValid()) {
        ShowDodavoziBox(this, Translate(L"Incorrect record time!"), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const bool many = IsDlgButtonChecked(IDC_MANUAL_MANY) != 0;
    if (!many && m_channelCombo.GetCount() == 0) {
        ShowDodavoziBox(this, Translate(L"Please select a channel at least!"), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    int added = 0, refused = 0;
    if (many) {
        AddCheckedTasks(&added, &refused);
    } else {
        AddSingleTask(&added, &refused);
    }
    if (refused > 0) {
        // The store holds a limited number of manual schedules; the operator
        // learns how many channels did not get a task.
        CString text;
        text.Format(L"%s\r\n%s %d", (LPCWSTR)Translate(L"Max manual schedule count reached!"),
                    (LPCWSTR)Translate(L"Tasks not added:"), refused);
        ShowDodavoziBox(this, text, MB_OK | MB_ICONWARNING);
    }
    if (added == 0) {
        if (refused == 0)
            ShowDodavoziBox(this, Translate(L"Please select a channel at least!"), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    GetBackupEngine().StartManualDownload();
    TellMainWindowState();
    EndDialog(IDC_MANUAL_OK);
}

void CManualDownloadDlg::TellMainWindowState() {
    int automaticOn = 0, manualOn = 0;
    GetBackupEngine().GetBackupState(&automaticOn, &manualOn);
    // The dialog runs without a parent: the main window is the program's.
    CDodavoziDlg* mainWindow = dynamic_cast<CDodavoziDlg*>(AfxGetMainWnd());
    if (mainWindow && mainWindow->GetSafeHwnd()) mainWindow->UpdateStartStopButton(!automaticOn && !manualOn);
}

void CManualDownloadDlg::OnOK() { OnAddTasks(); }

void CManualDownloadDlg::OnCancelButton() { EndDialog(IDC_MANUAL_CANCEL); }
