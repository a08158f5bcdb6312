#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "BoxCloser.h"
#include "SkinTestSupport.h"
#include "TempDir.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/FileUtil.h"
#include "app/ui/toolkit/CDodavoziDlgSkin.h"
#include "app/ui/toolkit/CPlayControlDlgSkin.h"
#include "app/ui/toolkit/SkinLayout.h"

namespace {

const wchar_t kFailText[] = L"Load background image [FilePath] failed!";

// A window painted by its skin, as the play bar is.
class SkinnedWindow : public CWnd {
public:
    explicit SkinnedWindow(CLoadBmp* skin) : m_skin(skin) {}
    void OnPaint() {
        CPaintDC dc(this);
        m_skin->PaintBackground(&dc);
    }
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    // Labels show the skin through.
    HBRUSH OnCtlColor(CDC* dc, CWnd*, UINT) {
        dc->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }

private:
    CLoadBmp* m_skin;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SkinnedWindow, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

// A program folder holding a copy of the default skin the build drew.
class DialogSkinsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const CString built = GetModuleDir() + L"..\\bin\\Skin\\English\\";
        programDir = (dir.Path() + L"\\").c_str();
        skinDir = programDir + L"Skin\\English\\";
        ASSERT_EQ(0, CreateDirectoryPath(skinDir));
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW(built + L"*.*", &found);
        ASSERT_NE(INVALID_HANDLE_VALUE, search) << "the default skin is missing: " << built.GetString();
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ASSERT_TRUE(::CopyFileW(built + found.cFileName, skinDir + found.cFileName, FALSE));
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        const CString ini = programDir + L"VAD_Config.ini";
        ::WritePrivateProfileStringW(L"Language", L"LanguageCount", L"1", ini);
        ::WritePrivateProfileStringW(L"Language", L"SkinFileDir1", L"Skin\\English", ini);
    }
    void TearDown() override { DeleteInitLanguage(); }

    // Skins the window as the play bar does.
    void InitPlayBar(CPlayControlDlgSkin* skin, CWnd* window, const CAppConfig& config) {
        const SKIN_LAYOUT layout = ReadSkinLayout(config);
        skin->InitSkin(window, layout.strPlayBackImage, layout.strPlayButtonImage, layout.strPlayWindowSize, FALSE,
                       L"System Prompt", kFailText);
    }
    static BOOL MakeWindow(CWnd* window, const wchar_t* title, DWORD style = WS_POPUP | WS_VISIBLE) {
        return window->CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW)), title, style, 40, 40, 200,
                                100, nullptr, nullptr);
    }

    TempDir dir;
    CString programDir;
    CString skinDir;
};

}  // namespace

TEST_F(DialogSkinsTest, PlayBarFromTheDefaultSkin) {
    CAppConfig config(programDir);
    const SKIN_LAYOUT layout = ReadSkinLayout(config);
    CPlayControlDlgSkin skin(&config);
    SkinnedWindow bar(&skin);
    ASSERT_TRUE(MakeWindow(&bar, L"bar"));
    InitPlayBar(&skin, &bar, config);
    CRect window;
    bar.GetWindowRect(&window);
    EXPECT_EQ(CLoadBmp::ParseSize(layout.strPlayWindowSize), window.Size());
    const struct {
        UINT id;
        const SKIN_BUTTON_LAYOUT& keys;
    } buttons[] = {{IDC_SKIN_PAUSE, layout.pause},      {IDC_SKIN_START, layout.start},
                   {IDC_SKIN_STOP, layout.stop},        {IDC_SKIN_FAST, layout.fast},
                   {IDC_SKIN_SLOW, layout.slow},        {IDC_SKIN_OPENFILE, layout.openFile},
                   {IDC_SKIN_PLAYLIST, layout.playList}};
    for (const auto& b : buttons) {
        CWnd* button = bar.GetDlgItem(b.id);
        ASSERT_TRUE(button->GetSafeHwnd()) << b.id;
        CRect rect;
        button->GetWindowRect(&rect);
        bar.ScreenToClient(&rect);
        EXPECT_EQ(CLoadBmp::ParseRect(b.keys.strPosition), rect) << b.id;
        EXPECT_FALSE(b.keys.strUp.IsEmpty());
    }
    ASSERT_TRUE(skin.HasSlider());
    EXPECT_EQ(skin.m_slider.m_hWnd, bar.GetDlgItem(IDC_SKIN_STEPLENGTH)->GetSafeHwnd());
    EXPECT_TRUE(skin.m_slider.StartRefreshTimer());

    // The mask colour cuts the rounded corners out of the bar.
    ASSERT_TRUE(skin.ApplyMaskRegion());
    CRgn shape;
    shape.CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, ::GetWindowRgn(bar.m_hWnd, static_cast<HRGN>(shape.GetSafeHandle())));
    EXPECT_FALSE(shape.PtInRegion(0, 0));
    EXPECT_TRUE(shape.PtInRegion(window.Width() / 2, window.Height() / 2));
}

