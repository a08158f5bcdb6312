// Painting pieces of the owner-drawn menus: the screen under a popup and its
// soft shadow, the "ShadeWindow" shadow windows, frame bands and corner
// pixels, Marlett glyphs, gradients, the mnemonic text writer, masks and
// placement in the monitor's work area.
#pragma once

#include <afxwin.h>

// The popup's hook record after its screen background is saved (once); NULL
// when the window is no subclassed popup.
void* CaptureBackground(HWND window);
// The 4-pixel shadow at the right and bottom of a popup, from its saved screen.
void PaintShade(HWND window, HDC dc);
// A 5-pixel shadow strip over rect (origin at the DC's origin), blended with colour.
void PaintShadowStrip(HDC dc, const RECT& rect, COLORREF colour);
void FillFrameBand(CDC* dc, const RECT& outer, const RECT& inner, COLORREF colour);
void DrawCornerPixels(CDC* dc, const RECT& rect, COLORREF colour);

// Plain fills of the item painters; every GDI object they make is freed.
void FillSolid(HDC dc, const RECT& r, COLORREF colour);
// r filled with fill inside a 1-pixel pen of outline.
void FillOutlined(HDC dc, const RECT& r, COLORREF fill, COLORREF outline);
void OutlineRect(HDC dc, const RECT& r, COLORREF outline);
void Frame3d(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight);
// The menu font for an item in state: bold for the default item, turned for 0x8000.
HFONT CreateMenuItemFont(UINT state);
// Fills r with the menu's own background brush, its pattern starting at
// origin (DC coordinates); FALSE when the menu has no brush.
BOOL FillWithMenuBrush(HDC dc, const RECT& r, HMENU menu, POINT origin);
// An icon as a one-colour silhouette in colour (its mask decides the shape).
void DrawIconMono(HDC dc, HICON icon, int x, int y, COLORREF colour);

// One Marlett character centred in rect.
void DrawMarlettGlyph(CDC* dc, const RECT& rect, wchar_t glyph, BOOL bold);
// The caption-button glyph of a system command ("r", "0", "1", "2"); FALSE
// for other commands.
BOOL DrawSystemCommandGlyph(CDC* dc, const RECT& rect, UINT command, COLORREF colour);
// The check mark of an item without icon; FALSE when there is nothing to draw.
BOOL DrawCheckMark(CDC* dc, const RECT& itemRect, HBITMAP checked, HBITMAP unchecked, UINT state);

// Registers the shadow window class when needed; its atom.
ATOM RegisterShadeWindowClass();
// Two shadow windows owned by window, beside rect (the window's rectangle
// when NULL); the second one is returned.
HWND CreateShadeWindows(HWND window, const RECT* rect);

// A fill from start to end, horizontal or vertical; the system gradient when
// it is bound (and the screen shows more than 256 colours when trueColorOnly).
void FillGradient(HDC dc, const RECT& rect, COLORREF start, COLORREF end, BOOL horizontal, BOOL trueColorOnly);
// Writes text with "&" mnemonics underlined (unless DT_HIDEPREFIX), in the
// DC font's direction; DT_VCENTER centres it. count -1 is the whole text.
void DrawMenuText(HDC dc, LPCWSTR text, int count, const RECT& rect, UINT flags);

// A monochrome mask: transparent becomes white; the source's transparent
// pixels turn black. NULL when the bitmap cannot be read.
HBITMAP CreateMaskBitmap(HBITMAP source, COLORREF transparent);

RECT GetMonitorWorkArea(const RECT& rect);
RECT GetMonitorWorkArea(HWND window);
// Opens menu beside a bar item, inside the item's monitor work area.
UINT TrackPopupMenuInWorkArea(CMenu* menu, UINT flags, const RECT& item, CWnd* owner, BOOL vertical);

// Frees what the painting keeps for the process (brush cache); at exit.
void ReleaseMenuPaintResources();
