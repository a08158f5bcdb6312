#include "CDateTimeCtrl.h"

IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)

DWORD CDateTimeCtrl::GetTime(CTime& time) const {
    SYSTEMTIME st = {};
    DWORD result = DateTime_GetSystemtime(m_hWnd, &st);
    if (result == GDT_VALID) time = CTime(st);
    return result;
}

BOOL CDateTimeCtrl::SetTime(const CTime* time) {
    SYSTEMTIME st = {};
    if (!time) return DateTime_SetSystemtime(m_hWnd, GDT_NONE, &st);
    if (!time->GetAsSystemTime(st)) return FALSE;
    return DateTime_SetSystemtime(m_hWnd, GDT_VALID, &st);
}

BOOL CDateTimeCtrl::SetRange(const CTime* minTime, const CTime* maxTime) {
    SYSTEMTIME range[2] = {};
    DWORD flags = 0;
    if (minTime && minTime->GetAsSystemTime(range[0])) flags |= GDTR_MIN;
    if (maxTime && maxTime->GetAsSystemTime(range[1])) flags |= GDTR_MAX;
    return DateTime_SetRange(m_hWnd, flags, range);
}
