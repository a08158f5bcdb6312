// The temporary files that a whole-file save of the program's own stored
// files leaves behind when the program is ended during the save.
#pragma once

#include <afx.h>

// Deletes every "<name>.<digits>.tmp" in the directory whose name is one of
// the program's stored files (settings, device list, schedules, users).
// Call it before anything in the directory is saved. Returns how many went.
int RemoveStaleTemporaries(const CString& directory);
