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

std::wstring Wide(const CString& text) { return std::wstring(text.GetString()); }

bool SetReadOnly(const std::wstring& path, bool readOnly) {
    return SetFileAttributesW(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != FALSE;
}

const char kSavedScheduleFile[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n"
    "<AutoBackupSchedule>\r\n"
    "    <BackupSchedule DevID=\"1002\" ChannelIndex=\"3\" Complete=\"3\" AgoType=\"2\">\r\n"
    "        <BackupScheduleRunTime FHour=\"8\" FMinute=\"0\" THour=\"9\" TMinute=\"30\" />\r\n"
    "        <BackupScheduleDeviceRecordTime FHour=\"1\" FMinute=\"2\" THour=\"3\" TMinute=\"4\" />\r\n"
    "        <BackupScheduleEndTime Year=\"2024\" Month=\"5\" Day=\"6\" Hour=\"7\" Minute=\"8\" Second=\"9\" />\r\n"
    "        <WeekDayInfo WeekDay=\"0\" Enable=\"1\" />\r\n"
    "        <WeekDayInfo WeekDay=\"3\" Enable=\"1\" />\r\n"
    "    </BackupSchedule>\r\n"
    "</AutoBackupSchedule>\r\n"
    "<ManualBackupSchedule>\r\n"
    "    <BackupSchedule DevID=\"1005\" ChannelIndex=\"1\" AgoType=\"256\">\r\n"
    "        <BackupScheduleDeviceRecordTime FHour=\"10\" FMinute=\"0\" THour=\"11\" TMinute=\"0\" />\r\n"
    "    </BackupSchedule>\r\n"
    "</ManualBackupSchedule>\r\n";
