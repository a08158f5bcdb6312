// The manual download dialog: the record time checks, one task or one per
// checked channel in the engine's store, the channel tree's marks, and the
// store's limit on manual schedules.
#include <afxwin.h>
#include <afxcmn.h>

#include "BoxCloser.h"
#include "ScheduleDialogsFixture.h"
#include "WaitFor.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/schedules/CManualDownloadDlg.h"
#include "app/ui/dialogs/resource.h"

namespace {

// The dialog's now: mid-day, so that windows of today lie minutes before it.
CTime FixedNow() { return CTime(2026, 3, 10, 12, 30, 0); }

class ManualDownloadDlgTest : public ScheduleDialogsFixture {
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
        dialog.SetClock(FixedNow);
        ASSERT_TRUE(dialog.Create(IDD_MANUAL_DOWNLOAD, nullptr));
        dialog.ShowWindow(SW_SHOW);
        Pump();
    }
    HWND Hwnd() { return dialog.GetSafeHwnd(); }
    // Presses OK; the message it showed, or "" when there was none.
    std::wstring PressOk() {
        BoxCloser closer;
        ClickButton(Hwnd(), IDC_MANUAL_OK);
        std::wstring text;
        closer.Stop(&text);
        return text;
    }
    void Many() {
        ::CheckDlgButton(Hwnd(), IDC_MANUAL_MANY, BST_CHECKED);
        ClickButton(Hwnd(), IDC_MANUAL_MANY);
    }
    HTREEITEM Item(int device = -1, int channel = -1) {
        CTreeCtrl& tree = dialog.GetTree();
        HTREEITEM item = tree.GetRootItem();
        if (device < 0) return item;
        item = tree.GetChildItem(item);
        for (int i = 0; i < device; ++i) item = tree.GetNextSiblingItem(item);
        if (channel < 0) return item;
        HTREEITEM child = tree.GetChildItem(item);
        for (int i = 0; i < channel; ++i) child = tree.GetNextSiblingItem(child);
        return child;
    }
    std::vector<BACKUP_SCHEDULE> Tasks() {
        std::vector<BACKUP_SCHEDULE> all, manual;
        GetBackupEngine().Schedules().ListAll(all, TRUE);
        for (const BACKUP_SCHEDULE& s : all) {
            if (s.IsManual()) manual.push_back(s);
        }
        return manual;
    }
    bool OkEnabled() { return ::IsWindowEnabled(::GetDlgItem(Hwnd(), IDC_MANUAL_OK)) != FALSE; }
    bool ManualRunning() {
        int automatic = 0, manual = 0;
        GetBackupEngine().GetBackupState(&automatic, &manual);
        return manual != 0;
    }

    CManualDownloadDlg dialog;
};

struct WindowCase {
    const char* name;
    int daysBack;
    int fromMinutesBeforeNow;  // -1: 10:00
    int toMinutesBeforeNow;    // -1: 10:00
    bool accepted;
};

TEST_F(ManualDownloadDlgTest, RecordWindowChecksAndTheTaskOfOneChannel) {
    const CTime now = FixedNow();
    const WindowCase cases[] = {
        {"today, to is now", 0, 2, 0, false},
        {"today, from after to", 0, 1, 2, false},
        {"tomorrow", -1, -1, 2000, false},
        {"earlier day, empty window", 3, -1, -1, false},
        {"today, to one minute before now", 0, 2, 1, true},
    };
    Open();
    for (const WindowCase& c : cases) {
        const CTime day = now - CTimeSpan(c.daysBack, 0, 0, 0);
        const CTime from =
            c.fromMinutesBeforeNow < 0 ? CTime(2000, 1, 1, 10, 0, 0) : now - CTimeSpan(0, 0, c.fromMinutesBeforeNow, 0);
        const CTime to =
            c.toMinutesBeforeNow < 0 ? CTime(2000, 1, 1, 10, 0, 0) : now - CTimeSpan(0, 0, c.toMinutesBeforeNow, 0);
        SetPickerTime(Hwnd(), IDC_MANUAL_DATE, day.GetYear(), day.GetMonth(), day.GetDay(), 0, 0);
        SetPickerTime(Hwnd(), IDC_MANUAL_FROM, day.GetYear(), day.GetMonth(), day.GetDay(), from.GetHour(),
                      from.GetMinute());
        SetPickerTime(Hwnd(), IDC_MANUAL_TO, day.GetYear(), day.GetMonth(), day.GetDay(), to.GetHour(), to.GetMinute());
        EXPECT_EQ(std::wstring(c.accepted ? L"" : L"Incorrect record time!"), PressOk()) << c.name;
        EXPECT_EQ(c.accepted ? 1u : 0u, Tasks().size()) << c.name;
        EXPECT_EQ(!c.accepted, dialog.IsWindowVisible() != FALSE) << c.name;
        if (!c.accepted) continue;
        const BACKUP_SCHEDULE task = Tasks()[0];
        EXPECT_EQ(1001, task.DevID);
        EXPECT_EQ(0, task.ChannelIndex);
        EXPECT_EQ(kManualAgoType, task.AgoType);
        EXPECT_EQ(day.GetYear(), task.EndTime.Year);
        EXPECT_EQ(day.GetMonth(), task.EndTime.Month);
        EXPECT_EQ(day.GetDay(), task.EndTime.Day);
        EXPECT_EQ(to.GetHour(), task.RecordTime.THour);
        EXPECT_EQ(to.GetMinute(), task.RecordTime.TMinute);
        EXPECT_TRUE(ManualRunning());
    }
}

HWND g_modalFound = nullptr;

