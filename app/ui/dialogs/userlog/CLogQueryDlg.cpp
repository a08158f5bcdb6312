#include "CLogQueryDlg.h"

#include <commdlg.h>

#include <cwchar>
#include <new>
#include <utility>

#include "LogTypeNames.h"
#include "app/ui/dialogs/UnreadableFileNotices.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/CUserManager.h"
#include "app/core/DateAddressUtil.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"

namespace {

CString Tr(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

// The combo entry of a user: its ID, and " - name" when it has one.
CString UserEntry(const CString& id, const CString& name) {
    if (name.IsEmpty()) return id;
    CString entry;
    entry.Format(L"%s - %s", static_cast<LPCWSTR>(id), static_cast<LPCWSTR>(name));
    return entry;
}

const int kLogTimeChars = 19;  // "YYYY-MM-DD HH:MM:SS"

void WriteDigits(wchar_t* out, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) out[i] = static_cast<wchar_t>(L'0' + value % 10);
}

// Writes the local time as "YYYY-MM-DD HH:MM:SS" (no terminator) with one
// conversion to local time and no formatted print: a month of log records
// has hundreds of thousands of these.
void WriteLogTime(LOG_TIME t, wchar_t* out) {
    struct tm fields = {};
    if (!CTime(t).GetLocalTm(&fields) || fields.tm_year + 1900 > 9999) {
        wmemcpy(out, L"0000-00-00 00:00:00", kLogTimeChars);
        return;
    }
    wmemcpy(out, L"    -  -     :  :  ", kLogTimeChars);
    WriteDigits(out, fields.tm_year + 1900, 4);
    WriteDigits(out + 5, fields.tm_mon + 1, 2);
    WriteDigits(out + 8, fields.tm_mday, 2);
    WriteDigits(out + 11, fields.tm_hour, 2);
    WriteDigits(out + 14, fields.tm_min, 2);
    WriteDigits(out + 17, fields.tm_sec, 2);
}

CString LogTimeText(LOG_TIME t) {
    wchar_t text[kLogTimeChars];
    WriteLogTime(t, text);
    return CString(text, kLogTimeChars);
}

// "begin -- end".
CString LogSpanText(LOG_TIME begin, LOG_TIME end) {
    wchar_t text[2 * kLogTimeChars + 4];
    WriteLogTime(begin, text);
    wmemcpy(text + kLogTimeChars, L" -- ", 4);
    WriteLogTime(end, text + kLogTimeChars + 4);
    return CString(text, 2 * kLogTimeChars + 4);
}

struct QUERY_JOB {
    LOG_QUERY request;
    CLogQueryDlg::QueryRunner runner;
};

const DWORD_PTR kNoUserFilter = static_cast<DWORD_PTR>(-1);

}  // namespace

BEGIN_MESSAGE_MAP(CLogQueryDlg, CDialog)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_SIZE()
ON_CBN_SELCHANGE(IDC_LOGQUERY_USER, OnUserChanged)
ON_NOTIFY(DTN_DATETIMECHANGE, IDC_LOGQUERY_MONTH, OnMonthChanged)
ON_NOTIFY(TVN_SELCHANGEDW, IDC_LOGQUERY_TREE, OnTreeSelChanged)
ON_BN_CLICKED(IDC_LOGQUERY_EXPORT, OnExportClicked)
ON_COMMAND(ID_LOGQUERY_EXPORT_TEXT, OnExportText)
ON_COMMAND(ID_LOGQUERY_EXPORT_EXCEL, OnExportExcel)
END_MESSAGE_MAP()

CLogQueryDlg::CLogQueryDlg(CWnd* parent) : CDialog(IDD_LOG_QUERY, parent) {}

CLogQueryDlg::~CLogQueryDlg() {
    if (m_exportMenu.GetSafeHmenu()) m_exportMenu.DestroyMenu();
}

CUserManager& CLogQueryDlg::Users() { return m_pUsers ? *m_pUsers : GetBackupEngine().Users(); }

CLogQueryDlg::QueryRunner CLogQueryDlg::Runner() const {
    if (m_runner) return m_runner;
    return [](LOG_QUERY& request) {
        LOG_TIME noTime = GetDefaultLogTime();
        request.result = GetBackupEngine().Log().Query(request.results, request.month.GetYear(),
                                                       request.month.GetMonth(), request.type, request.code,
                                                       request.user, noTime, noTime, -1, -1, -1, -1, -1, -1);
    };
}

void CLogQueryDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOGQUERY_USER, m_comboUser);
    DDX_Control(dx, IDC_LOGQUERY_MONTH, m_monthPicker);
    DDX_Control(dx, IDC_LOGQUERY_TREE, m_tree);
    DDX_Control(dx, IDC_LOGQUERY_LIST, m_list);
}

