#include "app/engine/CDownloadRunner.h"

#include <algorithm>

#include "app/core/CAppConfig.h"
#include "common/CAutoLock.h"
#include "app/core/FileUtil.h"
#include "app/engine/RecordTime.h"

namespace {

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
        case 1:
        case 2: return L"Alarm";
        case 3:
        case 4: return L"Other";
        default: return CString();
    }
}

bool IsFinished(const RECORD_TASK& task) {
    const uint32_t size = task.source.desc.sizeKB;
    return task.source.done == kSourceDone || (size != 0 && task.source.done >= size);
}

CString NowText() { return CTime::GetCurrentTime().Format(L"%Y-%m-%d %H:%M:%S"); }

// Removes and copies the first task of tasks that matches; false when none does.
template <typename Tasks>
bool EraseFirst(Tasks& tasks, const std::function<bool(const RECORD_TASK&)>& match, RECORD_TASK* out) {
    auto it = std::find_if(tasks.begin(), tasks.end(), match);
    if (it == tasks.end()) return false;
    *out = *it;
    tasks.erase(it);
    return true;
}

}  // namespace

CDownloadRunner::CDownloadRunner(CDownloadTransfers& transfers, CRecordListDB& records, CBackupScheduleStore& schedules,
                                 CDeviceLookup& devices, CTargetNamer& targets, CChannelUse& channels)
    : m_transfers(transfers),
      m_records(records),
      m_schedules(schedules),
      m_devices(devices),
      m_targets(targets),
      m_channels(channels) {}

int CDownloadRunner::GetLimit() {
    CAutoLock guard(&m_lock);
    return m_limit;
}

void CDownloadRunner::SetLimit(int limit) {
    CAutoLock guard(&m_lock);
    m_limit = limit;
}

