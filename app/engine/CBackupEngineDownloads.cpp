// Download tasks of the backup engine and the one-second download runner.
#include "app/engine/CBackupEngine.h"

#include <algorithm>

#include "app/core/CAppConfig.h"
#include "app/core/CAutoLock.h"
#include "app/core/FileNameRule.h"
#include "app/core/FileUtil.h"
#include "app/engine/RecordTime.h"

namespace {

const int kMultiPlayChannel = 999;

bool SameFields(const QVNET_TIME& a, const QVNET_TIME& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

bool HasValidDates(const RECORD_FILE_DESC& desc) { return IsValidQvnetDate(desc.start) && IsValidQvnetDate(desc.end); }

// Valid dates compare as times (a field past its range, such as second 60,
// names the same time as the next minute); a descriptor with an invalid date
// stands for no time and equals only one with the very same fields.
bool SameRecording(const RECORD_TASK& task, int deviceId, const RECORD_FILE_DESC& desc, const CTime& begin,
                   const CTime& end) {
    const RECORD_FILE_DESC& other = task.source.desc;
    if (task.source.deviceId != deviceId || other.channel != desc.channel) return false;
    if (SameFields(other.start, desc.start) && SameFields(other.end, desc.end)) return true;
    return HasValidDates(other) && HasValidDates(desc) && FromQvnetTime(other.start) == begin &&
           FromQvnetTime(other.end) == end;
}

// I_Type of a record-list row from the descriptor's marker byte.
int RowTypeOf(uint8_t marker) {
    if (marker == 0) return 0;
    if (marker == 1 || marker == 2) return 1;
    return 3;
}

CString RecordTypeText(uint8_t marker) {
    switch (marker) {
        case 0: return L"Normal";
        case 1: case 2: return L"Alarm";
        case 3: case 4: return L"Other";
        default: return CString();
    }
}

bool IsFinished(const RECORD_TASK& task) {
    uint32_t size = task.source.desc.sizeKB;
    return size != 0 && (task.source.done >= size || task.source.done == kSourceDone);
}

CString NowText() { return CTime::GetCurrentTime().Format(L"%Y-%m-%d %H:%M:%S"); }

}  // namespace

int CBackupEngine::GetConcurrentLimit() {
    CAutoLock guard(&m_engineLock);
    return m_concurrentLimit;
}

void CBackupEngine::SetConcurrentLimit(int limit) {
    CAutoLock guard(&m_engineLock);
    m_concurrentLimit = limit;
}

int CBackupEngine::AddDownloadTask(int deviceId, const RECORD_FILE_DESC* desc, int scheduleId, int weekday) {
    CTime begin = FromQvnetTime(desc->start);
    CTime end = FromQvnetTime(desc->end);
    CAutoLock guard(&m_engineLock);
    // Ids come from every task, so an id is never handed out twice while a
    // task that carries it still exists.
    int highest = 0;
    auto visit = [&](RECORD_TASK& task) -> bool {
        highest = std::max(highest, (int)task.taskId);
        if (!SameRecording(task, deviceId, *desc, begin, end)) return false;
        if (scheduleId >= kNoScheduleId && task.scheduleId < kNoScheduleId) task.scheduleId = scheduleId;
        return true;
    };
    for (RECORD_TASK& task : m_active) {
        if (visit(task)) return -1;
    }
    for (RECORD_TASK& task : m_pending) {
        if (visit(task)) return -1;
    }
    RECORD_TASK task;
    task.state = 0;
    task.taskId = highest + 1;
    task.source.itemType = SOURCE_ITEM_NONE;
    task.source.deviceId = deviceId;
    task.source.channel = (int32_t)desc->channel;
    task.source.sdkHandle = 0;
    task.source.playState = 0;
    task.source.desc = *desc;
    task.scheduleId = scheduleId;
    task.weekday = weekday;
    m_pending.push_back(task);
    return 0;
}

int CBackupEngine::TakeNextPendingTask(const std::vector<int>& busyDeviceIds, RECORD_TASK* out) {
    CAutoLock guard(&m_engineLock);
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (std::find(busyDeviceIds.begin(), busyDeviceIds.end(), it->source.deviceId) != busyDeviceIds.end()) continue;
        *out = *it;
        m_pending.erase(it);
        return 0;
    }
    return -1;
}

int CBackupEngine::TakeNextPendingTaskByChannel(const std::vector<int>& busyKeys, RECORD_TASK* out) {
    CAutoLock guard(&m_engineLock);
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        int key = it->source.deviceId * 10000 + (int)it->source.desc.channel;
        if (std::find(busyKeys.begin(), busyKeys.end(), key) != busyKeys.end()) continue;
        *out = *it;
        m_pending.erase(it);
        return 0;
    }
    return -1;
}

int CBackupEngine::RunDownloads() {
    if (m_shutDown) return 0;
    if (RetireOneFinished() == 0) return 0;
    StartPendingDownloads();
    return 0;
}

