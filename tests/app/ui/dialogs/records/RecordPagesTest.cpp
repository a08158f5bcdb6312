#include <gtest/gtest.h>

#include "DamagedBytes.h"
#include "RecordManageFakes.h"
#include "TempDir.h"
#include "app/core/UnreadableFiles.h"
#include "app/ui/dialogs/resource.h"
#include "tests/app/ui/toolkit/BoxCloser.h"

namespace {

void HeaderDoubleClick(CWnd& page, CListCtrl& list, int column) {
    NMHEADERW header = {};
    header.hdr.hwndFrom = ListView_GetHeader(list.m_hWnd);
    header.hdr.idFrom = 0;
    header.hdr.code = HDN_ITEMDBLCLICKW;
    header.iItem = column;
    page.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

class RecordPagesTest : public RecordManageFixture {
protected:
    CLocalRecManageDlg& Page() { return manager->m_localPage; }
    CListCtrl& List() { return manager->m_localPage.m_list; }

    // A window covering every row of the fixture.
    void SetWindow(const CTime& start, const CTime& end) {
        Page().m_startDate = Page().m_startTime = start;
        Page().m_endDate = Page().m_endTime = end;
        Page().UpdateData(FALSE);
    }
    void SelectDevice(const wchar_t* title) {
        SelectComboItemText(Page().m_deviceCombo, title);
        Page().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LOCALREC_DEVICE, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(Page().m_deviceCombo.m_hWnd));
    }
    static void SelectComboItemText(CComboBox& combo, const wchar_t* text) {
        combo.SetCurSel(combo.FindStringExact(-1, text));
    }
    void Click(int id) {
        Page().SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(Page().GetDlgItem(id)->m_hWnd));
    }
    void Query() { Click(IDC_LOCALREC_QUERY); }
    bool ButtonsEnabled() {
        bool all = true, none = true;
        for (int id : {IDC_LOCALREC_DELETE, IDC_LOCALREC_BACKUP, IDC_LOCALREC_TOAVI, IDC_LOCALREC_PLAY}) {
            const bool on = Page().GetDlgItem(id)->IsWindowEnabled() != FALSE;
            all = all && on;
            none = none && !on;
        }
        EXPECT_TRUE(all || none);
        return all;
    }
    void DoubleClickRow(int row) {
        NMITEMACTIVATE click = {};
        click.hdr.hwndFrom = List().m_hWnd;
        click.hdr.idFrom = IDC_LOCALREC_LIST;
        click.hdr.code = NM_DBLCLK;
        click.iItem = row;
        Page().SendMessage(WM_NOTIFY, IDC_LOCALREC_LIST, reinterpret_cast<LPARAM>(&click));
    }
    // Three recordings of devices 1001 (channels 0 and 1) and 1002.
    void ThreeRecordings() {
        files.push_back(
            AddRecordFile(dir.File(L"rec"), L"a.duz", 1001, 0, "2026-12-01 10:00:00", "2026-12-01 10:10:00"));
        files.push_back(
            AddRecordFile(dir.File(L"rec"), L"b.duz", 1001, 1, "2026-12-01 11:00:00", "2026-12-01 11:10:00", 1));
        files.push_back(
            AddRecordFile(dir.File(L"rec"), L"c.duz", 1002, 0, "2026-12-02 09:00:00", "2026-12-02 09:10:00", 101));
    }

    std::vector<std::wstring> files;
};

