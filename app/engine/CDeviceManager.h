// CDeviceManager: the registry of one user's configured devices. One
// DEVICE_RECORD per device id, the id allocator, the device count and its
// limit, the device list file (device.xml), and everything done with a device
// through the network SDK: login, logout, control commands, two-way talk,
// clock, record-state check, channel and alarm names, the per-channel file
// job. Callers always get copies of records, never pointers into the map.
//
// It is composed of the registry (CDeviceRegistry: records, ids, count), the
// device list file (CDeviceListStore) and the SDK reads (CDeviceQueries);
// what remains here are the sessions: login, logout, commands, talk, names.
// The class is split over two files: CDeviceManager.cpp (sessions) and
// CDeviceManagerMerge.cpp (what the operator types taken into records: the
// typed values of AddDevice and ModifyDevice, and the device dialogs' commit
// merged into a live record).
//
// Locks: the registry's records and count locks (rules in CDeviceRegistry.h):
// no SDK call is made while the records lock is held, since the SDK's
// disconnect callback looks its device up and takes it. The list store's
// file lock comes before the records lock, never while holding it.
// m_settingsLock guards the file path and the device-gone handler; a leaf.
#pragma once

#include <afx.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/core/CLiveDeviceLookup.h"
#include "common/CLock.h"
#include "app/core/TwMessages.h"
#include "app/engine/CDeviceListStore.h"
#include "app/engine/CDeviceLookup.h"
#include "app/engine/CDeviceRegistry.h"
#include "app/engine/DEVICE_RECORD.h"

class CDeviceManager : public CDeviceLookup, public CLiveDeviceLookup {
public:
    // Called for device command 1 once the device accepted it: closes the
    // device's playback and downloads and logs it out. The engine installs
    // its OnDeviceGone here; without a handler the device is logged out.
    typedef std::function<int(int deviceId, int flag)> DeviceGoneHandler;

    CDeviceManager();
    ~CDeviceManager();
    CDeviceManager(const CDeviceManager&) = delete;
    CDeviceManager& operator=(const CDeviceManager&) = delete;

    // ---- Settings -------------------------------------------------------
    int SetMaxDeviceCount(unsigned count) {  // 0
        m_registry.SetMaxDeviceCount(count);
        return 0;
    }
    int SetMaxDeviceCount(int count) { return SetMaxDeviceCount(static_cast<unsigned>(count < 0 ? 0 : count)); }
    // 1 turns on the shift of user names at login. Returns 0.
    int SetProxyLoginFlag(int flag);
    void SetDeviceGoneHandler(const DeviceGoneHandler& handler);
    // Stores the path (".\" replaced by the program directory) and loads it
    // as ReadDeviceXml does, except that a file that does not parse is set
    // aside and the devices before the damage are loaded and written back:
    // 1 (CDeviceListStore::Read of a stored file).
    int OpenDeviceFile(const CString& path);
    CString GetDeviceFile() const;

    // ---- Device list file ---------------------------------------------------
    // Empties the registry and loads the file, each device under the id that
    // ListDeviceElements gives it, up to the maximum count; the devices past
    // it are held back (GetNotLoadedCount) and written with the list. 0 (also
    // for a missing or empty file), -1 when the text does not parse (the
    // registry stays empty).
    int ReadDeviceXml(const CString& path);
    // Devices of the file read last that the maximum kept out of the list.
    int GetNotLoadedCount() const { return m_registry.GetNotLoadedCount(); }
    void ForgetNotLoaded() { m_registry.ForgetNotLoaded(); }
    // Writes every record (the path, else the stored one). 0; -2 when there
    // is no file name; -3 when the file could not be written.
    int WriteDeviceXml(const CString& path = CString());
    // Rewrites the device's element in the stored file when it differs from
    // the record's (a login that changed nothing leaves the file alone). 0
    // (also when the file has no element for it); -1 when the id is unknown
    // or the file cannot be loaded; -3 when it cannot be saved.
    int SaveDeviceElement(int deviceId);

    // ---- Ids and capacity ---------------------------------------------------
    // The last id + 1 while the last id lies in 1000..9999 (the last id is
    // raised when the record is added); after that the lowest free id from
    // 1001, which also becomes the last id.
    int GetNextDeviceId() { return m_registry.GetNextDeviceId(); }
    int IsFull() const { return m_registry.IsFull(); }  // 1 when the count has reached the maximum
    int GetDeviceCount() const { return m_registry.GetDeviceCount(); }

