#include "CSystemConfigDlg.h"

#include <climits>

#include "app/ui/dialogs/DialogMessages.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/toolkit/WindowUtil.h"
#include "app/ui/dialogs/resource.h"

namespace {

const wchar_t kDigits[] = L"1234567890";
const wchar_t kRuleExtension[] = L".Duz";
const wchar_t kFreeLimitRefill[] = L"2000";
const wchar_t kBackupCountRefill[] = L"5";
const wchar_t kDeleteDaysRefill[] = L"30";
const long kMinFreeSpaceLimit = 500;
const int kMaxBackupCount = 20;
const int kMaxDeleteDays = 99;

struct DELETE_CHOICE {
    const wchar_t* text;
    int days;
};
const DELETE_CHOICE kDeleteChoices[] = {
    {L"Never", 0},
    {L"One Day Ago", 1},
    {L"Three Days Ago", 3},
    {L"Five Days Ago", 5},
    {L"Seven Days Ago", 7},
    {L"Fifteen Days Ago", 15},
    {L"Thirty Days Ago", 30},
    {L"User Define", CSystemConfigDlg::kUserDefinedDays},
};

struct DIR_COLUMN {
    const wchar_t* title;
    int width;
};
const DIR_COLUMN kDirColumns[] = {{L"Target Directory", 360}, {L"Total Space", 180}, {L"Free Space", 180}};

// The place whose space decides whether a save directory is usable: its
// drive's root, or the path itself when it names no drive letter.
CString SpaceQueryPath(const CString& path) {
    const CString drive = GetPathDrive(path);
    return drive.IsEmpty() ? path : drive + L"\\";
}

bool DriveReportsSpace(const CString& path) { return GetFreeDiskBytes(SpaceQueryPath(path)) != 0; }

}  // namespace

BEGIN_MESSAGE_MAP(CSystemConfigDlg, CDialog)
ON_BN_CLICKED(IDC_SYSCFG_DIR_ADD, &CSystemConfigDlg::OnAddDir)
ON_BN_CLICKED(IDC_SYSCFG_DIR_DELETE, &CSystemConfigDlg::OnDeleteDir)
ON_BN_CLICKED(IDC_SYSCFG_EDIT_RULE, &CSystemConfigDlg::OnEditRule)
ON_EN_KILLFOCUS(IDC_SYSCFG_FREE_LIMIT, &CSystemConfigDlg::OnKillFocusFreeLimit)
ON_EN_KILLFOCUS(IDC_SYSCFG_BACKUP_COUNT, &CSystemConfigDlg::OnKillFocusBackupCount)
ON_EN_KILLFOCUS(IDC_SYSCFG_DELETE_DAYS, &CSystemConfigDlg::OnKillFocusDeleteDays)
ON_CBN_SELCHANGE(IDC_SYSCFG_DELETE_CHOICE, &CSystemConfigDlg::OnDeleteChoiceChanged)
END_MESSAGE_MAP()

CSystemConfigDlg::CSystemConfigDlg(CWnd* parent)
    : CDialog(IDD_SYSCFG, parent),
      m_nAutoLogin(0),
      m_nAutoStartup(0),
      m_nAutoBackup(0),
      m_nFreeSpaceLimit(0),
      m_nDriveOverMode(kDeleteOldRecords),
      m_nBackupCount(1),
      m_nDeleteDays(0),
      m_ruleEditor(this),
      m_bInitialValues(FALSE) {}

CSystemConfigDlg::CSystemConfigDlg(int autoLogin, int autoStartup, int autoBackup, long freeSpaceLimit,
                                   const CString& nameRule, CWnd* parent)
    : CSystemConfigDlg(parent) {
    m_nAutoLogin = autoLogin;
    m_nAutoStartup = autoStartup;
    m_nAutoBackup = autoBackup;
    m_nFreeSpaceLimit = freeSpaceLimit;
    m_strNameRule = nameRule;
    m_bInitialValues = TRUE;
}

CString CSystemConfigDlg::FormatDiskSize(ULONGLONG bytes) {
    const ULONGLONG megabytes = bytes / 1048576;
    CString text;
    if (megabytes > 1048576)
        text.Format(L"%luGB", static_cast<unsigned long>(megabytes / 1024));
    else
        text.Format(L"%luMB", static_cast<unsigned long>(megabytes));
    return text;
}

CString CSystemConfigDlg::RuleWithoutExtension(const CString& rule) {
    const int extension = static_cast<int>(wcslen(kRuleExtension));
    if (rule.GetLength() >= extension && rule.Right(extension).CompareNoCase(kRuleExtension) == 0)
        return rule.Left(rule.GetLength() - extension);
    return rule;
}

void CSystemConfigDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_SYSCFG_DIR_LIST, m_dirList);
    DDX_Control(dx, IDC_SYSCFG_FREE_LIMIT, m_freeLimitEdit);
    DDX_Control(dx, IDC_SYSCFG_DRIVE_OVER, m_driveOverCombo);
    DDX_Control(dx, IDC_SYSCFG_DELETE_CHOICE, m_deleteChoiceCombo);
    DDX_Control(dx, IDC_SYSCFG_DELETE_DAYS, m_deleteDaysEdit);
    DDX_Check(dx, IDC_SYSCFG_AUTO_LOGIN, m_nAutoLogin);
    DDX_Check(dx, IDC_SYSCFG_AUTO_STARTUP, m_nAutoStartup);
    DDX_Check(dx, IDC_SYSCFG_AUTO_BACKUP, m_nAutoBackup);
    DDX_Text(dx, IDC_SYSCFG_NAME_RULE, m_strNameRule);
    if (!dx->m_bSaveAndValidate) {
        // Numbers are shown here but read by ReadNumber: a text that is no
        // number must meet its own field's message, not a generic one.
        SetDlgItemInt(IDC_SYSCFG_FREE_LIMIT, static_cast<UINT>(m_nFreeSpaceLimit), TRUE);
        SetDlgItemInt(IDC_SYSCFG_BACKUP_COUNT, m_nBackupCount, FALSE);
        SetDlgItemInt(IDC_SYSCFG_DELETE_DAYS, static_cast<UINT>(m_nDeleteDays), TRUE);
    }
}

BOOL CSystemConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetInitLanguage()->TranslateDialog(this);
    CenterWindow();
    m_freeLimitEdit.PrepareFilter();
    m_freeLimitEdit.SetAllowedChars(kDigits);
    m_freeLimitEdit.SetAllowPaste(FALSE);
    m_dirList.SetExtendedStyle(m_dirList.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                               LVS_EX_BORDERSELECT);
    for (int i = 0; i < static_cast<int>(sizeof kDirColumns / sizeof kDirColumns[0]); ++i)
        m_dirList.InsertColumn(i, Translate(kDirColumns[i].title), LVCFMT_CENTER, kDirColumns[i].width);
    m_deleteDaysEdit.PrepareFilter();
    m_deleteDaysEdit.SetAllowedChars(kDigits);
    m_deleteDaysEdit.SetMaxByteLen(2);
    m_deleteDaysEdit.SetDefaultText(kDeleteDaysRefill);
    FillDeleteChoiceCombo();
    RefreshDirList();
    return TRUE;
}

void CSystemConfigDlg::RefreshDirList() {
    CAppConfig* config = GetAppConfig();
    if (!m_bInitialValues) {
        m_nAutoLogin = config->m_bAutoLogin ? 1 : 0;
        m_nAutoStartup = config->m_bAutoStartup ? 1 : 0;
        m_nAutoBackup = config->m_bAutoBackup ? 1 : 0;
        m_nFreeSpaceLimit = config->m_nDriveFreeSpaceLimit;
        m_strNameRule = config->GetDownloadNameRule();
    }
    m_nBackupCount = static_cast<UINT>(config->m_nMultiBackupDevCount);
    m_nDriveOverMode = config->m_nDriveOverMode == kStopPlan ? kStopPlan : kDeleteOldRecords;
    m_nDeleteDays = config->m_nAutoDeleteDay;
    if (!GetSafeHwnd()) return;
    FillDriveOverCombo();
    m_dirList.DeleteAllItems();
    for (const CString& dir : config->GetSaveDirList())
        if (!dir.IsEmpty()) AppendDirRow(dir);
    SelectDeleteChoice();
    UpdateData(FALSE);
}

void CSystemConfigDlg::FillDriveOverCombo() {
    m_driveOverCombo.ResetContent();
    m_driveOverCombo.AddString(Translate(L"Delete Old Record"));
    m_driveOverCombo.AddString(Translate(L"Stop Plan"));
    m_driveOverCombo.SetCurSel(m_nDriveOverMode);
    AdjustComboDropWidth(&m_driveOverCombo);
}

void CSystemConfigDlg::FillDeleteChoiceCombo() {
    m_deleteChoiceCombo.ResetContent();
    for (const DELETE_CHOICE& choice : kDeleteChoices) {
        const int item = m_deleteChoiceCombo.AddString(Translate(choice.text));
        m_deleteChoiceCombo.SetItemData(item, static_cast<DWORD_PTR>(choice.days));
    }
}

