#include "app/engine/CBackupEngine.h"

#include <stdio.h>

#include "app/core/CAppConfig.h"
#include "common/CAutoLock.h"
#include "app/core/CInitLanguage.h"
#include "app/core/FileUtil.h"
#include "app/core/SystemUtil.h"
#include "app/core/UnreadableFiles.h"
#include "app/engine/EngineLogCodes.h"
#include "common/FailureLog.h"
#include "common/UniqueHandle.h"

namespace {

CBackupEngine* volatile g_currentEngine = nullptr;

const int kShutdownSettleMs = 500;

// The SDK's callbacks carry the engine that registered them as their user
// value.
CBackupEngine* EngineOf(QVNET_USER user) { return reinterpret_cast<CBackupEngine*>(user); }

void QVNET_CALL DisconnectThunk(int32_t loginHandle, const char*, int32_t, QVNET_USER user) {
    try {
        if (CBackupEngine* engine = EngineOf(user)) engine->OnDeviceDisconnect(loginHandle);
    } catch (...) {
        LOG_FAILURE_ERROR(L"disconnect callback", 0);
    }
}

int32_t QVNET_CALL MessageThunk(int32_t, int32_t, const char*, int32_t, const char*, int32_t, QVNET_USER) { return 1; }

void QVNET_CALL EventThunk(int32_t eventType, int32_t, int32_t handle, int32_t, QVNET_USER user) {
    try {
        if (CBackupEngine* engine = EngineOf(user)) engine->OnSdkEvent(eventType, handle);
    } catch (...) {
        LOG_FAILURE_ERROR(L"event callback", 0);
    }
}

CString Translate(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

}  // namespace

NETWORK_RATE_PARAMS NetworkParamsForRate(int rateType) {
    static const int32_t kRates[5][7] = {
        {5000, 2000, 2, 50, 2000, 0, 2000},       {3000, 1500, 1, 10, 1500, 0, 1500},
        {8000, 3000, 3, 100, 3000, 0, 3000},      {13000, 5000, 5, 1000, 5000, 0, 5000},
        {40000, 15000, 8, 2000, 10000, 0, 10000},
    };
    NETWORK_RATE_PARAMS params;
    memset(&params.block, 0, sizeof(params.block));
    params.queryWaitMs = 3000;
    if (rateType < 0 || rateType > 4) return params;
    const int32_t* row = kRates[rateType];
    params.block.connectWaitMs = row[0];
    params.block.replyWaitMs = row[1];
    params.block.connectTries = row[2];
    params.block.retryPauseMs = row[3];
    params.block.loginWaitMs = row[4];
    params.block.keepAliveMs = row[5];
    params.block.transferWaitMs = row[6];
    params.queryWaitMs = row[0];
    return params;
}

CBackupEngine& GetBackupEngine() {
    static CBackupEngine engine;
    return engine;
}

CBackupEngine::CBackupEngine()
    : m_sdk(CNetSdk::Api()),
      m_replay(new CNetReplayService(m_sdk, *this)),
      m_playPorts(new CPlayPortPool(m_playSdk)),
      m_taskQueue(new CBackupTaskQueue(*m_replay, *m_playPorts, *this)),
      m_schedules(&m_devices),
      m_search(m_sdk),
      m_disk(m_recordList, *this),
      m_downloads(*m_replay, m_recordList, m_schedules, m_devices, m_disk, *this),
      m_slots(*m_replay, *m_playPorts, m_devices, m_disk, m_recordList, *this),
      m_scheduler(m_schedules, m_devices, *m_replay, m_downloads,
                  [this](int code, const CString& text) { AddLogRecord(NewLogEntry(1, code, text)); }) {
    CAppConfig* config = GetAppConfig();
    m_playSdk.Load();
    m_downloads.SetManualDoneHandler([this]() { m_scheduler.OnScheduleFinished(); });
    m_downloads.SetIndexFailureHandler(
        [this](const RECORD_LIST_ROW& row) { LogRecordListFailure(L"Record list write failed!", row.C_FilePath); });
    g_currentEngine = this;

    const QVNET_USER self = reinterpret_cast<QVNET_USER>(this);
    if (m_sdk.Init) m_sdk.Init(DisconnectThunk, self);
    NETWORK_RATE_PARAMS rate = NetworkParamsForRate(config->m_nNetworkRateType);
    m_replaySettings.queryWaitMs = rate.queryWaitMs;
    if (m_sdk.SetNetworkParams) m_sdk.SetNetworkParams(&rate.block);
    if (m_sdk.SetMessageCallback) m_sdk.SetMessageCallback(MessageThunk, 0);
    m_proxy.Init();
    // Before the first file is read: a file set aside is in the log.
    m_log.SetDirectory(JoinPath(config->m_strModuleDir, L"Log\\"));
    SetUnreadableFileListener([this](const UNREADABLE_FILE& file) { LogUnreadableFile(file); });
    m_users.Load(config->m_strUsersFile);
    if (m_sdk.SetEventCallback) m_sdk.SetEventCallback(EventThunk, self);
    m_replay->SetParams(m_replaySettings.queryWaitMs, m_replaySettings.reserved2, m_replaySettings.reserved3,
                        m_replaySettings.reserved4, m_replaySettings.notifyWindow);
    m_devices.SetDeviceGoneHandler([this](int deviceId, int flag) { return OnDeviceGone(deviceId, flag); });
}

CBackupEngine::~CBackupEngine() {
    m_scheduler.StopThread();
    if (!m_shutDown) {
        // The conversion queue stops its sources through the SDK, so it goes
        // before the SDK is cleaned up.
        m_taskQueue->StopAll();
        CleanUpSdk();
    }
    // The pump calls back into the engine: it ends before the parts go.
    m_replay->Stop();
    // The conversion queue asks the slots and downloads about channels while
    // it closes: it goes while they are still here.
    m_taskQueue.reset();
    if (g_currentEngine == this) {
        g_currentEngine = nullptr;
        SetUnreadableFileListener(nullptr);
    }
}

void CBackupEngine::CleanUpSdk() {
    if (m_sdk.SetMessageCallback) m_sdk.SetMessageCallback(nullptr, 0);
    // The event callback carries this engine: the SDK keeps no pointer to
    // it past its clean-up (the disconnect callback is silent once the SDK
    // is cleaned up, and the next engine's start-up replaces it).
    if (m_sdk.SetEventCallback) m_sdk.SetEventCallback(nullptr, 0);
    if (m_sdk.Cleanup) m_sdk.Cleanup();
}

void CBackupEngine::SetWorkerStopper(void* owner, const WorkerStopper& stop) {
    CAutoLock guard(&m_workerLock);
    m_workerStoppers[owner] = stop;
}

void CBackupEngine::ClearWorkerStopper(void* owner) {
    CAutoLock guard(&m_workerLock);
    m_workerStoppers.erase(owner);
}

int CBackupEngine::Shutdown() {
    if (InterlockedExchange(&m_shutDown, 1) != 0) return 0;
    m_scheduler.StopThread();
    std::map<void*, WorkerStopper> stoppers;
    {
        CAutoLock guard(&m_workerLock);
        stoppers = m_workerStoppers;
    }
    for (const auto& entry : stoppers) entry.second();
    if (m_devices.GetTalkDeviceId() != 0) m_devices.DeviceCommand(m_devices.GetTalkDeviceId(), 3, 0);
    m_replay->SignalStop();
    m_taskQueue->StopAll();
    std::vector<DEVICE_RECORD> loggedIn;
    m_devices.GetLoggedInDevices(loggedIn);
    for (const DEVICE_RECORD& device : loggedIn) m_devices.LogoutDevice(device.id);
    CleanUpSdk();
    Sleep(kShutdownSettleMs);
    m_replay->Stop();
    m_proxy.DeleteAllDevices();
    m_proxy.Cleanup();
    return 0;
}

void CBackupEngine::AddLogRecord(int logType, int code, CString information, CString otherInfo, int srcDevId,
                                 int srcChannel, int desDevId, int desChannel, CTime begin, CTime end, CTime time) {
    LOG_RECORD record;
    record.I_LogType = logType;
    record.I_SubType = code;
    record.C_Information = information;
    record.C_OtherInfo = otherInfo;
    record.L_SrcDevID = srcDevId;
    record.I_SrcChannelIdx = srcChannel;
    record.L_DesDevID = desDevId;
    record.I_DesChannelIdx = desChannel;
    record.C_StartTime = begin.GetTime();
    record.C_StopTime = end.GetTime();
    record.C_UpdateTime = time.GetTime();
    AddLogRecord(record);
}

void CBackupEngine::AddLogRecord(LOG_RECORD record) {
    record.C_UserID = GetAppConfig()->GetLoginUserName();
    m_log.AddLog(record);
}

void CBackupEngine::LogUnreadableFile(const UNREADABLE_FILE& file) {
    CString text;
    text.Format(L"%s %s", GetInitLanguage()->GetString(L"This file could not be read:").GetString(),
                file.path.GetString());
    LOG_RECORD entry = NewLogEntry(LOG_TYPE_SYSTEM, LOG_SYSTEM_ERROR, text);
    entry.C_OtherInfo = file.keptAs;
    AddLogRecord(entry);
}

void CBackupEngine::WriteTextLog(const CString& text) {
    CAutoLock guard(&m_textLogLock);
    CTime now = CTime::GetCurrentTime();
    CString path = JoinPath(GetAppConfig()->m_strModuleDir, L"Log_" + now.Format(L"%Y%m%d") + L".log");
    CString line;
    line.Format(L"[%s] %s\r\n", (LPCWSTR)now.Format(L"%Y-%m-%d %H:%M:%S"), (LPCWSTR)text);
    CStringA narrow(line);
    CUniqueFile file(
        CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), (LPCSTR)narrow, (DWORD)narrow.GetLength(), &written, nullptr))
        LOG_FAILURE(path);
}

