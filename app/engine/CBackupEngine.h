// CBackupEngine: the program's one backup engine. It owns the device
// manager, the stores and databases of the logged-in user, the playback and
// download service, the download tasks and the four playback slots, and runs
// the scheduler thread that turns due schedules into downloads.
//
// Threads: the UI thread (start and stop, the one-second RunDownloads step,
// slots, device access), the scheduler thread, the worker window's threads
// (logins, disk maintenance) and the network SDK's threads (callbacks).
// Locks: the engine lock guards the slots, the pending list, the active
// vector and the limit. It is never held across an SDK call that may wait
// for the SDK's own callbacks (they take it), nor across file deletions,
// database writes or posted messages.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <vector>

#include "app/core/CBackupScheduleStore.h"
#include "app/core/CLock.h"
#include "app/core/CLogDB.h"
#include "app/core/CRecordListDB.h"
#include "app/core/TwMessages.h"
#include "app/core/CUserManager.h"
#include "app/engine/BACKUP_COPY_ITEM.h"
#include "app/engine/CBackupTaskQueue.h"
#include "app/engine/CDevProxy.h"
#include "app/engine/CDeviceManager.h"
#include "app/engine/CNetReplayService.h"
#include "app/engine/CNetSdk.h"
#include "app/engine/CPlayPortPool.h"
#include "app/engine/CReplaySink.h"
#include "app/engine/CTaskQueueHost.h"
#include "app/engine/RECORD_TASK.h"
#include "app/engine/SLOT_PLAYLIST.h"
#include "standins/qvplay/CQvPlayLibrary.h"

// The engine's messages to the main window are in app/core/TwMessages.h.
const LPARAM kSlotClosedByEngine = 257;

// Operation-log codes the engine writes (log type 1).
enum {
    LOG_DEVICE_OFFLINE = 1014,
    LOG_SCHEDULE_START = 1025,
    LOG_SCHEDULE_STOP = 1026,
};

const int kSlotCount = 4;
const int kRecordPageSize = 100;

// Slot results.
enum {
    SLOT_ERR_CHANNEL_PLAYING = -201,
    SLOT_ERR_CHANNEL_DOWNLOADING = -202,
    SLOT_ERR_NO_PORT = -203,
    SLOT_ERR_NOT_STARTED = -204,
    SLOT_ERR_CHANNEL_CONVERTING = -205,
};

// Channel users reported by GetChannelUse.
enum {
    CHANNEL_FREE = 0,
    CHANNEL_IN_SLOT = 1,
    CHANNEL_DOWNLOADING = 2,
    CHANNEL_CONVERTING = 4,
};

struct ENGINE_SHORT_KEY {
    CString itemName;
    CString itemKey;
    WORD keyValue = 0;
    WORD keyModifiers = 0;
};

// The network parameter block and record-query wait for a NetworkRateType.
struct NETWORK_RATE_PARAMS {
    QVNET_NET_PARAMS block;
    int queryWaitMs;
};
// Other rate types give an all-zero block and the 3000 ms wait.
NETWORK_RATE_PARAMS NetworkParamsForRate(int rateType);

// The record window of a schedule on the day of `now`: begin at FHour:FMinute,
// end at THour:TMinute (23:59:00 from hour 24). Returns false for an AgoType
// the scheduler does not know (the schedule is skipped).
bool ScheduleRecordWindow(const BACKUP_SCHEDULE& schedule, const CTime& now, QVNET_TIME* begin, QVNET_TIME* end);

class CBackupEngine : public CReplaySink, public CTaskQueueHost {
public:
    // Starts the network SDK (time-outs from the configuration, callbacks),
    // the proxy and the playback service's pump. One engine at a time.
    CBackupEngine();
    ~CBackupEngine();
    CBackupEngine(const CBackupEngine&) = delete;
    CBackupEngine& operator=(const CBackupEngine&) = delete;

