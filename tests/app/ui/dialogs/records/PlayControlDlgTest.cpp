#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "RecordManageFakes.h"
#include "app/ui/toolkit/CPlayControlDlgSkin.h"
#include "tests/app/ui/toolkit/BoxCloser.h"
#include "tests/support/WaitFor.h"

namespace {

RECORD_TASK Slot(uint8_t marker, uint32_t sizeKB, int32_t received, uint32_t total, uint32_t done) {
    RECORD_TASK slot;
    slot.sourceCount = 1;
    slot.source.sdkHandle = 5;
    slot.source.itemType = marker == QVNET_RECORD_TIME_RANGE ? SOURCE_ITEM_DEVICE : SOURCE_ITEM_LOCAL;
    slot.source.desc.recordType = marker;
    slot.source.desc.sizeKB = sizeKB;
    slot.source.received = received;
    slot.source.total = total;
    slot.source.done = done;
    return slot;
}

TEST(PlayControlPercent, FileAndTimeRangePositions) {
    const struct {
        RECORD_TASK slot;
        int percent;
    } cases[] = {
        {RECORD_TASK(), 0},           // no source
        {Slot(0, 0, 4096, 0, 0), 0},  // no length
        {Slot(0, 100, 50 * 1024, 0, 0), 50},
        {Slot(0, 100, 150 * 1024, 0, 0), 100},  // read past the length: clamped
        {Slot(0xFF, 0, 0, 0, 10), 0},           // range without length
        {Slot(0xFF, 0, 0, 200, 50), 25},
        {Slot(0xFF, 0, 0, 200, kSourceDone), 100},         // played out
        {Slot(0xFF, 0, 0, 4000000000u, 3000000000u), 75},  // needs 64 bits
        {Slot(0xFF, 0, 0, 100, 180), 100},
    };
    for (const auto& c : cases) EXPECT_EQ(c.percent, CPlayControlDlg::PlayPercent(c.slot));
}

class PlayControlDlgTest : public RecordManageFixture {
protected:
    CPlayControlDlg& Bar() { return manager->m_playBar; }
    void Command(UINT id) { Bar().SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Seek(LPARAM position) { Bar().SendMessage(WM_TW_SLIDER_POS, 0, position); }
    void SelectNoPane() {
        // The control's selection cannot be cleared from outside: a pane
        // index of 4 or more selects nothing.
        manager->m_video.SetSelectedWindow(-1);
    }
};

TEST_F(PlayControlDlgTest, CommandsGoToTheSelectedPanesSlot) {
    OpenManager();
    manager->m_video.SetSelectedWindow(2);
    engine.calls.clear();
    for (UINT id : {IDC_SKIN_PAUSE, IDC_SKIN_START, IDC_SKIN_FAST, IDC_SKIN_SLOW}) Command(id);
    Command(IDC_SKIN_STOP);
    EXPECT_EQ((std::vector<std::string>{"ControlSlot 2 3 0", "ControlSlot 2 4 0", "ControlSlot 2 5 0",
                                        "ControlSlot 2 6 0", "StopSlot 2", "ClearSlotPlaylist 2"}),
              engine.calls);
}

TEST_F(PlayControlDlgTest, SeekFilterAndCommandByPlayback) {
    OpenManager();
    manager->m_video.SetSelectedWindow(1);
    engine.slots[1] = Slot(0, 100, 0, 0, 0);
    for (LPARAM ignored : {LPARAM(101), LPARAM(-1), LPARAM(0x10032)}) Seek(ignored);
    EXPECT_TRUE(host.controls.empty());
    Seek(50);
    Seek(0);
    engine.slots[1] = Slot(0xFF, 0, 0, 300, 10);
    Seek(100);
    engine.slots[1] = RECORD_TASK();
    Seek(40);
    EXPECT_EQ((std::vector<std::vector<int>>{{1, 2, 50}, {1, 2, 0}, {1, 7, 100}}), host.controls);
}

// The fixture's bar wears the default skin: both twins and the slider exist.
TEST_F(PlayControlDlgTest, RefreshShowsPauseOrStart) {
    OpenManager();
    ASSERT_TRUE(Bar().m_skin.HasSlider());
    ASSERT_TRUE(Bar().m_skin.m_pause.GetSafeHwnd() && Bar().m_skin.m_start.GetSafeHwnd());
    manager->m_video.SetSelectedWindow(1);
    const struct {
        const char* name;
        RECORD_TASK slot;
        int playState;
        bool pauseShown;
        int position;
    } cases[] = {
        {"file playing", Slot(0, 100, 30 * 1024, 0, 0), 0, true, 30},
        {"range paused", Slot(0xFF, 0, 0, 200, 150), 1, false, 75},
        {"range playing", Slot(0xFF, 0, 0, 200, 50), 0, true, 25},
        {"nothing open", RECORD_TASK(), 0, false, 0},
    };
    for (const auto& c : cases) {
        engine.slots[1] = c.slot;
        engine.slots[1].source.playState = c.playState;
        Bar().RefreshPosition();
        EXPECT_EQ(c.pauseShown, Bar().m_skin.m_pause.IsWindowVisible() != FALSE) << c.name;
        EXPECT_EQ(!c.pauseShown, Bar().m_skin.m_start.IsWindowVisible() != FALSE) << c.name;
        EXPECT_EQ(c.position, Bar().m_skin.m_slider.GetPos()) << c.name;
    }
    // Without a selected pane the slider goes back to the start.
    engine.slots[1] = Slot(0, 100, 60 * 1024, 0, 0);
    Bar().RefreshPosition();
    ASSERT_EQ(60, Bar().m_skin.m_slider.GetPos());
    SelectNoPane();
    if (manager->GetSelectedPane() >= 0) return;
    Bar().RefreshPosition();
    EXPECT_EQ(0, Bar().m_skin.m_slider.GetPos());
}

TEST_F(PlayControlDlgTest, OpenFileOutcomes) {
    OpenManager();
    host.filesAnswer = {L"C:\\rec\\a.duz", L"C:\\rec\\b.duz"};
    manager->m_video.SetSelectedWindow(1);
    engine.calls.clear();
    Command(IDC_SKIN_OPENFILE);
    // The selected pane's play list is replaced by the files.
    EXPECT_EQ((std::vector<std::string>{"ClearSlotPlaylist 1", "PlayFilesInSlot 1 1 0 2"}), engine.calls);
    ASSERT_EQ(1u, host.plays.size());
    EXPECT_EQ(-1, host.plays[0].pane);
    EXPECT_EQ(1, host.plays[0].first);
    EXPECT_EQ(0, host.plays[0].second);
    EXPECT_EQ(2u, host.plays[0].files.size());
    EXPECT_EQ(2, manager->GetSelectedPane());

    engine.playFilesResult = -1;
    {
        BoxCloser box;
        Command(IDC_SKIN_OPENFILE);
        std::wstring text;
        EXPECT_TRUE(box.Wait(&text));
        EXPECT_EQ(L"Open File Fail", text);
    }
    EXPECT_EQ(2, manager->GetSelectedPane());

    // A cancelled choice plays nothing.
    host.filesAnswer.clear();
    Command(IDC_SKIN_OPENFILE);
    EXPECT_EQ(2u, host.plays.size());
}

// Answers the system's open dialog of this process: goes to the folder,
// then chooses the names all at once.
void AnswerOpenDialog(const std::wstring& folder, const std::wstring& names, std::atomic<bool>* done) {
    HWND dialog = nullptr;
    WaitFor([&] {
        dialog = ::FindWindowW(L"#32770", L"Open");
        return dialog && ::IsWindowVisible(dialog);
    });
    if (dialog) {
        const int nameBox = 0x47c;  // the file-name combo of the explorer-style dialog
        ::SendMessageW(::GetDlgItem(dialog, nameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        ::Sleep(300);
        ::SendMessageW(::GetDlgItem(dialog, nameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(names.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    *done = true;
}

TEST_F(PlayControlDlgTest, AChoiceOfManyFilesLongerThanAPathReachesThePane) {
    OpenManager();
    const std::wstring folder = dir.File(L"many");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring names;
    std::vector<CString> expected;
    for (int i = 0; i < 12; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"recording-of-the-gate-camera-%02d.duz", i);
        ASSERT_TRUE(WriteWholeFile(folder + L"\\" + name, "x"));
        names += L"\"" + std::wstring(name) + L"\" ";
        expected.push_back((folder + L"\\" + name).c_str());
    }
    ASSERT_GT(names.size(), 260u);
    host.realFileDialog = true;
    manager->m_video.SetSelectedWindow(0);
    std::atomic<bool> answered(false);
    std::thread answer(AnswerOpenDialog, folder, names, &answered);
    Command(IDC_SKIN_OPENFILE);
    answer.join();
    ASSERT_EQ(1u, host.plays.size());
    std::vector<CString> chosen = host.plays[0].files;
    std::sort(chosen.begin(), chosen.end(), [](const CString& a, const CString& b) { return a.CompareNoCase(b) < 0; });
    ASSERT_EQ(expected.size(), chosen.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(0, expected[i].CompareNoCase(chosen[i])) << i;
}

// What the play list menu showed and what the test chose in it.
struct MenuProbe {
    static MenuProbe* current;
    int choose = -1;  // item position, -1 dismiss
    std::vector<std::wstring> texts;
    std::vector<bool> checked;
    bool shown = false;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        HWND owner = nullptr;
        HMENU menu = AfxGetTrackingMenu(&owner);
        if (!menu || !current || current->shown) return;
        ::KillTimer(nullptr, id);
        current->shown = true;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[300] = {0};
            ::GetMenuStringW(menu, i, text, 300, MF_BYPOSITION);
            current->texts.push_back(text);
            current->checked.push_back((::GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) != 0);
        }
        if (current->choose < 0) {
            ::EndMenu();
            return;
        }
        for (int i = 0; i <= current->choose; ++i) ::PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 0);
    }
};
MenuProbe* MenuProbe::current = nullptr;

TEST_F(PlayControlDlgTest, PlayListMenuShowsEntriesAndPlaysTheChosenOne) {
    OpenManager();
    manager->m_video.SetSelectedWindow(3);
    // An empty play list shows no menu.
    Command(IDC_SKIN_PLAYLIST);

    RECORD_SOURCE local;
    local.itemType = SOURCE_ITEM_LOCAL;
    std::strcpy(local.path, "C:\\rec\\gate.duz");
    RECORD_SOURCE device;
    device.itemType = SOURCE_ITEM_DEVICE;
    device.desc.start = {2026, 12, 1, 8, 5, 0};
    device.desc.end = {2026, 12, 1, 9, 0, 30};
    engine.playlist[3] = {local, device};
    engine.current[3] = 0;
    const struct {
        int choose;
        const char* call;
    } cases[] = {{-1, nullptr}, {0, nullptr}, {1, "PlaySlotItem 3 1"}};
    for (const auto& c : cases) {
        MenuProbe probe;
        probe.choose = c.choose;
        MenuProbe::current = &probe;
        engine.calls.clear();
        ::SetTimer(nullptr, 0, 100, &MenuProbe::OnTimer);
        Command(IDC_SKIN_PLAYLIST);
        MenuProbe::current = nullptr;
        ASSERT_TRUE(probe.shown) << c.choose;
        EXPECT_EQ((std::vector<std::wstring>{L"C:\\rec\\gate.duz", L"2026-12-01 08:05:00 -- 2026-12-01 09:00:30"}),
                  probe.texts);
        EXPECT_EQ((std::vector<bool>{true, false}), probe.checked);
        const auto plays = engine.CallsStartingWith("PlaySlotItem");
        EXPECT_EQ(c.call ? 1u : 0u, plays.size()) << c.choose;
        if (c.call && !plays.empty()) {
            EXPECT_EQ(c.call, plays[0]);
        }
    }
}

TEST_F(PlayControlDlgTest, WithoutASelectedPaneNothingHappens) {
    OpenManager();
    SelectNoPane();
    if (manager->GetSelectedPane() >= 0) GTEST_SKIP() << "the control keeps a selection";
    engine.calls.clear();
    for (UINT id : {IDC_SKIN_PAUSE, IDC_SKIN_START, IDC_SKIN_FAST, IDC_SKIN_SLOW, IDC_SKIN_STOP, IDC_SKIN_PLAYLIST})
        Command(id);
    engine.slots[0] = Slot(0, 100, 0, 0, 0);
    Seek(50);
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_TRUE(host.controls.empty());
    host.filesAnswer = {L"C:\\rec\\a.duz"};
    BoxCloser box;
    Command(IDC_SKIN_OPENFILE);
    std::wstring text;
    EXPECT_TRUE(box.Wait(&text));
    EXPECT_EQ(L"Not Select Window", text);
}

}  // namespace