TEST_F(RecordPagesTest, QueryByDeviceChannelTypeAndWindow) {
    ThreeRecordings();
    OpenManager();
    SetWindow(CTime(2026, 12, 1, 0, 0, 0), CTime(2026, 12, 3, 0, 0, 0));
    // The device combo: both devices, then "UnKnow"; the channels of the first.
    ASSERT_EQ(3, Page().m_deviceCombo.GetCount());
    EXPECT_EQ(2, Page().m_channelCombo.GetCount());
    SelectDevice(L"UnKnow");
    EXPECT_EQ(0, Page().m_channelCombo.GetCount());
    Query();
    ASSERT_EQ(3, List().GetItemCount());
    EXPECT_EQ(CString(L"1"), List().GetItemText(0, 0));
    EXPECT_EQ(CString(L"2026-12-01 10:00:00"), List().GetItemText(0, 1));
    EXPECT_EQ(CString(files[2].c_str()), List().GetItemText(2, 4));
    EXPECT_EQ(CString(L"Common Record File"), List().GetItemText(0, 5));
    EXPECT_EQ(CString(L"Alarm Record File"), List().GetItemText(1, 5));
    EXPECT_EQ(CString(L"Alarm Linkage Record File"), List().GetItemText(2, 5));

    const struct {
        const wchar_t* device;
        int channel;  // combo index, -1 none
        int radio;
        int rows;
    } cases[] = {{L"Gate", 0, IDC_LOCALREC_TYPE_RECORD, 1}, {L"Gate", 1, IDC_LOCALREC_TYPE_RECORD, 1},
                 {L"Gate", 1, IDC_LOCALREC_TYPE_ALARM, 1},  {L"Gate", 0, IDC_LOCALREC_TYPE_ALARM, 0},
                 {L"Yard", 0, IDC_LOCALREC_TYPE_OTHER, 0},  {L"UnKnow", -1, IDC_LOCALREC_TYPE_ALARM, 1}};
    for (const auto& c : cases) {
        SelectDevice(c.device);
        Page().m_channelCombo.SetCurSel(c.channel);
        Page().CheckRadioButton(IDC_LOCALREC_TYPE_RECORD, IDC_LOCALREC_TYPE_OTHER, c.radio);
        std::unique_ptr<BoxCloser> closer(c.rows == 0 ? new BoxCloser : nullptr);
        Query();
        EXPECT_EQ(c.rows, List().GetItemCount()) << c.device << " " << c.channel << " " << c.radio;
        if (closer) {
            std::wstring text;
            EXPECT_TRUE(closer->Wait(&text));
            EXPECT_EQ(L"No record", text);
        }
    }

    // An end one second before the start does nothing; equal times query.
    SelectDevice(L"UnKnow");
    Page().CheckRadioButton(IDC_LOCALREC_TYPE_RECORD, IDC_LOCALREC_TYPE_OTHER, IDC_LOCALREC_TYPE_RECORD);
    SetWindow(CTime(2026, 12, 1, 10, 5, 0), CTime(2026, 12, 1, 10, 4, 59));
    Query();
    EXPECT_EQ(1, List().GetItemCount());
    SetWindow(CTime(2026, 12, 1, 10, 5, 0), CTime(2026, 12, 1, 10, 5, 0));
    Query();
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_EQ(CString(files[0].c_str()), List().GetItemText(0, 4));
}

// A record list whose page cannot be read is said to be so, with where it is
// kept, not answered with "No record"; the next query goes on with the rows
// before the damage.
TEST_F(RecordPagesTest, AQueryThatCannotReadTheRecordListSaysSo) {
    const std::wstring file = dir.File(L"damaged.db");
    {
        CRecordListDB model;
        ASSERT_EQ(1, model.Open(file.c_str()));
        ASSERT_EQ(0, model.CheckTable(0));
        for (int i = 0; i < 300; ++i) {
            RECORD_LIST_ROW row;
            row.L_DevID = 1001;
            row.C_StartTime.Format(L"2026-12-01 10:%02d:%02d", i / 60, i % 60);
            row.C_EndTime = row.C_StartTime;
            row.C_Info.Format(L"row-%04d %0120d", i, i);
            ASSERT_EQ(0, model.Insert(row));
        }
    }
    // Damaged once open: the check of every page at open has passed.
    ASSERT_EQ(1, engine.db.Open(file.c_str()));
    ASSERT_FALSE(DamagePageInPlace(file, "row-0150").empty());
    OpenManager();
    SetWindow(CTime(2026, 12, 1, 0, 0, 0), CTime(2026, 12, 3, 0, 0, 0));
    SelectDevice(L"UnKnow");
    TakeUnreadableFileNotices();

    std::unique_ptr<BoxCloser> closer(new BoxCloser);
    Query();
    std::wstring text;
    ASSERT_TRUE(closer->Wait(&text));
    EXPECT_NE(std::wstring::npos, text.find(L"This file could not be read:")) << CStringA(text.c_str()).GetString();
    EXPECT_NE(std::wstring::npos, text.find(file + L".unreadable-"));
    EXPECT_EQ(0, List().GetItemCount()) << "no part of a failed search is shown as the whole";

    Query();
    EXPECT_LT(0, List().GetItemCount());
    EXPECT_GE(150, List().GetItemCount());
}

