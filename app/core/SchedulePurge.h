// Removal of the backup schedules whose device no longer exists, run by the
// device dialog after it saved the device lists.
#pragma once

class CAppConfig;
class CUserManager;

// Purges the current user's backupschedule.xml against its device.xml; when
// the current user of users is the super user, also every user's pair of
// files in its own folder (a leading ".\" meaning the program folder). A user
// whose device list cannot be read or whose schedule file does not parse is
// left alone. config nullptr means GetAppConfig(). Returns 0.
int PurgeUserSchedules(CUserManager& users, CAppConfig* config = nullptr);
