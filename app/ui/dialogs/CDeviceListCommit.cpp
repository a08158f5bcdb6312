// The device dialog's OK: the edited working lists become the users' device
// files and, for the first user entry, the running engine's device list. A
// device keeps its id (its channel keys, its schedules) while its address
// stays; a logged-in device keeps its session unless its credentials changed.
#include "CDevManageDlg.h"

#include <string.h>

#include <algorithm>

#include "DeviceListHelpers.h"
#include "app/core/CAppConfig.h"
#include "app/core/CInitLanguage.h"
#include "app/core/SchedulePurge.h"
#include "app/engine/CBackupEngine.h"

namespace {

const int kLogTypeOperation = 0;
const int kLogCodeSettingsSaved = 2;

CString Tr(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

CString TitleOf(const DEVICE_RECORD& record) {
    return CString(CStringA(record.title, static_cast<int>(strnlen(record.title, sizeof record.title))));
}

}  // namespace

void CDevManageDlg::SetDeviceIds(DEVICE_RECORD& record, int id) {
    record.id = id;
    const int channels = std::min<int>(std::max<int>(record.channelCount, 0), kMaxChannels);
    for (int i = 0; i < channels; ++i) record.channels[i].channelId = id * 10000 + i;
    const int alarmsIn = std::min<int>(std::max<int>(record.alarmInCount, 0), kMaxAlarms);
    for (int i = 0; i < alarmsIn; ++i) record.alarmIn[i].alarmId = id * 10000 + 1000 + i;
    const int alarmsOut = std::min<int>(std::max<int>(record.alarmOutCount, 0), kMaxAlarms);
    for (int i = 0; i < alarmsOut; ++i) record.alarmOut[i].alarmId = id * 10000 + 4000 + i;
}

int CDevManageDlg::CredentialsChanged(const DEVICE_RECORD& a, const DEVICE_RECORD& b) {
    if (a.loggedIn != 1) return 0;
    return strncmp(a.user, b.user, sizeof a.user - 1) != 0 || strncmp(a.password, b.password, sizeof a.password - 1) != 0
               ? 1
               : 0;
}

void CDevManageDlg::OnBnClickedOk() {
    if (m_searchDlg.GetSafeHwnd() && m_searchDlg.IsWindowVisible()) m_searchDlg.OnBnClickedCancel();
    SaveDeviceLists();
    FreeUserLists();
    if (m_onCommitted) m_onCommitted();
    WriteSaveLog();
    CDialog::OnOK();
}

int CDevManageDlg::SaveDeviceLists() {
    CDeviceManager scratch;
    scratch.SetMaxDeviceCount(GetAppConfig()->m_nDevMaxCount);
    std::vector<CString> unsaved;
    std::vector<CDeviceManager*> lists;
    for (int entry = 0; entry < m_userCombo.GetCount(); ++entry) {
        CDeviceManager* working = static_cast<CDeviceManager*>(m_userCombo.GetItemDataPtr(entry));
        if (!working) continue;
        CommitEntry(entry, *working, scratch, unsaved);
        lists.push_back(working);
    }
    for (CDeviceManager* working : lists) working->WriteDeviceXml(CString());
    if (!unsaved.empty()) {
        CString names;
        for (const CString& title : unsaved) names += L"\r\n" + title;
        ShowWarning(Tr(L"These devices could not be saved:") + names);
    }
    PurgeUserSchedules(GetBackupEngine().Users());
    return 0;
}

void CDevManageDlg::CommitEntry(int entry, CDeviceManager& working, CDeviceManager& scratch,
                                std::vector<CString>& unsaved) {
    CBackupEngine& engine = GetBackupEngine();
    CDeviceManager& live = engine.Devices();
    const bool engineList = entry == 0;
    std::vector<DEVICE_RECORD> edited;
    working.GetAllDevices(edited);
    working.RemoveAllDevices();
    std::vector<DEVICE_RECORD> old;
    if (engineList) {
        engine.GetAllDevices(old);
    } else {
        scratch.RemoveAllDevices();
        scratch.OpenDeviceFile(working.GetDeviceFile());
        scratch.GetAllDevices(old);
    }

    std::vector<int> newIds;
    int newCount = 0;
    for (DEVICE_RECORD& record : edited) {
        std::vector<DEVICE_RECORD>::iterator match = std::find_if(
            old.begin(), old.end(), [&record](const DEVICE_RECORD& o) { return IsSameDeviceAddress(record, o) != 0; });
        if (match != old.end()) {
            SetDeviceIds(record, match->id);
            CommitMatchedDevice(engineList, record, *match);
            if (working.AddDeviceRecord(record) != 0) unsaved.push_back(TitleOf(record));
            old.erase(match);
            continue;
        }
        const int id = engineList ? live.GetNextDeviceId() + newCount++ : working.GetNextDeviceId();
        SetDeviceIds(record, id);
        if (working.AddDeviceRecord(record) != 0) {
            unsaved.push_back(TitleOf(record));
        } else if (engineList) {
            newIds.push_back(id);
        }
    }
    if (!engineList) return;
    // What is left of the old list was removed by the operator.
    for (const DEVICE_RECORD& gone : old) {
        if (gone.loggedIn == 1) engine.OnDeviceGone(gone.id, 0);
        live.DeleteDevice(gone.id);
    }
    // New devices log in through the engine's own triggers.
    for (int id : newIds) live.AddDeviceRecord(working.GetDevice(id));
}

void CDevManageDlg::CommitMatchedDevice(bool live, DEVICE_RECORD& record, DEVICE_RECORD& old) {
    CBackupEngine& engine = GetBackupEngine();
    if (CredentialsChanged(old, record)) {
        if (!live) return;
        engine.OnDeviceGone(record.id, 0);
        engine.Devices().ReplaceDevice(record.id, record);
        if (m_queueLogin) m_queueLogin(record);
        return;
    }
    // The engine's record is merged where it lives, under its lock: the
    // snapshot in `old` may be stale by now (a login may have finished).
    if (live && engine.Devices().MergeDeviceFields(record.id, record) == 0) {
        record = engine.Devices().GetDevice(record.id);
    } else {
        CDeviceManager::MergeDeviceFields(old, record);
        record = old;
        if (live) {
            // Gone from the engine meanwhile: back without a session.
            record.ResetLoginState();
            engine.Devices().AddDeviceRecord(record);
        }
    }
    if (live && record.loggedIn != 1 && m_queueLogin) m_queueLogin(record);
}

void CDevManageDlg::WriteSaveLog() {
    CString text;
    text.Format(L"%s %s", Tr(L"DeviceManage").GetString(), Tr(L"Save succeed!").GetString());
    const CTime now = CTime::GetCurrentTime();
    GetBackupEngine().AddLogRecord(kLogTypeOperation, kLogCodeSettingsSaved, text, CString(), 0, 0, 0, 0, now, now,
                                   now);
}
