// A point over POINT.
#pragma once

#include "CSize.h"

class CPoint : public tagPOINT {
public:
    CPoint() {
        x = 0;
        y = 0;
    }
    CPoint(int px, int py) {
        x = px;
        y = py;
    }
    CPoint(POINT p) {
        x = p.x;
        y = p.y;
    }
    CPoint(SIZE s) {
        x = s.cx;
        y = s.cy;
    }
    // From the packed coordinates of a mouse message or GetMessagePos.
    explicit CPoint(DWORD packed) {
        x = static_cast<short>(LOWORD(packed));
        y = static_cast<short>(HIWORD(packed));
    }

    void Offset(int dx, int dy) {
        x += dx;
        y += dy;
    }
    void Offset(POINT p) { Offset(p.x, p.y); }
    void Offset(SIZE s) { Offset(s.cx, s.cy); }
    void SetPoint(int px, int py) {
        x = px;
        y = py;
    }

    bool operator==(POINT p) const { return x == p.x && y == p.y; }
    bool operator!=(POINT p) const { return !(*this == p); }
    CPoint& operator+=(SIZE s) {
        Offset(s);
        return *this;
    }
    CPoint& operator-=(SIZE s) {
        Offset(-s.cx, -s.cy);
        return *this;
    }
    CPoint& operator+=(POINT p) {
        Offset(p);
        return *this;
    }
    CPoint& operator-=(POINT p) {
        Offset(-p.x, -p.y);
        return *this;
    }
    CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
    CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
    CSize operator-(POINT p) const { return CSize(x - p.x, y - p.y); }
    CPoint operator-() const { return CPoint(-x, -y); }
};
