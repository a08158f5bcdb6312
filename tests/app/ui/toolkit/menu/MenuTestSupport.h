// Shared pieces of the menu library tests: drawing an item into a 32-bpp
// DIB section and reading its pixels, and a plain top-level window.
#pragma once

#include <afxwin.h>

#include <vector>

class CStyleMenu;

struct DibPixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> bits;
    COLORREF At(int x, int y) const {
        DWORD p = bits[static_cast<size_t>(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

// A width x height 32-bpp DIB section selected into a memory DC, filled with fill.
class DibCanvas {
public:
    DibCanvas(int width, int height, COLORREF fill);
    ~DibCanvas();
    HDC dc() const { return m_dc; }
    DibPixels Pixels() const;

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    void* m_bits = nullptr;
};

// Draws the item at position of menu into a fresh canvas through its DrawItem.
DibPixels DrawMenuItem(CStyleMenu& menu, int position, UINT state, int width, int height, BOOL menuBar = FALSE);

// A visible top-level window of a private class, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ~TestWindow();
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd;
};