// ---- SDK callbacks ----------------------------------------------------------

void CBackupEngine::OnDeviceDisconnect(int loginHandle) {
    // 0 and below are "no session": no device may match them.
    if (loginHandle <= 0) return;
    DEVICE_RECORD device = m_devices.FindDeviceByLoginHandle(loginHandle);
    if (device.id == 0) return;
    PostMainWndMessage(WM_TW_DEVICE_OFFLINE, (WPARAM)device.id, 0);
    CString info;
    info.Format(L"%s[%s]:%s", (LPCWSTR)Translate(L"Device"), (LPCWSTR)CString(device.title),
                (LPCWSTR)Translate(L"Device offline!"));
    LOG_RECORD entry = NewLogEntry(1, LOG_DEVICE_OFFLINE, info);
    entry.L_SrcDevID = device.id;
    AddLogRecord(entry);
}

void CBackupEngine::OnSdkEvent(int eventType, int handle) {
    int deviceId = 0, channel = 0, found = -1;
    if (eventType == QVNET_EVENT_REPLAY_END) {
        found = FindSlotByHandle(handle, &deviceId, &channel);
    } else if (eventType == QVNET_EVENT_FETCH_FAILED) {
        found = FindTaskByHandle(handle, &deviceId, &channel);
        // The slot is given back here, not through the session the SDK may
        // or may not drop next. The task is queued again on the timer step:
        // stopping the download belongs on no SDK thread.
        if (found == 0) m_downloads.MarkFailed(handle);
    } else {
        PostMainWndMessage(WM_TW_SDK_EVENT, 0, eventType);
        return;
    }
    if (found == 0) PostMainWndMessage(WM_TW_SDK_EVENT, (WPARAM)(deviceId * 10000 + channel), eventType);
}

