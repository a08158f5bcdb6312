#include "CDevManageDlg.h"

#include <string.h>
#include <windowsx.h>
#include <commdlg.h>

#include "DeviceListHelpers.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/FileUtil.h"
#include "app/core/TextValues.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "resource.h"

namespace {

const int kLoginTypeSelfRegistering = 2;
const wchar_t kDefaultDdnsPortText[] = L"7070";

const wchar_t kDigits[] = L"1234567890";
const wchar_t kUserChars[] = L"1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_+";
const wchar_t kAddressChars[] = L"1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_+./-";
const wchar_t kNameChars[] = L"1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_-";

const char* const kTypeKeys[] = {"IPC", "DVR", "IPSD", "NVS", "SVR", "SVR_BS"};
const int kTypeCount = static_cast<int>(sizeof kTypeKeys / sizeof kTypeKeys[0]);

struct LOGIN_TYPE {
    const wchar_t* key;
    int value;
};
const LOGIN_TYPE kLoginTypes[] = {
    {L"NetWork Type TCP", 0}, {L"Initiative Login", 2}, {L"Group BroadCast", 3}, {L"NetWork Type UDP", 4}};

struct LIST_COLUMN {
    const wchar_t* heading;
    int width;
    int format;
};
const LIST_COLUMN kColumns[] = {
    {L"No.", 50, LVCFMT_RIGHT},         {L"Title", 200, LVCFMT_LEFT},    {L"Desc", 180, LVCFMT_LEFT},
    {L"Use DDNS", 80, LVCFMT_LEFT},      {L"DDNS IP", 120, LVCFMT_LEFT},  {L"DDNS Port", 80, LVCFMT_LEFT},
    {L"DDNS Device Name", 120, LVCFMT_LEFT}, {L"IP", 120, LVCFMT_LEFT}, {L"Port", 80, LVCFMT_RIGHT},
    {L"Type", 120, LVCFMT_LEFT},         {L"Model", 120, LVCFMT_LEFT},    {L"UserID", 100, LVCFMT_LEFT},
};

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
const int kFormEdits[] = {IDC_DEVMANAGE_TITLE,    IDC_DEVMANAGE_DESC,     IDC_DEVMANAGE_IP,
                          IDC_DEVMANAGE_PORT,     IDC_DEVMANAGE_LOGINUSER, IDC_DEVMANAGE_PASSWORD,
                          IDC_DEVMANAGE_CONFIRM};
const int kDdnsEdits[] = {IDC_DEVMANAGE_DDNSIP, IDC_DEVMANAGE_DDNSPORT, IDC_DEVMANAGE_DDNSNAME};

CString Tr(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

int AnsiBytes(const CString& text) { return CSupperEdit::CountBytes(text, CP_ACP); }

// A number box: empty counts as 0; digits only, so no sign to handle.
long long NumberOf(const CString& text) { return _wtoi64(text); }

template <size_t N>
void SetField(char (&field)[N], const CString& text) {
    CopyFixedText(field, CStringA(text));
}

template <size_t N>
CString FieldText(const char (&field)[N]) {
    return CString(CStringA(field, static_cast<int>(strnlen(field, N))));
}

CString UserEntryText(const CString& id, const CString& name) {
    CString text;
    if (name.IsEmpty())
        text.Format(L"%s", id.GetString());
    else
        text.Format(L"%s - %s", id.GetString(), name.GetString());
    return text;
}

// Whether user name or password differ, as the device compares them.
bool CredentialsDiffer(const DEVICE_RECORD& a, const DEVICE_RECORD& b) {
    return strncmp(a.user, b.user, sizeof a.user - 1) != 0 || strncmp(a.password, b.password, sizeof a.password - 1) != 0;
}

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

CDevManageDlg::CDevManageDlg(CWnd* parent) : CDialog(IDD_DEVMANAGE, parent), m_searchDlg(this) {}

CDevManageDlg::~CDevManageDlg() = default;

void CDevManageDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_DEVMANAGE_USER, m_userCombo);
    DDX_Control(dx, IDC_DEVMANAGE_LIST, m_list);
    DDX_Control(dx, IDC_DEVMANAGE_TITLE, m_titleEdit);
    DDX_Control(dx, IDC_DEVMANAGE_DESC, m_descEdit);
    DDX_Control(dx, IDC_DEVMANAGE_LOGINUSER, m_loginUserEdit);
    DDX_Control(dx, IDC_DEVMANAGE_IP, m_ipEdit);
    DDX_Control(dx, IDC_DEVMANAGE_PORT, m_portEdit);
    DDX_Control(dx, IDC_DEVMANAGE_PASSWORD, m_passwordEdit);
    DDX_Control(dx, IDC_DEVMANAGE_CONFIRM, m_confirmEdit);
    DDX_Control(dx, IDC_DEVMANAGE_MODEL, m_modelCombo);
    DDX_Control(dx, IDC_DEVMANAGE_TYPE, m_typeCombo);
    DDX_Control(dx, IDC_DEVMANAGE_LOGINTYPE, m_loginTypeCombo);
    DDX_Control(dx, IDC_DEVMANAGE_CARDSN, m_cardEdit);
    DDX_Control(dx, IDC_DEVMANAGE_CHANNELS, m_channelsEdit);
    DDX_Control(dx, IDC_DEVMANAGE_DDNSIP, m_ddnsIpEdit);
    DDX_Control(dx, IDC_DEVMANAGE_DDNSPORT, m_ddnsPortEdit);
    DDX_Control(dx, IDC_DEVMANAGE_DDNSNAME, m_ddnsNameEdit);
    DDX_Text(dx, IDC_DEVMANAGE_TITLE, m_title);
    DDX_Text(dx, IDC_DEVMANAGE_DESC, m_desc);
    DDX_Text(dx, IDC_DEVMANAGE_IP, m_ip);
    DDX_Text(dx, IDC_DEVMANAGE_PORT, m_port);
    DDX_Text(dx, IDC_DEVMANAGE_LOGINUSER, m_user);
    DDX_Text(dx, IDC_DEVMANAGE_PASSWORD, m_password);
    DDX_Text(dx, IDC_DEVMANAGE_CONFIRM, m_confirm);
    DDX_CBString(dx, IDC_DEVMANAGE_MODEL, m_model);
    DDX_CBString(dx, IDC_DEVMANAGE_TYPE, m_type);
    DDX_Text(dx, IDC_DEVMANAGE_CARDSN, m_cardSn);
    DDX_Text(dx, IDC_DEVMANAGE_CHANNELS, m_channelCount);
    DDX_Check(dx, IDC_DEVMANAGE_USEDDNS, m_useDdns);
    DDX_Text(dx, IDC_DEVMANAGE_DDNSIP, m_ddnsIp);
    DDX_Text(dx, IDC_DEVMANAGE_DDNSPORT, m_ddnsPort);
    DDX_Text(dx, IDC_DEVMANAGE_DDNSNAME, m_ddnsName);
}

