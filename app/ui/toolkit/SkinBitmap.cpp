#include "SkinBitmap.h"

#include <algorithm>
#include <cstring>

#include "common/UniqueGdi.h"

BOOL CopyBitmapRect(CBitmap* source, CBitmap* target, CRect rect) {
    if (!target) return FALSE;
    target->DeleteObject();
    if (!source || !source->GetSafeHandle() || rect.Width() <= 0 || rect.Height() <= 0) return FALSE;
    CClientDC screen(nullptr);
    if (!target->CreateCompatibleBitmap(&screen, rect.Width(), rect.Height())) return FALSE;
    CDC from, to;
    if (!from.CreateCompatibleDC(&screen) || !to.CreateCompatibleDC(&screen)) {
        target->DeleteObject();
        return FALSE;
    }
    from.SelectObject(source);
    to.SelectObject(target);
    return to.BitBlt(0, 0, rect.Width(), rect.Height(), &from, rect.left, rect.top, SRCCOPY);
}

BOOL CopyWholeBitmap(CBitmap* source, CBitmap* target) {
    CSize size = source ? source->GetSize() : CSize();
    return CopyBitmapRect(source, target, CRect(0, 0, size.cx, size.cy));
}

BOOL ReadBitmapPixels(HBITMAP image, std::vector<COLORREF>* pixels, int* width, int* height) {
    BITMAP info = {};
    if (!image || !::GetObjectW(image, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return FALSE;
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;  // top-down rows
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bits(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    const int rows =
        ::GetDIBits(CBorrowedDC(nullptr).Get(), image, 0, info.bmHeight, bits.data(), &request, DIB_RGB_COLORS);
    if (rows != info.bmHeight) return FALSE;
    pixels->resize(bits.size());
    // A DIB pixel is 0x00RRGGBB; a COLORREF keeps red in the low byte.
    for (size_t i = 0; i < bits.size(); ++i)
        (*pixels)[i] = RGB((bits[i] >> 16) & 0xFF, (bits[i] >> 8) & 0xFF, bits[i] & 0xFF);
    *width = info.bmWidth;
    *height = info.bmHeight;
    return TRUE;
}

namespace {

// One ExtCreateRegion call takes the rectangles of many runs at once: far
// faster than uniting them one by one, with the same region as the result.
HRGN RegionFromRects(const RECT* rects, size_t count) {
    const size_t bytes = sizeof(RGNDATAHEADER) + count * sizeof(RECT);
    std::vector<BYTE> buffer(bytes);
    RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    RECT bounds = rects[0];
    for (size_t i = 1; i < count; ++i) ::UnionRect(&bounds, &bounds, &rects[i]);
    data->rdh.rcBound = bounds;
    memcpy(data->Buffer, rects, count * sizeof(RECT));
    return ::ExtCreateRegion(nullptr, static_cast<DWORD>(bytes), data);
}

// Some systems refuse very long rectangle lists: build in batches and unite.
HRGN RegionFromRects(const std::vector<RECT>& rects) {
    const size_t kBatch = 2000;
    CUniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    for (size_t first = 0; region && first < rects.size(); first += kBatch) {
        const CUniqueRegion part(RegionFromRects(&rects[first], std::min(kBatch, rects.size() - first)));
        if (!part) return nullptr;
        ::CombineRgn(region.Get(), region.Get(), part.Get(), RGN_OR);
    }
    return region.Release();
}

}  // namespace

HRGN CreateColumnRunRegion(HBITMAP image, COLORREF outside, int top, int extra) {
    std::vector<COLORREF> pixels;
    int width = 0, height = 0;
    if (!ReadBitmapPixels(image, &pixels, &width, &height)) return nullptr;
    std::vector<RECT> runs;
    for (int x = 0; x < width; ++x) {
        int y = 0;
        while (y < height) {
            while (y < height && pixels[static_cast<size_t>(y) * width + x] == outside) ++y;
            if (y >= height) break;
            const int start = y;
            while (y < height && pixels[static_cast<size_t>(y) * width + x] != outside) ++y;
            runs.push_back(RECT{x, start + top, x + 1, y + top + extra});
        }
    }
    return RegionFromRects(runs);
}

BOOL ApplyWindowRegion(HWND window, CRgn* region, BOOL redraw) {
    if (!region || !region->GetSafeHandle()) return FALSE;
    if (window && ::SetWindowRgn(window, static_cast<HRGN>(region->GetSafeHandle()), redraw)) {
        region->Detach();
        return TRUE;
    }
    region->DeleteObject();
    return FALSE;
}

void DrawPictureToFit(CDC* dc, CBitmap* picture, const CRect& target) {
    if (!picture || !picture->GetSafeHandle()) return;
    CDC from;
    if (!from.CreateCompatibleDC(dc)) return;
    const CSize size = picture->GetSize();
    from.SelectObject(picture);
    if (size.cx == target.Width() && size.cy == target.Height())
        dc->BitBlt(target.left, target.top, size.cx, size.cy, &from, 0, 0, SRCCOPY);
    else
        dc->StretchBlt(target.left, target.top, target.Width(), target.Height(), &from, 0, 0, size.cx, size.cy,
                       SRCCOPY);
}

void DrawShapedPicture(CDC* dc, CBitmap* picture, CPoint at, const CRgn& shape) {
    if (!picture || !picture->GetSafeHandle()) return;
    CDC from;
    if (!from.CreateCompatibleDC(dc)) return;
    const CSize size = picture->GetSize();
    const int saved = dc->SaveDC();
    CRgn clip;  // one per paint, freed with it
    if (CopyShapeAt(shape, at, &clip)) dc->SelectClipRgn(&clip, RGN_AND);
    from.SelectObject(picture);
    dc->BitBlt(at.x, at.y, size.cx, size.cy, &from, 0, 0, SRCCOPY);
    dc->RestoreDC(saved);
}

BOOL CopyShapeAt(const CRgn& shape, CPoint offset, CRgn* region) {
    if (!shape.GetSafeHandle() || !region->CreateRectRgn(0, 0, 0, 0)) return FALSE;
    region->CopyRgn(&shape);
    region->OffsetRgn(offset.x, offset.y);
    return TRUE;
}
