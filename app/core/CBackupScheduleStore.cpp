#include "CBackupScheduleStore.h"

#include <set>

#include "BackupScheduleXml.h"
#include "common/CAutoLock.h"
#include "CLiveDeviceLookup.h"
#include "CXmlTextWriter.h"
#include "DeviceListIds.h"
#include "RefusedValues.h"
#include "ScheduleRanges.h"
#include "XmlFile.h"

namespace {

const int kDefaultMaximum = 300;

bool IsWeekday(int weekday) { return weekday >= 0 && weekday < kDaysPerWeek; }

bool IsEndedState(int32_t state) { return state == kDayEnded || state == kDayEndedOther; }

// Which day states count as due for the filter flags of QueryDue.
bool IsAcceptedState(int32_t state, int acceptRunning, int acceptEnded) {
    if (acceptRunning == 1 && acceptEnded == 0) return !IsEndedState(state);
    if (acceptRunning == 0 && acceptEnded == 1) return IsEndedState(state);
    if (acceptRunning == 1 && acceptEnded == 1) return state != kDayIdle;
    return state == kDayIdle || state == kDayDone;
}

bool SameMinutes(TIME_RANGE& a, TIME_RANGE& b) {
    return a.GetStartMinutes() == b.GetStartMinutes() && a.GetEndMinutes() == b.GetEndMinutes();
}

// --- backupschedule.xml ---

// The file is written as text: a document of 100 000 schedules took
// twelve seconds to build and print under Wine.
void WriteTimeRange(CXmlTextWriter& writer, const char* name, const TIME_RANGE& range) {
    writer.Open(name);
    writer.Attribute("FHour", range.FHour);
    writer.Attribute("FMinute", range.FMinute);
    writer.Attribute("THour", range.THour);
    writer.Attribute("TMinute", range.TMinute);
    writer.Close();
}

void WriteEndTime(CXmlTextWriter& writer, const SCHEDULE_END_TIME& end) {
    writer.Open("BackupScheduleEndTime");
    writer.Attribute("Year", end.Year);
    writer.Attribute("Month", end.Month);
    writer.Attribute("Day", end.Day);
    writer.Attribute("Hour", end.Hour);
    writer.Attribute("Minute", end.Minute);
    writer.Attribute("Second", end.Second);
    writer.Close();
}

void WriteAutoElement(CXmlTextWriter& writer, BACKUP_SCHEDULE& schedule) {
    // A window read as 23:59 is saved as 23:59.
    schedule.RunTime.ClampBoth();
    schedule.RecordTime.ClampBoth();
    writer.Open("BackupSchedule");
    writer.Attribute("DevID", schedule.DevID);
    writer.Attribute("ChannelIndex", schedule.ChannelIndex);
    writer.Attribute("Complete", schedule.DayState[0]);
    writer.Attribute("AgoType", schedule.AgoType);
    WriteTimeRange(writer, "BackupScheduleRunTime", schedule.RunTime);
    WriteTimeRange(writer, "BackupScheduleDeviceRecordTime", schedule.RecordTime);
    WriteEndTime(writer, schedule.EndTime);
    for (int day = 0; day < kDaysPerWeek; ++day) {
        if (schedule.WeekDayEnable[day] != 1) continue;
        writer.Open("WeekDayInfo");
        writer.Attribute("WeekDay", day);
        writer.Attribute("Enable", 1);
        writer.Close();
    }
    writer.Close();
}

void WriteManualElement(CXmlTextWriter& writer, BACKUP_SCHEDULE& schedule) {
    schedule.RecordTime.ClampBoth();
    writer.Open("BackupSchedule");
    writer.Attribute("DevID", schedule.DevID);
    writer.Attribute("ChannelIndex", schedule.ChannelIndex);
    writer.Attribute("AgoType", schedule.AgoType);
    WriteTimeRange(writer, "BackupScheduleDeviceRecordTime", schedule.RecordTime);
    writer.Close();
}

}  // namespace

CBackupScheduleStore::CBackupScheduleStore(CLiveDeviceLookup* liveDevices)
    : m_nAutoId(0),
      m_nAutoMax(kDefaultMaximum),
      m_nManualId(kManualScheduleIdBase),
      m_nManualMax(kDefaultMaximum),
      m_pLiveDevices(liveDevices) {}

CBackupScheduleStore::~CBackupScheduleStore() { m_lock.Destroy(); }

// --- File ---

int CBackupScheduleStore::Load(const CString& path) {
    {
        CAutoLock guard(&m_lock);
        m_strPath = path;
    }
    return LoadFile(path);
}

