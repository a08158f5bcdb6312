// CDevManageDlg, continued: a device list read from or written to a file
// the operator picks, and devices added from the LAN search.
#include "CDevManageDlg.h"

#include <commdlg.h>

#include <vector>

#include "app/core/CAppConfig.h"
#include "app/ui/dialogs/DialogMessages.h"
#include "app/ui/toolkit/WindowUtil.h"

namespace {

bool IsEmptyFile(const CString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return !::GetFileAttributesExW(path, GetFileExInfoStandard, &data) ||
           (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0);
}

}  // namespace

// ---- Import, export, search ------------------------------------------------------------

CString CDevManageDlg::PromptDeviceFile(DWORD flags) {
    return PromptOpenFile(this, flags, L"XML Files (*.xml) | *.xml|", L"xml");
}

void CDevManageDlg::ImportDeviceFile() {
    CDeviceManager* list = SelectedList();
    if (!list) return;
    const CString path = PromptDeviceFile(OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY);
    if (path.IsEmpty() || !AskOkCancel(L"Import device XML File?")) return;
    // Read aside first: a file that does not read must not cost the user
    // the devices (and, after OK, the schedules) of the list. A list without
    // devices is a list; an empty file is none.
    CDeviceManager imported;
    imported.SetMaxDeviceCount(GetAppConfig()->m_nDevMaxCount);
    std::vector<DEVICE_RECORD> records;
    if (IsEmptyFile(path) || imported.ReadDeviceXml(path) != 0 || imported.GetAllDevices(records) != 0) {
        ShowWarning(Translate(L"Import device XML File failed!"));
        return;
    }
    list->RemoveAllDevices();
    list->ForgetNotLoaded();  // the imported list replaces the file's
    for (const DEVICE_RECORD& record : records) list->AddDeviceRecord(record);
    SetEditMode(MODE_VIEW);
    ReloadDeviceList();
    ShowSelectedDevice();
}

void CDevManageDlg::ExportDeviceFile() {
    CDeviceManager* list = SelectedList();
    if (!list) return;
    const CString path = PromptDeviceFile(OFN_ENABLESIZING | OFN_HIDEREADONLY);
    if (path.IsEmpty() || !AskOkCancel(L"Export device XML File?")) return;
    if (list->WriteDeviceXml(path) < 0) ShowWarning(Translate(L"Export device XML File failed!"));
}

int CDevManageDlg::AddSearchedDevice(DEVICE_RECORD* record) {
    CDeviceManager* list = SelectedList();
    if (!list || !record) return -1;
    if (list->IsFull()) return RefuseAdd();
    record->id = list->GetNextDeviceId();
    if (!IsUniqueInList(*record, -1)) return 0;
    CopyFixedText(record->manufacturer, CStringA(Translate(L"Duzadazozivo1")));
    CopyFixedText(record->model, CStringA(Translate(L"2th version protocol")));
    if (list->AddDeviceRecord(*record) != 0) return RefuseAdd();
    ReadChannelsOnce(*list, record->id);
    m_rows.SetRow(list->GetDevice(record->id), -1);
    return 0;
}