BOOL CLogQueryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    CenterWindow();
    RegisterLayout();
    return TRUE;
}

void CLogQueryDlg::RegisterLayout() {
    const struct {
        int id;
        int flags[6];
    } layout[] = {
        {IDC_LOGQUERY_USER_LABEL, {1, 0, 1, 0, 1, 1}}, {IDC_LOGQUERY_DATE_LABEL, {1, 0, 1, 0, 1, 1}},
        {IDC_LOGQUERY_USER, {1, 0, 1, 0, 1, 1}},       {IDC_LOGQUERY_MONTH, {1, 0, 1, 0, 1, 1}},
        {IDC_LOGQUERY_TREE, {1, 1, 1, 0, 0, 1}},       {IDC_LOGQUERY_LIST, {1, 1, 1, 1, 0, 0}},
        {IDC_LOGQUERY_EXPORT, {0, 1, 1, 0, 1, 1}},     {IDCANCEL, {0, 1, 0, 1, 1, 1}},
    };
    for (const auto& item : layout)
        AddLayoutCtrlVH(this, item.id, item.flags[0], item.flags[1], item.flags[2], item.flags[3], item.flags[4],
                        item.flags[5], m_layoutItems);
    CRect client;
    GetClientRect(&client);
    m_nLayoutWidth = client.Width();
    m_nLayoutHeight = client.Height();
}

int CLogQueryDlg::Activate() {
    if (!m_bInitialised) {
        FillUserCombo();
        SetupMonthPicker();
        BuildTree();
        InsertColumns();
        GetDlgItem(IDC_LOGQUERY_EXPORT)->EnableWindow(FALSE);
        m_bInitialised = 1;
    } else if (Users().m_CurrentUser.id != m_strComboUser) {
        // Built for someone else: a user logging in after the super user
        // must see neither "All User" nor the others' entries.
        FillUserCombo();
    }
    RunQuery();
    if (m_comboUser.IsWindowEnabled())
        GotoDlgCtrl(&m_comboUser);
    else
        GotoDlgCtrl(&m_monthPicker);
    return 0;
}

void CLogQueryDlg::FillUserCombo() {
    CUserManager& users = Users();
    const USER_INFO current = users.m_CurrentUser;
    const CString superUserId = GetAppConfig()->m_strSuperUserID;
    m_strComboUser = current.id;
    m_comboUser.SetRedraw(FALSE);
    m_comboUser.ResetContent();
    auto addEntry = [this](const CString& id, const CString& text) {
        int index = m_comboUser.AddString(text);
        m_comboUser.SetItemData(index, static_cast<DWORD_PTR>(id.GetLength()));
    };
    if (current.id == superUserId) {
        CString entry;
        entry.Format(L"%s - %s", static_cast<LPCWSTR>(superUserId), static_cast<LPCWSTR>(Tr(L"Super Manage User")));
        addEntry(superUserId, entry);
        std::vector<USER_INFO> all;
        users.ListUsers(CString(), all);
        for (const USER_INFO& user : all) addEntry(user.id, UserEntry(user.id, user.name));
    } else {
        addEntry(current.id, UserEntry(current.id, current.name));
    }
    if (m_comboUser.GetCount() > 0) m_comboUser.SetCurSel(0);
    if (m_comboUser.GetCount() > 1) {
        m_comboUser.InsertString(0, Tr(L"All User"));
        m_comboUser.SetItemData(0, kNoUserFilter);
        m_comboUser.SetCurSel(0);
        m_comboUser.EnableWindow(TRUE);
    } else {
        m_comboUser.EnableWindow(FALSE);
    }
    m_comboUser.SetRedraw(TRUE);
    m_comboUser.Invalidate();
    AdjustComboDropWidth(&m_comboUser);
}

CString CLogQueryDlg::MonthFormat(int dateOrder) { return dateOrder == 2 ? L"yyyy-MM" : L"MM-yyyy"; }

void CLogQueryDlg::SetupMonthPicker() {
    m_monthPicker.SetFormat(MonthFormat(GetLocaleDateOrder()));
    CTime now = CTime::GetCurrentTime();
    m_monthPicker.SetTime(&now);
}