int CBackupScheduleStore::LoadFile(const CString& path) {
    // Read before the lock: a slow disk must not stall the scheduler.
    std::vector<BACKUP_SCHEDULE> loaded;
    const int read = ReadScheduleFile(path, loaded);
    // A schedule of a device that is not in the list is kept: the schedule
    // list shows it with empty device cells and the scheduler passes it by;
    // only the purge after deleting devices removes it.
    bool refused = false;
    CAutoLock guard(&m_lock);
    ClearAuto();
    if (read < 0) return -1;
    for (BACKUP_SCHEDULE& schedule : loaded) {
        if (!FitScheduleRanges(schedule, refused)) {
            refused = true;
            continue;
        }
        schedule.id = ++m_nAutoId;
        m_autoSchedules.emplace_hint(m_autoSchedules.end(), schedule.id, schedule);
    }
    if (refused) NoteRefusedValues(path);
    return read;
}

int CBackupScheduleStore::Save(const CString& path) {
    // The text is built from a snapshot under the lock and written after
    // releasing it; being local, nothing can clear it halfway through.
    std::string text;
    CString target = path;
    {
        CAutoLock guard(&m_lock);
        if (target.IsEmpty()) target = m_strPath;
        text.reserve(1024 + m_autoSchedules.size() * 800 + m_manualSchedules.size() * 200);
        CXmlTextWriter writer(text, "\r\n");
        writer.Declaration();
        writer.Open("AutoBackupSchedule");
        for (auto& entry : m_autoSchedules) WriteAutoElement(writer, entry.second);
        writer.Close();
        writer.Open("ManualBackupSchedule");
        for (auto& entry : m_manualSchedules) WriteManualElement(writer, entry.second);
        writer.Close();
    }
    return WriteXmlText(text, target);
}

// --- Automatic schedules ---

int CBackupScheduleStore::StoreAuto(BACKUP_SCHEDULE schedule) {
    CAutoLock guard(&m_lock);
    schedule.id = ++m_nAutoId;
    m_autoSchedules[schedule.id] = schedule;
    return 0;
}

int CBackupScheduleStore::AddAuto(const BACKUP_SCHEDULE& schedule) { return StoreAuto(schedule); }

int CBackupScheduleStore::AddAutoFields(int devId, int channelIndex, const TIME_RANGE& runTime,
                                        const int weekDays[kDaysPerWeek], int agoType, const TIME_RANGE& recordTime) {
    BACKUP_SCHEDULE schedule;
    schedule.DevID = devId;
    schedule.ChannelIndex = channelIndex;
    schedule.RunTime = runTime;
    for (int day = 0; day < kDaysPerWeek; ++day) schedule.WeekDayEnable[day] = weekDays[day];
    schedule.AgoType = agoType;
    schedule.RecordTime = recordTime;
    return StoreAuto(schedule);
}

BACKUP_SCHEDULE* CBackupScheduleStore::Replace(ScheduleMap& schedules, int id, const BACKUP_SCHEDULE& schedule) {
    auto found = schedules.find(id);
    if (found == schedules.end()) return nullptr;
    found->second = schedule;
    found->second.id = id;
    return &found->second;
}

int CBackupScheduleStore::ModifyAuto(int id, const BACKUP_SCHEDULE& schedule) {
    CAutoLock guard(&m_lock);
    return Replace(m_autoSchedules, id, schedule) ? 0 : -1;
}

int CBackupScheduleStore::DeleteAuto(int id) {
    CAutoLock guard(&m_lock);
    return m_autoSchedules.erase(id) ? 0 : -1;
}

int CBackupScheduleStore::ClearAuto() {
    CAutoLock guard(&m_lock);
    m_autoSchedules.clear();
    m_nAutoId = 0;
    return 0;
}

int CBackupScheduleStore::ExistsAuto(int id) {
    CAutoLock guard(&m_lock);
    return m_autoSchedules.count(id) ? 0 : -1;
}

bool CBackupScheduleStore::HasSameAuto(int devId, int channelIndex, TIME_RANGE runTime,
                                       const int weekDays[kDaysPerWeek], int agoType, TIME_RANGE recordTime) {
    CAutoLock guard(&m_lock);
    for (auto& entry : m_autoSchedules) {
        BACKUP_SCHEDULE& schedule = entry.second;
        if (schedule.DevID != devId || schedule.ChannelIndex != channelIndex || schedule.AgoType != agoType) continue;
        bool sameDays = true;
        for (int day = 0; day < kDaysPerWeek; ++day)
            sameDays = sameDays && schedule.WeekDayEnable[day] == weekDays[day];
        if (sameDays && SameMinutes(schedule.RunTime, runTime) && SameMinutes(schedule.RecordTime, recordTime))
            return true;
    }
    return false;
}

