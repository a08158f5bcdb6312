#include "SkinTestSupport.h"

#include "app/core/SystemUtil.h"

#include "app/ui/toolkit/SkinBitmap.h"

bool Pixels::SameAs(const Pixels& other, int left, int top, int w, int h, int fromX, int fromY) const {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (At(left + x, top + y) != other.At(fromX + x, fromY + y)) return false;
    return true;
}

namespace {

HBITMAP MakeDib(int width, int height, void** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

std::string BmpBytes(int width, int height, const PixelFn& color) {
    const int stride = (width * 3 + 3) / 4 * 4;
    std::string image(static_cast<size_t>(stride) * height, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = color(x, y);
            char* p = &image[static_cast<size_t>(height - 1 - y) * stride + x * 3];
            p[0] = static_cast<char>(GetBValue(c));
            p[1] = static_cast<char>(GetGValue(c));
            p[2] = static_cast<char>(GetRValue(c));
        }
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + image.size());
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(image.size());
    return std::string(reinterpret_cast<const char*>(&file), sizeof file) +
           std::string(reinterpret_cast<const char*>(&info), sizeof info) + image;
}

}  // namespace

BOOL MakeBitmap(CBitmap* bitmap, int width, int height, const PixelFn& color) {
    void* bits = nullptr;
    HBITMAP dib = MakeDib(width, height, &bits);
    if (!dib) return FALSE;
    const int stride = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = color(x, y);
            BYTE* p = static_cast<BYTE*>(bits) + static_cast<size_t>(y) * stride + x * 3;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return bitmap->Attach(dib);
}

bool WriteBitmapFile(const std::wstring& path, int width, int height, const PixelFn& color) {
    const std::string bytes = BmpBytes(width, height, color);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

bool WritePixelsFile(const std::wstring& path, const Pixels& pixels) {
    return WriteBitmapFile(path, pixels.width, pixels.height, [&](int x, int y) { return pixels.At(x, y); });
}

Pixels ReadPixels(CBitmap* bitmap) {
    Pixels pixels;
    ReadBitmapPixels(static_cast<HBITMAP>(bitmap->GetSafeHandle()), &pixels.colors, &pixels.width, &pixels.height);
    return pixels;
}

Pixels Render(int width, int height, COLORREF fill, const std::function<void(CDC*)>& painter) {
    CBitmap target;
    MakeBitmap(&target, width, height, [fill](int, int) { return fill; });
    {
        CClientDC screen(nullptr);
        CDC dc;
        dc.CreateCompatibleDC(&screen);
        dc.SelectObject(&target);
        painter(&dc);
    }
    return ReadPixels(&target);
}

// One copy of what the screen shows of the window's client area.
static Pixels CopyScreen(HWND window) {
    CRect client;
    ::GetClientRect(window, &client);
    POINT origin = {0, 0};
    ::ClientToScreen(window, &origin);
    return Render(client.Width(), client.Height(), 0, [&](CDC* dc) {
        HDC screen = ::GetDC(nullptr);
        ::BitBlt(*dc, 0, 0, client.Width(), client.Height(), screen, origin.x, origin.y, SRCCOPY);
        ::ReleaseDC(nullptr, screen);
    });
}

// Wine hands a painted window to the display a little later (it flushes
// window surfaces at most every few tens of milliseconds): read until two
// copies a flush apart agree, so a paint just made is what is read.
Pixels ReadScreen(HWND window) {
    ::UpdateWindow(window);
    Pixels last = CopyScreen(window);
    for (int attempt = 0; attempt < 20; ++attempt) {
        ::Sleep(60);
        PumpPending();
        Pixels now = CopyScreen(window);
        if (now.colors == last.colors) return now;
        last = std::move(now);
    }
    return last;
}

void PumpPending() { PumpMessages(); }

void MoveCursorTo(HWND window, POINT client) {
    POINT screen = client;
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
}
