#include "app/engine/CDeviceRegistry.h"

#include <string.h>

#include <algorithm>
#include <set>

#include "common/CAutoLock.h"
#include "app/engine/DeviceDefaultNames.h"

CDeviceRegistry::~CDeviceRegistry() {
    CAutoLock lock(&m_recordsLock);
    m_devices.clear();
}

void CDeviceRegistry::SetMaxDeviceCount(unsigned count) {
    CAutoLock lock(&m_recordsLock);
    m_maxDeviceCount = static_cast<int32_t>(std::min<unsigned>(count, 0x7FFFFFFF));
}

void CDeviceRegistry::SyncCountLocked() {
    CAutoLock count(&m_countLock);
    m_deviceCount = static_cast<int32_t>(m_devices.size());
}

int CDeviceRegistry::GetDeviceCount() const {
    CAutoLock count(&m_countLock);
    return m_deviceCount;
}

int CDeviceRegistry::IsFull() const {
    CAutoLock lock(&m_recordsLock);
    return static_cast<int>(m_devices.size()) >= m_maxDeviceCount ? 1 : 0;
}

int CDeviceRegistry::GetNextDeviceId() {
    CAutoLock lock(&m_recordsLock);
    if (m_lastId >= kMinDeviceId && m_lastId <= kMaxDeviceId) return m_lastId + 1;
    int id = kMinDeviceId + 1;
    while (id <= kMaxDeviceId && m_devices.count(id)) ++id;
    m_lastId = id;
    return id;
}

// Ids from 10000 on count as id % 1000 + 10000, which is past the range, so
// the next new id is the lowest free one.
void CDeviceRegistry::RaiseLastIdLocked(int id) {
    const int32_t counted = id > kMaxDeviceId ? id % 1000 + 10000 : id;
    if (counted > m_lastId) m_lastId = counted;
}

// ---- Adding, changing, removing ---------------------------------------------------

int CDeviceRegistry::AddDeviceRecord(const DEVICE_RECORD& record) {
    if (record.id < kMinDeviceId || record.id > kMaxKeptDeviceId) return -1;
    CAutoLock lock(&m_recordsLock);
    const bool replacing = m_devices.count(record.id) != 0;
    if (!replacing && static_cast<int>(m_devices.size()) >= m_maxDeviceCount) return -1;
    m_devices[record.id] = record;
    RaiseLastIdLocked(record.id);
    SyncCountLocked();
    return 0;
}

int CDeviceRegistry::ReplaceDevice(int id, const DEVICE_RECORD& record) {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(id);
    if (found == m_devices.end()) return -1;
    found->second = record;
    found->second.id = id;
    return 0;
}

int CDeviceRegistry::DeleteDevice(int id) {
    CAutoLock lock(&m_recordsLock);
    if (m_devices.erase(id) == 0) return -1;
    if (m_talkDeviceId == id) m_talkDeviceId = 0;
    SyncCountLocked();
    return 0;
}

int CDeviceRegistry::RemoveAllDevices() {
    CAutoLock lock(&m_recordsLock);
    m_devices.clear();
    m_talkDeviceId = 0;
    SyncCountLocked();
    return 0;
}

// ---- Copies -------------------------------------------------------------------

DEVICE_RECORD CDeviceRegistry::GetDevice(int id) const {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::const_iterator found = m_devices.find(id);
    return found == m_devices.end() ? DEVICE_RECORD::Empty() : found->second;
}

bool CDeviceRegistry::ReadDevice(int id, const std::function<void(const DEVICE_RECORD&)>& read) const {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::const_iterator found = m_devices.find(id);
    if (found == m_devices.end()) return false;
    read(found->second);
    return true;
}

void CDeviceRegistry::ReadAllDevices(const std::function<void(const DEVICE_RECORD&)>& read) const {
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) read(entry.second);
}

int CDeviceRegistry::GetAllDevices(std::vector<DEVICE_RECORD>& out) const {
    out.clear();
    CAutoLock lock(&m_recordsLock);
    out.reserve(m_devices.size());
    for (const auto& entry : m_devices) out.push_back(entry.second);
    return 0;
}

int CDeviceRegistry::GetLoggedInDevices(std::vector<DEVICE_RECORD>& out) const {
    out.clear();
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) {
        if (entry.second.loggedIn == 1) out.push_back(entry.second);
    }
    return out.empty() ? -1 : 0;
}

int CDeviceRegistry::GetDevicesByLoginType(int loginType, std::vector<DEVICE_RECORD>& out) const {
    out.clear();
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) {
        if (entry.second.logintype == loginType) out.push_back(entry.second);
    }
    return out.empty() ? -1 : 0;
}

int CDeviceRegistry::GetDeviceTypes(std::vector<CString>& out) const {
    std::set<CStringA> types;
    {
        CAutoLock lock(&m_recordsLock);
        for (const auto& entry : m_devices) types.insert(CStringA(entry.second.type));
    }
    out.clear();
    for (const CStringA& type : types) out.push_back(CString(type));
    return static_cast<int>(out.size());
}

DEVICE_RECORD CDeviceRegistry::FindDeviceByAddress(const char* ip, int port) const {
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) {
        if (ip && strcmp(entry.second.ip, ip) == 0 && entry.second.port == port) return entry.second;
    }
    return DEVICE_RECORD::Empty();
}