void CSystemConfigDlg::SelectDeleteChoice() {
    for (int item = 0; item < m_deleteChoiceCombo.GetCount(); ++item) {
        const int days = static_cast<int>(m_deleteChoiceCombo.GetItemData(item));
        if (days == m_nDeleteDays || days == kUserDefinedDays) {
            m_deleteChoiceCombo.SetCurSel(item);
            ShowDeleteDays(days == kUserDefinedDays);
            return;
        }
    }
}

void CSystemConfigDlg::ShowDeleteDays(BOOL show) {
    const int command = show ? SW_SHOW : SW_HIDE;
    m_deleteDaysEdit.ShowWindow(command);
    if (CWnd* label = GetDlgItem(IDC_SYSCFG_DAYS_LABEL)) label->ShowWindow(command);
}

int CSystemConfigDlg::AppendDirRow(const CString& path) {
    const int row = m_dirList.InsertItem(m_dirList.GetItemCount(), path);
    ULONGLONG callerFree = 0, total = 0, totalFree = 0;
    // A directory on a drive that is absent now (a removed disk) stays
    // listed, so that OK does not drop it from the configuration; it only
    // shows no sizes.
    if (DriveReportsSpace(path) && GetDiskSpace(SpaceQueryPath(path), &callerFree, &total, &totalFree) == 0) {
        m_dirList.SetItemText(row, 1, FormatDiskSize(total));
        m_dirList.SetItemText(row, 2, FormatDiskSize(totalFree));
    }
    return row;
}

std::vector<CString> CSystemConfigDlg::ListedDirs() const {
    std::vector<CString> dirs;
    for (int row = 0; row < m_dirList.GetItemCount(); ++row) {
        const CString dir = m_dirList.GetItemText(row, 0);
        if (!dir.IsEmpty()) dirs.push_back(dir);
    }
    return dirs;
}

void CSystemConfigDlg::ShowMessage(const wchar_t* key, UINT icon, const wchar_t* captionKey) {
    ShowMessageBox(this, Translate(key), icon | MB_OK, Translate(captionKey));
}

CString CSystemConfigDlg::ChooseSaveFolder() {
    return BrowseForFolder(this, Translate(L"Save Directory:"), Translate(L"Select save directory faild!"));
}

void CSystemConfigDlg::OnAddDir() {
    const CString folder = ChooseSaveFolder();
    if (folder.IsEmpty()) return;
    if (!DriveReportsSpace(folder)) {
        ShowMessage(L"Select save directory faild!", MB_ICONINFORMATION, L"Save Directory:");
        return;
    }
    for (const CString& listed : ListedDirs()) {
        if (listed == folder) {
            ShowMessage(L"Same directory is already existed!", MB_ICONINFORMATION, L"Save Directory:");
            return;
        }
    }
    AppendDirRow(folder);
}

void CSystemConfigDlg::OnDeleteDir() {
    const int row = m_dirList.GetSelectionMark();
    if (row >= 0 && row < m_dirList.GetItemCount()) m_dirList.DeleteItem(row);
}

void CSystemConfigDlg::OnEditRule() {
    UpdateData(TRUE);
    m_ruleEditor.SetTokenEnables(1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1);
    m_ruleEditor.m_strRule = RuleWithoutExtension(m_strNameRule);
    if (m_ruleEditor.DoModal() != IDOK) return;
    m_strNameRule = m_ruleEditor.m_strRule + kRuleExtension;
    SetDlgItemText(IDC_SYSCFG_NAME_RULE, m_strNameRule);
}

void CSystemConfigDlg::RefillWhenEmpty(int id, const wchar_t* refill) {
    CString text;
    GetDlgItemText(id, text);
    if (text.IsEmpty()) SetDlgItemText(id, refill);
}

void CSystemConfigDlg::OnKillFocusFreeLimit() { RefillWhenEmpty(IDC_SYSCFG_FREE_LIMIT, kFreeLimitRefill); }

void CSystemConfigDlg::OnKillFocusBackupCount() { RefillWhenEmpty(IDC_SYSCFG_BACKUP_COUNT, kBackupCountRefill); }

void CSystemConfigDlg::OnKillFocusDeleteDays() { RefillWhenEmpty(IDC_SYSCFG_DELETE_DAYS, kDeleteDaysRefill); }