// ---- Set-up ------------------------------------------------------------------------

BOOL CDevManageDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    GetInitLanguage()->TranslateDialog(this);
    m_searchDlg.Create(IDD_SEARCHDEV, this);

    CAppConfig* config = GetAppConfig();
    const COLORREF focused = ParseColor(config->m_strFocusColor);
    const COLORREF normal = ParseColor(config->m_strNormalColor);
    const COLORREF readOnly = ParseColor(config->m_strReadOnlyColor);
    const int colored[] = {IDC_DEVMANAGE_TITLE,   IDC_DEVMANAGE_DESC,     IDC_DEVMANAGE_IP,       IDC_DEVMANAGE_PORT,
                           IDC_DEVMANAGE_LOGINUSER, IDC_DEVMANAGE_PASSWORD, IDC_DEVMANAGE_CONFIRM, IDC_DEVMANAGE_CARDSN,
                           IDC_DEVMANAGE_CHANNELS, IDC_DEVMANAGE_DDNSIP,  IDC_DEVMANAGE_DDNSPORT, IDC_DEVMANAGE_DDNSNAME};
    for (int id : colored) SetCtrlColors(this, id, focused, normal, readOnly);

    SetUpEdits();
    FillCombos();
    SetUpHints();
    SetUpListColumns();
    m_channelCount = L"4";
    m_checkedCount = 0;
    m_selectAll = 0;
    GetDlgItem(IDC_DEVMANAGE_DELETE)->EnableWindow(FALSE);
    RefreshView();
    return TRUE;
}

