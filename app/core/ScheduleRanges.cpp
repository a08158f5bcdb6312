#include "ScheduleRanges.h"

#include "DeviceListIds.h"

namespace {

const int kMaxChannelIndex = 255;

void ClampTime(uint8_t& hour, uint8_t& minute, bool& changed) {
    if (hour > 23) {
        hour = 23;
        minute = 59;
        changed = true;
    }
    if (minute > 59) {
        minute = 59;
        changed = true;
    }
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// All zero is "no date"; otherwise a date and time the calendar has.
bool IsRealMoment(const SCHEDULE_END_TIME& end) {
    if (end.Year == 0 && end.Month == 0 && end.Day == 0 && end.Hour == 0 && end.Minute == 0 && end.Second == 0)
        return true;
    if (end.Year < 1970 || end.Year > 3000 || end.Month < 1 || end.Month > 12) return false;
    return end.Day >= 1 && end.Day <= DaysInMonth(end.Year, end.Month) && end.Hour <= 23 && end.Minute <= 59 &&
           end.Second <= 59;
}

}  // namespace

bool FitScheduleRanges(BACKUP_SCHEDULE& schedule, bool& changed) {
    if (schedule.DevID < kMinDeviceId || schedule.DevID > kMaxKeptDeviceId) return false;
    if (schedule.ChannelIndex < 0 || schedule.ChannelIndex > kMaxChannelIndex) return false;
    // A day code beyond the table names no day: the list leaves its cell
    // empty and the scheduler skips it. The manual one would pass an
    // automatic schedule off as a manual download.
    if (schedule.AgoType == kManualAgoType) return false;
    for (TIME_RANGE* range : {&schedule.RunTime, &schedule.RecordTime}) {
        ClampTime(range->FHour, range->FMinute, changed);
        ClampTime(range->THour, range->TMinute, changed);
    }
    if (!IsRealMoment(schedule.EndTime)) {
        schedule.EndTime.Clear();
        changed = true;
    }
    return true;
}
