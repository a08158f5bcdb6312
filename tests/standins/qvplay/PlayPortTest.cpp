// qvplay.dll through its ordinals, as the program binds it: real windows on
// the test display, real AVI and BMP files read back by an independent reader.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>
#include <thread>
#include <vector>

#include "AviFileReader.h"
#include "CQvPlayLibrary.h"
#include "StreamFormat.h"
#include "TempDir.h"
#include "WaitFor.h"

using namespace streamfmt;

namespace {

const DWORD kConversionBuffer = 102400;
const DWORD kDisplayBuffer = 921600;

CQvPlayLibrary& Lib() {
    static CQvPlayLibrary lib;
    if (!lib.IsLoaded()) lib.Load();
    return lib;
}

std::string Narrow(const std::wstring& w) {
    char buf[MAX_PATH * 2];
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, buf, sizeof(buf), nullptr, nullptr);
    return n > 0 ? std::string(buf) : std::string();
}

StreamParams Params(uint32_t channel, uint16_t width, uint16_t height, uint16_t fps, int seconds) {
    StreamParams s;
    s.channel = channel;
    s.beginTime = 1700000000 + channel * 100;
    s.endTime = s.beginTime + seconds;
    s.fps = fps;
    s.width = width;
    s.height = height;
    return s;
}

std::vector<uint8_t> Picture(const StreamParams& streamParams, int64_t timestampMs) {
    std::vector<uint8_t> p(static_cast<size_t>(streamParams.width) * streamParams.height);
    RenderPicture(streamParams.channel, timestampMs, streamParams.width, streamParams.height, p.data());
    return p;
}

// Opens a port of the kind and closes it again at the end of the test.
class Port {
public:
    Port(LONG number, LONG kind, DWORD buffer) : m_number(number) {
        EXPECT_TRUE(Lib().SetPortStreamKind(number, kind));
        m_open = Lib().OpenPortStream(number, nullptr, 0, buffer) != 0;
        EXPECT_TRUE(m_open) << "port " << number;
    }
    ~Port() {
        if (m_open) Lib().ClosePortStream(m_number);
    }
    operator LONG() const { return m_number; }

private:
    LONG m_number;
    bool m_open = false;
};

// Offers each piece until the port takes it, as the program's sources do.
bool FeedAll(LONG port, const std::vector<uint8_t>& bytes, size_t piece = 4096) {
    for (size_t at = 0; at < bytes.size(); at += piece) {
        DWORD n = static_cast<DWORD>(std::min(piece, bytes.size() - at));
        if (Lib().FeedPortData(port, &bytes[at], n)) continue;
        if (!WaitFor([&] { return Lib().FeedPortData(port, &bytes[at], n) != 0; })) return false;
    }
    return true;
}

std::vector<LONG> PlayState(LONG port) {
    std::vector<LONG> v(6, -1);
    DWORD returned = 0;
    Lib().QueryPortTriple(port, QVPLAY_QUERY_PLAY_STATE, reinterpret_cast<BYTE*>(v.data()), 24, &returned);
    return v;
}
LONG Shown(LONG port) { return PlayState(port)[3]; }

// A visible window that never paints itself, so what it shows is what the
// port drew.
class TestWindow {
public:
    TestWindow(int x, int y, int width, int height) {
        static ATOM atom = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &TestWindow::Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"QvPlayTestWindow";
            return RegisterClassW(&wc);
        }();
        (void)atom;
        m_hwnd = CreateWindowExW(WS_EX_TOPMOST, L"QvPlayTestWindow", L"", WS_POPUP, x, y, width, height,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!m_hwnd) ADD_FAILURE() << "CreateWindowExW failed: " << GetLastError();
        // Shown without taking the foreground from tests that run beside this one.
        ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(m_hwnd);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    ~TestWindow() { DestroyWindow(m_hwnd); }
    HWND Handle() const { return m_hwnd; }