void CDevManageDlg::SetUpEdits() {
    struct EDIT_SETUP {
        CSupperEdit* edit;
        const wchar_t* allowed;  // null: everything but the double quote
        int maxBytes;
    };
    const EDIT_SETUP setups[] = {
        {&m_titleEdit, nullptr, 32},         {&m_descEdit, nullptr, 256},      {&m_ipEdit, kAddressChars, 256},
        {&m_portEdit, kDigits, 5},           {&m_loginUserEdit, kUserChars, 8}, {&m_passwordEdit, kUserChars, 8},
        {&m_confirmEdit, kUserChars, 8},     {&m_ddnsIpEdit, kAddressChars, 256}, {&m_ddnsPortEdit, kDigits, 5},
        {&m_ddnsNameEdit, kNameChars, 172},  {&m_cardEdit, kNameChars, 32},    {&m_channelsEdit, kDigits, 3},
    };
    for (const EDIT_SETUP& setup : setups) {
        setup.edit->PrepareFilter();
        if (setup.allowed) {
            setup.edit->SetAllowedChars(setup.allowed);
            setup.edit->SetAllowPaste(FALSE);
        } else {
            setup.edit->SetDeniedChars(L"\"");
            setup.edit->SetAllowPaste(TRUE);
        }
        setup.edit->SetMaxByteLen(setup.maxBytes);
    }
    const bool portOf4000 = GetAppConfig()->m_nManufactureType == 1;
    m_defaultPort = portOf4000 ? 4000 : kDefaultDevicePort;
    m_portEdit.SetDefaultText(portOf4000 ? L"4000" : L"37777");
    m_ddnsPortEdit.SetDefaultText(kDefaultDdnsPortText);
    m_channelsEdit.SetDefaultText(L"4");
}

void CDevManageDlg::FillCombos() {
    for (const char* key : kTypeKeys) m_typeCombo.AddString(Tr(CString(key)));
    m_modelCombo.AddString(Tr(L"2th version protocol"));
    for (const LOGIN_TYPE& type : kLoginTypes) {
        const int index = m_loginTypeCombo.AddString(Tr(type.key));
        m_loginTypeCombo.SetItemData(index, static_cast<DWORD_PTR>(type.value));
    }
    for (CComboBox* combo : {&m_typeCombo, &m_modelCombo, &m_loginTypeCombo}) {
        AdjustComboDropWidth(combo);
        combo->SetCurSel(0);
    }
}

void CDevManageDlg::SetUpHints() {
    m_hint.Attach(this, IDC_DEVMANAGE_HINT);
    for (const HINT& hint : kHints) m_hint.SetHint(hint.id, Tr(hint.key));
}

void CDevManageDlg::SetUpListColumns() {
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(sizeof kColumns / sizeof kColumns[0]); ++i)
        m_list.InsertColumn(i, Tr(kColumns[i].heading), kColumns[i].format, kColumns[i].width);
}

int CDevManageDlg::RefreshView() {
    SetEditMode(MODE_VIEW);
    FillUserCombo();
    ReloadDeviceList();
    ShowSelectedDevice();
    return 0;
}

// ---- User lists --------------------------------------------------------------------

void CDevManageDlg::FillUserCombo() {
    m_userCombo.SetRedraw(FALSE);
    FreeUserLists();
    m_userCombo.ResetContent();
    CAppConfig* config = GetAppConfig();
    CUserManager& users = GetBackupEngine().Users();
    const USER_INFO current = users.m_CurrentUser;
    if (current.id == config->m_strSuperUserID) {
        CString text;
        text.Format(L"%s - %s", config->m_strSuperUserID.GetString(), Tr(L"Super Manage User").GetString());
        AddUserEntry(text, config->GetUserDir());
        std::vector<USER_INFO> all;
        users.ListUsers(CString(), all);
        for (const USER_INFO& user : all) AddUserEntry(UserEntryText(user.id, user.name), user.systemdir);
    } else {
        AddUserEntry(UserEntryText(current.id, current.name), current.systemdir);
    }
    if (m_userCombo.GetCount() > 0) m_userCombo.SetCurSel(0);
    m_userCombo.EnableWindow(m_userCombo.GetCount() > 1);
    m_userCombo.SetRedraw(TRUE);
}