void CLogQueryDlg::BuildTree() {
    const struct {
        const wchar_t* text;
        DWORD_PTR data;
    } appLeaves[] = {{L"Device Login", 1012},    {L"Device Offline", 1014}, {L"Device Logout", 1015},
                     {L"Dodavozi Config", 1024}, {L"Dodavozi Start", 1025}, {L"Dodavozi Stop", 1026}},
      systemLeaves[] = {{L"User Login", 0}, {L"User Logout", 1}, {L"Config Operation", 2}, {L"Password Modify", 4}};
    auto insert = [this](const wchar_t* text, DWORD_PTR data, HTREEITEM parent) {
        HTREEITEM item = m_tree.InsertItem(Tr(text), parent);
        m_tree.SetItemData(item, data);
        return item;
    };
    m_tree.DeleteAllItems();
    HTREEITEM root = insert(L"Log", kRootItem, TVI_ROOT);
    HTREEITEM app = insert(L"App Log", kGroupItem | 1, root);
    for (const auto& leaf : appLeaves) insert(leaf.text, kLeafItem | leaf.data, app);
    HTREEITEM system = insert(L"System Log", kGroupItem | 0, root);
    for (const auto& leaf : systemLeaves) insert(leaf.text, kLeafItem | leaf.data, system);
    m_tree.Expand(root, TVE_EXPAND);
    m_tree.SelectItem(root);
}

void CLogQueryDlg::InsertColumns() {
    const struct {
        const wchar_t* title;
        int width;
    } columns[] = {{L"No.", 40}, {L"Date", 120}, {L"User", 50}, {L"Type", 120}, {L"Desc", 240}, {L"BeginEndTime", 240}};
    int index = 0;
    for (const auto& column : columns) m_list.InsertColumn(index++, Tr(column.title), LVCFMT_LEFT, column.width);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
}

void CLogQueryDlg::TreeItemQuery(DWORD_PTR data, DWORD_PTR parentData, int* type, int* code) {
    if (data & kGroupItem) {
        *type = static_cast<int>(data & ~kGroupItem);
        *code = -1;
    } else if (!(data & kLeafItem)) {
        *type = -1;
        *code = -1;
    } else {
        *code = static_cast<int>(data & ~kLeafItem);
        *type = static_cast<int>(parentData & ~kGroupItem);
    }
}

CString CLogQueryDlg::SelectedUser() const {
    int index = m_comboUser.GetCurSel();
    if (index < 0) return CString();
    DWORD_PTR idLength = m_comboUser.GetItemData(index);
    if (idLength == kNoUserFilter) return CString();
    CString text;
    m_comboUser.GetLBText(index, text);
    return text.Left(static_cast<int>(idLength));
}

int CLogQueryDlg::RunQuery() {
    if (!m_bInitialised || m_hQueryThread) return 0;
    QUERY_JOB* job = new (std::nothrow) QUERY_JOB;
    if (!job) return -1;
    m_monthPicker.GetTime(job->request.month);
    HTREEITEM item = m_tree.GetSelectedItem();
    if (!item) {
        delete job;
        return -1;
    }
    HTREEITEM parent = m_tree.GetParentItem(item);
    TreeItemQuery(m_tree.GetItemData(item), parent ? m_tree.GetItemData(parent) : 0, &job->request.type,
                  &job->request.code);
    job->request.user = SelectedUser();
    job->runner = Runner();
    m_hQueryThread = ::CreateThread(nullptr, 0, QueryThreadProc, job, 0, nullptr);
    if (!m_hQueryThread) {
        delete job;
        GetDlgItem(IDC_LOGQUERY_EXPORT)->EnableWindow(m_list.GetItemCount() > 0);
        return -1;
    }
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    WaitForQueryThread(m_hQueryThread);
    FillList(std::move(job->request.results));
    BOOL hasRows = m_list.GetItemCount() > 0;
    if (hasRows) {
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.SetSelectionMark(0);
    }
    GetDlgItem(IDC_LOGQUERY_EXPORT)->EnableWindow(hasRows);
    const bool unreadable = job->request.result == -2;
    delete job;
    ::CloseHandle(m_hQueryThread);
    m_hQueryThread = nullptr;
    ::SetCursor(previous);
    // Said in so many words: an empty list would pass for a quiet month.
    if (unreadable) ShowReadFailure(this, L"The log of this month could not be read!");
    return 0;
}

DWORD WINAPI CLogQueryDlg::QueryThreadProc(LPVOID param) {
    QUERY_JOB* job = static_cast<QUERY_JOB*>(param);
    job->runner(job->request);
    return 0;
}

