#include "SchedulePurge.h"

#include <vector>

#include "CAppConfig.h"
#include "CBackupScheduleStore.h"
#include "CUserManager.h"
#include "FileUtil.h"

int PurgeUserSchedules(CUserManager& users, CAppConfig* config) {
    if (!config) config = GetAppConfig();
    CBackupScheduleStore store;
    if (store.Load(config->GetScheduleFile()) == 0) store.PurgeDeletedDevices(config->GetDeviceFile());
    if (users.m_CurrentUser.id != config->m_strSuperUserID) return 0;

    std::vector<USER_INFO> all;
    users.ListUsers(CString(), all);
    for (const USER_INFO& user : all) {
        const CString dir = config->ProgramDirFor(user.systemdir);
        store.ClearAuto();
        store.ClearManual();
        // A file that does not parse would load empty and be saved empty.
        if (store.Load(JoinPath(dir, L"backupschedule.xml")) != 0) continue;
        store.PurgeDeletedDevices(JoinPath(dir, L"device.xml"));
    }
    return 0;
}
