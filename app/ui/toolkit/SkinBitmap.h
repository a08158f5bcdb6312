// Bitmap pieces shared by the skin loader and the skinned controls: cutting a
// rectangle out of a skin image, reading an image's pixels, turning the
// pixels that differ from an outside colour into a region, and handing a
// region to a window. Stateless; UI thread.
#pragma once

#include <afxwin.h>

#include <vector>

// Gives target a new screen-compatible bitmap of the rectangle's size holding
// that rectangle of source (from its top-left corner), after freeing what
// target held. FALSE (target then empty) when source has no bitmap, target is
// NULL or the rectangle is empty.
BOOL CopyBitmapRect(CBitmap* source, CBitmap* target, CRect rect);
// CopyBitmapRect over the whole of source.
BOOL CopyWholeBitmap(CBitmap* source, CBitmap* target);

// The image's pixels as COLORREF values, row by row from the top; FALSE
// (nothing read) when the bitmap cannot be read.
BOOL ReadBitmapPixels(HBITMAP image, std::vector<COLORREF>* pixels, int* width, int* height);

// The region of the image's pixels that differ from outside, built from one
// rectangle per vertical run of such pixels; each run is moved down by top
// and made extra pixels longer. An empty region for an image without such
// pixels; NULL when the image cannot be read. The caller owns the region.
HRGN CreateColumnRunRegion(HBITMAP image, COLORREF outside, int top = 0, int extra = 0);

// Draws the picture over the target rectangle: copied when the sizes agree,
// stretched otherwise. Nothing for an empty picture.
void DrawPictureToFit(CDC* dc, CBitmap* picture, const CRect& target);
// Draws the picture unscaled with its top-left corner at the point, clipped
// to shape moved there (unclipped without a shape).
void DrawShapedPicture(CDC* dc, CBitmap* picture, CPoint at, const CRgn& shape);
// Makes region a copy of shape moved by the offset; FALSE (region left as
// it was) when shape is empty.
BOOL CopyShapeAt(const CRgn& shape, CPoint offset, CRgn* region);

// Makes region the window's region. The system owns a region it accepted,
// so region lets go of it then; a refused region is deleted. TRUE when the
// window took it.
BOOL ApplyWindowRegion(HWND window, CRgn* region, BOOL redraw);
