#include "CUserManageDlg.h"

#include "CUserFolders.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/HoverHintTarget.h"
#include "app/ui/dialogs/ListCheckBoxes.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/CUserManager.h"
#include "app/core/TextValues.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/resource.h"

namespace {

const int kMaxIdLength = 32;
const int kMaxPasswordLength = 32;
const int kMaxNameLength = 126;
const int kMaxInfoLength = 126;
const UINT kCheckedStateFloor = 0x2000;

CString LengthRefusal(const wchar_t* key, int limit) {
    CString text;
    text.Format(L"%s %d !", static_cast<LPCWSTR>(Translate(key)), limit);
    return text;
}

// The combo item of a stored sex; none (-1) for a text that is neither.
int SexIndex(const CString& sex) {
    return sex.CompareNoCase(L"Male") == 0 ? 0 : sex.CompareNoCase(L"Female") == 0 ? 1 : -1;
}

BOOL IsCheckedState(UINT state) { return (state & LVIS_STATEIMAGEMASK) >= kCheckedStateFloor; }

}  // namespace

BEGIN_MESSAGE_MAP(CUserManageDlg, CDialog)
ON_WM_CTLCOLOR()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_WM_SHOWWINDOW()
ON_NOTIFY(LVN_ITEMCHANGED, IDC_USERMAN_LIST, OnListItemChanged)
ON_NOTIFY(HDN_ITEMDBLCLICKW, 0, OnHeaderDoubleClick)
ON_BN_CLICKED(IDC_USERMAN_ADD, OnAddClicked)
ON_BN_CLICKED(IDC_USERMAN_UPDATE, OnUpdateClicked)
ON_BN_CLICKED(IDC_USERMAN_RESET, OnResetClicked)
ON_BN_CLICKED(IDC_USERMAN_DELETE, OnDeleteClicked)
ON_BN_CLICKED(IDC_USERMAN_OK, OnOkClicked)
ON_BN_CLICKED(IDC_USERMAN_CANCEL, OnCancelClicked)
END_MESSAGE_MAP()

CUserManageDlg::CUserManageDlg(CWnd* parent) : CDialog(IDD_USER_MANAGE, parent) {}

CUserManageDlg::~CUserManageDlg() {
    // Normally WM_DESTROY has freed them; a window never created owns none.
    if (!m_hWnd) return;
    FreeRowRecords();
}

CUserManager& CUserManageDlg::Users() { return m_pUsers ? *m_pUsers : GetBackupEngine().Users(); }

void CUserManageDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_USERMAN_LIST, m_list);
    DDX_Control(dx, IDC_USERMAN_ID, m_editId);
    DDX_Control(dx, IDC_USERMAN_NAME, m_editName);
    DDX_Control(dx, IDC_USERMAN_PASSWORD, m_editPassword);
    DDX_Control(dx, IDC_USERMAN_CONFIRM, m_editConfirm);
    DDX_Control(dx, IDC_USERMAN_INFO, m_editInfo);
    DDX_Control(dx, IDC_USERMAN_SYSDIR, m_editSystemDir);
    DDX_Control(dx, IDC_USERMAN_SEX, m_comboSex);
    DDX_Text(dx, IDC_USERMAN_ID, m_strId);
    DDX_Text(dx, IDC_USERMAN_NAME, m_strName);
    DDX_Text(dx, IDC_USERMAN_PASSWORD, m_strPassword);
    DDX_Text(dx, IDC_USERMAN_CONFIRM, m_strConfirm);
    DDX_Text(dx, IDC_USERMAN_INFO, m_strInfo);
    DDX_Text(dx, IDC_USERMAN_SYSDIR, m_strSystemDir);
}

BOOL CUserManageDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    GetInitLanguage()->TranslateDialog(this);
    SetupEdits();
    SetupHints();
    m_comboSex.AddString(Translate(L"Male"));
    m_comboSex.AddString(Translate(L"Female"));
    m_comboSex.SetCurSel(0);
    m_nSelectedRow = -1;
    m_nCheckAll = 0;
    m_nCheckedCount = 0;
    GetDlgItem(IDC_USERMAN_DELETE)->EnableWindow(FALSE);
    InsertColumns();
    Reload();
    return FALSE;  // the list has the focus
}

