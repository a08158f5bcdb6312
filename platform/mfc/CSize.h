// A width and height (or an offset) over SIZE.
#pragma once

#include <windows.h>

class CSize : public tagSIZE {
public:
    CSize() {
        cx = 0;
        cy = 0;
    }
    CSize(int width, int height) {
        cx = width;
        cy = height;
    }
    CSize(SIZE s) {
        cx = s.cx;
        cy = s.cy;
    }
    CSize(POINT p) {
        cx = p.x;
        cy = p.y;
    }
    explicit CSize(DWORD packed) {
        cx = static_cast<short>(LOWORD(packed));
        cy = static_cast<short>(HIWORD(packed));
    }

    bool operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(SIZE s) const { return !(*this == s); }
    CSize& operator+=(SIZE s) {
        cx += s.cx;
        cy += s.cy;
        return *this;
    }
    CSize& operator-=(SIZE s) {
        cx -= s.cx;
        cy -= s.cy;
        return *this;
    }
    CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
    CSize operator-() const { return CSize(-cx, -cy); }
    void SetSize(int width, int height) {
        cx = width;
        cy = height;
    }
};
