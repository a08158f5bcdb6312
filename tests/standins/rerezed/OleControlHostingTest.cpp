#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "RerezedTestResource.h"
#include "RerezedTestSupport.h"
#include "tests/support/WaitFor.h"

namespace {

const CLSID& RerezedClsid() { return CRerezedctrl1::GetClsid(); }

class OleControlHostingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        AfxOleInit();
        AfxEnableControlContainer();
    }
    void SetUp() override { ASSERT_EQ(S_OK, RerezedServer::Register()); }
    void TearDown() override {
        RerezedServer::Register();
        PumpWaitingMessages();
    }
};

// Saves the window's pixels as a bitmap file when the environment asks for
// one (DODAVOZI_SCREENSHOT=path), for a person to look at.
void SaveScreenshotIfAsked(HWND window) {
    const char* path = std::getenv("DODAVOZI_SCREENSHOT");
    if (!path || !*path) return;
    RECT r;
    ::GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    DWORD stride = (w * 3 + 3) & ~3u, size = stride * h;
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + size), 0, 0,
                             static_cast<DWORD>(sizeof file + sizeof info.bmiHeader)};
    FILE* out = std::fopen(path, "wb");
    if (out) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        std::fwrite(bits, size, 1, out);
        std::fclose(out);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

TEST_F(OleControlHostingTest, DialogTemplateItemBecomesTheControlAtItsRectangleBeforeInitDialog) {
    CVideoHostDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VIDEO_HOST));
    dlg.ShowWindow(SW_SHOWNOACTIVATE);
    PumpWaitingMessages();
    HWND video = ::GetDlgItem(dlg.m_hWnd, IDC_VIDEO);
    ASSERT_TRUE(video);
    // Bound by DDX before OnInitDialog ran its body.
    EXPECT_EQ(video, dlg.videoAtInit);
    EXPECT_EQ(video, dlg.m_video.m_hWnd);
    EXPECT_EQ(&dlg.m_video, CWnd::FromHandlePermanent(video));
    EXPECT_EQ(1, dlg.initDialogCalls);

    RECT expected = {212, 7, 212 + 365, 7 + 260};
    ::MapDialogRect(dlg.m_hWnd, &expected);
    RECT actual;
    ::GetWindowRect(video, &actual);
    ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
    EXPECT_TRUE(::IsWindowVisible(video));

    // Its tab position: after the tab control, before the button after it.
    EXPECT_EQ(video, ::GetWindow(::GetDlgItem(dlg.m_hWnd, IDC_TAB), GW_HWNDNEXT));
    EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_AFTER_VIDEO), ::GetWindow(video, GW_HWNDNEXT));
    EXPECT_TRUE(::GetWindowLongPtrW(video, GWL_STYLE) & WS_TABSTOP);

    // Moving the wrapper moves the control and its panes with it.
    dlg.m_video.MoveWindow(20, 30, 400, 300);
    RECT moved;
    ::GetClientRect(video, &moved);
    EXPECT_EQ(400, moved.right);
    EXPECT_EQ(300, moved.bottom);
    RECT pane;
    ::GetWindowRect(::GetParent(dlg.m_video.PaneWindow(3)), &pane);
    EXPECT_EQ(200, pane.right - pane.left);
    dlg.m_video.MoveWindow(&expected);
    dlg.UpdateWindow();
    dlg.m_video.SetWindowTitle(0, L"Camera 1");
    dlg.m_video.SetWindowInfoText(0, L"X 1");
    dlg.m_video.SetWindowState(0, 1, 1);
    dlg.m_video.SetWindowTitle(1, L"Camera 2");
    dlg.m_video.SetWindowInfoText(1, L"X 1/2");
    dlg.m_video.SetWindowState(1, 5, 1);
    PumpWaitingMessages();
    SaveScreenshotIfAsked(dlg.m_hWnd);
    dlg.DestroyWindow();
}

TEST_F(OleControlHostingTest, ClassicTemplateWithTheControlFirstRunsModal) {
    struct Ender : CVideoHostDlg {
        using CVideoHostDlg::CVideoHostDlg;
        BOOL OnInitDialog() override {
            CVideoHostDlg::OnInitDialog();
            PostMessage(WM_COMMAND, IDOK);
            return TRUE;
        }
    } modal(IDD_ONLY_VIDEO);
    EXPECT_EQ(IDOK, modal.DoModal());
    EXPECT_TRUE(modal.videoAtInit);
    // The control came first in the template: first in the tab order too.
    EXPECT_EQ(nullptr, modal.m_video.m_hWnd);
    EXPECT_EQ(S_OK, RerezedServer::CanUnloadNow());
}