    // The client area's pixels as 0x00RRGGBB, rows top to bottom.
    std::vector<uint32_t> Capture(int& width, int& height) const {
        RECT rc;
        GetClientRect(m_hwnd, &rc);
        width = rc.right, height = rc.bottom;
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC wnd = GetDC(m_hwnd);
        HDC mem = CreateCompatibleDC(wnd);
        HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, width, height, wnd, 0, 0, SRCCOPY);
        GdiFlush();
        std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                     static_cast<const uint32_t*>(bits) + width * height);
        SelectObject(mem, old);
        DeleteObject(dib);
        DeleteDC(mem);
        ReleaseDC(m_hwnd, wnd);
        for (uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_ERASEBKGND) return 1;
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND m_hwnd;
};

// Counts the window pixels that differ from the picture scaled by `scale`
// from the window's (left, top), sampling each picture pixel's centre.
int Mismatches(const std::vector<uint32_t>& window, int windowWidth, const std::vector<uint8_t>& picture,
               const RECT& part, int pictureWidth, int scale, int left, int top) {
    int bad = 0;
    for (int y = part.top; y < part.bottom; ++y)
        for (int x = part.left; x < part.right; ++x) {
            int wx = left + (x - part.left) * scale + scale / 2, wy = top + (y - part.top) * scale + scale / 2;
            if (window[wy * windowWidth + wx] != PaletteColor(picture[y * pictureWidth + x])) ++bad;
        }
    return bad;
}

// Notes when each picture was shown (ms), from the port's thread.
struct ShownLog {
    std::mutex lock;
    std::vector<double> at;
    static void __stdcall Callback(LONG, const QVPLAY_FRAME*, LONG_PTR user) {
        LARGE_INTEGER f, c;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&c);
        ShownLog* log = reinterpret_cast<ShownLog*>(user);
        std::lock_guard<std::mutex> g(log->lock);
        log->at.push_back(c.QuadPart * 1000.0 / f.QuadPart);
    }
};

std::atomic<int> s_stopResult{-1};
std::atomic<int> s_calls{0};
void __stdcall StopFromCallback(LONG port, const QVPLAY_FRAME* frame, LONG_PTR user) {
    if (frame->width != 16 || frame->stride != 64 || user != 77) return;
    if (s_calls++ == 0) s_stopResult = Lib().StopPortPlay(port);
}

class PlayPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Lib().IsLoaded()) << "qvplay.dll did not load with all its ordinals"; }
};

}  // namespace

TEST_F(PlayPortTest, PortNumbersOutsideTheTableAreRefusedByEveryOperation) {
    CQvPlayLibrary& q = Lib();
    RECT r = {0, 0, 4, 4};
    BYTE buf[24];
    DWORD returned;
    LONG w, h;
    const BYTE data[4] = {1, 2, 3, 4};
    for (LONG port : {-1L, static_cast<LONG>(QVPLAY_MAX_PORTS), 100000L, LONG_MIN, LONG_MAX}) {
        SCOPED_TRACE(port);
        EXPECT_FALSE(q.SetPortStreamKind(port, 1));
        EXPECT_FALSE(q.OpenPortStream(port, nullptr, 0, 1024));
        EXPECT_FALSE(q.FeedPortData(port, data, 4));
        EXPECT_FALSE(q.StartPortPlay(port, nullptr));
        EXPECT_FALSE(q.SetPortPaused(port, 1));
        EXPECT_FALSE(q.StepSpeedUp(port));
        EXPECT_FALSE(q.StepSpeedDown(port));
        EXPECT_FALSE(q.RedrawPort(port));
        EXPECT_FALSE(q.RepaintPort(port));
        EXPECT_FALSE(q.QueryPictureDims(port, &w, &h));
        EXPECT_FALSE(q.SetPortValueA(port, 4));
        EXPECT_FALSE(q.SetPortValueB(port, 1));
        EXPECT_FALSE(q.SoundOn(port));
        EXPECT_EQ(0u, q.QueryPendingData(port));
        EXPECT_EQ(0u, q.QueryBufferedAmount(port, 3));
        EXPECT_FALSE(q.SetViewRegion(port, 0, &r, nullptr, TRUE));
        EXPECT_FALSE(q.SetViewCallback(port, nullptr, 0));
        EXPECT_FALSE(q.SetPortQuadA(port, 0, 64, 64, 64, 64));
        EXPECT_FALSE(q.SetPortQuadB(port, 0, 1, 1, 1, 1));
        EXPECT_FALSE(q.SavePicture(port, "x.bmp"));
        EXPECT_FALSE(q.BeginFileWrite(port, "x.avi", QVPLAY_FILE_AVI));
        EXPECT_FALSE(q.EndFileWrite(port));
        EXPECT_FALSE(q.QueryPortTriple(port, 1, buf, 24, &returned));
        EXPECT_FALSE(q.StopPortPlay(port));
        EXPECT_FALSE(q.ClosePortStream(port));
        if (port != -1) {
            EXPECT_FALSE(q.SoundOff(port));
        }
    }
    // -1 means every port for sound off.
    EXPECT_TRUE(q.SoundOff(-1));
}