int CBackupScheduleStore::ListAuto(std::vector<BACKUP_SCHEDULE>& out) { return ListAll(out, FALSE); }

int CBackupScheduleStore::GetAutoCount() {
    CAutoLock guard(&m_lock);
    return static_cast<int>(m_autoSchedules.size());
}

int CBackupScheduleStore::ListDeviceChannels(std::vector<std::pair<int, int>>& out) {
    CAutoLock guard(&m_lock);
    for (const auto& entry : m_autoSchedules) out.emplace_back(entry.second.DevID, entry.second.ChannelIndex);
    return m_autoSchedules.empty() ? -1 : 0;
}

// --- Manual schedules ---

int CBackupScheduleStore::AddManual(const BACKUP_SCHEDULE& schedule) {
    CAutoLock guard(&m_lock);
    if (static_cast<int>(m_manualSchedules.size()) >= m_nManualMax) return -1;
    BACKUP_SCHEDULE stored = schedule;
    stored.id = ++m_nManualId;
    stored.AgoType = kManualAgoType;
    stored.DayState[0] = kDayIdle;
    m_manualSchedules[stored.id] = stored;
    return 0;
}

int CBackupScheduleStore::ModifyManual(int id, const BACKUP_SCHEDULE& schedule) {
    CAutoLock guard(&m_lock);
    BACKUP_SCHEDULE* stored = Replace(m_manualSchedules, id, schedule);
    if (!stored) return -1;
    stored->AgoType = kManualAgoType;
    return 0;
}

int CBackupScheduleStore::DeleteManual(int id) {
    CAutoLock guard(&m_lock);
    return m_manualSchedules.erase(id) ? 0 : -1;
}

int CBackupScheduleStore::ClearManual() {
    CAutoLock guard(&m_lock);
    m_manualSchedules.clear();
    m_nManualId = kManualScheduleIdBase;
    return 0;
}

int CBackupScheduleStore::GetManualCount() {
    CAutoLock guard(&m_lock);
    return static_cast<int>(m_manualSchedules.size());
}

bool CBackupScheduleStore::IsManualFull() { return GetManualCount() >= m_nManualMax; }

bool CBackupScheduleStore::HasSameManual(int devId, int channelIndex, int agoType, TIME_RANGE recordTime) {
    CAutoLock guard(&m_lock);
    for (auto& entry : m_manualSchedules) {
        BACKUP_SCHEDULE& schedule = entry.second;
        if (schedule.DevID == devId && schedule.ChannelIndex == channelIndex && schedule.AgoType == agoType &&
            SameMinutes(schedule.RecordTime, recordTime))
            return true;
    }
    return false;
}

// --- Both ---

BACKUP_SCHEDULE* CBackupScheduleStore::FindAny(int id) {
    auto automatic = m_autoSchedules.find(id);
    if (automatic != m_autoSchedules.end()) return &automatic->second;
    auto manual = m_manualSchedules.find(id);
    if (manual != m_manualSchedules.end()) return &manual->second;
    return nullptr;
}

BACKUP_SCHEDULE CBackupScheduleStore::GetSchedule(int id) {
    CAutoLock guard(&m_lock);
    const BACKUP_SCHEDULE* schedule = FindAny(id);
    return schedule ? *schedule : BACKUP_SCHEDULE();
}

int CBackupScheduleStore::ListAll(std::vector<BACKUP_SCHEDULE>& out, BOOL includeManual) {
    CAutoLock guard(&m_lock);
    const size_t before = out.size();
    out.reserve(before + m_autoSchedules.size() + (includeManual ? m_manualSchedules.size() : 0));
    for (const auto& entry : m_autoSchedules) out.push_back(entry.second);
    if (includeManual)
        for (const auto& entry : m_manualSchedules) out.push_back(entry.second);
    return out.size() > before ? 0 : -1;
}

// --- Due and retire rules ---

