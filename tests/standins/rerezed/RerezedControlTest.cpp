#include <gtest/gtest.h>

#include <string>

#include "RerezedTestResource.h"
#include "RerezedTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

namespace {

class RerezedControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        AfxOleInit();
        AfxEnableControlContainer();
        ASSERT_EQ(S_OK, RerezedServer::Register());
    }

    void SetUp() override {
        ASSERT_TRUE(dlg.Create(IDD_VIDEO_HOST));
        dlg.ShowWindow(SW_SHOWNOACTIVATE);
        dlg.UpdateWindow();
        PumpWaitingMessages();
        ASSERT_TRUE(dlg.m_video.m_hWnd);
    }

    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
        PumpWaitingMessages();
    }

    CString TestText(DISPID id, long pane) {
        CString text;
        static const BYTE params[] = VTS_I4;
        dlg.m_video.InvokeHelper(id, DISPATCH_METHOD, VT_BSTR, &text, params, pane);
        return text;
    }
    long TestLong(DISPID id, long a, long b) {
        long value = 0;
        static const BYTE params[] = VTS_I4 VTS_I4;
        dlg.m_video.InvokeHelper(id, DISPATCH_METHOD, VT_I4, &value, params, a, b);
        return value;
    }
    BOOL TestBool(DISPID id, long pane) {
        BOOL value = FALSE;
        static const BYTE params[] = VTS_I4;
        dlg.m_video.InvokeHelper(id, DISPATCH_METHOD, VT_BOOL, &value, params, pane);
        return value;
    }
    POINT ButtonCentre(long pane, long button) {
        long packed = TestLong(1006, pane, button);
        return {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
    }
    HWND PaneWindow(long pane) { return dlg.m_video.PaneWindow(pane); }
    RECT ScreenRect(HWND window) {
        RECT r;
        ::GetWindowRect(window, &r);
        return r;
    }

    CVideoHostDlg dlg;
};

TEST_F(RerezedControlTest, DispatchTableThroughTheWrapper) {
    CRerezedctrl1& video = dlg.m_video;
    EXPECT_TRUE(video.SetWindowCount(4));
    EXPECT_FALSE(video.SetWindowCount(9));
    video.SetSplitMode(4);

    EXPECT_TRUE(video.SetWindowOption(2, 14, TRUE));
    EXPECT_TRUE(TestLong(1005, 2, 14));
    EXPECT_TRUE(video.SetWindowOption(2, 14, FALSE));
    EXPECT_FALSE(TestLong(1005, 2, 14));
    EXPECT_FALSE(video.SetWindowOption(4, 14, FALSE));

    // Window states 1, 3 and 5 are kept per pane; other panes keep theirs.
    for (long state : {1L, 3L, 5L}) {
        SCOPED_TRACE(state);
        EXPECT_EQ(0, video.GetWindowState(1, state));
        video.SetWindowState(1, state, 1);
        EXPECT_EQ(1, video.GetWindowState(1, state));
        EXPECT_EQ(0, video.GetWindowState(0, state));
        video.SetWindowState(1, state, 0);
        EXPECT_EQ(0, video.GetWindowState(1, state));
    }

    short mode = -7, other = -7;
    video.GetMaxMode(&mode, &other);
    EXPECT_EQ(0, mode);
    EXPECT_EQ(4, other);
    video.SetMaxMode(TRUE);
    video.GetMaxMode(&mode, &other);
    EXPECT_EQ(1, mode);
    EXPECT_EQ(1, other);
    video.SetMaxMode(FALSE);

    EXPECT_TRUE(video.SetSelectedWindow(3));
    EXPECT_EQ(3, video.GetSelectedWindow());
    EXPECT_TRUE(video.SetSelectedWindow(-1));
    EXPECT_EQ(-1, video.GetSelectedWindow());
    EXPECT_FALSE(video.SetSelectedWindow(4));
    EXPECT_EQ(-1, video.GetSelectedWindow());

    video.SetWindowTitle(2, L"ch01 10:00");
    video.SetWindowInfoText(2, L"X 1/2");
    EXPECT_STREQ(L"ch01 10:00", TestText(1000, 2));
    EXPECT_STREQ(L"X 1/2", TestText(1001, 2));
    video.SetWindowTitle(2, L"");
    EXPECT_STREQ(L"", TestText(1000, 2));

    EXPECT_EQ(0, video.SetWindowMode(0, 0));
    EXPECT_EQ(0, video.SetWindowMode(0, 5));
    EXPECT_EQ(5, video.SetWindowMode(0, 0));

    video.EnableZoomRect(3, 1);
    EXPECT_TRUE(TestBool(1002, 3));
    video.EnableZoomRect(3, 0);
    EXPECT_FALSE(TestBool(1002, 3));

    TempDir dir;
    std::wstring language = dir.Path() + L"\\English.lng";
    ASSERT_TRUE(WriteWholeFile(language, "[Text]\r\n"));
    EXPECT_EQ(1, video.LoadLanguageFile(language.c_str()));
    EXPECT_EQ(0, video.LoadLanguageFile((dir.Path() + L"\\missing.lng").c_str()));
    EXPECT_EQ(-1, video.SetBackImage((dir.Path() + L"\\missing.bmp").c_str(), 64, 48));
    // No call of these raised an event: events are the user's only.
    EXPECT_TRUE(dlg.events.empty());
}