void CDevManageDlg::AddUserEntry(const CString& text, const CString& directory) {
    CDeviceManager* list = new CDeviceManager();
    list->RemoveAllDevices();
    list->SetMaxDeviceCount(GetAppConfig()->m_nDevMaxCount);
    list->OpenDeviceFile(JoinPath(directory, L"device.xml"));
    const int index = m_userCombo.AddString(text);
    if (index < 0) {
        delete list;
        return;
    }
    m_userCombo.SetItemDataPtr(index, list);
}

void CDevManageDlg::FreeUserLists() {
    if (!m_userCombo.GetSafeHwnd()) return;
    for (int i = 0; i < m_userCombo.GetCount(); ++i) {
        delete static_cast<CDeviceManager*>(m_userCombo.GetItemDataPtr(i));
        m_userCombo.SetItemDataPtr(i, nullptr);
    }
}

CDeviceManager* CDevManageDlg::SelectedList() const {
    if (!m_userCombo.GetSafeHwnd()) return nullptr;
    const int selected = m_userCombo.GetCurSel();
    if (selected < 0) return nullptr;
    return static_cast<CDeviceManager*>(m_userCombo.GetItemDataPtr(selected));
}

// ---- The device list ---------------------------------------------------------------

int CDevManageDlg::ReloadDeviceList() {
    CDeviceManager* list = SelectedList();
    if (!list) return -1;
    std::vector<DEVICE_RECORD> records;
    list->GetAllDevices(records);
    m_list.DeleteAllItems();
    for (const DEVICE_RECORD& record : records) FillDeviceRow(record, -1);
    if (m_list.GetItemCount() > 0) {
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(0, FALSE);
    }
    m_checkedCount = CountCheckedRows(m_list);
    m_selectAll = 0;
    GetDlgItem(IDC_DEVMANAGE_DELETE)->EnableWindow(FALSE);
    return 0;
}

void CDevManageDlg::FillDeviceRow(const DEVICE_RECORD& record, int row) {
    if (row < 0) {
        const int count = m_list.GetItemCount();
        CString number;
        number.Format(L"%d", count + 1);
        row = m_list.InsertItem(count, number);
        if (row < 0) return;
        m_list.SetItemData(row, static_cast<DWORD_PTR>(record.id));
    }
    const bool ddns = record.UseDDNS != 0;
    CString ddnsPort, port;
    if (ddns) ddnsPort.Format(L"%u", static_cast<unsigned>(record.DDNSPort));
    port.Format(L"%u", static_cast<unsigned>(record.port));
    const CString texts[] = {
        FieldText(record.title),
        FieldText(record.desc),
        Tr(ddns ? L"Yes" : L"No"),
        ddns ? FieldText(record.DDNSIP) : CString(),
        ddnsPort,
        ddns ? FieldText(record.DDNSDevName) : CString(),
        record.logintype == kLoginTypeSelfRegistering ? CString() : FieldText(record.ip),
        port,
        Tr(FieldText(record.type)),
        FieldText(record.model),
        FieldText(record.user),
    };
    for (int column = 1; column <= static_cast<int>(sizeof texts / sizeof texts[0]); ++column)
        m_list.SetItemText(row, column, texts[column - 1]);
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(row, FALSE);
    m_list.RedrawItems(row, row);
}

int CDevManageDlg::SelectDeviceRow(int id) {
    if (id / 1000 > 1000) id /= 10000;  // a channel key names its device
    POINT cursor;
    ::GetCursorPos(&cursor);
    CWnd* under = CWnd::WindowFromPoint(cursor);
    if (!under || under->GetDlgCtrlID() == IDC_DEVMANAGE_USER) return 0;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (static_cast<int>(m_list.GetItemData(row)) != id) continue;
        m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(row, FALSE);
        break;
    }
    return 0;
}

// ---- The form ----------------------------------------------------------------------

void CDevManageDlg::ClearForm() {
    m_title.Empty();
    m_desc.Empty();
    m_ip.Empty();
    m_savedIp.Empty();
    m_user.Empty();
    m_password.Empty();
    m_confirm.Empty();
    m_port.Format(L"%d", m_defaultPort);
    m_modelCombo.GetLBText(0, m_model);
    m_typeCombo.GetLBText(0, m_type);
    m_loginTypeCombo.SetCurSel(0);
    m_useDdns = 0;
    m_ddnsIp.Empty();
    m_ddnsName.Empty();
    m_cardSn.Empty();
    m_ddnsPort = kDefaultDdnsPortText;
}

