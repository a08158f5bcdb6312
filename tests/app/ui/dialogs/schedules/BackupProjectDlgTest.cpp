// The schedule list: rows from the user's file, check marks, deleting,
// saving with its log record, and what Cancel and Escape leave.
#include <afxwin.h>
#include <afxcmn.h>

#include "BoxCloser.h"
#include "ScheduleDialogsFixture.h"
#include "WaitFor.h"
#include "tests/app/ui/dialogs/LanguageChoice.h"
#include "app/core/CLogDB.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/schedules/CBackupProjectDlg.h"
#include "app/ui/dialogs/resource.h"

namespace {

class BackupProjectDlgTest : public ScheduleDialogsFixture {
protected:
    void SetUp() override {
        ScheduleDialogsFixture::SetUp();
        SetDevices({{1001, "Gate", {"Door", "Yard"}}, {1002, "Hall", {"Lobby"}}});
    }
    void TearDown() override {
        if (dialog.GetSafeHwnd()) dialog.DestroyWindow();
        ScheduleDialogsFixture::TearDown();
    }

    void Open() {
        ASSERT_TRUE(dialog.Create(IDD_BACKUP_PROJECT, nullptr));
        dialog.ShowWindow(SW_SHOW);
        Pump();
    }
    HWND Hwnd() { return dialog.GetSafeHwnd(); }
    CListCtrl& List() { return dialog.GetList(); }
    CString Cell(int row, int column) { return List().GetItemText(row, column); }
    bool Enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(Hwnd(), id)) != FALSE; }

    void DoubleClickHeader(int column) {
        HWND header = ListView_GetHeader(List().GetSafeHwnd());
        NMHEADERW notify = {};
        notify.hdr.hwndFrom = header;
        notify.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(header));
        notify.hdr.code = HDN_ITEMDBLCLICKW;
        notify.iItem = column;
        ::SendMessageW(Hwnd(), WM_NOTIFY, notify.hdr.idFrom, reinterpret_cast<LPARAM>(&notify));
    }

    CBackupProjectDlg dialog;
};

struct RowCase {
    const char* name;
    BACKUP_SCHEDULE schedule;
    const wchar_t* cells[7];
};

BACKUP_SCHEDULE With(BACKUP_SCHEDULE schedule, void (*change)(BACKUP_SCHEDULE&)) {
    change(schedule);
    return schedule;
}

TEST_F(BackupProjectDlgTest, RowsShowTheFileSchedulesAndLeaveUnknownValuesEmpty) {
    const BACKUP_SCHEDULE base = Schedule(1001, 1, 2);
    const RowCase cases[] = {
        {"all fields",
         base,
         {L"1", L"Gate", L"Yard", L"01:00~23:00", L"Sunday,Monday,Tuesday,Wednesday,Thursday,Friday,Saturday",
          L"Two Days Ago", L"08:30~17:45"}},
        {"some weekdays, clamped end",
         With(base,
              [](BACKUP_SCHEDULE& s) {
                  for (int d = 0; d < kDaysPerWeek; ++d) s.WeekDayEnable[d] = (d == 1 || d == 5);
                  s.RecordTime = {0, 0, 24, 0};
                  s.AgoType = 9;
              }),
         {L"2", L"Gate", L"Yard", L"01:00~23:00", L"Monday,Friday", L"Thirty Days Ago", L"00:00~23:59"}},
        {"no weekday, AgoType out of range",
         With(base,
              [](BACKUP_SCHEDULE& s) {
                  for (int d = 0; d < kDaysPerWeek; ++d) s.WeekDayEnable[d] = 0;
                  s.AgoType = 12;
              }),
         {L"3", L"Gate", L"Yard", L"01:00~23:00", L"", L"", L"08:30~17:45"}},
        {"channel beyond the device's",
         With(base, [](BACKUP_SCHEDULE& s) { s.ChannelIndex = 2; }),
         {L"4", L"Gate", L"", L"01:00~23:00", L"Sunday,Monday,Tuesday,Wednesday,Thursday,Friday,Saturday",
          L"Two Days Ago", L"08:30~17:45"}},
        {"deleted device",
         With(base, [](BACKUP_SCHEDULE& s) { s.DevID = 1009; }),
         {L"5", L"", L"", L"01:00~23:00", L"Sunday,Monday,Tuesday,Wednesday,Thursday,Friday,Saturday", L"Two Days Ago",
          L"08:30~17:45"}},
    };
    std::vector<BACKUP_SCHEDULE> schedules;
    for (const RowCase& c : cases) schedules.push_back(c.schedule);
    WriteSchedules(schedules);
    Open();

    ASSERT_EQ(5, List().GetItemCount());
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 7; ++column) {
            EXPECT_EQ(CString(cases[row].cells[column]), Cell(row, column)) << cases[row].name << ", column " << column;
        }
        EXPECT_EQ(static_cast<DWORD_PTR>(row + 1), List().GetItemData(row)) << "item data is the schedule id";
    }
    EXPECT_FALSE(Enabled(IDC_PROJECT_MODIFY));
    EXPECT_FALSE(Enabled(IDC_PROJECT_DELETE));
    SaveScreenshot(Hwnd(), L"schedule-list");
}

