#include "CDevManageDlg.h"

#include <commdlg.h>
#include <string.h>

#include "CDeviceListCommit.h"
#include "DeviceListHelpers.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/HoverHintTarget.h"
#include "app/ui/dialogs/StoredFileNotices.h"
#include "app/ui/dialogs/mainwindow/TaskListRow.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/SchedulePurge.h"
#include "app/core/TextValues.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/toolkit/ControlCall.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"

namespace {

struct HINT {
    int id;
    const wchar_t* key;
};
const HINT kHints[] = {
    {IDC_DEVMANAGE_USER, L"Please select user!"},
    {IDC_DEVMANAGE_SEARCH, L"Seach device!"},
    {IDC_DEVMANAGE_IMPORT, L"Import device information form other XML file!"},
    {IDC_DEVMANAGE_EXPORT, L"Export current user's device information to other XML file!"},
    {IDC_DEVMANAGE_USEDDNS, L"Check this will login device by DDNS!"},
    {IDC_DEVMANAGE_RESET, L"Clear all input information!"},
    {IDC_DEVMANAGE_ADD, L"Add device information!"},
    {IDC_DEVMANAGE_UPDATE, L"Update device information!"},
    {IDC_DEVMANAGE_DELETE, L"Delete device information!"},
    {IDC_DEVMANAGE_TITLE, L"Please input device title!"},
    {IDC_DEVMANAGE_DESC, L"Please input device desc!"},
    {IDC_DEVMANAGE_IP, L"Please input device IP or domain information!"},
    {IDC_DEVMANAGE_PORT, L"Please input device's port!"},
    {IDC_DEVMANAGE_DDNSIP, L"Please input DDNS server's IP or domain information!"},
    {IDC_DEVMANAGE_DDNSNAME, L"Please input DDNS device name!"},
    {IDC_DEVMANAGE_DDNSPORT, L"Please input DDNS server's port!"},
    {IDC_DEVMANAGE_LOGINUSER, L"Please input login device user ID!"},
    {IDC_DEVMANAGE_PASSWORD, L"Please input login device password!"},
    {IDC_DEVMANAGE_CONFIRM, L"Please reinput login device password!"},
    {IDC_DEVMANAGE_TYPE, L"Please select device type!"},
    {IDC_DEVMANAGE_MODEL, L"Please select device model!"},
    {IDC_DEVMANAGE_LOGINTYPE, L"Please device login mode!"},
    {IDC_DEVMANAGE_CARDSN, L"Please input device card SN!"},
    {IDC_DEVMANAGE_CHANNELS, L"Please input device channel count!"},
};

// The edits the operator types device data into.
const int kFormEdits[] = {IDC_DEVMANAGE_TITLE,     IDC_DEVMANAGE_DESC,     IDC_DEVMANAGE_IP,     IDC_DEVMANAGE_PORT,
                          IDC_DEVMANAGE_LOGINUSER, IDC_DEVMANAGE_PASSWORD, IDC_DEVMANAGE_CONFIRM};
const int kDdnsEdits[] = {IDC_DEVMANAGE_DDNSIP, IDC_DEVMANAGE_DDNSPORT, IDC_DEVMANAGE_DDNSNAME};

}  // namespace

