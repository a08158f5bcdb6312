// The options dialog and its file-name rule editor, built from the program's
// templates, driven through their controls and notifications, with a real
// configuration in a temporary program folder.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "BoxCloser.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/CLogDB.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/schedules/CFileNameRuleEdit.h"
#include "app/ui/dialogs/schedules/CSystemConfigDlg.h"
#include "app/ui/dialogs/resource.h"

namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The program folder of the whole test program: the engine's operation log
// lives there from its first use on.
TempDir& ProgramDir() {
    static TempDir dir;
    return dir;
}

CString ProgramFile(const wchar_t* name) { return CString(ProgramDir().File(name).c_str()); }

// A drive letter that names no volume here.
CString AbsentDrive() {
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
        wchar_t root[] = {letter, L':', L'\\', 0};
        if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) return CString(root).Left(2);
    }
    return L"";
}

CString IniValue(const wchar_t* file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[1024] = {0};
    GetPrivateProfileStringW(section, key, L"<none>", value, 1024, ProgramFile(file));
    return value;
}

CString UserValue(const wchar_t* key) { return IniValue(L"UserLogin.ini", L"Login_Info", key); }

// Answers the folder browser from a script instead of the system dialog.
class ScriptedSystemConfigDlg : public CSystemConfigDlg {
public:
    using CSystemConfigDlg::CSystemConfigDlg;
    std::vector<CString> answers;

protected:
    CString ChooseSaveFolder() override {
        if (answers.empty()) return L"";
        CString next = answers.front();
        answers.erase(answers.begin());
        return next;
    }
};

class SystemConfigDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteAppConfig();  // it writes its settings back as it goes
        DeleteFileW(ProgramFile(L"VAD_Config.ini"));
        DeleteFileW(ProgramFile(L"UserLogin.ini"));
        config = ResetAppConfig(CString(ProgramDir().Path().c_str()));
        GetBackupEngine();  // made once, with its log in the program folder
        saveDir = CString(temp.File(L"save").c_str());
        CreateDirectoryW(saveDir, nullptr);
        config->m_bAutoLogin = TRUE;
        config->m_bAutoStartup = FALSE;
        config->m_bAutoBackup = FALSE;
        config->m_nDriveFreeSpaceLimit = 800;
        config->m_nDriveOverMode = 1;
        config->m_nMultiBackupDevCount = 3;
        config->SetDownloadNameRule(L"{Y4}{M2}{D2}.duz");
        config->m_nAutoDeleteDay = 7;
        config->SetSaveDirs({saveDir});
    }
    void TearDown() override {
        if (dialog) dialog->DestroyWindow();
        dialog.reset();
    }

    ScriptedSystemConfigDlg& Open() {
        if (!dialog) dialog.reset(new ScriptedSystemConfigDlg());
        EXPECT_TRUE(dialog->Create(IDD_SYSCFG));
        dialog->ShowWindow(SW_SHOW);
        return *dialog;
    }
    CString Text(int id) {
        CString text;
        dialog->GetDlgItemText(id, text);
        return text;
    }
    void SetText(int id, const wchar_t* text) { dialog->SetDlgItemText(id, text); }
    HWND Item(int id) { return dialog->GetDlgItem(id)->GetSafeHwnd(); }
    bool Checked(int id) { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int ComboSel(int id) { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }
    void Notify(int id, int code) { dialog->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)Item(id)); }
    void Click(int id) { Notify(id, BN_CLICKED); }
    void ChooseDeletion(int item) {
        SendMessageW(Item(IDC_SYSCFG_DELETE_CHOICE), CB_SETCURSEL, item, 0);
        Notify(IDC_SYSCFG_DELETE_CHOICE, CBN_SELCHANGE);
    }
    CListCtrl& List() { return *static_cast<CListCtrl*>(dialog->GetDlgItem(IDC_SYSCFG_DIR_LIST)); }
    int Rows() { return static_cast<int>(SendMessageW(Item(IDC_SYSCFG_DIR_LIST), LVM_GETITEMCOUNT, 0, 0)); }
    CString Cell(int row, int column) {
        wchar_t text[512] = {0};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 512;
        SendMessageW(Item(IDC_SYSCFG_DIR_LIST), LVM_GETITEMTEXTW, row, (LPARAM)&item);
        return text;
    }
    // Presses a button that may show a box; the text of the box, "" for
    // none. A box is modal: once the press returns it has come and gone.
    std::wstring PressAnswering(int id, const wchar_t* caption = L"Dodavozi") {
        BoxCloser closer(0, caption);
        Click(id);
        std::wstring text;
        closer.Stop(&text);
        return text;
    }
    bool Closed() { return !dialog->IsWindowVisible(); }

    TempDir temp;
    CAppConfig* config = nullptr;
    CString saveDir;
    std::unique_ptr<ScriptedSystemConfigDlg> dialog;
};

