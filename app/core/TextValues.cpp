#include "TextValues.h"

#include <cwchar>

namespace {

int ReadNumber(CString piece) {
    piece.Trim();
    return static_cast<int>(wcstol(piece, nullptr, 10));
}

// Cuts the trimmed text into count numbers at successive commas; the last
// runs to the end. When a comma is missing the remaining middle parts stay
// 0 and the last number is the rest of the text.
void ParseNumbers(const CString& text, int* numbers, int count) {
    CString trimmed = text;
    trimmed.Trim();
    for (int i = 0; i < count; ++i) numbers[i] = 0;
    int pos = 0;
    for (int i = 0; i + 1 < count; ++i) {
        int comma = trimmed.Find(L',', pos);
        if (comma < 0) break;
        numbers[i] = ReadNumber(trimmed.Mid(pos, comma - pos));
        pos = comma + 1;
    }
    numbers[count - 1] = ReadNumber(trimmed.Mid(pos));
}

// The text up to the separator from pos on (all the rest when there is none).
CString CutAt(const CString& text, wchar_t separator, int& pos) {
    int end = text.Find(separator, pos);
    if (end < 0) end = text.GetLength();
    CString piece = text.Mid(pos, end - pos);
    pos = end + 1;
    return piece;
}

}  // namespace

int SplitString(const CString& text, wchar_t separator, std::vector<CString>& pieces) {
    const size_t before = pieces.size();
    int start = 0;
    for (int found; (found = text.Find(separator, start)) >= 0; start = found + 1)
        pieces.push_back(text.Mid(start, found - start));
    if (pieces.size() == before) pieces.push_back(text);
    return 0;
}

COLORREF ParseColor(const CString& text) {
    int rgb[3];
    ParseNumbers(text, rgb, 3);
    return RGB(rgb[0] & 0xFF, rgb[1] & 0xFF, rgb[2] & 0xFF);
}

void ParseColorRGB(const CString& text, int* red, int* green, int* blue) {
    COLORREF color = ParseColor(text);
    *red = GetRValue(color);
    *green = GetGValue(color);
    *blue = GetBValue(color);
}

RECT ParseRect(const CString& text) {
    int v[4];
    ParseNumbers(text, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseSize(const CString& text) {
    int v[2];
    ParseNumbers(text, v, 2);
    return SIZE{v[0], v[1]};
}

POINT ParseIntPair(const CString& text) {
    int v[2];
    ParseNumbers(text, v, 2);
    return POINT{v[0], v[1]};
}

SIX_INT_VALUES ParseSixInts(const CString& text) {
    int v[6];
    ParseNumbers(text, v, 6);
    SIX_INT_VALUES result;
    for (int i = 0; i < 6; ++i) result.values[i] = v[i];
    return result;
}

namespace {

__time64_t DefaultTime() { return MakeLocalTime(2000, 1, 1, 12, 0, 0); }

// The form the program writes, "YYYY-MM-DD HH:MM:SS" with every digit in
// place, read without cutting the text: a month of the log holds 100 000
// entries of three times each. False for any other form.
template <typename Char>
bool ReadWrittenTime(const Char* text, size_t length, __time64_t& time) {
    static const char kForm[] = "dddd-dd-dd dd:dd:dd";
    if (length != sizeof(kForm) - 1) return false;
    int digits[14];
    int count = 0;
    for (size_t i = 0; i < length; ++i) {
        const Char c = text[i];
        if (kForm[i] != 'd') {
            if (c != static_cast<Char>(kForm[i])) return false;
        } else if (c < '0' || c > '9') {
            return false;
        } else {
            digits[count++] = c - '0';
        }
    }
    const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    const int month = digits[4] * 10 + digits[5], day = digits[6] * 10 + digits[7];
    const int hour = digits[8] * 10 + digits[9], minute = digits[10] * 10 + digits[11];
    const int second = digits[12] * 10 + digits[13];
    const bool valid = year >= 2000 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 &&
                       minute <= 59 && second <= 59;
    time = valid ? MakeLocalTime(year, month, day, hour, minute, second) : DefaultTime();
    return true;
}

}  // namespace

__time64_t ParseTimeString(const CString& text) {
    __time64_t time;
    if (ReadWrittenTime(text.GetString(), static_cast<size_t>(text.GetLength()), time)) return time;
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed.IsEmpty()) return DefaultTime();
    int pos = 0;
    const int year = ReadNumber(CutAt(trimmed, L'-', pos));
    const int month = ReadNumber(CutAt(trimmed, L'-', pos));
    const int day = ReadNumber(CutAt(trimmed, L' ', pos));
    const int hour = ReadNumber(CutAt(trimmed, L':', pos));
    const int minute = ReadNumber(CutAt(trimmed, L':', pos));
    const int second = ReadNumber(trimmed.Mid(pos));
    bool valid = year >= 2000 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 && hour <= 23 &&
                 minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
    return valid ? MakeLocalTime(year, month, day, hour, minute, second) : DefaultTime();
}

__time64_t ParseTimeString(const char* text, size_t length) {
    __time64_t time;
    if (ReadWrittenTime(text, length, time)) return time;
    return ParseTimeString(CString(CStringA(text, static_cast<int>(length))));
}

__time64_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
    struct tm parts = {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return _mktime64(&parts);
}

void AppendClockText(CString& text, int hour, int minute) {
    if (hour < 0 || hour > 99 || minute < 0 || minute > 99) {
        text.AppendFormat(L"%02d:%02d", hour, minute);
        return;
    }
    const wchar_t clock[] = {static_cast<wchar_t>(L'0' + hour / 10), static_cast<wchar_t>(L'0' + hour % 10), L':',
                             static_cast<wchar_t>(L'0' + minute / 10), static_cast<wchar_t>(L'0' + minute % 10)};
    text.Append(clock, 5);
}