BEGIN_MESSAGE_MAP(CDevManageDlg, CDialog)
ON_WM_CTLCOLOR()
ON_WM_DESTROY()
ON_BN_CLICKED(IDC_DEVMANAGE_OK, &CDevManageDlg::OnBnClickedOk)
ON_BN_CLICKED(IDC_DEVMANAGE_CANCEL, &CDevManageDlg::OnBnClickedCancel)
ON_COMMAND(ID_DEVMANAGE_CLOSE, &CDevManageDlg::OnBnClickedCancel)
ON_CBN_SELCHANGE(IDC_DEVMANAGE_USER, &CDevManageDlg::OnUserChanged)
ON_CBN_SELCHANGE(IDC_DEVMANAGE_LOGINTYPE, &CDevManageDlg::OnLoginTypeChanged)
ON_BN_CLICKED(IDC_DEVMANAGE_USEDDNS, &CDevManageDlg::OnLoginTypeChanged)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_DEVMANAGE_LIST, &CDevManageDlg::OnListItemChanged)
ON_NOTIFY(HDN_ITEMDBLCLICKW, 0, &CDevManageDlg::OnCheckAllRows)
ON_BN_CLICKED(IDC_DEVMANAGE_ADD, &CDevManageDlg::OnBnClickedAdd)
ON_BN_CLICKED(IDC_DEVMANAGE_UPDATE, &CDevManageDlg::OnBnClickedUpdate)
ON_BN_CLICKED(IDC_DEVMANAGE_DELETE, &CDevManageDlg::OnBnClickedDelete)
ON_BN_CLICKED(IDC_DEVMANAGE_RESET, &CDevManageDlg::OnBnClickedReset)
ON_BN_CLICKED(IDC_DEVMANAGE_SEARCH, &CDevManageDlg::OnBnClickedSearch)
ON_BN_CLICKED(IDC_DEVMANAGE_IMPORT, &CDevManageDlg::OnBnClickedImport)
ON_BN_CLICKED(IDC_DEVMANAGE_EXPORT, &CDevManageDlg::OnBnClickedExport)
END_MESSAGE_MAP()

CDevManageDlg::CDevManageDlg(CWnd* parent)
    : CDialog(IDD_DEVMANAGE, parent), m_searchDlg(this), m_userLists(m_userCombo), m_rows(m_list) {}

CDevManageDlg::~CDevManageDlg() = default;

void CDevManageDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_DEVMANAGE_USER, m_userCombo);
    DDX_Control(dx, IDC_DEVMANAGE_LIST, m_list);
    m_edits.Bind(dx);
    DDX_Control(dx, IDC_DEVMANAGE_MODEL, m_modelCombo);
    DDX_Control(dx, IDC_DEVMANAGE_TYPE, m_typeCombo);
    DDX_Control(dx, IDC_DEVMANAGE_LOGINTYPE, m_loginTypeCombo);
    m_form.Exchange(dx);
}

// ---- Set-up ------------------------------------------------------------------------

BOOL CDevManageDlg::OnInitDialog() {
    m_shownMode = -1;  // the buttons are the template's again
    CDialog::OnInitDialog();
    CenterWindow();
    GetInitLanguage()->TranslateDialog(this);

    m_edits.SetColors(this, *this);
    SetUpEdits();
    FillCombos();
    SetUpHints();
    m_rows.SetUpColumns();
    m_checkedCount = 0;
    m_selectAll = 0;
    GetDlgItem(IDC_DEVMANAGE_DELETE)->EnableWindow(FALSE);
    RefreshView();
    TellHeldBackDevices(this, m_userLists);
    TellRefusedValues(this);
    return FALSE;  // the view mode gave the device rows the focus
}

void CDevManageDlg::SetUpEdits() {
    m_defaultPort = GetAppConfig()->m_nManufactureType == 1 ? 4000 : kDefaultDevicePort;
    m_edits.SetUp(m_defaultPort);
}

