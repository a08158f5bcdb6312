// Save directories, disk space and record clean-up of the backup engine.
#include "app/engine/CBackupEngine.h"

#include "app/core/CAppConfig.h"
#include "app/core/CAutoLock.h"
#include "app/core/FileUtil.h"
#include "app/core/TextValues.h"

namespace {

const ULONGLONG kBytesPerMB = 1048576;
const int kCleanupRowLimit = 200;
const int kLowDriveMB = 200;
const int64_t kCleanupStopKB = 102400;

std::vector<CString> SplitDirectoryList(CString directories) {
    directories.TrimRight(L';');
    directories += L";";
    std::vector<CString> pieces, out;
    SplitString(directories, L';', pieces);
    for (const CString& piece : pieces) {
        if (!piece.IsEmpty()) out.push_back(piece);
    }
    return out;
}

ULONGLONG FreeMegabytes(const CString& directory) { return GetFreeDiskBytes(GetPathDrive(directory)) / kBytesPerMB; }

bool DriveHasFreeBytes(const CString& drive) { return GetFreeDiskBytes(drive) > 0; }

}  // namespace

CString* CBackupEngine::SelectSaveDirectory(CString* out, CString directories, int update) {
    const ULONGLONG limit = (ULONGLONG)(int64_t)GetAppConfig()->m_nDriveFreeSpaceLimit;
    std::vector<CString> list = SplitDirectoryList(directories);
    int full = 1;
    ULONGLONG best = 0;
    CString chosen;
    for (const CString& directory : list) {
        if (GetPathDrive(directory).IsEmpty()) continue;
        ULONGLONG freeMB = FreeMegabytes(directory);
        if ((int64_t)freeMB > (int64_t)limit) full = 0;
        if (freeMB > best) {
            best = freeMB;
            chosen = directory;
        }
    }
    if (update) m_diskFull = full;
    if (chosen.IsEmpty() && !list.empty()) chosen = list.front();
    *out = chosen;
    return out;
}

int CBackupEngine::CheckDiskSpace() {
    CAppConfig* config = GetAppConfig();
    CString chosen;
    // One copy for the whole pass: a login may replace the list meanwhile.
    const CString saveDirs = config->GetSaveDirs();
    SelectSaveDirectory(&chosen, saveDirs, 1);
    if (m_diskFull && config->m_nDriveOverMode == 1) return 0;
    return DeleteOldestRecords(saveDirs);
}

int CBackupEngine::DeleteOldestRecords(CString directories) {
    const int64_t limit = GetAppConfig()->m_nDriveFreeSpaceLimit;
    std::vector<CString> list = SplitDirectoryList(directories);
    bool allFull = true;
    std::vector<CString> lowDrives;
    for (const CString& directory : list) {
        CString drive = GetPathDrive(directory);
        if (drive.IsEmpty()) continue;
        int64_t freeMB = (int64_t)FreeMegabytes(directory);
        if (freeMB > limit) {
            allFull = false;
        } else if (freeMB >= kLowDriveMB) {
            lowDrives.push_back(drive);
        } else if (DriveHasFreeBytes(drive)) {
            RECORD_LIST_ROWS rows;
            m_recordList.QueryByPathPrefix(rows, kCleanupRowLimit, drive);
            RunCleanupRows(rows);
        }
    }
    if (allFull && !lowDrives.empty()) {
        RECORD_LIST_ROWS rows;
        m_recordList.QueryByPathPrefixes(rows, kCleanupRowLimit, lowDrives);
        RunCleanupRows(rows);
    }
    return 0;
}

int CBackupEngine::DeleteExpiredRecords() {
    CAppConfig* config = GetAppConfig();
    std::vector<CString> drives;
    for (const CString& directory : SplitDirectoryList(config->GetSaveDirs())) {
        CString drive = GetPathDrive(directory);
        if (!drive.IsEmpty() && DriveHasFreeBytes(drive)) drives.push_back(drive);
    }
    if (drives.empty()) return 0;
    int days = config->m_nAutoDeleteDay;
    if (days < 1 || days > 255) return 0;
    CTime cutOff = CTime::GetCurrentTime() - CTimeSpan(days, 0, 0, 0);
    RECORD_LIST_ROWS rows;
    m_recordList.QueryOlderByPathPrefixes(rows, kCleanupRowLimit, cutOff.Format(L"%Y-%m-%d") + L" 23:59:59", drives);
    RunCleanupRows(rows);
    return 0;
}

void CBackupEngine::RunCleanupRows(const RECORD_LIST_ROWS& rows) {
    int64_t freedKB = 0;
    for (const RECORD_LIST_ROW& row : rows) {
        if (IsFileInBackupCopy(row.C_FilePath) || IsFileInUse(row.C_FilePath) ||
            m_taskQueue->FindTaskByPath(row.C_FilePath))
            continue;
        int deleted = DeleteFileChecked(row.C_FilePath);
        if (deleted == -2) continue;  // refused: the row stays with its file
        if (deleted == 0) freedKB += row.L_FileLen;
        // A row the record list keeps would list a file that is gone; stop
        // before deleting more, the next pass takes the row up again.
        if (m_recordList.DeleteRow(row) != 0) break;
        if (freedKB > kCleanupStopKB) break;
    }
}

int CBackupEngine::IsFileInUse(CString path) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const RECORD_SOURCE& source = m_slots[slot].source;
        if (source.itemType == SOURCE_ITEM_LOCAL && path.CompareNoCase(CString(source.path)) == 0) return 1;
        SLOT_PLAYLIST& playlist = m_playlists[slot];
        CAutoLock guard(&playlist.lock);
        for (const RECORD_SOURCE& item : playlist.items) {
            if (path.CompareNoCase(CString(item.path)) == 0) return 1;
        }
    }
    return 0;
}

int CBackupEngine::AddBackupCopyFile(const BACKUP_COPY_ITEM& item) {
    CAutoLock guard(&m_backupCopyLock);
    m_backupCopies.push_back(item);
    return 0;
}

int CBackupEngine::IsFileInBackupCopy(CString path) {
    CAutoLock guard(&m_backupCopyLock);
    for (const BACKUP_COPY_ITEM& item : m_backupCopies) {
        if (item.sourceFile == path) return 1;
    }
    return 0;
}

int CBackupEngine::GetBackupCopyCount() {
    CAutoLock guard(&m_backupCopyLock);
    return (int)m_backupCopies.size();
}

CString CBackupEngine::GetFirstBackupCopyFile() {
    BACKUP_COPY_ITEM item;
    return PeekFirstBackupCopy(&item) ? item.sourceFile : CString();
}

bool CBackupEngine::PeekFirstBackupCopy(BACKUP_COPY_ITEM* out) {
    CAutoLock guard(&m_backupCopyLock);
    if (m_backupCopies.empty()) return false;
    *out = m_backupCopies.front();
    return true;
}

int CBackupEngine::RemoveFirstBackupCopyFile() {
    CAutoLock guard(&m_backupCopyLock);
    if (!m_backupCopies.empty()) m_backupCopies.pop_front();
    return 0;
}

int CBackupEngine::ClearBackupCopyFiles() {
    CAutoLock guard(&m_backupCopyLock);
    m_backupCopies.clear();
    return 0;
}
