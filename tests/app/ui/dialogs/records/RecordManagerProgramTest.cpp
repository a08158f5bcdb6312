// The record manager in the running program: recordings listed in the
// user's D_RecordList are found by Query, a double click plays one in pane 0
// with a moving picture, a second one plays in pane 1, and the play bar's
// Stop blanks the pane again; a drag of the play slider moves the picture;
// To AVI converts two recordings into a folder chosen in the folder chooser;
// every play bar button works where it is drawn; devices added and deleted in
// the device dialog reach the open record manager.
#include <gtest/gtest.h>

#include <afxwin.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/app/ui/dialogs/ProgramFolder.h"
#include "tests/app/ui/dialogs/ProgramScreen.h"
#include "app/core/CRecordListDB.h"
#include "app/ui/dialogs/resource.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"
#include "app/ui/toolkit/CPlayControlDlgSkin.h"
#include "standins/streamfmt/StreamFormat.h"

namespace {

const wchar_t kProduct[] = L"Dodavozi";

std::vector<uint8_t> ScreenBytes(HWND window) { return CaptureScreen(window).bytes; }

// A pane whose slot was closed shows one colour (the default skin has no
// back picture for empty panes).
bool PaneIsBlank(HWND pane) {
    const ScreenArea area = CaptureScreen(pane);
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x)
            if (area.Pixel(x, y) != area.Pixel(0, 0)) return false;
    return area.width > 0;
}

HWND Child(HWND parent, int id) {
    std::vector<HWND> found = VisibleChildren(parent, id);
    return found.empty() ? nullptr : found[0];
}

BOOL CALLBACK MatchFolderChooser(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[32] = {0};
    ::GetClassNameW(window, className, 32);
    if (owner != found->first || !::IsWindowVisible(window) || std::wstring(className) != L"#32770") return TRUE;
    if (!::FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr)) return TRUE;
    found->second = window;
    return FALSE;
}

