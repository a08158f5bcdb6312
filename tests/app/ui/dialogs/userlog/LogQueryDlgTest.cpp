// The log query dialog against monthly log files in a temporary folder.
#include "app/ui/dialogs/userlog/CLogQueryDlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "tests/app/ui/dialogs/DialogTestSupport.h"
#include "tests/app/ui/dialogs/LanguageChoice.h"
#include "LogMonthFixture.h"
#include "app/core/CAppConfig.h"
#include "app/core/CUserManager.h"
#include "app/core/UnreadableFiles.h"
#include "app/ui/dialogs/resource.h"
#include "tests/support/TempDir.h"

namespace {

const CTime kFixtureMonth(2025, 3, 15, 12, 0, 0);
const int kFixtureRecords = 12;

class LogQueryDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        CAppConfig* config = GetAppConfig();
        config->m_strModuleDir = CString(temp.Path().c_str()) + L"\\";
        config->m_strSuperUserID = L"admin";
        log.SetDirectory(CString(temp.File(L"Log").c_str()) + L"\\");
        ASSERT_TRUE(WriteLogMonth(log, kFixtureMonth, kFixtureRecords));
        users.reset(new CUserManager(config));
        users->AddUserFields(L"alice", L"Alice", L"pa", L"Female", L"", L"", L"", L".\\alice", L"1");
        users->AddUserFields(L"bob", L"", L"pb", L"Male", L"", L"", L"", L".\\bob", L"1");
        users->m_CurrentUser.id = L"admin";
    }

    void TearDown() override {
        if (dlg && dlg->m_hWnd) dlg->DestroyWindow();
    }

    void Open() {
        dlg.reset(new CLogQueryDlg());
        dlg->SetUserManager(users.get());
        dlg->SetQueryRunner([this](LOG_QUERY& request) {
            ++queries;
            if (slowQueryMs) Sleep(slowQueryMs);
            request.result =
                log.Query(request.results, request.month.GetYear(), request.month.GetMonth(), request.type,
                          request.code, request.user, GetDefaultLogTime(), GetDefaultLogTime(), -1, -1, -1, -1, -1, -1);
        });
        dlg->SetExportedFileOpener([](const CString&) {});
        ASSERT_TRUE(dlg->Create(IDD_LOG_QUERY, nullptr));
        dlg->ShowWindow(SW_SHOW);
        list = GetDlgItem(dlg->m_hWnd, IDC_LOGQUERY_LIST);
        combo = GetDlgItem(dlg->m_hWnd, IDC_LOGQUERY_USER);
        tree = GetDlgItem(dlg->m_hWnd, IDC_LOGQUERY_TREE);
    }

    void ChooseMonth(const CTime& month) { ChooseLogMonth(dlg->m_hWnd, month); }

    void ChooseUser(int index) {
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        SendMessageW(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_LOGQUERY_USER, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }

    HTREEITEM FindTreeItem(HTREEITEM item, const std::wstring& text) {
        for (; item; item = TreeView_GetNextSibling(tree, item)) {
            wchar_t buffer[64] = {};
            TVITEMW data = {};
            data.mask = TVIF_TEXT;
            data.hItem = item;
            data.pszText = buffer;
            data.cchTextMax = 64;
            TreeView_GetItem(tree, &data);
            if (text == buffer) return item;
            if (HTREEITEM inner = FindTreeItem(TreeView_GetChild(tree, item), text)) return inner;
        }
        return nullptr;
    }

    std::vector<std::wstring> ComboTexts() const {
        std::vector<std::wstring> texts;
        int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[128] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            texts.push_back(text);
        }
        return texts;
    }

    // How many fixture records match.
    static int Expected(int type, int code, const CString& user, int count = kFixtureRecords) {
        int matching = 0;
        for (int i = 0; i < count; ++i) {
            CString entryUser;
            int entryType = 0, entryCode = 0;
            LogMonthEntry(i, &entryUser, &entryType, &entryCode);
            if ((type < 0 || type == entryType) && (code < 0 || code == entryCode) &&
                (user.IsEmpty() || user == entryUser))
                ++matching;
        }
        return matching;
    }

    TempDir temp;
    CLogDB log;
    std::unique_ptr<CUserManager> users;
    std::unique_ptr<CLogQueryDlg> dlg;
    std::atomic<int> queries{0};
    int slowQueryMs = 0;
    HWND list = nullptr;
    HWND combo = nullptr;
    HWND tree = nullptr;
};