TEST_F(PlayPortTest, OperationsOutOfTurnAreRefused) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const BYTE data[4] = {1, 2, 3, 4};
    const LONG p = 3;
    EXPECT_FALSE(q.FeedPortData(p, data, 4)) << "closed port";
    EXPECT_FALSE(q.StartPortPlay(p, nullptr)) << "closed port";
    EXPECT_FALSE(q.ClosePortStream(p)) << "closed port";
    EXPECT_FALSE(q.EndFileWrite(p)) << "closed port";
    EXPECT_FALSE(q.SetPortStreamKind(p, 2)) << "unknown kind";
    EXPECT_FALSE(q.OpenPortStream(p, nullptr, 0, 0)) << "no buffer";
    {
        Port port(p, QVPLAY_STREAM_REALTIME, 4096);
        EXPECT_FALSE(q.OpenPortStream(p, nullptr, 0, 4096)) << "opened twice";
        EXPECT_FALSE(q.SetPortStreamKind(p, QVPLAY_STREAM_FILE)) << "kind while open";
        HWND dead = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(dead);
        DestroyWindow(dead);
        EXPECT_FALSE(q.StartPortPlay(p, dead)) << "dead window";
        EXPECT_FALSE(q.SetViewRegion(p, 0, nullptr, nullptr, TRUE)) << "region without rectangle";
        RECT empty = {5, 5, 5, 9};
        EXPECT_FALSE(q.SetViewRegion(p, 0, &empty, nullptr, TRUE)) << "empty region";
        EXPECT_FALSE(q.SetViewRegion(p, QVPLAY_MAX_REGIONS, &empty, nullptr, FALSE)) << "region index";
        EXPECT_TRUE(q.SetViewRegion(p, 0, &empty, nullptr, FALSE)) << "removing takes any rectangle";
        EXPECT_FALSE(q.SetPortValueA(p, 0));
        EXPECT_FALSE(q.SetPortValueA(p, QVPLAY_MAX_DECODE_AHEAD + 1));
        EXPECT_FALSE(q.SetPortValueB(p, 2));
        EXPECT_FALSE(q.SetPortQuadA(p, 0, 64, 64, 129, 64));
        EXPECT_FALSE(q.SetPortQuadB(p, 0, -1, 0, 0, 0));
        EXPECT_FALSE(q.SavePicture(p, Narrow(dir.File(L"none.bmp")).c_str())) << "nothing shown yet";
        LONG w = 0, h = 0;
        EXPECT_FALSE(q.QueryPictureDims(p, &w, &h)) << "no header yet";
        EXPECT_FALSE(q.BeginFileWrite(p, Narrow(dir.File(L"a.avi")).c_str(), 2)) << "unknown file mode";
        EXPECT_FALSE(q.BeginFileWrite(p, Narrow(dir.File(L"no\\such\\dir.avi")).c_str(), 1)) << "bad path";
        EXPECT_TRUE(q.BeginFileWrite(p, Narrow(dir.File(L"a.avi")).c_str(), 1));
        EXPECT_FALSE(q.BeginFileWrite(p, Narrow(dir.File(L"b.avi")).c_str(), 1)) << "already writing";
        BYTE small[8];
        DWORD returned = 0;
        EXPECT_FALSE(q.QueryPortTriple(p, QVPLAY_QUERY_PLAY_STATE, small, sizeof(small), &returned));
        EXPECT_EQ(24u, returned) << "the size needed";
        EXPECT_FALSE(q.QueryPortTriple(p, 2, small, sizeof(small), &returned)) << "unknown query";
        for (int i = 0; i < QVPLAY_MAX_SPEED_STEP; ++i) EXPECT_TRUE(q.StepSpeedUp(p));
        EXPECT_FALSE(q.StepSpeedUp(p)) << "past the fastest step";
        for (int i = QVPLAY_MAX_SPEED_STEP; i > QVPLAY_MIN_SPEED_STEP; --i) EXPECT_TRUE(q.StepSpeedDown(p));
        EXPECT_FALSE(q.StepSpeedDown(p)) << "past the slowest step";
    }
    // Closing finished the file that was being written.
    AviContents avi;
    std::string error;
    EXPECT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"a.avi")), avi, error)) << error;
    EXPECT_FALSE(q.FeedPortData(p, data, 4)) << "closed again";
}

