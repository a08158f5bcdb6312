// What one row of the main window's task list holds, and the pieces its
// texts are made of (CTaskRowTexts applies the rules). Kept apart from the
// window so the rules stand alone.
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

// Adds "[Not in record list:n]" to the status when n downloaded recordings
// of the schedule are kept on disk without their record-list row.
void AppendUnindexedText(int unindexedCount, TASK_ROW_TEXT* text);