void CDevManageDlg::FillCombos() {
    std::vector<CString> types, models, loginTypes;
    for (int i = 0; i < CDeviceForm::kTypeCount; ++i) types.push_back(Translate(CString(CDeviceForm::kTypeKeys[i])));
    models.push_back(Translate(L"2th version protocol"));
    for (int i = 0; i < CDeviceForm::kLoginTypeCount; ++i)
        loginTypes.push_back(Translate(CDeviceForm::kLoginTypes[i].key));
    // Filled and measured from the texts given rather than read back: every
    // message sent here is a server round trip under the menu hook.
    FillComboBox(m_typeCombo.m_hWnd, types);
    FillComboBox(m_modelCombo.m_hWnd, models);
    FillComboBox(m_loginTypeCombo.m_hWnd, loginTypes);
    for (int i = 0; i < CDeviceForm::kLoginTypeCount; ++i)
        CallControl(m_loginTypeCombo.m_hWnd, CB_SETITEMDATA, i, CDeviceForm::kLoginTypes[i].value);
    AdjustComboDropWidth(&m_typeCombo, types);
    AdjustComboDropWidth(&m_modelCombo, models);
    AdjustComboDropWidth(&m_loginTypeCombo, loginTypes);
    for (CComboBox* combo : {&m_typeCombo, &m_modelCombo, &m_loginTypeCombo}) combo->SetCurSel(0);
    m_firstType = types.front();
    m_firstModel = models.front();
}

void CDevManageDlg::SetUpHints() {
    m_hint.Attach(this, IDC_DEVMANAGE_HINT);
    for (const HINT& hint : kHints) m_hint.SetHint(hint.id, Translate(hint.key));
}

int CDevManageDlg::RefreshView() {
    SetEditMode(MODE_VIEW);
    m_userLists.Fill();
    ReloadDeviceList();
    ShowSelectedDevice();
    return 0;
}

CDeviceManager* CDevManageDlg::SelectedList() const { return m_userLists.Selected(); }

// ---- The device list ---------------------------------------------------------------

int CDevManageDlg::ReloadDeviceList() {
    CDeviceManager* list = SelectedList();
    if (!list) return -1;
    WithoutFormRefresh([this, list] { m_rows.Fill(*list); });
    m_checkedCount = CountCheckedRows(m_list);
    m_selectAll = 0;
    GetDlgItem(IDC_DEVMANAGE_DELETE)->EnableWindow(FALSE);
    return 0;
}

int CDevManageDlg::SelectDeviceRow(int id) {
    if (id / 1000 > 1000) id /= 10000;  // a channel key names its device
    POINT cursor;
    ::GetCursorPos(&cursor);
    CWnd* under = CWnd::WindowFromPoint(cursor);
    if (!under || under->GetDlgCtrlID() == IDC_DEVMANAGE_USER) return 0;
    m_rows.SelectId(id);
    return 0;
}

// ---- The form ----------------------------------------------------------------------

void CDevManageDlg::ClearForm() {
    m_form.Clear(m_defaultPort, m_firstModel, m_firstType);
    m_savedIp.Empty();
    m_loginTypeCombo.SetCurSel(0);
}

void CDevManageDlg::ShowSelectedDevice() {
    SetEditMode(MODE_VIEW);
    ClearForm();
    m_updateRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    CDeviceManager* list = SelectedList();
    if (list && m_updateRow >= 0) {
        const int id = m_rows.IdAt(m_updateRow);
        const DEVICE_RECORD record = list->GetDevice(id);
        if (record.id == id) {
            RecordToForm(record);
            return;
        }
    }
    UpdateData(FALSE);
}

void CDevManageDlg::RecordToForm(const DEVICE_RECORD& record) {
    m_form.FromRecord(record);
    m_savedIp = m_form.ip;
    const int loginType = CDeviceForm::LoginTypeIndex(record.logintype);
    if (loginType >= 0) m_loginTypeCombo.SetCurSel(loginType);
    UpdateData(FALSE);
    UpdateLoginTypeState();
}

void CDevManageDlg::SetEditReadOnly(int id, bool readOnly) {
    // The style is read without a message; setting it sends three.
    CEdit* edit = static_cast<CEdit*>(GetDlgItem(id));
    if (edit && ((edit->GetStyle() & ES_READONLY) != 0) != readOnly) edit->SetReadOnly(readOnly ? TRUE : FALSE);
}

