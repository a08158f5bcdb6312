// CScheduledDownloads: what the scheduler asks of the download tasks. The
// download runner answers it; the scheduler's tests answer it themselves.
#pragma once

#include "app/engine/RECORD_TASK.h"

class CScheduledDownloads {
public:
    virtual ~CScheduledDownloads() = default;

    virtual void SetLimit(int limit) = 0;
    // 0 added; -1 an equal task exists (a manual request adopts it).
    virtual int Add(int deviceId, const RECORD_FILE_DESC* desc, int scheduleId, int weekday) = 0;
    // Ends the schedule's day once it has no task left. 0.
    virtual int FinishScheduleIfIdle(int scheduleId, int weekday) = 0;
    // Stops the scheduled (or the manual) tasks.
    virtual void StopScheduled() = 0;
    virtual void StopManual() = 0;
    // Stops every active task of the schedule and drops its unstarted ones.
    virtual void RetireSchedule(int scheduleId) = 0;
};