TEST_F(OleControlHostingTest, DestroyingTheDialogReleasesTheControlBeforeTheWindowGoes) {
    auto* dlg = new CVideoHostDlg;
    ASSERT_TRUE(dlg->Create(IDD_VIDEO_HOST));
    HWND pane = dlg->m_video.PaneWindow(1);
    ASSERT_TRUE(::IsWindow(pane));
    EXPECT_EQ(S_FALSE, RerezedServer::CanUnloadNow());
    dlg->DestroyWindow();
    EXPECT_FALSE(::IsWindow(pane));
    EXPECT_EQ(nullptr, dlg->m_video.m_hWnd);
    EXPECT_EQ(S_OK, RerezedServer::CanUnloadNow());
    // Calls on the dead wrapper do nothing and read 0.
    EXPECT_EQ(0, dlg->m_video.GetSelectedWindow());
    EXPECT_TRUE(dlg->events.empty());
    delete dlg;

    // A fresh object counts itself alone.
    IDispatch* control = nullptr;
    ASSERT_EQ(S_OK, ::CoCreateInstance(RerezedClsid(), nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(&control)));
    DISPPARAMS none = {};
    VARIANT count;
    ::VariantInit(&count);
    ASSERT_EQ(S_OK, control->Invoke(1003, IID_NULL, 0, DISPATCH_METHOD, &none, &count, nullptr, nullptr));
    EXPECT_EQ(1, count.lVal);
    control->Release();
    EXPECT_EQ(S_OK, RerezedServer::CanUnloadNow());
}

TEST_F(OleControlHostingTest, EventsStopWhenTheWrapperIsDestroyedFirst) {
    CVideoHostDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_VIDEO_HOST));
    dlg.ShowWindow(SW_SHOWNOACTIVATE);
    PumpWaitingMessages();
    HWND pane = dlg.m_video.PaneWindow(2);
    // The wrapper's window goes first, as in the record manager; the
    // dialog lives on and hears nothing more from it.
    dlg.m_video.DestroyWindow();
    EXPECT_FALSE(::IsWindow(pane));
    EXPECT_EQ(nullptr, ::GetDlgItem(dlg.m_hWnd, IDC_VIDEO));
    EXPECT_EQ(S_OK, RerezedServer::CanUnloadNow());
    dlg.DestroyWindow();
    EXPECT_TRUE(dlg.events.empty());
}

TEST_F(OleControlHostingTest, CreateControlHostsTheControlInAnyFrameworkWindow) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 50, 50, 420, 320, nullptr, nullptr));
    CRerezedctrl1 video;
    ASSERT_TRUE(video.Create(nullptr, L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 410, 310), &parent, 77));
    EXPECT_EQ(video.m_hWnd, ::GetDlgItem(parent.m_hWnd, 77));
    EXPECT_NE(nullptr, video.GetControlUnknown());
    EXPECT_TRUE(::IsWindow(video.PaneWindow(0)));
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, video.m_hWnd);
    EXPECT_EQ(S_OK, RerezedServer::CanUnloadNow());
}

TEST_F(OleControlHostingTest, UnregisteredControlFailsCreationAndRegistrationBringsItBack) {
    ASSERT_EQ(S_OK, RerezedServer::Unregister());
    IUnknown* control = nullptr;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, ::CoCreateInstance(RerezedClsid(), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                      reinterpret_cast<void**>(&control)));
    // Unregistering twice is no error.
    EXPECT_EQ(S_OK, RerezedServer::Unregister());

    CVideoHostDlg modeless;
    EXPECT_FALSE(modeless.Create(IDD_VIDEO_HOST));
    EXPECT_EQ(nullptr, modeless.m_hWnd);
    EXPECT_EQ(0, modeless.initDialogCalls);
    CVideoHostDlg modal(IDD_ONLY_VIDEO);
    EXPECT_EQ(-1, modal.DoModal());
    EXPECT_EQ(0, modal.initDialogCalls);

    ASSERT_EQ(S_OK, RerezedServer::Register());
    wchar_t registered[MAX_PATH] = {}, loaded[MAX_PATH] = {};
    LONG size = sizeof registered;
    EXPECT_EQ(ERROR_SUCCESS,
              ::RegQueryValueW(HKEY_CLASSES_ROOT, L"CLSID\\{6A3C1F52-8E41-4D7B-9B20-5C7E2D8F4A61}\\InprocServer32",
                               registered, &size));
    ::GetModuleFileNameW(RerezedServer::Module(), loaded, MAX_PATH);
    EXPECT_EQ(0, _wcsicmp(loaded, registered));
    ASSERT_EQ(S_OK, ::CoCreateInstance(RerezedClsid(), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                       reinterpret_cast<void**>(&control)));
    control->Release();
}

}  // namespace