    // ---- Adding, changing, removing (0 on success) ------------------------
    // -1 when the id is below 1000 or above kMaxKeptDeviceId, or the
    // registry is full (a record that replaces one of the same id never
    // counts twice).
    int AddDeviceRecord(const DEVICE_RECORD& record) { return m_registry.AddDeviceRecord(record); }
    // A new record with what the user types about a device taken from
    // `typed` (names, address, credentials, type, DDNS, login type, card;
    // texts cut to their fields) and typed.id as its id. -1 when full. Ids
    // above 9999 become id % 1000 + 10000, below 1000 id + 1000 (-1 when
    // that is still below 1000).
    int AddDevice(const DEVICE_RECORD& typed);
    // The same with the typed values in order.
    int AddDevice(int id, const char* title, const char* desc, const char* ip, int port, const char* type,
                  const char* manufacturer, const char* model, const char* user, const char* password, int useDdns,
                  const char* ddnsIp, int ddnsPort, const char* ddnsDevName, int loginType, const char* cardsn);
    // -1 when the id is absent. Overwrites what the user types (the fields
    // AddDevice takes) with those of `typed`; login state, channels and
    // alarms stay.
    int ModifyDevice(int id, const DEVICE_RECORD& typed);
    // The same with the typed values in order.
    int ModifyDevice(int id, const char* title, const char* desc, const char* ip, int port, const char* type,
                     const char* manufacturer, const char* model, const char* user, const char* password, int useDdns,
                     const char* ddnsIp, int ddnsPort, const char* ddnsDevName, int loginType, const char* cardsn);
    // -1 when the id is absent; the stored record becomes the given one
    // with its id forced to `id`.
    int ReplaceDevice(int id, const DEVICE_RECORD& record) { return m_registry.ReplaceDevice(id, record); }
    // Takes what the device dialogs edit (names, address, credentials, type,
    // DDNS, the configuration block, channel and alarm names) from `edited`
    // into the stored record in one step under the records lock, so a login
    // finishing meanwhile keeps its session fields, channel and alarm keys,
    // job state and id. 0, or -1 when the id is absent.
    int MergeDeviceFields(int id, const DEVICE_RECORD& edited);
    // The same merge between two records.
    static void MergeDeviceFields(DEVICE_RECORD& target, const DEVICE_RECORD& edited);
    int DeleteDevice(int id) { return m_registry.DeleteDevice(id); }  // -1 when absent; no logout
    int RemoveAllDevices() { return m_registry.RemoveAllDevices(); }  // 0; no logout, the last id stays

    // ---- Copies -------------------------------------------------------------
    // The record, or the all-zero record (id 0) when the id is absent.
    DEVICE_RECORD GetDevice(int id) const override { return m_registry.GetDevice(id); }
    void GetDevice(int id, DEVICE_RECORD& out) const { out = GetDevice(id); }
    // CLiveDeviceLookup: whether GetDevice gives a record of that id (so id 0,
    // the absent record's, counts as held, as it always has for a purge).
    bool HasDevice(int devId) override { return GetDevice(devId).id == devId; }
    // Calls read with the stored record under the records lock, for a caller
    // that needs a few fields of many devices: no whole-record copy. read must
    // not call into this manager or the SDK. False (read not called) when the
    // id is absent.
    bool ReadDevice(int id, const std::function<void(const DEVICE_RECORD&)>& read) const override {
        return m_registry.ReadDevice(id, read);
    }
    // 0, ascending ids
    int GetAllDevices(std::vector<DEVICE_RECORD>& out) const { return m_registry.GetAllDevices(out); }
    // Calls read with every stored record in ascending ids under the records
    // lock, as ReadDevice does: hundreds of whole-record copies are megabytes
    // of fresh memory, slower to fault in than the fields a list shows.
    void ReadAllDevices(const std::function<void(const DEVICE_RECORD&)>& read) const {
        m_registry.ReadAllDevices(read);
    }
    // 0 when any, else -1
    int GetLoggedInDevices(std::vector<DEVICE_RECORD>& out) const { return m_registry.GetLoggedInDevices(out); }
    int GetDevicesByLoginType(int loginType, std::vector<DEVICE_RECORD>& out) const {  // 0 when any, else -1
        return m_registry.GetDevicesByLoginType(loginType, out);
    }
    // count of distinct sorted types
    int GetDeviceTypes(std::vector<CString>& out) const { return m_registry.GetDeviceTypes(out); }
    DEVICE_RECORD FindDeviceByAddress(const char* ip, int port) const {
        return m_registry.FindDeviceByAddress(ip, port);
    }
    DEVICE_RECORD FindDeviceByLoginHandle(int loginHandle) const {
        return m_registry.FindDeviceByLoginHandle(loginHandle);
    }
    // Title and channel name of a channel id (device id * 10000 + index, or
    // + 1000 + index). 0; empty texts when the device or the index is unknown.
    int GetChannelName(int channelId, CString& deviceTitle, CString& channelName) const {
        return m_registry.GetChannelName(channelId, deviceTitle, channelName);
    }
    // Copies the channel's slot. 0, or -1 (slot cleared) when the device is
    // absent or the index is not below 256.
    int GetChannelSlot(CHANNEL_SLOT& out, int channelId) const { return m_registry.GetChannelSlot(out, channelId); }
    // value3 = first, value1 = second, value2 = third, value4 = fourth.
    // -1 when the id is absent or the index is not below 256.
    int SetChannelValues(int id, int channelIndex, int first, int second, int third, int fourth) {
        return m_registry.SetChannelValues(id, channelIndex, first, second, third, fourth);
    }

