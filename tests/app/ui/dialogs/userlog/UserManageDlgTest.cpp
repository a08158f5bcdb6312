// The user management dialog against a users file and user folders in a
// temporary program directory.
#include "app/ui/dialogs/userlog/CUserManageDlg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/app/ui/dialogs/DialogTestSupport.h"
#include "app/core/CAppConfig.h"
#include "app/core/CUserManager.h"
#include "app/ui/dialogs/resource.h"
#include "tests/support/TempDir.h"

namespace {

struct LOGGED {
    int type;
    int code;
    std::wstring text;
};

const wchar_t* const kSeedFiles[] = {L"recplantemplet.xml", L"backupschedule.xml", L"device.xml", L"UserLogin.ini"};

class UserManageDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        program = temp.File(L"prog");
        CreateDirectoryW(program.c_str(), nullptr);
        CAppConfig* config = GetAppConfig();
        config->m_strModuleDir = CString(program.c_str()) + L"\\";
        config->m_strSuperUserID = L"admin";
        for (const wchar_t* name : kSeedFiles) WriteWholeFile(Prog(name), "seed");
        usersFile = Prog(L"UserInfo.XML");
        users.reset(new CUserManager(config));
        users->Load(usersFile.c_str());
        users->AddUserFields(L"alice", L"Alice", L"pa", L"Female", L"2000-01-01", L"", L"first", L".\\alice", L"1");
        users->AddUserFields(L"bob", L"Bob", L"pb", L"Male", L"2000-01-01", L"", L"second", L".\\bob", L"1");
        users->AddUserFields(L"dave", L"", L"pd", L"Male", L"2000-01-01", L"", L"", L".\\dave", L"1");
        ASSERT_EQ(0, users->Save(CString()));
        users->m_CurrentUser.id = L"admin";
    }

    void TearDown() override {
        if (dlg && dlg->m_hWnd) dlg->DestroyWindow();
        dlg.reset();
    }

    std::wstring Prog(const std::wstring& name) const { return program + L"\\" + name; }

    void Open() {
        dlg.reset(new CUserManageDlg());
        dlg->SetUserManager(users.get());
        dlg->SetLogRecordWriter([this](int type, int code, const CString& text) {
            logged.push_back({type, code, static_cast<LPCWSTR>(text)});
        });
        ASSERT_TRUE(dlg->Create(IDD_USER_MANAGE, nullptr));
        dlg->ShowWindow(SW_SHOW);
        Pump();
        list = GetDlgItem(dlg->m_hWnd, IDC_USERMAN_LIST);
    }

    HWND Dlg() const { return dlg->m_hWnd; }

    // Clicks the button and closes the box it shows; the box's text, or "" when none came.
    std::wstring ClickAnsweringBox(int id) {
        std::vector<std::wstring> texts = AnswerBoxes(1, [this, id] { Click(Dlg(), id); });
        return texts.empty() ? L"" : texts[0];
    }

    void FillFields(const std::wstring& id, const std::wstring& password, const std::wstring& confirm,
                    const std::wstring& name, const std::wstring& info) {
        SetItemText(Dlg(), IDC_USERMAN_ID, id);
        SetItemText(Dlg(), IDC_USERMAN_PASSWORD, password);
        SetItemText(Dlg(), IDC_USERMAN_CONFIRM, confirm);
        SetItemText(Dlg(), IDC_USERMAN_NAME, name);
        SetItemText(Dlg(), IDC_USERMAN_INFO, info);
    }

    std::vector<std::wstring> ListedIds() const {
        std::vector<std::wstring> ids;
        for (int row = 0; row < ListRows(list); ++row) ids.push_back(ListText(list, row, 1));
        return ids;
    }

    void CheckRow(int row, BOOL check) { ListView_SetCheckState(list, row, check); }

    TempDir temp;
    std::wstring program;
    std::wstring usersFile;
    std::unique_ptr<CUserManager> users;
    std::unique_ptr<CUserManageDlg> dlg;
    std::vector<LOGGED> logged;
    HWND list = nullptr;
};

