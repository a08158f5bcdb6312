// The flat draw styles: the border edge and the popup background follow the
// menu's own colours.
#pragma once

#include "CMenuTheme.h"

class CMenuThemeXP : public CMenuTheme {
public:
    using CMenuTheme::CMenuTheme;
    BOOL PaintBorder(HWND window, HDC dc, BOOL after) override;
    BOOL EraseBackground(HWND window, HDC dc) override;
};