int CDownloadRunner::Add(int deviceId, const RECORD_FILE_DESC* desc, int scheduleId, int weekday) {
    CTime begin = FromQvnetTime(desc->start);
    CTime end = FromQvnetTime(desc->end);
    CAutoLock guard(&m_lock);
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

int CDownloadRunner::TakeNextPending(const std::vector<int>& busyDeviceIds, RECORD_TASK* out) {
    CAutoLock guard(&m_lock);
    return EraseFirst(
               m_pending,
               [&](const RECORD_TASK& task) {
                   return std::find(busyDeviceIds.begin(), busyDeviceIds.end(), task.source.deviceId) ==
                          busyDeviceIds.end();
               },
               out)
               ? 0
               : -1;
}

int CDownloadRunner::TakeNextPendingByChannel(const std::vector<int>& busyKeys, RECORD_TASK* out) {
    CAutoLock guard(&m_lock);
    return EraseFirst(
               m_pending,
               [&](const RECORD_TASK& task) {
                   int key = task.source.deviceId * 10000 + (int)task.source.desc.channel;
                   return std::find(busyKeys.begin(), busyKeys.end(), key) == busyKeys.end();
               },
               out)
               ? 0
               : -1;
}

void CDownloadRunner::Run() {
    RequeueFailed();
    IndexKeptRecordings();
    // The step that retires finished downloads also starts the next ones:
    // otherwise each file would cost one tick to start and another to end.
    while (RetireOneFinished() == 0) {}
    StartPending();
}

// 0 when a finished download was retired, -1 when none had finished.
int CDownloadRunner::RetireOneFinished() {
    RECORD_TASK task;
    {
        CAutoLock guard(&m_lock);
        if (!EraseFirst(m_active, IsFinished, &task)) return -1;
    }
    m_transfers.Control(task.source.sdkHandle, REPLAY_KIND_DOWNLOAD, REPLAY_CMD_STOP, 0);
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
    // A recording that arrived is never deleted for want of its row: it is
    // kept, reported, and indexed once the record list takes rows again.
    if (m_records.Insert(row) < 0) KeepUnindexed(row, task.scheduleId);
    FinishScheduleIfIdle(task.scheduleId, task.weekday);
    return 0;
}

void CDownloadRunner::KeepUnindexed(const RECORD_LIST_ROW& row, int scheduleId) {
    {
        CAutoLock guard(&m_lock);
        m_unindexed.push_back({row, scheduleId});
    }
    if (m_onIndexFailed) m_onIndexFailed(row);
}

void CDownloadRunner::IndexKeptRecordings() {
    for (;;) {
        UNINDEXED_RECORDING first;
        {
            CAutoLock guard(&m_lock);
            if (m_unindexed.empty()) return;
            first = m_unindexed.front();
        }
        // Still failing: tried again on the next step.
        if (m_records.Insert(first.row) < 0) return;
        CAutoLock guard(&m_lock);
        m_unindexed.pop_front();
    }
}

void CDownloadRunner::CountUnindexedBySchedule(std::map<int, int>* counts) {
    CAutoLock guard(&m_lock);
    for (const UNINDEXED_RECORDING& kept : m_unindexed) ++(*counts)[kept.scheduleId];
}

void CDownloadRunner::StartPending() {
    std::vector<int> busy;
    int free;
    {
        CAutoLock guard(&m_lock);
        if ((int)m_active.size() >= m_limit) return;
        if (m_targets.IsDiskFull() && GetAppConfig()->m_nDriveOverMode == 1) return;
        for (const RECORD_TASK& task : m_active) busy.push_back(task.source.deviceId);
        free = m_limit - (int)m_active.size();
    }
    for (int n = 0; n < free; ++n) {
        RECORD_TASK task;
        if (TakeNextPending(busy, &task) != 0) return;
        busy.push_back(task.source.deviceId);
        if (!StartTask(task)) return;
    }
}

bool CDownloadRunner::StartTask(RECORD_TASK task) {
    const RECORD_FILE_DESC& desc = task.source.desc;
    if (IsRecordInDb(task.source.deviceId, (int)desc.channel, &desc) == 1) {
        FinishScheduleIfIdle(task.scheduleId, task.weekday);
        return true;
    }
    if (task.source.sdkHandle != 0) {  // its start failed for good
        FinishScheduleIfIdle(task.scheduleId, task.weekday);
        return true;
    }
    if (m_channels.IsChannelPlaying(task.source.deviceId, (int)desc.channel) ||
        m_channels.IsChannelConverting(task.source.deviceId, desc)) {
        CAutoLock guard(&m_lock);
        m_pending.push_back(task);
        return false;
    }
    DEVICE_RECORD device = m_devices.GetDevice(task.source.deviceId);
    CTime begin = FromQvnetTime(desc.start);
    CString path;
    if (m_targets.MakeTargetFileName(&device, (int)desc.channel, &begin, L"DOWNLOAD", &path, 1,
                                     RecordTypeText(desc.recordType)) == -1) {
        FinishScheduleIfIdle(task.scheduleId, task.weekday);
        return true;
    }
    int handle = m_transfers.DownloadToFile(device.loginHandle, desc, path);
    CAutoLock guard(&m_lock);
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
    return true;
}

int CDownloadRunner::IsRecordInDb(int deviceId, int channel, const RECORD_FILE_DESC* desc) {
    CString begin = FormatQvnetTime(desc->start);
    CString end = FormatQvnetTime(desc->end);
    {
        // A kept recording that waits for its row is on the disk already.
        CAutoLock guard(&m_lock);
        for (const UNINDEXED_RECORDING& kept : m_unindexed) {
            const RECORD_LIST_ROW& row = kept.row;
            if (row.L_DevID == deviceId && row.I_ChannelIndex == channel && row.C_StartTime == begin &&
                row.C_EndTime == end && row.I_RecType == desc->recordKind)
                return 1;
        }
    }
    RecordFilter sameChannel;
    sameChannel.devId = deviceId;
    sameChannel.channel = channel;
    RECORD_LIST_ROWS rows;
    m_records.QueryByFilter(rows, sameChannel);
    for (const RECORD_LIST_ROW& row : rows) {
        if (row.C_StartTime == begin && row.C_EndTime == end && row.I_RecType == desc->recordKind) return 1;
    }
    return 0;
}

int CDownloadRunner::FinishScheduleIfIdle(int scheduleId, int weekday) {
    {
        CAutoLock guard(&m_lock);
        auto ofSchedule = [scheduleId](const RECORD_TASK& task) { return task.scheduleId == scheduleId; };
        if (std::any_of(m_active.begin(), m_active.end(), ofSchedule) ||
            std::any_of(m_pending.begin(), m_pending.end(), ofSchedule))
            return 0;
        m_schedules.SetDayEnded(scheduleId, weekday);
    }
    if (m_onManualDone) m_onManualDone();
    return 0;
}

bool CDownloadRunner::TakeFirst(const std::function<bool(const RECORD_TASK&)>& match, RECORD_TASK* out) {
    CAutoLock guard(&m_lock);
    return EraseFirst(m_active, match, out) || EraseFirst(m_pending, match, out);
}

int CDownloadRunner::Stop(int taskId) {
    RECORD_TASK task;
    if (!TakeFirst([taskId](const RECORD_TASK& t) { return t.taskId == taskId; }, &task)) return 0;
    if (task.source.sdkHandle != 0) StopAndDelete(task);
    // Like every other way out of the runner: a manual download whose last
    // task was stopped must end.
    FinishScheduleIfIdle(task.scheduleId, task.weekday);
    return 0;
}

void CDownloadRunner::StopAndDelete(const RECORD_TASK& task) {
    if (task.source.sdkHandle > 0) m_transfers.Control(task.source.sdkHandle, REPLAY_KIND_DOWNLOAD, REPLAY_CMD_STOP, 0);
    if (task.source.path[0]) DeleteFileChecked(CString(task.source.path));
}

void CDownloadRunner::StopScheduled() {
    std::vector<int> toStop;
    std::vector<RECORD_TASK> dropped;
    {
        CAutoLock guard(&m_lock);
        for (const RECORD_TASK& task : m_active) {
            if (!task.IsManual()) m_schedules.SetDayEnded(task.scheduleId, task.weekday);
        }
        auto automatic = [](const RECORD_TASK& task) { return !task.IsManual(); };
        SettleLocked(m_active, automatic, toStop, dropped);
        SettleLocked(m_pending, automatic, toStop, dropped);
    }
    FinishAfterStop(toStop, dropped);
}

void CDownloadRunner::StopManual() {
    std::vector<int> toStop;
    std::vector<RECORD_TASK> dropped;
    {
        CAutoLock guard(&m_lock);
        auto endStarted = [this](const RECORD_TASK& task) {
            if (task.IsManual() && task.source.sdkHandle != 0) m_schedules.SetDayEnded(task.scheduleId, 0);
        };
        std::for_each(m_active.begin(), m_active.end(), endStarted);
        std::for_each(m_pending.begin(), m_pending.end(), endStarted);
        auto manual = [](const RECORD_TASK& task) { return task.IsManual(); };
        SettleLocked(m_active, manual, toStop, dropped);
        SettleLocked(m_pending, manual, toStop, dropped);
        m_schedules.ClearManual();
    }
    FinishAfterStop(toStop, dropped);
}

void CDownloadRunner::RetireSchedule(int scheduleId) {
    std::vector<int> toStop;
    std::vector<RECORD_TASK> dropped;
    {
        CAutoLock guard(&m_lock);
        for (const RECORD_TASK& task : m_active) {
            if (task.scheduleId == scheduleId) toStop.push_back(task.taskId);
        }
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            if (it->scheduleId == scheduleId && it->source.sdkHandle == 0) {
                dropped.push_back(*it);
                it = m_pending.erase(it);
            } else {
                ++it;
            }
        }
    }
    FinishAfterStop(toStop, dropped);
}