// Drives the modal dialog from its own loop: the second device, then Enter.
void CALLBACK DriveModalDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND window = ::FindWindowW(nullptr, L"New Manual Download Task");
    if (!window || g_modalFound) return;
    g_modalFound = window;
    HWND combo = ::GetDlgItem(window, IDC_MANUAL_DEVICE);
    ::SendMessageW(combo, CB_SETCURSEL, 1, 0);
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_MANUAL_DEVICE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(ManualDownloadDlgTest, TheDefaultsOfYesterdayAreAcceptedAndTheModalRunEndsWithOk) {
    g_modalFound = nullptr;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, DriveModalDialog);
    CManualDownloadDlg modal;
    modal.SetClock(FixedNow);
    const INT_PTR result = modal.DoModal();
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(IDC_MANUAL_OK, result);
    ASSERT_EQ(1u, Tasks().size());
    const BACKUP_SCHEDULE task = Tasks()[0];
    EXPECT_EQ(1002, task.DevID);
    EXPECT_EQ(0, task.ChannelIndex);
    EXPECT_EQ(2026, task.EndTime.Year);
    EXPECT_EQ(3, task.EndTime.Month);
    EXPECT_EQ(9, task.EndTime.Day);
    const TIME_RANGE whole = {0, 0, 23, 59};
    EXPECT_EQ(0, memcmp(&whole, &task.RecordTime, sizeof whole));
}

TEST_F(ManualDownloadDlgTest, TreeMarksCountTheChannelsAndOkAddsOneTaskPerCheckedChannel) {
    Open();
    Many();
    CTreeCtrl& tree = dialog.GetTree();
    ASSERT_TRUE(tree.IsWindowVisible());
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(Hwnd(), IDC_MANUAL_DEVICE)));
    EXPECT_FALSE(OkEnabled()) << "nothing checked yet";
    tree.Expand(Item(0), TVE_EXPAND);
    tree.Expand(Item(1), TVE_EXPAND);

    ClickTreeCheckBox(tree.GetSafeHwnd(), Item());
    EXPECT_EQ(3, dialog.GetCheckedCount());
    for (HTREEITEM item : {Item(0), Item(0, 0), Item(0, 1), Item(1), Item(1, 0)}) EXPECT_TRUE(tree.GetCheck(item));
    EXPECT_TRUE(OkEnabled());
    ClickTreeCheckBox(tree.GetSafeHwnd(), Item(0, 1));
    EXPECT_EQ(2, dialog.GetCheckedCount());
    EXPECT_FALSE(tree.GetCheck(Item(0))) << "a device is checked only while all its channels are";
    EXPECT_FALSE(tree.GetCheck(Item()));
    SaveScreenshot(Hwnd(), L"manual-download-many");

    // Space on a channel toggles it like a click, and the count follows.
    tree.SelectItem(Item(1, 0));
    PressKey(tree.GetSafeHwnd(), VK_SPACE);
    EXPECT_FALSE(tree.GetCheck(Item(1, 0)));
    EXPECT_FALSE(tree.GetCheck(Item(1)));
    EXPECT_EQ(1, dialog.GetCheckedCount());

    EXPECT_EQ(L"", PressOk());
    const std::vector<BACKUP_SCHEDULE> tasks = Tasks();
    ASSERT_EQ(1u, tasks.size());
    EXPECT_EQ(1001, tasks[0].DevID);
    EXPECT_EQ(0, tasks[0].ChannelIndex);
    EXPECT_FALSE(dialog.IsWindowVisible());
    for (HTREEITEM item : {Item(), Item(0), Item(0, 0), Item(1, 0)}) EXPECT_FALSE(tree.GetCheck(item));
}

TEST_F(ManualDownloadDlgTest, SpaceAloneMakesOkFollowTheMarks) {
    Open();
    Many();
    CTreeCtrl& tree = dialog.GetTree();
    tree.SelectItem(Item(1));
    PressKey(tree.GetSafeHwnd(), VK_SPACE);
    EXPECT_TRUE(tree.GetCheck(Item(1, 0)));
    EXPECT_EQ(1, dialog.GetCheckedCount());
    EXPECT_TRUE(OkEnabled());
    PressKey(tree.GetSafeHwnd(), VK_SPACE);
    EXPECT_EQ(0, dialog.GetCheckedCount());
    EXPECT_FALSE(OkEnabled());
}

TEST_F(ManualDownloadDlgTest, ChannelsBeyondTheManualLimitAreCountedAndTheOthersKept) {
    GetBackupEngine().Schedules().SetManualMaximum(2);
    Open();
    Many();
    ClickTreeCheckBox(dialog.GetTree().GetSafeHwnd(), Item());
    EXPECT_EQ(L"Max manual schedule count reached!\r\nTasks not added: 1", PressOk());
    EXPECT_EQ(2u, Tasks().size());
    EXPECT_TRUE(ManualRunning());
    EXPECT_FALSE(dialog.IsWindowVisible());

    // A store already full takes nothing: the dialog stays.
    CManualDownloadDlg second;
    ASSERT_TRUE(second.Create(IDD_MANUAL_DOWNLOAD, nullptr));
    second.ShowWindow(SW_SHOW);
    BoxCloser closer;
    ClickButton(second.GetSafeHwnd(), IDC_MANUAL_OK);
    std::wstring text;
    closer.Stop(&text);
    EXPECT_EQ(L"Max manual schedule count reached!\r\nTasks not added: 1", text);
    EXPECT_TRUE(second.IsWindowVisible());
    EXPECT_EQ(2u, Tasks().size());
    second.DestroyWindow();
}

}  // namespace