TEST_F(DialogSkinsTest, MainWindowButtons) {
    CAppConfig config(programDir);
    CDodavoziDlgSkin skin(&config);
    CWnd main;
    ASSERT_TRUE(MakeWindow(&main, L"main"));
    const SKIN_LAYOUT layout = ReadSkinLayout(config);
    skin.InitSkin(&main, layout.strMainBackImage, layout.strMainButtonImage, L"902,675", FALSE, L"", L"");
    CRect window;
    main.GetWindowRect(&window);
    EXPECT_EQ(CSize(902, 675), window.Size());
    // The start and stop twins answer to one id; only the start twin shows.
    EXPECT_EQ(IDC_SKIN_DOWNLOAD, static_cast<UINT>(skin.m_downloadStart.GetDlgCtrlID()));
    EXPECT_EQ(IDC_SKIN_DOWNLOAD, static_cast<UINT>(skin.m_downloadStop.GetDlgCtrlID()));
    EXPECT_TRUE(skin.m_downloadStart.IsWindowVisible());
    EXPECT_FALSE(skin.m_downloadStop.IsWindowVisible());
    for (UINT id : {IDC_SKIN_MANAGE, IDC_SKIN_SEARCH, IDC_SKIN_SYSCONFIG, IDC_SKIN_EXIT}) {
        CRect rect;
        main.GetDlgItem(id)->GetWindowRect(&rect);
        EXPECT_GT(rect.Width(), 0) << id;  // the exit button too: its visible key carries a blank
    }
}

TEST_F(DialogSkinsTest, MissingSkinFilesNameThemselves) {
    // Skins the play bar from the files as they are now and hands check the
    // text of the failure box that shows.
    auto skinPlayBar =
        [&](const std::function<void(CPlayControlDlgSkin&, SkinnedWindow&, const std::wstring&)>& check) {
            CAppConfig config(programDir);
            CPlayControlDlgSkin skin(&config);
            SkinnedWindow bar(&skin);
            ASSERT_TRUE(MakeWindow(&bar, L"bar"));
            BoxCloser closer(0, L"System Prompt");
            InitPlayBar(&skin, &bar, config);
            std::wstring text;
            EXPECT_TRUE(closer.Wait(&text));
            check(skin, bar, text);
        };
    // No [Sliders]: an empty slider image path fails; the buttons stay.
    ::WritePrivateProfileStringW(L"Sliders", nullptr, nullptr, skinDir + L"play.ini");
    skinPlayBar([&](CPlayControlDlgSkin& skin, SkinnedWindow& bar, const std::wstring& text) {
        EXPECT_EQ(L"Load background image " + std::wstring(skinDir) + L" failed!", text);
        EXPECT_FALSE(skin.HasSlider());
        EXPECT_FALSE(skin.m_slider.StartRefreshTimer());
        EXPECT_TRUE(bar.GetDlgItem(IDC_SKIN_PAUSE)->GetSafeHwnd());
    });
    // A missing background: the box names it and the bar stays unskinned.
    ::DeleteFileW(skinDir + L"play_back.bmp");
    skinPlayBar([&](CPlayControlDlgSkin& skin, SkinnedWindow& bar, const std::wstring& text) {
        EXPECT_EQ(L"Load background image " + std::wstring(skinDir) + L"play_back.bmp failed!", text);
        EXPECT_EQ(nullptr, ::GetWindow(bar.m_hWnd, GW_CHILD));
        EXPECT_FALSE(skin.ApplyMaskRegion());
    });
}