void CBackupEngine::OnFileDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB) {
    OnDownloadPos(handle, doneKB, totalKB, -1);
}

void CBackupEngine::OnTimeDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB, int index) {
    OnDownloadPos(handle, doneKB == kSourceDone ? totalKB : doneKB, totalKB, index);
}

int CBackupEngine::OnDownloadPos(int handle, uint32_t done, uint32_t total, int) {
    if (!m_slots.UpdateProgress(handle, done, total)) m_downloads.UpdateProgress(handle, done, total);
    m_taskQueue->OnSourcePosition(handle, done, total);
    return 0;
}

int CBackupEngine::OnStreamData(int handle, const void* data, int length) {
    int slot = m_slots.OnStreamData(handle, data, length);
    if (slot <= 0) return slot;
    // A handle that no slot and no conversion knows yet (a playback whose
    // start has not returned) is refused, so its data is offered again.
    int queue = m_taskQueue->OnSourceData(handle, static_cast<const uint8_t*>(data), length);
    return queue == 0 ? 0 : -1;
}

int CBackupEngine::OnPlaybackData(int handle, int, const uint8_t* data, int length) {
    return OnStreamData(handle, data, length) >= 0 ? 1 : 0;
}

int CBackupEngine::GetLoginHandle(int deviceId) { return LoginHandleOf(m_devices.GetDevice(deviceId)); }

int CBackupEngine::CheckChannelBusy(int deviceId, const RECORD_FILE_DESC& desc) {
    return GetChannelUse(deviceId, &desc);
}

int CBackupEngine::RunDownloads() {
    if (m_shutDown) return 0;
    m_downloads.Run();
    return 0;
}

