// The record manager in the running program: recordings listed in the
// user's D_RecordList are found by Query, a double click plays one in pane 0
// with a moving picture, a second one plays in pane 1, and the play bar's
// Stop blanks the pane again; a drag of the play slider moves the picture;
// To AVI converts two recordings into a folder chosen in the folder chooser.
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

#include "ProgramFolder.h"
#include "ProgramScreen.h"
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

void DoubleClickScreen(int x, int y) {
    ::SetCursorPos(x, y);
    for (int i = 0; i < 2; ++i) {
        ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
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
        DoubleClickScreen(listRect.left + 30, header.bottom + row * rowHeight + rowHeight / 2);
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
    ASSERT_TRUE(Eventually([&] { return (playing = ScreenBytes(video)) != before; }))
        << "pane 0 shows no picture";
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
    HWND video = Child(manager, IDC_RECMAN_VIDEO);
    ASSERT_NE(nullptr, video);
    const std::vector<HWND> panes = PaneVideoWindows(video);
    ASSERT_EQ(4u, panes.size());
    HWND slider = Child(manager, IDC_SKIN_STEPLENGTH);
    ASSERT_NE(nullptr, slider);

    DoubleClickRow(list, 0);
    int early = -1;
    ASSERT_TRUE(Eventually([&] { return (early = PictureSecond(panes[0])) >= 0; })) << "pane 0 shows no picture";
    EXPECT_LT(early, 12);
    // Playing moved the selection on: the play bar follows the selected pane.
    RECT pane0;
    ::GetWindowRect(panes[0], &pane0);
    PointerTo((pane0.left + pane0.right) / 2, (pane0.top + pane0.bottom) / 2);
    LeftButton(true);
    LeftButton(false);

    RECT bar;
    ::GetWindowRect(slider, &bar);
    const int width = bar.right - bar.left, middleY = (bar.top + bar.bottom) / 2;
    int thumb = -1;
    ASSERT_TRUE(Eventually([&] { return (thumb = SliderThumbCentre(slider)) >= 0; }, 5000)) << "no thumb seen";
    ASSERT_LT(thumb, width / 2 - 30) << "the thumb is not left of the middle before the drag";
    PointerTo(bar.left + thumb, middleY);
    LeftButton(true);
    ::Sleep(100);
    for (int x = thumb; x < width / 2; x += 20) {
        PointerTo(bar.left + x, middleY);
        ::Sleep(20);
    }
    PointerTo(bar.left + width / 2, middleY);
    ::Sleep(100);
    LeftButton(false);

    // The port still shows the frames it holds (a few seconds' worth), then
    // jumps: 50% of the 40-second recording is its second 20.
    int before = early, second = -1;
    const bool jumped = Eventually([&] {
        before = std::max(before, second);
        second = PictureSecond(panes[0]);
        return second >= 19 && second <= 26 && second - before >= 5;
    }, 15000);
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
        SendWithRemoteBytes(chooser, pid, BFFM_SETSELECTIONW, TRUE, target.c_str(), (target.size() + 1) * sizeof(wchar_t));
        return TreeViewSelectionText(tree, pid) == leaf;
    })) << "the chooser did not take " << std::string(target.begin(), target.end());
    ::PostMessageW(chooser, WM_COMMAND, IDOK, 0);

    HWND tasks = nullptr;
    ASSERT_TRUE(Eventually([&] {
        return (tasks = Child(manager, IDC_TOAVI_LIST)) != nullptr && ListView_GetItemCount(tasks) == 2;
    })) << "the conversion page lists no two tasks";
    // Each step shows the running task's progress; a finished task is
    // retired at the next step, and the list empties with the queue.
    std::set<std::wstring> progress, outputs;
    const bool drained = Eventually([&] {
        const auto rows = ReadListView(tasks, pid, 4);
        for (const auto& row : rows) {
            progress.insert(row[1]);
            // A row read while the page rebuilds its list may lack its cells.
            if (row[2].find(L'\\') != std::wstring::npos) outputs.insert(row[2]);
        }
        return rows.empty();
    }, 60000);
    ASSERT_TRUE(drained) << "the conversions did not finish";
    EXPECT_EQ((std::set<std::wstring>{target + L"\\gate.avi", target + L"\\yard.avi"}), outputs);
    EXPECT_TRUE(std::any_of(progress.begin(), progress.end(),
                            [](const std::wstring& text) { return EndsWith(text, L"%[Converting]"); }))
        << "no progress was shown on the way";
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

}  // namespace