TEST_F(PlayPortTest, ConvertsAFedRecordingIntoAnAviWithItsFramesSizeAndRate) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const StreamParams streamParams = Params(7, 64, 48, 5, 12);  // 60 pictures, 3096 bytes each: more than the buffer
    std::vector<uint8_t> stream = BuildStream(streamParams);
    ASSERT_GT(stream.size(), kConversionBuffer);
    Port port(64, QVPLAY_STREAM_FILE, kConversionBuffer);
    ASSERT_TRUE(q.BeginFileWrite(port, Narrow(dir.File(L"out.avi")).c_str(), QVPLAY_FILE_AVI));

    // Nothing drains before play starts: the buffer fills and refuses.
    size_t taken = 0;
    while (taken < stream.size() && q.FeedPortData(port, &stream[taken], 4096)) taken += 4096;
    ASSERT_LT(taken, stream.size());
    EXPECT_LT(q.QueryBufferedAmount(port, QVPLAY_BUFFERED_FREE_BYTES), 4096u);
    EXPECT_GT(taken + 4096, static_cast<size_t>(kConversionBuffer));

    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(FeedAll(port, std::vector<uint8_t>(stream.begin() + taken, stream.end())));
    // The end marker the conversion queue sends after the last block.
    ASSERT_TRUE(FeedAll(port, std::vector<uint8_t>(8192, 0)));
    ASSERT_TRUE(q.EndFileWrite(port));

    AviContents avi;
    std::string error;
    ASSERT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"out.avi")), avi, error)) << error;
    EXPECT_EQ(60u, avi.totalFrames);
    EXPECT_EQ(60u, avi.length);
    EXPECT_EQ(5u, avi.rate / avi.scale);
    EXPECT_EQ(0u, avi.rate % avi.scale);
    EXPECT_EQ(64u, avi.width);
    EXPECT_EQ(48u, avi.height);
    EXPECT_EQ(8, avi.bitCount);
    ASSERT_EQ(256u, avi.palette.size());
    ASSERT_EQ(60u, avi.indexFrames.size());
    ASSERT_EQ(avi.movieFrames, avi.indexFrames);
    for (uint32_t i = 0; i < 60; ++i) {
        // Frame i as the recording holds it: rows come bottom to top in the file.
        std::vector<uint8_t> expected = Picture(streamParams, streamParams.beginTime * 1000 + i * 1000 / streamParams.fps);
        const std::vector<uint8_t>& frame = avi.indexFrames[i];
        ASSERT_EQ(64u * 48u, frame.size());
        int bad = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if (avi.palette[frame[(47 - y) * 64 + x]] != PaletteColor(expected[y * 64 + x])) ++bad;
        EXPECT_EQ(0, bad) << "frame " << i;
    }
}

