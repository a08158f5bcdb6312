// The ranges a stored automatic schedule's values must lie in: what a file
// holds beyond them is refused or clamped on load, never used or written back.
#pragma once

#include "BackupSchedule.h"

// Fits the schedule's values to their ranges. False when the schedule
// cannot be held (a device id or channel out of range, or the manual day
// code): it is refused.
// Else true, with hours past 23 and minutes past 59 of its windows clamped to
// 23:59 and an end time that names no real moment cleared; changed is set
// when anything was.
bool FitScheduleRanges(BACKUP_SCHEDULE& schedule, bool& changed);
