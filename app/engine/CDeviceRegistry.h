// CDeviceRegistry: one user's configured devices in memory. One DEVICE_RECORD
// per device id, the id allocator, the device count and its limit, and the
// device that has two-way talk open. Callers always get copies of records,
// never pointers into the map; changes in place go through Update.
//
// Locks: m_recordsLock guards the map, the limit, the last id and the talk
// device id; m_countLock guards the count and is only ever taken after the
// records lock or without it. Callbacks (Read, Update) run under the records
// lock and must not call the SDK: its disconnect callback takes that lock.
#pragma once

#include <afx.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/CLock.h"
#include "app/engine/CDeviceListStore.h"
#include "app/engine/CHeldBackDevices.h"
#include "app/engine/DEVICE_RECORD.h"

class CDeviceRegistry {
public:
    CDeviceRegistry() = default;
    ~CDeviceRegistry();
    CDeviceRegistry(const CDeviceRegistry&) = delete;
    CDeviceRegistry& operator=(const CDeviceRegistry&) = delete;

    // The operations of the same names on CDeviceManager.
    void SetMaxDeviceCount(unsigned count);
    int GetNextDeviceId();
    int IsFull() const;
    int GetDeviceCount() const;
    int AddDeviceRecord(const DEVICE_RECORD& record);
    int ReplaceDevice(int id, const DEVICE_RECORD& record);
    int DeleteDevice(int id);
    int RemoveAllDevices();
    DEVICE_RECORD GetDevice(int id) const;
    bool ReadDevice(int id, const std::function<void(const DEVICE_RECORD&)>& read) const;
    int GetAllDevices(std::vector<DEVICE_RECORD>& out) const;
    void ReadAllDevices(const std::function<void(const DEVICE_RECORD&)>& read) const;
    int GetLoggedInDevices(std::vector<DEVICE_RECORD>& out) const;
    int GetDevicesByLoginType(int loginType, std::vector<DEVICE_RECORD>& out) const;
    int GetDeviceTypes(std::vector<CString>& out) const;
    DEVICE_RECORD FindDeviceByAddress(const char* ip, int port) const;
    DEVICE_RECORD FindDeviceByLoginHandle(int loginHandle) const;
    int GetChannelName(int channelId, CString& deviceTitle, CString& channelName) const;
    int GetChannelSlot(CHANNEL_SLOT& out, int channelId) const;
    int SetChannelValues(int id, int channelIndex, int first, int second, int third, int fourth);

    // A record read from the device list file, under its own id; held back
    // as the element the list file would hold when the registry is full.
    void AddLoaded(const DEVICE_RECORD& record);
    // A device of the file past the maximum, as its element's text: not
    // listed, still written into the file by VisitForFile (the maximum must
    // not cost the user devices), and its id is never given again.
    void HoldBack(int id, const char* element, size_t size);
    // Room for that many more held-back devices and bytes of their elements.
    void ExpectHeldBack(size_t devices, size_t bytes);
    // How many records of the file were held back since the last ForgetNotLoaded.
    int GetNotLoadedCount() const;
    void ForgetNotLoaded();
    // Stores the record under its id, whether or not the id is present.
    void Assign(const DEVICE_RECORD& record);
    // Calls change with the stored record under the records lock. False
    // when the id is absent (change not called), else what change returns.
    bool Update(int id, const std::function<bool(DEVICE_RECORD&)>& change);
    // Stores a record that holds a new session. 0 stored; 1 the registry no
    // longer holds this session (first: already holds another one) and is
    // left alone; -1 the id is absent (stored instead when insertWhenAbsent).
    int StoreSession(const DEVICE_RECORD& record, bool insertWhenAbsent, bool first);
    // Hands visit every record, default names given to unnamed channels
    // (stored too), and the held-back elements whose ids are not in use, in
    // ascending id order, under the records lock.
    void VisitForFile(const CDeviceListStore::Visitor& visit);

    int GetTalkDeviceId() const;
    void SetTalkDeviceId(int id);
    // Clears the talk device when it is id.
    void ClearTalkDeviceId(int id);

private:
    typedef std::map<int32_t, DEVICE_RECORD> DeviceMap;
    void SyncCountLocked();
    void RaiseLastIdLocked(int id);

    DeviceMap m_devices;
    CHeldBackDevices m_notLoaded;  // read from the file past the maximum
    int32_t m_talkDeviceId = 0;
    int32_t m_deviceCount = 0;
    int32_t m_lastId = kMinDeviceId;
    int32_t m_maxDeviceCount = 50;
    mutable CLock m_recordsLock;
    mutable CLock m_countLock;
};
