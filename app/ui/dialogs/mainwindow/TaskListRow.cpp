#include "TaskListRow.h"

#include <cstring>

#include "app/ui/dialogs/DialogMessages.h"

namespace {

CString ChannelName(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device) {
    const int index = schedule.ChannelIndex;
    // A stored index beyond the device's channels (or the record's slots)
    // names no channel: the record is never read outside its slots.
    if (index < 0 || index >= device.channelCount || index >= kMaxChannels) return CString();
    const CString name = FieldText(device.channels[index].name);
    if (!name.IsEmpty()) return name;
    CString text;
    text.Format(L"%s%d", Translate(L"Channel").GetString(), index);
    return text;
}

// The day the schedule's recordings are from; false when the schedule gets
// no row in the current download state.
bool RecordingDate(const BACKUP_SCHEDULE& schedule, int automaticOn, int manualOn, const CTime& now, CString* date) {
    if (schedule.AgoType == kManualAgoType) {
        if (!manualOn) return false;
        date->Format(L"%04d-%02u-%02u", schedule.EndTime.Year, schedule.EndTime.Month, schedule.EndTime.Day);
        return true;
    }
    const int daysBack = DaysBackOfAgoType(schedule.AgoType);
    if (daysBack < 0 || !automaticOn) return false;
    *date = CalendarDaysBack(now, daysBack).Format(L"%Y-%m-%d");
    return true;
}

CString IdleStateText(const CString& connection, const wchar_t* scheduleWord) {
    return L"[" + Translate(L"Device Status") + L":" + connection + L"][" + Translate(L"Schedule Status") + L":" +
           Translate(scheduleWord) + L"]";
}

// The state words; false for a manual schedule that has ended or failed.
bool StateText(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, int taskCount, const CTime& now,
               CString* text) {
    const bool manual = schedule.AgoType == kManualAgoType;
    const int state = manual ? schedule.DayState[0] : schedule.DayState[now.GetDayOfWeek() - 1];
    const CString connection = Translate(device.loggedIn ? L"Connect" : L"Disconnect");
    switch (state) {
        case kDayIdle: *text = IdleStateText(connection, L"no run"); return true;
        case kDayStarted:
            text->Format(L"[%s:%s][%s:%s][%s:%d]", Translate(L"Device Status").GetString(), connection.GetString(),
                         Translate(L"Schedule Status").GetString(), Translate(L"run").GetString(),
                         Translate(L"Need Download Files").GetString(), taskCount);
            return true;
        case kDayEnded:
        case kDayEndedOther:
            if (manual) return false;
            *text = IdleStateText(connection, state == kDayEnded ? L"end" : L"faild");
            return true;
        default: text->Empty(); return true;
    }
}

}  // namespace

CString FieldText(const char* field, size_t width) {
    return CString(CStringA(field, static_cast<int>(strnlen(field, width))));
}

bool MakeTaskRowText(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, int automaticOn, int manualOn,
                     int taskCount, const CTime& now, TASK_ROW_TEXT* out) {
    if (device.id == 0) return false;
    CString date;
    if (!RecordingDate(schedule, automaticOn, manualOn, now, &date)) return false;
    CString state;
    if (!StateText(schedule, device, taskCount, now, &state)) return false;
    out->device = FieldText(device.title);
    out->channel = ChannelName(schedule, device);
    out->information.Format(L"%s %02d:%02d:00-%s %02d:%02d:00", date.GetString(), schedule.RecordTime.FHour,
                            schedule.RecordTime.FMinute, date.GetString(), schedule.RecordTime.THour,
                            schedule.RecordTime.TMinute);
    const bool manual = schedule.AgoType == kManualAgoType;
    out->status = L"[" + Translate(manual ? L"Manual" : L"Auto") + L"]" + state;
    return true;
}

void AppendUnindexedText(int unindexedCount, TASK_ROW_TEXT* text) {
    if (unindexedCount <= 0) return;
    CString part;
    part.Format(L"[%s:%d]", Translate(L"Not in record list").GetString(), unindexedCount);
    text->status += part;
}