TEST_F(RecordPagesTest, TicksEnableTheButtonsAndTheNumberHeaderTicksAll) {
    ThreeRecordings();
    OpenManager();
    SetWindow(CTime(2026, 12, 1, 0, 0, 0), CTime(2026, 12, 3, 0, 0, 0));
    SelectDevice(L"UnKnow");
    Query();
    EXPECT_FALSE(ButtonsEnabled());
    List().SetCheck(0, TRUE);
    EXPECT_TRUE(ButtonsEnabled());
    List().SetCheck(2, TRUE);
    List().SetCheck(0, FALSE);
    EXPECT_TRUE(ButtonsEnabled());
    List().SetCheck(2, FALSE);
    EXPECT_FALSE(ButtonsEnabled());

    HeaderDoubleClick(Page(), List(), 1);  // another column: nothing
    EXPECT_FALSE(ButtonsEnabled());
    HeaderDoubleClick(Page(), List(), 0);
    EXPECT_EQ(3, Page().GetCheckedCount());
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(List().GetCheck(row));
    EXPECT_TRUE(ButtonsEnabled());
    HeaderDoubleClick(Page(), List(), 0);
    EXPECT_EQ(0, Page().GetCheckedCount());
    EXPECT_FALSE(List().GetCheck(1));
    EXPECT_FALSE(ButtonsEnabled());
}