TEST_F(PlayPortTest, EndFileWriteWritesEverythingTheBufferStillHolds) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const StreamParams streamParams = Params(2, 16, 8, 4, 5);  // 20 pictures
    std::vector<uint8_t> stream = BuildStream(streamParams);
    // The header comes with the open, as a file's head.
    ASSERT_TRUE(q.SetPortStreamKind(65, QVPLAY_STREAM_FILE));
    ASSERT_TRUE(q.OpenPortStream(65, stream.data(), kStreamHeaderSize, kConversionBuffer));
    ASSERT_TRUE(q.BeginFileWrite(65, Narrow(dir.File(L"flush.avi")).c_str(), QVPLAY_FILE_AVI));
    ASSERT_TRUE(q.FeedPortData(65, &stream[kStreamHeaderSize], static_cast<DWORD>(stream.size() - kStreamHeaderSize)));
    EXPECT_TRUE(q.EndFileWrite(65));  // never played: all of it is still buffered
    EXPECT_FALSE(q.EndFileWrite(65));
    EXPECT_TRUE(q.ClosePortStream(65));
    AviContents avi;
    std::string error;
    ASSERT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"flush.avi")), avi, error)) << error;
    EXPECT_EQ(20u, avi.totalFrames);
    EXPECT_EQ(20u, avi.indexFrames.size());
}

TEST_F(PlayPortTest, PauseStopsDrainingAndResumeDrainsAgain) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(1, 16, 12, 25, 20);
    std::vector<uint8_t> stream = BuildStream(streamParams);
    Port port(10, QVPLAY_STREAM_REALTIME, 8192);
    ASSERT_TRUE(q.SetPortValueA(port, 1));
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(q.SetPortPaused(port, 1));
    size_t taken = 0;
    while (q.FeedPortData(port, &stream[taken], 1024)) taken += 1024;
    EXPECT_EQ(8192u, taken);
    EXPECT_EQ(8192u, q.QueryPendingData(port));
    EXPECT_FALSE(WaitFor([&] { return q.QueryBufferedAmount(port, QVPLAY_BUFFERED_FREE_BYTES) > 0; }, 300))
        << "a paused port drained";
    EXPECT_EQ(0, Shown(port));

    ASSERT_TRUE(q.SetPortPaused(port, 0));
    EXPECT_TRUE(WaitFor([&] { return q.FeedPortData(port, &stream[taken], 1024) != 0; }));
    EXPECT_TRUE(WaitFor([&] { return Shown(port) > 0; }));
}

TEST_F(PlayPortTest, SpeedStepsChangeThePace) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(4, 16, 12, 20, 8);  // a picture every 50 ms
    ShownLog log;
    auto shownCount = [&] {
        std::lock_guard<std::mutex> g(log.lock);
        return log.at.size();
    };
    Port port(11, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.SetViewCallback(port, &ShownLog::Callback, reinterpret_cast<LONG_PTR>(&log)));
    ASSERT_TRUE(FeedAll(port, BuildStream(streamParams)));
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(WaitFor([&] { return shownCount() >= 10; }));
    ASSERT_TRUE(q.StepSpeedUp(port));
    ASSERT_TRUE(q.StepSpeedUp(port));  // four times as fast
    ASSERT_TRUE(WaitFor([&] { return shownCount() >= 40; }));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(q.StepSpeedDown(port));  // half speed
    ASSERT_TRUE(WaitFor([&] { return shownCount() >= 50; }));
    ASSERT_TRUE(q.StopPortPlay(port));

    auto median = [&](size_t from, size_t to) {
        std::vector<double> gaps;
        for (size_t i = from + 1; i < to; ++i) gaps.push_back(log.at[i] - log.at[i - 1]);
        std::sort(gaps.begin(), gaps.end());
        return gaps[gaps.size() / 2];
    };
    double normal = median(1, 10), fast = median(20, 38), slow = median(44, 50);
    EXPECT_GT(normal, 35.0);
    EXPECT_LT(normal, 80.0);
    EXPECT_LT(fast, normal / 2);
    EXPECT_GT(slow, normal * 1.5);
}