void CSystemConfigDlg::OnDeleteChoiceChanged() {
    const int item = m_deleteChoiceCombo.GetCurSel();
    if (item < 0) return;
    const int days = static_cast<int>(m_deleteChoiceCombo.GetItemData(item));
    if (days == kUserDefinedDays) {
        SetDlgItemText(IDC_SYSCFG_DELETE_DAYS, kDeleteDaysRefill);
        ShowDeleteDays(TRUE);
    } else {
        SetDlgItemInt(IDC_SYSCFG_DELETE_DAYS, static_cast<UINT>(days), FALSE);
        ShowDeleteDays(FALSE);
    }
}

long long CSystemConfigDlg::ReadNumber(int id, const wchar_t* refill) {
    RefillWhenEmpty(id, refill);
    CString text;
    GetDlgItemText(id, text);
    text.Trim();
    if (text.IsEmpty()) return -1;
    long long value = 0;
    for (int i = 0; i < text.GetLength(); ++i) {
        const wchar_t c = text.GetAt(i);
        if (c < L'0' || c > L'9') return -1;
        value = value * 10 + (c - L'0');
        if (value > INT_MAX) return -1;
    }
    return value;
}

CString CSystemConfigDlg::FirstRefusal(long long freeLimit, long long backupCount, long long deleteDays) const {
    if (freeLimit < kMinFreeSpaceLimit) return L"Device free minimum capacity value must be more than 500!";
    if (backupCount < 1 || backupCount > kMaxBackupCount) return L"Multi backup count value must between 1 to 20!";
    // A rule that is only the extension would name every file ".Duz".
    if (RuleWithoutExtension(m_strNameRule).IsEmpty()) return L"Download file name rule can't be empty!";
    if (deleteDays < 0 || deleteDays > kMaxDeleteDays) return L"Auto delete days must between 1 to 99 !";
    return CString();
}

void CSystemConfigDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    const long long freeLimit = ReadNumber(IDC_SYSCFG_FREE_LIMIT, kFreeLimitRefill);
    const long long backupCount = ReadNumber(IDC_SYSCFG_BACKUP_COUNT, kBackupCountRefill);
    const long long deleteDays = ReadNumber(IDC_SYSCFG_DELETE_DAYS, kDeleteDaysRefill);
    if (freeLimit >= 0) m_nFreeSpaceLimit = static_cast<long>(freeLimit);
    if (backupCount >= 0) m_nBackupCount = static_cast<UINT>(backupCount);
    if (deleteDays >= 0) m_nDeleteDays = static_cast<int>(deleteDays);
    const int driveOver = m_driveOverCombo.GetCurSel();
    m_nDriveOverMode = driveOver < 0 ? kDeleteOldRecords : driveOver;

    const CString refusal = FirstRefusal(freeLimit, backupCount, deleteDays);
    if (!refusal.IsEmpty()) {
        ShowMessage(refusal, MB_ICONQUESTION, L"Dodavozi");
        return;
    }
    SaveToConfig();
    CString text;
    text.Format(L"%s %s", static_cast<LPCWSTR>(Translate(L"Option")),
                static_cast<LPCWSTR>(Translate(L"Save succeed!")));
    GetBackupEngine().AddLogRecord(NewLogEntry(0, 2, text));
    EndDialog(IDOK);
}

void CSystemConfigDlg::SaveToConfig() {
    CAppConfig* config = GetAppConfig();
    config->m_bAutoLogin = m_nAutoLogin;
    config->m_bAutoStartup = m_nAutoStartup;
    config->m_bAutoBackup = m_nAutoBackup;
    config->m_nDriveFreeSpaceLimit = m_nFreeSpaceLimit;
    config->m_nDriveOverMode = m_nDriveOverMode;
    config->m_nMultiBackupDevCount = static_cast<int>(m_nBackupCount);
    config->SetDownloadNameRule(m_strNameRule);
    config->SetSaveDirs(ListedDirs());
    SetAutoStart(L"Dodavozi", GetModuleFilePath(), m_nAutoStartup);
    config->m_nAutoDeleteDay = m_nDeleteDays;
    config->SaveSettings();
}

void CSystemConfigDlg::OnCancel() {
    if (m_ruleEditor.GetSafeHwnd() && m_ruleEditor.IsWindowVisible()) m_ruleEditor.OnBtnCancel();
    EndDialog(IDCANCEL);
}

BOOL CSystemConfigDlg::PreTranslateMessage(MSG* msg) {
    // Escape never closes the options: an operator who pressed it by habit
    // would lose every change typed so far.
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && msg->wParam == VK_ESCAPE) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}
