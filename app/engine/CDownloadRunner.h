// CDownloadRunner: the engine's download tasks. A task waits in the pending
// list until the one-second step (Run) starts it within the concurrency
// limit; it is active while the SDK writes its file, and is retired into a
// record-list row once the file is complete.
//
// Lock: m_lock guards the pending list, the active vector, the limit, the
// failed handles and the kept recordings that wait for their row. The
// schedule store's own lock is the only one taken while it is held: no SDK,
// replay service, slot, conversion queue, file, database or message call
// happens under it (the SDK's progress callback takes it; slots hold their
// lock while they ask IsChannelDownloading). It asks about other channel
// users (CChannelUse) only without it.
#pragma once

#include <afx.h>

#include <functional>
#include <list>
#include <map>
#include <vector>

#include "app/core/CBackupScheduleStore.h"
#include "common/CLock.h"
#include "app/core/CRecordListDB.h"
#include "app/engine/CChannelUse.h"
#include "app/engine/CDeviceLookup.h"
#include "app/engine/CDownloadTransfers.h"
#include "app/engine/CScheduledDownloads.h"
#include "app/engine/CTargetNamer.h"
#include "app/engine/RECORD_TASK.h"

class CDownloadRunner : public CScheduledDownloads {
public:
    // What the runner asks of others: the SDK downloads, the record list and
    // the schedule store it writes, the devices' records, where files go,
    // and whether a slot or a conversion holds a channel.
    CDownloadRunner(CDownloadTransfers& transfers, CRecordListDB& records, CBackupScheduleStore& schedules,
                    CDeviceLookup& devices, CTargetNamer& targets, CChannelUse& channels);
    CDownloadRunner(const CDownloadRunner&) = delete;
    CDownloadRunner& operator=(const CDownloadRunner&) = delete;

    // Called (without the lock) when a schedule's pass ends and no manual
    // schedule is left: manual download turns itself off.
    void SetManualDoneHandler(const std::function<void()>& handler) { m_onManualDone = handler; }
    // Called (without the lock) for a downloaded recording whose record-list
    // row could not be inserted; the file is kept and the row tried again.
    void SetIndexFailureHandler(const std::function<void(const RECORD_LIST_ROW&)>& handler) {
        m_onIndexFailed = handler;
    }

    int GetLimit();
    void SetLimit(int limit) override;
    // 0 added; -1 an equal task exists (a manual request adopts it).
    int Add(int deviceId, const RECORD_FILE_DESC* desc, int scheduleId, int weekday) override;
    // 0 taken (removed from the pending list), -1 none.
    int TakeNextPending(const std::vector<int>& busyDeviceIds, RECORD_TASK* out);
    int TakeNextPendingByChannel(const std::vector<int>& busyKeys, RECORD_TASK* out);
    // Retires the finished downloads, then starts pending ones within the limit.
    void Run();
    // 1 when the record list already holds the recording, else 0.
    int IsRecordInDb(int deviceId, int channel, const RECORD_FILE_DESC* desc);
    // Ends the schedule's day once it has no task left. 0.
    int FinishScheduleIfIdle(int scheduleId, int weekday) override;
    // Removes the task; a started one is stopped and its file deleted. 0.
    int Stop(int taskId);
    // Stops the scheduled (or the manual) tasks: started ones through Stop,
    // the others are dropped. The manual stop also clears the store's
    // manual schedules.
    void StopScheduled() override;
    void StopManual() override;
    // Stops every active task of the schedule and drops its unstarted ones.
    void RetireSchedule(int scheduleId) override;
    // Takes the device's (or the device channel's) started download out,
    // stops it, deletes its partial file and queues it again at the end.
    void RequeueDevice(int deviceId);
    // The SDK reported that the download of this handle broke off. Any
    // thread (the SDK's own); the task is queued again by the next Run,
    // whatever the SDK does with the session.
    void MarkFailed(int handle);
    void RequeueChannel(int deviceId, int channel);

    void GetAll(std::vector<RECORD_TASK>* out);  // active, then pending
    void CountBySchedule(std::map<int, int>* counts);
    // Kept recordings that still wait for their record-list row, by schedule.
    void CountUnindexedBySchedule(std::map<int, int>* counts);
    bool IsChannelDownloading(int deviceId, int channel);
    // 0 found (device id and channel set), -1 not.
    int FindByHandle(int handle, int* deviceId, int* channel);
    // Progress of the active task with this SDK handle.
    void UpdateProgress(int handle, uint32_t done, uint32_t total);
    void AddRecordRow(const RECORD_TASK& task, const CString& path, int length, int type, int withSource);

private:
    int RetireOneFinished();
    void RequeueFailed();
    void KeepUnindexed(const RECORD_LIST_ROW& row, int scheduleId);
    // Inserts the rows of kept recordings, oldest first, while the record
    // list takes them.
    void IndexKeptRecordings();
    void StartPending();
    // Starts one taken task; false when it went back to the pending list
    // and no more should start in this step.
    bool StartTask(RECORD_TASK task);
    bool TakeFirst(const std::function<bool(const RECORD_TASK&)>& match, RECORD_TASK* out);
    void Requeue(const std::function<bool(const RECORD_TASK&)>& match);
    void StopAndDelete(const RECORD_TASK& task);
    template <typename Tasks>
    void SettleLocked(Tasks& tasks, const std::function<bool(const RECORD_TASK&)>& match, std::vector<int>& toStop,
                      std::vector<RECORD_TASK>& dropped);
    // Stops the noted tasks and ends the schedules of the dropped ones.
    void FinishAfterStop(const std::vector<int>& toStop, const std::vector<RECORD_TASK>& dropped);

    CDownloadTransfers& m_transfers;
    CRecordListDB& m_records;
    CBackupScheduleStore& m_schedules;
    CDeviceLookup& m_devices;
    CTargetNamer& m_targets;
    CChannelUse& m_channels;
    std::function<void()> m_onManualDone;
    std::function<void(const RECORD_LIST_ROW&)> m_onIndexFailed;

    struct UNINDEXED_RECORDING {
        RECORD_LIST_ROW row;
        int scheduleId = 0;
    };

    CLock m_lock;
    std::list<RECORD_TASK> m_pending;
    std::vector<RECORD_TASK> m_active;
    int m_limit = 1;
    std::vector<int> m_failedHandles;            // reported by the SDK, not yet queued again
    std::list<UNINDEXED_RECORDING> m_unindexed;  // downloaded, row not yet inserted
};