TEST_F(PlayPortTest, DisplayPaintsTheRecordingsPictureForItsTimeIntoTheWindow) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(5, 40, 30, 10, 6);
    TestWindow window(20, 20, 160, 120);  // four times the picture
    ASSERT_TRUE(window.Handle());
    Port port(0, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.StartPortPlay(port, window.Handle()));
    ASSERT_TRUE(FeedAll(port, BuildStream(streamParams)));
    ASSERT_TRUE(WaitFor([&] { return Shown(port) >= 12; }));
    ASSERT_TRUE(q.SetPortPaused(port, 1));
    std::vector<LONG> state = PlayState(port);
    EXPECT_EQ((std::vector<LONG>{40, 30, 10}), std::vector<LONG>(state.begin(), state.begin() + 3));
    // Pictures follow the recording's own clock: 12 or more shown at 10 per second.
    EXPECT_GE(state[5], streamParams.beginTime + 1);
    EXPECT_EQ(state[5] - streamParams.beginTime, state[4]);
    LONG w = 0, h = 0;
    ASSERT_TRUE(q.QueryPictureDims(port, &w, &h));
    EXPECT_EQ(40, w);
    EXPECT_EQ(30, h);

    std::vector<uint8_t> expected = Picture(streamParams, static_cast<int64_t>(state[5]) * 1000);
    ASSERT_TRUE(q.RedrawPort(port));
    int ww, wh;
    std::vector<uint32_t> shown = window.Capture(ww, wh);
    ASSERT_EQ(160, ww);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, RECT{0, 0, 40, 30}, 40, 4, 0, 0));

    // Region 0 shows only the lower right quarter, across the whole window.
    RECT quarter = {20, 15, 40, 30};
    ASSERT_TRUE(q.SetViewRegion(port, 0, &quarter, nullptr, TRUE));
    ASSERT_TRUE(q.RedrawPort(port));
    shown = window.Capture(ww, wh);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, quarter, 40, 8, 0, 0));

    // Removing the region (as clearing the display does) shows all of it again.
    RECT dot = {1, 1, 1, 1};
    ASSERT_TRUE(q.SetViewRegion(port, 0, &dot, nullptr, FALSE));
    ASSERT_TRUE(q.RepaintPort(port));
    shown = window.Capture(ww, wh);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, RECT{0, 0, 40, 30}, 40, 4, 0, 0));

    // A region in window coordinates (callers set one before scaling it) is
    // taken and cut to the picture.
    RECT client = {0, 0, 160, 120};
    ASSERT_TRUE(q.SetViewRegion(port, 0, &client, window.Handle(), TRUE));
    ASSERT_TRUE(q.RedrawPort(port));
    shown = window.Capture(ww, wh);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, RECT{0, 0, 40, 30}, 40, 4, 0, 0));

    // A further region shows its part in a window of its own.
    TestWindow second(20, 200, 80, 60);
    ASSERT_TRUE(second.Handle());
    RECT topLeft = {0, 0, 20, 15};
    ASSERT_TRUE(q.SetViewRegion(port, 1, &topLeft, second.Handle(), TRUE));
    ASSERT_TRUE(q.RedrawPort(port));
    int sw, sh;
    std::vector<uint32_t> extra = second.Capture(sw, sh);
    EXPECT_EQ(0, Mismatches(extra, sw, expected, topLeft, 40, 4, 0, 0));
    ASSERT_TRUE(q.SetViewRegion(port, 1, nullptr, nullptr, FALSE));
}

