// CBackupScheduler: scheduled backup and manual download. While either mode
// is on, its thread makes a pass every ten seconds: it retires the schedules
// whose window has closed and turns due schedules into download tasks by
// querying the devices' record files.
//
// Lock: m_controlLock serialises starting and stopping the thread and the
// modes (UI thread, shut-down). The scheduler thread never takes it, so a
// stop may hold it while joining the thread. The mode flags and the pass
// count are single words changed with interlocked operations and read by
// the thread without a lock.
#pragma once

#include <afx.h>

#include <functional>

#include "app/core/CBackupScheduleStore.h"
#include "app/core/CLock.h"
#include "app/engine/CDeviceManager.h"
#include "app/engine/CNetReplayService.h"
#include "common/CThreadOwner.h"

class CDownloadRunner;

const int kRecordPageSize = 100;

// The record window of a schedule on the day of `now`: begin at FHour:FMinute,
// end at THour:TMinute (23:59:00 from hour 24). Returns false for an AgoType
// the scheduler does not know (the schedule is skipped).
bool ScheduleRecordWindow(const BACKUP_SCHEDULE& schedule, const CTime& now, QVNET_TIME* begin, QVNET_TIME* end);

class CBackupScheduler {
public:
    // Writes an operation-log line: code and text.
    typedef std::function<void(int code, const CString& text)> LogWriter;

    CBackupScheduler(CBackupScheduleStore& schedules, CDeviceManager& devices, CNetReplayService& replay,
                     CDownloadRunner& downloads, const LogWriter& log);
    ~CBackupScheduler();
    CBackupScheduler(const CBackupScheduler&) = delete;
    CBackupScheduler& operator=(const CBackupScheduler&) = delete;

    // The operations of the same names on CBackupEngine.
    int StartAutoBackup();
    int StopAutoBackup();
    int StartManualDownload();
    int StopManualDownload();
    int GetBackupState(int* scheduledOn, int* manualOn);
    int RetireSchedules(CTime now);
    int ScheduleTick(CTime now);
    bool IsRunning() const { return m_thread.IsRunning(); }
    int GetPassCount() const { return m_passes; }
    // Stops the thread (waits for a pass to end); the modes stay as they are.
    void StopThread();
    // Manual download turns itself off once no manual schedule is left.
    void OnScheduleFinished();

private:
    int StartThread();
    void RunLoop();
    void QueryScheduleFiles(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, const CTime& now,
                            int weekday, bool* endPass);

    CBackupScheduleStore& m_schedules;
    CDeviceManager& m_devices;
    CNetReplayService& m_replay;
    CDownloadRunner& m_downloads;
    LogWriter m_log;

    CLock m_controlLock;
    CThreadOwner m_thread;
    volatile LONG m_scheduledOn = 0;
    volatile LONG m_manualOn = 0;
    volatile LONG m_passes = 0;
};