void CDevManageDlg::ShowSelectedDevice() {
    SetEditMode(MODE_VIEW);
    ClearForm();
    m_updateRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    CDeviceManager* list = SelectedList();
    if (list && m_updateRow >= 0) {
        const int id = static_cast<int>(m_list.GetItemData(m_updateRow));
        const DEVICE_RECORD record = list->GetDevice(id);
        if (record.id == id) {
            RecordToForm(record);
            return;
        }
    }
    UpdateData(FALSE);
}

void CDevManageDlg::RecordToForm(const DEVICE_RECORD& record) {
    const bool selfRegistering = record.logintype == kLoginTypeSelfRegistering;
    m_title = FieldText(record.title);
    m_desc = FieldText(record.desc);
    m_ip = selfRegistering ? CString() : FieldText(record.ip);
    m_savedIp = m_ip;
    m_port.Format(L"%u", static_cast<unsigned>(record.port));
    m_user = FieldText(record.user);
    m_channelCount.Format(L"%d", record.channelCount);
    m_password = FieldText(record.password);
    m_confirm = m_password;
    m_model = FieldText(record.model);
    m_type = Tr(FieldText(record.type));
    for (int i = 0; i < static_cast<int>(sizeof kLoginTypes / sizeof kLoginTypes[0]); ++i) {
        if (kLoginTypes[i].value == record.logintype) m_loginTypeCombo.SetCurSel(i);
    }
    m_cardSn = FieldText(record.cardsn);
    m_useDdns = record.UseDDNS ? 1 : 0;
    if (record.UseDDNS) {
        m_ddnsIp = FieldText(record.DDNSIP);
        m_ddnsPort.Format(L"%u", static_cast<unsigned>(record.DDNSPort));
        m_ddnsName = FieldText(record.DDNSDevName);
    } else {
        m_ddnsIp.Empty();
        m_ddnsName.Empty();
        m_ddnsPort = kDefaultDdnsPortText;
    }
    UpdateData(FALSE);
    UpdateLoginTypeState();
}

void CDevManageDlg::SetEditReadOnly(int id, bool readOnly) {
    if (CEdit* edit = static_cast<CEdit*>(GetDlgItem(id))) edit->SetReadOnly(readOnly ? TRUE : FALSE);
}

void CDevManageDlg::SetEditMode(int mode) {
    m_mode = mode;
    const bool editing = mode != MODE_VIEW;
    const bool rowSelected = m_list.GetSelectedCount() > 0;
    GetDlgItem(IDC_DEVMANAGE_ADD)->SetWindowText(Tr(mode == MODE_ADD ? L"Save" : L"Add"));
    GetDlgItem(IDC_DEVMANAGE_UPDATE)->SetWindowText(Tr(mode == MODE_UPDATE ? L"Save" : L"Update"));
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
        m_titleEdit.SetFocus();
        m_titleEdit.SetSel(0, -1);
    } else {
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
    m_ipEdit.GetWindowText(typed);
    if (!typed.IsEmpty()) m_savedIp = typed;
    m_ipEdit.SetWindowText(L"");
    SetEditReadOnly(IDC_DEVMANAGE_IP, true);
}

void CDevManageDlg::RestoreIp() {
    // Only an address blanked for DDNS or self-registering comes back; one
    // being typed stays as it is.
    if (m_ipEdit.GetStyle() & ES_READONLY) m_ipEdit.SetWindowText(m_savedIp);
    SetEditReadOnly(IDC_DEVMANAGE_IP, false);
}

