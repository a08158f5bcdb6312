#include "app/engine/CBackupScheduler.h"

#include <unordered_set>
#include <vector>

#include "app/core/CAppConfig.h"
#include "common/CAutoLock.h"
#include "app/core/CInitLanguage.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"
#include "app/engine/EngineLogCodes.h"
#include "app/engine/RecordTime.h"

namespace {

const int kPassSeconds = 10;
// The pause after a pass that took the whole period or more.
const DWORD kOverrunPauseMs = 300;
CString StartStopText(const wchar_t* what) {
    CInitLanguage* language = GetInitLanguage();
    CString text;
    text.Format(L"%s %s", (LPCWSTR)language->GetString(L"Succeed!"), (LPCWSTR)language->GetString(what));
    return text;
}

int WeekdayIndex(const CTime& time) { return time.GetDayOfWeek() - 1; }

bool IsServerDeviceType(const DEVICE_RECORD& device) {
    return strcmp(device.type, "SVR_BS") == 0 || strcmp(device.type, "SVR") == 0;
}

enum class DueDevice { kAbsent, kLoggedOut, kLoggedIn };

// Read without copying the whole record: in a large installation most due
// schedules may belong to devices that are off line, and each needs only this.
DueDevice LookUpDueDevice(const CDeviceLookup& devices, int deviceId) {
    int32_t loggedIn = 0;
    if (!devices.ReadDevice(deviceId, [&loggedIn](const DEVICE_RECORD& device) { loggedIn = device.loggedIn; }))
        return DueDevice::kAbsent;
    return loggedIn ? DueDevice::kLoggedIn : DueDevice::kLoggedOut;
}

}  // namespace

bool ScheduleRecordWindow(const BACKUP_SCHEDULE& schedule, const CTime& now, QVNET_TIME* begin, QVNET_TIME* end) {
    int year, month, day;
    if (schedule.AgoType == kManualAgoType) {
        year = schedule.EndTime.Year;
        month = schedule.EndTime.Month;
        day = schedule.EndTime.Day;
    } else if (DaysBackOfAgoType(schedule.AgoType) >= 0) {
        const CTime date = CalendarDaysBack(now, DaysBackOfAgoType(schedule.AgoType));
        year = date.GetYear();
        month = date.GetMonth();
        day = date.GetDay();
    } else {
        return false;
    }
    QVNET_TIME date = {(uint32_t)year, (uint32_t)month, (uint32_t)day, 0, 0, 0};
    *begin = date;
    begin->hour = schedule.RecordTime.FHour;
    begin->minute = schedule.RecordTime.FMinute;
    *end = date;
    if (schedule.RecordTime.THour >= 24) {
        end->hour = 23;
        end->minute = 59;
    } else {
        end->hour = schedule.RecordTime.THour;
        end->minute = schedule.RecordTime.TMinute;
    }
    return true;
}

CBackupScheduler::CBackupScheduler(CBackupScheduleStore& schedules, CDeviceLookup& devices,
                                   CRecordFileQuery& recordFiles, CScheduledDownloads& downloads, const LogWriter& log)
    : m_schedules(schedules), m_devices(devices), m_recordFiles(recordFiles), m_downloads(downloads), m_log(log) {}

CBackupScheduler::~CBackupScheduler() { StopThread(); }

int CBackupScheduler::StartAutoBackup() {
    CAutoLock guard(&m_controlLock);
    if (m_scheduledOn) return 0;
    CAppConfig* config = GetAppConfig();
    m_downloads.SetLimit(config->m_nMultiBackupDevCount);
    m_schedules.Load(config->GetScheduleFile());
    if (m_schedules.GetAutoCount() == 0) return -1;
    // On before the thread starts: its first pass must see it.
    SetMode(m_scheduledOn, 1);
    if (StartThread() != 0) {
        SetMode(m_scheduledOn, 0);
        return -1;
    }
    m_log(LOG_SCHEDULE_START, StartStopText(L"Dodavozi Start"));
    return 0;
}