int CBackupEngine::GetChannelUse(int deviceId, const RECORD_FILE_DESC* desc) {
    int channel = (int)desc->channel;
    if (IsChannelPlaying(deviceId, channel)) return CHANNEL_IN_SLOT;
    if (IsChannelDownloading(deviceId, channel)) return CHANNEL_DOWNLOADING;
    if (IsChannelConverting(deviceId, *desc)) return CHANNEL_CONVERTING;
    return CHANNEL_FREE;
}

bool CBackupEngine::IsRecordFileInUse(const CString& path) {
    return m_copies.Contains(path) || m_slots.IsFileInUse(path) || m_taskQueue->FindTaskByPath(path);
}

CString CBackupEngine::GetFirstBackupCopyFile() {
    BACKUP_COPY_ITEM item;
    return PeekFirstBackupCopy(&item) ? item.sourceFile : CString();
}

// ---- Device access ------------------------------------------------------

namespace {

const int kLoginTypeSelfRegistering = 2;

// The files of a user that travel with the user to another folder.
std::vector<CString> UserFileNames() { return {L"UserLogin.ini", L"device.xml"}; }

template <size_t N>
void CopyText(char (&field)[N], const char* text) {
    strncpy(field, text, N - 1);
    field[N - 1] = 0;
}

}  // namespace

int CBackupEngine::LoadUserData() {
    CAppConfig* config = GetAppConfig();
    m_devices.SetMaxDeviceCount(config->m_nDevMaxCount);
    const bool recordListReady = m_recordList.Open(config->GetRecordListFile()) && m_recordList.CheckTable(0) == 0;
    if (!recordListReady) LogRecordListFailure(L"Record list open failed!", config->GetRecordListFile());
    m_devices.SetProxyLoginFlag(config->m_nManufactureType);
    m_devices.OpenDeviceFile(config->GetDeviceFile());
    m_schedules.Load(config->GetScheduleFile());
    RegisterProxyDevices();
    m_shortKeys.LoadFromConfig();
    m_users.Load(config->m_strUsersFile);
    SetConcurrentLimit(config->m_nMultiBackupDevCount);
    return recordListReady ? 0 : -1;
}

void CBackupEngine::LogRecordListFailure(const wchar_t* what, const CString& path) {
    LOG_FAILURE(path);
    const int kLogTypeSystem = 0;
    const int kLogCodeSystemError = 3;
    CString text;
    text.Format(L"%s %s", (LPCWSTR)Translate(what), (LPCWSTR)path);
    AddLogRecord(NewLogEntry(kLogTypeSystem, kLogCodeSystemError, text));
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

int CBackupEngine::CopyUserFilesTo(const CString& directory) {
    return CopyFileList(GetAppConfig()->GetUserDir(), directory, UserFileNames(), FALSE);
}

int CBackupEngine::CopyUserFilesFrom(const CString& directory) {
    return CopyFileList(directory, GetAppConfig()->GetUserDir(), UserFileNames(), FALSE);
}

int CBackupEngine::StartDeviceSearch(int userValue) {
    if (m_shutDown) {
        m_search.Stop(false);
        return -1;
    }
    return m_search.Start((QVNET_USER)userValue);
}

// ---- Dropping devices -------------------------------------------------------

int CBackupEngine::OnDeviceGone(int deviceId, int) {
    m_slots.CloseDeviceSlots(deviceId);
    m_downloads.RequeueDevice(deviceId);
    m_taskQueue->MarkDeviceTasks(deviceId, 0);
    return m_devices.LogoutDeviceNotify(deviceId);
}

int CBackupEngine::ReleaseChannel(int kind, int deviceId, int channel) {
    if (kind == REPLAY_KIND_PLAYBACK) {
        m_slots.CloseChannelSlots(deviceId, channel);
    } else if (kind == REPLAY_KIND_DOWNLOAD) {
        m_downloads.RequeueChannel(deviceId, channel);
    }
    return 0;
}

int CBackupEngine::DeviceCommandAndDrop(int id, int command, int value) {
    if (command == 0 || command == 1) {
        m_devices.DeviceCommand(id, command, 0);
        return OnDeviceGone(id, 0);
    }
    if (command == 2 || command == 3) return m_devices.DeviceCommand(id, command, value);
    return -1;
}

int CBackupEngine::ReloginAndStartChannelFileJob(int id, int channel, const CString& fileName, int valueA, int valueB) {
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
