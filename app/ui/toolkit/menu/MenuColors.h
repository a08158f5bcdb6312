// Colour arithmetic of the owner-drawn menus (COLORREF 0x00BBGGRR, per
// channel) and the screen's colour count that decides between blended and
// plain system colours.
#pragma once

#include <windows.h>

COLORREF BlendColor(COLORREF a, COLORREF b, int alpha);
COLORREF BrightenColor(int add, COLORREF c);
COLORREF LightenColor(int amount, COLORREF c);
BOOL IsLightColor(COLORREF c);
COLORREF GrayColor(COLORREF c);
COLORREF MixColor70(COLORREF a, COLORREF b);
COLORREF MixColor86(COLORREF a, COLORREF b);
COLORREF DarkenColor(int amount, COLORREF c);
COLORREF ShadowColor(COLORREF c);

// NUMCOLORS of the screen, read once; "more than 256" reads as 64000.
int GetScreenColorCount();
// Tests stand in a palette screen; 0 goes back to the real count.
void SetScreenColorCountForTest(int count);
// The screen's nearest colour of c (a palette screen rounds it).
COLORREF NearestScreenColor(COLORREF c);
