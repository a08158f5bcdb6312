#include "app/engine/CDeviceManager.h"

#include <string.h>

#include <algorithm>
#include <string>

#include "app/core/CAppConfig.h"
#include "common/CAutoLock.h"
#include "app/core/CInitLanguage.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CDeviceQueries.h"
#include "app/engine/CNetSdk.h"
#include "app/engine/DeviceDefaultNames.h"
#include "app/engine/DeviceSdkBlocks.h"
#include "app/engine/HostProbe.h"

namespace {

const int kChannelNameBytes = 32;
const int kChannelNameBufferSize = 8192;
const int kMinChannelNameWrite = 4096;

CStringA Narrow(const CString& text) { return CStringA(text); }

CString Translate(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

CString ExpandProgramDir(const CString& path) { return GetAppConfig()->ProgramDirFor(path); }

// The registry as a list file fills it: past the maximum, devices are held
// back, and the reading goes on.
class RegistryList : public CDeviceListStore::IList {
public:
    explicit RegistryList(CDeviceRegistry& registry) : m_registry(registry) {}
    void Clear() override {
        m_registry.RemoveAllDevices();
        m_registry.ForgetNotLoaded();
    }
    bool Full() override { return m_registry.IsFull() != 0; }
    void Add(const DEVICE_RECORD& record) override { m_registry.AddLoaded(record); }
    void HoldBack(int id, const char* element, size_t size) override { m_registry.HoldBack(id, element, size); }
    void ExpectHeldBack(size_t devices, size_t bytes) override { m_registry.ExpectHeldBack(devices, bytes); }

private:
    CDeviceRegistry& m_registry;
};

}  // namespace

struct CDeviceManager::LoginMode {
    bool forDialog;  // LoginAndQueryDevice: assignment, no logout path, no post
};

CDeviceManager::CDeviceManager() {}

CDeviceManager::~CDeviceManager() {}

// ---- Settings ----------------------------------------------------------------

int CDeviceManager::SetProxyLoginFlag(int flag) {
    m_shiftUserName = flag;
    return 0;
}

void CDeviceManager::SetDeviceGoneHandler(const DeviceGoneHandler& handler) {
    CAutoLock lock(&m_settingsLock);
    m_onDeviceGone = handler;
}

int CDeviceManager::OpenDeviceFile(const CString& path) {
    CDeviceListStore::CHold file(m_listStore);
    {
        CAutoLock lock(&m_settingsLock);
        m_deviceFile = ExpandProgramDir(path);
    }
    return ReadList(GetDeviceFile(), true);
}

CString CDeviceManager::GetDeviceFile() const {
    CAutoLock lock(&m_settingsLock);
    return m_deviceFile;
}

// ---- Device list file ----------------------------------------------------------

int CDeviceManager::WriteDeviceXml(const CString& path) {
    CString file = path.IsEmpty() ? GetDeviceFile() : path;
    if (file.IsEmpty()) return -2;
    return m_listStore.Write(ExpandProgramDir(file),
                             [this](const CDeviceListStore::Visitor& visit) { m_registry.VisitForFile(visit); });
}

int CDeviceManager::SaveDeviceElement(int deviceId) {
    DEVICE_RECORD record = GetDevice(deviceId);
    if (record.id == 0) return -1;
    FillDefaultChannelNames(record);
    return m_listStore.SaveElement(GetDeviceFile(), record);
}

int CDeviceManager::ReadDeviceXml(const CString& path) { return ReadList(ExpandProgramDir(path), false); }

int CDeviceManager::ReadList(const CString& file, bool storedFile) {
    RegistryList list(m_registry);
    return m_listStore.Read(file, list, storedFile);
}

// ---- Login ---------------------------------------------------------------------

int CDeviceManager::StoreLoginResult(const DEVICE_RECORD& record, const LoginMode& mode) {
    if (!mode.forDialog) return ReplaceDevice(record.id, record);
    m_registry.Assign(record);
    return 0;
}

// Re-reads the registry's copy before a post-login step: 0 go on; 1 logged
// out meanwhile; -1 removed (the session is ended here).
int CDeviceManager::RefreshSession(DEVICE_RECORD& record, int32_t handle, const LoginMode& mode) {
    const DEVICE_RECORD current = GetDevice(record.id);
    if (current.id == 0) {
        if (mode.forDialog) return 0;  // the dialog's store registers it again
        NetSdk().LogoutDevice(handle);
        return -1;
    }
    if (current.loggedIn != 1 || current.loginHandle != handle) return 1;
    record = current;
    return 0;
}

int CDeviceManager::ResolveLoginAddress(DEVICE_RECORD& record, const LoginMode& mode, std::string& address,
                                        int& loginTypeArg) {
    if (record.UseDDNS == 1) {
        std::string server;
        const int probe = ProbeHost(record.DDNSIP, record.DDNSPort, &server);
        if (probe == -1) return -2;
        if (probe != 0) {
            record.lastLoginError = 0;
            StoreLoginResult(record, mode);
            return -2;
        }
        if (NetSdk().ResolveViaDdns(server.c_str(), record.DDNSPort, record.DDNSDevName,
                                    static_cast<int32_t>(strlen(record.DDNSDevName)), nullptr, 0, record.ip) == 0) {
            record.lastLoginError = 16;
            StoreLoginResult(record, mode);
            return -2;
        }
        record.ip[sizeof(record.ip) - 1] = '\0';
    }
    if (record.logintype == 2) {
        address = "127.0.0.1";
        loginTypeArg = 0;
        return 0;
    }
    loginTypeArg = record.logintype;
    if (record.UseDDNS == 1) {
        address = record.ip;
        return 0;
    }
    if (ProbeHost(record.ip, record.port, &address) != 0) {
        record.lastLoginError = 9;
        StoreLoginResult(record, mode);
        return -2;
    }
    return 0;
}

int CDeviceManager::LoginSequence(int id, const LoginMode& mode) {
    DEVICE_RECORD record = GetDevice(id);
    if (record.id == 0) return -1;
    if (record.loggedIn == 1) return 0;

    std::string address;
    int loginTypeArg = 0;
    const int resolved = ResolveLoginAddress(record, mode, address, loginTypeArg);
    if (resolved != 0) return resolved;

    char user[9];
    BuildLoginUserName(record.user, m_shiftUserName == 1, user);
    QVNET_DEVICE_INFO info;
    memset(&info, 0, sizeof(info));
    int32_t error = 0;
    const int32_t handle =
        NetSdk().LoginDevice(address.c_str(), record.port, user, record.password, loginTypeArg, 0, &info, &error);
    if (handle <= 0) {
        record.lastLoginError = error;
        StoreLoginResult(record, mode);
        return -1;
    }

    CopyFixedText(record.type, DeviceTypeText(info.deviceType));
    record.loginTime = _time64(nullptr);
    record.loggedIn = 1;
    record.loginHandle = handle;
    record.channelCount = std::min<int>(info.channelCount, kMaxChannels);
    if (mode.forDialog) {
        for (int i = 0; i < record.channelCount; ++i) {
            record.channels[i].channelId = id * 10000 + i;
            if (record.channels[i].name[0] == '\0')
                DefaultSlotName(record.channels[i].name, L"Channel", L"%s%d", i + 1);
        }
    }
    record.alarmInCount = static_cast<int8_t>(std::min<int>(info.alarmInCount, kMaxAlarms));
    record.alarmOutCount = static_cast<int8_t>(std::min<int>(info.alarmOutCount, kMaxAlarms));
    CDeviceQueries::FillAlarms(record, !mode.forDialog);

    // From here on the device is usable by other threads. Each step re-reads
    // the registry, and each store happens only while the registry still
    // holds this session, so a logout made meanwhile is never undone.
    const int first = m_registry.StoreSession(record, mode.forDialog, true);
    if (first != 0) {
        NetSdk().LogoutDevice(handle);
        return first < 0 ? -1 : 0;  // removed, or logged in by another caller
    }

    struct Step {
        int code;
        std::function<void()> query;
    };
    const Step steps[] = {
        {-3, [&] { CDeviceQueries::ReadStatus(record); }},
        {-4, [&] { CDeviceQueries::ReadChannelNames(record); }},
        {-5, [&] { CDeviceQueries::ReadChannelFlags(record); }},
        {-6, [&] { CDeviceQueries::ReadTalkFormats(record); }},
        {-7, [&] { CDeviceQueries::ReadDisks(record); }},
    };
    for (const Step& step : steps) {
        const int before = RefreshSession(record, handle, mode);
        if (before != 0) return before < 0 ? -1 : step.code;
        step.query();
        const int stored = m_registry.StoreSession(record, mode.forDialog, false);
        if (stored < 0) NetSdk().LogoutDevice(handle);
        if (stored != 0) return stored < 0 ? -1 : step.code;
        if (step.code == -4 && !mode.forDialog) PostMainWndMessage(WM_TW_DEVICE_LOGIN_STATE, id, 1);
    }

    const int last = RefreshSession(record, handle, mode);
    if (last != 0) return last < 0 ? -1 : -8;
    int32_t protocol = 0, length = 0;
    if (NetSdk().ReadDeviceConfig(handle, 8, &protocol, sizeof(protocol), &length, 1000) != 0 && protocol < 5) {
        NetSdk().PostLoginSetup(handle);
    } else {
        NetSdk().PostLoginSetupV5(handle);
    }
    return 0;
}

int CDeviceManager::LoginDevice(int id) {
    const LoginMode mode = {false};
    return LoginSequence(id, mode);
}

int CDeviceManager::LoginAndQueryDevice(int id) {
    const LoginMode mode = {true};
    return LoginSequence(id, mode);
}

int CDeviceManager::LoginAllDevices(HWND window, std::vector<DEVICE_RECORD>* failed) {
    std::vector<DEVICE_RECORD> devices;
    GetAllDevices(devices);
    for (const DEVICE_RECORD& device : devices) {
        if (device.loggedIn != 0) continue;
        if (LoginDevice(device.id) != 0) {
            if (failed) failed->push_back(device);
        } else if (window) {
            PostMessageW(window, WM_TW_DEVICE_LOGIN_STATE, static_cast<WPARAM>(device.id), 1);
        }
    }
    return 0;
}

CString CDeviceManager::GetLoginErrorText(int id) const {
    if (id == -1) return CString();
    const DEVICE_RECORD record = GetDevice(id);
    if (record.id == 0) return CString();
    switch (record.lastLoginError) {
        case 0: return L"Other network error!";
        case 1: return L"Password is wrong!";
        case 2: return L"UserID is wrong!";
        case 3: return L"Time out!";
        case 4: return L"UserID has login!";
        case 5: return L"UserID has been locked!";
        case 6: return L"UserID is in black list!";
        case 7: return L"System busy!";
        case 9: return L"Host is not find!";
        case 16: return L"Query DDNS faild!";
        default: return CString();
    }
}

// ---- Logout and commands -------------------------------------------------------

int CDeviceManager::LogoutRecord(DEVICE_RECORD& record) {
    if (record.loggedIn != 1) return -1;
    if (record.talkOpen == 1) CDeviceQueries::CloseTalk(record.talkHandle);
    NetSdk().LogoutDevice(record.loginHandle);
    record.ResetLoginState();
    return 0;
}

int CDeviceManager::LogoutDevice(int id) {
    // The session is claimed (reset in the registry) under the lock and ended
    // outside it, so a disconnect callback waiting for the lock finds the
    // device already logged out and no two threads end one session.
    int32_t loginHandle = 0, talkHandle = 0;
    bool talking = false;
    const bool claimed = m_registry.Update(id, [&](DEVICE_RECORD& record) {
        if (record.loggedIn != 1) return false;
        loginHandle = record.loginHandle;
        talkHandle = record.talkHandle;
        talking = record.talkOpen == 1;
        record.ResetLoginState();
        return true;
    });
    if (!claimed) return -1;
    if (talking) CDeviceQueries::CloseTalk(talkHandle);
    NetSdk().LogoutDevice(loginHandle);
    return 0;
}

int CDeviceManager::LogoutDeviceNotify(int id) {
    const int result = LogoutDevice(id);
    if (result == 0) PostMainWndMessage(WM_TW_DEVICE_LOGIN_STATE, static_cast<WPARAM>(id), 0);
    return result;
}

int CDeviceManager::DeviceCommand(int id, int command, int formatIndex) {
    switch (command) {
        case 0: {
            const DEVICE_RECORD record = GetDevice(id);
            if (record.loggedIn != 1 || NetSdk().DeviceControlA(record.loginHandle) != 1) return -1;
            PostMainWndMessage(WM_TW_DEVICE_OFFLINE, static_cast<WPARAM>(id), 0);
            return 0;
        }
        case 1: {
            const DEVICE_RECORD record = GetDevice(id);
            if (record.loggedIn != 1 || NetSdk().DeviceControlB(record.loginHandle) != 1) return -1;
            DeviceGoneHandler handler;
            {
                CAutoLock lock(&m_settingsLock);
                handler = m_onDeviceGone;
            }
            if (handler) return handler(id, 1);
            LogoutDevice(id);
            return 0;
        }
        case 2: return StartTalk(id, formatIndex);
        case 3: return StopTalk(id);
        default: return -1;
    }
}

void CDeviceManager::CloseTalkOf(int id) {
    int32_t talkHandle = 0;
    const bool claimed = m_registry.Update(id, [&](DEVICE_RECORD& record) {
        if (record.loggedIn != 1 || record.talkOpen != 1) return false;
        talkHandle = record.talkHandle;
        record.talkOpen = 0;
        record.talkHandle = 0;
        memset(record.talkFormatInUse, 0, sizeof(record.talkFormatInUse));
        return true;
    });
    if (claimed) CDeviceQueries::CloseTalk(talkHandle);
}

int CDeviceManager::StartTalk(int id, int formatIndex) {
    const int previous = GetTalkDeviceId();
    if (previous != 0) {
        CloseTalkOf(previous);
        m_registry.ClearTalkDeviceId(previous);
    }
    const DEVICE_RECORD record = GetDevice(id);
    if (record.loggedIn != 1 || record.talkOpen == 1) return -1;
    const int32_t talkHandle = CDeviceQueries::OpenTalk(record, formatIndex);
    if (talkHandle == 0) return -1;
    // The registry's lock is re-entrant: the talk device is set with the
    // record, in one step.
    const bool stored = m_registry.Update(id, [&](DEVICE_RECORD& current) {
        if (current.loggedIn != 1 || current.loginHandle != record.loginHandle) return false;
        memset(current.talkFormatInUse, 0, sizeof(current.talkFormatInUse));
        current.talkOpen = 1;
        current.talkHandle = talkHandle;
        current.talkFormatInUse[formatIndex] = 1;
        m_registry.SetTalkDeviceId(id);
        return true;
    });
    if (stored) return 0;
    CDeviceQueries::CloseTalk(talkHandle);  // logged out while the talk opened
    return -1;
}

int CDeviceManager::StopTalk(int id) {
    const DEVICE_RECORD record = GetDevice(id);
    if (record.loggedIn != 1 || record.talkOpen != 1) return -1;
    CloseTalkOf(id);
    m_registry.ClearTalkDeviceId(id);
    return 0;
}

CString CDeviceManager::GetTalkFormatName(int formatType) {
    const wchar_t* key = TalkFormatKey(formatType);
    return *key ? Translate(key) : CString();
}

// ---- Clock and record state -------------------------------------------------------

int CDeviceManager::SyncDeviceTime(int id, __time64_t time, int force) {
    const DEVICE_RECORD record = GetDevice(id);
    if (record.loginHandle == 0) return -1;
    if (!force) return CDeviceQueries::SyncClock(record, time, false);
    const int written = CDeviceQueries::SyncClock(record, time, true);
    const int command = DeviceCommand(id, 0, 0);
    return (written == 0 && command == 0) ? 0 : -1;
}

int CDeviceManager::CheckRecordState(int id) {
    std::vector<DEVICE_RECORD> devices;
    if (id == -1) {
        if (GetLoggedInDevices(devices) != 0) return -4;
    } else {
        devices.push_back(GetDevice(id));
    }
    int result = 0;
    for (const DEVICE_RECORD& device : devices) {
        const int code = CheckOneDevice(device);
        if (code != 0) result = code;
    }
    return result;
}

int CDeviceManager::CheckOneDevice(const DEVICE_RECORD& copy) {
    if (copy.loggedIn != 1 || copy.id == 0) return -1;
    DEVICE_RECORD record = copy;
    uint8_t states[kMaxChannels] = {};
    const int code = CDeviceQueries::CheckRecordState(record, states);
    const int channels = std::min(std::max<int>(record.channelCount, 0), kMaxChannels);

    m_registry.Update(record.id, [&](DEVICE_RECORD& stored) {
        stored.diskSumB = record.diskSumB;
        stored.diskSumA = record.diskSumA;
        stored.diskCount = record.diskCount;
        memcpy(stored.recordState, states, sizeof(states));
        stored.channelFlagsLoaded = record.channelFlagsLoaded;
        for (int j = 0; j < channels; ++j) {
            stored.channels[j].flagA = record.channels[j].flagA;
            stored.channels[j].flagB = record.channels[j].flagB;
        }
        return true;
    });
    return code;
}

// ---- Names and file job ------------------------------------------------------------

int CDeviceManager::SetChannelNameOnDevice(int id, int channelIndex, const CString& name) {
    const DEVICE_RECORD record = GetDevice(id);
    if (record.loggedIn != 1) return -1;
    const int channels = std::min(std::max<int>(record.channelCount, 0), kMaxChannels);
    if (channelIndex < 0 || channelIndex >= channels) return -2;
    if (name.GetLength() > kChannelNameBytes) return -3;
    if (name.IsEmpty()) return -4;
    char narrow[33];
    CopyFixedText(narrow, Narrow(name));

    std::vector<char> buffer(kChannelNameBufferSize, 0);
    for (int b = 0; b < channels; ++b) {
        const char* source = b == channelIndex ? narrow : record.channels[b].name;
        memcpy(buffer.data() + kChannelNameBytes * b, source, strnlen(source, kChannelNameBytes));
    }
    // Devices with more than 128 channels need the whole list sent.
    const int32_t size = std::max(kMinChannelNameWrite, channels * kChannelNameBytes);
    int result = -1;
    if (NetSdk().WriteChannelNames(record.loginHandle, buffer.data(), size) != 0 &&
        m_registry.Update(id, [&](DEVICE_RECORD& stored) {
            CopyFixedText(stored.channels[channelIndex].name, narrow);
            return true;
        })) {
        result = 0;
    }
    SaveDeviceElement(id);
    return result;
}

int CDeviceManager::SetAlarmName(int id, int alarmIndex, const CString& name) {
    int result = -1;
    m_registry.Update(id, [&](DEVICE_RECORD& record) {
        if (record.loggedIn != 1) return false;
        const int alarms = std::min(std::max<int>(record.alarmInCount, 0), kMaxAlarms);
        if (alarmIndex < 0 || alarmIndex >= alarms) {
            result = -2;
        } else if (name.GetLength() > kChannelNameBytes) {
            result = -3;
        } else if (name.IsEmpty()) {
            result = -4;
        } else {
            CopyFixedText(record.alarmIn[alarmIndex].name, Narrow(name));
            result = 0;
        }
        return true;
    });
    if (result != 0) return result;
    SaveDeviceElement(id);
    return 0;
}

int CDeviceManager::StartChannelFileJob(int id, int channel, const CString& fileName, int valueA, int valueB) {
    const DEVICE_RECORD record = GetDevice(id);
    if (record.loggedIn != 1) return -1;
    const int32_t job = NetSdk().StartChannelFileJob(record.loginHandle, channel, Narrow(fileName), valueA, valueB);
    if (job == 0) return -1;
    const bool stored = m_registry.Update(id, [&](DEVICE_RECORD& current) {
        if (current.loggedIn != 1 || current.loginHandle != record.loginHandle) return false;
        current.fileJobHandle = job;
        current.fileJobActive = 1;
        return true;
    });
    if (stored) return 0;
    NetSdk().StopChannelFileJob(job);  // the session ended meanwhile
    return -1;
}

int CDeviceManager::QueryChannelFileJob(int id) {
    const DEVICE_RECORD record = GetDevice(id);
    if (record.fileJobActive != 1) return -1;
    return NetSdk().QueryChannelFileJob(record.fileJobHandle) == 1 ? 0 : -1;
}

int CDeviceManager::StopChannelFileJob(int id) {
    const DEVICE_RECORD record = GetDevice(id);
    if (record.fileJobActive != 1) return -1;
    if (NetSdk().StopChannelFileJob(record.fileJobHandle) != 1) return -1;
    m_registry.Update(id, [&](DEVICE_RECORD& current) {
        if (current.fileJobHandle != record.fileJobHandle) return false;
        current.fileJobActive = 0;
        current.fileJobHandle = 0;
        return true;
    });
    return 0;
}
