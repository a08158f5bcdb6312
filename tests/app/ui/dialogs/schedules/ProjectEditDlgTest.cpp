// The schedule editor inside the schedule list: its checks, single and
// multi-channel adding, and modifying by device id and channel position.
#include <afxwin.h>
#include <afxcmn.h>

#include <string>

#include "BoxCloser.h"
#include "ScheduleDialogsFixture.h"
#include "app/ui/dialogs/schedules/CBackupProjectDlg.h"
#include "app/ui/dialogs/resource.h"

namespace {

class ProjectEditDlgTest : public ScheduleDialogsFixture {
protected:
    void TearDown() override {
        if (list.GetSafeHwnd()) list.DestroyWindow();
        ScheduleDialogsFixture::TearDown();
    }

    void Open() {
        ASSERT_TRUE(list.Create(IDD_BACKUP_PROJECT, nullptr));
        list.ShowWindow(SW_SHOW);
        Pump();
    }
    HWND Editor() { return list.GetEditor().GetSafeHwnd(); }
    void Add() { ClickButton(list.GetSafeHwnd(), IDC_PROJECT_ADD); }
    void Modify(int row) {
        list.GetList().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ClickButton(list.GetSafeHwnd(), IDC_PROJECT_MODIFY);
    }
    void SetTime(int id, int hour, int minute) { SetPickerTime(Editor(), id, 2000, 1, 1, hour, minute); }
    void SelectCombo(int id, int index) {
        HWND combo = ::GetDlgItem(Editor(), id);
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(Editor(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    // Presses OK; the message it showed, or "" when it stored.
    std::wstring PressOk() {
        BoxCloser closer;
        ClickButton(Editor(), IDOK);
        std::wstring text;
        closer.Stop(&text);
        return text;
    }
    std::vector<BACKUP_SCHEDULE> Stored() {
        std::vector<BACKUP_SCHEDULE> out;
        list.GetStore().ListAll(out, FALSE);
        return out;
    }
    HTREEITEM TreeItem(int device, int channel = -1) {
        CTreeCtrl& tree = list.GetEditor().GetTree();
        HTREEITEM item = tree.GetChildItem(tree.GetRootItem());
        for (int i = 0; i < device; ++i) item = tree.GetNextSiblingItem(item);
        if (channel < 0) return item;
        HTREEITEM child = tree.GetChildItem(item);
        for (int i = 0; i < channel; ++i) child = tree.GetNextSiblingItem(child);
        return child;
    }

    CBackupProjectDlg list;
};

struct TimeCase {
    const char* name;
    int agoIndex;
    int runFrom[2], runTo[2], recordFrom[2], recordTo[2];
    const wchar_t* message;  // "" when the schedule is stored
};

TEST_F(ProjectEditDlgTest, OkChecksTheWindowsInOrder) {
    const wchar_t kRunAfterRecord[] = L"Schedule start run time must after device record to backup end time!";
    const wchar_t kEndAfterStart[] = L"End time must after start time!";
    const TimeCase cases[] = {
        {"today, whole day both", 0, {0, 0}, {23, 59}, {0, 0}, {23, 59}, kRunAfterRecord},
        {"today, run starts as the record window ends", 0, {8, 0}, {23, 59}, {0, 0}, {8, 0}, L""},
        {"today, bad run window too: the first check wins", 0, {8, 0}, {7, 0}, {0, 0}, {9, 0}, kRunAfterRecord},
        {"empty record window", 1, {0, 0}, {23, 59}, {10, 0}, {10, 0}, kEndAfterStart},
        {"run window backwards", 1, {12, 0}, {11, 59}, {0, 0}, {1, 0}, kEndAfterStart},
        {"one day ago, any order of windows", 1, {0, 0}, {0, 1}, {0, 0}, {23, 59}, L""},
    };
    SetDevices({{1001, "Gate", {"Door", "Yard"}}});
    Open();
    size_t expected = 0;
    for (const TimeCase& c : cases) {
        Add();
        SelectCombo(IDC_PROJEDIT_AGO, c.agoIndex);
        SetTime(IDC_PROJEDIT_RUN_START, c.runFrom[0], c.runFrom[1]);
        SetTime(IDC_PROJEDIT_RUN_END, c.runTo[0], c.runTo[1]);
        SetTime(IDC_PROJEDIT_RECORD_START, c.recordFrom[0], c.recordFrom[1]);
        SetTime(IDC_PROJEDIT_RECORD_END, c.recordTo[0], c.recordTo[1]);
        EXPECT_EQ(std::wstring(c.message), PressOk()) << c.name;
        if (*c.message) {
            EXPECT_TRUE(::IsWindowVisible(Editor())) << c.name;
            continue;
        }
        ++expected;
        EXPECT_FALSE(::IsWindowVisible(Editor())) << c.name;
        ASSERT_EQ(expected, Stored().size()) << c.name;
        const BACKUP_SCHEDULE s = Stored().back();
        EXPECT_EQ(c.agoIndex, s.AgoType) << c.name;
        EXPECT_EQ(c.runFrom[0] * 60 + c.runFrom[1], s.RunTime.FHour * 60 + s.RunTime.FMinute) << c.name;
        EXPECT_EQ(c.recordTo[0] * 60 + c.recordTo[1], s.RecordTime.THour * 60 + s.RecordTime.TMinute) << c.name;
    }
    EXPECT_EQ(static_cast<int>(expected), list.GetList().GetItemCount()) << "the list follows the store";
}

TEST_F(ProjectEditDlgTest, AddStoresTheChosenChannelAndWeekdays) {
    SetDevices({{1001, "Gate", {"Door"}}, {1002, "Hall", {"Lobby", "Stairs", "Roof"}}});
    Open();
    Add();
    SelectCombo(IDC_PROJEDIT_DEVICE, 1);
    SelectCombo(IDC_PROJEDIT_CHANNEL, 2);
    ClickButton(Editor(), IDC_PROJEDIT_WEEKDAY_ALL);  // first press: all on (they were already)
    ClickButton(Editor(), IDC_PROJEDIT_WEEKDAY_ALL);  // second: all off
    ::CheckDlgButton(Editor(), IDC_PROJEDIT_SUNDAY, BST_CHECKED);
    ::CheckDlgButton(Editor(), IDC_PROJEDIT_SATURDAY, BST_CHECKED);
    EXPECT_EQ(L"", PressOk());

    ASSERT_EQ(1u, Stored().size());
    const BACKUP_SCHEDULE s = Stored()[0];
    EXPECT_EQ(1002, s.DevID);
    EXPECT_EQ(2, s.ChannelIndex);
    EXPECT_EQ(1, s.AgoType) << "a new schedule starts on \"One Day Ago\"";
    const int days[kDaysPerWeek] = {1, 0, 0, 0, 0, 0, 1};
    for (int d = 0; d < kDaysPerWeek; ++d) EXPECT_EQ(days[d], s.WeekDayEnable[d]) << "weekday " << d;
    EXPECT_EQ(CString(L"Roof"), list.GetList().GetItemText(0, 2));
}

// The combo's items, and the text it shows, joined by "|".
std::wstring ComboText(HWND dialog, int id) {
    HWND combo = ::GetDlgItem(dialog, id);
    std::wstring text;
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t item[64] = {0};
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        text += std::wstring(item) + L"|";
    }
    wchar_t shown[64] = {0};
    ::GetWindowTextW(combo, shown, 64);
    return text + L"shown " + shown;
}

TEST_F(ProjectEditDlgTest, CombosOfferTheDevicesInOrderAndTheChannelsOfTheChosenOne) {
    SetDevices({{1002, "Hall", {"Lobby", "Stairs"}}, {1001, "Gate", {"Door"}}, {1003, "Attic", {"Roof"}}});
    Open();
    Add();
    EXPECT_EQ(L"Gate|Hall|Attic|shown Gate", ComboText(Editor(), IDC_PROJEDIT_DEVICE)) << "in id order";
    EXPECT_EQ(L"Door|shown Door", ComboText(Editor(), IDC_PROJEDIT_CHANNEL));
    SelectCombo(IDC_PROJEDIT_DEVICE, 1);
    EXPECT_EQ(L"Gate|Hall|Attic|shown Hall", ComboText(Editor(), IDC_PROJEDIT_DEVICE));
    EXPECT_EQ(L"Lobby|Stairs|shown Lobby", ComboText(Editor(), IDC_PROJEDIT_CHANNEL));
}

TEST_F(ProjectEditDlgTest, MultiChannelTreeMarksFollowTheirChannelsAndAddOneScheduleEach) {
    SetDevices({{1001, "Gate", {"Door", "Yard"}}, {1002, "Hall", {"Lobby"}}});
    Open();
    Add();
    ::SendMessageW(::GetDlgItem(Editor(), IDC_PROJEDIT_MULTI), BM_SETCHECK, BST_CHECKED, 0);
    ClickButton(Editor(), IDC_PROJEDIT_MULTI);
    CTreeCtrl& tree = list.GetEditor().GetTree();
    ASSERT_TRUE(tree.IsWindowVisible());
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(Editor(), IDC_PROJEDIT_DEVICE)));
    const HWND treeWindow = tree.GetSafeHwnd();