TEST_F(RerezedControlTest, FourPanesInAGridAndTheMaximisedViewKeepTheirWindows) {
    CRerezedctrl1& video = dlg.m_video;
    RECT control = ScreenRect(video.m_hWnd);
    int midX = (control.left + control.right) / 2, midY = (control.top + control.bottom) / 2;
    HWND panes[4];
    for (long i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        panes[i] = PaneWindow(i);
        ASSERT_TRUE(::IsWindow(panes[i]));
        EXPECT_TRUE(::IsWindowVisible(panes[i]));
        EXPECT_TRUE(::IsChild(video.m_hWnd, panes[i]));
        for (long j = 0; j < i; ++j) EXPECT_NE(panes[j], panes[i]);
        RECT r = ScreenRect(panes[i]);
        EXPECT_GT(r.right - r.left, 50);
        EXPECT_GT(r.bottom - r.top, 50);
        // Column i % 2, row i / 2 of the grid.
        EXPECT_EQ(i % 2 == 1, r.left >= midX);
        EXPECT_EQ(i % 2 == 0, r.right <= midX);
        EXPECT_EQ(i / 2 == 1, r.top >= midY);
        EXPECT_EQ(i / 2 == 0, r.bottom <= midY);
    }
    EXPECT_EQ(0, PaneWindow(4));

    video.SetSelectedWindow(2);
    video.SetMaxMode(TRUE);
    for (long i = 0; i < 4; ++i) EXPECT_EQ(panes[i], PaneWindow(i));
    EXPECT_TRUE(::IsWindowVisible(panes[2]));
    EXPECT_FALSE(::IsWindowVisible(panes[0]));
    EXPECT_FALSE(::IsWindowVisible(panes[3]));
    RECT big = ScreenRect(panes[2]);
    EXPECT_GT(big.right - big.left, (control.right - control.left) * 9 / 10);
    EXPECT_GT(big.bottom - big.top, (control.bottom - control.top) * 8 / 10);

    video.SetMaxMode(FALSE);
    for (long i = 0; i < 4; ++i) {
        EXPECT_EQ(panes[i], PaneWindow(i));
        EXPECT_TRUE(::IsWindowVisible(panes[i]));
    }
    RECT small = ScreenRect(panes[2]);
    EXPECT_LE(small.right, midX);
    EXPECT_GE(small.top, midY);
}