// Tasks that match: a started one (SDK handle set) is noted for Stop, the
// others are taken out into dropped. Called under m_lock.
template <typename Tasks>
void CDownloadRunner::SettleLocked(Tasks& tasks, const std::function<bool(const RECORD_TASK&)>& match,
                                   std::vector<int>& toStop, std::vector<RECORD_TASK>& dropped) {
    for (auto it = tasks.begin(); it != tasks.end();) {
        if (!match(*it)) {
            ++it;
        } else if (it->source.sdkHandle != 0) {
            toStop.push_back(it->taskId);
            ++it;
        } else {
            dropped.push_back(*it);
            it = tasks.erase(it);
        }
    }
}

void CDownloadRunner::FinishAfterStop(const std::vector<int>& toStop, const std::vector<RECORD_TASK>& dropped) {
    for (int id : toStop) Stop(id);
    for (const RECORD_TASK& task : dropped) FinishScheduleIfIdle(task.scheduleId, task.weekday);
}

void CDownloadRunner::Requeue(const std::function<bool(const RECORD_TASK&)>& match) {
    RECORD_TASK task;
    {
        CAutoLock guard(&m_lock);
        if (!EraseFirst(m_active, match, &task)) return;
    }
    StopAndDelete(task);
    task.state = 0;
    task.source.sdkHandle = 0;
    task.source.done = 0;
    CAutoLock guard(&m_lock);
    m_pending.push_back(task);
}