TEST_F(DialogSkinsTest, NoGdiObjectLeaksAcrossRepaintsAndReskins) {
    CAppConfig config(programDir);
    auto reskin = [&] {
        CPlayControlDlgSkin skin(&config);
        SkinnedWindow bar(&skin);
        if (!MakeWindow(&bar, L"bar")) return;
        InitPlayBar(&skin, &bar, config);
        skin.ApplyMaskRegion();
        skin.m_start.SetToolTipText(L"Play");
        bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    reskin();  // first-use allocations of the system are not leaks
    const LONG wrapped = AfxGetLiveGdiObjectCount();
    const DWORD system = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    {
        CPlayControlDlgSkin skin(&config);
        SkinnedWindow bar(&skin);
        ASSERT_TRUE(MakeWindow(&bar, L"bar"));
        InitPlayBar(&skin, &bar, config);
        CClientDC screen(nullptr);
        CDC canvas;
        CBitmap picture;
        ASSERT_TRUE(canvas.CreateCompatibleDC(&screen));
        ASSERT_TRUE(picture.CreateCompatibleBitmap(&screen, 560, 56));
        canvas.SelectObject(&picture);
        const UINT states[] = {0, ODS_SELECTED, ODS_DISABLED, ODS_FOCUS};
        const LONG skinned = AfxGetLiveGdiObjectCount();
        for (int i = 0; i < 1000; ++i) {
            skin.PaintBackground(&canvas);
            DRAWITEMSTRUCT item = {ODT_BUTTON, IDC_SKIN_START, 0, ODA_DRAWENTIRE, states[i % 4], skin.m_start.m_hWnd,
                                   canvas,     {0, 0, 32, 32}, 0};
            skin.m_start.DrawItem(&item);
            skin.m_slider.SendMessage(WM_TIMER, 1);  // the refresh repaints the slider
            skin.m_slider.UpdateWindow();
        }
        EXPECT_EQ(skinned, AfxGetLiveGdiObjectCount());
    }
    for (int i = 0; i < 20; ++i) reskin();
    PumpPending();
    EXPECT_EQ(wrapped, AfxGetLiveGdiObjectCount());
    // Where the system counts a process's GDI objects, it agrees.
    const DWORD systemAfter = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (system != 0) {
        EXPECT_LE(systemAfter, system + 10);
    }
}

namespace {

// A test dialog with four skinned buttons of the default skin, one in each
// state, under labels that name the states.
class ShowcaseSkin : public CLoadBmpEx {
public:
    explicit ShowcaseSkin(const SKIN_BUTTON_LAYOUT& keys) : m_keys(keys) {}
    void LoadLayout() override {
        for (int i = 0; i < 4; ++i) {
            CString position;
            position.Format(L"%d,40,%d,104", 24 + i * 96, 88 + i * 96);
            CreateButtonEx(TRUE, position, m_keys.strUp, m_keys.strOver, m_keys.strDown, m_keys.strDisable, L"",
                           &buttons[i], 100 + i);
            labels[i].Create(kStates[i], WS_CHILD | WS_VISIBLE | SS_CENTER, CRect(8 + i * 96, 112, 104 + i * 96, 130),
                             m_pOwner);
        }
    }
    static const wchar_t* const kStates[4];
    CSkinButton buttons[4];
    CStatic labels[4];

private:
    SKIN_BUTTON_LAYOUT m_keys;
};
const wchar_t* const ShowcaseSkin::kStates[4] = {L"Normal", L"Hover", L"Pressed", L"Disabled"};

}  // namespace

// Set DODAVOZI_SCREENSHOT to a .bmp path to keep the picture.
TEST_F(DialogSkinsTest, ShowcaseOfTheButtonStates) {
    CAppConfig config(programDir);
    const SKIN_LAYOUT layout = ReadSkinLayout(config);
    ShowcaseSkin skin(layout.manage);
    SkinnedWindow dialog(&skin);
    ASSERT_TRUE(MakeWindow(&dialog, L"Skinned buttons", WS_POPUP | WS_CAPTION | WS_VISIBLE));
    skin.InitSkin(&dialog, layout.strMainBackImage, layout.strMainButtonImage, L"400,170", FALSE, L"", L"");
    dialog.MoveWindow(40, 40, 400, 170, TRUE);
    ::SetForegroundWindow(dialog.m_hWnd);
    MoveCursorTo(skin.buttons[1].m_hWnd, POINT{32, 32});
    skin.buttons[1].SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(32, 32));
    skin.buttons[2].SetState(TRUE);
    skin.buttons[3].EnableWindow(FALSE);
    dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPending();

    // Each button shows its state's cut-out of the button image.
    CBitmap image;
    ASSERT_TRUE(CLoadBmp::LoadBitmapFile(layout.strMainButtonImage, &image));
    const Pixels cutOuts = ReadPixels(&image);
    const CString rects[4] = {layout.manage.strUp, layout.manage.strOver, layout.manage.strDown,
                              layout.manage.strDisable};
    for (int i = 0; i < 4; ++i) {
        const CRect from = CLoadBmp::ParseRect(rects[i]);
        EXPECT_TRUE(ReadScreen(skin.buttons[i].m_hWnd).SameAs(cutOuts, 0, 0, 64, 64, from.left, from.top))
            << ShowcaseSkin::kStates[i];
    }
    if (const char* path = getenv("DODAVOZI_SCREENSHOT")) {
        CRect window;
        dialog.GetWindowRect(&window);
        const Pixels shot = Render(window.Width(), window.Height(), 0, [&](CDC* dc) {
            HDC screen = ::GetDC(nullptr);
            ::BitBlt(*dc, 0, 0, window.Width(), window.Height(), screen, window.left, window.top, SRCCOPY);
            ::ReleaseDC(nullptr, screen);
        });
        EXPECT_TRUE(WritePixelsFile(std::wstring(CString(path).GetString()), shot));
    }
    ::SetCursorPos(0, 0);
}
