// CBackupScheduler: scheduled backup and manual download. While either mode
// is on, its thread makes a pass every ten seconds: it retires the schedules
// whose window has closed and turns due schedules into download tasks by
// querying the devices' record files.
//
// Locks: m_controlLock serialises starting and stopping the thread and the
// modes (UI thread, shut-down). The scheduler thread never takes it, so a
// stop may hold it while joining the thread. m_modeLock (inside it) guards
// every change of a mode flag, a pass's adding of tasks and marking of a
// schedule (so nothing of a mode is added once its stop has switched it
// off), and the manual flag's turning itself off; the download runner's and
// the schedule store's locks are taken inside it, never the other way. The
// flags are read without a lock elsewhere.
#pragma once

#include <afx.h>

#include <functional>

#include "app/core/CBackupScheduleStore.h"
#include "common/CLock.h"
#include "app/engine/CDeviceLookup.h"
#include "app/engine/CRecordFileQuery.h"
#include "app/engine/CScheduledDownloads.h"
#include "common/CThreadOwner.h"

const int kRecordPageSize = 100;

// The record window of a schedule on the day of `now`: begin at FHour:FMinute,
// end at THour:TMinute (23:59:00 from hour 24). Returns false for an AgoType
// the scheduler does not know (the schedule is skipped).
bool ScheduleRecordWindow(const BACKUP_SCHEDULE& schedule, const CTime& now, QVNET_TIME* begin, QVNET_TIME* end);

class CBackupScheduler {
public:
    // Writes an operation-log line: code and text.
    typedef std::function<void(int code, const CString& text)> LogWriter;

    // Seams for tests that force an interleaving; empty in the program.
    struct Hooks {
        // On the thread making a pass, once a due schedule's mode was found on.
        std::function<void(const BACKUP_SCHEDULE&)> afterModeCheck;
        // In OnScheduleFinished, once it found no manual schedule left.
        std::function<void()> afterManualCountRead;
        // In a start, right after the thread was started.
        std::function<void()> afterThreadStart;
        // How long a stop waits for a pass to finish: a pass may sit in a
        // record query with its retries.
        DWORD stopWaitMs = 120000;
    };

    // What the scheduler asks of others: the schedules, the devices'
    // records, their record files, and the download tasks it adds and stops.
    CBackupScheduler(CBackupScheduleStore& schedules, CDeviceLookup& devices, CRecordFileQuery& recordFiles,
                     CScheduledDownloads& downloads, const LogWriter& log);
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
    // Set while the thread is not running.
    void SetHooks(const Hooks& hooks) { m_hooks = hooks; }

private:
    int StartThread();
    void RunLoop();
    void SetMode(volatile LONG& mode, LONG on);
    bool IsModeOn(const BACKUP_SCHEDULE& schedule) const;
    // Adds the task while the schedule's mode is on; false when it is off.
    bool AddTask(const BACKUP_SCHEDULE& schedule, const RECORD_FILE_DESC& desc, int weekday);
    void QueryScheduleFiles(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, const CTime& now, int weekday,
                            bool* endPass);

    CBackupScheduleStore& m_schedules;
    CDeviceLookup& m_devices;
    CRecordFileQuery& m_recordFiles;
    CScheduledDownloads& m_downloads;
    LogWriter m_log;

    Hooks m_hooks;
    CLock m_controlLock;
    CLock m_modeLock;
    CThreadOwner m_thread;
    volatile LONG m_scheduledOn = 0;
    volatile LONG m_manualOn = 0;
    LONG m_manualStarts = 0;  // under m_modeLock
    volatile LONG m_passes = 0;
};