void CDevManageDlg::SetEditMode(int mode) {
    m_mode = mode;
    const bool editing = mode != MODE_VIEW;
    const bool rowSelected = m_list.GetSelectedCount() > 0;
    if (mode != m_shownMode) {
        GetDlgItem(IDC_DEVMANAGE_ADD)->SetWindowText(Translate(mode == MODE_ADD ? L"Save" : L"Add"));
        GetDlgItem(IDC_DEVMANAGE_UPDATE)->SetWindowText(Translate(mode == MODE_UPDATE ? L"Save" : L"Update"));
        m_shownMode = mode;
    }
    GetDlgItem(IDC_DEVMANAGE_RESET)->ShowWindow(editing ? SW_SHOW : SW_HIDE);
    GetDlgItem(IDC_DEVMANAGE_ADD)->EnableWindow(mode != MODE_UPDATE);
    GetDlgItem(IDC_DEVMANAGE_UPDATE)->EnableWindow(mode != MODE_ADD && rowSelected);
    GetDlgItem(IDC_DEVMANAGE_DELETE)->EnableWindow(FALSE);
    for (int id : kFormEdits) SetEditReadOnly(id, !editing);
    for (int id : {IDC_DEVMANAGE_USEDDNS, IDC_DEVMANAGE_MODEL, IDC_DEVMANAGE_TYPE, IDC_DEVMANAGE_LOGINTYPE})
        GetDlgItem(id)->EnableWindow(editing);
    for (int id : kDdnsEdits) SetEditReadOnly(id, true);
    if (mode == MODE_ADD) {
        ClearForm();
        UpdateData(FALSE);
    }
    if (editing) {
        m_edits.title.SetFocus();
        m_edits.title.SetSel(0, -1);
    } else if (::GetFocus() != m_list.m_hWnd) {
        m_list.SetFocus();
    }
    UpdateLoginTypeState();
}

int CDevManageDlg::SelectedLoginType() {
    const int selected = m_loginTypeCombo.GetCurSel();
    return selected < 0 ? 0 : static_cast<int>(m_loginTypeCombo.GetItemData(selected));
}

void CDevManageDlg::BlankIp() {
    CString typed;
    m_edits.ip.GetWindowText(typed);
    if (!typed.IsEmpty()) m_savedIp = typed;
    m_edits.ip.SetWindowText(L"");
    SetEditReadOnly(IDC_DEVMANAGE_IP, true);
}

void CDevManageDlg::RestoreIp() {
    // Only an address blanked for DDNS or self-registering comes back; one
    // being typed stays as it is.
    if (m_edits.ip.GetStyle() & ES_READONLY) m_edits.ip.SetWindowText(m_savedIp);
    SetEditReadOnly(IDC_DEVMANAGE_IP, false);
}

void CDevManageDlg::UpdateLoginTypeState() {
    CButton* useDdns = static_cast<CButton*>(GetDlgItem(IDC_DEVMANAGE_USEDDNS));
    auto showChannels = [this](bool show) {
        SetEditReadOnly(IDC_DEVMANAGE_CHANNELS, !show);
        m_edits.channels.ShowWindow(show ? SW_SHOW : SW_HIDE);
    };
    if (m_mode == MODE_VIEW) {
        SetEditReadOnly(IDC_DEVMANAGE_IP, true);
        showChannels(false);
        SetEditReadOnly(IDC_DEVMANAGE_CARDSN, true);
        useDdns->EnableWindow(FALSE);
        for (int id : kDdnsEdits) SetEditReadOnly(id, true);
        return;
    }
    if (SelectedLoginType() == CDeviceForm::kLoginTypeSelfRegistering) {
        BlankIp();
        showChannels(true);
        SetEditReadOnly(IDC_DEVMANAGE_CARDSN, false);
        useDdns->SetCheck(BST_UNCHECKED);
        useDdns->EnableWindow(FALSE);
        for (int id : kDdnsEdits) SetEditReadOnly(id, true);
        return;
    }
    useDdns->EnableWindow(TRUE);
    if (useDdns->GetCheck() == BST_CHECKED) {
        BlankIp();
        for (int id : kDdnsEdits) SetEditReadOnly(id, false);
    } else {
        RestoreIp();
        for (int id : kDdnsEdits) SetEditReadOnly(id, true);
    }
    showChannels(false);
    SetEditReadOnly(IDC_DEVMANAGE_CARDSN, true);
}

