#include "CTaskRowTexts.h"

#include "app/core/TextValues.h"
#include "app/ui/dialogs/DialogMessages.h"

namespace {

CString IdleStateText(const CString& connection, const wchar_t* scheduleWord) {
    return L"[" + Translate(L"Device Status") + L":" + connection + L"][" + Translate(L"Schedule Status") + L":" +
           Translate(scheduleWord) + L"]";
}

// "hh:mm:00" of a stored hour and minute.
void AppendClock(CString& text, int hour, int minute) {
    AppendClockText(text, hour, minute);
    text += L":00";
}

}  // namespace

CTaskRowTexts::CTaskRowTexts(int automaticOn, int manualOn, const CTime& now)
    : m_automaticOn(automaticOn), m_manualOn(manualOn), m_now(now), m_weekdayIndex(now.GetDayOfWeek() - 1) {
    static const wchar_t* const kIdleWords[kIdleWordCount] = {L"no run", L"end", L"faild"};
    for (int connected = 0; connected < 2; ++connected) {
        const CString connection = Translate(connected ? L"Connect" : L"Disconnect");
        for (int word = 0; word < kIdleWordCount; ++word)
            m_idleText[connected][word] = IdleStateText(connection, kIdleWords[word]);
        m_startedPrefix[connected] = L"[" + Translate(L"Device Status") + L":" + connection + L"][" +
                                     Translate(L"Schedule Status") + L":" + Translate(L"run") + L"][" +
                                     Translate(L"Need Download Files") + L":";
    }
    m_autoPrefix = L"[" + Translate(L"Auto") + L"]";
    m_manualPrefix = L"[" + Translate(L"Manual") + L"]";
    m_channelWord = Translate(L"Channel");
}

bool CTaskRowTexts::Make(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, int taskCount,
                         TASK_ROW_TEXT* out) {
    if (device.id == 0) return false;
    CString date;
    if (!RecordingDate(schedule, &date)) return false;
    CString state;
    if (!StateText(schedule, device.loggedIn != 0, taskCount, &state)) return false;
    out->device = FieldText(device.title);
    out->channel = ChannelName(schedule, device);
    CString& information = out->information;
    information.Preallocate(2 * date.GetLength() + 20);
    information = date;
    information += L' ';
    AppendClock(information, schedule.RecordTime.FHour, schedule.RecordTime.FMinute);
    information += L'-';
    information += date;
    information += L' ';
    AppendClock(information, schedule.RecordTime.THour, schedule.RecordTime.TMinute);
    out->status = (schedule.AgoType == kManualAgoType ? m_manualPrefix : m_autoPrefix) + state;
    return true;
}

// The day the schedule's recordings are from; false when the schedule gets
// no row in the current download state.
bool CTaskRowTexts::RecordingDate(const BACKUP_SCHEDULE& schedule, CString* date) {
    if (schedule.AgoType == kManualAgoType) {
        if (!m_manualOn) return false;
        date->Format(L"%04d-%02u-%02u", schedule.EndTime.Year, schedule.EndTime.Month, schedule.EndTime.Day);
        return true;
    }
    const int daysBack = DaysBackOfAgoType(schedule.AgoType);
    if (daysBack < 0 || !m_automaticOn) return false;
    auto known = m_dateByDaysBack.find(daysBack);
    if (known == m_dateByDaysBack.end())
        known = m_dateByDaysBack.emplace(daysBack, CalendarDaysBack(m_now, daysBack).Format(L"%Y-%m-%d")).first;
    *date = known->second;
    return true;
}

// The state words; false for a manual schedule that has ended or failed.
bool CTaskRowTexts::StateText(const BACKUP_SCHEDULE& schedule, bool connected, int taskCount, CString* text) const {
    const bool manual = schedule.AgoType == kManualAgoType;
    const int state = manual ? schedule.DayState[0] : schedule.DayState[m_weekdayIndex];
    switch (state) {
        case kDayIdle: *text = m_idleText[connected][kNoRun]; return true;
        case kDayStarted: {
            wchar_t count[16];
            _itow(taskCount, count, 10);
            *text = m_startedPrefix[connected] + count + L"]";
            return true;
        }
        case kDayEnded:
        case kDayEndedOther:
            if (manual) return false;
            *text = m_idleText[connected][state == kDayEnded ? kEnd : kFailed];
            return true;
        default: text->Empty(); return true;
    }
}

CString CTaskRowTexts::ChannelName(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device) const {
    const int index = schedule.ChannelIndex;
    // A stored index beyond the device's channels (or the record's slots)
    // names no channel: the record is never read outside its slots.
    if (index < 0 || index >= device.channelCount || index >= kMaxChannels) return CString();
    const CString name = FieldText(device.channels[index].name);
    if (!name.IsEmpty()) return name;
    wchar_t number[16];
    _itow(index, number, 10);
    return m_channelWord + number;
}
