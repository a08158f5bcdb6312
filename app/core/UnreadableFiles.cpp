#include "UnreadableFiles.h"

#include "common/CAutoLock.h"
#include "CNoticeQueue.h"
#include "SystemUtil.h"
#include "TwMessages.h"

namespace {

// Far more than one file could ever have kept copies of in one minute.
const int kMaxNumber = 1000;

// Function statics: the engine's users file is read during static
// initialisation, before globals of this file might be built.
struct Reports {
    CNoticeQueue<UNREADABLE_FILE> notices;
    CLock listenerLock;  // a leaf
    std::function<void(const UNREADABLE_FILE&)> listener;
};

Reports& TheReports() {
    static Reports reports;
    return reports;
}

bool Exists(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Moves the companions that exist beside the file along with it.
void MoveCompanions(const CString& path, const CString& keptAs, const std::vector<CString>& suffixes) {
    for (const CString& suffix : suffixes) {
        if (Exists(path + suffix)) MoveFileExW(path + suffix, keptAs + suffix, MOVEFILE_WRITE_THROUGH);
    }
}

// Moves (or, when that is refused, copies) the file to the first free name.
// 0 moved, 1 copied, -1 neither.
int KeepUnderFreeName(const CString& path, const std::vector<CString>& suffixes, CString& keptAs) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    for (int number = 1; number <= kMaxNumber; ++number) {
        const CString name = UnreadableFileName(path, now, number);
        // Without MOVEFILE_REPLACE_EXISTING an earlier kept file is never
        // replaced: the move fails and the next number is tried.
        if (MoveFileExW(path, name, MOVEFILE_WRITE_THROUGH)) {
            keptAs = name;
            MoveCompanions(path, name, suffixes);
            return 0;
        }
        if (Exists(name)) continue;
        if (CopyFileW(path, name, TRUE)) {
            keptAs = name;
            return 1;
        }
        return -1;
    }
    return -1;
}

void Report(const UNREADABLE_FILE& file) {
    Reports& reports = TheReports();
    reports.notices.Post(file);
    std::function<void(const UNREADABLE_FILE&)> listener;
    {
        CAutoLock guard(&reports.listenerLock);
        listener = reports.listener;
    }
    if (listener) listener(file);
    PostMainWndMessage(WM_TW_UNREADABLE_FILE, 0, 0);
}

}  // namespace

CString UnreadableFileName(const CString& path, const SYSTEMTIME& when, int number) {
    CString name;
    name.Format(L"%s.unreadable-%04u%02u%02u-%02u%02u", path.GetString(), when.wYear, when.wMonth, when.wDay,
                when.wHour, when.wMinute);
    if (number >= 2) name.AppendFormat(L"-%d", number);
    return name;
}

int SetAsideUnreadableFile(const CString& path, const std::vector<CString>& companionSuffixes,
                           UNREADABLE_FILE* result) {
    UNREADABLE_FILE file;
    file.path = path;
    const int kept = KeepUnderFreeName(path, companionSuffixes, file.keptAs);
    Report(file);
    if (result) *result = file;
    return kept;
}

void SetUnreadableFileListener(const std::function<void(const UNREADABLE_FILE&)>& listener) {
    Reports& reports = TheReports();
    CAutoLock guard(&reports.listenerLock);
    reports.listener = listener;
}

std::vector<UNREADABLE_FILE> TakeUnreadableFileNotices() { return TheReports().notices.Take(); }
