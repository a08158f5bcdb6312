// CBackupEngine: the program's one backup engine and the one face the UI
// calls. It is composed of parts, each with its own lock and its lock's rule
// written beside it, and forwards its operations to them:
// - CBackupScheduler: scheduled backup and manual download, its thread;
// - CDownloadRunner: the download tasks and the one-second step;
// - CDiskKeeper: save directories, file names, disk-space clean-up;
// - CPlaybackSlots: the four playback slots and the stream-data path;
// - CDeviceManager: the device sessions (logins, commands, talk) over
//   CDeviceRegistry (the records) and CDeviceListStore (device.xml);
// - CDeviceSearch, CShortKeyTable, CBackupCopyList: the LAN search results,
//   the short-cut keys and the backup-copy list.
// The engine itself holds the stores and databases of the logged-in user,
// the playback and download service and the conversion queue, and takes
// the SDK's callbacks (each carries the engine as its user value).
//
// The parts never hold one another. Each is given, in its constructor, the
// narrow face it needs of what was built before it (the disk keeper as the
// namer of new files, the service as download transfers, playback sources
// and record-file query, the device manager as the device lookup, the
// runner as the scheduler's download tasks); what the parts ask about one
// another (who uses a device channel, whether a file is still needed) the
// engine answers (CChannelUse, CRecordFileUse) from the parts, which exist
// by the time anything can ask: no part asks while it is being built.
//
// The engine's own locks: m_textLogLock (the text log file) and
// m_workerLock (the worker-stopper map), both leaves.
//
// Lock order between the parts: a slot's playlist lock, then the slots'
// lock, then the download runner's lock; the disk keeper's pass lock before
// any of them. No part's lock is held across an SDK call that waits for the
// SDK's callbacks.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/core/CBackupScheduleStore.h"
#include "common/CLock.h"
#include "app/core/CLogDB.h"
#include "app/core/CRecordListDB.h"
#include "app/core/TwMessages.h"
#include "app/core/CUserDataLoader.h"
#include "app/core/CUserManager.h"
#include "app/engine/BACKUP_COPY_ITEM.h"
#include "app/engine/CBackupCopyList.h"
#include "app/engine/CBackupScheduler.h"
#include "app/engine/CBackupTaskQueue.h"
#include "app/engine/CChannelUse.h"
#include "app/engine/CDevProxy.h"
#include "app/engine/CDeviceManager.h"
#include "app/engine/CDeviceSearch.h"
#include "app/engine/CDiskKeeper.h"
#include "app/engine/CDownloadRunner.h"
#include "app/engine/CNetReplayService.h"
#include "app/engine/CNetSdk.h"
#include "app/engine/CPlayPortPool.h"
#include "app/engine/CPlaybackSlots.h"
#include "app/engine/CQvPlayLibrary.h"
#include "app/engine/CRecordFileUse.h"
#include "app/engine/CReplaySink.h"
#include "app/engine/CShortKeyTable.h"
#include "app/engine/CTaskQueueHost.h"
#include "app/engine/EngineLogCodes.h"
#include "app/engine/RECORD_TASK.h"

// The engine's messages to the main window are in app/core/TwMessages.h;
// the slot results and kSlotClosedByEngine in CPlaybackSlots.h.

// Channel users reported by GetChannelUse.
enum {
    CHANNEL_FREE = 0,
    CHANNEL_IN_SLOT = 1,
    CHANNEL_DOWNLOADING = 2,
    CHANNEL_CONVERTING = 4,
};

// The network parameter block and record-query wait for a NetworkRateType.
struct UNREADABLE_FILE;

struct NETWORK_RATE_PARAMS {
    QVNET_NET_PARAMS block;
    int queryWaitMs;
};
// Other rate types give an all-zero block and the 3000 ms wait.
NETWORK_RATE_PARAMS NetworkParamsForRate(int rateType);

