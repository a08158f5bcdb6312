// A rectangle over RECT: right and bottom are exclusive, as in Windows.
#pragma once

#include "CPoint.h"

class CRect : public tagRECT {
public:
    CRect() { SetRectEmpty(); }
    CRect(int l, int t, int r, int b) { SetRect(l, t, r, b); }
    CRect(const RECT& r) { CopyRect(&r); }
    CRect(const RECT* r) {
        if (r)
            CopyRect(r);
        else
            SetRectEmpty();
    }
    CRect(POINT topLeft, SIZE size) { SetRect(topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy); }
    CRect(POINT topLeft, POINT bottomRight) { SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y); }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const { return *reinterpret_cast<const CPoint*>(&left); }
    const CPoint& BottomRight() const { return *reinterpret_cast<const CPoint*>(&right); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    // Empty: no area (width or height not positive). Null: all four zero.
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    BOOL PtInRect(POINT p) const { return ::PtInRect(this, p); }
    BOOL EqualRect(LPCRECT r) const { return ::EqualRect(this, r); }

    void SetRect(int l, int t, int r, int b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void CopyRect(LPCRECT r) { SetRect(r->left, r->top, r->right, r->bottom); }
    void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }
    void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
    void InflateRect(int l, int t, int r, int b) {
        left -= l;
        top -= t;
        right += r;
        bottom += b;
    }
    void InflateRect(LPCRECT r) { InflateRect(r->left, r->top, r->right, r->bottom); }
    void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
    void DeflateRect(SIZE s) { DeflateRect(s.cx, s.cy); }
    void DeflateRect(int l, int t, int r, int b) {
        left += l;
        top += t;
        right -= r;
        bottom -= b;
    }
    void DeflateRect(LPCRECT r) { DeflateRect(r->left, r->top, r->right, r->bottom); }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
    void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
    void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
    void MoveToX(int x) { OffsetRect(x - left, 0); }
    void MoveToY(int y) { OffsetRect(0, y - top); }
    void NormalizeRect() {
        if (left > right) {
            LONG t = left;
            left = right;
            right = t;
        }
        if (top > bottom) {
            LONG t = top;
            top = bottom;
            bottom = t;
        }
    }
    // FALSE (and an empty result) when the two do not overlap.
    BOOL IntersectRect(LPCRECT a, LPCRECT b) { return ::IntersectRect(this, a, b); }
    BOOL UnionRect(LPCRECT a, LPCRECT b) { return ::UnionRect(this, a, b); }
    BOOL SubtractRect(LPCRECT a, LPCRECT b) { return ::SubtractRect(this, a, b); }

    CRect& operator=(const RECT& r) {
        CopyRect(&r);
        return *this;
    }
    bool operator==(const RECT& r) const { return ::EqualRect(this, &r) != 0; }
    bool operator!=(const RECT& r) const { return !(*this == r); }
    CRect& operator+=(POINT p) {
        OffsetRect(p);
        return *this;
    }
    CRect& operator+=(SIZE s) {
        OffsetRect(s);
        return *this;
    }
    CRect& operator-=(POINT p) {
        OffsetRect(-p.x, -p.y);
        return *this;
    }
    CRect& operator-=(SIZE s) {
        OffsetRect(-s.cx, -s.cy);
        return *this;
    }
    CRect& operator&=(const RECT& r) {
        ::IntersectRect(this, this, &r);
        return *this;
    }
    CRect& operator|=(const RECT& r) {
        ::UnionRect(this, this, &r);
        return *this;
    }
    CRect operator+(POINT p) const {
        CRect r(*this);
        r += p;
        return r;
    }
    CRect operator-(POINT p) const {
        CRect r(*this);
        r -= p;
        return r;
    }
    CRect operator+(SIZE s) const {
        CRect r(*this);
        r += s;
        return r;
    }
    CRect operator-(SIZE s) const {
        CRect r(*this);
        r -= s;
        return r;
    }
    CRect operator&(const RECT& other) const {
        CRect r;
        ::IntersectRect(&r, this, &other);
        return r;
    }
    CRect operator|(const RECT& other) const {
        CRect r;
        ::UnionRect(&r, this, &other);
        return r;
    }
};
