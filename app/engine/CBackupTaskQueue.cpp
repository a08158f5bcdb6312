#include "app/engine/CBackupTaskQueue.h"

#include "common/CAutoLock.h"
#include "app/core/FileUtil.h"

namespace {

// Fed after the last block so the port's decoder sees the end of the stream.
const int kEndMarkerBytes = 8192;
const uint8_t kEndMarker[kEndMarkerBytes] = {};

bool IsSameSource(const BACKUP_TASK& a, const BACKUP_TASK& b) {
    if (a.type != b.type) return false;
    if (a.type == BACKUP_TASK_LOCAL) return a.sourcePath.CompareNoCase(b.sourcePath) == 0;
    return a.desc.location1 == b.desc.location1 && a.desc.location2 == b.desc.location2;
}

bool IsWaitingStatus(int status) {
    return status == TASK_CANCELLED || status == TASK_DEVICE_OFFLINE || status == TASK_CHANNEL_IN_SLOT ||
           status == TASK_CHANNEL_DOWNLOADING;
}

// Statuses that send a stopped task to the failed list (-3 included: it
// counts as a failure wherever it may come from).
bool IsFailedStatus(int status) { return status <= -2 && status >= -4; }

bool FileExistsAt(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

// What StopCurrentTask has to stop once the lock is released.
struct CBackupTaskQueue::Detached {
    int type = 0;
    int handle = 0;
    int port = -1;
};

CBackupTaskQueue::CBackupTaskQueue(CNetReplayService& replay, CPlayPortPool& ports, CTaskQueueHost& host)
    : m_replay(replay), m_ports(ports), m_host(host) {}

CBackupTaskQueue::~CBackupTaskQueue() { StopCurrentTask(); }

template <class Predicate>
void CBackupTaskQueue::WalkTasks(Which which, Predicate predicate) {
    CAutoLock lock(&m_lock);
    auto walk = [&](std::list<BACKUP_TASK>& tasks) {
        for (auto it = tasks.begin(); it != tasks.end();) {
            bool erase = false;
            const bool goOn = predicate(*it, erase);
            // The current task is only ever marked; it leaves at the next step.
            if (erase && &*it != m_current) {
                it = tasks.erase(it);
            } else {
                ++it;
            }
            if (!goOn) return false;
        }
        return true;
    };
    if (which == kFailedThenPending && !walk(m_failed)) return;
    walk(m_pending);
}

int CBackupTaskQueue::AddTask(const BACKUP_TASK& task) {
    CAutoLock lock(&m_lock);
    for (const BACKUP_TASK& queued : m_pending) {
        if (IsSameSource(queued, task)) return -1;
    }
    BACKUP_TASK added = task;
    added.status = TASK_PENDING;
    added.done = 0;
    added.size = 0;
    added.length = 0;
    added.id = ++m_counter;
    m_pending.push_back(added);
    return 0;
}

int CBackupTaskQueue::RemoveTask(const BACKUP_TASK& key) {
    if (key.id == -1) {
        // Detached under the lock, stopped after it: stopping a local source
        // waits for the pump, which may be waiting for this lock.
        CAutoLock lock(&m_lock);
        const Detached current = DetachLocked();
        Clear();
        lock.Unlock();
        StopDetached(current);
        return 0;
    }
    WalkTasks(kFailedThenPending, [&](BACKUP_TASK& task, bool& erase) {
        if (task.id != key.id) return true;
        if (&task == m_current) {
            task.status = TASK_CANCELLED;
        } else {
            erase = true;
        }
        return false;
    });
    return 0;
}

int CBackupTaskQueue::GetTask(std::vector<BACKUP_TASK>* out, BACKUP_TASK* key) {
    int result = key->id == -1 ? 0 : -1;
    WalkTasks(kFailedThenPending, [&](BACKUP_TASK& task, bool& erase) {
        if (task.status == TASK_CANCELLED) {
            erase = true;
            return true;
        }
        if (key->id == -1) {
            if (out) out->push_back(task);
            return true;
        }
        if (task.id != key->id) return true;
        *key = task;
        result = 0;
        return false;
    });
    return result;
}

int CBackupTaskQueue::FindTaskByPath(const CString& path) {
    int found = 0;
    WalkTasks(kPendingOnly, [&](BACKUP_TASK& task, bool&) {
        if (task.type == BACKUP_TASK_LOCAL && task.sourcePath.CompareNoCase(path) == 0) found = 1;
        return found == 0;
    });
    return found;
}

int CBackupTaskQueue::FindTaskByDescriptor(int deviceId, const RECORD_FILE_DESC& desc, int startedOnly) {
    int found = 0;
    WalkTasks(kPendingOnly, [&](BACKUP_TASK& task, bool&) {
        if (task.type == BACKUP_TASK_DEVICE && task.deviceId == deviceId && task.desc.channel == desc.channel &&
            (!startedOnly || task.status > 0)) {
            found = 1;
        }
        return found == 0;
    });
    return found;
}

int CBackupTaskQueue::MarkDeviceTasks(int deviceId, int available) {
    WalkTasks(kPendingOnly, [&](BACKUP_TASK& task, bool&) {
        if (task.type != BACKUP_TASK_DEVICE || task.deviceId != deviceId) return true;
        if (!available && (task.status == TASK_PENDING || task.status == TASK_RUNNING)) {
            task.status = TASK_DEVICE_OFFLINE;
        } else if (available && task.status == TASK_DEVICE_OFFLINE) {
            task.status = TASK_PENDING;
        }
        return true;
    });
    return 0;
}

int CBackupTaskQueue::RunStep() {
    {
        CAutoLock lock(&m_lock);
        if (m_current) {
            if (m_current->status == TASK_RUNNING) return 0;
            const int id = m_current->id;
            const Detached current = DetachLocked();
            lock.Unlock();
            StopDetached(current);
            lock.Lock();
            SettleStoppedTask(id);
        }
    }
    RefreshDeviceStates();
    for (int id : PendingIds()) {
        const int result = StartTask(id);
        if (result > 0) break;  // one task at a time
        CAutoLock lock(&m_lock);
        if (result == TASK_CANCELLED) {
            ErasePending(id);
        } else if (IsFailedStatus(result)) {
            MoveToFailed(id);
        }
    }
    CAutoLock lock(&m_lock);
    return m_pending.empty() && m_failed.empty() ? -1 : 1;
}

int CBackupTaskQueue::StopAll() {
    BACKUP_TASK all;
    all.id = -1;
    return RemoveTask(all);
}

int CBackupTaskQueue::OnSourceData(int handle, const uint8_t* data, int length) {
    CAutoLock lock(&m_lock);
    if (!m_current) return -1;
    if (m_starting) return 1;  // its handle is not known yet: offer it again
    if (handle != m_handle) return -1;
    if (!m_ports.InputData(m_port, data, length)) return 1;
    if (m_current->type == BACKUP_TASK_LOCAL) {
        m_current->done += length;
        if (m_current->done >= m_current->length) FinishLocked();
    }
    return 0;
}

int CBackupTaskQueue::OnSourcePosition(int handle, int64_t done, int64_t total) {
    CAutoLock lock(&m_lock);
    if (!m_current || m_starting || handle != m_handle) return -1;
    if (total <= 0) {
        m_current->status = TASK_OUTPUT_FAILED;
        return 0;
    }
    m_current->size = static_cast<int>(total);
    m_current->done = done;
    if (done >= total) FinishLocked();
    return 0;
}

int CBackupTaskQueue::MakeUniqueFileName(CString& path) {
    if (!FileExistsAt(path)) return 0;
    const CString name = GetFileNameFromPath(path);
    const CString folder = GetPathDirectory(path);
    for (int n = 1;; ++n) {
        CString candidate;
        candidate.Format(L"%s(%d)%s", static_cast<const wchar_t*>(folder), n, static_cast<const wchar_t*>(name));
        if (candidate.GetLength() > MAX_PATH) return -1;
        if (!FileExistsAt(candidate)) {
            path = candidate;
            return 0;
        }
    }
}

int CBackupTaskQueue::StartTask(int id) {
    BACKUP_TASK task;
    {
        CAutoLock lock(&m_lock);
        BACKUP_TASK* pending = FindPending(id);
        if (!pending) return 0;
        if (IsWaitingStatus(pending->status)) return pending->status;
        m_current = pending;
        m_port = -1;
        m_handle = 0;
        m_starting = true;
        task = *pending;
    }
    const int port = m_ports.OpenStream(nullptr, PLAY_KIND_CONVERSION);
    if (port < 0) return FailStart(id, TASK_OUTPUT_FAILED, CString());
    {
        CAutoLock lock(&m_lock);
        m_port = port;
    }
    CString output = task.outputPath;
    if (MakeUniqueFileName(output) != 0 || m_ports.StartConvertToFile(port, output) != 0) {
        return FailStart(id, TASK_OUTPUT_FAILED, CString());
    }
    {
        CAutoLock lock(&m_lock);
        if (BACKUP_TASK* pending = FindPending(id)) pending->outputPath = output;
    }
    int handle = -1;
    int sizeKB = 0;
    int64_t length = 0;
    if (task.type == BACKUP_TASK_LOCAL) {
        handle = m_replay.OpenLocalFile(task.sourcePath, &sizeKB, &length);
    } else {
        const int login = m_host.GetLoginHandle(task.deviceId);
        if (login == 0) return FailStart(id, TASK_DEVICE_OFFLINE, output);
        if (task.desc.recordType == QVNET_RECORD_TIME_RANGE) {
            handle = m_replay.PlayByTime(login, static_cast<int>(task.desc.channel), &task.desc.start, &task.desc.end);
        } else {
            handle = m_replay.PlayByFile(login, task.desc);
        }
    }
    if (handle < 0) return FailStart(id, TASK_SOURCE_FAILED, output);
    CAutoLock lock(&m_lock);
    if (!m_current || m_current->id != id) {
        // Everything was removed while it started: its source goes again.
        lock.Unlock();
        m_replay.Control(handle, task.type == BACKUP_TASK_LOCAL ? REPLAY_KIND_LOCAL : REPLAY_KIND_PLAYBACK,
                         REPLAY_CMD_STOP, 0);
        return 0;
    }
    m_handle = handle;
    m_starting = false;
    m_current->size = sizeKB;
    m_current->length = length;
    m_current->done = 0;
    m_current->status = TASK_RUNNING;
    // An empty file gets no data at all: it is complete as soon as it runs.
    if (task.type == BACKUP_TASK_LOCAL && length == 0) FinishLocked();
    return 1;
}

int CBackupTaskQueue::FailStart(int id, int status, const CString& createdOutput) {
    StopCurrentTask();
    // A file the failed start created holds nothing worth keeping.
    if (!createdOutput.IsEmpty()) DeleteFileW(createdOutput);
    CAutoLock lock(&m_lock);
    if (BACKUP_TASK* task = FindPending(id)) task->status = status;
    return status;
}

void CBackupTaskQueue::StopCurrentTask() {
    CAutoLock lock(&m_lock);
    const Detached current = DetachLocked();
    lock.Unlock();
    StopDetached(current);
}

CBackupTaskQueue::Detached CBackupTaskQueue::DetachLocked() {
    Detached current;
    current.type = m_current ? m_current->type : 0;
    current.handle = m_handle;
    current.port = m_port;
    ResetCurrent();
    return current;
}

void CBackupTaskQueue::StopDetached(const Detached& current) {
    if (current.handle != 0) {
        const int kind = current.type == BACKUP_TASK_LOCAL ? REPLAY_KIND_LOCAL : REPLAY_KIND_PLAYBACK;
        m_replay.Control(current.handle, kind, REPLAY_CMD_STOP, 0);
    }
    if (current.port >= 0) {
        m_ports.StopConvertToFile(current.port);
        m_ports.CloseStream(current.port);
    }
}

void CBackupTaskQueue::SettleStoppedTask(int id) {
    BACKUP_TASK* task = FindPending(id);
    if (!task) return;
    if (task->status == TASK_DEVICE_OFFLINE || task->status == TASK_PENDING) {
        // Started again later into a fresh file; the broken one goes.
        DeleteFileW(task->outputPath);
    } else if (IsFailedStatus(task->status)) {
        MoveToFailed(id);
    } else if (task->status == TASK_DONE || task->status == TASK_CANCELLED) {
        ErasePending(id);
    }
}

void CBackupTaskQueue::RefreshDeviceStates() {
    struct Check {
        int id;
        int deviceId;
        RECORD_FILE_DESC desc;
    };
    std::vector<Check> checks;
    {
        CAutoLock lock(&m_lock);
        for (const BACKUP_TASK& task : m_pending) {
            if (task.type == BACKUP_TASK_DEVICE && &task != m_current) {
                checks.push_back({task.id, task.deviceId, task.desc});
            }
        }
    }
    // The engine answers under its own lock, which it holds while it asks
    // this queue: so it is asked with this queue's lock released.
    for (const Check& check : checks) {
        const int busy = m_host.CheckChannelBusy(check.deviceId, check.desc);
        CAutoLock lock(&m_lock);
        BACKUP_TASK* task = FindPending(check.id);
        if (!task || task == m_current) continue;
        if (busy == 1) {
            task->status = TASK_CHANNEL_IN_SLOT;
        } else if (busy == 2) {
            task->status = TASK_CHANNEL_DOWNLOADING;
        } else if (task->status == TASK_CHANNEL_IN_SLOT || task->status == TASK_CHANNEL_DOWNLOADING) {
            task->status = TASK_PENDING;
        }
    }
}

std::vector<int> CBackupTaskQueue::PendingIds() {
    CAutoLock lock(&m_lock);
    std::vector<int> ids;
    for (const BACKUP_TASK& task : m_pending) ids.push_back(task.id);
    return ids;
}

void CBackupTaskQueue::FinishLocked() {
    if (m_current->status != TASK_RUNNING) return;
    m_ports.InputData(m_port, kEndMarker, kEndMarkerBytes);
    m_current->status = TASK_DONE;
}

void CBackupTaskQueue::ResetCurrent() {
    m_current = nullptr;
    m_starting = false;
    m_port = -1;
    m_handle = 0;
}

void CBackupTaskQueue::Clear() {
    ResetCurrent();
    m_pending.clear();
    m_failed.clear();
    m_counter = 0;
}

BACKUP_TASK* CBackupTaskQueue::FindPending(int id) {
    for (BACKUP_TASK& task : m_pending) {
        if (task.id == id) return &task;
    }
    return nullptr;
}

void CBackupTaskQueue::ErasePending(int id) {
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (it->id == id) {
            if (&*it == m_current) ResetCurrent();
            m_pending.erase(it);
            return;
        }
    }
}

void CBackupTaskQueue::MoveToFailed(int id) {
    if (BACKUP_TASK* task = FindPending(id)) {
        m_failed.push_back(*task);
        ErasePending(id);
    }
}
