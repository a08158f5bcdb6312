// The schedule the engine's tests back up by.
#pragma once

#include "app/core/BackupSchedule.h"

// An automatic schedule running all day, every weekday, for the device
// channel, over 01:00..02:00 of the day AgoType names.
inline BACKUP_SCHEDULE DaySchedule(int deviceId, int channel, int agoType = 0) {
    BACKUP_SCHEDULE schedule;
    schedule.DevID = deviceId;
    schedule.ChannelIndex = channel;
    schedule.RunTime = {0, 0, 23, 59};
    for (int d = 0; d < kDaysPerWeek; ++d) schedule.WeekDayEnable[d] = 1;
    schedule.AgoType = agoType;
    schedule.RecordTime = {1, 0, 2, 0};
    return schedule;
}