TEST_F(LogQueryDlgTest, EveryTreeItemQueriesItsTypeAndCode) {
    Open();
    dlg->Activate();
    ChooseMonth(kFixtureMonth);
    const struct {
        const wchar_t* item;
        int type;
        int code;
    } rows[] = {
        {L"Log", -1, -1},
        {L"App Log", 1, -1},
        {L"Device Login", 1, 1012},
        {L"Device Offline", 1, 1014},
        {L"Dodavozi Config", 1, 1024},
        {L"Dodavozi Start", 1, 1025},
        {L"System Log", 0, -1},
        {L"User Login", 0, 0},
        {L"User Logout", 0, 1},
        {L"Config Operation", 0, 2},
        {L"Password Modify", 0, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::string(CStringA(row.item)));
        HTREEITEM item = FindTreeItem(TreeView_GetRoot(tree), row.item);
        ASSERT_NE(nullptr, item);
        TreeView_SelectItem(tree, item);
        int expected = Expected(row.type, row.code, CString());
        EXPECT_EQ(expected, ListRows(list));
        EXPECT_EQ(expected > 0, IsItemEnabled(dlg->m_hWnd, IDC_LOGQUERY_EXPORT));
        if (expected > 0) {
            EXPECT_EQ(0, SelectedRow(list));
        }
    }
}

TEST_F(LogQueryDlgTest, RowsShowTheRecordsTexts) {
    Open();
    dlg->Activate();
    ChooseMonth(kFixtureMonth);
    ASSERT_EQ(kFixtureRecords, ListRows(list));
    // Record 6: alarm 3000 by admin, on the 7th at 10:06; record 7 has a code no table holds.
    EXPECT_EQ(L"7", ListText(list, 6, 0));
    EXPECT_EQ(L"2025-03-07 10:06:00", ListText(list, 6, 1));
    EXPECT_EQ(L"admin", ListText(list, 6, 2));
    EXPECT_EQ(L"Motion Detect", ListText(list, 6, 3));
    EXPECT_EQ(L"entry 6", ListText(list, 6, 4));
    EXPECT_EQ(L"2025-03-07 10:06:00 -- 2025-03-07 11:06:00", ListText(list, 6, 5));
    EXPECT_EQ(L"1-1999", ListText(list, 7, 3));
    EXPECT_EQ(L"Device Login", ListText(list, 3, 3));
}

// A language chosen between two queries shows in the second.
TEST_F(LogQueryDlgTest, TypeNamesSpeakTheLanguageChosenBeforeEachQuery) {
    LanguageChoice language;
    const std::wstring french = temp.File(L"French.ini"), german = temp.File(L"German.ini");
    ASSERT_TRUE(LanguageChoice::Write(french, {{L"User Login", L"Connexion"}, {L"Motion Detect", L"Mouvement"}}));
    ASSERT_TRUE(LanguageChoice::Write(german, {{L"User Login", L"Anmeldung"}}));
    Open();
    dlg->Activate();
    language.Choose(french);
    ChooseMonth(kFixtureMonth);
    ASSERT_EQ(kFixtureRecords, ListRows(list));
    for (int row : {0, 8}) EXPECT_EQ(L"Connexion", ListText(list, row, 3)) << row;
    EXPECT_EQ(L"Mouvement", ListText(list, 6, 3));
    EXPECT_EQ(L"User Logout", ListText(list, 1, 3));

    language.Choose(german);
    ChooseMonth(kFixtureMonth);
    for (int row : {0, 8}) EXPECT_EQ(L"Anmeldung", ListText(list, row, 3)) << row;
    EXPECT_EQ(L"Motion Detect", ListText(list, 6, 3));
}

