#include "CFramePainter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "StreamFormat.h"

namespace {

struct PaletteBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The picture's rows bottom to top, padded to whole DWORDs, as GDI wants.
std::vector<uint8_t> BottomUpRows(const DecodedPicture& p) {
    size_t stride = (static_cast<size_t>(p.width) + 3) & ~static_cast<size_t>(3);
    std::vector<uint8_t> rows(stride * p.height, 0);
    for (size_t y = 0; y < p.height; ++y) memcpy(&rows[(p.height - 1 - y) * stride], &p.pixels[y * p.width], p.width);
    return rows;
}

void FillBlackAround(HDC dc, const RECT& client, const RECT& inner) {
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT bands[4] = {{client.left, client.top, client.right, inner.top},
                     {client.left, inner.bottom, client.right, client.bottom},
                     {client.left, inner.top, inner.left, inner.bottom},
                     {inner.right, inner.top, client.right, inner.bottom}};
    for (const RECT& band : bands)
        if (!IsEmpty(band)) FillRect(dc, &band, black);
}

uint8_t Clamp(double v) { return static_cast<uint8_t>(std::min(255.0, std::max(0.0, std::round(v)))); }

void DrawView(HWND window, const ViewRegion& region, bool useRegionSource, int scaleMode, const DecodedPicture* picture,
              const std::vector<uint8_t>& rows, bool clear) {
    if (!window || !IsWindow(window)) return;
    HDC dc = GetDC(window);
    if (!dc) return;
    RECT client;
    GetClientRect(window, &client);
    if (!picture) {
        if (clear) FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ReleaseDC(window, dc);
        return;
    }
    RECT area = {client.left + region.margin.left, client.top + region.margin.top, client.right - region.margin.right,
                 client.bottom - region.margin.bottom};
    RECT whole = {0, 0, picture->width, picture->height};
    RECT source = whole;
    if (useRegionSource) {
        RECT clipped;
        if (IntersectRect(&clipped, &region.source, &whole)) source = clipped;
    }
    LONG srcW = source.right - source.left, srcH = source.bottom - source.top;
    RECT dest = IsEmpty(area) ? RECT{0, 0, 0, 0} : CFramePainter::PlaceInside(area, srcW, srcH, scaleMode);
    FillBlackAround(dc, client, dest);
    if (!IsEmpty(dest)) {
        PaletteBitmapInfo bmi = {};
        bmi.header.biSize = sizeof(bmi.header);
        bmi.header.biWidth = picture->width;
        bmi.header.biHeight = picture->height;
        bmi.header.biPlanes = 1;
        bmi.header.biBitCount = 8;
        bmi.header.biCompression = BI_RGB;
        bmi.header.biClrUsed = 256;
        CFramePainter::AdjustedPalette(region.adjust, bmi.colors);
        SetStretchBltMode(dc, COLORONCOLOR);
        // Bottom-up DIB: the source's y is counted from the picture's last row.
        StretchDIBits(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source.left,
                      picture->height - source.bottom, srcW, srcH, rows.data(),
                      reinterpret_cast<const BITMAPINFO*>(&bmi), DIB_RGB_COLORS, SRCCOPY);
    }
    ReleaseDC(window, dc);
}

}  // namespace

void CFramePainter::Paint(const DisplaySettings& settings, const DecodedPicture* picture, bool clear) {
    HWND windows[QVPLAY_MAX_REGIONS] = {};
    bool any = false;
    for (int i = 0; i < QVPLAY_MAX_REGIONS; ++i) {
        const ViewRegion& region = settings.regions[i];
        if (i > 0 && !region.enabled) continue;
        windows[i] = region.window ? region.window : settings.playWindow;
        any = any || windows[i];
    }
    if (!any) return;  // a conversion port shows nothing
    std::vector<uint8_t> rows;
    try {
        if (picture) rows = BottomUpRows(*picture);
    } catch (...) {
        return;  // out of memory: this picture is not drawn
    }
    for (int i = 0; i < QVPLAY_MAX_REGIONS; ++i) {
        const ViewRegion& region = settings.regions[i];
        DrawView(windows[i], region, region.enabled, settings.scaleMode, picture, rows, clear);
    }
}

RECT CFramePainter::PlaceInside(const RECT& area, LONG srcW, LONG srcH, int scaleMode) {
    if (scaleMode != QVPLAY_SCALE_KEEP_ASPECT || srcW <= 0 || srcH <= 0) return area;
    LONG w = area.right - area.left, h = area.bottom - area.top;
    // Widest picture of the source's shape that fits, centred.
    LONG fitW = w, fitH = static_cast<LONG>(static_cast<int64_t>(w) * srcH / srcW);
    if (fitH > h) {
        fitH = h;
        fitW = static_cast<LONG>(static_cast<int64_t>(h) * srcW / srcH);
    }
    LONG left = area.left + (w - fitW) / 2, top = area.top + (h - fitH) / 2;
    return RECT{left, top, left + fitW, top + fitH};
}

void CFramePainter::AdjustedPalette(const int adjust[4], RGBQUAD palette[256]) {
    const double brightness = (adjust[0] - QVPLAY_ADJUST_NEUTRAL) * 2.0;
    const double contrast = adjust[1] / static_cast<double>(QVPLAY_ADJUST_NEUTRAL);
    const double saturation = adjust[2] / static_cast<double>(QVPLAY_ADJUST_NEUTRAL);
    const double hue = (adjust[3] - QVPLAY_ADJUST_NEUTRAL) * 3.14159265358979 / QVPLAY_ADJUST_NEUTRAL;
    const bool neutral = adjust[0] == QVPLAY_ADJUST_NEUTRAL && adjust[1] == QVPLAY_ADJUST_NEUTRAL &&
                         adjust[2] == QVPLAY_ADJUST_NEUTRAL && adjust[3] == QVPLAY_ADJUST_NEUTRAL;
    const double cosH = std::cos(hue), sinH = std::sin(hue);
    for (int i = 0; i < 256; ++i) {
        uint32_t rgb = streamfmt::PaletteColor(static_cast<uint8_t>(i));
        double r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        if (!neutral) {
            // Hue turns the chroma plane (YIQ); saturation scales it.
            double y = 0.299 * r + 0.587 * g + 0.114 * b;
            double ci = 0.596 * r - 0.274 * g - 0.322 * b;
            double cq = 0.211 * r - 0.523 * g + 0.312 * b;
            double ti = (ci * cosH - cq * sinH) * saturation;
            double tq = (ci * sinH + cq * cosH) * saturation;
            r = y + 0.956 * ti + 0.621 * tq;
            g = y - 0.272 * ti - 0.647 * tq;
            b = y - 1.106 * ti + 1.703 * tq;
            r = (r - 128) * contrast + 128 + brightness;
            g = (g - 128) * contrast + 128 + brightness;
            b = (b - 128) * contrast + 128 + brightness;
        }
        palette[i].rgbRed = Clamp(r);
        palette[i].rgbGreen = Clamp(g);
        palette[i].rgbBlue = Clamp(b);
        palette[i].rgbReserved = 0;
    }
}
