// CDiskKeeper: where recordings are saved and how the disks are kept from
// filling up. It picks the save directory with the most free space (and
// notes when every one is below the configured limit), names new record
// and picture files, and deletes the oldest or expired recordings together
// with their record-list rows, sparing the files its CRecordFileUse says
// are still needed (a slot plays them, a conversion writes them, the backup
// copy has yet to copy them).
//
// Lock: m_passLock keeps clean-up passes (the maintenance thread's and any
// other caller's) to one at a time, so two passes never work on the same
// rows. Held across file deletions and database writes; the locks of the
// file-use answer (the slots', the copy list's, the conversion queue's) and
// the record list's are taken inside it, and none of them is ever held when
// it is taken.
#pragma once

#include <afx.h>

#include "common/CLock.h"
#include "app/core/CRecordListDB.h"
#include "app/engine/CRecordFileUse.h"
#include "app/engine/CTargetNamer.h"
#include "app/engine/DEVICE_RECORD.h"

class CDiskKeeper : public CTargetNamer {
public:
    CDiskKeeper(CRecordListDB& records, CRecordFileUse& fileUse);
    CDiskKeeper(const CDiskKeeper&) = delete;
    CDiskKeeper& operator=(const CDiskKeeper&) = delete;

    // The listed directory (";"-separated) on the drive with the most free
    // space, else the first one; empty for an empty list. With update, notes
    // whether every directory is at or below the free-space limit.
    CString SelectSaveDirectory(const CString& directories, int update);
    int IsDiskFull() const override { return m_diskFull; }
    // 0 with the full path of a new file in the dated directory tree (mode 1
    // download, 2 picture, else record); -1 when no save directory can be
    // chosen.
    int MakeTargetFileName(const DEVICE_RECORD* dev, int channel, const CTime* begin, CString kind, CString* outPath,
                           int mode, CString recordTypeText) override;
    int CheckDiskSpace();                                 // 0
    int DeleteOldestRecords(const CString& directories);  // 0
    int DeleteExpiredRecords();                           // 0

private:
    void RunCleanupRows(const RECORD_LIST_ROWS& rows);

    CRecordListDB& m_records;
    CRecordFileUse& m_fileUse;
    volatile LONG m_diskFull = 0;
    CLock m_passLock;
};
