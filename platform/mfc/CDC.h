// A device context. A CDC made by CreateCompatibleDC owns its DC and deletes
// it; CPaintDC, CClientDC and CWindowDC end or release theirs. Each puts its
// original pen, brush, font and bitmap back first, so objects selected
// through it are never left selected. FromHandle wraps other DCs in
// temporary objects that leave them alone.
#pragma once

#include "CBitmap.h"
#include "CBrush.h"
#include "CFont.h"
#include "CPen.h"
#include "CRect.h"
#include "CRgn.h"
#include "CStringT.h"

class CWnd;

class CDC : public CObject {
    DECLARE_DYNCREATE(CDC)
public:
    CDC() : m_hDC(nullptr), m_hAttribDC(nullptr) {}
    ~CDC() override;

    HDC m_hDC;
    HDC m_hAttribDC;
    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const;

    static CDC* PASCAL FromHandle(HDC dc);
    // Takes ownership of dc; FALSE when dc is NULL or one is already held.
    BOOL Attach(HDC dc);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* dc);
    // Restores the original objects and deletes the owned DC.
    BOOL DeleteDC();

    // Selection returns the previously selected object (temporary), NULL on failure.
    CPen* SelectObject(CPen* pen) { return static_cast<CPen*>(SelectGdiObject(pen)); }
    CBrush* SelectObject(CBrush* brush) { return static_cast<CBrush*>(SelectGdiObject(brush)); }
    CFont* SelectObject(CFont* font) { return static_cast<CFont*>(SelectGdiObject(font)); }
    CBitmap* SelectObject(CBitmap* bitmap) { return static_cast<CBitmap*>(SelectGdiObject(bitmap)); }
    CGdiObject* SelectObject(CGdiObject* object) { return SelectGdiObject(object); }
    // Region selection copies the region into the clip region; returns the region type.
    int SelectObject(CRgn* region) { return ::SelectClipRgn(m_hDC, static_cast<HRGN>(region->GetSafeHandle())); }
    CGdiObject* SelectStockObject(int index);
    int SelectClipRgn(CRgn* region) { return ::SelectClipRgn(m_hDC, static_cast<HRGN>(region->GetSafeHandle())); }
    int SelectClipRgn(CRgn* region, int mode) {
        return ::ExtSelectClipRgn(m_hDC, static_cast<HRGN>(region->GetSafeHandle()), mode);
    }
    int IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
    int ExcludeClipRect(LPCRECT r) { return ::ExcludeClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
    int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }
    CBitmap* GetCurrentBitmap() const {
        return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
    }
    CFont* GetCurrentFont() const { return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT))); }

    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hAttribDC, index); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    CPoint SetViewportOrg(int x, int y) {
        POINT p;
        ::SetViewportOrgEx(m_hDC, x, y, &p);
        return p;
    }
    CPoint SetWindowOrg(int x, int y) {
        POINT p;
        ::SetWindowOrgEx(m_hDC, x, y, &p);
        return p;
    }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }

    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hAttribDC); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int GetBkMode() const { return ::GetBkMode(m_hAttribDC); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hAttribDC); }
    UINT SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }

    BOOL TextOut(int x, int y, const CString& text) { return ::TextOutW(m_hDC, x, y, text, text.GetLength()); }
    BOOL TextOut(int x, int y, LPCWSTR text, int count) { return ::TextOutW(m_hDC, x, y, text, count); }
    int DrawText(const CString& text, LPRECT r, UINT format) {
        return ::DrawTextW(m_hDC, text, text.GetLength(), r, format);
    }
    int DrawText(LPCWSTR text, int count, LPRECT r, UINT format) { return ::DrawTextW(m_hDC, text, count, r, format); }
    CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
    CSize GetTextExtent(LPCWSTR text, int count) const;
    BOOL GetTextMetrics(LPTEXTMETRICW tm) const { return ::GetTextMetricsW(m_hAttribDC, tm); }

    CPoint MoveTo(int x, int y) {
        POINT p;
        ::MoveToEx(m_hDC, x, y, &p);
        return p;
    }
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
    BOOL Rectangle(LPCRECT r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
    BOOL RoundRect(LPCRECT r, POINT corner) {
        return ::RoundRect(m_hDC, r->left, r->top, r->right, r->bottom, corner.x, corner.y);
    }
    BOOL Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
    BOOL Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
    void FillRect(LPCRECT r, CBrush* brush) { ::FillRect(m_hDC, r, static_cast<HBRUSH>(brush->GetSafeHandle())); }
    void FrameRect(LPCRECT r, CBrush* brush) { ::FrameRect(m_hDC, r, static_cast<HBRUSH>(brush->GetSafeHandle())); }
    BOOL FillRgn(CRgn* region, CBrush* brush) {
        return ::FillRgn(m_hDC, static_cast<HRGN>(region->GetSafeHandle()),
                         static_cast<HBRUSH>(brush->GetSafeHandle()));
    }
    BOOL FrameRgn(CRgn* region, CBrush* brush, int width, int height) {
        return ::FrameRgn(m_hDC, static_cast<HRGN>(region->GetSafeHandle()),
                          static_cast<HBRUSH>(brush->GetSafeHandle()), width, height);
    }
    // Fills with a colour without touching the selected brush (the
    // background colour is restored afterwards).
    void FillSolidRect(LPCRECT r, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
        RECT r = {x, y, x + cx, y + cy};
        FillSolidRect(&r, color);
    }
    void Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight);
    BOOL DrawEdge(LPRECT r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, r, edge, flags); }
    void DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
    BOOL DrawFrameControl(LPRECT r, UINT type, UINT state) { return ::DrawFrameControl(m_hDC, r, type, state); }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIcon(POINT p, HICON icon) { return ::DrawIcon(m_hDC, p.x, p.y, icon); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int xSrc, int ySrc, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src->GetSafeHdc(), xSrc, ySrc, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int xSrc, int ySrc, int wSrc, int hSrc, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, w, h, src->GetSafeHdc(), xSrc, ySrc, wSrc, hSrc, rop);
    }
    BOOL TransparentBlt(int x, int y, int w, int h, CDC* src, int xSrc, int ySrc, int wSrc, int hSrc, UINT transparent);

protected:
    // Puts the original objects back into the DC before it is given up.
    void RestoreSelections();

private:
    CGdiObject* SelectGdiObject(CGdiObject* object);
};