TEST_F(SystemConfigDlgTest, ShowsTheConfigurationsValues) {
    const CString absent = AbsentDrive() + L"\\records";
    config->SetSaveDirs({saveDir, absent});
    Open();
    EXPECT_TRUE(Checked(IDC_SYSCFG_AUTO_LOGIN));
    EXPECT_FALSE(Checked(IDC_SYSCFG_AUTO_STARTUP));
    EXPECT_FALSE(Checked(IDC_SYSCFG_AUTO_BACKUP));
    EXPECT_STREQ(L"800", Text(IDC_SYSCFG_FREE_LIMIT));
    EXPECT_EQ(1, ComboSel(IDC_SYSCFG_DRIVE_OVER));
    EXPECT_STREQ(L"3", Text(IDC_SYSCFG_BACKUP_COUNT));
    EXPECT_STREQ(L"{Y4}{M2}{D2}.duz", Text(IDC_SYSCFG_NAME_RULE));
    EXPECT_EQ(4, ComboSel(IDC_SYSCFG_DELETE_CHOICE));  // "Seven Days Ago"
    EXPECT_STREQ(L"7", Text(IDC_SYSCFG_DELETE_DAYS));
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_SYSCFG_DELETE_DAYS)));
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_SYSCFG_DAYS_LABEL)));

    ASSERT_EQ(2, Rows());
    EXPECT_STREQ(saveDir, Cell(0, 0));
    EXPECT_EQ(L"MB", Cell(0, 1).Right(2).GetString() + std::wstring()) << (LPCWSTR)Cell(0, 1);
    EXPECT_EQ(L"MB", Cell(0, 2).Right(2).GetString() + std::wstring());
    // A directory on a drive that is not there stays listed, without sizes.
    EXPECT_STREQ(absent, Cell(1, 0));
    EXPECT_STREQ(L"", Cell(1, 1));
    EXPECT_STREQ(L"", Cell(1, 2));
}

TEST_F(SystemConfigDlgTest, DaysNotInTheChoicesSelectUserDefine) {
    config->m_nAutoDeleteDay = 45;
    Open();
    EXPECT_EQ(7, ComboSel(IDC_SYSCFG_DELETE_CHOICE));
    EXPECT_STREQ(L"45", Text(IDC_SYSCFG_DELETE_DAYS));
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_SYSCFG_DELETE_DAYS)));
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_SYSCFG_DAYS_LABEL)));
}

TEST_F(SystemConfigDlgTest, TheTemporaryInstanceKeepsItsFiveValues) {
    dialog.reset(new ScriptedSystemConfigDlg(0, 1, 1, 650, L"{H2}{m2}.Duz"));
    Open();
    EXPECT_FALSE(Checked(IDC_SYSCFG_AUTO_LOGIN));
    EXPECT_TRUE(Checked(IDC_SYSCFG_AUTO_STARTUP));
    EXPECT_TRUE(Checked(IDC_SYSCFG_AUTO_BACKUP));
    EXPECT_STREQ(L"650", Text(IDC_SYSCFG_FREE_LIMIT));
    EXPECT_STREQ(L"{H2}{m2}.Duz", Text(IDC_SYSCFG_NAME_RULE));
    EXPECT_STREQ(L"3", Text(IDC_SYSCFG_BACKUP_COUNT));  // the rest from the configuration
    dialog->RefreshDirList();
    EXPECT_STREQ(L"650", Text(IDC_SYSCFG_FREE_LIMIT));
}

struct REFUSAL_CASE {
    const wchar_t* freeLimit;
    const wchar_t* backupCount;
    const wchar_t* rule;
    const wchar_t* days;
    const wchar_t* message;  // "" = accepted
};

