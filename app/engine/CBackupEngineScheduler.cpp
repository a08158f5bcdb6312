// The scheduler thread of the backup engine and the start and stop of
// scheduled backup and manual download.
#include "app/engine/CBackupEngine.h"

#include "app/core/CAppConfig.h"
#include "app/core/CAutoLock.h"
#include "app/core/CInitLanguage.h"
#include "app/core/SystemUtil.h"
#include "app/engine/RecordTime.h"

namespace {

const int kPassSeconds = 10;
const DWORD kSleepStepMs = 300;
const DWORD kStopPollMs = 100;
// How long a stop waits for a pass to finish: a pass may sit in a record
// query with its retries.
const DWORD kSchedulerStopWaitMs = 120000;

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
DueDevice LookUpDueDevice(const CDeviceManager& devices, int deviceId) {
    int32_t loggedIn = 0;
    if (!devices.ReadDevice(deviceId, [&loggedIn](const DEVICE_RECORD& device) { loggedIn = device.loggedIn; }))
        return DueDevice::kAbsent;
    return loggedIn ? DueDevice::kLoggedIn : DueDevice::kLoggedOut;
}

}  // namespace

bool ScheduleRecordWindow(const BACKUP_SCHEDULE& schedule, const CTime& now, QVNET_TIME* begin, QVNET_TIME* end) {
    static const int kDaysBack[10] = {0, 1, 2, 3, 4, 5, 6, 15, 20, 30};
    int year, month, day;
    if (schedule.AgoType == kManualAgoType) {
        year = schedule.EndTime.Year;
        month = schedule.EndTime.Month;
        day = schedule.EndTime.Day;
    } else if (schedule.AgoType >= 0 && schedule.AgoType <= 9) {
        CTime date = now - CTimeSpan(kDaysBack[schedule.AgoType], 0, 0, 0);
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

int CBackupEngine::StartAutoBackup() {
    if (m_scheduledOn) return 0;
    CAppConfig* config = GetAppConfig();
    SetConcurrentLimit(config->m_nMultiBackupDevCount);
    m_schedules.Load(config->GetScheduleFile());
    std::vector<BACKUP_SCHEDULE> automatic;
    m_schedules.ListAll(automatic, FALSE);
    if (automatic.empty()) return -1;
    CTime now = CTime::GetCurrentTime();
    AddLogRecord(1, LOG_SCHEDULE_START, StartStopText(L"Dodavozi Start"), CString(), 0, 0, 0, 0, now, now, now);
    StartSchedulerThread();
    m_scheduledOn = 1;
    return 0;
}

int CBackupEngine::StartManualDownload() {
    if (m_manualOn) return 0;
    m_manualOn = 1;
    StartSchedulerThread();
    return 0;
}

int CBackupEngine::StartSchedulerThread() {
    if (m_schedulerRun) return 0;
    // A thread of an earlier run that was stopped must be gone first.
    StopSchedulerThread();
    m_schedulerExited = 0;
    m_schedulerRun = 1;
    m_schedulerThread = CreateThread(nullptr, 0, ScheduleThreadProc, this, 0, nullptr);
    if (!m_schedulerThread) {
        m_schedulerRun = 0;
        m_schedulerExited = 1;
        return -1;
    }
    return 0;
}

void CBackupEngine::StopSchedulerThread() {
    m_schedulerRun = 0;
    if (!m_schedulerThread) return;
    DWORD waited = 0;
    while (!m_schedulerExited && waited < kSchedulerStopWaitMs) {
        if (WaitForSingleObject(m_schedulerThread, kStopPollMs) == WAIT_OBJECT_0) break;
        waited += kStopPollMs;
    }
    WaitForSingleObject(m_schedulerThread, kSchedulerStopWaitMs);
    CloseHandle(m_schedulerThread);
    m_schedulerThread = nullptr;
}

int CBackupEngine::StopAutoBackup() {
    if (!m_scheduledOn) return -1;
    if (!m_manualOn) StopSchedulerThread();
    std::vector<int> toStop;
    {
        CAutoLock guard(&m_engineLock);
        for (auto it = m_active.begin(); it != m_active.end();) {
            if (it->IsManual()) { ++it; continue; }
            m_schedules.SetDayEnded(it->scheduleId, it->weekday);
            if (it->source.sdkHandle != 0) {
                toStop.push_back(it->taskId);
                ++it;
            } else {
                it = m_active.erase(it);
            }
        }
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            if (it->IsManual()) { ++it; continue; }
            if (it->source.sdkHandle != 0) {
                toStop.push_back(it->taskId);
                ++it;
            } else {
                it = m_pending.erase(it);
            }
        }
    }
    for (int id : toStop) StopTask(id);
    m_scheduledOn = 0;
    CTime now = CTime::GetCurrentTime();
    AddLogRecord(1, LOG_SCHEDULE_STOP, StartStopText(L"Dodavozi Stop"), CString(), 0, 0, 0, 0, now, now, now);
    return 0;
}

int CBackupEngine::StopManualDownload() {
    if (!m_manualOn) {
        // The last manual task may have cleared the flag already; the thread
        // still must not outlive both modes.
        if (!m_scheduledOn) StopSchedulerThread();
        return 0;
    }
    // The thread ends whenever neither mode stays on, so it never outlives both.
    if (!m_scheduledOn) StopSchedulerThread();
    std::vector<int> toStop;
    {
        CAutoLock guard(&m_engineLock);
        auto settle = [&](auto& tasks) {
            for (auto it = tasks.begin(); it != tasks.end();) {
                if (!it->IsManual()) { ++it; continue; }
                if (it->source.sdkHandle != 0) {
                    m_schedules.SetDayEnded(it->scheduleId, 0);
                    toStop.push_back(it->taskId);
                    ++it;
                } else {
                    it = tasks.erase(it);
                }
            }
        };
        settle(m_active);
        settle(m_pending);
        m_schedules.ClearManual();
    }
    for (int id : toStop) StopTask(id);
    m_manualOn = 0;
    return 0;
}

int CBackupEngine::GetBackupState(int* scheduledOn, int* manualOn) {
    *scheduledOn = m_scheduledOn;
    *manualOn = m_manualOn;
    return 0;
}

DWORD WINAPI CBackupEngine::ScheduleThreadProc(void* param) {
    CBackupEngine* engine = static_cast<CBackupEngine*>(param);
    try {
        engine->RunSchedulerLoop();
    } catch (...) {
    }
    engine->m_schedulerRun = 0;
    engine->m_schedulerExited = 1;
    return 1;
}

void CBackupEngine::RunSchedulerLoop() {
    while (m_schedulerRun == 1) {
        CTime started = CTime::GetCurrentTime();
        RetireSchedules(started);
        ScheduleTick(started);
        InterlockedIncrement(&m_schedulerPasses);
        if (m_schedulerRun != 1) break;
        __time64_t spent = CTime::GetCurrentTime().GetTime() - started.GetTime();
        if (spent >= kPassSeconds || spent < 0) {
            Sleep(kSleepStepMs);
            continue;
        }
        DWORD budget = (DWORD)(kPassSeconds - spent) * 1000;
        for (DWORD slept = 0; slept < budget && m_schedulerRun; slept += kSleepStepMs) Sleep(kSleepStepMs);
    }
}

int CBackupEngine::RetireSchedules(CTime now) {
    std::vector<BACKUP_SCHEDULE> expired;
    m_schedules.CollectExpired(now.GetHour(), now.GetMinute(), now.GetSecond(), WeekdayIndex(now), expired);
    std::vector<int> toStop;
    for (const BACKUP_SCHEDULE& schedule : expired) {
        if (!m_schedulerRun) break;
        CAutoLock guard(&m_engineLock);
        for (const RECORD_TASK& task : m_active) {
            if (task.scheduleId == schedule.id) toStop.push_back(task.taskId);
        }
        m_pending.remove_if([&](const RECORD_TASK& task) {
            return task.scheduleId == schedule.id && task.source.sdkHandle == 0;
        });
    }
    for (int id : toStop) StopTask(id);
    return 0;
}

int CBackupEngine::ScheduleTick(CTime now) {
    int weekday = WeekdayIndex(now);
    std::vector<BACKUP_SCHEDULE> due;
    m_schedules.QueryDue(now.GetHour(), now.GetMinute(), now.GetSecond(), weekday, due, 0, 0);
    for (const BACKUP_SCHEDULE& schedule : due) {
        if (!m_schedulerRun) break;
        bool manual = schedule.AgoType == kManualAgoType;
        if (manual ? !m_manualOn : !m_scheduledOn) continue;
        const DueDevice state = LookUpDueDevice(m_devices, schedule.DevID);
        if (state == DueDevice::kAbsent) continue;
        if (state == DueDevice::kLoggedOut) {
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

void CBackupEngine::QueryScheduleFiles(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device,
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
        int result = m_replay->QueryRecordFiles(0, device.loginHandle, schedule.ChannelIndex, &begin, &end, CString(),
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
            AddDownloadTask(schedule.DevID, &desc, schedule.id, weekday);
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
        if (!m_schedulerRun) break;
    }
    if (failed) return;
    if (found) {
        m_schedules.SetDayStarted(schedule.id, weekday);
        FinishScheduleIfIdle(schedule.id, weekday);
    } else {
        m_schedules.SetDayEnded(schedule.id, weekday);
    }
}
