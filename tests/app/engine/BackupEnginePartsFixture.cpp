#include "BackupEnginePartsFixture.h"

RECORD_FILE_DESC Desc(int channel, int hour, int minute, int lengthMinutes, uint8_t type) {
    CTime day = CTime::GetCurrentTime();
    RECORD_FILE_DESC desc = {};
    desc.channel = (uint32_t)channel;
    desc.start = {(uint32_t)day.GetYear(), (uint32_t)day.GetMonth(), (uint32_t)day.GetDay(),
                  (uint32_t)hour,          (uint32_t)minute,         0};
    desc.end = desc.start;
    desc.end.minute += (uint32_t)lengthMinutes;
    desc.recordType = type;
    return desc;
}

CString DaysAgo(int days) { return (CTime::GetCurrentTime() - CTimeSpan(days, 0, 0, 0)).Format(L"%Y-%m-%d %H:%M:%S"); }