const REFUSAL_CASE kRefusals[] = {
    {L"499", L"3", L"{Y4}.Duz", L"7", L"Device free minimum capacity value must be more than 500!"},
    {L"500", L"3", L"{Y4}.Duz", L"7", L""},
    {L"99999999999", L"3", L"{Y4}.Duz", L"7", L"Device free minimum capacity value must be more than 500!"},
    {L"800", L"0", L"{Y4}.Duz", L"7", L"Multi backup count value must between 1 to 20!"},
    {L"800", L"21", L"{Y4}.Duz", L"7", L"Multi backup count value must between 1 to 20!"},
    {L"800", L"99999999999", L"{Y4}.Duz", L"7", L"Multi backup count value must between 1 to 20!"},
    {L"800", L"1", L"{Y4}.Duz", L"7", L""},
    {L"800", L"20", L"{Y4}.Duz", L"7", L""},
    {L"800", L"3", L"", L"7", L"Download file name rule can't be empty!"},
    {L"800", L"3", L".Duz", L"7", L"Download file name rule can't be empty!"},
    {L"800", L"3", L".duz", L"7", L"Download file name rule can't be empty!"},
    {L"800", L"3", L"{Y4}.Duz", L"100", L"Auto delete days must between 1 to 99 !"},
    {L"800", L"3", L"{Y4}.Duz", L"0", L""},
    {L"800", L"3", L"{Y4}.Duz", L"99", L""},
    // The checks run in their fixed order: the first failing one speaks.
    {L"10", L"0", L"", L"100", L"Device free minimum capacity value must be more than 500!"},
    {L"800", L"0", L"", L"100", L"Multi backup count value must between 1 to 20!"},
    {L"800", L"3", L"", L"100", L"Download file name rule can't be empty!"},
};

TEST_F(SystemConfigDlgTest, OkRefusesEveryValueOutsideItsRangeAndStoresNothing) {
    for (const REFUSAL_CASE& c : kRefusals) {
        SCOPED_TRACE(testing::Message() << (LPCSTR)CStringA(c.freeLimit) << " " << (LPCSTR)CStringA(c.backupCount)
                                        << " " << (LPCSTR)CStringA(c.rule) << " " << (LPCSTR)CStringA(c.days));
        DeleteFileW(ProgramFile(L"UserLogin.ini"));
        config->m_nDriveFreeSpaceLimit = 800;
        Open();
        SetText(IDC_SYSCFG_FREE_LIMIT, c.freeLimit);
        SetText(IDC_SYSCFG_BACKUP_COUNT, c.backupCount);
        SetText(IDC_SYSCFG_NAME_RULE, c.rule);
        SetText(IDC_SYSCFG_DELETE_DAYS, c.days);
        const std::wstring box = PressAnswering(IDOK);
        EXPECT_EQ(std::wstring(c.message), box);
        if (*c.message) {
            EXPECT_FALSE(Closed());
            EXPECT_EQ(800, config->m_nDriveFreeSpaceLimit);
            EXPECT_STREQ(L"<none>", UserValue(L"DriveFreeSpaceLimit"));
        } else {
            EXPECT_TRUE(Closed());
            EXPECT_STREQ(c.freeLimit, UserValue(L"DriveFreeSpaceLimit"));
            EXPECT_STREQ(c.backupCount, UserValue(L"VAD_MultiBackupDevCount"));
        }
        dialog->DestroyWindow();
    }
}

