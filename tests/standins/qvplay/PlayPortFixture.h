// The play library's ports over recordings made in the test: the stream
// helpers, a test window and the fixture the port tests share.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>
#include <thread>
#include <vector>

#include "AviFileReader.h"
#include "app/engine/CQvPlayLibrary.h"
#include "StreamFormat.h"
#include "TempDir.h"
#include "WaitFor.h"

using namespace streamfmt;

const DWORD kConversionBuffer = 102400;
const DWORD kDisplayBuffer = 921600;

CQvPlayLibrary& Lib();

std::string Narrow(const std::wstring& w);

StreamParams Params(uint32_t channel, uint16_t width, uint16_t height, uint16_t fps, int seconds);

std::vector<uint8_t> Picture(const StreamParams& streamParams, int64_t timestampMs);

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
bool FeedAll(LONG port, const std::vector<uint8_t>& bytes, size_t piece = 4096);

std::vector<LONG> PlayState(LONG port);
LONG Shown(LONG port);

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
        m_hwnd = CreateWindowExW(WS_EX_TOPMOST, L"QvPlayTestWindow", L"", WS_POPUP, x, y, width, height, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
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
               const RECT& part, int pictureWidth, int scale, int left, int top);

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

// What StopFromCallback saw: its own port's stop result and its calls.
extern std::atomic<int> s_stopResult;
extern std::atomic<int> s_calls;
void __stdcall StopFromCallback(LONG port, const QVPLAY_FRAME* frame, LONG_PTR user);

class PlayPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Lib().IsLoaded()) << "qvplay.dll did not load with all its ordinals"; }
};