void CDevManageDlg::UpdateLoginTypeState() {
    CButton* useDdns = static_cast<CButton*>(GetDlgItem(IDC_DEVMANAGE_USEDDNS));
    auto showChannels = [this](bool show) {
        SetEditReadOnly(IDC_DEVMANAGE_CHANNELS, !show);
        m_channelsEdit.ShowWindow(show ? SW_SHOW : SW_HIDE);
    };
    if (m_mode == MODE_VIEW) {
        SetEditReadOnly(IDC_DEVMANAGE_IP, true);
        showChannels(false);
        SetEditReadOnly(IDC_DEVMANAGE_CARDSN, true);
        useDdns->EnableWindow(FALSE);
        for (int id : kDdnsEdits) SetEditReadOnly(id, true);
        return;
    }
    if (SelectedLoginType() == kLoginTypeSelfRegistering) {
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
    ShowMessageBox(this, text, MB_ICONEXCLAMATION, Tr(L"Dodavozi"));
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
    return 0;
}

int CDevManageDlg::RefuseAdd() {
    ShowWarning(Tr(L"Add device failed: too many devices!"));
    return -1;
}

bool CDevManageDlg::AskOkCancel(const wchar_t* question) {
    return ShowMessageBox(this, Tr(question), MB_OKCANCEL | MB_ICONEXCLAMATION, Tr(L"Dodavozi")) == IDOK;
}

int CDevManageDlg::ValidateForm() {
    if (!UpdateData(TRUE)) return 0;
    auto tooLong = [this](const wchar_t* what, int limit) {
        CString text;
        text.Format(L"%s %d !", Tr(what).GetString(), limit);
        return ShowWarning(text);
    };
    auto tooLongWide = [this](const wchar_t* what, int limit) {
        CString text;
        text.Format(L"%s %d (%s:%d)!", Tr(what).GetString(), limit, Tr(L"Wide Char").GetString(), limit / 2);
        return ShowWarning(text);
    };
    const int kMaxPort = 65535;
    if (m_title.IsEmpty()) return ShowWarning(Tr(L"Title is empty!"));
    if (AnsiBytes(m_title) > 32) return tooLongWide(L"Device name length can not be more than", 32);
    if (AnsiBytes(m_desc) > 256) return tooLongWide(L"Descant length can not be more than", 256);
    if (AnsiBytes(m_user) > 8) return tooLong(L"Login device's user id length can not be more than", 8);
    if (m_password != m_confirm) return ShowWarning(Tr(L"Two password is different!"));
    if (AnsiBytes(m_password) > 8) return tooLong(L"Login device's password length can not be more than", 8);
    if (SelectedLoginType() == kLoginTypeSelfRegistering) {
        if (m_cardSn.IsEmpty()) return ShowWarning(Tr(L"Please input card serial number!"));
        if (AnsiBytes(m_cardSn) > 32) return tooLong(L"Card serial number length can not be more than", 32);
        if (NumberOf(m_port) > kMaxPort) return tooLong(L"Port can not be more than", kMaxPort);
        const long long channels = NumberOf(m_channelCount);
        if (m_channelCount.IsEmpty() || channels == 0 || channels > 256)
            return ShowWarning(Tr(L"Please input device channel count!"));
    } else if (m_useDdns) {
        if (m_ddnsIp.IsEmpty() || AnsiBytes(m_ddnsIp) > 256) return ShowWarning(Tr(L"IP is wrong!"));
        if (NumberOf(m_ddnsPort) > kMaxPort) return tooLong(L"Port can not be more than", kMaxPort);
        if (AnsiBytes(m_ddnsName) > 172) return tooLong(L"DDNS device's name length can not be more than", 172);
    } else {
        if (m_ip.IsEmpty() || AnsiBytes(m_ip) > 256) return ShowWarning(Tr(L"IP is wrong!"));
        if (NumberOf(m_port) > kMaxPort) return tooLong(L"Port can not be more than", kMaxPort);
    }
    return 1;
}

int CDevManageDlg::IsUniqueInList(const DEVICE_RECORD& record, int skippedRow) {
    CDeviceManager* list = SelectedList();
    if (!list) return 1;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        if (row == skippedRow) continue;
        const int id = static_cast<int>(m_list.GetItemData(row));
        const DEVICE_RECORD listed = list->GetDevice(id);
        if (listed.id != id) continue;
        if (strncmp(listed.title, record.title, 32) == 0 || IsSameDeviceAddress(listed, record)) {
            ShowWarning(Tr(L"Device Title or IP has in list!"));
            return 0;
        }
    }
    return 1;
}