TEST_F(RerezedControlTest, MouseInputRaisesTheControlsEvents) {
    CRerezedctrl1& video = dlg.m_video;
    video.SetSelectedWindow(0);
    HWND pane3 = PaneWindow(3);
    ClickAt(pane3, {40, 30});
    ASSERT_TRUE(WaitFor([&] { return dlg.events.size() >= 2; }, 3000));
    EXPECT_EQ((std::vector<RecordedEvent>{{1, {3, 0, 0}}, {-600, {}}}), dlg.events);
    EXPECT_EQ(3, video.GetSelectedWindow());

    // A click in the pane already selected is a click only.
    dlg.events.clear();
    ::Sleep(::GetDoubleClickTime() + 50);
    ClickAt(pane3, {80, 50}, true);
    EXPECT_EQ((std::vector<RecordedEvent>{{-600, {}}, {-601, {}}}), dlg.events);

    // Pane buttons report the requested state; the look follows only what
    // the container sets.
    struct ButtonCase {
        long button;
        short stateBefore;
        short requested;
    };
    const ButtonCase cases[] = {{1, 0, 1}, {1, 1, 0}, {5, 0, 1}, {5, 1, 0}, {2, 0, 1}, {7, 0, 1}};
    HWND paneFrame = ::GetParent(PaneWindow(1));
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.button * 10 + c.stateBefore);
        if (c.button == 1 || c.button == 5) video.SetWindowState(1, c.button, c.stateBefore);
        video.SetSelectedWindow(1);
        dlg.events.clear();
        ::Sleep(::GetDoubleClickTime() + 50);
        ClickAt(paneFrame, ButtonCentre(1, c.button));
        EXPECT_EQ((std::vector<RecordedEvent>{{3, {1, c.button, c.requested}}}), dlg.events);
        if (c.button == 1 || c.button == 5) {
            EXPECT_EQ(c.stateBefore, video.GetWindowState(1, c.button));
        }
    }

    // A zoom drag, once enabled, reports its corners as dragged in the video
    // window's client coordinates.
    video.SetSelectedWindow(2);
    HWND pane2 = PaneWindow(2);
    struct DragCase {
        POINT from, to;
    };
    const DragCase drags[] = {{{10, 12}, {70, 52}}, {{90, 60}, {20, 15}}};
    for (const DragCase& d : drags) {
        video.EnableZoomRect(2, 1);
        dlg.events.clear();
        ::Sleep(::GetDoubleClickTime() + 50);
        DragIn(pane2, d.from, d.to);
        ASSERT_FALSE(dlg.events.empty());
        EXPECT_EQ((RecordedEvent{7, {2, d.from.x, d.from.y, d.to.x, d.to.y, 0}}), dlg.events.back());
    }
    // Without zoom drawing a drag is a click and nothing more.
    video.EnableZoomRect(2, 0);
    dlg.events.clear();
    ::Sleep(::GetDoubleClickTime() + 50);
    DragIn(pane2, {10, 10}, {60, 40});
    EXPECT_EQ((std::vector<RecordedEvent>{{-600, {}}}), dlg.events);
}

TEST_F(RerezedControlTest, ClearWindowBlanksThePaneAndOtherPaintingLeavesItAlone) {
    HWND pane = PaneWindow(0);
    HDC dc = ::GetDC(pane);
    RECT r = {0, 0, 20, 20};
    HBRUSH red = ::CreateSolidBrush(RGB(255, 0, 0));
    ::FillRect(dc, &r, red);
    ::DeleteObject(red);
    // A playing picture: the title says so, and a repaint leaves it.
    dlg.m_video.SetWindowTitle(0, L"playing");
    ::RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(RGB(255, 0, 0), ::GetPixel(dc, 5, 5));
    dlg.m_video.ClearWindow(0);
    EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(dc, 5, 5));
    ::ReleaseDC(pane, dc);
}

}  // namespace
