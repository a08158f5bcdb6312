#include "PartFakes.h"

#include <algorithm>

#include "app/engine/RecordTime.h"

void FakeDevices::Put(int id, bool loggedIn, int loginHandle) {
    DEVICE_RECORD record;
    record.id = id;
    CopyFixedText(record.title, "cam");
    record.loggedIn = loggedIn ? 1 : 0;
    record.loginHandle = loginHandle;
    CAutoLock guard(&m_lock);
    m_records[id] = record;
}

DEVICE_RECORD FakeDevices::GetDevice(int id) const {
    CAutoLock guard(&m_lock);
    auto found = m_records.find(id);
    return found == m_records.end() ? DEVICE_RECORD() : found->second;
}

bool FakeDevices::ReadDevice(int id, const std::function<void(const DEVICE_RECORD&)>& read) const {
    CAutoLock guard(&m_lock);
    auto found = m_records.find(id);
    if (found == m_records.end()) return false;
    read(found->second);
    return true;
}

int FakeTargets::MakeTargetFileName(const DEVICE_RECORD*, int, const CTime*, CString, CString* outPath, int, CString) {
    if (refuse) return -1;
    outPath->Format(L"%s\\%d.duz", m_folder.c_str(), ++m_made);
    return 0;
}

int FakeTransfers::DownloadToFile(int login, const RECORD_FILE_DESC&, const CString& path) {
    if (!refusals.empty()) {
        const int refusal = refusals.front();
        refusals.pop_front();
        return refusal;
    }
    const int handle = m_nextHandle++;
    WriteWholeFile(std::wstring(path), "partial");
    started.push_back({login, handle, std::wstring(path)});
    return handle;
}

int FakeTransfers::Control(int handle, int kind, int command, uint32_t) {
    if (kind == REPLAY_KIND_DOWNLOAD && command == REPLAY_CMD_STOP) stopped.push_back(handle);
    return 0;
}

int FakeSources::Start(int login, int channel, bool byTime) {
    const int handle = refuse ? -1 : m_nextHandle++;
    started.push_back({login, channel, byTime, handle});
    return handle;
}

int FakeSources::PlayByFile(int login, const RECORD_FILE_DESC& desc) { return Start(login, (int)desc.channel, false); }

int FakeSources::PlayByTime(int login, int channel, const QVNET_TIME*, const QVNET_TIME*) {
    return Start(login, channel, true);
}

int FakeSources::OpenLocalFile(const CString& path, int* sizeKB, int64_t* lengthBytes) {
    if (!PathExists(std::wstring(path))) return -1;
    opened.push_back(std::wstring(path));
    *sizeKB = 4;
    if (lengthBytes) *lengthBytes = 4096;
    return m_nextHandle++;
}

int FakeSources::Control(int handle, int kind, int command, uint32_t value) {
    commands.push_back({handle, kind, command, value});
    return 0;
}

int FakeRecordFiles::QueryRecordFiles(int, int login, int channel, const QVNET_TIME* start, const QVNET_TIME* end,
                                      const CString&, RECORD_FILE_DESC* buffer, int bufferSize, int* count) {
    CAutoLock guard(&m_lock);
    m_queries.push_back({login, channel, *start});
    if (m_failing.count(channel)) return -1;
    const CTime from = FromQvnetTime(*start);
    const CTime to = FromQvnetTime(*end);
    const int room = bufferSize / (int)sizeof(RECORD_FILE_DESC);
    *count = 0;
    // As a recorder answers: the files that overlap the window.
    for (const RECORD_FILE_DESC& file : m_files) {
        if ((int)file.channel != channel || FromQvnetTime(file.end) <= from || !(FromQvnetTime(file.start) < to))
            continue;
        if (*count == room) break;
        buffer[(*count)++] = file;
    }
    return 0;
}

void FakeRecordFiles::Add(const RECORD_FILE_DESC& desc) {
    CAutoLock guard(&m_lock);
    m_files.push_back(desc);
}

void FakeRecordFiles::FailChannel(int channel) {
    CAutoLock guard(&m_lock);
    m_failing.insert(channel);
}

std::vector<FakeRecordFiles::QUERY> FakeRecordFiles::Queries() {
    CAutoLock guard(&m_lock);
    return m_queries;
}

void FakeScheduledDownloads::SetLimit(int limit) {
    CAutoLock guard(&m_lock);
    m_limit = limit;
}

int FakeScheduledDownloads::Add(int deviceId, const RECORD_FILE_DESC* desc, int scheduleId, int weekday) {
    CAutoLock guard(&m_lock);
    m_added.push_back({deviceId, *desc, scheduleId, weekday});
    return 0;
}

int FakeScheduledDownloads::FinishScheduleIfIdle(int scheduleId, int weekday) {
    CAutoLock guard(&m_lock);
    m_finished.push_back({scheduleId, weekday});
    return 0;
}

void FakeScheduledDownloads::StopScheduled() {}
void FakeScheduledDownloads::StopManual() {}
void FakeScheduledDownloads::RetireSchedule(int) {}

std::vector<FakeScheduledDownloads::ADDED> FakeScheduledDownloads::Added() {
    CAutoLock guard(&m_lock);
    return m_added;
}

std::vector<std::pair<int, int>> FakeScheduledDownloads::Finished() {
    CAutoLock guard(&m_lock);
    return m_finished;
}

int FakeScheduledDownloads::Limit() {
    CAutoLock guard(&m_lock);
    return m_limit;
}

RECORD_FILE_DESC RecordAt(int channel, const CTime& day, int hour, int minute, int second, int lengthSeconds) {
    const CTime begins =
        CTime(day.GetYear(), day.GetMonth(), day.GetDay(), hour, minute, 0) + CTimeSpan(0, 0, 0, second);
    RECORD_FILE_DESC desc = {};
    desc.channel = (uint32_t)channel;
    desc.start = ToQvnetTime(begins);
    desc.end = ToQvnetTime(begins + CTimeSpan(0, 0, 0, lengthSeconds));
    desc.sizeKB = 8;
    return desc;
}