    ClickTreeCheckBox(treeWindow, TreeItem(0, 1));
    EXPECT_TRUE(tree.GetCheck(TreeItem(0, 1)));
    EXPECT_TRUE(tree.GetCheck(TreeItem(0))) << "a checked channel checks its device";
    EXPECT_TRUE(tree.GetCheck(tree.GetRootItem()));
    ClickTreeCheckBox(treeWindow, TreeItem(0, 1));
    EXPECT_FALSE(tree.GetCheck(TreeItem(0)));
    EXPECT_FALSE(tree.GetCheck(tree.GetRootItem()));

    ClickTreeCheckBox(treeWindow, TreeItem(0));  // the device: both its channels
    tree.SelectItem(TreeItem(1, 0));
    PressKey(treeWindow, VK_SPACE);  // Space works like a click
    EXPECT_TRUE(tree.GetCheck(TreeItem(1, 0)));
    EXPECT_TRUE(tree.GetCheck(TreeItem(1)));
    SaveScreenshot(Editor(), L"schedule-editor-multi");
    SetTime(IDC_PROJEDIT_RECORD_START, 2, 0);
    SetTime(IDC_PROJEDIT_RECORD_END, 3, 0);
    EXPECT_EQ(L"", PressOk());

    const std::vector<BACKUP_SCHEDULE> stored = Stored();
    ASSERT_EQ(3u, stored.size());
    const int expected[3][2] = {{1001, 0}, {1001, 1}, {1002, 0}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(expected[i][0], stored[i].DevID);
        EXPECT_EQ(expected[i][1], stored[i].ChannelIndex);
        EXPECT_EQ(2, stored[i].RecordTime.FHour);
        EXPECT_EQ(3, stored[i].RecordTime.THour);
    }
}

// The tree as text: "device(channel,channel) device(...)", with the item data
// of each device.
std::wstring TreeText(CTreeCtrl& tree) {
    std::wstring text;
    for (HTREEITEM device = tree.GetChildItem(tree.GetRootItem()); device; device = tree.GetNextSiblingItem(device)) {
        if (!text.empty()) text += L" ";
        text += std::wstring(tree.GetItemText(device)) + L"#" + std::to_wstring(tree.GetItemData(device)) + L"(";
        for (HTREEITEM channel = tree.GetChildItem(device); channel; channel = tree.GetNextSiblingItem(channel)) {
            if (channel != tree.GetChildItem(device)) text += L",";
            text += std::wstring(tree.GetItemText(channel));
        }
        text += L")";
    }
    return text;
}

// The tree is built when "Multi Channel" first shows it, from the devices
// of the last fill, and rebuilt by every fill after that.
TEST_F(ProjectEditDlgTest, TheTreeShowsTheDevicesOfTheLastFill) {
    SetDevices({{1001, "Gate", {"Door", "Yard"}}});
    Open();
    SetDevices({{1001, "Gate", {"Door", "Yard"}}, {1002, "Hall", {"Lobby"}}});
    list.GetEditor().FillDeviceList();
    Add();
    ::SendMessageW(::GetDlgItem(Editor(), IDC_PROJEDIT_MULTI), BM_SETCHECK, BST_CHECKED, 0);
    ClickButton(Editor(), IDC_PROJEDIT_MULTI);
    CTreeCtrl& tree = list.GetEditor().GetTree();
    EXPECT_EQ(L"Gate#1001(Door,Yard) Hall#1002(Lobby)", TreeText(tree));

    SetDevices({{1003, "Roof", {"Mast", "Dish", "Edge"}}});
    list.GetEditor().FillDeviceList();
    ASSERT_EQ(L"Roof#1003(Mast,Dish,Edge)", TreeText(tree));
    ClickTreeCheckBox(tree.GetSafeHwnd(), TreeItem(0, 2));
    EXPECT_EQ(L"", PressOk());
    const std::vector<BACKUP_SCHEDULE> stored = Stored();
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ(1003, stored[0].DevID);
    EXPECT_EQ(2, stored[0].ChannelIndex);
}

// Ticking a subtree closes it for the batch (the tree would otherwise lay
// out every shown item after each change): what the operator sees must
// come back as it was.
TEST_F(ProjectEditDlgTest, TickingAllDevicesKeepsTheSelectionTheViewAndEveryDeviceOpen) {
    const std::vector<const char*> channels = {"C1", "C2", "C3", "C4", "C5", "C6", "C7", "C8"};
    SetDevices({{1001, "D1", channels},
                {1002, "D2", channels},
                {1003, "D3", channels},
                {1004, "D4", channels},
                {1005, "D5", channels},
                {1006, "D6", channels}});
    Open();
    Add();
    ::SendMessageW(::GetDlgItem(Editor(), IDC_PROJEDIT_MULTI), BM_SETCHECK, BST_CHECKED, 0);
    ClickButton(Editor(), IDC_PROJEDIT_MULTI);
    CTreeCtrl& tree = list.GetEditor().GetTree();
    const HTREEITEM root = tree.GetRootItem();
    for (int device = 0; device < 6; ++device)
        EXPECT_TRUE(tree.GetItemState(TreeItem(device), TVIS_EXPANDED) & TVIS_EXPANDED) << "device " << device;
    const HTREEITEM selected = TreeItem(4, 5);
    tree.SelectItem(selected);  // scrolls it into view, far below the root
    ASSERT_NE(root, TreeView_GetFirstVisible(tree.GetSafeHwnd())) << "the tree must be long enough to scroll";
    TreeView_SelectSetFirstVisible(tree.GetSafeHwnd(), TreeItem(3, 6));
    const HTREEITEM firstShown = TreeView_GetFirstVisible(tree.GetSafeHwnd());

    // The selection's own device: closing it for the batch takes the
    // selection up to it, and the shorter tree scrolls back.
    ClickTreeCheckBox(tree.GetSafeHwnd(), TreeItem(4));
    Pump();
    EXPECT_EQ(selected, tree.GetSelectedItem());
    EXPECT_EQ(firstShown, TreeView_GetFirstVisible(tree.GetSafeHwnd()));
    EXPECT_TRUE(tree.GetCheck(TreeItem(4, 7)));
    ASSERT_TRUE(tree.GetCheck(root)) << "the ticked device ticks the root";

    // The root, ticked, clears every mark; ticked again, sets them all.
    TreeView_SelectSetFirstVisible(tree.GetSafeHwnd(), root);
    ClickTreeCheckBox(tree.GetSafeHwnd(), root);
    Pump();
    EXPECT_FALSE(tree.GetCheck(TreeItem(4, 7)));
    EXPECT_FALSE(tree.GetCheck(TreeItem(4)));
    ClickTreeCheckBox(tree.GetSafeHwnd(), root);
    Pump();
    EXPECT_EQ(selected, tree.GetSelectedItem());
    EXPECT_EQ(root, TreeView_GetFirstVisible(tree.GetSafeHwnd()));
    for (int device = 0; device < 6; ++device) {
        EXPECT_TRUE(tree.GetItemState(TreeItem(device), TVIS_EXPANDED) & TVIS_EXPANDED) << "device " << device;
        EXPECT_TRUE(tree.GetCheck(TreeItem(device))) << "device " << device;
        for (int channel = 0; channel < 8; ++channel)
            EXPECT_TRUE(tree.GetCheck(TreeItem(device, channel))) << "device " << device << " channel " << channel;
    }
    ClickTreeCheckBox(tree.GetSafeHwnd(), root);
    Pump();
    EXPECT_FALSE(tree.GetCheck(TreeItem(5, 7)));
    EXPECT_EQ(selected, tree.GetSelectedItem());
}

TEST_F(ProjectEditDlgTest, ModifyFindsDeviceAndChannelByIdAndPositionNotByName) {
    SetDevices({{1001, "Same", {"Cam", "Cam"}}, {1002, "Same", {"Cam", "Cam"}}});
    BACKUP_SCHEDULE schedule = Schedule(1002, 1, 3);
    schedule.WeekDayEnable[0] = 0;
    WriteSchedules({schedule});
    Open();
    Modify(0);
    ASSERT_TRUE(::IsWindowVisible(Editor()));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(Editor(), IDC_PROJEDIT_MULTI)));
    EXPECT_EQ(1, ::SendDlgItemMessageW(Editor(), IDC_PROJEDIT_DEVICE, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(1, ::SendDlgItemMessageW(Editor(), IDC_PROJEDIT_CHANNEL, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(Editor(), IDC_PROJEDIT_SUNDAY));
    SaveScreenshot(Editor(), L"schedule-editor-modify");
    SetTime(IDC_PROJEDIT_RUN_START, 2, 15);
    EXPECT_EQ(L"", PressOk());

    ASSERT_EQ(1u, Stored().size());
    const BACKUP_SCHEDULE s = Stored()[0];
    EXPECT_EQ(1, s.id) << "the schedule is changed in place";
    EXPECT_EQ(1002, s.DevID);
    EXPECT_EQ(1, s.ChannelIndex);
    EXPECT_EQ(3, s.AgoType);
    EXPECT_EQ(0, s.WeekDayEnable[0]);
    EXPECT_EQ(2, s.RunTime.FHour);
    EXPECT_EQ(15, s.RunTime.FMinute);
}

// A schedule whose device is gone is not stored under whatever device the
// combo shows; a day code the combo does not offer stays unless changed.
TEST_F(ProjectEditDlgTest, ModifyRefusesAScheduleWhoseDeviceWasDeletedWhileTheListWasOpen) {
    SetDevices({{1001, "Gate", {"Door"}}, {1009, "Yard", {"Shed"}}});
    WriteSchedules({Schedule(1009, 0), Schedule(1001, 0), Schedule(1001, 0, 12)});
    Open();
    ASSERT_EQ(3u, Stored().size());
    Modify(0);
    ClickButton(Editor(), IDCANCEL);

    SetDevices({{1001, "Gate", {"Door"}}});
    list.GetEditor().FillDeviceList();
    Modify(0);
    EXPECT_EQ(L"The device of this schedule does not exist!", PressOk());
    ASSERT_EQ(3u, Stored().size());
    EXPECT_EQ(1009, Stored()[0].DevID) << "the schedule did not move to another device";
    ClickButton(Editor(), IDCANCEL);
    EXPECT_FALSE(::IsWindowVisible(Editor()));

    Modify(2);
    EXPECT_EQ(CB_ERR, ::SendDlgItemMessageW(Editor(), IDC_PROJEDIT_AGO, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"", PressOk());
    EXPECT_EQ(12, Stored()[2].AgoType) << "unchanged by the operator, kept";

    Modify(1);
    SelectCombo(IDC_PROJEDIT_AGO, 7);
    EXPECT_EQ(L"", PressOk()) << "a schedule of a device still there is stored";
    EXPECT_EQ(7, Stored()[1].AgoType);
}

TEST_F(ProjectEditDlgTest, WithoutDevicesNothingCanBeAdded) {
    SetDevices({});
    Open();
    Add();
    EXPECT_EQ(L"Please select a channel at least!", PressOk());
    ::SendMessageW(::GetDlgItem(Editor(), IDC_PROJEDIT_MULTI), BM_SETCHECK, BST_CHECKED, 0);
    ClickButton(Editor(), IDC_PROJEDIT_MULTI);
    EXPECT_EQ(L"Please select a channel at least!", PressOk());
    EXPECT_TRUE(Stored().empty());
}

}  // namespace