    // The engine the SDK callbacks reach; null when none exists.
    static CBackupEngine* Current();

    // Stops the scheduler, talk, the pump and conversions, cleans the SDK
    // up, waits 500 ms, removes the proxy's devices and stops the proxy.
    // Later calls do nothing. Returns 0.
    int Shutdown();
    bool IsShutDown() const { return m_shutDown != 0; }
    // Worker threads that call into the SDK register how to stop them; the
    // shutdown stops them before the SDK is cleaned up.
    typedef std::function<void()> WorkerStopper;
    void SetWorkerStopper(void* owner, const WorkerStopper& stop);
    void ClearWorkerStopper(void* owner);

    // ---- Operation log ------------------------------------------------------
    void AddLogRecord(int logType, int code, CString information, CString otherInfo, int srcDevId, int srcChannel,
                      int desDevId, int desChannel, CTime begin, CTime end, CTime time);
    // Appends "[time] text" to Log_<date>.log in the program directory.
    void WriteTextLog(const CString& text);

    // ---- SDK callbacks and their handlers -------------------------------------
    void OnDeviceDisconnect(int loginHandle);
    void OnSdkEvent(int eventType, int handle);
    int OnDownloadPos(int handle, uint32_t done, uint32_t total, int value);  // 0
    // 0 or more taken; below 0 refused (the source offers it again).
    int OnStreamData(int handle, const void* data, int length);
    // 0 found (device id and channel set), -1 not.
    int FindTaskByHandle(int handle, int* deviceId, int* channel);
    int FindSlotByHandle(int handle, int* deviceId, int* channel);