TEST_F(SystemConfigDlgTest, OkWritesEverySettingAndLogsTheSave) {
    const CString absent = AbsentDrive() + L"\\records";
    config->SetSaveDirs({saveDir, absent});
    const CTime before = CTime::GetCurrentTime();
    Open();
    SendMessageW(Item(IDC_SYSCFG_AUTO_LOGIN), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Item(IDC_SYSCFG_AUTO_BACKUP), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Item(IDC_SYSCFG_DRIVE_OVER), CB_SETCURSEL, 0, 0);
    SetText(IDC_SYSCFG_FREE_LIMIT, L"1500");
    SetText(IDC_SYSCFG_BACKUP_COUNT, L"12");
    ChooseDeletion(5);  // "Fifteen Days Ago"
    EXPECT_EQ(L"", PressAnswering(IDOK));
    ASSERT_TRUE(Closed());

    EXPECT_STREQ(L"1500", UserValue(L"DriveFreeSpaceLimit"));
    EXPECT_STREQ(L"12", UserValue(L"VAD_MultiBackupDevCount"));
    EXPECT_STREQ(L"15", UserValue(L"VAD_AutoDeleteDay"));
    EXPECT_STREQ(L"{Y4}{M2}{D2}.duz", UserValue(L"DownLoadFileNameRule"));
    // The absent drive's directory is kept: the disk may come back.
    EXPECT_STREQ(L"2", UserValue(L"VAD_DriverPathCount"));
    EXPECT_STREQ(saveDir, UserValue(L"VAD_DriverPathType1"));
    EXPECT_STREQ(absent, UserValue(L"VAD_DriverPathType2"));
    EXPECT_STREQ(L"0", IniValue(L"VAD_Config.ini", L"Login_Info", L"VADAutoLogin"));
    EXPECT_STREQ(L"1", IniValue(L"VAD_Config.ini", L"Login_Info", L"VAD_AutoBackup"));
    EXPECT_STREQ(L"0", IniValue(L"VAD_Config.ini", L"Login_Info", L"VAD_DriveOverMode"));
    EXPECT_EQ(1500, config->m_nDriveFreeSpaceLimit);
    EXPECT_EQ(12, config->m_nMultiBackupDevCount);

    CLogDB log;
    log.SetDirectory(JoinPath(config->m_strModuleDir, L"Log\\"));
    std::vector<LOG_RECORD> records;
    const CTime now = CTime::GetCurrentTime();
    auto logged = [&] {
        records.clear();
        log.Query(records, now.GetYear(), now.GetMonth(), 0, 2, L"", GetDefaultLogTime(), GetDefaultLogTime(), 0, -1,
                  -1, -1, -1, -1);
        for (const LOG_RECORD& r : records)
            if (r.C_Information == L"Option Save succeed!" && r.C_UpdateTime >= before.GetTime()) return true;
        return false;
    };
    EXPECT_TRUE(WaitFor(logged, 15000));
}

TEST_F(SystemConfigDlgTest, StartWithWindowsSetsAndRemovesTheRunValue) {
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &run) != ERROR_SUCCESS)
        GTEST_SKIP() << "no Run key in this prefix";
    auto runValue = [&] {
        wchar_t value[MAX_PATH * 2] = {0};
        DWORD size = sizeof value;
        if (RegQueryValueExW(run, L"Dodavozi", nullptr, nullptr, (BYTE*)value, &size) != ERROR_SUCCESS)
            return CString(L"<none>");
        return CString(value);
    };
    for (int on : {1, 0}) {
        Open();
        SendMessageW(Item(IDC_SYSCFG_AUTO_STARTUP), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        EXPECT_EQ(L"", PressAnswering(IDOK));
        const CString value = runValue();
        if (on)
            EXPECT_NE(-1, value.Find(GetFileNameFromPath(GetModuleFilePath()))) << (LPCWSTR)value;
        else
            EXPECT_STREQ(L"<none>", value);
        EXPECT_STREQ(on ? L"1" : L"0", IniValue(L"VAD_Config.ini", L"Version_Info", L"VAD_AutoStartup"));
        dialog->DestroyWindow();
    }
    RegCloseKey(run);
}

TEST_F(SystemConfigDlgTest, DeletionChoiceFillsTheDaysThatAreSaved) {
    Open();
    ChooseDeletion(0);  // "Never"
    EXPECT_STREQ(L"0", Text(IDC_SYSCFG_DELETE_DAYS));
    EXPECT_FALSE(::IsWindowVisible(Item(IDC_SYSCFG_DELETE_DAYS)));
    ChooseDeletion(7);  // "User Define"
    EXPECT_STREQ(L"30", Text(IDC_SYSCFG_DELETE_DAYS));
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_SYSCFG_DELETE_DAYS)));
    EXPECT_TRUE(::IsWindowVisible(Item(IDC_SYSCFG_DAYS_LABEL)));
    SetText(IDC_SYSCFG_DELETE_DAYS, L"45");
    EXPECT_EQ(L"", PressAnswering(IDOK));
    EXPECT_STREQ(L"45", UserValue(L"VAD_AutoDeleteDay"));
    EXPECT_EQ(45, config->m_nAutoDeleteDay);
}

