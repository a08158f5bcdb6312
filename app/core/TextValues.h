// Small values read out of setting texts: lists, colours, rectangles, sizes,
// times. Numbers are trimmed and read in base 10; text that is not a number
// reads as 0. Stateless.
#pragma once

#include <afx.h>

#include <cstddef>

#include <cstdint>
#include <ctime>
#include <vector>

// Appends each piece that ends at a separator (empty pieces too); the piece
// after the last separator is dropped. A text without any separator is
// appended whole. Returns 0.
int SplitString(const CString& text, wchar_t separator, std::vector<CString>& pieces);

// "r,g,b" -> COLORREF (red in the low byte, each part cut to 8 bits); "" -> 0.
// A missing comma leaves the parts before it 0: "200" is blue 200.
COLORREF ParseColor(const CString& text);
void ParseColorRGB(const CString& text, int* red, int* green, int* blue);
// "l,t,r,b" -> rectangle; "" -> all zeros.
RECT ParseRect(const CString& text);
// "cx,cy" -> size; "" -> zeros.
SIZE ParseSize(const CString& text);
// "x,y" -> point.
POINT ParseIntPair(const CString& text);

struct SIX_INT_VALUES {
    int32_t values[6];
};
// Six comma-separated integers.
SIX_INT_VALUES ParseSixInts(const CString& text);

// Appends "hh:mm" as "%02d:%02d" writes it, without a formatted print: list
// fills write one or two a row.
void AppendClockText(CString& text, int hour, int minute);

// "YYYY-MM-DD HH:MM:SS" (local time) -> time value. Returns 2000-01-01
// 12:00:00 local time for an empty text or any part out of range (year below
// 2000, month 1-12, day 1-31, hour 0-23, minute and second 0-59); a day past
// the month's end rolls into the next month.
__time64_t ParseTimeString(const CString& text);
// The same for a text in the ANSI code page, as a database column holds it.
__time64_t ParseTimeString(const char* text, size_t length);
// The local time of the parts (normalised as mktime does: a day past the
// month's end rolls over); -1 when it cannot be represented.
__time64_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second);