class CBackupEngine : public CReplaySink,
                      public CTaskQueueHost,
                      public CChannelUse,
                      public CRecordFileUse,
                      public CUserDataLoader {
public:
    // Starts the network SDK (time-outs from the configuration, callbacks),
    // the proxy and the playback service's pump. One engine at a time.
    CBackupEngine();
    ~CBackupEngine();
    CBackupEngine(const CBackupEngine&) = delete;
    CBackupEngine& operator=(const CBackupEngine&) = delete;

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
    // Queues the entry for the log database; its user becomes the
    // configuration's current user name.
    void AddLogRecord(LOG_RECORD record);
    // The same with the fields in order (no option, no file name).
    void AddLogRecord(int logType, int code, CString information, CString otherInfo, int srcDevId, int srcChannel,
                      int desDevId, int desChannel, CTime begin, CTime end, CTime time);
    // Appends "[time] text" to Log_<date>.log in the program directory.
    void WriteTextLog(const CString& text);
    // The operation-log record of a stored file set aside (type 0, code 3):
    // the file in the text, where it is kept in the second text.
    void LogUnreadableFile(const UNREADABLE_FILE& file);

    // ---- SDK callbacks and their handlers -------------------------------------
    void OnDeviceDisconnect(int loginHandle);
    void OnSdkEvent(int eventType, int handle);
    int OnDownloadPos(int handle, uint32_t done, uint32_t total, int value);  // 0
    // 0 or more taken; below 0 refused (the source offers it again).
    int OnStreamData(int handle, const void* data, int length);
    // 0 found (device id and channel set), -1 not.
    int FindTaskByHandle(int handle, int* deviceId, int* channel) {
        return m_downloads.FindByHandle(handle, deviceId, channel);
    }
    int FindSlotByHandle(int handle, int* deviceId, int* channel) {
        return m_slots.FindByHandle(handle, deviceId, channel);
    }

    // CReplaySink
    int OnPlaybackData(int handle, int type, const uint8_t* data, int length) override;
    void OnFileDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB) override;
    void OnTimeDownloadPos(int handle, uint32_t totalKB, uint32_t doneKB, int index) override;
    // CTaskQueueHost
    int GetLoginHandle(int deviceId) override;
    int CheckChannelBusy(int deviceId, const RECORD_FILE_DESC& desc) override;
    // CChannelUse
    bool IsChannelPlaying(int deviceId, int channel) override { return m_slots.IsChannelInUse(deviceId, channel); }
    bool IsChannelDownloading(int deviceId, int channel) override {
        return m_downloads.IsChannelDownloading(deviceId, channel);
    }
    bool IsChannelConverting(int deviceId, const RECORD_FILE_DESC& desc) override {
        return m_taskQueue->FindTaskByDescriptor(deviceId, desc, 1) != 0;
    }
    // CRecordFileUse
    bool IsRecordFileInUse(const CString& path) override;

    // ---- Scheduled backup and manual download ---------------------------------
    // 0 started or on already; -1 no automatic schedule (nothing started).
    int StartAutoBackup() { return m_scheduler.StartAutoBackup(); }
    // 0; -1 when scheduled backup was not on.
    int StopAutoBackup() { return m_scheduler.StopAutoBackup(); }
    int StartManualDownload() { return m_scheduler.StartManualDownload(); }  // 0
    int StopManualDownload() { return m_scheduler.StopManualDownload(); }    // 0
    int GetBackupState(int* scheduledOn, int* manualOn) { return m_scheduler.GetBackupState(scheduledOn, manualOn); }
    // The two steps of a scheduler pass; 0.
    int RetireSchedules(CTime now) { return m_scheduler.RetireSchedules(now); }
    int ScheduleTick(CTime now) { return m_scheduler.ScheduleTick(now); }
    bool IsSchedulerRunning() const { return m_scheduler.IsRunning(); }
    CBackupScheduler& Scheduler() { return m_scheduler; }
    // Passes the scheduler thread has finished since the engine was made.
    int GetSchedulerPassCount() const { return m_scheduler.GetPassCount(); }

    // ---- Download tasks -----------------------------------------------------
    // 0 added; -1 an equal task exists (a manual request adopts it).
    int AddDownloadTask(int deviceId, const RECORD_FILE_DESC* desc, int scheduleId, int weekday) {
        return m_downloads.Add(deviceId, desc, scheduleId, weekday);
    }
    // 0 taken (removed from the pending list), -1 none.
    int TakeNextPendingTask(const std::vector<int>& busyDeviceIds, RECORD_TASK* out) {
        return m_downloads.TakeNextPending(busyDeviceIds, out);
    }
    int TakeNextPendingTaskByChannel(const std::vector<int>& busyKeys, RECORD_TASK* out) {
        return m_downloads.TakeNextPendingByChannel(busyKeys, out);
    }
    // The one-second step: retires one finished download or starts pending
    // ones within the limit. Always 0.
    int RunDownloads();
    // 1 when D_RecordList already holds the recording, else 0.
    int IsRecordInDb(int deviceId, int channel, const RECORD_FILE_DESC* desc) {
        return m_downloads.IsRecordInDb(deviceId, channel, desc);
    }
    // 0 with the full path; -1 when no save directory can be chosen.
    int MakeTargetFileName(const DEVICE_RECORD* dev, int channel, const CTime* begin, CString kind, CString* outPath,
                           int mode, CString recordTypeText) {
        return m_disk.MakeTargetFileName(dev, channel, begin, kind, outPath, mode, recordTypeText);
    }
    int FinishScheduleIfIdle(int scheduleId, int weekday) {  // 0
        return m_downloads.FinishScheduleIfIdle(scheduleId, weekday);
    }
    int StopTask(int taskId) { return m_downloads.Stop(taskId); }  // 0
    int GetAllTasks(std::vector<RECORD_TASK>* out) {               // 0: active, then pending
        m_downloads.GetAll(out);
        return 0;
    }
    int CountTasksBySchedule(std::map<int, int>* counts) {  // 0
        m_downloads.CountBySchedule(counts);
        return 0;
    }
    // Downloaded recordings kept on disk whose record-list row could not be
    // written yet, by schedule id.
    void CountUnindexedBySchedule(std::map<int, int>* counts) { m_downloads.CountUnindexedBySchedule(counts); }
    int GetChannelUse(int deviceId, const RECORD_FILE_DESC* desc);
    void AddRecordRowForTask(const RECORD_TASK& task, const CString& path, int length, int type, int withSource) {
        m_downloads.AddRecordRow(task, path, length, type, withSource);
    }
    int GetConcurrentLimit() { return m_downloads.GetLimit(); }
    void SetConcurrentLimit(int limit) { m_downloads.SetLimit(limit); }

    // ---- Playback slots -----------------------------------------------------
    int PlayRecordInSlot(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc) {
        return m_slots.PlayRecord(slot, window, deviceId, desc);
    }
    int PlayTimeRangeInSlot(int slot, HWND window, int deviceId, const RECORD_FILE_DESC* desc) {
        return m_slots.PlayTimeRange(slot, window, deviceId, desc);
    }
    int PlayLocalFileInSlot(int slot, int deviceId, int channel, HWND window, CString path) {
        return m_slots.PlayLocalFile(slot, deviceId, channel, window, path);
    }
    int PlayFilesInSlot(int slot, int deviceId, int channel, HWND window, const std::vector<CString>& paths) {
        return m_slots.PlayFiles(slot, deviceId, channel, window, paths);
    }
    int PlayRecordsInSlot(int slot, HWND window, int deviceId, const std::vector<RECORD_FILE_DESC>& descs) {
        return m_slots.PlayRecords(slot, window, deviceId, descs);
    }
    int PlaySlotItem(int slot, HWND window, int n) { return m_slots.PlayItem(slot, window, n); }
    int PlayNextInSlot(int slot, HWND window) { return m_slots.PlayNext(slot, window); }
    int ControlSlot(int slot, int command, unsigned value) { return m_slots.Control(slot, command, value); }
    int StopSlot(int slot) { return ControlSlot(slot, 1, 0); }
    int GetSlot(int slot, RECORD_TASK* out) { return m_slots.Get(slot, out); }
    int GetSlotPlaylist(int slot, int* position, std::vector<RECORD_SOURCE>* out) {
        return m_slots.GetPlaylist(slot, position, out);
    }
    int ClearSlotPlaylist(int slot) { return m_slots.ClearPlaylist(slot); }
    int RefreshSlotDisplay(int slot) { return m_slots.RefreshDisplay(slot); }
    int SetSlotDisplayRegion(int slot, int index, RECT rect, const RECT& ref, HWND window, BOOL enable) {
        return m_slots.SetDisplayRegion(slot, index, rect, ref, window, enable);
    }
    int IsSlotDrained(int slot) { return m_slots.IsDrained(slot); }
    int SetSlotSound(int slot, int on) { return m_slots.SetSound(slot, on); }
    // The slot's play port's fourth, fifth and sixth play-state values.
    int GetSlotPlayInfo(int slot, int* fourth, int* fifth, int* sixth) {
        return m_slots.GetPlayInfo(slot, fourth, fifth, sixth);
    }
    CString SnapshotSlot(int slot) { return m_slots.Snapshot(slot); }

    // ---- Save directories, disk space, clean-up ------------------------------
    CString* SelectSaveDirectory(CString* out, CString directories, int update) {
        *out = m_disk.SelectSaveDirectory(directories, update);
        return out;
    }
    int CheckDiskSpace() { return m_disk.CheckDiskSpace(); }                                          // 0
    int DeleteOldestRecords(CString directories) { return m_disk.DeleteOldestRecords(directories); }  // 0
    int DeleteExpiredRecords() { return m_disk.DeleteExpiredRecords(); }                              // 0
    int IsFileInUse(CString path) { return m_slots.IsFileInUse(path); }
    int IsDiskFull() const { return m_disk.IsDiskFull(); }
    int AddBackupCopyFile(const BACKUP_COPY_ITEM& item) {
        m_copies.Add(item);
        return 0;
    }
    int IsFileInBackupCopy(CString path) { return m_copies.Contains(path) ? 1 : 0; }
    int GetBackupCopyCount() { return m_copies.Count(); }
    CString GetFirstBackupCopyFile();
    // Copies the front item; false when the list is empty.
    bool PeekFirstBackupCopy(BACKUP_COPY_ITEM* out) { return m_copies.PeekFirst(out); }
    int RemoveFirstBackupCopyFile() {
        m_copies.RemoveFirst();
        return 0;
    }
    int ClearBackupCopyFiles() {
        m_copies.Clear();
        return 0;
    }

    // ---- Device access ------------------------------------------------------
    // CUserDataLoader, after a login (LoginAndLoadUserData): 0; -1 when the
    // record-list database could not be opened or its table checked (logged;
    // downloads keep their files all the same).
    int LoadUserData() override;
    // The device manager's login result (0 or more = logged in).
    int LoginDevice(int deviceId);
    int StartDeviceSearch(int userValue);  // handle, or -1
    // The window's handle is the value the results are posted with.
    int StartDeviceSearch(CWnd* userWindow) { return StartDeviceSearch((int)(intptr_t)userWindow->GetSafeHwnd()); }
    int StopDeviceSearch() { return m_search.Stop(!m_shutDown); }                                 // 0
    int PopSearchResult(DEVICE_SEARCH_RESULT* out) { return m_search.Pop(out); }                  // 0 popped, -1 empty
    int QueueSearchResult(const DEVICE_SEARCH_RESULT* result) { return m_search.Queue(result); }  // 0
    DEVICE_RECORD GetDevice(int deviceId) { return m_devices.GetDevice(deviceId); }
    void GetDevice(DEVICE_RECORD& out, int deviceId) { out = m_devices.GetDevice(deviceId); }
    int GetAllDevices(std::vector<DEVICE_RECORD>& out) { return m_devices.GetAllDevices(out); }
    int GetLoggedInDevices(std::vector<DEVICE_RECORD>& out) { return m_devices.GetLoggedInDevices(out); }
    int GetDeviceTypes(std::vector<CString>& out) { return m_devices.GetDeviceTypes(out); }
    // A new device with the typed fields of `typed` (CDeviceManager::AddDevice).
    int AddDevice(const DEVICE_RECORD& typed) { return m_devices.AddDevice(typed); }
    int AddDevice(int id, const char* title, const char* desc, const char* ip, int port, const char* type,
                  const char* manufacturer, const char* model, const char* user, const char* password, int useDdns,
                  const char* ddnsIp, int ddnsPort, const char* ddnsDevName, int loginType, const char* cardsn) {
        return m_devices.AddDevice(id, title, desc, ip, port, type, manufacturer, model, user, password, useDdns,
                                   ddnsIp, ddnsPort, ddnsDevName, loginType, cardsn);
    }
    // Changes only what the user types about the device; its login state,
    // handles, channels and alarms stay. -1 when the id is absent.
    int ModifyDevice(int id, const char* title, const char* desc, const char* ip, int port, const char* type,
                     const char* manufacturer, const char* model, const char* user, const char* password, int useDdns,
                     const char* ddnsIp, int ddnsPort, const char* ddnsDevName, int loginType, const char* cardsn) {
        return m_devices.ModifyDevice(id, title, desc, ip, port, type, manufacturer, model, user, password, useDdns,
                                      ddnsIp, ddnsPort, ddnsDevName, loginType, cardsn);
    }
    // The same with the typed fields taken from an edited copy of the record.
    int ModifyDevice(int id, const DEVICE_RECORD& edited) { return m_devices.ModifyDevice(id, edited); }
    int DeleteDevice(int id) { return m_devices.DeleteDevice(id); }
    int RemoveAllDevices() { return m_devices.RemoveAllDevices(); }
    DEVICE_RECORD FindDeviceByAddress(const char* ip, int port) { return m_devices.FindDeviceByAddress(ip, port); }
    int GetChannelSlot(CHANNEL_SLOT& out, int channelId) { return m_devices.GetChannelSlot(out, channelId); }
    int CheckRecordState(int id) {
        m_devices.CheckRecordState(id);
        return 0;
    }
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
    int GetShortKeys(const CString& itemName, std::vector<ENGINE_SHORT_KEY>* out) {
        m_shortKeys.Find(itemName, out);
        return 0;
    }
    int SetShortKey(const ENGINE_SHORT_KEY& entry) {
        m_shortKeys.Set(entry);
        return 0;
    }

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
    // Unregisters the callbacks and cleans the SDK up.
    void CleanUpSdk();
    // Writes a system-error log record "<translated what> <path>".
    void LogRecordListFailure(const wchar_t* what, const CString& path);
    // Stores and services of the logged-in user.
    CRecordListDB m_recordList;
    CUserManager m_users;
    CDeviceManager m_devices;
    QVNET_API& m_sdk;  // the process-wide SDK table
    CQvPlayLibrary m_playSdk;
    std::unique_ptr<CNetReplayService> m_replay;
    std::unique_ptr<CPlayPortPool> m_playPorts;
    std::unique_ptr<CBackupTaskQueue> m_taskQueue;
    REPLAY_SETTINGS m_replaySettings;
    CLogDB m_log;
    CDevProxy m_proxy;
    CBackupScheduleStore m_schedules;

    // The parts. Each is given the members above and the parts before it,
    // so they come last, in this order, and go first.
    CBackupCopyList m_copies;
    CShortKeyTable m_shortKeys;
    CDeviceSearch m_search;
    CDiskKeeper m_disk;
    CDownloadRunner m_downloads;
    CPlaybackSlots m_slots;
    CBackupScheduler m_scheduler;

    CLock m_textLogLock;
    volatile LONG m_shutDown = 0;
    CLock m_workerLock;
    std::map<void*, WorkerStopper> m_workerStoppers;
};

// The program's one engine, made on first use.
CBackupEngine& GetBackupEngine();