TEST_F(SystemConfigDlgTest, EmptyNumberEditsAreRefilledWhenLeft) {
    const struct {
        int id;
        const wchar_t* refill;
    } edits[] = {{IDC_SYSCFG_FREE_LIMIT, L"2000"}, {IDC_SYSCFG_BACKUP_COUNT, L"5"}, {IDC_SYSCFG_DELETE_DAYS, L"30"}};
    Open();
    for (const auto& edit : edits) {
        SetText(edit.id, L"");
        Notify(edit.id, EN_KILLFOCUS);
        EXPECT_STREQ(edit.refill, Text(edit.id));
        SetText(edit.id, L"9");
        Notify(edit.id, EN_KILLFOCUS);
        EXPECT_STREQ(L"9", Text(edit.id));
    }
}

TEST_F(SystemConfigDlgTest, FreeSpaceEditTakesOnlyDigits) {
    Open();
    HWND edit = Item(IDC_SYSCFG_FREE_LIMIT);
    SetText(IDC_SYSCFG_FREE_LIMIT, L"");
    for (wchar_t c : std::wstring(L"6a-0.0")) SendMessageW(edit, WM_CHAR, c, 0);
    EXPECT_STREQ(L"600", Text(IDC_SYSCFG_FREE_LIMIT));
}

TEST_F(SystemConfigDlgTest, AddAndDeleteSaveDirectories) {
    const CString second = CString(temp.File(L"second").c_str());
    CreateDirectoryW(second, nullptr);
    CString otherCase = saveDir;
    otherCase.MakeUpper();
    Open();
    dialog->answers = {second, saveDir, AbsentDrive() + L"\\x", otherCase, L""};

    EXPECT_EQ(L"", PressAnswering(IDC_SYSCFG_DIR_ADD, L"Save Directory:"));
    ASSERT_EQ(2, Rows());
    EXPECT_STREQ(second, Cell(1, 0));
    EXPECT_EQ(L"MB", Cell(1, 1).Right(2).GetString() + std::wstring());
    EXPECT_EQ(L"Same directory is already existed!", PressAnswering(IDC_SYSCFG_DIR_ADD, L"Save Directory:"));
    EXPECT_EQ(L"Select save directory faild!", PressAnswering(IDC_SYSCFG_DIR_ADD, L"Save Directory:"));
    // Paths are compared as texts: another letter case is another entry.
    EXPECT_EQ(L"", PressAnswering(IDC_SYSCFG_DIR_ADD, L"Save Directory:"));
    EXPECT_EQ(3, Rows());
    EXPECT_EQ(L"", PressAnswering(IDC_SYSCFG_DIR_ADD, L"Save Directory:"));  // cancelled
    EXPECT_EQ(3, Rows());

    SendMessageW(Item(IDC_SYSCFG_DIR_LIST), LVM_SETSELECTIONMARK, 0, 0);
    Click(IDC_SYSCFG_DIR_DELETE);
    ASSERT_EQ(2, Rows());
    EXPECT_STREQ(second, Cell(0, 0));
    EXPECT_STREQ(L"<none>", UserValue(L"VAD_DriverPathCount"));  // nothing saved before OK
    EXPECT_EQ(L"", PressAnswering(IDOK));
    EXPECT_STREQ(L"2", UserValue(L"VAD_DriverPathCount"));
    EXPECT_STREQ(second, UserValue(L"VAD_DriverPathType1"));
    EXPECT_STREQ(otherCase, UserValue(L"VAD_DriverPathType2"));
}

TEST_F(SystemConfigDlgTest, CancelStoresNothingAndTheNextShowingReloads) {
    Open();
    SetText(IDC_SYSCFG_FREE_LIMIT, L"4000");
    Click(IDCANCEL);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(800, config->m_nDriveFreeSpaceLimit);
    EXPECT_STREQ(L"<none>", UserValue(L"DriveFreeSpaceLimit"));
    dialog->RefreshDirList();
    EXPECT_STREQ(L"800", Text(IDC_SYSCFG_FREE_LIMIT));
}

TEST_F(SystemConfigDlgTest, EscapeDoesNotCloseIt) {
    Open();
    HWND edit = Item(IDC_SYSCFG_BACKUP_COUNT);
    for (UINT message : {WM_KEYDOWN, WM_CHAR, WM_KEYUP}) {
        MSG msg = {edit, message, VK_ESCAPE, 0};
        EXPECT_TRUE(dialog->PreTranslateMessage(&msg));
    }
    EXPECT_FALSE(Closed());
}

