// BACKUP_COPY_ITEM: one record file that the record manager copies to a
// backup directory; clean-up never deletes a file while it is listed.
#pragma once

#include <afx.h>

struct BACKUP_COPY_ITEM {
    CString sourceFile;
    CString targetDir;
    CString message;  // why the copy failed, filled by the copy thread
};
