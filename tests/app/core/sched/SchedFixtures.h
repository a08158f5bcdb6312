// Small builders shared by the schedule and user tests.
#pragma once

#include <afx.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/core/BackupSchedule.h"

// What Save writes for an automatic schedule of device 1002 (channel 3,
// 08:00-09:30 on Sunday and Wednesday, AgoType 2, record window 01:02-03:04,
// end time 2024-05-06 07:08:09, Sunday ended) and a manual one of device 1005
// (channel 1, record window 10:00-11:00).
extern const char kSavedScheduleFile[];

TIME_RANGE Range(int fromHour, int fromMinute, int toHour, int toMinute);
// An automatic-looking schedule enabled on the given weekdays (0 = Sunday).
BACKUP_SCHEDULE MakeSchedule(int devId, int channel, TIME_RANGE runTime, std::initializer_list<int> weekdays,
                             int agoType = 0);
std::vector<int> IdsOf(const std::vector<BACKUP_SCHEDULE>& schedules);
std::wstring Wide(const CString& text);
// Makes a file read-only (or writable again); true on success.
bool SetReadOnly(const std::wstring& path, bool readOnly);