void CUserManageDlg::SetupEdits() {
    CAppConfig* config = GetAppConfig();
    COLORREF focused = ParseColor(config->m_strFocusColor);
    COLORREF normal = ParseColor(config->m_strNormalColor);
    COLORREF readOnly = ParseColor(config->m_strReadOnlyColor);
    for (int id : {IDC_USERMAN_ID, IDC_USERMAN_NAME, IDC_USERMAN_PASSWORD, IDC_USERMAN_CONFIRM, IDC_USERMAN_INFO,
                   IDC_USERMAN_SYSDIR})
        SetCtrlColors(this, id, focused, normal, readOnly);
    for (CSupperEdit* edit : {&m_editId, &m_editPassword, &m_editConfirm}) {
        edit->PrepareFilter();
        edit->SetAllowedChars(kUserIdChars);
        edit->SetAllowPaste(FALSE);
    }
    for (CSupperEdit* edit : {&m_editName, &m_editInfo}) {
        edit->PrepareFilter();
        edit->SetDeniedChars(L"\"");
    }
}

void CUserManageDlg::SetupHints() {
    m_hint.Attach(this, IDC_USERMAN_HINT);
    const struct {
        int id;
        const wchar_t* text;
    } hints[] = {
        {IDC_USERMAN_ID, L"Please input user's ID!"},
        {IDC_USERMAN_PASSWORD, L"Please input user's password!"},
        {IDC_USERMAN_CONFIRM, L"Please reinput user's password!"},
        {IDC_USERMAN_NAME, L"Please input user's desc!"},
        {IDC_USERMAN_SEX, L"Please select user's sex!"},
        {IDC_USERMAN_INFO, L"Please input user's information!"},
        {IDC_USERMAN_SYSDIR, L"User's current files dirctory!"},
        {IDC_USERMAN_RESET, L"Clear all input information!"},
        {IDC_USERMAN_ADD, L"Add user information!"},
        {IDC_USERMAN_UPDATE, L"Update user information!"},
        {IDC_USERMAN_DELETE, L"Delete user information!"},
    };
    for (const auto& hint : hints) m_hint.SetHint(hint.id, Translate(hint.text));
}

void CUserManageDlg::InsertColumns() {
    const struct {
        const wchar_t* title;
        int width;
    } columns[] = {{L"No.", 80}, {L"ID", 80},    {L"Compellation", 120},
                   {L"Sex", 60}, {L"Info", 100}, {L"SystemDir", 250}};
    int index = 0;
    for (const auto& column : columns) m_list.InsertColumn(index++, Translate(column.title), LVCFMT_LEFT, column.width);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
}

BOOL CUserManageDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_MOUSEMOVE && m_hWnd) {
        if (HWND target = HintTargetOf(m_hWnd, *msg, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED))
            m_hint.ShowHint(::GetDlgCtrlID(target));
    }
    return CDialog::PreTranslateMessage(msg);
}

HBRUSH CUserManageDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    HBRUSH brush = CDialog::OnCtlColor(dc, wnd, ctlColor);
    CBrush* own = CCtrlColorChange::OnCtlColor(this, dc, wnd);
    return own ? static_cast<HBRUSH>(own->GetSafeHandle()) : brush;
}

void CUserManageDlg::OnClose() { EndDialog(IDCANCEL); }

void CUserManageDlg::OnCancelClicked() { EndDialog(IDCANCEL); }

void CUserManageDlg::OnDestroy() {
    FreeRowRecords();
    CDialog::OnDestroy();
}

void CUserManageDlg::OnShowWindow(BOOL show, UINT status) {
    CDialog::OnShowWindow(show, status);
    // With nothing of its own pending, the dialog shows the users as they are
    // now: a password changed meanwhile must not be reverted by the next OK.
    if (show && m_list.m_hWnd && !HasPendingWork()) Reload();
}

BOOL CUserManageDlg::HasPendingWork() const {
    return !m_removedIds.empty() || m_nEditMode != kBrowse || m_bRowsChanged;
}

void CUserManageDlg::Reload() {
    m_removedIds.clear();
    m_bRowsChanged = FALSE;
    m_nEditMode = kBrowse;
    FillUserList();
    ShowSelectedUser();
}

void CUserManageDlg::FillUserList() {
    m_bFilling = TRUE;
    FreeRowRecords();
    m_list.SetRedraw(FALSE);
    m_list.DeleteAllItems();
    m_nCheckedCount = 0;
    m_nCheckAll = 0;
    std::vector<USER_INFO> users;
    Users().ListUsers(CString(), users);
    for (const USER_INFO& user : users) {
        USER_INFO* record = new USER_INFO(user);
        m_originalIds[record] = record->id;
        SetUserRow(record, -1);
    }
    m_list.SetRedraw(TRUE);
    m_bFilling = FALSE;
    EnableDeleteByChecks();
}

