// The texts of one row of the main window's task list: which schedules get
// a row while which download runs, the date their recordings are from, and
// the state words. Kept apart from the window so the rules stand alone.
#pragma once

#include <afx.h>

#include "app/core/BackupSchedule.h"
#include "app/engine/DEVICE_RECORD.h"

// Item data of the row that says the disk is full.
const LPARAM kDiskFullRowData = -2;

struct TASK_ROW_TEXT {
    CString device;
    CString channel;
    CString information;
    CString status;
};

// The text of a fixed field: up to its first zero byte, never past its end.
CString FieldText(const char* field, size_t width);
template <size_t N>
CString FieldText(const char (&field)[N]) {
    return FieldText(field, N);
}

// One row's texts, alone (CTaskRowTexts makes a refresh's rows).
// False when the schedule gets no row: its device is gone (id 0), its kind of
// download is not running, its AgoType is unknown, or a manual schedule has
// ended or failed. taskCount is its pending plus active downloads.
bool MakeTaskRowText(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, int automaticOn, int manualOn,
                     int taskCount, const CTime& now, TASK_ROW_TEXT* out);

// Adds "[Not in record list:n]" to the status when n downloaded recordings
// of the schedule are kept on disk without their record-list row.
void AppendUnindexedText(int unindexedCount, TASK_ROW_TEXT* text);
