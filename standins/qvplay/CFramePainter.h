// Draws decoded pictures into a port's windows: the play window shows the
// whole picture or region 0's part of it; regions 1.. add further views.
// Each view has its own colour adjustment and margins. Called from the
// port's thread and from callers' threads; it keeps no state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "sdk/qvplay/qvplay.h"

// One decoded picture: palette indexes, rows top to bottom.
struct DecodedPicture {
    std::vector<uint8_t> pixels;
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t index = 0;
    int64_t timestampMs = 0;
};
typedef std::shared_ptr<const DecodedPicture> PicturePtr;

struct ViewRegion {
    bool enabled = false;
    RECT source = {0, 0, 0, 0};  // picture pixels
    HWND window = nullptr;       // none: the play window
    int adjust[4] = {QVPLAY_ADJUST_NEUTRAL, QVPLAY_ADJUST_NEUTRAL, QVPLAY_ADJUST_NEUTRAL, QVPLAY_ADJUST_NEUTRAL};
    RECT margin = {0, 0, 0, 0};  // window pixels left free on each side
};

struct DisplaySettings {
    HWND playWindow = nullptr;
    int scaleMode = QVPLAY_SCALE_STRETCH;
    ViewRegion regions[QVPLAY_MAX_REGIONS];
};

class CFramePainter {
public:
    // Draws the picture into every view; parts of a view the picture does
    // not cover are painted black. With no picture, `clear` paints the views
    // black and otherwise nothing is drawn. Dead windows are skipped. Never throws.
    static void Paint(const DisplaySettings& settings, const DecodedPicture* picture, bool clear);
    // The stream palette through brightness, contrast, saturation and hue
    // (each 0..QVPLAY_ADJUST_MAX, QVPLAY_ADJUST_NEUTRAL = unchanged).
    static void AdjustedPalette(const int adjust[4], RGBQUAD palette[256]);
    // Where a source of srcW x srcH lands inside `area` for the scale mode.
    static RECT PlaceInside(const RECT& area, LONG srcW, LONG srcH, int scaleMode);
};
