// CBackupTaskQueue: converts recordings into output files one task at a
// time, feeding a source (a local record file through the playback service's
// local sources, or a device recording played back through the network SDK)
// into a conversion play port that writes the task's output file.
//
// The record manager drives it with RunStep on a timer; the engine routes the
// current source's data (OnSourceData) and progress (OnSourcePosition) to it.
// Sources are stopped only after the queue's lock is released: the local
// pump holds the playback service's lock while it calls OnSourceData.
#pragma once

#include <afx.h>

#include <stdint.h>

#include <list>
#include <vector>

#include "common/CLock.h"
#include "app/engine/CNetReplayService.h"
#include "app/engine/CPlayPortPool.h"
#include "app/engine/CTaskQueueHost.h"

enum {
    BACKUP_TASK_LOCAL = 1,
    BACKUP_TASK_DEVICE = 2,

    TASK_PENDING = 0,
    TASK_RUNNING = 1,
    TASK_DONE = 2,
    TASK_CANCELLED = -1,
    TASK_SOURCE_FAILED = -2,
    TASK_OUTPUT_FAILED = -4,
    TASK_DEVICE_OFFLINE = -5,
    TASK_CHANNEL_IN_SLOT = -6,
    TASK_CHANNEL_DOWNLOADING = -7,
};

struct BACKUP_TASK {
    int id = 0;  // given by the queue; -1 in a key means "all"
    int type = BACKUP_TASK_LOCAL;
    RECORD_FILE_DESC desc = {};  // device tasks
    int deviceId = 0;            // device tasks
    CString sourcePath;          // local tasks
    CString outputPath;
    int size = 0;        // source size in KB, for display
    int64_t done = 0;    // local: bytes fed; device: the SDK's progress in KB
    int64_t length = 0;  // local: the source's exact length in bytes
    int status = TASK_PENDING;
};

class CBackupTaskQueue {
public:
    // replay, ports and host must outlive the queue.
    CBackupTaskQueue(CNetReplayService& replay, CPlayPortPool& ports, CTaskQueueHost& host);
    ~CBackupTaskQueue();
    CBackupTaskQueue(const CBackupTaskQueue&) = delete;
    CBackupTaskQueue& operator=(const CBackupTaskQueue&) = delete;

    // Queues a copy with a new id. -1 for a duplicate of a pending task (same
    // local source path, or same device file location), else 0.
    int AddTask(const BACKUP_TASK& task);
    // Id -1: stops the current task and clears everything. Another id: a
    // running task is marked cancelled (removed at the next step), any other
    // is erased. Returns 0.
    int RemoveTask(const BACKUP_TASK& key);
    // Id -1: appends every task (cancelled ones are dropped) to *out; 0.
    // Another id: fills *key from that task; 0, or -1 when there is none.
    int GetTask(std::vector<BACKUP_TASK>* out, BACKUP_TASK* key);
    // 1 when a pending local task converts this file, else 0.
    int FindTaskByPath(const CString& path);
    // 1 when a pending device task uses the device and the descriptor's
    // channel (and, with startedOnly, has started), else 0.
    int FindTaskByDescriptor(int deviceId, const RECORD_FILE_DESC& desc, int startedOnly);
    // available 0: device tasks pending or running become "device off line";
    // otherwise such tasks become pending again. Returns 0.
    int MarkDeviceTasks(int deviceId, int available);
    // One step: finishes the current task when it ended, then starts the
    // first startable pending task. 0 while the current task runs; 1 while a
    // list holds a task; -1 when both lists are empty.
    int RunStep();
    // RemoveTask with id -1. Returns 0.
    int StopAll();
    // Data of a source: -1 not the current source; 1 refused (offer again);
    // 0 taken.
    int OnSourceData(int handle, const uint8_t* data, int length);
    // Progress of a device source in KB: 0, or -1 not the current source.
    int OnSourcePosition(int handle, int64_t done, int64_t total);

    // Makes path name a file that does not exist yet by prefixing "(n)" to
    // its name. Returns 0, or -1 when no such name fits in MAX_PATH.
    static int MakeUniqueFileName(CString& path);

private:
    enum Which { kPendingOnly, kFailedThenPending };
    struct Detached;

    // Starts the pending task with this id (lock not held). 1 started; its
    // waiting status when it may not start; -2 or -4 when it failed; 0 when
    // there is no such task.
    int StartTask(int id);
    // Stops what the start had begun, deletes the output file it created and
    // records the status; returns it.
    int FailStart(int id, int status, const CString& createdOutput);
    // Detaches the current task under the lock and stops its source and port
    // after releasing it.
    void StopCurrentTask();
    Detached DetachLocked();
    void StopDetached(const Detached& current);
    // Channel-busy states of the device tasks, asked of the host unlocked.
    void RefreshDeviceStates();
    // What happens to a task after it was stopped, by its status (lock held).
    void SettleStoppedTask(int id);
    std::vector<int> PendingIds();
    // Feeds the end marker and marks the running current task done (lock held).
    void FinishLocked();
    void ResetCurrent();
    void Clear();
    BACKUP_TASK* FindPending(int id);
    void ErasePending(int id);
    void MoveToFailed(int id);
    // Walks a list or both under the lock; the predicate returns false to
    // stop and may set its bool to erase the element it was given (the
    // current task is never erased, only marked).
    template <class Predicate>
    void WalkTasks(Which which, Predicate predicate);

    CNetReplayService& m_replay;
    CPlayPortPool& m_ports;
    CTaskQueueHost& m_host;
    std::list<BACKUP_TASK> m_pending;
    std::list<BACKUP_TASK> m_failed;
    BACKUP_TASK* m_current = nullptr;
    bool m_starting = false;  // the current task's source is being opened
    int m_port = -1;
    int m_handle = 0;
    CLock m_lock;
    int m_counter = 0;
};