// The system's folder chooser open in the process: a dialog with a tree.
HWND FindFolderChooser(DWORD processId) {
    std::pair<DWORD, HWND> found(processId, nullptr);
    ::EnumWindows(MatchFolderChooser, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void Click(HWND button) {
    ::PostMessageW(::GetParent(button), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
}

class RecordManagerProgramTest : public ::testing::Test {
protected:
    // A 40-second recording in the program folder, listed in its D_RecordList.
    std::wstring AddRecording(CRecordListDB& db, const wchar_t* name, int channel, const CTime& start) {
        streamfmt::StreamParams params;
        params.channel = channel;
        params.endTime = 40;
        params.fps = 8;
        params.width = 160;
        params.height = 120;
        const std::vector<uint8_t> bytes = streamfmt::BuildStream(params);
        const std::wstring path = folder.File(name);
        EXPECT_TRUE(WriteWholeFile(path, std::string(bytes.begin(), bytes.end())));
        RECORD_LIST_ROW row;
        row.L_DevID = 1001;
        row.I_ChannelIndex = channel;
        row.C_StartTime = start.Format(L"%Y-%m-%d %H:%M:%S");
        row.C_EndTime = (start + CTimeSpan(0, 0, 0, 40)).Format(L"%Y-%m-%d %H:%M:%S");
        row.C_FilePath = path.c_str();
        row.L_FileLen = static_cast<int>(bytes.size() / 1024);
        EXPECT_EQ(0, db.Insert(row));
        return path;
    }
    // Double-clicks the list row (0-based) where the user would.
    void DoubleClickRow(HWND list, int row) {
        RECT header, listRect;
        ::GetWindowRect(ListView_GetHeader(list), &header);
        ::GetWindowRect(list, &listRect);
        const int rowHeight = 17;
        DoubleClickAt(listRect.left + 30, header.bottom + row * rowHeight + rowHeight / 2);
    }

    // Two recordings listed (gate.duz on channel 0, yard.duz on channel 1),
    // the program started and the record manager open with both found.
    void OpenManagerWithTwoRecordings() {
        {
            CRecordListDB db;
            ASSERT_TRUE(db.Open(folder.File(L"RecordList.db").c_str()));
            ASSERT_EQ(0, db.CheckTable(0));
            const CTime hourAgo = CTime::GetCurrentTime() - CTimeSpan(0, 1, 0, 0);
            AddRecording(db, L"gate.duz", 0, hourAgo);
            AddRecording(db, L"yard.duz", 1, hourAgo + CTimeSpan(0, 0, 5, 0));
        }
        folder.WriteOneDeviceList();
        folder.UseAutomaticLogin();
        ASSERT_NE(nullptr, folder.Start());
        pid = folder.MainProcessId();
        HWND main = WaitDialog(pid, kProduct, false);
        ASSERT_NE(nullptr, main);

        ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_SKIN_MANAGE, BN_CLICKED), 0);
        manager = WaitDialog(pid, L"Record Manage", false);
        ASSERT_NE(nullptr, manager);
        ::SetForegroundWindow(manager);
        ASSERT_TRUE(Eventually([&] { return (list = Child(manager, IDC_LOCALREC_LIST)) != nullptr; }));
        Click(Child(manager, IDC_LOCALREC_QUERY));
        ASSERT_TRUE(Eventually([&] { return ListView_GetItemCount(list) == 2; }));
    }

    // The video control's four pane windows and the play bar's slider.
    void FindPanesAndSlider(std::vector<HWND>* panes, HWND* slider) {
        HWND video = Child(manager, IDC_RECMAN_VIDEO);
        ASSERT_NE(nullptr, video);
        *panes = PaneVideoWindows(video);
        ASSERT_EQ(4u, panes->size());
        *slider = Child(manager, IDC_SKIN_STEPLENGTH);
        ASSERT_NE(nullptr, *slider);
    }
    // A real click into the middle of the window (a pane: it becomes the
    // selected one).
    static void ClickInto(HWND window) {
        RECT r;
        ::GetWindowRect(window, &r);
        PointerTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        LeftButton(true);
        LeftButton(false);
    }
    // A play bar button pressed where it is drawn; its command has time to act.
    static void Press(HWND button) {
        ClickInto(button);
        ::Sleep(300);
    }
    // Drags the play slider's thumb with the mouse, as the user would, to
    // the percentage of the slider's width.
    static void DragThumbTo(HWND slider, int percent) {
        RECT bar;
        ::GetWindowRect(slider, &bar);
        const int width = bar.right - bar.left, middleY = (bar.top + bar.bottom) / 2;
        const int target = width * percent / 100;
        int thumb = -1;
        ASSERT_TRUE(Eventually([&] { return (thumb = SliderThumbCentre(slider)) >= 0; }, 5000)) << "no thumb seen";
        ASSERT_LT(thumb, target - 30) << "the thumb is not left of the target before the drag";
        PointerTo(bar.left + thumb, middleY);
        LeftButton(true);
        ::Sleep(100);
        for (int x = thumb; x < target; x += 20) {
            PointerTo(bar.left + x, middleY);
            ::Sleep(20);
        }
        PointerTo(bar.left + target, middleY);
        ::Sleep(100);
        LeftButton(false);
    }

    ProgramFolder folder;
    DWORD pid = 0;
    HWND manager = nullptr;
    HWND list = nullptr;
};

TEST_F(RecordManagerProgramTest, QueryPlayInTwoPanesAndStop) {
    ASSERT_NO_FATAL_FAILURE(OpenManagerWithTwoRecordings());
    const auto rows = ReadListView(list, pid, 6);
    EXPECT_EQ(folder.File(L"gate.duz"), rows[0][4]);

    HWND video = Child(manager, IDC_RECMAN_VIDEO);
    ASSERT_NE(nullptr, video);
    const std::vector<uint8_t> before = ScreenBytes(video);
    DoubleClickRow(list, 0);
    std::vector<uint8_t> playing;
    ASSERT_TRUE(Eventually([&] { return (playing = ScreenBytes(video)) != before; })) << "pane 0 shows no picture";
    ::Sleep(1500);
    EXPECT_NE(playing, ScreenBytes(video)) << "the picture does not move";
    DoubleClickRow(list, 1);
    ::Sleep(1500);

    if (const char* shot = std::getenv("DODAVOZI_SCREENSHOT")) {
        const std::string path(shot);
        SaveWindowShot(manager, std::wstring(path.begin(), path.end()));
    }

    // Stop on the play bar closes the selected pane (pane 2 after two plays:
    // select pane 0 by clicking into it first): pane 0 goes blank and stays
    // so, pane 1 plays on.
    const std::vector<HWND> panes = PaneVideoWindows(video);
    ASSERT_EQ(4u, panes.size());
    ASSERT_GE(PictureSecond(panes[0]), 0) << "pane 0 does not play before the stop";
    ASSERT_GE(PictureSecond(panes[1]), 0) << "pane 1 does not play before the stop";
    RECT pane0;
    ::GetWindowRect(panes[0], &pane0);
    PointerTo((pane0.left + pane0.right) / 2, (pane0.top + pane0.bottom) / 2);
    LeftButton(true);
    LeftButton(false);
    ::Sleep(300);
    HWND stop = Child(manager, IDC_SKIN_STOP);
    ASSERT_NE(nullptr, stop);
    Click(stop);
    EXPECT_TRUE(Eventually([&] { return PaneIsBlank(panes[0]); }, 5000)) << "pane 0 still shows a picture";
    const int secondBefore = PictureSecond(panes[1]);
    ::Sleep(1500);
    EXPECT_TRUE(PaneIsBlank(panes[0])) << "pane 0 shows a picture again";
    const int secondAfter = PictureSecond(panes[1]);
    EXPECT_GE(secondBefore, 0) << "pane 1 stopped showing its picture";
    EXPECT_GT(secondAfter, secondBefore) << "pane 1 does not play on";
}

// The user drags the play bar's thumb to the middle of the slider: the
// selected pane's playback jumps to the middle of the recording (its picture
// spells the second it shows).
TEST_F(RecordManagerProgramTest, DraggingThePlaySliderMovesThePaneToThatPosition) {
    ASSERT_NO_FATAL_FAILURE(OpenManagerWithTwoRecordings());
    std::vector<HWND> panes;
    HWND slider = nullptr;
    ASSERT_NO_FATAL_FAILURE(FindPanesAndSlider(&panes, &slider));

    DoubleClickRow(list, 0);
    int early = -1;
    ASSERT_TRUE(Eventually([&] { return (early = PictureSecond(panes[0])) >= 0; })) << "pane 0 shows no picture";
    EXPECT_LT(early, 12);
    // Playing moved the selection on: the play bar follows the selected pane.
    ClickInto(panes[0]);
    ASSERT_NO_FATAL_FAILURE(DragThumbTo(slider, 50));

    // The port still shows the frames it holds (a few seconds' worth), then
    // jumps: 50% of the 40-second recording is its second 20.
    int before = early, second = -1;
    const bool jumped = Eventually(
        [&] {
            before = std::max(before, second);
            second = PictureSecond(panes[0]);
            return second >= 19 && second <= 26 && second - before >= 5;
        },
        15000);
    EXPECT_TRUE(jumped) << "the picture shows second " << second << " after " << before;
}

// Both recordings ticked and converted to AVI into a folder chosen in the
// program's folder chooser: the conversion page shows each task's progress
// up to "Convert Done", and the folder then holds one AVI file for each.
// DODAVOZI_AVI_FOLDER names the folder (record-manage-avi-readback.sh gives
// one whose files ffprobe then reads on the host); else it is one in the
// program folder.
TEST_F(RecordManagerProgramTest, ToAviOfTwoRecordingsIntoAChosenFolder) {
    std::wstring target = folder.File(L"avi");
    if (const wchar_t* given = _wgetenv(L"DODAVOZI_AVI_FOLDER")) target = given;
    ::CreateDirectoryW(target.c_str(), nullptr);
    ASSERT_NO_FATAL_FAILURE(OpenManagerWithTwoRecordings());
    for (int row = 0; row < 2; ++row) SetListViewCheck(list, pid, row, true);
    Click(Child(manager, IDC_LOCALREC_TOAVI));

    HWND chooser = nullptr;
    ASSERT_TRUE(Eventually([&] { return (chooser = FindFolderChooser(pid)) != nullptr; })) << "no folder chooser";
    // The chooser takes a folder by its path once its tree is filled.
    HWND tree = ::FindWindowExW(chooser, nullptr, WC_TREEVIEWW, nullptr);
    const std::wstring leaf = target.substr(target.find_last_of(L'\\') + 1);
    ASSERT_TRUE(Eventually([&] {
        SendWithRemoteBytes(chooser, pid, BFFM_SETSELECTIONW, TRUE, target.c_str(),
                            (target.size() + 1) * sizeof(wchar_t));
        return TreeViewSelectionText(tree, pid) == leaf;
    })) << "the chooser did not take "
        << std::string(target.begin(), target.end());
    ::PostMessageW(chooser, WM_COMMAND, IDOK, 0);

    HWND tasks = nullptr;
    ASSERT_TRUE(Eventually([&] {
        return (tasks = Child(manager, IDC_TOAVI_LIST)) != nullptr && ListView_GetItemCount(tasks) == 2;
    })) << "the conversion page lists no two tasks";
    // Each step shows the running task's progress; a finished task is
    // retired at the next step, and the list empties with the queue.
    std::set<std::wstring> progress, outputs;
    const bool drained = Eventually(
        [&] {
            const auto rows = ReadListView(tasks, pid, 4);
            for (const auto& row : rows) {
                progress.insert(row[1]);
                // A row read while the page rebuilds its list may lack its cells.
                if (row[2].find(L'\\') != std::wstring::npos) outputs.insert(row[2]);
            }
            return rows.empty();
        },
        60000);
    ASSERT_TRUE(drained) << "the conversions did not finish";
    EXPECT_EQ((std::set<std::wstring>{target + L"\\gate.avi", target + L"\\yard.avi"}), outputs);
    EXPECT_TRUE(std::any_of(progress.begin(), progress.end(), [](const std::wstring& text) {
        return EndsWith(text, L"%[Converting]");
    })) << "no progress was shown on the way";
    for (const wchar_t* name : {L"gate.avi", L"yard.avi"}) {
        char head[12] = {0};
        if (FILE* file = _wfopen((target + L"\\" + name).c_str(), L"rb")) {
            fread(head, 1, sizeof head, file);
            fclose(file);
        }
        EXPECT_EQ("RIFF", std::string(head, 4)) << name;
        EXPECT_EQ("AVI ", std::string(head + 8, 4)) << name;
    }
}

// How far the pane's picture moves on in the time (-1 when it shows none).
int SecondsAdvancedIn(HWND pane, DWORD ms) {
    const int first = PictureSecond(pane);
    ::Sleep(ms);
    const int last = PictureSecond(pane);
    return first < 0 || last < 0 ? -1 : last - first;
}

// Every button of the play bar lies inside the bar the record manager makes
// and works where it is drawn: pressed with the mouse, Pause stops the
// picture and Start (shown at the same place) moves it on, Fast and Slow
// change its pace, the slider dragged to 90% jumps there, Play List and Open
// File open their menu and dialog, and Stop blanks the pane.
TEST_F(RecordManagerProgramTest, EveryPlayBarButtonWorksWhereItIsDrawn) {
    ASSERT_NO_FATAL_FAILURE(OpenManagerWithTwoRecordings());
    std::vector<HWND> panes;
    HWND slider = nullptr;
    ASSERT_NO_FATAL_FAILURE(FindPanesAndSlider(&panes, &slider));
    HWND bar = ::GetParent(slider);
    RECT barRect;
    ::GetWindowRect(bar, &barRect);
    for (int id : {IDC_SKIN_PAUSE, IDC_SKIN_START, IDC_SKIN_STOP, IDC_SKIN_FAST, IDC_SKIN_SLOW, IDC_SKIN_OPENFILE,
                   IDC_SKIN_PLAYLIST, IDC_SKIN_STEPLENGTH}) {
        HWND control = ::GetDlgItem(bar, id);
        ASSERT_NE(nullptr, control) << id;
        RECT r, inside;
        ::GetWindowRect(control, &r);
        EXPECT_TRUE(::IntersectRect(&inside, &r, &barRect) && ::EqualRect(&inside, &r))
            << "control " << id << " reaches out of the play bar";
    }

    DoubleClickRow(list, 0);
    ASSERT_TRUE(Eventually([&] { return PictureSecond(panes[0]) >= 0; })) << "pane 0 shows no picture";
    ClickInto(panes[0]);

    HWND pause = ::GetDlgItem(bar, IDC_SKIN_PAUSE), start = ::GetDlgItem(bar, IDC_SKIN_START);
    ASSERT_TRUE(Eventually([&] { return ::IsWindowVisible(pause) && !::IsWindowVisible(start); }));
    Press(pause);
    ASSERT_TRUE(Eventually([&] { return ::IsWindowVisible(start) && !::IsWindowVisible(pause); }))
        << "Start does not replace Pause";
    RECT pauseRect, startRect;
    ::GetWindowRect(pause, &pauseRect);
    ::GetWindowRect(start, &startRect);
    EXPECT_TRUE(::EqualRect(&pauseRect, &startRect)) << "Start and Pause are not at one place";
    ::Sleep(1500);
    EXPECT_EQ(0, SecondsAdvancedIn(panes[0], 2000)) << "the picture moves while paused";
    Press(start);
    EXPECT_TRUE(Eventually([&] { return SecondsAdvancedIn(panes[0], 1500) > 0; })) << "Start does not resume";

    // Two steps faster is four times the pace; two steps slower is back to one.
    Press(::GetDlgItem(bar, IDC_SKIN_FAST));
    Press(::GetDlgItem(bar, IDC_SKIN_FAST));
    EXPECT_TRUE(Eventually([&] { return SecondsAdvancedIn(panes[0], 2000) >= 5; }, 8000)) << "Fast has no effect";
    Press(::GetDlgItem(bar, IDC_SKIN_SLOW));
    Press(::GetDlgItem(bar, IDC_SKIN_SLOW));
    EXPECT_TRUE(Eventually(
        [&] {
            const int advanced = SecondsAdvancedIn(panes[0], 2000);
            return advanced >= 0 && advanced <= 3;
        },
        8000))
        << "Slow has no effect";

    // The thumb dragged to 90% of the slider: the picture jumps to second 36
    // of the 40-second recording.
    ASSERT_NO_FATAL_FAILURE(DragThumbTo(slider, 90));
    int second = -1;
    EXPECT_TRUE(Eventually(
        [&] {
            second = PictureSecond(panes[0]);
            return second >= 34 && second <= 39;
        },
        15000))
        << "the picture shows second " << second;

    Press(::GetDlgItem(bar, IDC_SKIN_PLAYLIST));
    HWND menu = nullptr;
    EXPECT_TRUE(Eventually([&] { return (menu = FindPopupMenu(pid)) != nullptr; }, 5000)) << "no play list menu";
    ::keybd_event(VK_ESCAPE, 0, 0, 0);
    ::keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(Eventually([&] { return FindPopupMenu(pid) == nullptr; }, 5000));

    Press(::GetDlgItem(bar, IDC_SKIN_OPENFILE));
    HWND open = nullptr;
    EXPECT_TRUE(Eventually([&] { return (open = WaitDialog(pid, L"Open", false, 500)) != nullptr; }, 8000))
        << "no file dialog";
    if (open) ::PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Eventually([&] { return FindDialog(pid, L"Open", false) == nullptr; }, 5000));

    Press(::GetDlgItem(bar, IDC_SKIN_STOP));
    EXPECT_TRUE(Eventually([&] { return PictureSecond(panes[0]) < 0; })) << "Stop leaves the picture";
}

