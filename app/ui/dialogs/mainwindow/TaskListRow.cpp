#include "TaskListRow.h"

#include <cstring>

#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/dialogs/mainwindow/CTaskRowTexts.h"

CString FieldText(const char* field, size_t width) {
    return CString(CStringA(field, static_cast<int>(strnlen(field, width))));
}

bool MakeTaskRowText(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, int automaticOn, int manualOn,
                     int taskCount, const CTime& now, TASK_ROW_TEXT* out) {
    return CTaskRowTexts(automaticOn, manualOn, now).Make(schedule, device, taskCount, out);
}

void AppendUnindexedText(int unindexedCount, TASK_ROW_TEXT* text) {
    if (unindexedCount <= 0) return;
    CString part;
    part.Format(L"[%s:%d]", Translate(L"Not in record list").GetString(), unindexedCount);
    text->status += part;
}
