#include "app/engine/CDiskKeeper.h"

#include "app/core/CAppConfig.h"
#include "common/CAutoLock.h"
#include "app/core/FileNameRule.h"
#include "app/core/FileUtil.h"
#include "app/core/TextValues.h"

namespace {

const ULONGLONG kBytesPerMB = 1048576;
const int kCleanupRowLimit = 200;
const int kLowDriveMB = 200;
const int64_t kCleanupStopKB = 102400;
const int kMultiPlayChannel = 999;

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

CDiskKeeper::CDiskKeeper(CRecordListDB& records, CRecordFileUse& fileUse) : m_records(records), m_fileUse(fileUse) {}

CString CDiskKeeper::SelectSaveDirectory(const CString& directories, int update) {
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
    return chosen;
}

int CDiskKeeper::MakeTargetFileName(const DEVICE_RECORD* dev, int channel, const CTime* begin, CString kind,
                                    CString* outPath, int mode, CString recordTypeText) {
    CAppConfig* config = GetAppConfig();
    CString rule, directories;
    int update = 1;
    if (mode == 1) {
        rule = config->GetDownloadNameRule();
        directories = config->GetSaveDirs();
    } else if (mode == 2) {
        rule = config->GetCapturePicNameRule();
        directories = config->GetCapturePicDir();
        update = 0;
    } else {
        rule = config->GetRecordNameRule();
        directories = config->GetSaveDirs();
    }
    CString directory = SelectSaveDirectory(directories, update);
    if (directory.IsEmpty()) return -1;
    directory.TrimRight(L'\\');
    directory += L"\\";

    CString deviceId, channelNumber, channelName;
    deviceId.Format(L"%d", dev->id);
    if (channel > kMultiPlayChannel) {
        channelNumber = L"1000";
        channelName = L"MultiPlay";
    } else {
        channelNumber.Format(L"%d", channel + 1);
        // A channel index outside the record's table has no name.
        if (channel >= 0 && channel < kMaxChannels) channelName = CString(dev->channels[channel].name);
    }
    CString title(dev->title);
    CString subDirectory =
        directory + begin->Format(L"%Y-%m-%d") + L"\\" + FolderNameOf(title, deviceId) + L"\\" + channelNumber + L"\\";
    if (!recordTypeText.IsEmpty()) subDirectory += recordTypeText + L"\\";
    CreateDirectoryPath(subDirectory);

    CString name =
        ExpandNameRule(rule, deviceId, channelNumber, title, channelName, kind, begin->GetTime(), recordTypeText);
    CString candidate = name;
    for (int n = 0; FileExistsInDir(candidate, subDirectory) == 1; ++n) candidate.Format(L"(%d)%s", n, (LPCWSTR)name);
    *outPath = JoinPath(subDirectory, candidate);
    return 0;
}

int CDiskKeeper::CheckDiskSpace() {
    CAppConfig* config = GetAppConfig();
    // One copy for the whole pass: a login may replace the list meanwhile.
    const CString saveDirs = config->GetSaveDirs();
    SelectSaveDirectory(saveDirs, 1);
    if (m_diskFull && config->m_nDriveOverMode == 1) return 0;
    return DeleteOldestRecords(saveDirs);
}

int CDiskKeeper::DeleteOldestRecords(const CString& directories) {
    CAutoLock pass(&m_passLock);
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
            m_records.QueryByPathPrefix(rows, kCleanupRowLimit, drive);
            RunCleanupRows(rows);
        }
    }
    if (allFull && !lowDrives.empty()) {
        RECORD_LIST_ROWS rows;
        m_records.QueryByPathPrefixes(rows, kCleanupRowLimit, lowDrives);
        RunCleanupRows(rows);
    }
    return 0;
}

int CDiskKeeper::DeleteExpiredRecords() {
    CAppConfig* config = GetAppConfig();
    std::vector<CString> drives;
    for (const CString& directory : SplitDirectoryList(config->GetSaveDirs())) {
        CString drive = GetPathDrive(directory);
        if (!drive.IsEmpty() && DriveHasFreeBytes(drive)) drives.push_back(drive);
    }
    if (drives.empty()) return 0;
    int days = config->m_nAutoDeleteDay;
    if (days < 1 || days > 255) return 0;
    CAutoLock pass(&m_passLock);
    CTime cutOff = CTime::GetCurrentTime() - CTimeSpan(days, 0, 0, 0);
    RECORD_LIST_ROWS rows;
    m_records.QueryOlderByPathPrefixes(rows, kCleanupRowLimit, cutOff.Format(L"%Y-%m-%d") + L" 23:59:59", drives);
    RunCleanupRows(rows);
    return 0;
}

void CDiskKeeper::RunCleanupRows(const RECORD_LIST_ROWS& rows) {
    int64_t freedKB = 0;
    for (const RECORD_LIST_ROW& row : rows) {
        if (m_fileUse.IsRecordFileInUse(row.C_FilePath)) continue;
        int deleted = DeleteFileChecked(row.C_FilePath);
        if (deleted == -2) continue;  // refused: the row stays with its file
        if (deleted == 0) freedKB += row.L_FileLen;
        // A row the record list keeps would list a file that is gone; stop
        // before deleting more, the next pass takes the row up again.
        if (m_records.DeleteRow(row) != 0) break;
        if (freedKB > kCleanupStopKB) break;
    }
}
