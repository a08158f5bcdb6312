// Device access of the backup engine: loading a user's data, logins, the LAN
// device search, dropping devices that went away and the registration of
// self-registering devices with the proxy.
#include "app/engine/CBackupEngine.h"

#include <string.h>

#include "app/core/CAppConfig.h"
#include "app/core/CAutoLock.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"

namespace {

const int kLoginTypeSelfRegistering = 2;

// The files of a user that travel with the user to another folder.
std::vector<CString> UserFileNames() { return {L"UserLogin.ini", L"device.xml"}; }

void QVNET_CALL SearchResultThunk(const DEVICE_SEARCH_RESULT* data, QVNET_USER user) {
    try {
        CBackupEngine* engine = CBackupEngine::Current();
        if (!engine || !data) return;
        engine->QueueSearchResult(data);
        PostMainWndMessage(WM_TW_SEARCH_RESULT, (WPARAM)user, 0);
    } catch (...) {
    }
}

template <size_t N>
void CopyText(char (&field)[N], const char* text) {
    strncpy(field, text, N - 1);
    field[N - 1] = 0;
}

}  // namespace

int CBackupEngine::LoadUserData() {
    CAppConfig* config = GetAppConfig();
    m_devices.SetMaxDeviceCount(config->m_nDevMaxCount);
    m_recordList.Open(config->GetRecordListFile());
    m_recordList.CheckTable(0);
    m_devices.SetProxyLoginFlag(config->m_nManufactureType);
    m_devices.OpenDeviceFile(config->GetDeviceFile());
    m_schedules.Load(config->GetScheduleFile());
    RegisterProxyDevices();
    {
        CAutoLock guard(&m_shortKeyLock);
        m_shortKeys.clear();
        for (int i = 0; i < config->m_nShortKeyCount && i < kMaxShortKeys; ++i) {
            ENGINE_SHORT_KEY entry;
            entry.itemName = config->m_strShortKeyItemName[i];
            entry.itemKey = config->m_strShortKeyItemKey[i];
            entry.keyValue = config->m_wShortKeyValue[i];
            entry.keyModifiers = config->m_wShortKeyModifiers[i];
            m_shortKeys.push_back(entry);
        }
    }
    m_users.Load(config->m_strUsersFile);
    SetConcurrentLimit(config->m_nMultiBackupDevCount);
    return 0;
}

int CBackupEngine::LoginDevice(int deviceId) {
    if (m_shutDown) return -1;
    int result = m_devices.LoginDevice(deviceId);
    if (result >= 0) {
        m_devices.SaveDeviceElement(deviceId);
        m_taskQueue->MarkDeviceTasks(deviceId, 1);
    }
    return result;
}

int CBackupEngine::ModifyDevice(int id, const DEVICE_RECORD& edited) {
    return ModifyDevice(id, edited.title, edited.desc, edited.ip, edited.port, edited.type, edited.manufacturer,
                        edited.model, edited.user, edited.password, edited.UseDDNS, edited.DDNSIP, edited.DDNSPort,
                        edited.DDNSDevName, edited.logintype, edited.cardsn);
}

int CBackupEngine::CopyUserFilesTo(const CString& directory) {
    return CopyFileList(GetAppConfig()->GetUserDir(), directory, UserFileNames(), FALSE);
}

int CBackupEngine::CopyUserFilesFrom(const CString& directory) {
    return CopyFileList(directory, GetAppConfig()->GetUserDir(), UserFileNames(), FALSE);
}

int CBackupEngine::StartDeviceSearch(int userValue) {
    // One search at a time: a running one is stopped before the next starts.
    if (m_searchHandle > 0) StopDeviceSearch();
    if (!m_sdk.StartDeviceSearch || m_shutDown) return -1;
    int handle = m_sdk.StartDeviceSearch(SearchResultThunk, (QVNET_USER)userValue, 0);
    if (handle <= 0) return -1;
    m_searchHandle = handle;
    return handle;
}

int CBackupEngine::StopDeviceSearch() {
    if (m_searchHandle > 0 && m_sdk.StopDeviceSearch && !m_shutDown) m_sdk.StopDeviceSearch(m_searchHandle);
    m_searchHandle = 0;
    return 0;
}

int CBackupEngine::QueueSearchResult(const DEVICE_SEARCH_RESULT* result) {
    CAutoLock guard(&m_searchLock);
    m_searchResults.push_back(*result);
    return 0;
}

int CBackupEngine::PopSearchResult(DEVICE_SEARCH_RESULT* out) {
    CAutoLock guard(&m_searchLock);
    if (m_searchResults.empty()) return -1;
    *out = m_searchResults.front();
    m_searchResults.pop_front();
    return 0;
}

int CBackupEngine::GetShortKeys(const CString& itemName, std::vector<ENGINE_SHORT_KEY>* out) {
    out->clear();
    CAutoLock guard(&m_shortKeyLock);
    for (const ENGINE_SHORT_KEY& entry : m_shortKeys) {
        if (itemName.IsEmpty()) {
            out->push_back(entry);
        } else if (entry.itemName == itemName) {
            out->push_back(entry);
            break;
        }
    }
    return 0;
}