int CBackupScheduleStore::QueryDue(int hour, int minute, int /*second*/, int weekday, std::vector<BACKUP_SCHEDULE>& out,
                                   int acceptRunning, int acceptEnded) {
    if (!IsWeekday(weekday)) return -1;
    const int now = hour * 60 + minute;
    CAutoLock guard(&m_lock);
    const size_t before = out.size();
    // Often nearly all are due (all-day schedules): one allocation, no moves.
    out.reserve(before + m_autoSchedules.size() + m_manualSchedules.size());
    for (auto& entry : m_autoSchedules) {
        BACKUP_SCHEDULE& schedule = entry.second;
        if (schedule.WeekDayEnable[weekday] != 1) continue;
        // Both ends are read (and clamped) before testing, as the clamp is
        // written back into the record.
        const int start = schedule.RunTime.GetStartMinutes();
        const int end = schedule.RunTime.GetEndMinutes();
        if (start <= now && now <= end && IsAcceptedState(schedule.DayState[weekday], acceptRunning, acceptEnded))
            out.push_back(schedule);
    }
    for (const auto& entry : m_manualSchedules)
        if (IsAcceptedState(entry.second.DayState[0], acceptRunning, acceptEnded)) out.push_back(entry.second);
    return out.size() > before ? 0 : -1;
}

int CBackupScheduleStore::SetDayStarted(int id, int weekday) {
    if (!IsWeekday(weekday)) return -1;
    CAutoLock guard(&m_lock);
    BACKUP_SCHEDULE* schedule = FindAny(id);
    if (!schedule) return -1;
    schedule->DayState[schedule->IsManual() ? 0 : weekday] = kDayStarted;
    return 0;
}

int CBackupScheduleStore::SetDayEnded(int id, int weekday) {
    if (!IsWeekday(weekday)) return -1;
    CAutoLock guard(&m_lock);
    BACKUP_SCHEDULE* schedule = FindAny(id);
    if (!schedule) return -1;
    // A manual schedule is a one-off: its end is its removal.
    if (schedule->IsManual())
        m_manualSchedules.erase(id);
    else
        schedule->DayState[weekday] = kDayEnded;
    return 0;
}

int CBackupScheduleStore::SetDayDone(int id, int hour, int minute, int /*second*/, int weekday) {
    if (!IsWeekday(weekday)) return -1;
    const int now = hour * 60 + minute;
    CAutoLock guard(&m_lock);
    BACKUP_SCHEDULE* schedule = FindAny(id);
    if (!schedule) return 0;
    if (schedule->IsManual())
        m_manualSchedules.erase(id);
    else if (now < schedule->RunTime.GetEndMinutes())
        schedule->DayState[weekday] = kDayDone;
    return 0;
}

int CBackupScheduleStore::CollectExpired(int hour, int minute, int /*second*/, int weekday,
                                         std::vector<BACKUP_SCHEDULE>& out) {
    if (!IsWeekday(weekday)) return -1;
    const int now = hour * 60 + minute;
    const int previous = weekday == 0 ? kDaysPerWeek - 1 : weekday - 1;
    CAutoLock guard(&m_lock);
    const size_t before = out.size();
    for (auto& entry : m_autoSchedules) {
        BACKUP_SCHEDULE& schedule = entry.second;
        if (schedule.AgoType == kManualAgoType) continue;
        if (schedule.RunTime.GetEndMinutes() < now && schedule.DayState[weekday] == kDayStarted) {
            schedule.DayState[weekday] = kDayIdle;
            out.push_back(schedule);
        }
        const bool previousRunOpen =
            schedule.DayState[previous] == kDayStarted && schedule.WeekDayEnable[previous] == 1;
        // Only today's state outlives the retire step.
        for (int day = 0; day < kDaysPerWeek; ++day)
            if (day != weekday) schedule.DayState[day] = kDayIdle;
        if (previousRunOpen) out.push_back(schedule);
    }
    return out.size() > before ? 0 : -1;
}

int CBackupScheduleStore::PurgeDeletedDevices(const CString& deviceFile) {
    DeviceLookup exists;
    if (deviceFile.IsEmpty()) {
        if (CLiveDeviceLookup* live = m_pLiveDevices) exists = [live](int devId) { return live->HasDevice(devId); };
    } else {
        std::set<int> ids;
        if (ReadDeviceListIds(deviceFile, ids) != 0) return -1;
        exists = [ids](int devId) { return ids.count(devId) != 0; };
    }
    if (!exists) return -1;
    return EraseSchedulesNotIn(exists);
}

int CBackupScheduleStore::EraseSchedulesNotIn(const DeviceLookup& exists) {
    // Held through the save so no schedule added meanwhile is lost or saved half-purged.
    CAutoLock guard(&m_lock);
    for (auto entry = m_autoSchedules.begin(); entry != m_autoSchedules.end();) {
        if (exists(entry->second.DevID))
            ++entry;
        else
            entry = m_autoSchedules.erase(entry);
    }
    const int saved = Save(CString());
    return saved < 0 ? saved : 0;
}