void CLogQueryDlg::WaitForQueryThread(HANDLE thread) {
    // Paint and timer messages only: the windows repaint and the main
    // window's timer keeps the downloads going, while clicks and keys stay
    // queued until the list is filled. Sent messages are delivered by the
    // peeks, so a thread that sends to this one cannot deadlock.
    for (;;) {
        DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_PAINT | QS_TIMER | QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0) return;
        if (woken == WAIT_FAILED) {
            ::WaitForSingleObject(thread, INFINITE);
            return;
        }
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageW(&msg);
        while (::PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
}

void CLogQueryDlg::FillList(std::vector<LOG_RECORD> records) {
    std::vector<VIRTUAL_LIST_ROW> rows(records.size());
    wchar_t number[16];
    for (size_t index = 0; index < records.size(); ++index) {
        LOG_RECORD& record = records[index];
        _itow_s(static_cast<int>(index) + 1, number, _countof(number), 10);
        // Built in place and the record's texts moved in: each copy of a
        // cell is an allocation, 600 000 cells for such a month.
        std::vector<CString>& cells = rows[index].cells;
        cells.reserve(6);
        cells.emplace_back(number);
        cells.push_back(LogTimeText(record.C_UpdateTime));
        cells.push_back(std::move(record.C_UserID));
        cells.push_back(LogTypeText(record.I_LogType, record.I_SubType));
        cells.push_back(std::move(record.C_Information));
        cells.push_back(LogSpanText(record.C_StartTime, record.C_StopTime));
    }
    m_list.SetRows(std::move(rows));
}

void CLogQueryDlg::OnUserChanged() { RunQuery(); }

void CLogQueryDlg::OnMonthChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    RunQuery();
}

void CLogQueryDlg::OnTreeSelChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    RunQuery();
}

void CLogQueryDlg::OnPaint() { CPaintDC dc(this); }

void CLogQueryDlg::OnLButtonDown(UINT flags, CPoint point) {
    if (IsFullScreen()) return;
    CDialog::OnLButtonDown(flags, point);
    PostMsgIfOutsideMargins(this, point, 30, 10, 10, 10, WM_NCLBUTTONDOWN, HTCAPTION);
}

void CLogQueryDlg::OnLButtonDblClk(UINT flags, CPoint point) {
    CDialog::OnLButtonDblClk(flags, point);
    CRect client;
    GetClientRect(&client);
    if (point.x < client.Width() - 55 && point.y < 30) {
        ToggleFullScreen(this);
        Invalidate();
    }
}

void CLogQueryDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (m_hWnd && type != SIZE_MINIMIZED && !m_layoutItems.empty())
        ApplyLayout(this, m_nLayoutWidth, m_nLayoutHeight, cx, cy, m_layoutItems);
}

void CLogQueryDlg::OnExportClicked() {
    if (!m_exportMenu.GetSafeHmenu()) {
        m_exportMenu.CreatePopupMenu();
        m_exportMenu.AppendMenu(MF_STRING, ID_LOGQUERY_EXPORT_TEXT, Tr(L"Txt File"));
        m_exportMenu.AppendMenu(MF_STRING, ID_LOGQUERY_EXPORT_EXCEL, Tr(L"Excel File"));
    }
    POINT cursor;
    ::GetCursorPos(&cursor);
    m_exportMenu.TrackPopupMenu(TPM_RIGHTBUTTON, cursor.x, cursor.y, this);
}

void CLogQueryDlg::OnExportText() {
    CString path;
    if (m_savePathPrompt) {
        path = m_savePathPrompt(this);
    } else {
        CString filter;
        filter.Format(L"%s(*.txt)|*.txt|", static_cast<LPCWSTR>(Tr(L"Txt File")));
        path = PromptSaveFile(this, OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT, filter, L"txt");
    }
    if (path.IsEmpty()) return;
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    int result = ExportListToText(&m_list, path);
    ::SetCursor(previous);
    if (result != 0) ShowExportFailure();
}

void CLogQueryDlg::OnExportExcel() {
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    int rowsWritten = 0;
    int result = ::ExportListToExcel(&m_list, CString(), &rowsWritten);
    ::SetCursor(previous);
    if (result == -2) {
        // The sheet took only part of the list: the user must not take the
        // workbook for all of it.
        CString text;
        text.Format(L"%s %s %d", Tr(L"Export failed!").GetString(), Tr(L"Rows written:").GetString(), rowsWritten);
        ShowMessageBox(this, text, MB_ICONWARNING, Tr(L"Dodavozi"));
    } else if (result != 0) {
        ShowExportFailure();
    }
}

int CLogQueryDlg::ExportListToText(CListCtrl* list, CString path) {
    return ::ExportListToText(list, path, m_fileOpener);
}

int CLogQueryDlg::ExportListToExcel(CListCtrl* list, CString templatePath) {
    return ::ExportListToExcel(list, templatePath);
}

void CLogQueryDlg::ShowExportFailure() { ShowMessageBox(this, Tr(L"Export failed!"), MB_ICONWARNING, Tr(L"Dodavozi")); }
