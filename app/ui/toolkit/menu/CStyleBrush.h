// A menu-bar background brush: solid, or for kinds 8 and 10 a gradient
// pattern as wide as the screen (uniform beyond 700 pixels).
#pragma once

#include <afxwin.h>

class CStyleBrush : public CBrush {
public:
    CStyleBrush(int kind, COLORREF from, COLORREF to);
    BOOL Matches(int k, COLORREF f, COLORREF t) const { return kind == k && from == f && to == t; }

    int kind;
    COLORREF from;
    COLORREF to;
};