    // CReplaySink
    int OnPlaybackData(int handle, int type, const uint8_t* data, int length) override;
    void OnFileDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB) override;
    void OnTimeDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB, int index) override;
    // CTaskQueueHost
    int GetLoginHandle(int deviceId) override;
    int CheckChannelBusy(int deviceId, const RECORD_FILE_DESC& desc) override;

    // ---- Scheduled backup and manual download ---------------------------------
    // 0 started or on already; -1 no automatic schedule (nothing started).
    int StartAutoBackup();
    // 0; -1 when scheduled backup was not on.
    int StopAutoBackup();
    int StartManualDownload();  // 0
    int StopManualDownload();   // 0
    int GetBackupState(int* scheduledOn, int* manualOn);  // 0
    // The two steps of a scheduler pass; 0.
    int RetireSchedules(CTime now);
    int ScheduleTick(CTime now);
    bool IsSchedulerRunning() const { return m_schedulerRun != 0 && m_schedulerExited == 0; }
    // Passes the scheduler thread has finished since the engine was made.
    int GetSchedulerPassCount() const { return m_schedulerPasses; }

    // ---- Download tasks -----------------------------------------------------
    // 0 added; -1 an equal task exists (a manual request adopts it).
    int AddDownloadTask(int deviceId, const RECORD_FILE_DESC* desc, int scheduleId, int weekday);
    // 0 taken (removed from the pending list), -1 none.
    int TakeNextPendingTask(const std::vector<int>& busyDeviceIds, RECORD_TASK* out);
    int TakeNextPendingTaskByChannel(const std::vector<int>& busyKeys, RECORD_TASK* out);
    // The one-second step: retires one finished download or starts pending
    // ones within the limit. Always 0.
    int RunDownloads();
    // 1 when D_RecordList already holds the recording, else 0.
    int IsRecordInDb(int deviceId, int channel, const RECORD_FILE_DESC* desc);
    // 0 with the full path; -1 when no save directory can be chosen.
    int MakeTargetFileName(const DEVICE_RECORD* dev, int channel, const CTime* begin, CString kind,
                           CString* outPath, int mode, CString recordTypeText);
    int FinishScheduleIfIdle(int scheduleId, int weekday);  // 0
    int StopTask(int taskId);                               // 0
    int GetAllTasks(std::vector<RECORD_TASK>* out);         // 0: active, then pending
    int CountTasksBySchedule(std::map<int, int>* counts);   // 0
    int GetChannelUse(int deviceId, const RECORD_FILE_DESC* desc);
    void AddRecordRowForTask(const RECORD_TASK& task, const CString& path, int length, int type, int withSource);
    int GetConcurrentLimit();
    void SetConcurrentLimit(int limit);

    // ---- Playback slots -----------------------------------------------------
    int PlayRecordInSlot(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc);
    int PlayTimeRangeInSlot(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc);
    int PlayLocalFileInSlot(int slot, int deviceId, int channel, HWND window, CString path);
    int PlayFilesInSlot(int slot, int deviceId, int channel, HWND window, const std::vector<CString>& paths);
    int PlayRecordsInSlot(int slot, HWND window, int deviceId, const std::vector<RECORD_FILE_DESC>& descs);
    int PlaySlotItem(int slot, HWND window, int n);
    int PlayNextInSlot(int slot, HWND window);
    int ControlSlot(int slot, int command, unsigned value);
    int StopSlot(int slot) { return ControlSlot(slot, 1, 0); }
    int GetSlot(int slot, RECORD_TASK* out);
    int GetSlotPlaylist(int slot, int* position, std::vector<RECORD_SOURCE>* out);
    int ClearSlotPlaylist(int slot);
    int RefreshSlotDisplay(int slot);
    int SetSlotDisplayRegion(int slot, int index, RECT rect, const RECT& ref, HWND window, BOOL enable);
    int IsSlotDrained(int slot);
    int SetSlotSound(int slot, int on);
    int GetSlotPlayInfo(int slot, int* value4, int* value5, int* value6);
    CString SnapshotSlot(int slot);

    // ---- Save directories, disk space, clean-up ------------------------------
    CString* SelectSaveDirectory(CString* out, CString directories, int update);
    int CheckDiskSpace();  // 0
    int DeleteOldestRecords(CString directories);  // 0
    int DeleteExpiredRecords();  // 0
    int IsFileInUse(CString path);
    int IsDiskFull() const { return m_diskFull; }
    int AddBackupCopyFile(const BACKUP_COPY_ITEM& item);
    int IsFileInBackupCopy(CString path);
    int GetBackupCopyCount();
    CString GetFirstBackupCopyFile();
    // Copies the front item; false when the list is empty.
    bool PeekFirstBackupCopy(BACKUP_COPY_ITEM* out);
    int RemoveFirstBackupCopyFile();
    int ClearBackupCopyFiles();

    // ---- Device access ------------------------------------------------------
    int LoadUserData();  // 0
    // The device manager's login result (0 or more = logged in).
    int LoginDevice(int deviceId);
    int StartDeviceSearch(int userValue);  // handle, or -1
    // The window's handle is the value the results are posted with.
    int StartDeviceSearch(CWnd* userWindow) { return StartDeviceSearch((int)(intptr_t)userWindow->GetSafeHwnd()); }
    int StopDeviceSearch();                // 0
    int PopSearchResult(DEVICE_SEARCH_RESULT* out);  // 0 popped, -1 empty
    int QueueSearchResult(const DEVICE_SEARCH_RESULT* result);  // 0
    DEVICE_RECORD GetDevice(int deviceId) { return m_devices.GetDevice(deviceId); }
    void GetDevice(DEVICE_RECORD& out, int deviceId) { out = m_devices.GetDevice(deviceId); }
    int GetAllDevices(std::vector<DEVICE_RECORD>& out) { return m_devices.GetAllDevices(out); }
    int GetLoggedInDevices(std::vector<DEVICE_RECORD>& out) { return m_devices.GetLoggedInDevices(out); }
    int GetDeviceTypes(std::vector<CString>& out) { return m_devices.GetDeviceTypes(out); }
    int AddDevice(int id, const char* title, const char* desc, const char* ip, int port, const char* type,
                  const char* manufacturer, const char* model, const char* user, const char* password, int useDdns,
                  const char* ddnsIp, int ddnsPort, const char* ddnsDevName, int loginType, const char* cardsn) {
        return m_devices.AddDevice(id, title, desc, ip, port, type, manufacturer, model, user, password, useDdns,
                                   ddnsIp, ddnsPort, ddnsDevName, loginType, cardsn);
    }
    // Changes only what the user types about the device; its login state,
    // handles, channels and alarms stay. -1 when the id is absent.
    int ModifyDevice(int id, const char* title, const char* desc, const char* ip, int port, const char* type,
                     const char* manufacturer, const char* model, const char* user, const char* password,
                     int useDdns, const char* ddnsIp, int ddnsPort, const char* ddnsDevName, int loginType,
                     const char* cardsn) {
        return m_devices.ModifyDevice(id, title, desc, ip, port, type, manufacturer, model, user, password, useDdns,
                                      ddnsIp, ddnsPort, ddnsDevName, loginType, cardsn);
    }
    // The same with the typed fields taken from an edited copy of the record.
    int ModifyDevice(int id, const DEVICE_RECORD& edited);
    int DeleteDevice(int id) { return m_devices.DeleteDevice(id); }
    int RemoveAllDevices() { return m_devices.RemoveAllDevices(); }
    DEVICE_RECORD FindDeviceByAddress(const char* ip, int port) { return m_devices.FindDeviceByAddress(ip, port); }
    int GetChannelSlot(CHANNEL_SLOT& out, int channelId) { return m_devices.GetChannelSlot(out, channelId); }
    int CheckRecordState(int id) { m_devices.CheckRecordState(id); return 0; }
    int SyncDeviceTime(int id, __time64_t time, int force) { return m_devices.SyncDeviceTime(id, time, force); }
    int WriteDeviceXml() { return m_devices.WriteDeviceXml(); }
    int SetAlarmName(int id, int index, const CString& name) { return m_devices.SetAlarmName(id, index, name); }
    int SetChannelNameOnDevice(int id, int index, const CString& name) {
        return m_devices.SetChannelNameOnDevice(id, index, name);
    }
    int QueryChannelFileJob(int id) { return m_devices.QueryChannelFileJob(id); }
    int StopChannelFileJob(int id) { return m_devices.StopChannelFileJob(id); }
    // The current user's UserLogin.ini and device.xml copied into directory,
    // or from directory into the user's folder; files already there are
    // replaced. 0 when both were copied; -1 when a file is missing; -2 when a
    // copy failed.
    int CopyUserFilesTo(const CString& directory);
    int CopyUserFilesFrom(const CString& directory);
    int GetShortKeys(const CString& itemName, std::vector<ENGINE_SHORT_KEY>* out);
    int SetShortKey(const ENGINE_SHORT_KEY& entry);

    // ---- Dropping devices ---------------------------------------------------
    // Closes the device's slots, re-queues its active download, marks its
    // conversions unavailable and logs it out. The logout's result.
    int OnDeviceGone(int deviceId, int reserved);
    int OnDeviceRecordGone(const DEVICE_RECORD& record) { return OnDeviceGone(record.id, 0); }
    int ReleaseChannel(int kind, int deviceId, int channel);  // 0
    int DeviceCommandAndDrop(int id, int command, int value);
    int ReloginAndStartChannelFileJob(int id, int channel, const CString& fileName, int valueA, int valueB);

    // ---- Self-registering devices -------------------------------------------
    int RegisterProxyDevices();  // 0
    // The record the proxy gets for a device of login type 2.
    static PROXY_DEVICE_INFO MakeProxyDeviceInfo(const DEVICE_RECORD& device, int listenPort);

    // ---- Members other parts use directly ----------------------------------
    CDeviceManager& Devices() { return m_devices; }
    CRecordListDB& RecordList() { return m_recordList; }
    CUserManager& Users() { return m_users; }
    CBackupScheduleStore& Schedules() { return m_schedules; }
    CLogDB& Log() { return m_log; }
    CNetReplayService& Replay() { return *m_replay; }
    CPlayPortPool& PlayPorts() { return *m_playPorts; }
    CBackupTaskQueue& TaskQueue() { return *m_taskQueue; }
    CDevProxy& Proxy() { return m_proxy; }
    QVNET_API& Sdk() { return m_sdk; }
    const REPLAY_SETTINGS& ReplaySettings() const { return m_replaySettings; }