DEVICE_RECORD CDeviceRegistry::FindDeviceByLoginHandle(int loginHandle) const {
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) {
        if (entry.second.loginHandle == loginHandle) return entry.second;
    }
    return DEVICE_RECORD::Empty();
}

int CDeviceRegistry::GetChannelName(int channelId, CString& deviceTitle, CString& channelName) const {
    deviceTitle.Empty();
    channelName.Empty();
    const int index = channelId % 1000;
    CAutoLock lock(&m_recordsLock);
    DeviceMap::const_iterator found = m_devices.find(channelId / 10000);
    if (found == m_devices.end()) return 0;
    deviceTitle = CString(found->second.title);
    if (index >= 0 && index < kMaxChannels) channelName = CString(found->second.channels[index].name);
    return 0;
}

int CDeviceRegistry::GetChannelSlot(CHANNEL_SLOT& out, int channelId) const {
    out = CHANNEL_SLOT();
    const int index = channelId % 1000;
    if (index < 0 || index >= kMaxChannels) return -1;
    CAutoLock lock(&m_recordsLock);
    DeviceMap::const_iterator found = m_devices.find(channelId / 10000);
    if (found == m_devices.end()) return -1;
    out = found->second.channels[index];
    return 0;
}

int CDeviceRegistry::SetChannelValues(int id, int channelIndex, int first, int second, int third, int fourth) {
    if (channelIndex < 0 || channelIndex >= kMaxChannels) return -1;
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(id);
    if (found == m_devices.end()) return -1;
    CHANNEL_SLOT& slot = found->second.channels[channelIndex];
    slot.value3 = first;
    slot.value1 = second;
    slot.value2 = third;
    slot.value4 = fourth;
    return 0;
}

// ---- For the device manager's sessions and file ---------------------------------

void CDeviceRegistry::AddLoaded(const DEVICE_RECORD& record) {
    CAutoLock lock(&m_recordsLock);
    if (static_cast<int>(m_devices.size()) >= m_maxDeviceCount) {
        const std::string element = CDeviceListStore::ElementText(record);
        m_notLoaded.Add(record.id, element.data(), element.size());
    } else {
        m_devices[record.id] = record;
        SyncCountLocked();
    }
    RaiseLastIdLocked(record.id);
}

void CDeviceRegistry::HoldBack(int id, const char* element, size_t size) {
    CAutoLock lock(&m_recordsLock);
    m_notLoaded.Add(id, element, size);
    RaiseLastIdLocked(id);
}

void CDeviceRegistry::ExpectHeldBack(size_t devices, size_t bytes) {
    CAutoLock lock(&m_recordsLock);
    m_notLoaded.Reserve(devices, bytes);
}

int CDeviceRegistry::GetNotLoadedCount() const {
    CAutoLock lock(&m_recordsLock);
    return static_cast<int>(m_notLoaded.Count());
}

void CDeviceRegistry::ForgetNotLoaded() {
    CAutoLock lock(&m_recordsLock);
    m_notLoaded.Clear();
}

void CDeviceRegistry::Assign(const DEVICE_RECORD& record) {
    CAutoLock lock(&m_recordsLock);
    m_devices[record.id] = record;
    SyncCountLocked();
}

bool CDeviceRegistry::Update(int id, const std::function<bool(DEVICE_RECORD&)>& change) {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(id);
    return found != m_devices.end() && change(found->second);
}

int CDeviceRegistry::StoreSession(const DEVICE_RECORD& record, bool insertWhenAbsent, bool first) {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(record.id);
    if (found == m_devices.end()) {
        if (!insertWhenAbsent) return -1;
        m_devices[record.id] = record;
        SyncCountLocked();
        return 0;
    }
    const DEVICE_RECORD& current = found->second;
    if (first ? current.loggedIn == 1 : (current.loggedIn != 1 || current.loginHandle != record.loginHandle)) {
        return 1;
    }
    found->second = record;
    return 0;
}

void CDeviceRegistry::VisitForFile(const CDeviceListStore::Visitor& visit) {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator record = m_devices.begin();
    const size_t heldBack = m_notLoaded.Count();
    size_t kept = 0;
    while (record != m_devices.end() || kept < heldBack) {
        if (kept < heldBack && m_devices.count(m_notLoaded.Id(kept))) {
            ++kept;
        } else if (kept == heldBack || (record != m_devices.end() && record->first < m_notLoaded.Id(kept))) {
            FillDefaultChannelNames(record->second);
            visit(&record->second, nullptr, 0);
            ++record;
        } else {
            visit(nullptr, m_notLoaded.Text(kept), m_notLoaded.Size(kept));
            ++kept;
        }
    }
}

int CDeviceRegistry::GetTalkDeviceId() const {
    CAutoLock lock(&m_recordsLock);
    return m_talkDeviceId;
}

void CDeviceRegistry::SetTalkDeviceId(int id) {
    CAutoLock lock(&m_recordsLock);
    m_talkDeviceId = id;
}

void CDeviceRegistry::ClearTalkDeviceId(int id) {
    CAutoLock lock(&m_recordsLock);
    if (m_talkDeviceId == id) m_talkDeviceId = 0;
}