void CUserManageDlg::FreeRowRecords() {
    if (!m_list.m_hWnd) return;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        USER_INFO* record = RowRecord(row);
        // Cleared first: a notification while the rows go must not read a freed record.
        m_list.SetItemData(row, 0);
        delete record;
    }
    m_originalIds.clear();
}

USER_INFO* CUserManageDlg::RowRecord(int row) const {
    if (row < 0 || row >= m_list.GetItemCount()) return nullptr;
    return reinterpret_cast<USER_INFO*>(m_list.GetItemData(row));
}

void CUserManageDlg::SetUserRow(USER_INFO* record, int row) {
    if (row < 0) {
        CString number;
        number.Format(L"%d", m_list.GetItemCount() + 1);
        row = m_list.InsertItem(LVIF_TEXT | LVIF_PARAM, m_list.GetItemCount(), number, 0, 0, 0,
                                reinterpret_cast<LPARAM>(record));
    }
    record->systemdir = CUserFolders::DirectoryText(record->id);
    m_list.SetItemText(row, 1, record->id);
    m_list.SetItemText(row, 2, record->name);
    m_list.SetItemText(row, 3, Translate(record->sex));
    m_list.SetItemText(row, 4, record->information);
    m_list.SetItemText(row, 5, record->systemdir);
    SelectRow(row);
}

void CUserManageDlg::SelectRow(int row) {
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int CUserManageDlg::FirstSelectedRow() const { return m_list.GetNextItem(-1, LVNI_SELECTED); }

void CUserManageDlg::RenumberRows() {
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        CString number;
        number.Format(L"%d", row + 1);
        m_list.SetItemText(row, 0, number);
    }
}

void CUserManageDlg::SetEditMode(int mode) {
    m_nEditMode = mode;
    BOOL editing = mode != kBrowse;
    BOOL rowSelected = FirstSelectedRow() >= 0;
    GetDlgItem(IDC_USERMAN_RESET)->ShowWindow(editing ? SW_SHOW : SW_HIDE);
    GetDlgItem(IDC_USERMAN_ADD)->SetWindowText(Translate(mode == kAdding ? L"Save" : L"Add"));
    GetDlgItem(IDC_USERMAN_ADD)->EnableWindow(mode != kUpdating);
    GetDlgItem(IDC_USERMAN_UPDATE)->SetWindowText(Translate(mode == kUpdating ? L"Save" : L"Update"));
    GetDlgItem(IDC_USERMAN_UPDATE)->EnableWindow(mode != kAdding && rowSelected);
    GetDlgItem(IDC_USERMAN_DELETE)->EnableWindow(FALSE);
    // A changed ID moves the user's folder along at OK.
    for (CSupperEdit* edit : {&m_editId, &m_editName, &m_editPassword, &m_editConfirm, &m_editInfo})
        edit->SetReadOnly(!editing);
    m_editSystemDir.SetReadOnly(TRUE);
    m_comboSex.EnableWindow(editing);
    if (mode == kAdding) {
        m_strId = m_strName = m_strPassword = m_strConfirm = m_strInfo = m_strSystemDir = CString();
        m_comboSex.SetCurSel(0);
        UpdateData(FALSE);
    }
    if (editing) {
        GotoDlgCtrl(&m_editId);
        m_editId.SetSel(0, -1);
    } else {
        GotoDlgCtrl(&m_list);
    }
}

void CUserManageDlg::ShowSelectedUser() {
    SetEditMode(kBrowse);
    m_strId = m_strName = m_strPassword = m_strConfirm = m_strInfo = m_strSystemDir = CString();
    m_comboSex.SetCurSel(0);
    m_nSelectedRow = FirstSelectedRow();
    if (const USER_INFO* record = RowRecord(m_nSelectedRow)) {
        m_strId = record->id;
        m_strPassword = m_strConfirm = record->psw;
        m_strName = record->name;
        m_strInfo = record->information;
        m_strSystemDir = record->systemdir;
        m_comboSex.SetCurSel(SexIndex(record->sex));
    }
    UpdateData(FALSE);
    EnableDeleteByChecks();
}

void CUserManageDlg::OnAddClicked() { CompleteEdit(kAdding); }