TEST_F(PlayPortTest, DisplayOptionsShapeThePicture) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(6, 40, 30, 10, 3);
    TestWindow window(200, 20, 200, 60);  // wider than the picture's shape
    ASSERT_TRUE(window.Handle());
    Port port(1, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.StartPortPlay(port, window.Handle()));
    ASSERT_TRUE(FeedAll(port, BuildStream(streamParams)));
    ASSERT_TRUE(WaitFor([&] { return Shown(port) >= 1; }));
    ASSERT_TRUE(q.SetPortPaused(port, 1));
    std::vector<uint8_t> expected = Picture(streamParams, static_cast<int64_t>(PlayState(port)[5]) * 1000);
    int ww, wh;

    // Keeping the shape: 80 x 60 in the middle, black bars beside it.
    ASSERT_TRUE(q.SetPortValueB(port, QVPLAY_SCALE_KEEP_ASPECT));
    ASSERT_TRUE(q.RedrawPort(port));
    std::vector<uint32_t> shown = window.Capture(ww, wh);
    EXPECT_EQ(0, Mismatches(shown, ww, expected, RECT{0, 0, 40, 30}, 40, 2, 60, 0));
    EXPECT_EQ(0u, shown[30 * ww + 10]);
    EXPECT_EQ(0u, shown[30 * ww + 190]);

    // Margins of 20 and 10 leave 160 x 40 for the picture (53 x 40 kept in shape);
    // the margins stay black.
    ASSERT_TRUE(q.SetPortQuadB(port, 0, 20, 10, 20, 10));
    ASSERT_TRUE(q.RedrawPort(port));
    shown = window.Capture(ww, wh);
    EXPECT_EQ(0u, shown[5 * ww + 100]);
    EXPECT_EQ(0u, shown[55 * ww + 100]);
    ASSERT_TRUE(q.SetPortQuadB(port, 0, 0, 0, 0, 0));

    // Full brightness lifts every grey; stretching fills the window again.
    ASSERT_TRUE(q.SetPortValueB(port, QVPLAY_SCALE_STRETCH));
    ASSERT_TRUE(q.SetPortQuadA(port, 0, QVPLAY_ADJUST_MAX, 64, 64, 64));
    ASSERT_TRUE(q.RedrawPort(port));
    shown = window.Capture(ww, wh);
    uint32_t normal = PaletteColor(expected[0]);
    uint32_t brighter = shown[2 * ww + 2];
    EXPECT_EQ(std::min(255u, (normal & 0xFF) + 128), brighter & 0xFF);
}

TEST_F(PlayPortTest, CapturesTheShownPictureAsABmpOfItsSize) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const StreamParams streamParams = Params(8, 36, 20, 5, 4);
    Port port(2, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(FeedAll(port, BuildStream(streamParams)));
    ASSERT_TRUE(WaitFor([&] { return Shown(port) >= 6; }));
    ASSERT_TRUE(q.SetPortPaused(port, 1));
    std::vector<uint8_t> expected = Picture(streamParams, static_cast<int64_t>(PlayState(port)[5]) * 1000);
    ASSERT_TRUE(q.SavePicture(port, Narrow(dir.File(L"shot.bmp")).c_str()));
    EXPECT_FALSE(q.SavePicture(port, Narrow(dir.File(L"no\\dir\\shot.bmp")).c_str()));

    BmpContents bmp;
    std::string error;
    ASSERT_TRUE(ReadBmpFile(ReadWholeFile(dir.File(L"shot.bmp")), bmp, error)) << error;
    EXPECT_EQ(36, bmp.width);
    EXPECT_EQ(20, bmp.height);
    int bad = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        if (bmp.pixels[i] != PaletteColor(expected[i])) ++bad;
    EXPECT_EQ(0, bad);
}

TEST_F(PlayPortTest, ADrainedPortHasNothingPendingEvenWithACutPictureLeft) {
    CQvPlayLibrary& q = Lib();
    const StreamParams streamParams = Params(9, 16, 8, 10, 2);
    std::vector<uint8_t> stream = BuildStream(streamParams);
    stream.resize(stream.size() - 50);  // the last picture is cut
    Port port(66, QVPLAY_STREAM_FILE, kConversionBuffer);
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(FeedAll(port, stream));
    EXPECT_TRUE(WaitFor([&] {
        return q.QueryPendingData(port) == 0 && q.QueryBufferedAmount(port, QVPLAY_BUFFERED_FRAMES) == 0;
    }));
    EXPECT_EQ(19, Shown(port));
    EXPECT_EQ(FrameSize(streamParams) - 50, q.QueryBufferedAmount(port, QVPLAY_BUFFERED_INPUT_BYTES));
}

TEST_F(PlayPortTest, TheDisplayCallbackCannotStopItsOwnPortButAnotherThreadCanClose) {
    CQvPlayLibrary& q = Lib();
    s_stopResult = -1;
    s_calls = 0;
    Port port(12, QVPLAY_STREAM_REALTIME, kDisplayBuffer);
    ASSERT_TRUE(q.SetViewCallback(port, &StopFromCallback, 77));
    ASSERT_TRUE(q.StartPortPlay(port, nullptr));
    ASSERT_TRUE(FeedAll(port, BuildStream(Params(3, 16, 8, 25, 4))));
    ASSERT_TRUE(WaitFor([] { return s_calls >= 3; }));
    EXPECT_EQ(0, s_stopResult.load());
    std::thread closer([&] { EXPECT_TRUE(q.StopPortPlay(port)); });
    closer.join();
}