void CDevManageDlg::EnableDelete() { GetDlgItem(IDC_DEVMANAGE_DELETE)->EnableWindow(m_checkedCount > 0); }

// ---- Checks ------------------------------------------------------------------------

int CDevManageDlg::ShowWarning(const CString& text) {
    HWND focus = ::GetFocus();
    ShowOwnBox(text, MB_ICONEXCLAMATION);
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
    return 0;
}

int CDevManageDlg::RefuseAdd() {
    ShowWarning(Translate(L"Add device failed: too many devices!"));
    return -1;
}

bool CDevManageDlg::AskOkCancel(const wchar_t* question) {
    return ShowOwnBox(Translate(question), MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

int CDevManageDlg::ShowOwnBox(const CString& text, UINT type) {
    ++m_ownBoxesUp;
    const int answer = ShowDodavoziBox(this, text, type);
    if (--m_ownBoxesUp == 0 && m_heldCommand != 0) {
        // Posted, not called: the work that opened the box finishes first.
        PostMessage(WM_COMMAND, MAKEWPARAM(m_heldCommand, BN_CLICKED), 0);
        m_heldCommand = 0;
    }
    return answer;
}

bool CDevManageDlg::HoldWhileBoxIsUp(int command) {
    if (m_ownBoxesUp == 0) return false;
    m_heldCommand = command;
    return true;
}

int CDevManageDlg::ValidateForm() {
    if (!UpdateData(TRUE)) return 0;
    const CString refusal = m_form.Refusal(SelectedLoginType());
    return refusal.IsEmpty() ? 1 : ShowWarning(refusal);
}

int CDevManageDlg::IsUniqueInList(const DEVICE_RECORD& record, int skippedRow) {
    CDeviceManager* list = SelectedList();
    if (!list) return 1;
    for (int row = 0; row < m_list.RowCount(); ++row) {
        if (row == skippedRow) continue;
        const int id = m_rows.IdAt(row);
        const DEVICE_RECORD listed = list->GetDevice(id);
        if (listed.id != id) continue;
        if (strncmp(listed.title, record.title, 32) == 0 || IsSameDeviceAddress(listed, record)) {
            ShowWarning(Translate(L"Device Title or IP has in list!"));
            return 0;
        }
    }
    return 1;
}

int CDevManageDlg::FormToRecord(DEVICE_RECORD& record) {
    if (!ValidateForm()) return -1;
    m_form.ToRecord(record, SelectedLoginType(), m_typeCombo.GetCurSel());
    return IsUniqueInList(record, m_mode == MODE_UPDATE ? m_updateRow : -1) ? 0 : -1;
}

void CDevManageDlg::ReadChannelsOnce(CDeviceManager& list, int id) {
    if (list.LoginAndQueryDevice(id) < 0) {
        const DEVICE_RECORD record = list.GetDevice(id);
        CString text;
        text.Format(L"%s %s", Translate(L"Can not login the device, its channels are not read:").GetString(),
                    FieldText(record.title).GetString());
        ShowWarning(text);
        return;
    }
    list.LogoutDevice(id);
}

int CDevManageDlg::CommitForm() {
    CDeviceManager* list = SelectedList();
    if (!list) return -1;
    DEVICE_RECORD record;
    DEVICE_RECORD old;
    if (m_mode == MODE_ADD) {
        if (list->IsFull()) return RefuseAdd();
        record.id = list->GetNextDeviceId();
    } else {
        if (m_updateRow < 0) return -1;
        const int id = m_rows.IdAt(m_updateRow);
        record = list->GetDevice(id);
        if (record.id != id) return -1;
        old = record;
    }
    if (FormToRecord(record) != 0) return -1;
    if (m_mode == MODE_ADD) {
        if (list->AddDeviceRecord(record) != 0) return RefuseAdd();
        ReadChannelsOnce(*list, record.id);
        m_rows.SetRow(list->GetDevice(record.id), -1);
        return 0;
    }
    if (list->ReplaceDevice(record.id, record) == 0) {
        if (!IsSameDeviceAddress(old, record) || CDeviceListCommit::CredentialsDiffer(old, record)) {
            if (record.logintype != CDeviceForm::kLoginTypeSelfRegistering) {
                record.channelCount = 0;
                record.alarmInCount = 0;
                record.alarmOutCount = 0;
                list->ReplaceDevice(record.id, record);
            }
            ReadChannelsOnce(*list, record.id);
        }
    }
    m_rows.SetRow(list->GetDevice(record.id), m_updateRow);
    return 0;
}

// ---- Rows, check boxes, delete -------------------------------------------------------

void CDevManageDlg::OnListItemChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    // A refill or deletion counts the rows itself once it is done.
    if (!(change->uChanged & LVIF_STATE) || m_refillingList) return;
    m_checkedCount = CountCheckedRows(m_list);
    ShowSelectedDevice();
    EnableDelete();
}

void CDevManageDlg::WithoutFormRefresh(const std::function<void()>& change) {
    const bool outer = m_refillingList;
    m_refillingList = true;
    change();
    m_refillingList = outer;
}

void CDevManageDlg::OnCheckAllRows(NMHDR*, LRESULT* result) {
    *result = 0;
    if (!ToggleAllChecks(m_list, m_selectAll)) return;
    m_checkedCount = CountCheckedRows(m_list);
    EnableDelete();
}

void CDevManageDlg::DeleteCheckedDevices() {
    CDeviceManager* list = SelectedList();
    if (m_checkedCount == 0 || !list) return;
    if (!AskOkCancel(L"Are you sure to delete this item?")) return;
    m_list.SetRedraw(FALSE);
    // Each deleted row moves the selection: the form is shown once, after all.
    bool deleted = false;
    WithoutFormRefresh([&] { deleted = m_rows.DeleteChecked([list](int id) { list->DeleteDevice(id); }); });
    if (deleted) ShowSelectedDevice();
    m_list.SetRedraw(TRUE);
    m_list.Invalidate();
    m_checkedCount = CountCheckedRows(m_list);
    m_selectAll = 0;
    GetDlgItem(IDC_DEVMANAGE_DELETE)->EnableWindow(FALSE);
}

// ---- Buttons -----------------------------------------------------------------------

void CDevManageDlg::OnUserChanged() {
    SetEditMode(MODE_VIEW);
    ReloadDeviceList();
    ShowSelectedDevice();
}

void CDevManageDlg::OnLoginTypeChanged() { UpdateLoginTypeState(); }

void CDevManageDlg::OnBnClickedAdd() {
    if (m_mode != MODE_ADD) {
        SetEditMode(MODE_ADD);
    } else if (CommitForm() == 0) {
        SetEditMode(MODE_VIEW);
    }
}

void CDevManageDlg::OnBnClickedUpdate() {
    if (m_mode != MODE_UPDATE) {
        SetEditMode(MODE_UPDATE);
    } else if (CommitForm() == 0) {
        SetEditMode(MODE_VIEW);
    }
}

void CDevManageDlg::OnBnClickedDelete() {
    SetEditMode(MODE_VIEW);
    DeleteCheckedDevices();
}

void CDevManageDlg::OnBnClickedReset() {
    SetEditMode(MODE_VIEW);
    ShowSelectedDevice();
}

bool CDevManageDlg::EnsureSearchDialog() {
    return m_searchDlg.GetSafeHwnd() || m_searchDlg.Create(IDD_SEARCHDEV, this);
}

void CDevManageDlg::OnBnClickedSearch() {
    SetEditMode(MODE_VIEW);
    if (!EnsureSearchDialog()) return;
    m_searchDlg.StartSearch();
    m_searchDlg.ShowWindow(SW_SHOW);
    m_searchDlg.CenterWindow();
}

void CDevManageDlg::OnBnClickedImport() {
    SetEditMode(MODE_VIEW);
    ImportDeviceFile();
}

void CDevManageDlg::OnBnClickedExport() {
    SetEditMode(MODE_VIEW);
    ExportDeviceFile();
}

void CDevManageDlg::OnBnClickedCancel() {
    if (HoldWhileBoxIsUp(IDC_DEVMANAGE_CANCEL)) return;
    if (m_searchDlg.GetSafeHwnd() && m_searchDlg.IsWindowVisible()) m_searchDlg.OnBnClickedCancel();
    m_userLists.FreeAll();
    CDialog::OnCancel();
}

void CDevManageDlg::OnDestroy() {
    if (m_searchDlg.GetSafeHwnd()) {
        // A search left running would go on probing for a window that is gone.
        if (m_searchDlg.IsWindowVisible()) GetBackupEngine().StopDeviceSearch();
        m_searchDlg.DestroyWindow();
    }
    m_userLists.FreeAll();
    CDialog::OnDestroy();
}

// ---- OK ----------------------------------------------------------------------------

void CDevManageDlg::OnBnClickedOk() {
    if (HoldWhileBoxIsUp(IDC_DEVMANAGE_OK)) return;
    if (m_searchDlg.GetSafeHwnd() && m_searchDlg.IsWindowVisible()) m_searchDlg.OnBnClickedCancel();
    const bool saved = SaveDeviceLists();
    m_userLists.FreeAll();
    if (m_onCommitted) m_onCommitted();
    if (saved) WriteSaveLog();
    CDialog::OnOK();
}

bool CDevManageDlg::SaveDeviceLists() {
    const DEVICE_COMMIT_RESULT result = CDeviceListCommit(m_queueLogin).Commit(m_userLists);
    CString problems;
    AppendNamed(problems, L"These devices could not be saved:", result.unsaved);
    AppendNamed(problems, L"Save device information failed!", result.unwrittenFiles);
    AppendNamed(problems, L"These devices could not be started:", result.notRunning);
    if (!problems.IsEmpty()) ShowWarning(problems);
    PurgeUserSchedules(GetBackupEngine().Users());
    return result.Succeeded();
}

void CDevManageDlg::AppendNamed(CString& text, const wchar_t* heading, const std::vector<CString>& names) {
    if (names.empty()) return;
    if (!text.IsEmpty()) text += L"\r\n\r\n";
    text += Translate(heading);
    for (const CString& name : names) text += L"\r\n" + name;
}

void CDevManageDlg::WriteSaveLog() {
    const int kLogTypeOperation = 0;
    const int kLogCodeSettingsSaved = 2;
    CString text;
    text.Format(L"%s %s", Translate(L"DeviceManage").GetString(), Translate(L"Save succeed!").GetString());
    GetBackupEngine().AddLogRecord(NewLogEntry(kLogTypeOperation, kLogCodeSettingsSaved, text));
}

// ---- Hints and colours ----------------------------------------------------------------

BOOL CDevManageDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_MOUSEMOVE) {
        if (HWND target = HintTargetOf(m_hWnd, *msg)) m_hint.ShowHint(::GetDlgCtrlID(target));
    }
    return CDialog::PreTranslateMessage(msg);
}

HBRUSH CDevManageDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    HBRUSH brush = CDialog::OnCtlColor(dc, wnd, ctlColor);
    if (ctlColor == CTLCOLOR_STATIC) dc->SetBkMode(TRANSPARENT);
    if (CBrush* own = CCtrlColorChange::OnCtlColor(this, dc, wnd)) return static_cast<HBRUSH>(own->GetSafeHandle());
    return brush;
}
