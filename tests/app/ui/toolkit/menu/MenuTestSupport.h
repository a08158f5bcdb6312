// Shared pieces of the menu library tests: drawing an item into a 32-bpp
// DIB section and reading its pixels, and a plain top-level window.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

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

// The same with style current for the call (style 2 again after), on a
// 160 x 24 canvas.
DibPixels DrawWithStyle(CStyleMenu& menu, int style, int position, UINT state, BOOL menuBar = FALSE);

// How many pixels are exactly c.
int CountColour(const DibPixels& p, COLORREF c);
// The item data of the Windows item at position.
ULONG_PTR MenuItemData(HMENU menu, int position);
// How many stores the shared list holds (0 without a list).
int SharedStoreCount();

// Image lists of one 16 x 16 image: a blue square inside a 2-pixel margin
// that is transparent through the image's mask (no alpha channel), or
// through the alpha channel of the test icon.
BOOL CreateMaskedMarginImages(CImageList& list);
BOOL CreateAlphaMarginImages(CImageList& list);

// A w x h bitmap compatible with the screen, filled with c.
HBITMAP SolidBitmap(int w, int h, COLORREF c);

// A visible top-level window of a private class, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ~TestWindow();
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd;
};
