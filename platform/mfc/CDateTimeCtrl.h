// A date and time picker control.
#pragma once

#include "CTime.h"
#include "CWnd.h"

class CDateTimeCtrl : public CWnd {
    DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(DATETIMEPICK_CLASSW, nullptr, style, rect, parent, id);
    }

    // GDT_VALID with the time, GDT_NONE when a check-box picker is
    // unchecked (time untouched), GDT_ERROR on failure.
    DWORD GetTime(CTime& time) const;
    DWORD GetTime(LPSYSTEMTIME time) const { return DateTime_GetSystemtime(m_hWnd, time); }
    // NULL unchecks a check-box picker. FALSE on failure.
    BOOL SetTime(const CTime* time);
    BOOL SetTime(LPSYSTEMTIME time) { return DateTime_SetSystemtime(m_hWnd, time ? GDT_VALID : GDT_NONE, time); }
    BOOL SetFormat(LPCWSTR format) { return DateTime_SetFormat(m_hWnd, format); }
    BOOL SetRange(const CTime* minTime, const CTime* maxTime);
};
