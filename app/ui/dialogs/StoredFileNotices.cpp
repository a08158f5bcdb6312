#include "StoredFileNotices.h"

#include "app/ui/dialogs/devices/CDeviceUserLists.h"
#include "DialogMessages.h"
#include "app/core/CAppConfig.h"
#include "app/core/RefusedValues.h"
#include "app/engine/CDeviceManager.h"

void TellRefusedValues(CWnd* owner) {
    const CString text = RefusedValuesText(TakeFilesWithRefusedValues());
    if (!text.IsEmpty()) ShowDodavoziBox(owner, text, MB_ICONWARNING);
}

void TellHeldBackDevices(CWnd* owner, const CDeviceManager& list) {
    const int heldBack = list.GetNotLoadedCount();
    if (heldBack <= 0) return;
    CString text;
    text.Format(Translate(L"%d devices of %s were not loaded: a list holds at most %d. They stay in the file."),
                heldBack, list.GetDeviceFile().GetString(), GetAppConfig()->m_nDevMaxCount);
    ShowDodavoziBox(owner, text, MB_ICONWARNING);
}

void TellHeldBackDevices(CWnd* owner, const CDeviceUserLists& lists) {
    for (int entry = 0; entry < lists.Count(); ++entry)
        if (const CDeviceManager* list = lists.At(entry)) TellHeldBackDevices(owner, *list);
}