TEST_F(UserManageDlgTest, ListsEveryUserWithItsFolderAndShowsTheLastOne) {
    Open();
    ASSERT_EQ((std::vector<std::wstring>{L"alice", L"bob", L"dave"}), ListedIds());
    EXPECT_EQ(L"1", ListText(list, 0, 0));
    EXPECT_EQ(L"Female", ListText(list, 0, 3));
    EXPECT_EQ(L".\\alice", ListText(list, 0, 5));
    // Listing makes nothing on disk: folders come with OK.
    EXPECT_FALSE(PathExists(Prog(L"alice")));
    EXPECT_EQ(2, SelectedRow(list));
    EXPECT_EQ(L"dave", ItemText(Dlg(), IDC_USERMAN_ID));
    EXPECT_EQ(L"pd", ItemText(Dlg(), IDC_USERMAN_CONFIRM));
    EXPECT_EQ(CUserManageDlg::kBrowse, dlg->GetEditMode());
}

TEST_F(UserManageDlgTest, ChecksRunInOrderAndARefusalChangesNothing) {
    const std::wstring longName(127, L'n');
    const struct {
        int mode;
        std::wstring id, password, confirm, name, info;
        std::wstring refusal;  // "" accepted
    } cases[] = {
        {CUserManageDlg::kAdding, std::wstring(32, L'i'), L"p", L"p", L"", L"", L""},
        {CUserManageDlg::kAdding, std::wstring(33, L'i'), L"p", L"p", L"", L"",
         L"User id length can not be more than 32 !"},
        {CUserManageDlg::kAdding, L"eve", std::wstring(32, L'p'), std::wstring(32, L'p'), L"", L"", L""},
        {CUserManageDlg::kAdding, L"eve", std::wstring(33, L'p'), std::wstring(33, L'p'), L"", L"",
         L"Password length can not be more than 32 !"},
        {CUserManageDlg::kAdding, L"eve", L"p", L"p", std::wstring(126, L'n'), std::wstring(126, L'i'), L""},
        {CUserManageDlg::kAdding, L"eve", L"p", L"p", longName, L"", L"User name length can not be more than 126 !"},
        {CUserManageDlg::kAdding, L"eve", L"p", L"p", L"", std::wstring(127, L'i'),
         L"User information length can not be more than 126 !"},
        {CUserManageDlg::kAdding, L"eve", L"p", L"q", longName, L"", L"Two password is different!"},
        {CUserManageDlg::kAdding, L"", L"p", L"p", L"", L"", L"ID is empty!"},
        {CUserManageDlg::kAdding, L"ADMIN", L"p", L"p", L"", L"", L"ID is already existed!"},
        {CUserManageDlg::kAdding, L"BOB", L"p", L"p", L"", L"", L"ID is already existed!"},
        {CUserManageDlg::kUpdating, L"dave", L"new", L"new", L"Dave", L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "id " << c.id.size() << " chars, expected refusal: "
                                        << std::string(c.refusal.begin(), c.refusal.end()));
        Open();
        int button = c.mode == CUserManageDlg::kAdding ? IDC_USERMAN_ADD : IDC_USERMAN_UPDATE;
        Click(Dlg(), button);
        ASSERT_EQ(c.mode, dlg->GetEditMode());
        FillFields(c.id, c.password, c.confirm, c.name, c.info);
        std::wstring box = ClickAnsweringBox(button);
        EXPECT_EQ(c.refusal, box);
        if (c.refusal.empty()) {
            EXPECT_EQ(CUserManageDlg::kBrowse, dlg->GetEditMode());
            int expectedRows = c.mode == CUserManageDlg::kAdding ? 4 : 3;
            ASSERT_EQ(expectedRows, ListRows(list));
            EXPECT_EQ(c.id, ListText(list, SelectedRow(list), 1));
        } else {
            EXPECT_EQ(c.mode, dlg->GetEditMode());
            EXPECT_EQ((std::vector<std::wstring>{L"alice", L"bob", L"dave"}), ListedIds());
            EXPECT_EQ(2, SelectedRow(list));
            EXPECT_EQ(GetDlgItem(Dlg(), IDC_USERMAN_ID), GetFocus());
            EXPECT_EQ(c.id, ItemText(Dlg(), IDC_USERMAN_ID));
        }
        dlg->DestroyWindow();
    }
    // Nothing reached the user manager before OK.
    EXPECT_EQ(L"pd", std::wstring(users->FindUser(L"dave").psw));
}