int CBackupScheduler::StartManualDownload() {
    CAutoLock guard(&m_controlLock);
    {
        CAutoLock mode(&m_modeLock);
        // Counted even while the mode is on: a manual schedule added now
        // must keep it on against an OnScheduleFinished that counted before.
        ++m_manualStarts;
        if (m_manualOn) return 0;
        InterlockedExchange(&m_manualOn, 1);
    }
    if (StartThread() == 0) return 0;
    SetMode(m_manualOn, 0);
    return -1;
}

void CBackupScheduler::SetMode(volatile LONG& mode, LONG on) {
    CAutoLock guard(&m_modeLock);
    InterlockedExchange(&mode, on);
}

bool CBackupScheduler::IsModeOn(const BACKUP_SCHEDULE& schedule) const {
    return schedule.AgoType == kManualAgoType ? m_manualOn != 0 : m_scheduledOn != 0;
}

int CBackupScheduler::StartThread() {
    if (m_thread.IsRunning()) return 0;
    // A thread of an earlier run must be gone first; one that is still in
    // its pass is kept, and no second one starts beside it.
    if (!m_thread.Join(m_hooks.stopWaitMs)) return -1;
    if (!m_thread.Start([this] { RunLoop(); })) return -1;
    if (m_hooks.afterThreadStart) m_hooks.afterThreadStart();
    return 0;
}

void CBackupScheduler::StopThread() {
    CAutoLock guard(&m_controlLock);
    m_thread.Join(m_hooks.stopWaitMs);
}

int CBackupScheduler::StopAutoBackup() {
    CAutoLock guard(&m_controlLock);
    if (!m_scheduledOn) return -1;
    // Off first, under the lock a pass adds its tasks under: a pass past its
    // mode check adds nothing more, and what it added is stopped below.
    SetMode(m_scheduledOn, 0);
    if (!m_manualOn) StopThread();
    m_downloads.StopScheduled();
    m_log(LOG_SCHEDULE_STOP, StartStopText(L"Dodavozi Stop"));
    return 0;
}

int CBackupScheduler::StopManualDownload() {
    CAutoLock guard(&m_controlLock);
    // The thread ends whenever neither mode stays on, so it never outlives
    // both (the last manual task may have cleared the flag already).
    const bool wasOn = m_manualOn != 0;
    SetMode(m_manualOn, 0);
    if (!m_scheduledOn) StopThread();
    if (!wasOn) return 0;
    m_downloads.StopManual();
    return 0;
}

int CBackupScheduler::GetBackupState(int* scheduledOn, int* manualOn) {
    *scheduledOn = m_scheduledOn;
    *manualOn = m_manualOn;
    return 0;
}

void CBackupScheduler::OnScheduleFinished() {
    LONG starts;
    {
        CAutoLock mode(&m_modeLock);
        starts = m_manualStarts;
    }
    // A manual start between the count and the clearing (its schedule added
    // just after the count) changes m_manualStarts: the flag then stays on.
    if (m_schedules.GetManualCount() >= 1) return;
    if (m_hooks.afterManualCountRead) m_hooks.afterManualCountRead();
    CAutoLock mode(&m_modeLock);
    if (m_manualStarts == starts) InterlockedExchange(&m_manualOn, 0);
}

void CBackupScheduler::RunLoop() {
    while (!m_thread.StopRequested()) {
        CTime started = CTime::GetCurrentTime();
        RetireSchedules(started);
        ScheduleTick(started);
        InterlockedIncrement(&m_passes);
        __time64_t spent = CTime::GetCurrentTime().GetTime() - started.GetTime();
        DWORD pause = (spent >= kPassSeconds || spent < 0) ? kOverrunPauseMs : (DWORD)(kPassSeconds - spent) * 1000;
        if (m_thread.WaitForStop(pause)) break;
    }
}

int CBackupScheduler::RetireSchedules(CTime now) {
    std::vector<BACKUP_SCHEDULE> expired;
    m_schedules.CollectExpired(now.GetHour(), now.GetMinute(), now.GetSecond(), WeekdayIndex(now), expired);
    for (const BACKUP_SCHEDULE& schedule : expired) {
        if (!m_thread.IsRunning()) break;
        m_downloads.RetireSchedule(schedule.id);
    }
    return 0;
}

