// Pictures for the skin tests: images made from a colour function (in
// memory or as BMP files), pixels read back from bitmaps, from painting into
// a memory DC and from the screen, and a parent window on the desktop.
#pragma once

#include <afxwin.h>

#include <functional>
#include <string>
#include <vector>

typedef std::function<COLORREF(int x, int y)> PixelFn;

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colors;
    COLORREF At(int x, int y) const { return colors[static_cast<size_t>(y) * width + x]; }
    // Whether the box at (left, top) equals the other picture's box at (fromX, fromY).
    bool SameAs(const Pixels& other, int left, int top, int width, int height, int fromX = 0, int fromY = 0) const;
};

// A 24-bit DIB section of the size painted by the function.
BOOL MakeBitmap(CBitmap* bitmap, int width, int height, const PixelFn& color);
// The same written as a 24-bit BMP file.
bool WriteBitmapFile(const std::wstring& path, int width, int height, const PixelFn& color);
Pixels ReadPixels(CBitmap* bitmap);
// What painter draws into a fresh width x height DIB filled with fill.
Pixels Render(int width, int height, COLORREF fill, const std::function<void(CDC*)>& painter);
// The window's client area as the screen shows it.
Pixels ReadScreen(HWND window);
bool WritePixelsFile(const std::wstring& path, const Pixels& pixels);
// Dispatches what is queued for this thread (paints, posted messages).
void PumpPending();
// The cursor onto a client point of the window, as a real mouse would go.
void MoveCursorTo(HWND window, POINT client);
