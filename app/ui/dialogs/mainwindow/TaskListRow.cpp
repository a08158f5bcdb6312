#include "TaskListRow.h"

#include <cstring>

#include "app/ui/dialogs/DialogMessages.h"

CString FieldText(const char* field, size_t width) {
    return CString(CStringA(field, static_cast<int>(strnlen(field, width))));
}

void AppendUnindexedText(int unindexedCount, TASK_ROW_TEXT* text) {
    if (unindexedCount <= 0) return;
    CString part;
    part.Format(L"[%s:%d]", Translate(L"Not in record list").GetString(), unindexedCount);
    text->status += part;
}
