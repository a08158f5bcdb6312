// A moment as seconds since 1970-01-01 UTC; the field accessors and Format
// work in local time, as the program stores and shows times.
#pragma once

#include <windows.h>
#include <time.h>

#include "CStringT.h"
#include "CTimeSpan.h"

class CTime {
public:
    // The current moment (second resolution).
    static CTime GetCurrentTime();
    // TRUE when the value fits a SYSTEMTIME's range (1601..30827).
    static BOOL IsValidFILETIME(const FILETIME& ft);

    CTime() : m_time(0) {}
    CTime(__time64_t t) : m_time(t) {}
    // Local time fields; dst < 0 lets the C runtime decide daylight saving.
    // Fields out of their range are normalised (month 13 is January next
    // year); a moment the runtime cannot represent leaves the value -1.
    CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);
    CTime(const SYSTEMTIME& st, int dst = -1);
    CTime(const FILETIME& ft, int dst = -1);

    __time64_t GetTime() const { return m_time; }
    // Local time fields; FALSE (and *out untouched) for a moment the C
    // runtime cannot convert.
    bool GetLocalTm(struct tm* out) const;
    bool GetGmtTm(struct tm* out) const;
    // Local time as SYSTEMTIME; FALSE when the moment cannot be converted.
    bool GetAsSystemTime(SYSTEMTIME& st) const;

    // Local time fields; 0 for a moment that cannot be converted.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    // 1 = Sunday ... 7 = Saturday.
    int GetDayOfWeek() const;

    // strftime conventions of the Windows C runtime over local time; an
    // empty text when the moment cannot be converted.
    CString Format(LPCWSTR format) const;
    CString FormatGmt(LPCWSTR format) const;

    CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTimeSpan()); }
    CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTimeSpan()); }
    CTimeSpan operator-(CTime t) const { return CTimeSpan(m_time - t.m_time); }
    CTime& operator+=(CTimeSpan s) {
        m_time += s.GetTimeSpan();
        return *this;
    }
    CTime& operator-=(CTimeSpan s) {
        m_time -= s.GetTimeSpan();
        return *this;
    }
    bool operator==(CTime t) const { return m_time == t.m_time; }
    bool operator!=(CTime t) const { return m_time != t.m_time; }
    bool operator<(CTime t) const { return m_time < t.m_time; }
    bool operator>(CTime t) const { return m_time > t.m_time; }
    bool operator<=(CTime t) const { return m_time <= t.m_time; }
    bool operator>=(CTime t) const { return m_time >= t.m_time; }

private:
    int LocalField(int tm::*field, int offset = 0) const;
    static CString FormatTm(LPCWSTR format, const struct tm& fields);

    __time64_t m_time;
};