void CUserManageDlg::OnUpdateClicked() { CompleteEdit(kUpdating); }

void CUserManageDlg::CompleteEdit(int mode) {
    if (m_nEditMode != mode) {
        SetEditMode(mode);
        return;
    }
    if (ApplyEdit() != 0) {
        GotoDlgCtrl(&m_editId);
        m_editId.SetSel(0, -1);
        return;
    }
    SetEditMode(kBrowse);
    EnableDeleteByChecks();
}

void CUserManageDlg::OnResetClicked() {
    SetEditMode(kBrowse);
    ShowSelectedUser();
}

int CUserManageDlg::ApplyEdit() {
    int row = -1;
    if (m_nEditMode == kUpdating) {
        row = FirstSelectedRow();
        if (!RowRecord(row)) return -1;
    }
    if (!UpdateData(TRUE)) return -1;
    CString refusal = CheckEdit(row);
    if (!refusal.IsEmpty()) {
        ShowWarning(refusal);
        return -1;
    }
    USER_INFO* record = row >= 0 ? RowRecord(row) : new USER_INFO();
    record->id = m_strId;
    record->name = m_strName;
    record->information = m_strInfo;
    record->psw = m_strPassword;
    // A stored sex the user left as shown is kept as it was written.
    const int sex = m_comboSex.GetCurSel();
    if (sex >= 0 && (row < 0 || sex != SexIndex(record->sex))) record->sex = sex == 0 ? L"Male" : L"Female";
    m_bFilling = TRUE;
    SetUserRow(record, row);
    m_bFilling = FALSE;
    m_bRowsChanged = TRUE;
    ShowSelectedUser();
    return 0;
}

CString CUserManageDlg::CheckEdit(int updatedRow) const {
    if (m_strId.IsEmpty()) return Translate(L"ID is empty!");
    if (m_strId.GetLength() > kMaxIdLength) return LengthRefusal(L"User id length can not be more than", kMaxIdLength);
    if (m_strPassword != m_strConfirm) return Translate(L"Two password is different!");
    if (m_strPassword.GetLength() > kMaxPasswordLength)
        return LengthRefusal(L"Password length can not be more than", kMaxPasswordLength);
    if (m_strName.GetLength() > kMaxNameLength)
        return LengthRefusal(L"User name length can not be more than", kMaxNameLength);
    if (m_strInfo.GetLength() > kMaxInfoLength)
        return LengthRefusal(L"User information length can not be more than", kMaxInfoLength);
    if (IsIdTaken(m_strId, updatedRow)) return Translate(L"ID is already existed!");
    // Another user's folder is free once that user is renamed or deleted;
    // while that user keeps the ID, the check above has refused it.
    std::vector<CString> userFolders = m_removedIds;
    for (const auto& original : m_originalIds) userFolders.push_back(original.second);
    if (!CUserFolders::CanName(m_strId, userFolders))
        return Translate(L"ID is the name of a folder in the program's directory!");
    return CString();
}

BOOL CUserManageDlg::IsIdTaken(const CString& id, int updatedRow) const {
    if (id.CompareNoCase(GetAppConfig()->m_strSuperUserID) == 0) return TRUE;
    // Letter case is ignored for the other rows too: the folder of ".\Bob"
    // is that of ".\bob", and deleting one user would wipe the other's data.
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        const USER_INFO* record = RowRecord(row);
        if (row != updatedRow && record && record->id.CompareNoCase(id) == 0) return TRUE;
    }
    return FALSE;
}

void CUserManageDlg::OnListItemChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!(change->uChanged & LVIF_STATE) || change->iItem < 0) return;
    BOOL was = IsCheckedState(change->uOldState);
    BOOL now = IsCheckedState(change->uNewState);
    if (!was && now)
        ++m_nCheckedCount;
    else if (was && !now && m_nCheckedCount > 0)
        --m_nCheckedCount;
    if (m_bFilling) return;
    SetEditMode(kBrowse);
    ShowSelectedUser();
}

void CUserManageDlg::EnableDeleteByChecks() { GetDlgItem(IDC_USERMAN_DELETE)->EnableWindow(m_nCheckedCount > 0); }

void CUserManageDlg::OnHeaderDoubleClick(NMHDR* header, LRESULT* result) {
    *result = 0;
    if (!IsFirstHeaderDoubleClick(m_list, reinterpret_cast<LPARAM>(header))) return;
    // Ticking is no edit: the rows' notifications must not reset the form.
    m_bFilling = TRUE;
    const bool toggled = ToggleAllChecks(m_list, m_nCheckAll);
    m_bFilling = FALSE;
    if (!toggled) return;
    m_nCheckedCount = m_nCheckAll ? m_list.GetItemCount() : 0;
    EnableDeleteByChecks();
}

