#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <set>

#include "RecordManageFakes.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/resource.h"
#include "standins/streamfmt/StreamFormat.h"
#include "tests/app/ui/toolkit/SkinTestSupport.h"
#include "tests/support/WaitFor.h"

namespace {

// The record manager over the program's own engine: local recordings play
// in the panes through the playback stand-in.
class RecordPlaybackTest : public RecordManageFixture {
protected:
    void SetUp() override {
        RecordManageFixture::SetUp();
        SetRecordEngine(nullptr);
    }
    std::wstring WriteRecording(const wchar_t* name, uint32_t channel) {
        streamfmt::StreamParams params;
        params.channel = channel;
        params.beginTime = 0;
        params.endTime = 30;
        params.fps = 8;
        params.width = 160;
        params.height = 120;
        const std::vector<uint8_t> bytes = streamfmt::BuildStream(params);
        const std::wstring path = dir.File(name);
        EXPECT_TRUE(WriteWholeFile(path, std::string(bytes.begin(), bytes.end())));
        return path;
    }
    static bool Blank(const Pixels& p) {
        for (COLORREF c : p.colors)
            if (c != p.colors[0]) return false;
        return true;
    }
};

TEST_F(RecordPlaybackTest, TwoRecordingsPlayInTwoPanesAndMove) {
    OpenManager();
    const std::wstring gate = WriteRecording(L"gate.duz", 0);
    const std::wstring yard = WriteRecording(L"yard.duz", 1);
    manager->m_video.SetSelectedWindow(0);
    ASSERT_LE(0, host.PlayFilesInPane(-1, 1, 0, {CString(gate.c_str())}));
    manager->SelectNextWindow();
    ASSERT_LE(0, host.PlayFilesInPane(-1, 1, 0, {CString(yard.c_str())}));
    EXPECT_EQ(1, manager->GetSelectedPane());
    manager->m_video.SetWindowTitle(0, L"Gate");
    manager->m_video.SetWindowTitle(1, L"Yard");

    const HWND pane0 = manager->GetPaneWindow(0);
    Pixels first;
    ASSERT_TRUE(WaitFor([&] {
        PumpWindowMessages();
        first = ReadScreen(pane0);
        return !Blank(first);
    }));
    ::Sleep(1000);
    manager->SendMessage(WM_TIMER, CRecordManageDlg::kPaneTimer);
    Pixels later = ReadScreen(pane0);
    EXPECT_FALSE(later.SameAs(first, 0, 0, first.width, first.height)) << "the picture moves";
    EXPECT_FALSE(Blank(ReadScreen(manager->GetPaneWindow(1))));
    EXPECT_EQ(CString(L"X 1"), PaneInfoText(0));

    if (const char* shot = std::getenv("DODAVOZI_SCREENSHOT")) {
        const std::string path(shot);
        WritePixelsFile(std::wstring(path.begin(), path.end()), ReadScreen(manager->m_hWnd));
    }

    // Close blanks the pane and stops its slot.
    manager->OnPaneButton(0, 7, 0);
    PumpWindowMessages();
    RECORD_TASK slot;
    GetBackupEngine().GetSlot(0, &slot);
    EXPECT_FALSE(SlotHasSource(slot));
    EXPECT_TRUE(WaitFor([&] { return Blank(ReadScreen(pane0)); }));
    manager->SendMessage(WM_CLOSE);
}

TEST_F(RecordPlaybackTest, ToAviConvertsTheTickedRecordingsDrivenByThePagesTimer) {
    ASSERT_TRUE(GetBackupEngine().RecordList().Open(dir.File(L"RecordList.db").c_str()));
    const std::wstring gate = WriteRecording(L"gate.duz", 0);
    const std::wstring yard = WriteRecording(L"yard.duz", 1);
    for (const std::wstring& path : {gate, yard}) {
        RECORD_LIST_ROW row;
        row.L_DevID = 1001;
        row.C_StartTime = CTime::GetCurrentTime().Format(L"%Y-%m-%d %H:%M:%S");
        row.C_EndTime = row.C_StartTime;
        row.C_FilePath = path.c_str();
        ASSERT_EQ(0, GetBackupEngine().RecordList().Insert(row));
    }
    OpenManager();
    CLocalRecManageDlg& page = manager->m_localPage;
    page.m_deviceCombo.SetCurSel(page.m_deviceCombo.GetCount() - 1);  // "UnKnow": every device
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LOCALREC_DEVICE, CBN_SELCHANGE));
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LOCALREC_QUERY, BN_CLICKED));
    ASSERT_EQ(2, page.m_list.GetItemCount());
    page.m_list.SetCheck(0, TRUE);
    page.m_list.SetCheck(1, TRUE);
    host.folderAnswer = dir.File(L"avi").c_str();
    ::CreateDirectoryW(dir.File(L"avi").c_str(), nullptr);
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_LOCALREC_TOAVI, BN_CLICKED));

    CRecordToAVIDlg& avi = manager->m_aviPage;
    ASSERT_EQ(2, avi.m_list.GetItemCount());
    std::set<std::wstring> seen;
    EXPECT_TRUE(WaitFor(
        [&] {
            PumpWindowMessages();
            for (int row = 0; row < avi.m_list.GetItemCount(); ++row)
                seen.insert(avi.m_list.GetItemText(row, 1).GetString());
            return !avi.IsStepTimerRunning();
        },
        60000));
    EXPECT_EQ(0, avi.m_list.GetItemCount());
    // The queue retires a finished task in the step that sees it finish, so
    // the list shows tasks waiting and converting, never done.
    EXPECT_EQ(1u, seen.count(L"Waiting For Process"));
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(),
                            [](const std::wstring& t) { return t.find(L"%[Converting]") != std::wstring::npos; }));
    for (const wchar_t* name : {L"avi\\gate.avi", L"avi\\yard.avi"}) {
        const std::string bytes = ReadWholeFile(dir.File(name));
        ASSERT_GT(bytes.size(), 12u) << "no output";
        EXPECT_EQ("RIFF", bytes.substr(0, 4));
        EXPECT_EQ("AVI ", bytes.substr(8, 4));
    }
    manager->SendMessage(WM_CLOSE);
}

}  // namespace
