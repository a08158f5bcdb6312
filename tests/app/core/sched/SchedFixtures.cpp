#include "SchedFixtures.h"

TIME_RANGE Range(int fromHour, int fromMinute, int toHour, int toMinute) {
    TIME_RANGE range;
    range.FHour = static_cast<uint8_t>(fromHour);
    range.FMinute = static_cast<uint8_t>(fromMinute);
    range.THour = static_cast<uint8_t>(toHour);
    range.TMinute = static_cast<uint8_t>(toMinute);
    return range;
}

BACKUP_SCHEDULE MakeSchedule(int devId, int channel, TIME_RANGE runTime, std::initializer_list<int> weekdays,
                             int agoType) {
    BACKUP_SCHEDULE schedule;
    schedule.DevID = devId;
    schedule.ChannelIndex = channel;
    schedule.RunTime = runTime;
    for (int day : weekdays) schedule.WeekDayEnable[day] = 1;
    schedule.AgoType = agoType;
    return schedule;
}

std::vector<int> IdsOf(const std::vector<BACKUP_SCHEDULE>& schedules) {
    std::vector<int> ids;
    for (const BACKUP_SCHEDULE& schedule : schedules) ids.push_back(schedule.id);
    return ids;
}

std::wstring Wide(const CString& text) {
    return std::wstring(text.GetString());
}

bool SetReadOnly(const std::wstring& path, bool readOnly) {
    return SetFileAttributesW(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != FALSE;
}
