#include "CTime.h"

#include <wchar.h>

CTime CTime::GetCurrentTime() { return CTime(_time64(nullptr)); }

BOOL CTime::IsValidFILETIME(const FILETIME& ft) {
    SYSTEMTIME st;
    return FileTimeToSystemTime(&ft, &st);
}

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst) {
    struct tm fields = {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = dst;
    m_time = _mktime64(&fields);
}

CTime::CTime(const SYSTEMTIME& st, int dst)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, dst) {}

CTime::CTime(const FILETIME& ft, int dst) : m_time(-1) {
    // A FILETIME is UTC: go through local time so the fields read back alike.
    FILETIME local;
    SYSTEMTIME st;
    if (FileTimeToLocalFileTime(&ft, &local) && FileTimeToSystemTime(&local, &st)) *this = CTime(st, dst);
}

bool CTime::GetLocalTm(struct tm* out) const { return out && _localtime64_s(out, &m_time) == 0; }

bool CTime::GetGmtTm(struct tm* out) const { return out && _gmtime64_s(out, &m_time) == 0; }

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const {
    struct tm fields;
    if (!GetLocalTm(&fields)) return false;
    st.wYear = static_cast<WORD>(fields.tm_year + 1900);
    st.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    st.wDay = static_cast<WORD>(fields.tm_mday);
    st.wHour = static_cast<WORD>(fields.tm_hour);
    st.wMinute = static_cast<WORD>(fields.tm_min);
    st.wSecond = static_cast<WORD>(fields.tm_sec);
    st.wMilliseconds = 0;
    return true;
}

int CTime::LocalField(int tm::*field, int offset) const {
    struct tm fields;
    return GetLocalTm(&fields) ? fields.*field + offset : 0;
}

int CTime::GetYear() const { return LocalField(&tm::tm_year, 1900); }
int CTime::GetMonth() const { return LocalField(&tm::tm_mon, 1); }
int CTime::GetDay() const { return LocalField(&tm::tm_mday); }
int CTime::GetHour() const { return LocalField(&tm::tm_hour); }
int CTime::GetMinute() const { return LocalField(&tm::tm_min); }
int CTime::GetSecond() const { return LocalField(&tm::tm_sec); }
int CTime::GetDayOfWeek() const { return LocalField(&tm::tm_wday, 1); }

CString CTime::FormatTm(LPCWSTR format, const struct tm& fields) {
    if (!format || !*format) return CString();
    // wcsftime gives 0 both for "too small" and for an empty result; grow
    // until the text fits or the buffer is clearly larger than any format.
    for (size_t size = 128; size <= 65536; size *= 4) {
        CString out;
        wchar_t* buffer = out.GetBuffer(static_cast<int>(size));
        size_t n = wcsftime(buffer, size, format, &fields);
        out.ReleaseBuffer(static_cast<int>(n));
        if (n > 0) return out;
    }
    return CString();
}

CString CTime::Format(LPCWSTR format) const {
    struct tm fields;
    return GetLocalTm(&fields) ? FormatTm(format, fields) : CString();
}

CString CTime::FormatGmt(LPCWSTR format) const {
    struct tm fields;
    return GetGmtTm(&fields) ? FormatTm(format, fields) : CString();
}