void CUserManageDlg::OnDeleteClicked() { DeleteCheckedUsers(); }

int CUserManageDlg::DeleteCheckedUsers() {
    if (CountCheckedRows(m_list) == 0) return -1;
    if (ShowDodavoziBox(this, Translate(L"Are you sure to delete this item?"), MB_OKCANCEL | MB_ICONEXCLAMATION) !=
        IDOK)
        return 0;
    const CString currentId = Users().m_CurrentUser.id;
    BOOL deleted = FALSE;
    m_bFilling = TRUE;
    m_list.SetRedraw(FALSE);
    for (int row = m_list.GetItemCount() - 1; row >= 0; --row) {
        if (!m_list.GetCheck(row)) continue;
        USER_INFO* record = RowRecord(row);
        if (record && record->id == currentId) {
            ShowDodavoziBox(this, Translate(L"Can't delete current user information!"), MB_ICONINFORMATION);
            continue;
        }
        // Only a user that was saved has a folder to remove.
        const CString original = OriginalId(record);
        if (!original.IsEmpty()) m_removedIds.push_back(original);
        m_originalIds.erase(record);
        m_list.SetItemData(row, 0);
        delete record;
        m_list.DeleteItem(row);
        deleted = TRUE;
        int count = m_list.GetItemCount();
        if (count > 0) SelectRow(row < count ? row : count - 1);
    }
    m_bFilling = FALSE;
    if (deleted) {
        RenumberRows();
        int row = FirstSelectedRow();
        if (row < 0 && m_list.GetItemCount() > 0) row = 0;
        if (row >= 0) {
            SelectRow(row);
            m_list.EnsureVisible(row, FALSE);
        }
        ShowSelectedUser();
    }
    m_list.SetRedraw(TRUE);
    m_list.Invalidate();
    m_nCheckedCount = 0;
    m_nCheckAll = 0;
    EnableDeleteByChecks();
    return 0;
}

void CUserManageDlg::OnOkClicked() {
    if (SaveUsers() != 0) {
        ShowWarning(Translate(L"Save user information failed!"));
        return;
    }
    CString text;
    text.Format(L"%s %s", static_cast<LPCWSTR>(Translate(L"User Manage")),
                static_cast<LPCWSTR>(Translate(L"Save succeed!")));
    if (m_logWriter)
        m_logWriter(0, 2, text);
    else
        GetBackupEngine().AddLogRecord(NewLogEntry(0, 2, text));
    EndDialog(IDOK);
}

int CUserManageDlg::SaveUsers() {
    CUserManager& users = Users();
    std::vector<USER_INFO> before;
    users.ListUsers(CString(), before);
    StoreRows();
    // The folders change only once the file holds the users: a failed save
    // must leave both the users and their data as they were.
    if (users.Save(CString()) != 0) {
        users.Clear();
        for (const USER_INFO& user : before) users.AddUser(user);
        return -1;
    }
    std::vector<std::pair<CString, CString>> folders;
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        if (const USER_INFO* record = RowRecord(row)) folders.push_back({OriginalId(record), record->id});
    CUserFolders::Update(m_removedIds, folders);
    m_removedIds.clear();
    SeedFolders();
    m_bRowsChanged = FALSE;
    return 0;
}

void CUserManageDlg::SeedFolders() {
    bool fellBack = false;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
        USER_INFO* record = RowRecord(row);
        if (!record) continue;
        m_originalIds[record] = record->id;
        if (!CUserFolders::Seed(*record)) {
            m_list.SetItemText(row, 5, record->systemdir);
            fellBack = true;
        }
    }
    // The users file names the folder each user got.
    if (fellBack) {
        StoreRows();
        Users().Save(CString());
    }
}

void CUserManageDlg::StoreRows() {
    Users().Clear();
    for (int row = 0; row < m_list.GetItemCount(); ++row)
        if (const USER_INFO* record = RowRecord(row)) Users().AddUser(*record);
}

void CUserManageDlg::ShowWarning(const CString& text) {
    HWND focus = ::GetFocus();
    ShowDodavoziBox(this, text, MB_ICONEXCLAMATION);
    if (focus) ::SetFocus(focus);
}