// Works the rule editor from another thread while the options dialog runs
// it modally: waits for it, notes its rule and disabled buttons, puts the
// caret at the end, presses the buttons and so ends it.
class RuleEditorDriver {
public:
    explicit RuleEditorDriver(std::vector<UINT> presses)
        : m_presses(std::move(presses)), m_thread([this] { Drive(); }) {}
    ~RuleEditorDriver() { Join(); }
    void Join() {
        if (m_thread.joinable()) m_thread.join();
    }
    std::wstring shownRule;
    std::vector<UINT> disabled;

private:
    void Drive() {
        HWND editor = nullptr;
        for (int i = 0; i < 1000 && !editor; ++i) {
            editor = FindWindowW(nullptr, L"Name Rule Edit");
            if (!editor || !IsWindowVisible(editor)) {
                editor = nullptr;
                Sleep(10);
            }
        }
        if (!editor) return;
        wchar_t text[256] = {0};
        GetDlgItemTextW(editor, IDC_NAMERULE_TEXT, text, 256);
        shownRule = text;
        for (UINT id = IDC_NAMERULE_YEAR4; id <= IDC_NAMERULE_ALARM_INFO; ++id) {
            HWND button = GetDlgItem(editor, id);
            if (button && id != IDC_NAMERULE_TEXT && !IsWindowEnabled(button)) disabled.push_back(id);
        }
        SendDlgItemMessageW(editor, IDC_NAMERULE_TEXT, EM_SETSEL, 0x7FFF, 0x7FFF);
        for (UINT id : m_presses)
            SendMessageW(editor, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(editor, id));
    }
    std::vector<UINT> m_presses;
    std::thread m_thread;
};

TEST_F(SystemConfigDlgTest, TheRuleEditorGetsTheRuleWithoutItsExtensionAndGivesItBackWithDuz) {
    Open();
    RuleEditorDriver driver({IDC_NAMERULE_HOUR2, IDOK});
    Click(IDC_SYSCFG_EDIT_RULE);
    driver.Join();
    EXPECT_EQ(L"{Y4}{M2}{D2}", driver.shownRule);
    EXPECT_EQ((std::vector<UINT>{IDC_NAMERULE_REC_TYPE, IDC_NAMERULE_ALARM_INFO}), driver.disabled);
    EXPECT_STREQ(L"{Y4}{M2}{D2}{H2}.Duz", Text(IDC_SYSCFG_NAME_RULE));
}

TEST_F(SystemConfigDlgTest, ACancelledRuleEditorChangesNothing) {
    Open();
    RuleEditorDriver driver({IDC_NAMERULE_CLEAR, IDCANCEL});
    Click(IDC_SYSCFG_EDIT_RULE);
    driver.Join();
    EXPECT_STREQ(L"{Y4}{M2}{D2}.duz", Text(IDC_SYSCFG_NAME_RULE));
}

TEST_F(SystemConfigDlgTest, AClearedRuleIsRefusedOnOk) {
    Open();
    RuleEditorDriver driver({IDC_NAMERULE_CLEAR, IDOK});
    Click(IDC_SYSCFG_EDIT_RULE);
    driver.Join();
    EXPECT_STREQ(L".Duz", Text(IDC_SYSCFG_NAME_RULE));
    EXPECT_EQ(L"Download file name rule can't be empty!", PressAnswering(IDOK));
    EXPECT_FALSE(Closed());
    EXPECT_STREQ(L"{Y4}{M2}{D2}.duz", config->GetDownloadNameRule());
}

// The editor on its own, modeless, so its controls can be worked directly.
class FileNameRuleEditTest : public ::testing::Test {
protected:
    void Open(const wchar_t* rule) {
        editor.m_strRule = rule;
        ASSERT_TRUE(editor.Create(IDD_NAMERULE));
        editor.ShowWindow(SW_SHOW);
    }
    void TearDown() override { editor.DestroyWindow(); }
    HWND Edit() { return editor.GetDlgItem(IDC_NAMERULE_TEXT)->GetSafeHwnd(); }
    CString Shown() {
        CString text;
        editor.GetDlgItemText(IDC_NAMERULE_TEXT, text);
        return text;
    }
    void Press(UINT id) {
        editor.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)editor.GetDlgItem(id)->GetSafeHwnd());
    }
    CFileNameRuleEdit editor;
};