// A language chosen between two fills shows in the second.
TEST_F(BackupProjectDlgTest, EachFillSpeaksTheLanguageChosenBeforeIt) {
    LanguageChoice language;
    const std::wstring french = temp.File(L"French.ini"), german = temp.File(L"German.ini");
    ASSERT_TRUE(LanguageChoice::Write(french, {{L"Monday", L"Lundi"}, {L"Two Days Ago", L"Avant-hier"}}));
    ASSERT_TRUE(LanguageChoice::Write(german, {{L"Monday", L"Montag"}}));
    BACKUP_SCHEDULE schedule = Schedule(1001, 0, 2);
    for (int day = 0; day < kDaysPerWeek; ++day) schedule.WeekDayEnable[day] = day == 1;
    WriteSchedules({schedule, schedule});
    language.Choose(french);
    Open();
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(CString(L"Lundi"), Cell(row, 4)) << row;
        EXPECT_EQ(CString(L"Avant-hier"), Cell(row, 5)) << row;
    }
    language.Choose(german);
    dialog.LoadScheduleList(1);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(CString(L"Montag"), Cell(row, 4)) << row;
        EXPECT_EQ(CString(L"Two Days Ago"), Cell(row, 5)) << row;
    }
}

TEST_F(BackupProjectDlgTest, NumberHeaderDoubleClickChecksThenUnchecksEveryRow) {
    WriteSchedules({Schedule(1001, 0), Schedule(1001, 1), Schedule(1002, 0)});
    Open();

    DoubleClickHeader(1);
    EXPECT_EQ(0, dialog.GetCheckedCount()) << "only the \"No.\" header toggles";
    DoubleClickHeader(0);
    EXPECT_EQ(3, dialog.GetCheckedCount());
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(List().GetCheck(row));
    EXPECT_TRUE(Enabled(IDC_PROJECT_DELETE));
    DoubleClickHeader(0);
    EXPECT_EQ(0, dialog.GetCheckedCount());
    for (int row = 0; row < 3; ++row) EXPECT_FALSE(List().GetCheck(row));
    EXPECT_FALSE(Enabled(IDC_PROJECT_DELETE));
}

TEST_F(BackupProjectDlgTest, DeleteAsksOnceRemovesCheckedRowsAndResetsTheCount) {
    WriteSchedules({Schedule(1001, 0), Schedule(1001, 1), Schedule(1002, 0)});
    Open();
    List().SetCheck(0);
    List().SetCheck(2);
    ASSERT_EQ(2, dialog.GetCheckedCount());

    {
        BoxCloser no(0, L"Dodavozi", IDCANCEL);
        ClickButton(Hwnd(), IDC_PROJECT_DELETE);
        ASSERT_TRUE(no.Wait());
    }
    EXPECT_EQ(3, List().GetItemCount()) << "Cancel in the question removes nothing";

    std::wstring question;
    {
        BoxCloser yes;
        ClickButton(Hwnd(), IDC_PROJECT_DELETE);
        ASSERT_TRUE(yes.Wait(&question));
    }
    EXPECT_EQ(L"Are you sure to del selected schedule info?", question);
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_EQ(CString(L"Yard"), Cell(0, 2));
    EXPECT_EQ(0, dialog.GetCheckedCount()) << "the refill leaves no mark to count";
    EXPECT_FALSE(Enabled(IDC_PROJECT_DELETE));
    EXPECT_EQ(3u, ReadSchedules().size()) << "nothing is written before OK";

    // Cancel, then the next opening reloads the file: the deletions are gone.
    ClickButton(Hwnd(), IDC_PROJECT_CANCEL);
    EXPECT_FALSE(dialog.IsWindowVisible());
    dialog.LoadScheduleList(1);
    EXPECT_EQ(3, List().GetItemCount());
}