int CDevManageDlg::FormToRecord(DEVICE_RECORD& record) {
    if (!ValidateForm()) return -1;
    SetField(record.title, m_title);
    SetField(record.desc, m_desc);
    SetField(record.ip, m_ip);
    SetField(record.user, m_user);
    SetField(record.password, m_password);
    SetField(record.manufacturer, Tr(L"Duzadazozivo1"));
    const int type = m_typeCombo.GetCurSel();
    if (type >= 0 && type < kTypeCount) CopyFixedText(record.type, kTypeKeys[type]);
    SetField(record.model, m_model);
    SetField(record.cardsn, m_cardSn);
    record.port = static_cast<uint16_t>(NumberOf(m_port));
    record.logintype = SelectedLoginType();
    if (record.logintype == kLoginTypeSelfRegistering) record.channelCount = static_cast<int32_t>(NumberOf(m_channelCount));
    record.UseDDNS = m_useDdns ? 1 : 0;
    if (record.UseDDNS) {
        SetField(record.DDNSIP, m_ddnsIp);
        SetField(record.DDNSDevName, m_ddnsName);
        record.DDNSPort = static_cast<uint16_t>(NumberOf(m_ddnsPort));
    } else {
        memset(record.DDNSIP, 0, sizeof record.DDNSIP);
        memset(record.DDNSDevName, 0, sizeof record.DDNSDevName);
        record.DDNSPort = kDefaultDdnsPort;
    }
    return IsUniqueInList(record, m_mode == MODE_UPDATE ? m_updateRow : -1) ? 0 : -1;
}

void CDevManageDlg::ReadChannelsOnce(CDeviceManager& list, int id) {
    if (list.LoginAndQueryDevice(id) < 0) {
        const DEVICE_RECORD record = list.GetDevice(id);
        CString text;
        text.Format(L"%s %s", Tr(L"Can not login the device, its channels are not read:").GetString(),
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
        const int id = static_cast<int>(m_list.GetItemData(m_updateRow));
        record = list->GetDevice(id);
        if (record.id != id) return -1;
        old = record;
    }
    if (FormToRecord(record) != 0) return -1;
    if (m_mode == MODE_ADD) {
        if (list->AddDeviceRecord(record) != 0) return RefuseAdd();
        ReadChannelsOnce(*list, record.id);
        FillDeviceRow(list->GetDevice(record.id), -1);
        return 0;
    }
    if (list->ReplaceDevice(record.id, record) == 0) {
        if (!IsSameDeviceAddress(old, record) || CredentialsDiffer(old, record)) {
            if (record.logintype != kLoginTypeSelfRegistering) {
                record.channelCount = 0;
                record.alarmInCount = 0;
                record.alarmOutCount = 0;
                list->ReplaceDevice(record.id, record);
            }
            ReadChannelsOnce(*list, record.id);
        }
    }
    FillDeviceRow(list->GetDevice(record.id), m_updateRow);
    return 0;
}

// ---- Rows, check boxes, delete -------------------------------------------------------

void CDevManageDlg::OnListItemChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!(change->uChanged & LVIF_STATE)) return;
    m_checkedCount = CountCheckedRows(m_list);
    ShowSelectedDevice();
    EnableDelete();
}

void CDevManageDlg::OnCheckAllRows(NMHDR*, LRESULT* result) {
    *result = 0;
    if (m_list.GetItemCount() == 0) return;
    m_selectAll = !m_selectAll;
    SetAllChecks(m_list, m_selectAll != 0);
    m_checkedCount = CountCheckedRows(m_list);
    EnableDelete();
}

