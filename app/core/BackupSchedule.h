// The records of a backup schedule: TIME_RANGE, SCHEDULE_END_TIME and
// BACKUP_SCHEDULE. Plain records, copied whole between the schedule store,
// the engine and the dialogs, so their layouts are fixed.
#pragma once

#include <afx.h>

#include <cstddef>
#include <cstdint>

const int kDaysPerWeek = 7;

// Ids of 0x8000000 and above are manual schedules; 0x8000000 itself marks a
// download that belongs to no schedule.
const int32_t kManualScheduleIdBase = 0x8000000;
// AgoType of a manual schedule, whose day is its end time's date.
const int32_t kManualAgoType = 256;

// Run states of one weekday (DayState).
enum : int32_t {
    kDayIdle = 0,
    kDayStarted = 1,
    kDayDone = 2,
    kDayEnded = 3,
    kDayEndedOther = 4  // never set; tested like kDayEnded
};

// A time-of-day window. A start or end of 1440 minutes or more is clamped to
// 23:59 when read, and the clamp is written back into the record.
struct TIME_RANGE {
    uint8_t FHour;
    uint8_t FMinute;
    uint8_t THour;
    uint8_t TMinute;

    void Clear();
    // Start / end as hour * 60 + minute, after the clamp.
    int GetStartMinutes();
    int GetEndMinutes();
    // "%02d:%02d" of the start / end, after the clamp.
    CString FormatStart();
    CString FormatEnd();
    // Local time on 2000-01-01 at the start / end, second 0, after the clamp.
    CTime GetStartTime();
    CTime GetEndTime();
    // Applies the clamp to both ends.
    void ClampBoth();
};

struct SCHEDULE_END_TIME {
    int32_t Year;
    uint8_t Month;
    uint8_t Day;
    uint8_t Hour;
    uint8_t Minute;
    uint8_t Second;

    void Clear();
};

// The days back of an automatic schedule's AgoType 0..9; -1 for any other.
int DaysBackOfAgoType(int agoType);
// The local date `days` calendar days before `now`, at noon. Counted on the
// calendar, not in 24-hour steps: around a daylight-saving change a day has
// 23 or 25 hours, and a step of 86,400 seconds lands on the wrong date in
// the hour after midnight.
CTime CalendarDaysBack(const CTime& now, int days);

struct BACKUP_SCHEDULE {
    int32_t id;
    int32_t DevID;
    int32_t ChannelIndex;
    TIME_RANGE RunTime;
    int32_t WeekDayEnable[kDaysPerWeek];  // index 0 = Sunday
    int32_t AgoType;
    TIME_RANGE RecordTime;
    SCHEDULE_END_TIME EndTime;
    int32_t DayState[kDaysPerWeek];  // manual schedules use index 0 only

    // Every field 0.
    BACKUP_SCHEDULE();

    bool IsManual() const { return id >= kManualScheduleIdBase; }
};

static_assert(sizeof(TIME_RANGE) == 4, "TIME_RANGE is copied as four bytes");
static_assert(sizeof(SCHEDULE_END_TIME) == 12, "SCHEDULE_END_TIME layout");
static_assert(sizeof(BACKUP_SCHEDULE) == 92, "BACKUP_SCHEDULE is copied whole");
static_assert(offsetof(BACKUP_SCHEDULE, RunTime) == 12 && offsetof(BACKUP_SCHEDULE, AgoType) == 44 &&
                  offsetof(BACKUP_SCHEDULE, EndTime) == 52 && offsetof(BACKUP_SCHEDULE, DayState) == 64,
              "BACKUP_SCHEDULE field offsets");
