// The record manager in the running program: recordings listed in the
// user's D_RecordList are found by Query, a double click plays one in pane 0
// with a moving picture, a second one plays in pane 1, and the play bar's
// Stop blanks the pane again.
#include <gtest/gtest.h>

#include <afxwin.h>
#include <commctrl.h>

#include <cstdlib>
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
    // select pane 0 by clicking into it first).
    RECT videoRect;
    ::GetWindowRect(video, &videoRect);
    ::SetCursorPos(videoRect.left + 40, videoRect.top + 60);
    ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    ::Sleep(300);
    HWND stop = Child(manager, IDC_SKIN_STOP);
    ASSERT_NE(nullptr, stop);
    const std::vector<uint8_t> twoPanes = ScreenBytes(video);
    Click(stop);
    EXPECT_TRUE(Eventually([&] { return ScreenBytes(video) != twoPanes; }));
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

}  // namespace