int CBackupScheduler::ScheduleTick(CTime now) {
    int weekday = WeekdayIndex(now);
    std::vector<BACKUP_SCHEDULE> due;
    m_schedules.QueryDue(now.GetHour(), now.GetMinute(), now.GetSecond(), weekday, due, 0, 0);
    // The main window queues one login per device however often it is asked,
    // and a thread's message queue is bounded: one message per off-line
    // device and pass, however many of its schedules are due.
    std::unordered_set<int> askedToLogIn;
    for (const BACKUP_SCHEDULE& schedule : due) {
        if (!m_thread.IsRunning()) break;
        if (!IsModeOn(schedule)) continue;
        if (m_hooks.afterModeCheck) m_hooks.afterModeCheck(schedule);
        const DueDevice state = LookUpDueDevice(m_devices, schedule.DevID);
        if (state == DueDevice::kAbsent) continue;
        if (state == DueDevice::kLoggedOut) {
            if (askedToLogIn.insert(schedule.DevID).second)
                PostMainWndMessage(WM_TW_DEVICE_NOT_LOGGED_IN, (WPARAM)schedule.DevID, 0);
            continue;
        }
        const DEVICE_RECORD device = m_devices.GetDevice(schedule.DevID);
        // Logged out or removed since the look-up: due again on the next pass.
        if (!device.loggedIn) continue;
        bool endPass = false;
        QueryScheduleFiles(schedule, device, now, weekday, &endPass);
        if (endPass) break;
    }
    return 0;
}

bool CBackupScheduler::AddTask(const BACKUP_SCHEDULE& schedule, const RECORD_FILE_DESC& desc, int weekday) {
    CAutoLock mode(&m_modeLock);
    if (!IsModeOn(schedule)) return false;
    m_downloads.Add(schedule.DevID, &desc, schedule.id, weekday);
    return true;
}

void CBackupScheduler::QueryScheduleFiles(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device,
                                          const CTime& now, int weekday, bool* endPass) {
    QVNET_TIME begin, end;
    if (!ScheduleRecordWindow(schedule, now, &begin, &end)) return;
    std::vector<RECORD_FILE_DESC> page(kRecordPageSize);
    const bool serverDevice = IsServerDeviceType(device);
    bool found = false;
    bool failed = false;
    for (;;) {
        memset(page.data(), 0, page.size() * sizeof(RECORD_FILE_DESC));
        int count = 0;
        int result =
            m_recordFiles.QueryRecordFiles(0, device.loginHandle, schedule.ChannelIndex, &begin, &end, CString(),
                                           page.data(), (int)(page.size() * sizeof(RECORD_FILE_DESC)), &count);
        if (result < 0) {
            failed = true;
            found = false;
            break;
        }
        if (count > kRecordPageSize) count = kRecordPageSize;
        if (count > 0) found = true;
        for (int i = 0; i < count; ++i) {
            RECORD_FILE_DESC desc = page[i];
            if (serverDevice) {
                if (!IsValidQvnetDate(desc.start) || !IsValidQvnetDate(desc.end)) {
                    *endPass = true;
                    return;
                }
                desc.location2 = (uint32_t)FromQvnetTime(desc.end).GetTime();
            }
            if (!AddTask(schedule, desc, weekday)) return;  // its mode was switched off
        }
        if (count != kRecordPageSize) break;
        // The next page starts one second after the last file, on the
        // window's own date; it must move forward or the day would repeat.
        CTime last = FromQvnetTime(page[kRecordPageSize - 1].end) + CTimeSpan(0, 0, 0, 1);
        QVNET_TIME next = begin;
        next.hour = (uint32_t)last.GetHour();
        next.minute = (uint32_t)last.GetMinute();
        next.second = (uint32_t)last.GetSecond();
        CTime nextTime = FromQvnetTime(next);
        if (nextTime <= FromQvnetTime(begin) || FromQvnetTime(end) < nextTime) break;
        begin = next;
        if (!m_thread.IsRunning()) break;
    }
    if (failed) return;
    CAutoLock mode(&m_modeLock);
    if (!IsModeOn(schedule)) return;
    if (found) {
        m_schedules.SetDayStarted(schedule.id, weekday);
        m_downloads.FinishScheduleIfIdle(schedule.id, weekday);
    } else {
        m_schedules.SetDayEnded(schedule.id, weekday);
    }
}
