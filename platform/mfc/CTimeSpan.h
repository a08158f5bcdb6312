// A signed length of time in whole seconds.
#pragma once

#include <windows.h>

class CTimeSpan {
public:
    CTimeSpan() : m_span(0) {}
    CTimeSpan(__time64_t seconds) : m_span(seconds) {}
    CTimeSpan(LONG days, int hours, int minutes, int seconds)
        : m_span(((static_cast<__time64_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

    LONGLONG GetDays() const { return m_span / (24 * 3600); }
    LONGLONG GetTotalHours() const { return m_span / 3600; }
    LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    LONGLONG GetTotalMinutes() const { return m_span / 60; }
    LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
    LONGLONG GetTotalSeconds() const { return m_span; }
    LONG GetSeconds() const { return static_cast<LONG>(GetTotalSeconds() - GetTotalMinutes() * 60); }
    __time64_t GetTimeSpan() const { return m_span; }

    CTimeSpan operator+(CTimeSpan s) const { return CTimeSpan(m_span + s.m_span); }
    CTimeSpan operator-(CTimeSpan s) const { return CTimeSpan(m_span - s.m_span); }
    CTimeSpan& operator+=(CTimeSpan s) {
        m_span += s.m_span;
        return *this;
    }
    CTimeSpan& operator-=(CTimeSpan s) {
        m_span -= s.m_span;
        return *this;
    }
    bool operator==(CTimeSpan s) const { return m_span == s.m_span; }
    bool operator!=(CTimeSpan s) const { return m_span != s.m_span; }
    bool operator<(CTimeSpan s) const { return m_span < s.m_span; }
    bool operator>(CTimeSpan s) const { return m_span > s.m_span; }
    bool operator<=(CTimeSpan s) const { return m_span <= s.m_span; }
    bool operator>=(CTimeSpan s) const { return m_span >= s.m_span; }

private:
    __time64_t m_span;
};
