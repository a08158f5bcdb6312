#include "BackupSchedule.h"

#include <cstring>

#include "app/core/TextValues.h"

namespace {

const int kMinutesPerDay = 1440;

// Returns the minutes of the day, first clamping 24:00 and later to 23:59 in
// the record itself.
int ClampedMinutes(uint8_t& hour, uint8_t& minute) {
    if (hour * 60 + minute >= kMinutesPerDay) {
        hour = 23;
        minute = 59;
    }
    return hour * 60 + minute;
}

CString FormatClamped(uint8_t& hour, uint8_t& minute) {
    ClampedMinutes(hour, minute);
    CString text;
    AppendClockText(text, hour, minute);
    return text;
}

CTime TimeOnFixedDay(uint8_t& hour, uint8_t& minute) {
    ClampedMinutes(hour, minute);
    return CTime(2000, 1, 1, hour, minute, 0);
}

}  // namespace

void TIME_RANGE::Clear() { FHour = FMinute = THour = TMinute = 0; }

int TIME_RANGE::GetStartMinutes() { return ClampedMinutes(FHour, FMinute); }

int TIME_RANGE::GetEndMinutes() { return ClampedMinutes(THour, TMinute); }

CString TIME_RANGE::FormatStart() { return FormatClamped(FHour, FMinute); }

CString TIME_RANGE::FormatEnd() { return FormatClamped(THour, TMinute); }

CTime TIME_RANGE::GetStartTime() { return TimeOnFixedDay(FHour, FMinute); }

CTime TIME_RANGE::GetEndTime() { return TimeOnFixedDay(THour, TMinute); }

void TIME_RANGE::ClampBoth() {
    GetStartMinutes();
    GetEndMinutes();
}

void SCHEDULE_END_TIME::Clear() {
    Year = 0;
    Month = Day = Hour = Minute = Second = 0;
}

BACKUP_SCHEDULE::BACKUP_SCHEDULE() {
    // The padding is cleared too, so records compare and copy byte for byte.
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
}

int DaysBackOfAgoType(int agoType) {
    static const int kDaysBack[] = {0, 1, 2, 3, 4, 5, 6, 15, 20, 30};
    return agoType >= 0 && agoType < 10 ? kDaysBack[agoType] : -1;
}

CTime CalendarDaysBack(const CTime& now, int days) {
    // Noon is never skipped or repeated by a daylight-saving change, and the
    // day field may go below 1: the conversion carries it into the months.
    return CTime(now.GetYear(), now.GetMonth(), now.GetDay() - days, 12, 0, 0);
}