TEST_F(LogQueryDlgTest, TheUserComboFollowsWhoIsLoggedIn) {
    Open();
    dlg->Activate();
    EXPECT_EQ((std::vector<std::wstring>{L"All User", L"admin - Super Manage User", L"alice - Alice", L"bob"}),
              ComboTexts());
    EXPECT_TRUE(IsWindowEnabled(combo));
    EXPECT_EQ(combo, GetFocus());
    ChooseMonth(kFixtureMonth);
    ChooseUser(3);
    EXPECT_EQ(Expected(-1, -1, L"bob"), ListRows(list));
    for (int row = 0; row < ListRows(list); ++row) EXPECT_EQ(L"bob", ListText(list, row, 2));

    // Someone else logs in during the same run: only their own entry, and their records.
    users->m_CurrentUser.id = L"alice";
    users->m_CurrentUser.name = L"Alice";
    dlg->Activate();
    EXPECT_EQ(std::vector<std::wstring>{L"alice - Alice"}, ComboTexts());
    EXPECT_FALSE(IsWindowEnabled(combo));
    EXPECT_EQ(Expected(-1, -1, L"alice"), ListRows(list));
    EXPECT_EQ(GetDlgItem(dlg->m_hWnd, IDC_LOGQUERY_MONTH), GetFocus());
}

TEST_F(LogQueryDlgTest, TheSuperUserAloneGetsOneDisabledEntry) {
    users->Clear();
    Open();
    dlg->Activate();
    EXPECT_EQ(std::vector<std::wstring>{L"admin - Super Manage User"}, ComboTexts());
    EXPECT_FALSE(IsWindowEnabled(combo));
}

TEST_F(LogQueryDlgTest, OneQueryPerActivateAndNoneBefore) {
    Open();
    ChooseMonth(kFixtureMonth);
    EXPECT_EQ(0, dlg->RunQuery());
    EXPECT_EQ(0, queries);
    dlg->Activate();
    EXPECT_EQ(1, queries);
    dlg->Activate();
    EXPECT_EQ(2, queries);
}

TEST_F(LogQueryDlgTest, AMonthWithoutAFileListsNothing) {
    Open();
    dlg->Activate();
    ChooseMonth(kFixtureMonth);
    ASSERT_GT(ListRows(list), 0);
    ChooseMonth(CTime(2024, 2, 10, 12, 0, 0));
    EXPECT_EQ(0, ListRows(list));
    EXPECT_FALSE(IsItemEnabled(dlg->m_hWnd, IDC_LOGQUERY_EXPORT));
}

// A month whose file is damaged is said to be unreadable, with where the
// file is kept now, not shown as a quiet month.
TEST_F(LogQueryDlgTest, AMonthThatCannotBeReadIsToldNotShownEmpty) {
    Open();
    dlg->Activate();
    ChooseMonth(kFixtureMonth);
    ASSERT_GT(ListRows(list), 0);
    const CTime damagedMonth(2024, 5, 10, 12, 0, 0);
    const CString file = log.GetMonthFile(damagedMonth.GetTime());
    ASSERT_TRUE(WriteWholeFile(file.GetString(), std::string(4096, 'x')));
    TakeUnreadableFileNotices();

    const std::vector<std::wstring> boxes = AnswerBoxes(1, [&] { ChooseMonth(damagedMonth); });
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::wstring::npos, boxes[0].find(L"This file could not be read:"));
    EXPECT_NE(std::wstring::npos, boxes[0].find(file.GetString() + std::wstring(L".unreadable-")));
    EXPECT_EQ(0, ListRows(list));
    EXPECT_FALSE(IsItemEnabled(dlg->m_hWnd, IDC_LOGQUERY_EXPORT));
}

TEST(LogQueryMonthFormatTest, YearFirstLocalesReadYearMonth) {
    EXPECT_EQ(L"MM-yyyy", std::wstring(CLogQueryDlg::MonthFormat(0)));
    EXPECT_EQ(L"MM-yyyy", std::wstring(CLogQueryDlg::MonthFormat(1)));
    EXPECT_EQ(L"yyyy-MM", std::wstring(CLogQueryDlg::MonthFormat(2)));
}