// 0 when a finished download was retired (nothing else runs in that step),
// -1 when none had finished.
int CBackupEngine::RetireOneFinished() {
    RECORD_TASK task;
    {
        CAutoLock guard(&m_engineLock);
        auto it = std::find_if(m_active.begin(), m_active.end(), IsFinished);
        if (it == m_active.end()) return -1;
        task = *it;
        m_active.erase(it);
    }
    m_replay->Control(task.source.sdkHandle, REPLAY_KIND_DOWNLOAD, REPLAY_CMD_STOP, 0);
    const RECORD_FILE_DESC& desc = task.source.desc;
    RECORD_LIST_ROW row;
    row.L_DevID = task.source.deviceId;
    row.I_ChannelIndex = (int)desc.channel;
    row.I_Type = RowTypeOf(desc.recordType);
    row.C_StartTime = FormatQvnetTime(desc.start);
    row.C_EndTime = FormatQvnetTime(desc.end);
    row.I_FileType = 0;
    row.C_FilePath = CString(task.source.path);
    row.L_FileLen = (int)task.source.total;
    row.C_UpdateTime = NowText();
    row.I_RecType = desc.recordKind;
    if (m_recordList.Insert(row) < 0) DeleteFileChecked(row.C_FilePath);
    FinishScheduleIfIdle(task.scheduleId, task.weekday);
    return 0;
}

bool CBackupEngine::IsChannelInSlotsOrPlaylists(int deviceId, int channel) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const RECORD_SOURCE& source = m_slots[slot].source;
        if (source.itemType == SOURCE_ITEM_DEVICE && source.deviceId == deviceId && (int)source.desc.channel == channel)
            return true;
    }
    for (SLOT_PLAYLIST& playlist : m_playlists) {
        CAutoLock guard(&playlist.lock);
        if (playlist.items.empty()) continue;
        const RECORD_SOURCE& first = playlist.items.front();
        if (first.itemType == SOURCE_ITEM_DEVICE && first.deviceId == deviceId && (int)first.desc.channel == channel)
            return true;
    }
    return false;
}

void CBackupEngine::StartPendingDownloads() {
    std::vector<int> busy;
    int free;
    {
        CAutoLock guard(&m_engineLock);
        if ((int)m_active.size() >= m_concurrentLimit) return;
        if (m_diskFull && GetAppConfig()->m_nDriveOverMode == 1) return;
        for (const RECORD_TASK& task : m_active) busy.push_back(task.source.deviceId);
        free = m_concurrentLimit - (int)m_active.size();
    }
    for (int n = 0; n < free; ++n) {
        RECORD_TASK task;
        if (TakeNextPendingTask(busy, &task) != 0) return;
        busy.push_back(task.source.deviceId);
        const RECORD_FILE_DESC& desc = task.source.desc;
        if (IsRecordInDb(task.source.deviceId, (int)desc.channel, &desc) == 1) {
            FinishScheduleIfIdle(task.scheduleId, task.weekday);
            continue;
        }
        CAutoLock guard(&m_engineLock);
        if (task.source.sdkHandle != 0) continue;  // its start failed for good
        if (IsChannelInSlotsOrPlaylists(task.source.deviceId, (int)desc.channel) ||
            m_taskQueue->FindTaskByDescriptor(task.source.deviceId, desc, 1)) {
            m_pending.push_back(task);
            return;
        }
        DEVICE_RECORD device = m_devices.GetDevice(task.source.deviceId);
        CTime begin = FromQvnetTime(desc.start);
        CString path;
        if (MakeTargetFileName(&device, (int)desc.channel, &begin, L"DOWNLOAD", &path, 1,
                               RecordTypeText(desc.recordType)) == -1) {
            guard.Unlock();
            FinishScheduleIfIdle(task.scheduleId, task.weekday);
            continue;
        }
        guard.Unlock();
        int handle = m_replay->DownloadToFile(device.loginHandle, desc, path);
        guard.Lock();
        if (handle == -1) {
            m_pending.push_back(task);
        } else if (handle == -2) {
            task.source.sdkHandle = -1;
            m_pending.push_back(task);
        } else {
            task.state = 1;
            task.source.sdkHandle = handle;
            CStringA narrow(path);
            strncpy(task.source.path, narrow, 512);
            task.source.path[512] = 0;
            m_active.push_back(task);
        }
    }
}

int CBackupEngine::IsRecordInDb(int deviceId, int channel, const RECORD_FILE_DESC* desc) {
    CString begin = FormatQvnetTime(desc->start);
    CString end = FormatQvnetTime(desc->end);
    RECORD_LIST_ROWS rows;
    m_recordList.QueryByFilter(rows, 1, L"", L"", L"", L"", L"", L"", deviceId, channel, -1, -1, L"", L"", -1, -1,
                               -1, -1, L"", L"");
    for (const RECORD_LIST_ROW& row : rows) {
        if (row.C_StartTime == begin && row.C_EndTime == end && row.I_RecType == desc->recordKind) return 1;
    }
    return 0;
}