TEST_F(UserManageDlgTest, EditModesSetTheControls) {
    Open();
    const struct {
        int button;  // 0: browse after Reset
        int mode;
        BOOL resetShown;
        const wchar_t* addCaption;
        BOOL addEnabled;
        const wchar_t* updateCaption;
        BOOL updateEnabled;
        BOOL idReadOnly;
        BOOL fieldsReadOnly;
    } rows[] = {
        {IDC_USERMAN_ADD, CUserManageDlg::kAdding, TRUE, L"Save", TRUE, L"Update", FALSE, FALSE, FALSE},
        {IDC_USERMAN_RESET, CUserManageDlg::kBrowse, FALSE, L"Add", TRUE, L"Update", TRUE, TRUE, TRUE},
        {IDC_USERMAN_UPDATE, CUserManageDlg::kUpdating, TRUE, L"Add", FALSE, L"Save", TRUE, FALSE, FALSE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        Click(Dlg(), row.button);
        EXPECT_EQ(row.mode, dlg->GetEditMode());
        EXPECT_EQ(row.resetShown, IsItemVisible(Dlg(), IDC_USERMAN_RESET));
        EXPECT_EQ(row.addCaption, ItemText(Dlg(), IDC_USERMAN_ADD));
        EXPECT_EQ(row.addEnabled, IsItemEnabled(Dlg(), IDC_USERMAN_ADD));
        EXPECT_EQ(row.updateCaption, ItemText(Dlg(), IDC_USERMAN_UPDATE));
        EXPECT_EQ(row.updateEnabled, IsItemEnabled(Dlg(), IDC_USERMAN_UPDATE));
        EXPECT_FALSE(IsItemEnabled(Dlg(), IDC_USERMAN_DELETE));
        EXPECT_EQ(row.idReadOnly, IsItemReadOnly(Dlg(), IDC_USERMAN_ID));
        for (int id : {IDC_USERMAN_NAME, IDC_USERMAN_PASSWORD, IDC_USERMAN_CONFIRM, IDC_USERMAN_INFO})
            EXPECT_EQ(row.fieldsReadOnly, IsItemReadOnly(Dlg(), id)) << id;
        EXPECT_TRUE(IsItemReadOnly(Dlg(), IDC_USERMAN_SYSDIR));
        EXPECT_EQ(!row.fieldsReadOnly, IsItemEnabled(Dlg(), IDC_USERMAN_SEX));
    }
    // Adding empties the fields; choosing another row drops the addition and shows that row.
    Click(Dlg(), IDC_USERMAN_ADD);
    EXPECT_EQ(L"", ItemText(Dlg(), IDC_USERMAN_ID));
    SelectListRow(list, 0);
    EXPECT_EQ(CUserManageDlg::kBrowse, dlg->GetEditMode());
    EXPECT_EQ(L"alice", ItemText(Dlg(), IDC_USERMAN_ID));
    // Enter and Escape do not close the dialog.
    SendMessageW(Dlg(), WM_COMMAND, IDOK, 0);
    SendMessageW(Dlg(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(Dlg()));
}

TEST_F(UserManageDlgTest, HeaderDoubleClickChecksAndUnchecksEveryRow) {
    Open();
    SendHeaderDoubleClick(list, 1);
    EXPECT_EQ(0, dlg->GetCheckedCount());
    SendHeaderDoubleClick(list, 0);
    EXPECT_EQ(3, dlg->GetCheckedCount());
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(ListView_GetCheckState(list, row));
    EXPECT_TRUE(IsItemEnabled(Dlg(), IDC_USERMAN_DELETE));
    SendHeaderDoubleClick(list, 0);
    EXPECT_EQ(0, dlg->GetCheckedCount());
    EXPECT_FALSE(ListView_GetCheckState(list, 1));
    EXPECT_FALSE(IsItemEnabled(Dlg(), IDC_USERMAN_DELETE));
}

TEST_F(UserManageDlgTest, DeleteKeepsTheCurrentUserAndSelectsTheNewLastRow) {
    users->m_CurrentUser.id = L"bob";
    Open();
    CheckRow(1, TRUE);
    CheckRow(2, TRUE);
    EXPECT_EQ(2, dlg->GetCheckedCount());
    EXPECT_TRUE(IsItemEnabled(Dlg(), IDC_USERMAN_DELETE));
    // The confirmation, then the refusal for the logged-in user.
    EXPECT_EQ(
        (std::vector<std::wstring>{L"Are you sure to delete this item?", L"Can't delete current user information!"}),
        AnswerBoxes(2, [this] { Click(Dlg(), IDC_USERMAN_DELETE); }));
    EXPECT_EQ((std::vector<std::wstring>{L"alice", L"bob"}), ListedIds());
    EXPECT_EQ(L"2", ListText(list, 1, 0));
    EXPECT_EQ(1, SelectedRow(list));
    EXPECT_EQ(L"bob", ItemText(Dlg(), IDC_USERMAN_ID));
    EXPECT_EQ(std::vector<CString>{L"dave"}, dlg->GetRemovedIds());
    EXPECT_EQ(0, dlg->GetCheckedCount());
    EXPECT_FALSE(IsItemEnabled(Dlg(), IDC_USERMAN_DELETE));
}

TEST_F(UserManageDlgTest, DeletingEveryRowLeavesEmptyFields) {
    Open();
    SendHeaderDoubleClick(list, 0);
    EXPECT_EQ(L"Are you sure to delete this item?", ClickAnsweringBox(IDC_USERMAN_DELETE));
    EXPECT_EQ(0, ListRows(list));
    EXPECT_EQ(L"", ItemText(Dlg(), IDC_USERMAN_ID));
    EXPECT_EQ(L"", ItemText(Dlg(), IDC_USERMAN_SYSDIR));
    EXPECT_EQ(-1, dlg->GetSelectedRow());
}

TEST_F(UserManageDlgTest, OkRewritesTheUsersAndTheirFolders) {
    CreateDirectoryW(Prog(L"alice").c_str(), nullptr);
    WriteWholeFile(Prog(L"alice\\device.xml"), "alice's devices");
    CreateDirectoryW(Prog(L"bob").c_str(), nullptr);
    WriteWholeFile(Prog(L"bob\\device.xml"), "bob's devices");
    Open();
    CheckRow(0, TRUE);
    ClickAnsweringBox(IDC_USERMAN_DELETE);
    Click(Dlg(), IDC_USERMAN_ADD);
    FillFields(L"carol", L"pc", L"pc", L"Carol", L"new");
    Click(Dlg(), IDC_USERMAN_ADD);
    ASSERT_EQ((std::vector<std::wstring>{L"bob", L"dave", L"carol"}), ListedIds());
    // Nothing is stored before OK.
    EXPECT_TRUE(PathExists(Prog(L"alice\\device.xml")));
    EXPECT_EQ(L"alice", std::wstring(users->FindUser(L"alice").id));

    Click(Dlg(), IDC_USERMAN_OK);
    EXPECT_FALSE(IsWindowVisible(Dlg()));
    CUserManager reread(GetAppConfig());
    ASSERT_EQ(0, reread.LoadFile(usersFile.c_str()));
    std::vector<USER_INFO> stored;
    reread.ListUsers(CString(), stored);
    ASSERT_EQ(3u, stored.size());
    EXPECT_EQ(L"pc", std::wstring(reread.FindUser(L"carol").psw));
    EXPECT_EQ(L".\\carol", std::wstring(reread.FindUser(L"carol").systemdir));
    EXPECT_TRUE(reread.FindUser(L"alice").id.IsEmpty());
    EXPECT_FALSE(PathExists(Prog(L"alice")));
    for (const wchar_t* name : kSeedFiles)
        EXPECT_EQ("seed", ReadWholeFile(Prog(std::wstring(L"carol\\") + name))) << name;
    EXPECT_EQ("bob's devices", ReadWholeFile(Prog(L"bob\\device.xml")));
    ASSERT_EQ(1u, logged.size());
    EXPECT_EQ(0, logged[0].type);
    EXPECT_EQ(2, logged[0].code);
    EXPECT_EQ(L"User Manage Save succeed!", logged[0].text);
}

TEST_F(UserManageDlgTest, RemovedUsersDeleteOnlyTheirOwnFolder) {
    // Ids a hand-edited file could hold: none of them names a folder of its own.
    const std::wstring victim = temp.File(L"victim");
    CreateDirectoryW(victim.c_str(), nullptr);
    WriteWholeFile(victim + L"\\keep.txt", "keep");
    users->AddUserFields(L"..\\victim", L"", L"p", L"Male", L"", L"", L"", L"", L"");
    users->AddUserFields(L"Dave", L"", L"p", L"Male", L"", L"", L"", L"", L"");
    users->Save(CString());
    CreateDirectoryW(Prog(L"dave").c_str(), nullptr);
    WriteWholeFile(Prog(L"dave\\device.xml"), "dave's devices");
    Open();
    for (int row = 0; row < ListRows(list); ++row) {
        std::wstring id = ListText(list, row, 1);
        CheckRow(row, id == L"..\\victim" || id == L"Dave");
    }
    ClickAnsweringBox(IDC_USERMAN_DELETE);
    Click(Dlg(), IDC_USERMAN_OK);
    EXPECT_EQ("keep", ReadWholeFile(victim + L"\\keep.txt"));
    EXPECT_TRUE(PathExists(program));
    // "Dave" shares the folder of "dave", who stays.
    EXPECT_EQ("dave's devices", ReadWholeFile(Prog(L"dave\\device.xml")));
}

TEST_F(UserManageDlgTest, CancelKeepsDeletionsPendingForALaterOk) {
    const std::string before = ReadWholeFile(usersFile);
    Open();
    CheckRow(0, TRUE);
    ClickAnsweringBox(IDC_USERMAN_DELETE);
    Click(Dlg(), IDC_USERMAN_CANCEL);
    EXPECT_FALSE(IsWindowVisible(Dlg()));
    EXPECT_EQ(before, ReadWholeFile(usersFile));
    EXPECT_TRUE(logged.empty());

    dlg->ShowWindow(SW_SHOW);
    EXPECT_EQ((std::vector<std::wstring>{L"bob", L"dave"}), ListedIds());
    Click(Dlg(), IDC_USERMAN_OK);
    EXPECT_TRUE(CUserManager(GetAppConfig()).LoadFile(usersFile.c_str()) == 0);
    CUserManager reread(GetAppConfig());
    reread.LoadFile(usersFile.c_str());
    EXPECT_TRUE(reread.FindUser(L"alice").id.IsEmpty());
}

TEST_F(UserManageDlgTest, APasswordChangedMeanwhileSurvivesTheNextOk) {
    Open();
    Click(Dlg(), IDC_USERMAN_CANCEL);
    ASSERT_EQ(0, users->ChangePassword(L"bob", L"pb", L"changed"));
    dlg->ShowWindow(SW_SHOW);
    Click(Dlg(), IDC_USERMAN_OK);
    CUserManager reread(GetAppConfig());
    reread.LoadFile(usersFile.c_str());
    EXPECT_EQ(L"changed", std::wstring(reread.FindUser(L"bob").psw));
}

TEST_F(UserManageDlgTest, AFailingSaveKeepsTheDialogOpenAndWritesNoRecord) {
    CreateDirectoryW(Prog(L"alice").c_str(), nullptr);
    Open();
    CheckRow(0, TRUE);
    ClickAnsweringBox(IDC_USERMAN_DELETE);
    // The file held open without sharing: it cannot be replaced.
    HANDLE held = CreateFileW(usersFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(L"Save user information failed!", ClickAnsweringBox(IDC_USERMAN_OK));
    CloseHandle(held);
    EXPECT_TRUE(IsWindowVisible(Dlg()));
    EXPECT_TRUE(logged.empty());
    EXPECT_TRUE(PathExists(Prog(L"alice")));
    EXPECT_EQ(L"alice", std::wstring(users->FindUser(L"alice").id));
    EXPECT_EQ(std::vector<CString>{L"alice"}, dlg->GetRemovedIds());
}

// The program keeps its log, languages and skins in folders of the program
// directory: no user may be named after them (nor after anything else there
// that is not a user's folder), and deleting a user of such a name, as an
// older users file may hold, leaves the folder alone.
TEST_F(UserManageDlgTest, IdsNamingTheProgramsOwnFoldersAreRefusedAndNeverDeleted) {
    CreateDirectoryW(Prog(L"Log").c_str(), nullptr);
    WriteWholeFile(Prog(L"Log\\2026_12.db"), "month");
    CreateDirectoryW(Prog(L"save").c_str(), nullptr);
    users->AddUserFields(L"Skin", L"", L"p", L"Male", L"", L"", L"", L".\\Skin", L"");
    users->Save(CString());
    CreateDirectoryW(Prog(L"Skin").c_str(), nullptr);
    WriteWholeFile(Prog(L"Skin\\play.ini"), "skin");
    Open();
    for (int row = 0; row < ListRows(list); ++row) CheckRow(row, ListText(list, row, 1) == L"Skin");
    ClickAnsweringBox(IDC_USERMAN_DELETE);
    for (const wchar_t* id : {L"Log", L"log", L"Language", L"SKIN", L"save"}) {
        SCOPED_TRACE(id);
        Click(Dlg(), IDC_USERMAN_ADD);
        FillFields(id, L"p", L"p", L"", L"");
        EXPECT_EQ(L"ID is the name of a folder in the program's directory!", ClickAnsweringBox(IDC_USERMAN_ADD));
        EXPECT_EQ(CUserManageDlg::kAdding, dlg->GetEditMode());
        Click(Dlg(), IDC_USERMAN_RESET);
    }
    Click(Dlg(), IDC_USERMAN_OK);
    EXPECT_EQ("month", ReadWholeFile(Prog(L"Log\\2026_12.db")));
    EXPECT_EQ("skin", ReadWholeFile(Prog(L"Skin\\play.ini")));
    EXPECT_TRUE(PathExists(Prog(L"save")));
}

// A new ID moves the user's folder with its devices and schedules; two users
// who trade IDs each keep their own data.
TEST_F(UserManageDlgTest, RenamingAUserKeepsItsFolderAndData) {
    for (const char* id : {"alice", "bob", "dave"}) {
        const std::wstring folder = Prog(std::wstring(id, id + strlen(id)));
        CreateDirectoryW(folder.c_str(), nullptr);
        WriteWholeFile(folder + L"\\device.xml", std::string(id) + "'s devices");
    }
    Open();
    const struct {
        int row;
        const wchar_t* id;
    } renames[] = {{2, L"david"}, {0, L"tmp"}, {1, L"alice"}, {0, L"bob"}};
    for (const auto& rename : renames) {
        SelectListRow(list, rename.row);
        Click(Dlg(), IDC_USERMAN_UPDATE);
        EXPECT_FALSE(IsItemReadOnly(Dlg(), IDC_USERMAN_ID));
        SetItemText(Dlg(), IDC_USERMAN_ID, rename.id);
        Click(Dlg(), IDC_USERMAN_UPDATE);
        EXPECT_EQ(CUserManageDlg::kBrowse, dlg->GetEditMode()) << rename.id;
    }
    Click(Dlg(), IDC_USERMAN_OK);
    EXPECT_EQ("dave's devices", ReadWholeFile(Prog(L"david\\device.xml")));
    EXPECT_EQ("alice's devices", ReadWholeFile(Prog(L"bob\\device.xml")));
    EXPECT_EQ("bob's devices", ReadWholeFile(Prog(L"alice\\device.xml")));
    EXPECT_FALSE(PathExists(Prog(L"dave")));
    EXPECT_FALSE(PathExists(Prog(L"tmp")));
    CUserManager reread(GetAppConfig());
    ASSERT_EQ(0, reread.LoadFile(usersFile.c_str()));
    EXPECT_EQ(L"pd", std::wstring(reread.FindUser(L"david").psw));
    EXPECT_EQ(L".\\david", std::wstring(reread.FindUser(L"david").systemdir));
    EXPECT_EQ(L"Alice", std::wstring(reread.FindUser(L"bob").name));
    EXPECT_TRUE(reread.FindUser(L"dave").id.IsEmpty());
}

// Folders come with OK only, each a direct child of the program directory:
// listing, showing, adding and cancelling make none, and an ID a hand-edited
// file holds that is no plain name gets none anywhere.
TEST_F(UserManageDlgTest, FoldersAreMadeAtOkOnlyAndOnlyBelowTheProgramDirectory) {
    users->AddUserFields(L"..\\outside", L"", L"p", L"Male", L"", L"", L"", L"", L"");
    users->Save(CString());
    Open();
    Click(Dlg(), IDC_USERMAN_ADD);
    FillFields(L"carol", L"pc", L"pc", L"", L"");
    Click(Dlg(), IDC_USERMAN_ADD);
    Click(Dlg(), IDC_USERMAN_CANCEL);
    dlg->ShowWindow(SW_SHOW);
    for (const wchar_t* id : {L"alice", L"bob", L"dave", L"carol"}) EXPECT_FALSE(PathExists(Prog(id))) << id;
    EXPECT_FALSE(PathExists(temp.File(L"outside")));

    Click(Dlg(), IDC_USERMAN_OK);
    for (const wchar_t* id : {L"alice", L"bob", L"dave", L"carol"})
        EXPECT_EQ("seed", ReadWholeFile(Prog(std::wstring(id) + L"\\UserLogin.ini"))) << id;
    EXPECT_FALSE(PathExists(temp.File(L"outside")));
    CUserManager reread(GetAppConfig());
    ASSERT_EQ(0, reread.LoadFile(usersFile.c_str()));
    EXPECT_EQ(CString(program.c_str()), reread.FindUser(L"..\\outside").systemdir);
}

// A stored record without a sex (the reader's "male") shows it as Male, and
// a change of something else keeps what was stored; a sex the combo does not
// know shows none and is kept too.
TEST_F(UserManageDlgTest, AnUpdateKeepsTheStoredSex) {
    users->AddUserFields(L"erin", L"", L"pe", L"unset", L"", L"", L"", L".\\erin", L"");
    users->Save(CString());
    std::string file = ReadWholeFile(usersFile);
    const size_t at = file.find(" sex=\"unset\"");
    ASSERT_NE(std::string::npos, at);
    WriteWholeFile(usersFile, file.erase(at, strlen(" sex=\"unset\"")));
    ASSERT_EQ(0, users->LoadFile(usersFile.c_str()));
    Open();
    SelectListRow(list, 3);
    ASSERT_EQ(L"erin", ItemText(Dlg(), IDC_USERMAN_ID));
    EXPECT_EQ(0, SendDlgItemMessageW(Dlg(), IDC_USERMAN_SEX, CB_GETCURSEL, 0, 0));
    Click(Dlg(), IDC_USERMAN_UPDATE);
    SetItemText(Dlg(), IDC_USERMAN_INFO, L"changed");
    Click(Dlg(), IDC_USERMAN_UPDATE);
    Click(Dlg(), IDC_USERMAN_OK);
    CUserManager reread(GetAppConfig());
    ASSERT_EQ(0, reread.LoadFile(usersFile.c_str()));
    EXPECT_EQ(L"changed", std::wstring(reread.FindUser(L"erin").information));
    EXPECT_EQ(std::wstring(USER_INFO().sex), std::wstring(reread.FindUser(L"erin").sex));
}

}  // namespace