TEST_F(LogQueryDlgTest, TheTextExportAsksForAPathAndReportsAFailure) {
    Open();
    dlg->Activate();
    ChooseMonth(kFixtureMonth);
    std::wstring target = temp.File(L"log.txt");
    dlg->SetSavePathPrompt([&target](CWnd*) { return CString(target.c_str()); });
    std::vector<std::wstring> boxes =
        AnswerBoxes(1, [this] { SendMessageW(dlg->m_hWnd, WM_COMMAND, ID_LOGQUERY_EXPORT_TEXT, 0); });
    EXPECT_TRUE(boxes.empty());
    std::string text = ReadWholeFile(target);
    EXPECT_EQ(0u, text.find("No."));
    EXPECT_NE(std::string::npos, text.find("entry 11"));

    target = temp.File(L"missing\\log.txt");
    boxes = AnswerBoxes(1, [this] { SendMessageW(dlg->m_hWnd, WM_COMMAND, ID_LOGQUERY_EXPORT_TEXT, 0); });
    EXPECT_EQ(std::vector<std::wstring>{L"Export failed!"}, boxes);

    // Cancelled: nothing written, nothing said.
    target.clear();
    boxes = AnswerBoxes(1, [this] { SendMessageW(dlg->m_hWnd, WM_COMMAND, ID_LOGQUERY_EXPORT_TEXT, 0); });
    EXPECT_TRUE(boxes.empty());
}

// A window standing in for the main window: its timer and paints are counted.
struct TickWindow {
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        TickWindow* self = reinterpret_cast<TickWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_TIMER && wParam == 13) {
            ++self->ticks;
            if (self->onTick) self->onTick();
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        if (self && message == WM_PAINT) ++self->paints;
        if (self && message == WM_APP) ++self->inputs;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    TickWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LogQueryTickWindow";
        RegisterClassW(&wc);
        window = CreateWindowW(wc.lpszClassName, L"ticks", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                               nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TickWindow() { DestroyWindow(window); }
    HWND window = nullptr;
    int ticks = 0;
    int paints = 0;
    int inputs = 0;
    std::function<void()> onTick;
};

TEST_F(LogQueryDlgTest, ASlowQueryKeepsTimersAndPaintsRunningAndRunsAlone) {
    Open();
    dlg->Activate();
    TickWindow main;
    SetTimer(main.window, 13, 50, nullptr);
    int nestedResult = -1;
    BOOL runningDuringTick = FALSE;
    main.onTick = [&] {
        runningDuringTick = dlg->IsQueryRunning();
        nestedResult = dlg->RunQuery();
        // Input that arrives meanwhile waits for the list.
        PostMessageW(main.window, WM_APP, 0, 0);
    };
    slowQueryMs = 1500;
    queries = 0;
    ChooseMonth(kFixtureMonth);
    KillTimer(main.window, 13);
    EXPECT_EQ(1, queries);
    EXPECT_GE(main.ticks, 5);
    EXPECT_GE(main.paints, 1);
    EXPECT_TRUE(runningDuringTick);
    EXPECT_EQ(0, nestedResult);
    EXPECT_EQ(0, main.inputs);
    EXPECT_EQ(kFixtureRecords, ListRows(list));
    EXPECT_FALSE(dlg->IsQueryRunning());
    Pump();
    EXPECT_GE(main.inputs, 1);
}

TEST_F(LogQueryDlgTest, LargeMonthsSwitchThroughThePicker) {
    const int perMonth = 20000;
    const CTime months[] = {CTime(2024, 10, 5, 12, 0, 0), CTime(2024, 11, 5, 12, 0, 0), CTime(2024, 12, 5, 12, 0, 0)};
    for (const CTime& month : months) ASSERT_TRUE(WriteLogMonth(log, month, perMonth));
    Open();
    dlg->Activate();
    for (const CTime& month : months) {
        ChooseMonth(month);
        ASSERT_EQ(perMonth, ListRows(list));
        CString last;
        last.Format(L"entry %d", perMonth - 1);
        EXPECT_EQ(std::wstring(last), ListText(list, perMonth - 1, 4));
        EXPECT_EQ(month.GetMonth(), _wtoi(ListText(list, 0, 1).substr(5, 2).c_str()));
    }
}

}  // namespace
