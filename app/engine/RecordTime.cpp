#include "app/engine/RecordTime.h"

#include "app/core/DateAddressUtil.h"

QVNET_TIME ToQvnetTime(const CTime& time) {
    QVNET_TIME out = {};
    out.year = (uint32_t)time.GetYear();
    out.month = (uint32_t)time.GetMonth();
    out.day = (uint32_t)time.GetDay();
    out.hour = (uint32_t)time.GetHour();
    out.minute = (uint32_t)time.GetMinute();
    out.second = (uint32_t)time.GetSecond();
    return out;
}

CTime FromQvnetTime(const QVNET_TIME& time) {
    return CTime((int)time.year, (int)time.month, (int)time.day, (int)time.hour, (int)time.minute, (int)time.second,
                 -1);
}

CString FormatQvnetTime(const QVNET_TIME& time) {
    CString text;
    text.Format(L"%04d-%02d-%02d %02d:%02d:%02d", (int)time.year, (int)time.month, (int)time.day, (int)time.hour,
                (int)time.minute, (int)time.second);
    return text;
}

bool IsValidQvnetDate(const QVNET_TIME& time) { return IsValidDate(time.year, time.month, time.day) != FALSE; }
