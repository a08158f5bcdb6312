// What the screen shows of another process's windows, read back pixel by
// pixel, and real mouse input aimed at them: the record manager's program
// tests see the recordings' pictures and the play bar's thumb as the user
// would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A window's area of the screen, 24-bit rows top to bottom.
struct ScreenArea {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;
    // 0x00RRGGBB; 0 outside the area.
    uint32_t Pixel(int x, int y) const;
};
ScreenArea CaptureScreen(HWND window);

// The second of the minute the synthetic picture shown in the video window
// spells in its row of blocks, or -1 when the window shows no such picture.
// The picture is found as the area that is not the painter's black.
int PictureSecond(HWND video);
// The visible video windows of the control, top-left pane first.
std::vector<HWND> PaneVideoWindows(HWND control);
// The centre of the play slider's thumb in the slider's client coordinates,
// found by the thumb's colours along the middle row; -1 when not seen.
int SliderThumbCentre(HWND slider);

// Real input through the system's queue: the pointer moves there (screen
// coordinates) and the left button goes down or up.
void PointerTo(int x, int y);
void LeftButton(bool down);
// A double click of the left button there, its four events stamped with one
// time: a test descheduled between them under load still double-clicks.
void DoubleClickAt(int x, int y);
