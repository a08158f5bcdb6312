// Set-up that tests and benchmarks of the program's windows share: the
// program pointed at a user folder of their own, and schedules to write
// there. Header only: it needs the engine, which only the programs that
// include it link.
#pragma once

#include <afx.h>

#include "app/core/BackupSchedule.h"
#include "app/core/CAppConfig.h"
#include "app/engine/CBackupEngine.h"

// The configuration pointed at `folder` as the folder of the super user
// "admin" (program and user files, device.xml and backupschedule.xml there,
// at most maxDevices devices); the engine's user list emptied, with "admin"
// as its current user.
inline void UseAdminUserFolder(const CString& folder, int maxDevices) {
    CAppConfig* config = GetAppConfig();
    config->m_strSuperUserID = L"admin";
    config->m_strUserDir = folder + L"\\";
    config->m_strModuleDir = folder + L"\\";
    config->m_strDeviceFile = folder + L"\\device.xml";
    config->m_strScheduleFile = folder + L"\\backupschedule.xml";
    config->m_nDevMaxCount = maxDevices;
    CBackupEngine& engine = GetBackupEngine();
    engine.Users().Clear();
    engine.Users().m_CurrentUser = USER_INFO();
    engine.Users().m_CurrentUser.id = L"admin";
}

// A schedule of the channel for every day of the week: it runs from 1:00 to
// 23:00 and backs up what was recorded from 8:30 to 17:45 on the day agoType
// names.
inline BACKUP_SCHEDULE DailySchedule(int devId, int channel, int agoType = 1) {
    BACKUP_SCHEDULE schedule;
    schedule.DevID = devId;
    schedule.ChannelIndex = channel;
    schedule.RunTime = {1, 0, 23, 0};
    schedule.RecordTime = {8, 30, 17, 45};
    for (int day = 0; day < kDaysPerWeek; ++day) schedule.WeekDayEnable[day] = 1;
    schedule.AgoType = agoType;
    return schedule;
}