int CBackupEngine::MakeTargetFileName(const DEVICE_RECORD* dev, int channel, const CTime* begin, CString kind,
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
    CString directory;
    SelectSaveDirectory(&directory, directories, update);
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
    CString subDirectory = directory + begin->Format(L"%Y-%m-%d") + L"\\" + title + L"\\" + channelNumber + L"\\";
    if (!recordTypeText.IsEmpty()) subDirectory += recordTypeText + L"\\";
    CreateDirectoryPath(subDirectory);

    CString name =
        ExpandNameRule(rule, deviceId, channelNumber, title, channelName, kind, begin->GetTime(), recordTypeText);
    CString candidate = name;
    for (int n = 0; FileExistsInDir(candidate, subDirectory) == 1; ++n) candidate.Format(L"(%d)%s", n, (LPCWSTR)name);
    *outPath = JoinPath(subDirectory, candidate);
    return 0;
}

int CBackupEngine::FinishScheduleIfIdle(int scheduleId, int weekday) {
    CAutoLock guard(&m_engineLock);
    auto ofSchedule = [scheduleId](const RECORD_TASK& task) { return task.scheduleId == scheduleId; };
    if (std::any_of(m_active.begin(), m_active.end(), ofSchedule) ||
        std::any_of(m_pending.begin(), m_pending.end(), ofSchedule))
        return 0;
    m_schedules.SetDayEnded(scheduleId, weekday);
    if (m_schedules.GetManualCount() < 1 && m_manualOn) m_manualOn = 0;
    return 0;
}

int CBackupEngine::StopTask(int taskId) {
    RECORD_TASK task;
    bool found = false;
    {
        CAutoLock guard(&m_engineLock);
        auto active = std::find_if(m_active.begin(), m_active.end(),
                                   [taskId](const RECORD_TASK& t) { return t.taskId == taskId; });
        if (active != m_active.end()) {
            task = *active;
            m_active.erase(active);
            found = true;
        } else {
            auto pending = std::find_if(m_pending.begin(), m_pending.end(),
                                        [taskId](const RECORD_TASK& t) { return t.taskId == taskId; });
            if (pending != m_pending.end()) {
                task = *pending;
                m_pending.erase(pending);
                found = true;
            }
        }
    }
    if (found && task.source.sdkHandle != 0) StopDownloadAndDelete(task);
    return 0;
}

void CBackupEngine::StopDownloadAndDelete(const RECORD_TASK& task) {
    if (task.source.sdkHandle > 0)
        m_replay->Control(task.source.sdkHandle, REPLAY_KIND_DOWNLOAD, REPLAY_CMD_STOP, 0);
    if (task.source.path[0]) DeleteFileChecked(CString(task.source.path));
}

int CBackupEngine::GetAllTasks(std::vector<RECORD_TASK>* out) {
    CAutoLock guard(&m_engineLock);
    out->insert(out->end(), m_active.begin(), m_active.end());
    out->insert(out->end(), m_pending.begin(), m_pending.end());
    return 0;
}

int CBackupEngine::CountTasksBySchedule(std::map<int, int>* counts) {
    CAutoLock guard(&m_engineLock);
    for (const RECORD_TASK& task : m_active) ++(*counts)[task.scheduleId];
    for (const RECORD_TASK& task : m_pending) ++(*counts)[task.scheduleId];
    return 0;
}

int CBackupEngine::GetChannelUse(int deviceId, const RECORD_FILE_DESC* desc) {
    int channel = (int)desc->channel;
    {
        CAutoLock guard(&m_engineLock);
        if (IsChannelInSlotsOrPlaylists(deviceId, channel)) return CHANNEL_IN_SLOT;
        for (const RECORD_TASK& task : m_active) {
            if (task.source.deviceId == deviceId && (int)task.source.desc.channel == channel &&
                task.source.sdkHandle != 0)
                return CHANNEL_DOWNLOADING;
        }
    }
    if (m_taskQueue->FindTaskByDescriptor(deviceId, *desc, 1)) return CHANNEL_CONVERTING;
    return CHANNEL_FREE;
}

void CBackupEngine::AddRecordRowForTask(const RECORD_TASK& task, const CString& path, int length, int type,
                                        int withSource) {
    RECORD_LIST_ROW row;
    row.L_DevID = task.source.deviceId;
    row.I_ChannelIndex = task.source.channel;
    row.I_Type = type;
    row.I_FileType = 0;
    row.C_StartTime = FormatQvnetTime(task.source.desc.start);
    row.C_EndTime = NowText();
    row.C_UpdateTime = row.C_EndTime;
    row.C_FilePath = path;
    row.L_FileLen = length;
    if (withSource) {
        row.L_SrcDevID = task.srcDeviceId;
        row.I_SrcChannelIndex = task.srcChannel;
    }
    m_recordList.Insert(row);
}
