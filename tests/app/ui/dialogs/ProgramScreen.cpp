#include "ProgramScreen.h"

#include <algorithm>
#include <string>

namespace {

// The synthetic picture of the recordings (streamfmt's RenderPicture): six
// blocks along the bottom four of its rows, each an eighth of its width,
// bright green for a set bit of the second.
const int kBlockBits = 6;
const uint32_t kSetBit = 0x00FF00;
const uint32_t kClearBit = 0x010101;
const uint32_t kPainterBlack = 0;

// The default skin's thumb, inside its rim: normal, pressed and hover.
const uint32_t kThumbFills[] = {0xDEE4EC, 0xFFFFFF, 0x96A0B0};

struct VideoSearch {
    std::vector<HWND>* out;
};

BOOL CALLBACK MatchVideo(HWND window, LPARAM param) {
    wchar_t className[32] = {0};
    ::GetClassNameW(window, className, 32);
    if (std::wstring(className) == L"RerezedVideo" && ::IsWindowVisible(window))
        reinterpret_cast<VideoSearch*>(param)->out->push_back(window);
    return TRUE;
}

void SendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((x * 65535LL + (w - 1) / 2) / (w - 1));
        input.mi.dy = static_cast<LONG>((y * 65535LL + (h - 1) / 2) / (h - 1));
    }
    ::SendInput(1, &input, sizeof input);
}

}  // namespace

uint32_t ScreenArea::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const size_t stride = static_cast<size_t>((width * 3 + 3) & ~3);
    const uint8_t* p = &bytes[y * stride + x * 3];
    return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

ScreenArea CaptureScreen(HWND window) {
    ScreenArea area;
    RECT r;
    if (!::GetWindowRect(window, &r)) return area;
    area.width = r.right - r.left;
    area.height = r.bottom - r.top;
    if (area.width <= 0 || area.height <= 0) return area;
    area.bytes.resize(static_cast<size_t>((area.width * 3 + 3) & ~3) * area.height);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, area.width, area.height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, area.width, area.height, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), area.width, -area.height, 1, 24, BI_RGB};
    ::GetDIBits(memory, bitmap, 0, area.height, area.bytes.data(), &info, DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return area;
}

int PictureSecond(HWND video) {
    const ScreenArea area = CaptureScreen(video);
    int left = area.width, top = area.height, right = -1, bottom = -1;
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x)
            if (area.Pixel(x, y) != kPainterBlack) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const int w = right - left + 1, h = bottom - top + 1;
    if (w < 32 || h < 24) return -1;
    // Half a source row above the picture's bottom edge, mid-block.
    const int y = bottom - std::max(1, h / 120);
    int second = 0;
    for (int bit = 0; bit < kBlockBits; ++bit) {
        const uint32_t pixel = area.Pixel(left + w * (bit * 2 + 1) / 16, y);
        if (pixel == kSetBit)
            second |= 1 << bit;
        else if (pixel != kClearBit)
            return -1;
    }
    return second;
}

std::vector<HWND> PaneVideoWindows(HWND control) {
    std::vector<HWND> found;
    VideoSearch search = {&found};
    ::EnumChildWindows(control, MatchVideo, reinterpret_cast<LPARAM>(&search));
    std::sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return found;
}

int SliderThumbCentre(HWND slider) {
    const ScreenArea area = CaptureScreen(slider);
    const int y = area.height / 2;
    int first = -1, last = -1;
    for (int x = 0; x < area.width; ++x) {
        const uint32_t pixel = area.Pixel(x, y);
        if (std::find(std::begin(kThumbFills), std::end(kThumbFills), pixel) == std::end(kThumbFills)) continue;
        if (first < 0) first = x;
        last = x;
    }
    return first < 0 ? -1 : (first + last) / 2;
}

void PointerTo(int x, int y) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
    for (int i = 0; i < 50; ++i) {
        POINT now;
        ::GetCursorPos(&now);
        if (now.x == x && now.y == y) break;
        ::Sleep(10);
    }
}

void LeftButton(bool down) { SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }

void DoubleClickAt(int x, int y) {
    PointerTo(x, y);
    INPUT inputs[4] = {};
    const DWORD now = ::GetTickCount();
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        inputs[i].mi.time = now;
    }
    ::SendInput(4, inputs, sizeof(INPUT));
}
