// CTaskRowTexts: the texts of the main window's task list rows for one
// refresh. The state words of the chosen language and the recording dates
// are the same for thousands of rows, so they are made once per refresh,
// not once per row (a refresh of 100 000 schedules spent most of its time
// translating and formatting the same words). UI thread.
#pragma once

#include <afx.h>

#include <map>

#include "app/core/BackupSchedule.h"
#include "app/engine/DEVICE_RECORD.h"
#include "app/ui/dialogs/mainwindow/TaskListRow.h"

class CTaskRowTexts {
public:
    // The download state and the time of this refresh.
    CTaskRowTexts(int automaticOn, int manualOn, const CTime& now);

    // The texts of the schedule's row. False when the schedule gets no row:
    // its device is gone (id 0), its kind of download is not running, its
    // AgoType is unknown, or a manual schedule has ended or failed.
    // taskCount is its pending plus active downloads.
    bool Make(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, int taskCount, TASK_ROW_TEXT* out);

private:
    bool RecordingDate(const BACKUP_SCHEDULE& schedule, CString* date);
    bool StateText(const BACKUP_SCHEDULE& schedule, bool connected, int taskCount, CString* text) const;
    CString ChannelName(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device) const;

    enum IdleWord { kNoRun, kEnd, kFailed, kIdleWordCount };

    int m_automaticOn;
    int m_manualOn;
    CTime m_now;
    int m_weekdayIndex;
    CString m_idleText[2][kIdleWordCount];  // [connected][word]
    CString m_startedPrefix[2];             // [connected], the task count follows
    CString m_autoPrefix;
    CString m_manualPrefix;
    CString m_channelWord;
    std::map<int, CString> m_dateByDaysBack;
};
