#include <gtest/gtest.h>

#include "RecordManageFakes.h"
#include "app/ui/dialogs/resource.h"

namespace {

class RecordManageDlgTest : public RecordManageFixture {};

TEST_F(RecordManageDlgTest, CloseStopsAndClearsTheFourSlotsInOrderAndOnlyHides) {
    OpenManager();
    engine.calls.clear();
    manager->SendMessage(WM_CLOSE);
    const std::vector<std::string> expected = {"StopSlot 0",          "ClearSlotPlaylist 0", "StopSlot 1",
                                               "ClearSlotPlaylist 1", "StopSlot 2",          "ClearSlotPlaylist 2",
                                               "StopSlot 3",          "ClearSlotPlaylist 3"};
    EXPECT_EQ(expected, engine.calls);
    ASSERT_TRUE(::IsWindow(manager->m_hWnd));
    EXPECT_FALSE(manager->IsWindowVisible());
    manager->ShowWindow(SW_SHOW);
    PumpWindowMessages();
    EXPECT_TRUE(manager->IsWindowVisible());
    EXPECT_EQ(1, manager->InitDialogCount());
    // Enter and Esc do nothing.
    manager->SendMessage(WM_COMMAND, IDCANCEL);
    manager->SendMessage(WM_COMMAND, IDOK);
    EXPECT_TRUE(manager->IsWindowVisible());
}

TEST_F(RecordManageDlgTest, ThePagesThePlayBarAndAFourToThreeVideo) {
    OpenManager();
    EXPECT_EQ(2, manager->m_tab.GetItemCount());
    EXPECT_TRUE(manager->m_localPage.IsWindowVisible());
    EXPECT_FALSE(manager->m_aviPage.IsWindowVisible());
    EXPECT_EQ(&manager->m_tab, manager->m_localPage.GetParent());
    CRect video;
    manager->m_video.GetWindowRect(&video);
    EXPECT_NEAR(video.Width() * 3, video.Height() * 4, 4);
    CRect bar;
    manager->m_playBar.GetWindowRect(&bar);
    manager->ScreenToClient(&bar);
    EXPECT_EQ(406, bar.left);
    EXPECT_EQ(382, bar.Width());
    manager->m_tab.SetCurSel(1);
    manager->OnSelchangeTab();
    EXPECT_TRUE(manager->m_aviPage.IsWindowVisible());
    EXPECT_FALSE(manager->m_localPage.IsWindowVisible());
}

TEST_F(RecordManageDlgTest, SizingKeepsTheMinimumSize) {
    OpenManager();
    const struct {
        RECT in;
        RECT out;
    } cases[] = {{{10, 20, 300, 200}, {10, 20, 10 + 682, 20 + 512}},
                 {{0, 0, 700, 100}, {0, 0, 700, 512}},
                 {{0, 0, 800, 600}, {0, 0, 800, 600}}};
    for (const auto& c : cases) {
        RECT r = c.in;
        manager->SendMessage(WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&r));
        EXPECT_TRUE(::EqualRect(&r, &c.out)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST_F(RecordManageDlgTest, ZoomRectangleTable) {
    OpenManager();
    const struct {
        bool zoomOn;
        long l, t, r, b;
        bool regionSet;
        RECT region;
    } cases[] = {
        {true, 10, 20, 110, 90, true, {10, 20, 110, 90}},
        {true, 110, 90, 10, 20, true, {10, 20, 110, 90}},  // dragged from bottom right
        {true, 40, 20, 40, 90, false, {}},                 // no width
        {true, 10, 50, 110, 50, false, {}},                // no height
        {false, 10, 20, 110, 90, false, {}},               // zoom drawing off
    };
    for (const auto& c : cases) {
        engine.calls.clear();
        manager->m_video.SetWindowState(1, 5, c.zoomOn ? 1 : 0);
        manager->m_video.EnableZoomRect(1, c.zoomOn ? 1 : 0);
        manager->OnZoomRect(1, c.l, c.t, c.r, c.b, 0);
        const auto regions = engine.CallsStartingWith("SetSlotDisplayRegion");
        ASSERT_EQ(c.regionSet ? 1u : 0u, regions.size()) << c.l << "," << c.t;
        if (!c.regionSet) {
            EXPECT_EQ(c.zoomOn, ZoomRectEnabled(1) != FALSE);
            continue;
        }
        EXPECT_EQ("SetSlotDisplayRegion 1 0 10,20,110,90 window 1", regions[0]);
        EXPECT_FALSE(ZoomRectEnabled(1));  // one rectangle per zoom
    }
}

RECORD_TASK LocalSlot(int speed, int sizeKB, int received) {
    RECORD_TASK slot;
    slot.sourceCount = 1;
    slot.source.itemType = SOURCE_ITEM_LOCAL;
    slot.source.sdkHandle = 7;
    slot.source.speedIndex = speed;
    slot.source.desc.sizeKB = sizeKB;
    slot.source.received = received;
    return slot;
}

TEST_F(RecordManageDlgTest, TimerShowsSpeedsAndMovesPlayedOutPanesOn) {
    OpenManager();
    RECORD_TASK device = LocalSlot(3, 100, 0);
    device.source.itemType = SOURCE_ITEM_DEVICE;
    device.source.done = kSourceDone;
    engine.slots[0] = LocalSlot(5, 10, 10 * 1024);  // played out at X 4
    engine.slots[1] = LocalSlot(1, 10, 10 * 1024);  // played out at X 1/4
    engine.slots[2] = device;                       // a device record played out, port not drained
    engine.drained[2] = 0;
    engine.slots[3] = RECORD_TASK();           // no source
    manager->m_video.SetWindowState(1, 5, 1);  // zoomed: not refreshed
    engine.calls.clear();
    manager->SendMessage(WM_TIMER, CRecordManageDlg::kPaneTimer);
    EXPECT_EQ(CString(L"X 4"), PaneInfoText(0));
    EXPECT_EQ(CString(L"X 1/4"), PaneInfoText(1));
    EXPECT_EQ(CString(L"X 1"), PaneInfoText(2));
    EXPECT_EQ(CString(L""), PaneInfoText(3));
    const std::vector<std::string> expected = {
        "RefreshSlotDisplay 0", "PlayNextInSlot 0 window", "ControlSlot 0 5 0",
        "ControlSlot 0 5 0",    "PlayNextInSlot 1 window", "ControlSlot 1 6 0",
        "ControlSlot 1 6 0",    "RefreshSlotDisplay 2",    "RefreshSlotDisplay 3"};
    EXPECT_EQ(expected, engine.calls);

    // A pane whose play list has nothing more keeps its speed steps.
    engine.calls.clear();
    engine.playNextResult = -1;
    manager->SendMessage(WM_TIMER, CRecordManageDlg::kPaneTimer);
    EXPECT_TRUE(engine.CallsStartingWith("ControlSlot").empty());
}

TEST_F(RecordManageDlgTest, SelectNextWindowTable) {
    OpenManager();
    const struct {
        long selected;
        BOOL maximised;
        long expected;
    } cases[] = {{0, FALSE, 1}, {2, FALSE, 3}, {3, FALSE, 3}, {1, TRUE, 1}};
    for (const auto& c : cases) {
        manager->m_video.SetMaxMode(c.maximised);
        manager->m_video.SetSelectedWindow(c.selected);
        manager->SelectNextWindow();
        EXPECT_EQ(c.expected, manager->GetSelectedPane()) << c.selected;
    }
    manager->m_video.SetMaxMode(FALSE);
}

TEST_F(RecordManageDlgTest, PaneButtonsSoundZoomAndClose) {
    OpenManager();
    // Sound refused by the slot leaves the button off.
    engine.soundResult = -1;
    manager->OnPaneButton(2, 1, 1);
    EXPECT_EQ(0, manager->m_video.GetWindowState(2, 1));
    engine.soundResult = 0;
    manager->OnPaneButton(2, 1, 1);
    EXPECT_EQ(1, manager->m_video.GetWindowState(2, 1));

    // Zoom only for an open slot with a source.
    manager->OnPaneButton(2, 5, 1);
    EXPECT_EQ(0, manager->m_video.GetWindowState(2, 5));
    engine.slots[2] = LocalSlot(3, 10, 0);
    manager->OnPaneButton(2, 5, 1);
    EXPECT_EQ(1, manager->m_video.GetWindowState(2, 5));
    EXPECT_TRUE(ZoomRectEnabled(2));

    // A selection change on a zoomed pane gives the picture back.
    manager->m_video.SetSelectedWindow(2);
    engine.calls.clear();
    manager->OnSelectionChanged(2, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"SetSlotSound 2 1", "SetSlotDisplayRegion 2 0 1,1,1,1 none 0"}), engine.calls);
    EXPECT_EQ(0, manager->m_video.GetWindowState(2, 5));

    engine.calls.clear();
    manager->OnPaneButton(2, 2, 0);
    manager->OnPaneButton(2, 7, 0);
    EXPECT_EQ((std::vector<std::string>{"SnapshotSlot 2", "StopSlot 2", "ClearSlotPlaylist 2"}), engine.calls);
    EXPECT_EQ(0, manager->m_video.GetWindowState(2, 1));
    EXPECT_FALSE(ZoomRectEnabled(2));
    EXPECT_EQ(CString(L""), PaneInfoText(2));

    // A double click toggles the maximised view.
    short mode = 0, other = 0;
    manager->OnDblClickVideo();
    manager->m_video.GetMaxMode(&mode, &other);
    EXPECT_EQ(1, mode);
    manager->OnDblClickVideo();
    manager->m_video.GetMaxMode(&mode, &other);
    EXPECT_EQ(0, mode);
}

TEST_F(RecordManageDlgTest, ShowingHidingAndClosingPanesLeaveGdiObjectsAndControlsFlat) {
    OpenManager();
    auto gdiObjects = [] { return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS); };
    auto cycle = [&] {
        manager->SendMessage(WM_CLOSE);
        manager->ShowWindow(SW_SHOW);
        for (int pane = 0; pane < 4; ++pane) {
            manager->m_video.SetWindowTitle(pane, L"Camera");
            manager->OnPaneButton(pane, 7, 0);
        }
        manager->SendMessage(WM_TIMER, CRecordManageDlg::kPaneTimer);
        PumpWindowMessages();
    };
    cycle();
    const DWORD before = gdiObjects();
    for (int i = 0; i < 20; ++i) cycle();
    EXPECT_LE(gdiObjects(), before + 2);
    EXPECT_EQ(1, LiveControlObjects());

    // A second manager made and destroyed leaves only the first control alive.
    for (int i = 0; i < 3; ++i) {
        TestRecordManageDlg other(skinConfig.get());
        other.SetHost(&host);
        ASSERT_TRUE(other.Create(IDD_RECORD_MANAGE, nullptr));
        EXPECT_EQ(2, LiveControlObjects());
        other.DestroyWindow();
        PumpWindowMessages();
    }
    EXPECT_EQ(1, LiveControlObjects());
}

}  // namespace