int CountLogRecords(int code, const CString& text) {
    std::vector<LOG_RECORD> records;
    const CTime now = CTime::GetCurrentTime();
    GetBackupEngine().Log().Query(records, now.GetYear(), now.GetMonth(), 1, code, L"", GetDefaultLogTime(),
                                  GetDefaultLogTime(), 0, -1, -1, -1, -1, 0);
    int count = 0;
    for (const LOG_RECORD& record : records) count += record.C_Information == text;
    return count;
}

TEST_F(BackupProjectDlgTest, OkWritesTheFileTellsWhenItTakesEffectAndLogs) {
    WriteSchedules({Schedule(1001, 0), Schedule(1002, 0)});
    Open();
    const int logged = CountLogRecords(1024, L"Backup Project Save succeed!");
    List().SetCheck(0);
    {
        BoxCloser yes;
        ClickButton(Hwnd(), IDC_PROJECT_DELETE);
        ASSERT_TRUE(yes.Wait());
    }

    std::wstring info;
    {
        BoxCloser ok;
        ClickButton(Hwnd(), IDC_PROJECT_OK);
        ASSERT_TRUE(ok.Wait(&info));
    }
    EXPECT_EQ(L"If backup schedule is changed,schedule will be affect in next start schedule.", info);
    EXPECT_FALSE(dialog.IsWindowVisible());
    const std::vector<BACKUP_SCHEDULE> saved = ReadSchedules();
    ASSERT_EQ(1u, saved.size());
    EXPECT_EQ(1002, saved[0].DevID);
    EXPECT_TRUE(WaitFor([&] { return CountLogRecords(1024, L"Backup Project Save succeed!") == logged + 1; }));
}

TEST_F(BackupProjectDlgTest, AFailedSaveIsReportedKeepsTheDialogAndLogsNothing) {
    WriteSchedules({Schedule(1001, 0)});
    Open();
    // A folder where the file must go: the save cannot replace it.
    ASSERT_TRUE(::DeleteFileW(ScheduleFile().c_str()));
    ASSERT_TRUE(::CreateDirectoryW(ScheduleFile().c_str(), nullptr));
    const int logged = CountLogRecords(1024, L"Backup Project Save succeed!");

    std::wstring error;
    {
        BoxCloser ok;
        ClickButton(Hwnd(), IDC_PROJECT_OK);
        ASSERT_TRUE(ok.Wait(&error));
    }
    EXPECT_EQ(L"Save backup schedule failed!", error);
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_EQ(1, List().GetItemCount());
    ::Sleep(300);
    EXPECT_EQ(logged, CountLogRecords(1024, L"Backup Project Save succeed!"));
    ::RemoveDirectoryW(ScheduleFile().c_str());
}

TEST_F(BackupProjectDlgTest, EnterAndEscapeKeepTheListOpenAndEscapeHidesTheEditor) {
    Open();
    ClickButton(Hwnd(), IDC_PROJECT_ADD);
    ASSERT_TRUE(dialog.GetEditor().IsWindowVisible());

    ClickButton(Hwnd(), IDOK);
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_TRUE(dialog.GetEditor().IsWindowVisible());
    ClickButton(Hwnd(), IDCANCEL);
    EXPECT_TRUE(dialog.IsWindowVisible());
    EXPECT_FALSE(dialog.GetEditor().IsWindowVisible());

    ClickButton(Hwnd(), IDC_PROJECT_ADD);
    ::SendMessageW(Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(dialog.IsWindowVisible());
    EXPECT_FALSE(dialog.GetEditor().IsWindowVisible()) << "the close box hides the editor too";
}

}  // namespace