int CBackupEngine::SetShortKey(const ENGINE_SHORT_KEY& entry) {
    CAutoLock guard(&m_shortKeyLock);
    CAppConfig* config = GetAppConfig();
    for (ENGINE_SHORT_KEY& own : m_shortKeys) {
        if (own.itemName == entry.itemName) own = entry;
    }
    for (int i = 0; i < config->m_nShortKeyCount && i < kMaxShortKeys; ++i) {
        if (config->m_strShortKeyItemName[i] != entry.itemName) continue;
        config->m_strShortKeyItemKey[i] = entry.itemKey;
        config->m_wShortKeyValue[i] = entry.keyValue;
        config->m_wShortKeyModifiers[i] = entry.keyModifiers;
    }
    return 0;
}

// ---- Dropping devices -------------------------------------------------------

int CBackupEngine::OnDeviceGone(int deviceId, int) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        bool plays;
        {
            CAutoLock guard(&m_engineLock);
            const RECORD_SOURCE& source = m_slots[slot].source;
            plays = source.itemType == SOURCE_ITEM_DEVICE && source.deviceId == deviceId;
        }
        if (plays) CloseSlot(slot);
    }
    RECORD_TASK task;
    bool found = false;
    {
        CAutoLock guard(&m_engineLock);
        for (auto it = m_active.begin(); it != m_active.end(); ++it) {
            if (it->source.deviceId != deviceId || it->source.sdkHandle == 0) continue;
            task = *it;
            m_active.erase(it);
            found = true;
            break;
        }
    }
    if (found) RequeueActiveTask(task);
    m_taskQueue->MarkDeviceTasks(deviceId, 0);
    return m_devices.LogoutDeviceNotify(deviceId);
}

// Stops an active download, deletes its partial file and puts the task at
// the end of the pending list to start over.
void CBackupEngine::RequeueActiveTask(RECORD_TASK task) {
    StopDownloadAndDelete(task);
    task.state = 0;
    task.source.sdkHandle = 0;
    task.source.done = 0;
    CAutoLock guard(&m_engineLock);
    m_pending.push_back(task);
}

int CBackupEngine::ReleaseChannel(int kind, int deviceId, int channel) {
    if (kind == REPLAY_KIND_PLAYBACK) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            bool plays;
            {
                CAutoLock guard(&m_engineLock);
                const RECORD_SOURCE& source = m_slots[slot].source;
                plays = source.itemType == SOURCE_ITEM_DEVICE && source.deviceId == deviceId &&
                        (int)source.desc.channel == channel;
            }
            if (plays) CloseSlot(slot);
        }
    } else if (kind == REPLAY_KIND_DOWNLOAD) {
        RECORD_TASK task;
        bool found = false;
        {
            CAutoLock guard(&m_engineLock);
            for (auto it = m_active.begin(); it != m_active.end(); ++it) {
                if (it->source.deviceId != deviceId || (int)it->source.desc.channel != channel) continue;
                task = *it;
                m_active.erase(it);
                found = true;
                break;
            }
        }
        if (found) RequeueActiveTask(task);
    }
    return 0;
}

// Empties the slot's playlist, stops it and tells the main window.
void CBackupEngine::CloseSlot(int slot) {
    ClearSlotPlaylist(slot);
    StopSlot(slot);
    PostMainWndMessage(WM_TW_SLOT_CLOSED, (WPARAM)slot, kSlotClosedByEngine);
}

int CBackupEngine::DeviceCommandAndDrop(int id, int command, int value) {
    if (command == 0 || command == 1) {
        m_devices.DeviceCommand(id, command, 0);
        return OnDeviceGone(id, 0);
    }
    if (command == 2 || command == 3) return m_devices.DeviceCommand(id, command, value);
    return -1;
}

int CBackupEngine::ReloginAndStartChannelFileJob(int id, int channel, const CString& fileName, int valueA,
                                                 int valueB) {
    OnDeviceGone(id, 0);
    LoginDevice(id);
    return m_devices.StartChannelFileJob(id, channel, fileName, valueA, valueB);
}

// ---- Self-registering devices ---------------------------------------------

PROXY_DEVICE_INFO CBackupEngine::MakeProxyDeviceInfo(const DEVICE_RECORD& device, int listenPort) {
    PROXY_DEVICE_INFO info;
    memset(&info, 0, sizeof(info));
    CopyText(info.regAddress, "0.0.0.0");
    info.regPort = listenPort;
    CopyText(info.userName, device.user);
    CopyText(info.localUserName, device.user);
    CopyText(info.password, device.password);
    CopyText(info.localPassword, device.password);
    CopyText(info.registrationId, device.cardsn);
    // The proxy checks no credentials on this listener and the program logs
    // in only at 127.0.0.1: nothing else may reach the device session.
    CopyText(info.localAddress, "127.0.0.1");
    info.localPort = device.port;
    info.reserved1 = 1;
    info.channelCount = device.channelCount;
    info.deviceInfo = device.channelCount;
    info.reserved2 = device.alarmInCount;
    info.reserved3 = device.alarmOutCount;
    return info;
}

int CBackupEngine::RegisterProxyDevices() {
    m_proxy.DeleteAllDevices();
    std::vector<DEVICE_RECORD> devices;
    if (m_devices.GetDevicesByLoginType(kLoginTypeSelfRegistering, devices) != 0) return 0;
    const int listenPort = GetAppConfig()->m_nListenPort;
    for (const DEVICE_RECORD& device : devices) {
        m_proxy.AddDevice(PROXY_DEVICE_AUTOREG, MakeProxyDeviceInfo(device, listenPort));
    }
    return 0;
}