TEST_F(FileNameRuleEditTest, EveryButtonInsertsItsTokenAtTheCaret) {
    const struct {
        UINT id;
        const wchar_t* token;
    } buttons[] = {
        {IDC_NAMERULE_YEAR4, L"{Y4}"},
        {IDC_NAMERULE_YEAR2, L"{Y2}"},
        {IDC_NAMERULE_MONTH1, L"{M}"},
        {IDC_NAMERULE_MONTH2, L"{M2}"},
        {IDC_NAMERULE_DAY1, L"{D}"},
        {IDC_NAMERULE_DAY2, L"{D2}"},
        {IDC_NAMERULE_HOUR1, L"{H}"},
        {IDC_NAMERULE_HOUR2, L"{H2}"},
        {IDC_NAMERULE_MINUTE1, L"{m}"},
        {IDC_NAMERULE_MINUTE2, L"{m2}"},
        {IDC_NAMERULE_SECOND1, L"{S}"},
        {IDC_NAMERULE_SECOND2, L"{S2}"},
        {IDC_NAMERULE_DEVICE_ID, L"{DEVID}"},
        {IDC_NAMERULE_DEVICE_NAME, L"{DEVNM}"},
        {IDC_NAMERULE_CHANNEL_INDEX, L"{CHNIDX}"},
        {IDC_NAMERULE_CHANNEL_NAME, L"{CHNNM}"},
        {IDC_NAMERULE_REC_TYPE, L"{RECTYPE}"},
        {IDC_NAMERULE_ALARM_INFO, L"{ALARMINFO}"},
    };
    Open(L"ab");
    for (const auto& button : buttons) {
        SetWindowTextW(Edit(), L"ab");
        SendMessageW(Edit(), EM_SETSEL, 1, 1);
        Press(button.id);
        EXPECT_STREQ(CString(L"a") + button.token + L"b", Shown());
        EXPECT_STREQ(Shown(), editor.m_strRule);  // the member follows each press
        EXPECT_TRUE(SendMessageW(Edit(), EM_CANUNDO, 0, 0));
    }
}

TEST_F(FileNameRuleEditTest, ATokenReplacesTheSelection) {
    Open(L"old text");
    SendMessageW(Edit(), EM_SETSEL, 0, -1);
    Press(IDC_NAMERULE_YEAR4);
    EXPECT_STREQ(L"{Y4}", Shown());
}

TEST_F(FileNameRuleEditTest, OkRemovesWhatAFileNameCannotHold) {
    Open(L"");
    SetWindowTextW(Edit(), L"{Y4}/cam:1\t<x>|?*\"y;\\z");
    Press(IDOK);
    EXPECT_STREQ(L"{Y4}cam1xyz", editor.m_strRule);
    EXPECT_STREQ(L"{Y4}cam1xyz", Shown());
}

TEST_F(FileNameRuleEditTest, DisabledGroupsKeepHandTypedTokens) {
    editor.SetTokenEnables(1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1);
    Open(L"");
    EXPECT_FALSE(::IsWindowEnabled(editor.GetDlgItem(IDC_NAMERULE_REC_TYPE)->GetSafeHwnd()));
    EXPECT_FALSE(::IsWindowEnabled(editor.GetDlgItem(IDC_NAMERULE_ALARM_INFO)->GetSafeHwnd()));
    EXPECT_TRUE(::IsWindowEnabled(editor.GetDlgItem(IDC_NAMERULE_YEAR2)->GetSafeHwnd()));
    EXPECT_TRUE(::IsWindowEnabled(editor.GetDlgItem(IDC_NAMERULE_CLEAR)->GetSafeHwnd()));
    SetWindowTextW(Edit(), L"{RECTYPE}");
    Press(IDOK);
    EXPECT_STREQ(L"{RECTYPE}", editor.m_strRule);
}

TEST_F(FileNameRuleEditTest, ClearEmptiesTheRule) {
    Open(L"{Y4}{M2}");
    Press(IDC_NAMERULE_CLEAR);
    EXPECT_STREQ(L"", Shown());
    Press(IDOK);
    EXPECT_STREQ(L"", editor.m_strRule);
}

}  // namespace
