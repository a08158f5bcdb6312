#include "CDeviceListCommit.h"

#include <string.h>

#include <algorithm>

#include "CDeviceUserLists.h"
#include "DeviceListHelpers.h"
#include "app/ui/dialogs/mainwindow/TaskListRow.h"
#include "app/core/CAppConfig.h"
#include "app/engine/CBackupEngine.h"

void CDeviceListCommit::SetDeviceIds(DEVICE_RECORD& record, int id) {
    record.id = id;
    const int channels = std::min<int>(std::max<int>(record.channelCount, 0), kMaxChannels);
    for (int i = 0; i < channels; ++i) record.channels[i].channelId = id * 10000 + i;
    const int alarmsIn = std::min<int>(std::max<int>(record.alarmInCount, 0), kMaxAlarms);
    for (int i = 0; i < alarmsIn; ++i) record.alarmIn[i].alarmId = id * 10000 + 1000 + i;
    const int alarmsOut = std::min<int>(std::max<int>(record.alarmOutCount, 0), kMaxAlarms);
    for (int i = 0; i < alarmsOut; ++i) record.alarmOut[i].alarmId = id * 10000 + 4000 + i;
}

bool CDeviceListCommit::CredentialsDiffer(const DEVICE_RECORD& a, const DEVICE_RECORD& b) {
    return strncmp(a.user, b.user, sizeof a.user - 1) != 0 ||
           strncmp(a.password, b.password, sizeof a.password - 1) != 0;
}

int CDeviceListCommit::CredentialsChanged(const DEVICE_RECORD& a, const DEVICE_RECORD& b) {
    return a.loggedIn == 1 && CredentialsDiffer(a, b) ? 1 : 0;
}

DEVICE_COMMIT_RESULT CDeviceListCommit::Commit(const CDeviceUserLists& lists) {
    CDeviceManager scratch;
    scratch.SetMaxDeviceCount(GetAppConfig()->m_nDevMaxCount);
    DEVICE_COMMIT_RESULT result;
    std::vector<CDeviceManager*> committed;
    for (int entry = 0; entry < lists.Count(); ++entry) {
        CDeviceManager* working = lists.At(entry);
        if (!working || std::find(committed.begin(), committed.end(), working) != committed.end()) continue;
        CommitEntry(entry, *working, scratch, result);
        committed.push_back(working);
    }
    for (CDeviceManager* working : committed) {
        if (working->WriteDeviceXml(CString()) != 0) result.unwrittenFiles.push_back(working->GetDeviceFile());
    }
    return result;
}

void CDeviceListCommit::CommitEntry(int entry, CDeviceManager& working, CDeviceManager& scratch,
                                    DEVICE_COMMIT_RESULT& result) {
    std::vector<CString>& unsaved = result.unsaved;
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
            if (!CommitMatchedDevice(engineList, record, *match)) result.notRunning.push_back(FieldText(record.title));
            if (working.AddDeviceRecord(record) != 0) unsaved.push_back(FieldText(record.title));
            old.erase(match);
            continue;
        }
        const int id = engineList ? live.GetNextDeviceId() + newCount++ : working.GetNextDeviceId();
        SetDeviceIds(record, id);
        if (working.AddDeviceRecord(record) != 0) {
            unsaved.push_back(FieldText(record.title));
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
    for (int id : newIds) {
        const DEVICE_RECORD added = working.GetDevice(id);
        if (live.AddDeviceRecord(added) != 0) result.notRunning.push_back(FieldText(added.title));
    }
}

bool CDeviceListCommit::CommitMatchedDevice(bool live, DEVICE_RECORD& record, DEVICE_RECORD& old) {
    CBackupEngine& engine = GetBackupEngine();
    if (CredentialsChanged(old, record)) {
        if (!live) return true;
        engine.OnDeviceGone(record.id, 0);
        const bool kept = engine.Devices().ReplaceDevice(record.id, record) == 0;
        if (kept && m_queueLogin) m_queueLogin(record);
        return kept;
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
            if (engine.Devices().AddDeviceRecord(record) != 0) return false;
        }
    }
    if (live && record.loggedIn != 1 && m_queueLogin) m_queueLogin(record);
    return true;
}