std::vector<std::wstring> ComboTexts(HWND combo) {
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {0};
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

void PostClick(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void SetItem(HWND dialog, int id, const wchar_t* text) {
    ::SendMessageW(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// The record manager and the schedule editor stay open while devices are
// added and deleted in the device dialog: after each OK both offer the
// devices as they are, and the editor is on the screen again.
TEST_F(RecordManagerProgramTest, DeviceChangesReachTheOpenRecordManagerAndScheduleEditor) {
    ASSERT_NO_FATAL_FAILURE(OpenManagerWithTwoRecordings());
    HWND combo = Child(manager, IDC_LOCALREC_DEVICE);
    ASSERT_NE(nullptr, combo);
    ASSERT_EQ((std::vector<std::wstring>{L"gate", L"UnKnow"}), ComboTexts(combo));
    HWND main = WaitDialog(pid, kProduct, false);
    ASSERT_NE(nullptr, main);
    ::PostMessageW(main, WM_COMMAND, ID_TW_BACKUP_PROJECT, 0);
    HWND schedules = WaitDialog(pid, L"Backup Project", false);
    ASSERT_NE(nullptr, schedules);
    PostClick(schedules, IDC_PROJECT_ADD);
    HWND editor = WaitDialog(pid, L"Backup Project Edit", false);
    ASSERT_NE(nullptr, editor);
    HWND editorDevices = ::GetDlgItem(editor, IDC_PROJEDIT_DEVICE);
    ASSERT_EQ(std::vector<std::wstring>{L"gate"}, ComboTexts(editorDevices));
    const std::wstring editorShot = ShotPath(L"schedule-editor.bmp");
    if (!editorShot.empty()) {
        ::Sleep(1000);
        SaveWindowShot(editor, editorShot);
    }

    ::PostMessageW(main, WM_COMMAND, ID_TW_DEVICE_MANAGE, 0);
    HWND devices = WaitDialog(pid, L"Device Manage", false);
    ASSERT_NE(nullptr, devices);
    HWND rows = ::GetDlgItem(devices, IDC_DEVMANAGE_LIST);
    PostClick(devices, IDC_DEVMANAGE_ADD);
    ASSERT_TRUE(Eventually([&] { return WindowText(::GetDlgItem(devices, IDC_DEVMANAGE_ADD)) == L"Save"; }));
    SetItem(devices, IDC_DEVMANAGE_TITLE, L"yard");
    SetItem(devices, IDC_DEVMANAGE_IP, L"127.0.0.1");
    SetItem(devices, IDC_DEVMANAGE_PORT, L"2");
    PostClick(devices, IDC_DEVMANAGE_ADD);
    // The new device does not answer: the dialog says so and keeps it.
    if (HWND box = WaitDialog(pid, kProduct, true, 10000)) CloseMessageBox(box);
    ASSERT_TRUE(Eventually([&] { return ListView_GetItemCount(rows) == 2; }));
    const std::wstring devicesShot = ShotPath(L"device-manage.bmp");
    if (!devicesShot.empty()) {
        ::Sleep(1000);
        SaveWindowShot(devices, devicesShot);
    }
    PostClick(devices, IDC_DEVMANAGE_OK);
    EXPECT_TRUE(Eventually([&] {
        return ComboTexts(combo) == std::vector<std::wstring>{L"gate", L"yard", L"UnKnow"};
    })) << "the added device is missing";
    EXPECT_TRUE(Eventually([&] { return ComboTexts(editorDevices) == std::vector<std::wstring>{L"gate", L"yard"}; }));
    EXPECT_TRUE(::IsWindowVisible(editor));

    ::PostMessageW(main, WM_COMMAND, ID_TW_DEVICE_MANAGE, 0);
    ASSERT_TRUE(Eventually([&] { return ::IsWindowVisible(devices) && ListView_GetItemCount(rows) == 2; }));
    SetListViewCheck(rows, pid, 0, true);
    PostClick(devices, IDC_DEVMANAGE_DELETE);
    HWND question = WaitDialog(pid, kProduct, true);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ(L"Are you sure to delete this item?", CloseMessageBox(question));
    ASSERT_TRUE(Eventually([&] { return ListView_GetItemCount(rows) == 1; }));
    PostClick(devices, IDC_DEVMANAGE_OK);
    EXPECT_TRUE(Eventually([&] {
        return ComboTexts(combo) == std::vector<std::wstring>{L"yard", L"UnKnow"};
    })) << "the deleted device is still offered";
    EXPECT_TRUE(Eventually([&] { return ComboTexts(editorDevices) == std::vector<std::wstring>{L"yard"}; }));
}

}  // namespace