void CDevManageDlg::DeleteCheckedDevices() {
    CDeviceManager* list = SelectedList();
    if (m_checkedCount == 0 || !list) return;
    if (!AskOkCancel(L"Are you sure to delete this item?")) return;
    m_list.SetRedraw(FALSE);
    bool deleted = false;
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        if (!m_list.GetCheck(row)) continue;
        list->DeleteDevice(static_cast<int>(m_list.GetItemData(row)));
        m_list.DeleteItem(row);
        deleted = true;
        const int count = m_list.GetItemCount();
        if (count > 0) m_list.SetItemState(row < count ? row : count - 1, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (deleted) {
        for (int row = 0; row < m_list.GetItemCount(); ++row) {
            CString number;
            number.Format(L"%d", row + 1);
            m_list.SetItemText(row, 0, number);
        }
        int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
        if (selected < 0) selected = 0;
        if (m_list.GetItemCount() > 0) {
            m_list.SetItemState(selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            m_list.EnsureVisible(selected, FALSE);
        }
        ShowSelectedDevice();
    }
    m_list.SetRedraw(TRUE);
    m_list.Invalidate();
    m_checkedCount = CountCheckedRows(m_list);
    m_selectAll = 0;
    GetDlgItem(IDC_DEVMANAGE_DELETE)->EnableWindow(FALSE);
}

// ---- Import, export, search ------------------------------------------------------------

CString CDevManageDlg::PromptDeviceFile(DWORD flags) {
    return PromptOpenFile(this, flags, L"XML Files (*.xml) | *.xml|", L"xml");
}

void CDevManageDlg::ImportDeviceFile() {
    CDeviceManager* list = SelectedList();
    if (!list) return;
    const CString path = PromptDeviceFile(OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY);
    if (path.IsEmpty() || !AskOkCancel(L"Import device XML File?")) return;
    // Read aside first: a file that does not read must not cost the user
    // the devices (and, after OK, the schedules) of the list.
    CDeviceManager imported;
    imported.SetMaxDeviceCount(GetAppConfig()->m_nDevMaxCount);
    std::vector<DEVICE_RECORD> records;
    if (imported.ReadDeviceXml(path) != 0 || imported.GetAllDevices(records) != 0 || records.empty()) {
        ShowWarning(Tr(L"Import device XML File failed!"));
        return;
    }
    list->RemoveAllDevices();
    for (const DEVICE_RECORD& record : records) list->AddDeviceRecord(record);
    SetEditMode(MODE_VIEW);
    ReloadDeviceList();
    ShowSelectedDevice();
}

void CDevManageDlg::ExportDeviceFile() {
    CDeviceManager* list = SelectedList();
    if (!list) return;
    const CString path = PromptDeviceFile(OFN_ENABLESIZING | OFN_HIDEREADONLY);
    if (path.IsEmpty() || !AskOkCancel(L"Export device XML File?")) return;
    if (list->WriteDeviceXml(path) < 0) ShowWarning(Tr(L"Export device XML File failed!"));
}

int CDevManageDlg::AddSearchedDevice(DEVICE_RECORD* record) {
    CDeviceManager* list = SelectedList();
    if (!list || !record) return -1;
    if (list->IsFull()) return RefuseAdd();
    record->id = list->GetNextDeviceId();
    if (!IsUniqueInList(*record, -1)) return 0;
    SetField(record->manufacturer, Tr(L"Duzadazozivo1"));
    SetField(record->model, Tr(L"2th version protocol"));
    if (list->AddDeviceRecord(*record) != 0) return RefuseAdd();
    ReadChannelsOnce(*list, record->id);
    FillDeviceRow(list->GetDevice(record->id), -1);
    return 0;
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

void CDevManageDlg::OnBnClickedSearch() {
    SetEditMode(MODE_VIEW);
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
    if (m_searchDlg.GetSafeHwnd() && m_searchDlg.IsWindowVisible()) m_searchDlg.OnBnClickedCancel();
    FreeUserLists();
    CDialog::OnCancel();
}

void CDevManageDlg::OnDestroy() {
    if (m_searchDlg.GetSafeHwnd()) {
        // A search left running would go on probing for a window that is gone.
        if (m_searchDlg.IsWindowVisible()) GetBackupEngine().StopDeviceSearch();
        m_searchDlg.DestroyWindow();
    }
    FreeUserLists();
    CDialog::OnDestroy();
}

// ---- Hints and colours ----------------------------------------------------------------

BOOL CDevManageDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_MOUSEMOVE) {
        CWnd* target = CWnd::FromHandle(msg->hwnd);
        if (msg->hwnd == m_hWnd) {
            POINT point = {GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
            target = ChildWindowFromPoint(point, CWP_SKIPINVISIBLE);
        }
        if (target && target->m_hWnd != m_hWnd && target->IsWindowEnabled() && target->IsWindowVisible()) {
            wchar_t className[16] = {};
            ::GetClassNameW(target->m_hWnd, className, 16);
            const bool readOnlyEdit = _wcsicmp(className, L"Edit") == 0 && (target->GetStyle() & ES_READONLY);
            if (!readOnlyEdit) m_hint.ShowHint(target->GetDlgCtrlID());
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

HBRUSH CDevManageDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    HBRUSH brush = CDialog::OnCtlColor(dc, wnd, ctlColor);
    if (ctlColor == CTLCOLOR_STATIC) dc->SetBkMode(TRANSPARENT);
    if (CBrush* own = CCtrlColorChange::OnCtlColor(this, dc, wnd)) return static_cast<HBRUSH>(own->GetSafeHandle());
    return brush;
}