void CDownloadRunner::MarkFailed(int handle) {
    CAutoLock guard(&m_lock);
    m_failedHandles.push_back(handle);
}

void CDownloadRunner::RequeueFailed() {
    std::vector<int> failed;
    {
        CAutoLock guard(&m_lock);
        failed.swap(m_failedHandles);
    }
    // A handle whose task has left meanwhile (its device went off line)
    // matches nothing.
    for (int handle : failed) {
        Requeue([handle](const RECORD_TASK& t) { return t.source.sdkHandle == handle; });
    }
}

void CDownloadRunner::RequeueDevice(int deviceId) {
    Requeue([deviceId](const RECORD_TASK& t) { return t.source.deviceId == deviceId && t.source.sdkHandle != 0; });
}

void CDownloadRunner::RequeueChannel(int deviceId, int channel) {
    Requeue([deviceId, channel](const RECORD_TASK& t) {
        return t.source.deviceId == deviceId && (int)t.source.desc.channel == channel;
    });
}

void CDownloadRunner::GetAll(std::vector<RECORD_TASK>* out) {
    CAutoLock guard(&m_lock);
    out->insert(out->end(), m_active.begin(), m_active.end());
    out->insert(out->end(), m_pending.begin(), m_pending.end());
}

void CDownloadRunner::CountBySchedule(std::map<int, int>* counts) {
    CAutoLock guard(&m_lock);
    for (const RECORD_TASK& task : m_active) ++(*counts)[task.scheduleId];
    for (const RECORD_TASK& task : m_pending) ++(*counts)[task.scheduleId];
}

bool CDownloadRunner::IsChannelDownloading(int deviceId, int channel) {
    CAutoLock guard(&m_lock);
    return std::any_of(m_active.begin(), m_active.end(), [&](const RECORD_TASK& task) {
        return task.source.deviceId == deviceId && (int)task.source.desc.channel == channel &&
               task.source.sdkHandle != 0;
    });
}

int CDownloadRunner::FindByHandle(int handle, int* deviceId, int* channel) {
    CAutoLock guard(&m_lock);
    for (const RECORD_TASK& task : m_active) {
        if (task.source.sdkHandle != handle) continue;
        *deviceId = task.source.deviceId;
        *channel = (int)task.source.desc.channel;
        return 0;
    }
    return -1;
}

void CDownloadRunner::UpdateProgress(int handle, uint32_t done, uint32_t total) {
    CAutoLock guard(&m_lock);
    for (RECORD_TASK& task : m_active) {
        if (task.source.sdkHandle != handle) continue;
        // The SDK reports the size in whole KB rounded up, so a total of 0
        // is a file without a byte: it is complete as soon as it is reported.
        task.source.done = total == 0 ? kSourceDone : done;
        task.source.total = total;
        task.source.desc.sizeKB = total;
    }
}

void CDownloadRunner::AddRecordRow(const RECORD_TASK& task, const CString& path, int length, int type, int withSource) {
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
    m_records.Insert(row);
}
