// The strip along a frame's edge (or inside a floating frame) that holds
// control bars; it paints its own thin border.
#pragma once

#include "CWnd.h"

class CDC;

class CDockBar : public CWnd {
    DECLARE_DYNAMIC(CDockBar)
public:
    explicit CDockBar(BOOL floating = FALSE) : m_bFloating(floating) {}
    // A child bar of parent; style takes the bar's alignment bits.
    virtual BOOL Create(CWnd* parent, DWORD style, UINT id);
    // The bar's border (a one-pixel etched line on its inner side).
    virtual void DrawBorders(CDC* dc, CRect& rect);

    BOOL m_bFloating;
};
