// CBackupScheduleStore: the backup schedules of one user, in memory and in
// the user's backupschedule.xml, and the rules that decide when they run.
//
// Automatic schedules are edited in the schedule dialog, saved and reloaded;
// their ids count from 1 and are given anew on every load. Manual schedules
// are one-off downloads added while the program runs; their ids count from
// 0x8000001 and they never survive a reload.
//
// Every operation on the maps holds the store's lock for its whole run; the
// engine's scheduler thread and the UI thread share the engine's store.
// Times are handed in (hour, minute, second, weekday 0 = Sunday), so the rules
// never read the clock themselves.
#pragma once

#include <afx.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "BackupSchedule.h"
#include "common/CLock.h"

class CLiveDeviceLookup;

class CBackupScheduleStore {
public:
    // liveDevices: the device list a purge without a file consults (the
    // engine's device manager for the engine's store); null for none.
    explicit CBackupScheduleStore(CLiveDeviceLookup* liveDevices = nullptr);
    ~CBackupScheduleStore();
    CBackupScheduleStore(const CBackupScheduleStore&) = delete;
    CBackupScheduleStore& operator=(const CBackupScheduleStore&) = delete;

    // --- File ---

    // Keeps the path, then LoadFile(path); returns LoadFile's result.
    int Load(const CString& path);
    // Replaces the automatic schedules with those of the file (ids from 1;
    // every day state idle). Manual schedules are kept. Returns 0, also for a
    // missing or empty file (no automatic schedules); 1 when the file does
    // not parse: it was set aside and the schedules before the damage are
    // loaded and written back; -1 when it does not parse and could not be
    // set aside (no automatic schedules).
    int LoadFile(const CString& path);
    // Writes both maps to path, or to the kept path when path is empty; the
    // previous file stays intact unless the whole new one was written.
    // Returns 0; -2 when there is no path; -3 when the write failed.
    int Save(const CString& path);

    // --- Automatic schedules ---

    // Stores the record under the next automatic id. Returns 0.
    int AddAuto(const BACKUP_SCHEDULE& schedule);
    int AddAutoFields(int devId, int channelIndex, const TIME_RANGE& runTime, const int weekDays[kDaysPerWeek],
                      int agoType, const TIME_RANGE& recordTime);
    // Replaces the schedule (day states as given, id forced). -1 when absent, else 0.
    int ModifyAuto(int id, const BACKUP_SCHEDULE& schedule);
    // -1 when absent, else 0.
    int DeleteAuto(int id);
    // Empties the automatic map and restarts its ids at 1. Returns 0.
    int ClearAuto();
    // 0 when an automatic schedule has the id, else -1.
    int ExistsAuto(int id);
    // True when an automatic schedule has the same device, channel, AgoType,
    // weekday flags and the same start and end minutes of both windows.
    bool HasSameAuto(int devId, int channelIndex, TIME_RANGE runTime, const int weekDays[kDaysPerWeek], int agoType,
                     TIME_RANGE recordTime);
    // Appends copies in id order. -1 when there are none, else 0.
    int ListAuto(std::vector<BACKUP_SCHEDULE>& out);
    int GetAutoCount();
    // Appends the (device id, channel index) of every automatic schedule. -1 when none, else 0.
    int ListDeviceChannels(std::vector<std::pair<int, int>>& out);

    // --- Manual schedules ---

    // -1 when the manual maximum is reached (nothing stored); else stores it
    // under the next manual id with AgoType 256 and day state idle, 0.
    int AddManual(const BACKUP_SCHEDULE& schedule);
    // Replaces it, forcing id and AgoType 256. -1 when absent, else 0.
    int ModifyManual(int id, const BACKUP_SCHEDULE& schedule);
    // -1 when absent, else 0.
    int DeleteManual(int id);
    // Empties the manual map and restarts its ids at 0x8000001. Returns 0.
    int ClearManual();
    int GetManualCount();
    bool IsManualFull();
    bool HasSameManual(int devId, int channelIndex, int agoType, TIME_RANGE recordTime);

    // --- Both ---

    // The schedule with the id, automatic map first; a cleared record when
    // neither holds it.
    BACKUP_SCHEDULE GetSchedule(int id);
    // Appends the automatic schedules, then (includeManual non-zero) the
    // manual ones. -1 when nothing was appended, else 0.
    int ListAll(std::vector<BACKUP_SCHEDULE>& out, BOOL includeManual);

    // Counter + 1, without the lock.
    int PeekNextAutoId() const { return m_nAutoId + 1; }
    int PeekNextManualId() const { return m_nManualId + 1; }
    int SetAutoMaximum(int maximum) {
        m_nAutoMax = maximum;
        return 0;
    }
    int SetManualMaximum(int maximum) {
        m_nManualMax = maximum;
        return 0;
    }

    // --- Due and retire rules ---

    // Appends copies of the schedules due now. An automatic schedule is due
    // when enabled on the weekday, start <= now <= end of its run window and
    // its state of the weekday is accepted; a manual one when its state is
    // accepted. Accepted states by (acceptRunning, acceptEnded): (1,0) all
    // but ended, (0,1) only ended, (1,1) all but idle, else idle or done.
    // Returns 0 when it appended any; -1 when none or the weekday is outside 0..6.
    int QueryDue(int hour, int minute, int second, int weekday, std::vector<BACKUP_SCHEDULE>& out, int acceptRunning,
                 int acceptEnded);
    // Automatic: the weekday's state becomes started; manual: its state does.
    // -1 when the id is in neither map or the weekday is outside 0..6, else 0.
    int SetDayStarted(int id, int weekday);
    // Automatic: the weekday's state becomes ended; manual: the schedule is
    // erased. -1 when the id is in neither map or the weekday is outside 0..6, else 0.
    int SetDayEnded(int id, int weekday);
    // Automatic: done while now is before the end of the run window; manual:
    // erased. -1 for a weekday outside 0..6, else 0 (also for an unknown id).
    int SetDayDone(int id, int hour, int minute, int second, int weekday);
    // The retire step: appends each automatic schedule whose run of today
    // outlived its window (today's state back to idle) or whose run of the
    // previous day was never ended; then only today's state of every
    // automatic schedule is kept. Returns 0 when it appended any; -1 when none
    // or the weekday is outside 0..6.
    int CollectExpired(int hour, int minute, int second, int weekday, std::vector<BACKUP_SCHEDULE>& out);
    // Erases the automatic schedules whose device is not in the device list
    // file (the live list given at construction when path is empty) and
    // saves. Returns 0; -1 when the device list cannot be read (missing,
    // empty or broken file, or no live list) and nothing changed; Save's
    // code when the save failed.
    int PurgeDeletedDevices(const CString& deviceFile);

private:
    typedef std::map<int, BACKUP_SCHEDULE> ScheduleMap;
    typedef std::function<bool(int devId)> DeviceLookup;

    int StoreAuto(BACKUP_SCHEDULE schedule);
    // Replaces the record under id (its id kept); nullptr when absent.
    static BACKUP_SCHEDULE* Replace(ScheduleMap& schedules, int id, const BACKUP_SCHEDULE& schedule);
    // The schedule with the id in either map; nullptr when absent.
    BACKUP_SCHEDULE* FindAny(int id);
    int EraseSchedulesNotIn(const DeviceLookup& exists);

    int m_nAutoId;
    ScheduleMap m_autoSchedules;
    int m_nAutoMax;
    CLock m_lock;
    int m_nManualId;
    ScheduleMap m_manualSchedules;
    int m_nManualMax;
    CString m_strPath;
    CLiveDeviceLookup* m_pLiveDevices;
};