private:
    static DWORD WINAPI ScheduleThreadProc(void* param);
    void RunSchedulerLoop();
    int StartSchedulerThread();
    void StopSchedulerThread();
    void QueryScheduleFiles(const BACKUP_SCHEDULE& schedule, const DEVICE_RECORD& device, const CTime& now,
                            int weekday, bool* endPass);
    int RetireOneFinished();
    void StartPendingDownloads();
    bool IsChannelInSlotsOrPlaylists(int deviceId, int channel);
    void RequeueActiveTask(RECORD_TASK task);
    void StopDownloadAndDelete(const RECORD_TASK& task);
    void CloseSlot(int slot);
    int OpenSlotPort(int slot, HWND window);
    void ResetSlotForNewSource(int slot);
    int CheckChannelFreeForSlot(int deviceId, const RECORD_FILE_DESC& desc);
    int PlayDeviceSource(int slot, HWND window, int deviceId, const RECORD_FILE_DESC& desc, bool byTime);
    void CloseSlotPortLocked(int slot);
    // Plays the first item and makes the items the slot's playlist.
    int PlayListInSlot(int slot, HWND window, const std::vector<RECORD_SOURCE>& items);
    void RunCleanupRows(const RECORD_LIST_ROWS& rows);
    int RestartSlotPlayback(int slot, bool byTime);
    bool SlotIndexValid(int slot) const { return slot >= 0 && slot < kSlotCount; }

    CLock m_generalLock;
    CRecordListDB m_recordList;
    CUserManager m_users;
    CDeviceManager m_devices;
    CLock m_shortKeyLock;
    std::vector<ENGINE_SHORT_KEY> m_shortKeys;
    CLock m_engineLock;
    QVNET_API& m_sdk;  // the process-wide SDK table
    CQvPlayLibrary m_playSdk;
    std::unique_ptr<CNetReplayService> m_replay;
    RECORD_TASK m_slots[kSlotCount];
    SLOT_PLAYLIST m_playlists[kSlotCount];
    std::list<RECORD_TASK> m_pending;
    std::vector<RECORD_TASK> m_active;
    int m_concurrentLimit = 1;
    std::unique_ptr<CPlayPortPool> m_playPorts;
    CLock m_searchLock;
    std::list<DEVICE_SEARCH_RESULT> m_searchResults;
    CLock m_backupCopyLock;
    std::list<BACKUP_COPY_ITEM> m_backupCopies;
    std::unique_ptr<CBackupTaskQueue> m_taskQueue;
    CLock m_textLogLock;
    REPLAY_SETTINGS m_replaySettings;
    CLogDB m_log;
    CDevProxy m_proxy;
    CBackupScheduleStore m_schedules;
    volatile LONG m_schedulerRun = 0;
    volatile LONG m_schedulerExited = 1;
    volatile LONG m_scheduledOn = 0;
    volatile LONG m_manualOn = 0;
    int m_searchHandle = 0;
    volatile LONG m_diskFull = 0;
    HANDLE m_schedulerThread = nullptr;
    volatile LONG m_shutDown = 0;
    volatile LONG m_schedulerPasses = 0;
    CLock m_workerLock;
    std::map<void*, WorkerStopper> m_workerStoppers;
};

// The program's one engine, made on first use.
CBackupEngine& GetBackupEngine();