TEST_F(PlayPortTest, PortsStayCorrectUnderCallsFromManyThreadsAtOnce) {
    CQvPlayLibrary& q = Lib();
    TempDir dir;
    const int kPorts = 4;
    std::vector<StreamParams> streamParamsList;
    std::vector<std::unique_ptr<Port>> ports;
    for (int i = 0; i < kPorts; ++i) {
        streamParamsList.push_back(Params(20 + i, static_cast<uint16_t>(24 + 8 * i), 16, 10, 6));  // 60 pictures each
        ports.push_back(std::make_unique<Port>(70 + i, QVPLAY_STREAM_FILE, 8192));
        std::string path = Narrow(dir.File(L"conv" + std::to_wstring(i) + L".avi"));
        ASSERT_TRUE(q.BeginFileWrite(70 + i, path.c_str(), QVPLAY_FILE_AVI));
        ASSERT_TRUE(q.StartPortPlay(70 + i, nullptr));
    }
    std::atomic<bool> feeding{true};
    std::vector<std::thread> threads;
    std::atomic<int> fedOk{0};
    for (int i = 0; i < kPorts; ++i)
        threads.emplace_back([&, i] {
            // Odd pieces, so every picture is split in a different place.
            std::vector<uint8_t> stream = BuildStream(streamParamsList[i]);
            for (size_t at = 0; at < stream.size();) {
                DWORD n = static_cast<DWORD>(std::min<size_t>(777 + i * 13, stream.size() - at));
                if (q.FeedPortData(70 + i, &stream[at], n))
                    at += n;
                else
                    Sleep(0);
            }
            ++fedOk;
        });
    // Meddlers: queries, pauses, speed steps, sound and bad ports, all the while.
    for (int m = 0; m < 3; ++m)
        threads.emplace_back([&, m] {
            BYTE buf[24];
            DWORD returned;
            LONG w, h;
            unsigned n = 0;
            while (feeding) {
                LONG port = 70 + static_cast<LONG>(n++ % kPorts);
                q.QueryPendingData(port);
                q.QueryBufferedAmount(port, 1 + n % 3);
                q.QueryPictureDims(port, &w, &h);
                q.QueryPortTriple(port, 1, buf, 24, &returned);
                q.RedrawPort(port);
                if (m == 0) {
                    q.SetPortPaused(port, 1);
                    q.SetPortPaused(port, 0);
                } else if (m == 1) {
                    q.StepSpeedUp(port);
                    q.StepSpeedDown(port);
                    q.SoundOn(port);
                    q.SoundOff(-1);
                } else {
                    q.FeedPortData(-1, buf, 4);
                    q.FeedPortData(QVPLAY_MAX_PORTS, buf, 4);
                    q.ClosePortStream(-1);
                }
            }
        });
    EXPECT_TRUE(WaitFor([&] { return fedOk == kPorts; }, 60000));
    feeding = false;
    for (std::thread& t : threads) t.join();
    for (int i = 0; i < kPorts; ++i) {
        ASSERT_TRUE(q.SetPortPaused(70 + i, 0));
        ASSERT_TRUE(q.EndFileWrite(70 + i));
        AviContents avi;
        std::string error;
        ASSERT_TRUE(ReadAviFile(ReadWholeFile(dir.File(L"conv" + std::to_wstring(i) + L".avi")), avi, error)) << error;
        EXPECT_EQ(60u, avi.totalFrames) << "port " << 70 + i;
        EXPECT_EQ(24u + 8 * i, avi.width);
        ASSERT_EQ(60u, avi.indexFrames.size());
        std::vector<uint8_t> last = Picture(streamParamsList[i], streamParamsList[i].beginTime * 1000 + 59 * 100);
        EXPECT_EQ(PaletteColor(last[0]), avi.palette[avi.indexFrames[59][(16 - 1) * ((avi.width + 3) & ~3u)]]);
    }
}