    // ---- Login --------------------------------------------------------------
    // 0 logged in (or already); -1 not registered, refused, or removed while
    // logging in; -2 address not resolvable / not reachable or dynamic-DNS
    // failure; -3 .. -8 logged out by another thread during that post-login
    // step.
    int LoginDevice(int id);
    // The same for the device dialogs: stores by assignment (a removed id is
    // registered again) and posts nothing.
    int LoginAndQueryDevice(int id);
    // Logs in every device not logged in; appends each failure (as it was
    // before the attempt) to `failed`; for each success posts
    // WM_TW_DEVICE_LOGIN_STATE (id, 1) to `window` when given. Returns 0.
    int LoginAllDevices(HWND window, std::vector<DEVICE_RECORD>* failed);
    // The text of the device's last login failure; "" for unknown ids.
    CString GetLoginErrorText(int id) const;

    // ---- Operations ---------------------------------------------------------
    // 0, or -1 when the device is not logged in. Open talk is closed first.
    int LogoutDevice(int id);
    // As LogoutDevice, then posts WM_TW_DEVICE_LOGIN_STATE (id, 0).
    int LogoutDeviceNotify(int id);
    // Logs out the caller's own record (no registry access). 0, or -1.
    static int LogoutRecord(DEVICE_RECORD& record);
    // 0 restart-type control, 1 shut-down-type control, 2 start talk with
    // the format at formatIndex, 3 stop talk. -1 on refusal or unknown command.
    int DeviceCommand(int id, int command, int formatIndex);
    // The translated name of a talk format type; "" for other values.
    static CString GetTalkFormatName(int formatType);
    int GetTalkDeviceId() const { return m_registry.GetTalkDeviceId(); }
    // 0 when the device clock was set; -1 otherwise (also when a device
    // clock equal to or ahead of `time` is left alone without force).
    int SyncDeviceTime(int id, __time64_t time, int force);
    // One device, or -1 for every logged-in device. 0, or the last failure
    // code of the run (-1 not logged in, -2 disks, -3 record states, -4
    // record plan, -5 device clock; -4 at once when none is logged in).
    int CheckRecordState(int id);
    // 0; -1 not logged in or refused; -2 bad index; -3 longer than 32
    // characters; -4 empty.
    int SetChannelNameOnDevice(int id, int channelIndex, const CString& name);
    int SetAlarmName(int id, int alarmIndex, const CString& name);
    int StartChannelFileJob(int id, int channel, const CString& fileName, int valueA, int valueB);
    int QueryChannelFileJob(int id);
    int StopChannelFileJob(int id);

private:
    struct LoginMode;

    // Empties the registry and loads the file (storedFile: the user's own
    // list, set aside when it does not parse).
    int ReadList(const CString& file, bool storedFile);

    int LoginSequence(int id, const LoginMode& mode);
    int ResolveLoginAddress(DEVICE_RECORD& record, const LoginMode& mode, std::string& address, int& loginTypeArg);
    int StoreLoginResult(const DEVICE_RECORD& record, const LoginMode& mode);
    int RefreshSession(DEVICE_RECORD& record, int32_t handle, const LoginMode& mode);
    int StartTalk(int id, int formatIndex);
    int StopTalk(int id);
    void CloseTalkOf(int id);
    int CheckOneDevice(const DEVICE_RECORD& copy);

    CDeviceRegistry m_registry;
    CDeviceListStore m_listStore;
    int32_t m_shiftUserName = 0;
    mutable CLock m_settingsLock;
    CString m_deviceFile;
    DeviceGoneHandler m_onDeviceGone;
};