TEST_F(RecordPagesTest, DeleteOutcomes) {
    const struct {
        const wchar_t* name;
        const char* state;
        bool rowStays;
        bool fileStays;
    } cases[] = {{L"playing.duz", "in use", true, true},  {L"queued.duz", "queued", true, true},
                 {L"copying.duz", "copying", true, true}, {L"missing.duz", "missing", false, false},
                 {L"held.duz", "held", true, true},       {L"plain.duz", "plain", false, false}};
    int minute = 0;
    for (const auto& c : cases) {
        char start[32], end[32];
        std::snprintf(start, sizeof start, "2026-12-01 10:%02d:00", minute);
        std::snprintf(end, sizeof end, "2026-12-01 10:%02d:30", minute++);
        const std::wstring path =
            AddRecordFile(dir.File(L"rec"), c.name, 1001, 0, start, end, 0, std::string(c.state) != "missing");
        if (std::string(c.state) == "in use") engine.inUse.insert(path);
        if (std::string(c.state) == "queued") engine.queued.insert(path);
        if (std::string(c.state) == "copying") engine.copying.insert(path);
    }
    // Held open without delete sharing: the deletion fails.
    HANDLE held = ::CreateFileW(dir.File(L"rec\\held.duz").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    OpenManager();
    SetWindow(CTime(2026, 12, 1, 0, 0, 0), CTime(2026, 12, 3, 0, 0, 0));
    SelectDevice(L"UnKnow");
    Query();
    ASSERT_EQ(6, List().GetItemCount());
    HeaderDoubleClick(Page(), List(), 0);
    {
        BoxCloser confirm;
        Click(IDC_LOCALREC_DELETE);
        std::wstring text;
        EXPECT_TRUE(confirm.Wait(&text));
        EXPECT_EQ(L"You sure to delete those selected?", text);
    }
    ::CloseHandle(held);
    std::set<CString> listed;
    for (int row = 0; row < List().GetItemCount(); ++row) {
        listed.insert(List().GetItemText(row, 4));
        EXPECT_EQ(row + 1, _wtoi(List().GetItemText(row, 0)));
        EXPECT_FALSE(List().GetCheck(row));
    }
    EXPECT_FALSE(ButtonsEnabled());
    for (const auto& c : cases) {
        const std::wstring path = dir.File(L"rec\\") + c.name;
        EXPECT_EQ(c.rowStays, listed.count(path.c_str()) == 1) << c.state;
        EXPECT_EQ(c.fileStays, PathExists(path)) << c.state;
        RECORD_LIST_ROWS rows;
        engine.db.SearchRecords(rows, 1, L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"");
        bool inDb = false;
        for (const auto& r : rows) inDb = inDb || r.C_FilePath == path.c_str();
        EXPECT_EQ(c.rowStays, inDb) << c.state;
    }
}

TEST_F(RecordPagesTest, PlayAfterADeleteUsesTheRowsOwnDeviceAndChannel) {
    ThreeRecordings();
    ::DeleteFileW(files[0].c_str());
    OpenManager();
    SetWindow(CTime(2026, 12, 1, 0, 0, 0), CTime(2026, 12, 3, 0, 0, 0));
    SelectDevice(L"UnKnow");
    Query();
    manager->m_video.SetSelectedWindow(0);

    // Nothing ticked: Play asks nothing of the pane.
    Click(IDC_LOCALREC_PLAY);
    EXPECT_TRUE(host.plays.empty());

    List().SetCheck(0, TRUE);
    {
        BoxCloser confirm;
        Click(IDC_LOCALREC_DELETE);
        confirm.Wait();
    }
    ASSERT_EQ(2, List().GetItemCount());
    // Row 1 is now c.duz of device 1002; other ticks are cleared.
    List().SetCheck(0, TRUE);
    DoubleClickRow(1);
    ASSERT_EQ(1u, host.plays.size());
    EXPECT_EQ(1002, host.plays[0].first);
    EXPECT_EQ(0, host.plays[0].second);
    ASSERT_EQ(1u, host.plays[0].files.size());
    EXPECT_EQ(CString(files[2].c_str()), host.plays[0].files[0]);
    EXPECT_FALSE(List().GetCheck(0));
    EXPECT_EQ(1, manager->GetSelectedPane());  // moved on

    List().SetCheck(0, TRUE);
    Click(IDC_LOCALREC_PLAY);
    ASSERT_EQ(2u, host.plays.size());
    EXPECT_EQ(1001, host.plays[1].first);
    EXPECT_EQ(1, host.plays[1].second);
    EXPECT_EQ((std::vector<std::string>{"PlayFilesInSlot 0 1002 0 1", "PlayFilesInSlot 1 1001 1 1"}),
              engine.CallsStartingWith("PlayFilesInSlot"));

    // The engine cannot open the file.
    engine.playFilesResult = -1;
    List().SetCheck(0, TRUE);
    BoxCloser failure;
    Click(IDC_LOCALREC_PLAY);
    std::wstring text;
    EXPECT_TRUE(failure.Wait(&text));
    EXPECT_EQ(L"Open File Fail", text);
}

TEST_F(RecordPagesTest, ToAviGivesSameNamedFilesTheirOwnTargetsAndShowsThePage) {
    const std::wstring one =
        AddRecordFile(dir.File(L"one"), L"x.duz", 1001, 0, "2026-12-01 10:00:00", "2026-12-01 10:01:00");
    const std::wstring two =
        AddRecordFile(dir.File(L"two"), L"x.duz", 1001, 0, "2026-12-01 10:02:00", "2026-12-01 10:03:00");
    OpenManager();
    SetWindow(CTime(2026, 12, 1, 0, 0, 0), CTime(2026, 12, 3, 0, 0, 0));
    SelectDevice(L"UnKnow");
    Query();
    HeaderDoubleClick(Page(), List(), 0);
    // A cancelled folder choice changes nothing.
    Click(IDC_LOCALREC_TOAVI);
    EXPECT_TRUE(engine.tasks.empty());
    EXPECT_EQ(2, Page().GetCheckedCount());

    const CString out = dir.File(L"avi").c_str();
    host.folderAnswer = out;
    Click(IDC_LOCALREC_TOAVI);
    ASSERT_EQ(2u, engine.tasks.size());
    EXPECT_EQ(CString(one.c_str()), engine.tasks[0].sourcePath);
    EXPECT_EQ(out + L"\\x.avi", engine.tasks[0].outputPath);
    EXPECT_EQ(out + L"\\x (2).avi", engine.tasks[1].outputPath);
    EXPECT_EQ(BACKUP_TASK_LOCAL, engine.tasks[1].type);
    EXPECT_EQ(1, manager->m_tab.GetCurSel());
    EXPECT_TRUE(manager->m_aviPage.IsWindowVisible());
    EXPECT_EQ(2, manager->m_aviPage.m_list.GetItemCount());
    EXPECT_TRUE(manager->m_aviPage.IsStepTimerRunning());

    // Backup of the ticked rows starts the copy thread once.
    host.folderAnswer = dir.File(L"backup").c_str();
    List().SetCheck(1, TRUE);
    Click(IDC_LOCALREC_BACKUP);
    ASSERT_EQ(1u, engine.copies.size());
    EXPECT_EQ(CString(two.c_str()), engine.copies[0].sourceFile);
    EXPECT_EQ(host.folderAnswer, engine.copies[0].targetDir);
    EXPECT_EQ(1, host.copyThreadStarts);
}

// Earlier conversions on disk keep their files: a new one of another x.duz
// takes the next free name.
TEST_F(RecordPagesTest, ToAviTargetsPassOverFilesAlreadyOnDisk) {
    AddRecordFile(dir.File(L"one"), L"x.duz", 1001, 0, "2026-12-01 10:00:00", "2026-12-01 10:01:00");
    const std::wstring out = dir.File(L"avi");
    CreateDirectoryW(out.c_str(), nullptr);
    for (const wchar_t* earlier : {L"\\x.avi", L"\\x (2).avi"})
        ASSERT_TRUE(WriteWholeFile(out + earlier, "RIFF earlier"));
    OpenManager();
    SetWindow(CTime(2026, 12, 1, 0, 0, 0), CTime(2026, 12, 3, 0, 0, 0));
    SelectDevice(L"UnKnow");
    Query();
    List().SetCheck(0, TRUE);
    host.folderAnswer = out.c_str();
    Click(IDC_LOCALREC_TOAVI);
    ASSERT_EQ(1u, engine.tasks.size());
    EXPECT_EQ(CString(out.c_str()) + L"\\x (3).avi", engine.tasks[0].outputPath);
}

BACKUP_TASK Task(int type, int size, int64_t done, int status) {
    BACKUP_TASK task;
    task.type = type;
    task.size = size;
    task.done = done;
    task.status = status;
    return task;
}

TEST(RecordToAviProgress, TextsByTypeSizeAndStatus) {
    const struct {
        BACKUP_TASK task;
        const wchar_t* text;
    } cases[] = {
        {Task(BACKUP_TASK_LOCAL, 0, 500, 0), L"Waiting For Process"},
        {Task(BACKUP_TASK_LOCAL, 2048, 1048576, 1), L"50.0%[Converting]"},
        {Task(BACKUP_TASK_DEVICE, 120, 30, 1), L"25%[Converting]"},
        {Task(BACKUP_TASK_DEVICE, 2000000000, 1500000000, 1), L"75%[Converting]"},  // done * 100 needs 64 bits
        {Task(BACKUP_TASK_LOCAL, 100, 102400, 2), L"100.0%[Convert Done]"},
        {Task(BACKUP_TASK_LOCAL, 0, 0, -3), L"Error To Create Dstination File"},
        {Task(BACKUP_TASK_DEVICE, 0, 0, -7), L"Same Channel is In DownLoad"},
        {Task(BACKUP_TASK_DEVICE, 0, 0, 9), L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(c.text), std::wstring(CRecordToAVIDlg::ProgressText(c.task).GetString()));
}

class RecordToAviPageTest : public RecordManageFixture {
protected:
    CRecordToAVIDlg& Page() { return manager->m_aviPage; }
    void AddTasks(int count) {
        for (int i = 0; i < count; ++i) {
            BACKUP_TASK task = Task(BACKUP_TASK_LOCAL, 100, 0, 0);
            task.sourcePath.Format(L"C:\\rec\\%d.duz", i);
            task.outputPath.Format(L"C:\\avi\\%d.avi", i);
            engine.AddTask(task);
        }
    }
};

TEST_F(RecordToAviPageTest, RebuildKeepsTicksAndSelectionAndTheTimerFollowsTheQueue) {
    OpenManager();
    EXPECT_FALSE(Page().IsStepTimerRunning());
    AddTasks(3);
    Page().RefreshTaskList();
    ASSERT_EQ(3, Page().m_list.GetItemCount());
    EXPECT_TRUE(Page().IsStepTimerRunning());
    EXPECT_EQ(0, Page().m_list.GetNextItem(-1, LVNI_SELECTED));
    Page().m_list.SetCheck(1, TRUE);
    Page().m_list.SetItemState(-1, 0, LVIS_SELECTED);  // as a click on row 2 leaves it
    Page().m_list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    // The first task converts; a step that says tasks remain rebuilds the list.
    engine.tasks[0].status = 1;
    engine.tasks[0].done = 51200;
    engine.runStepResult = 1;
    Page().SendMessage(WM_TIMER, CRecordToAVIDlg::kStepTimer);
    ASSERT_EQ(3, Page().m_list.GetItemCount());
    EXPECT_EQ(CString(L"50.0%[Converting]"), Page().m_list.GetItemText(0, 1));
    EXPECT_TRUE(Page().m_list.GetCheck(1));
    EXPECT_FALSE(Page().m_list.GetCheck(0));
    EXPECT_EQ(1, Page().GetCheckedCount());
    EXPECT_EQ(2, Page().m_list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_TRUE(Page().GetDlgItem(IDC_TOAVI_CANCEL)->IsWindowEnabled());

    // While it converts only its row is rewritten.
    engine.tasks[0].done = 102400;
    engine.runStepResult = 0;
    Page().SendMessage(WM_TIMER, CRecordToAVIDlg::kStepTimer);
    EXPECT_EQ(CString(L"100.0%[Converting]"), Page().m_list.GetItemText(0, 1));

    // No tasks at all: the list empties and the timer stops.
    engine.runStepResult = -1;
    Page().SendMessage(WM_TIMER, CRecordToAVIDlg::kStepTimer);
    EXPECT_EQ(0, Page().m_list.GetItemCount());
    EXPECT_FALSE(Page().IsStepTimerRunning());
}

TEST_F(RecordToAviPageTest, CancelRemovesTheTickedTasksAfterAYes) {
    OpenManager();
    AddTasks(3);
    engine.tasks[1].status = 1;  // converting
    engine.runStepResult = 1;
    Page().RefreshTaskList();
    HeaderDoubleClick(Page(), Page().m_list, 0);
    EXPECT_EQ(3, Page().GetCheckedCount());
    Page().m_list.SetCheck(2, FALSE);
    // No queue step may run while the boxes wait.
    Page().KillTimer(CRecordToAVIDlg::kStepTimer);
    {
        BoxCloser no(0, L"Dodavozi", IDNO);
        Page().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TOAVI_CANCEL, BN_CLICKED));
        std::wstring text;
        EXPECT_TRUE(no.Wait(&text));
        EXPECT_EQ(L"Are you sure to cancel the selected task?", text);
    }
    EXPECT_TRUE(engine.CallsStartingWith("RemoveTask").empty());
    {
        BoxCloser yes(0, L"Dodavozi", IDYES);
        Page().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TOAVI_CANCEL, BN_CLICKED));
        yes.Wait();
    }
    EXPECT_EQ((std::vector<std::string>{"RemoveTask 1", "RemoveTask 2", "RunStep"}), engine.calls);
    // The waiting task is gone and the cancelled one is not listed.
    ASSERT_EQ(1, Page().m_list.GetItemCount());
    EXPECT_EQ(CString(L"C:\\rec\\2.duz"), Page().m_list.GetItemText(0, 3));
    EXPECT_EQ(CString(L"1"), Page().m_list.GetItemText(0, 0));
}

}  // namespace
