#include "app/engine/CDeviceManager.h"

#include <string.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/core/CAppConfig.h"
#include "app/core/CAutoLock.h"
#include "app/core/CInitLanguage.h"
#include "app/core/DeviceListIds.h"
#include "app/core/SystemUtil.h"
#include "app/engine/CNetSdk.h"
#include "app/engine/DeviceSdkBlocks.h"
#include "app/engine/FileReplace.h"
#include "app/engine/HostProbe.h"
#include "tinyxml.h"

namespace {

const int kChannelNameBytes = 32;
const int kChannelNameBufferSize = 8192;
const int kMinChannelNameWrite = 4096;
const int kMaxFoundFiles = 200;

CStringA Narrow(const CString& text) { return CStringA(text); }

CString Translate(const wchar_t* key) { return GetInitLanguage()->GetString(key); }

// "<translation of key><separator><number>", narrowed and cut to 32 bytes.
void DefaultSlotName(char (&field)[33], const wchar_t* key, const wchar_t* format, int number) {
    CString text;
    text.Format(format, Translate(key).GetString(), number);
    CopyFixedText(field, Narrow(text));
}

void DefaultChannelName(char (&field)[33], int index) { DefaultSlotName(field, L"Channel", L"%s %d", index + 1); }

bool IsTalkFormatIndexValid(const DEVICE_RECORD& record, int index) {
    const int32_t count = ReadInt32(record.talkFormats);
    return index >= 0 && index < kMaxTalkFormats && index < count;
}

QVNET_TIME ToDeviceTime(__time64_t time) {
    QVNET_TIME out = {};
    SYSTEMTIME local = {};
    if (!CTime(time).GetAsSystemTime(local)) return out;
    out = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
    return out;
}

__time64_t FromDeviceTime(const QVNET_TIME& time) {
    return CTime(static_cast<int>(time.year), static_cast<int>(time.month), static_cast<int>(time.day),
                 static_cast<int>(time.hour), static_cast<int>(time.minute), static_cast<int>(time.second))
        .GetTime();
}

// Reads the whole file; false when it does not open. Wide path: the user's
// folder may hold characters the ANSI code page lacks.
bool ReadWholeFile(const CString& path, std::string& text) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    text.clear();
    char chunk[16384];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    return true;
}

CString ExpandProgramDir(const CString& path) { return GetAppConfig()->ProgramDirFor(path); }

bool IsSpecialDeviceType(const char* type) { return GetAppConfig()->IsCfgOcxSpecialDevType(CString(type)) != FALSE; }

void FillDefaultChannelNames(DEVICE_RECORD& record) {
    const int count = std::min<int>(record.channelCount, kMaxChannels);
    for (int i = 0; i < count; ++i) {
        if (record.channels[i].name[0] == '\0') DefaultChannelName(record.channels[i].name, i);
    }
}

void ReadTextAttribute(const TiXmlElement& element, const char* name, char* field, size_t width, size_t maxBytes) {
    const char* value = element.Attribute(name);
    if (value) CopyFixedText(field, width, value, maxBytes);
}

int IntAttribute(const TiXmlElement& element, const char* name, int fallback) {
    int value = fallback;
    element.QueryIntAttribute(name, &value);
    return value;
}

// The 0-based slot index of a Channel or Alarm child; -1 when not valid.
int SlotIndex(const TiXmlElement& child, int count, int limit) {
    int num = 0;
    child.QueryIntAttribute("num", &num);
    const int index = num - 1 < 0 ? 0 : num - 1;
    return (index < count && index < limit) ? index : -1;
}

// What the user types about a device; every text is cut to its field (the
// address keeps its whole field: dynamic-DNS host names run long).
void SetTypedValues(DEVICE_RECORD& record, const char* title, const char* desc, const char* ip, int port,
                    const char* type, const char* manufacturer, const char* model, const char* user,
                    const char* password, int useDdns, const char* ddnsIp, int ddnsPort, const char* ddnsDevName,
                    int loginType, const char* cardsn) {
    CopyFixedText(record.title, title);
    CopyFixedText(record.desc, desc);
    CopyFixedText(record.ip, ip);
    CopyFixedText(record.type, type);
    CopyFixedText(record.manufacturer, manufacturer);
    CopyFixedText(record.model, model);
    CopyFixedText(record.user, user);
    CopyFixedText(record.password, password);
    CopyFixedText(record.DDNSIP, ddnsIp);
    CopyFixedText(record.DDNSDevName, ddnsDevName);
    CopyFixedText(record.cardsn, cardsn);
    record.port = static_cast<uint16_t>(port);
    record.UseDDNS = useDdns;
    record.DDNSPort = static_cast<uint16_t>(ddnsPort);
    record.logintype = loginType;
}

}  // namespace

// The XML document and the text buffer of the device list file.
class CDeviceManager::CXmlState {
public:
    TiXmlDocument document;
    std::string text;
};

struct CDeviceManager::LoginMode {
    bool forDialog;  // LoginAndQueryDevice: assignment, no logout path, no post
};

CDeviceManager::CDeviceManager() : m_xml(new CXmlState) {}

CDeviceManager::~CDeviceManager() {
    delete m_xml;
    CAutoLock lock(&m_recordsLock);
    m_devices.clear();
}

// ---- Settings ----------------------------------------------------------------

int CDeviceManager::SetMaxDeviceCount(unsigned count) {
    CAutoLock lock(&m_recordsLock);
    m_maxDeviceCount = static_cast<int32_t>(std::min<unsigned>(count, 0x7FFFFFFF));
    return 0;
}

int CDeviceManager::SetProxyLoginFlag(int flag) {
    m_shiftUserName = flag;
    return 0;
}

void CDeviceManager::SetDeviceGoneHandler(const DeviceGoneHandler& handler) {
    CAutoLock lock(&m_recordsLock);
    m_onDeviceGone = handler;
}

int CDeviceManager::OpenDeviceFile(const CString& path) {
    CAutoLock file(&m_fileLock);
    {
        CAutoLock lock(&m_recordsLock);
        m_deviceFile = ExpandProgramDir(path);
    }
    return ReadDeviceXml(GetDeviceFile());
}

CString CDeviceManager::GetDeviceFile() const {
    CAutoLock lock(&m_recordsLock);
    return m_deviceFile;
}

// ---- Count and ids -------------------------------------------------------------

void CDeviceManager::SyncCountLocked() {
    CAutoLock count(&m_countLock);
    m_deviceCount = static_cast<int32_t>(m_devices.size());
}

int CDeviceManager::GetDeviceCount() const {
    CAutoLock count(&m_countLock);
    return m_deviceCount;
}

int CDeviceManager::IsFull() const {
    CAutoLock lock(&m_recordsLock);
    return static_cast<int>(m_devices.size()) >= m_maxDeviceCount ? 1 : 0;
}

int CDeviceManager::GetNextDeviceId() {
    CAutoLock lock(&m_recordsLock);
    if (m_lastId >= kMinDeviceId && m_lastId <= kMaxDeviceId) return m_lastId + 1;
    int id = kMinDeviceId + 1;
    while (id <= kMaxDeviceId && m_devices.count(id)) ++id;
    m_lastId = id;
    return id;
}

// Ids from 10000 on count as id % 1000 + 10000, which is past the range, so
// the next new id is the lowest free one.
void CDeviceManager::RaiseLastIdLocked(int id) {
    const int32_t counted = id > kMaxDeviceId ? id % 1000 + 10000 : id;
    if (counted > m_lastId) m_lastId = counted;
}

// ---- Adding, changing, removing ---------------------------------------------------

int CDeviceManager::AddDeviceRecord(const DEVICE_RECORD& record) {
    if (record.id < kMinDeviceId || record.id > kMaxKeptDeviceId) return -1;
    CAutoLock lock(&m_recordsLock);
    const bool replacing = m_devices.count(record.id) != 0;
    if (!replacing && static_cast<int>(m_devices.size()) >= m_maxDeviceCount) return -1;
    m_devices[record.id] = record;
    RaiseLastIdLocked(record.id);
    SyncCountLocked();
    return 0;
}

int CDeviceManager::AddDevice(int id, const char* title, const char* desc, const char* ip, int port,
                              const char* type, const char* manufacturer, const char* model, const char* user,
                              const char* password, int useDdns, const char* ddnsIp, int ddnsPort,
                              const char* ddnsDevName, int loginType, const char* cardsn) {
    if (id > kMaxDeviceId) id = id % 1000 + 10000;
    if (id < kMinDeviceId) id += 1000;
    DEVICE_RECORD record;
    record.id = id;
    SetTypedValues(record, title, desc, ip, port, type, manufacturer, model, user, password, useDdns, ddnsIp,
                   ddnsPort, ddnsDevName, loginType, cardsn);
    return AddDeviceRecord(record);
}

int CDeviceManager::ModifyDevice(int id, const char* title, const char* desc, const char* ip, int port,
                                 const char* type, const char* manufacturer, const char* model, const char* user,
                                 const char* password, int useDdns, const char* ddnsIp, int ddnsPort,
                                 const char* ddnsDevName, int loginType, const char* cardsn) {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(id);
    if (found == m_devices.end()) return -1;
    SetTypedValues(found->second, title, desc, ip, port, type, manufacturer, model, user, password, useDdns, ddnsIp,
                   ddnsPort, ddnsDevName, loginType, cardsn);
    return 0;
}

int CDeviceManager::ReplaceDevice(int id, const DEVICE_RECORD& record) {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(id);
    if (found == m_devices.end()) return -1;
    found->second = record;
    found->second.id = id;
    return 0;
}

int CDeviceManager::StoreCopy(const DEVICE_RECORD& record) { return ReplaceDevice(record.id, record); }

int CDeviceManager::DeleteDevice(int id) {
    CAutoLock lock(&m_recordsLock);
    if (m_devices.erase(id) == 0) return -1;
    if (m_talkDeviceId == id) m_talkDeviceId = 0;
    SyncCountLocked();
    return 0;
}

int CDeviceManager::RemoveAllDevices() {
    CAutoLock lock(&m_recordsLock);
    m_devices.clear();
    m_talkDeviceId = 0;
    SyncCountLocked();
    return 0;
}

// ---- Copies -------------------------------------------------------------------

DEVICE_RECORD CDeviceManager::GetDevice(int id) const {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::const_iterator found = m_devices.find(id);
    return found == m_devices.end() ? DEVICE_RECORD::Empty() : found->second;
}

bool CDeviceManager::ReadDevice(int id, const std::function<void(const DEVICE_RECORD&)>& read) const {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::const_iterator found = m_devices.find(id);
    if (found == m_devices.end()) return false;
    read(found->second);
    return true;
}

int CDeviceManager::GetAllDevices(std::vector<DEVICE_RECORD>& out) const {
    out.clear();
    CAutoLock lock(&m_recordsLock);
    out.reserve(m_devices.size());
    for (const auto& entry : m_devices) out.push_back(entry.second);
    return 0;
}

int CDeviceManager::GetLoggedInDevices(std::vector<DEVICE_RECORD>& out) const {
    out.clear();
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) {
        if (entry.second.loggedIn == 1) out.push_back(entry.second);
    }
    return out.empty() ? -1 : 0;
}

int CDeviceManager::GetDevicesByLoginType(int loginType, std::vector<DEVICE_RECORD>& out) const {
    out.clear();
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) {
        if (entry.second.logintype == loginType) out.push_back(entry.second);
    }
    return out.empty() ? -1 : 0;
}

int CDeviceManager::GetDeviceTypes(std::vector<CString>& out) const {
    std::set<CStringA> types;
    {
        CAutoLock lock(&m_recordsLock);
        for (const auto& entry : m_devices) types.insert(CStringA(entry.second.type));
    }
    out.clear();
    for (const CStringA& type : types) out.push_back(CString(type));
    return static_cast<int>(out.size());
}

DEVICE_RECORD CDeviceManager::FindDeviceByAddress(const char* ip, int port) const {
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) {
        if (ip && strcmp(entry.second.ip, ip) == 0 && entry.second.port == port) return entry.second;
    }
    return DEVICE_RECORD::Empty();
}

DEVICE_RECORD CDeviceManager::FindDeviceByLoginHandle(int loginHandle) const {
    CAutoLock lock(&m_recordsLock);
    for (const auto& entry : m_devices) {
        if (entry.second.loginHandle == loginHandle) return entry.second;
    }
    return DEVICE_RECORD::Empty();
}

int CDeviceManager::GetChannelName(int channelId, CString& deviceTitle, CString& channelName) const {
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

int CDeviceManager::GetChannelSlot(CHANNEL_SLOT& out, int channelId) const {
    out = CHANNEL_SLOT();
    const int index = channelId % 1000;
    if (index < 0 || index >= kMaxChannels) return -1;
    CAutoLock lock(&m_recordsLock);
    DeviceMap::const_iterator found = m_devices.find(channelId / 10000);
    if (found == m_devices.end()) return -1;
    out = found->second.channels[index];
    return 0;
}

int CDeviceManager::SetChannelValues(int id, int channelIndex, int first, int second, int third, int fourth) {
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

// ---- Device list file ----------------------------------------------------------

void CDeviceManager::ElementFromRecord(TiXmlElement& element, const DEVICE_RECORD& record) {
    element.SetAttribute("id", record.id);
    element.SetAttribute("title", record.title);
    element.SetAttribute("desc", record.desc);
    element.SetAttribute("UseDDNS", record.UseDDNS == 1 ? "1" : "0");
    element.SetAttribute("DDNSIP", record.DDNSIP);
    element.SetAttribute("DDNSPort", record.DDNSPort);
    element.SetAttribute("DDNSDevName", record.DDNSDevName);
    element.SetAttribute("ip", record.ip);
    element.SetAttribute("port", record.port);
    element.SetAttribute("manufacturer", record.manufacturer);
    element.SetAttribute("type", record.type);
    element.SetAttribute("model", record.model);
    element.SetAttribute("user", record.user);
    element.SetAttribute("password", record.password);
    element.SetAttribute("logintype", record.logintype);
    element.SetAttribute("cardsn", record.cardsn);
    element.SetAttribute("rights", "");
    element.SetAttribute("alertout", 0);
    if (IsSpecialDeviceType(record.type)) {
        element.SetAttribute("channel", 0);
        element.SetAttribute("alarm", 0);
        return;
    }
    element.SetAttribute("channel", record.channelCount);
    element.SetAttribute("multiplay", record.multiplay);
    element.SetAttribute("alarm", record.alarmInCount);
    if (record.channelCount > 0 && record.channelCount <= kMaxChannels) {
        const bool camera = (strcmp(record.type, "IPC") == 0 || strcmp(record.type, "IPSD") == 0) &&
                            record.channelCount == 1;
        for (int i = 0; i < record.channelCount; ++i) {
            TiXmlElement channel("Channel");
            channel.SetAttribute("num", i + 1);
            channel.SetAttribute("id", record.channels[i].channelId);
            channel.SetAttribute("title", record.channels[i].name);
            channel.SetAttribute("camera", camera ? "10" : "0");
            element.InsertEndChild(channel);
        }
    }
    if (record.alarmInCount > 0 && record.alarmInCount <= kMaxAlarms) {
        for (int i = 0; i < record.alarmInCount; ++i) {
            TiXmlElement alarm("Alarm");
            alarm.SetAttribute("num", i + 1);
            alarm.SetAttribute("id", record.alarmIn[i].alarmId);
            alarm.SetAttribute("title", record.alarmIn[i].name);
            element.InsertEndChild(alarm);
        }
    }
}

int CDeviceManager::SaveDocument(const CString& path) {
    TiXmlPrinter printer;
    m_xml->document.Accept(&printer);
    return WriteFileReplacing(path, printer.CStr(), printer.Size()) == 0 ? 0 : -3;
}

int CDeviceManager::WriteDeviceXml(const CString& path) {
    CString file = path.IsEmpty() ? GetDeviceFile() : path;
    if (file.IsEmpty()) return -2;
    file = ExpandProgramDir(file);
    CAutoLock fileLock(&m_fileLock);
    TiXmlDocument& document = m_xml->document;
    document.Clear();
    document.InsertEndChild(TiXmlDeclaration("1.0", "UTF-8", "yes"));
    TiXmlElement root("Organization");
    root.SetAttribute("grade", "1");
    {
        CAutoLock lock(&m_recordsLock);
        for (auto& entry : m_devices) {
            FillDefaultChannelNames(entry.second);
            TiXmlElement device("Device");
            ElementFromRecord(device, entry.second);
            root.InsertEndChild(device);
        }
    }
    document.InsertEndChild(root);
    return SaveDocument(file);
}

int CDeviceManager::SaveDeviceElement(int deviceId) {
    DEVICE_RECORD record = GetDevice(deviceId);
    if (record.id == 0) return -1;
    FillDefaultChannelNames(record);
    const CString file = GetDeviceFile();
    // Held from the load to the save, so that a list written meanwhile is
    // never overwritten with the older one read here.
    CAutoLock fileLock(&m_fileLock);
    std::string& text = m_xml->text;
    TiXmlDocument& document = m_xml->document;
    document.Clear();
    if (file.IsEmpty() || !ReadWholeFile(file, text)) return -1;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (document.Error()) return -1;
    for (TiXmlElement* org = document.FirstChildElement("Organization"); org;
         org = org->NextSiblingElement("Organization")) {
        for (TiXmlElement* device = org->FirstChildElement("Device"); device;
             device = device->NextSiblingElement("Device")) {
            int id = 0;
            if (device->QueryIntAttribute("id", &id) != TIXML_SUCCESS || id != deviceId) continue;
            device->Clear();
            while (device->FirstAttribute()) device->RemoveAttribute(device->FirstAttribute()->Name());
            ElementFromRecord(*device, record);
            return SaveDocument(file);
        }
    }
    return SaveDocument(file);
}

void CDeviceManager::RecordFromElement(const TiXmlElement& element, DEVICE_RECORD& record) {
    ReadTextAttribute(element, "title", record.title, sizeof(record.title), 32);
    ReadTextAttribute(element, "desc", record.desc, sizeof(record.desc), 256);
    record.UseDDNS = IntAttribute(element, "UseDDNS", record.UseDDNS) != 0 ? 1 : 0;
    ReadTextAttribute(element, "DDNSIP", record.DDNSIP, sizeof(record.DDNSIP), 256);
    record.DDNSPort = static_cast<uint16_t>(IntAttribute(element, "DDNSPort", record.DDNSPort));
    ReadTextAttribute(element, "DDNSDevName", record.DDNSDevName, sizeof(record.DDNSDevName), 172);
    ReadTextAttribute(element, "ip", record.ip, sizeof(record.ip), 256);
    record.port = static_cast<uint16_t>(IntAttribute(element, "port", record.port));
    ReadTextAttribute(element, "manufacturer", record.manufacturer, sizeof(record.manufacturer), 64);
    ReadTextAttribute(element, "type", record.type, sizeof(record.type), 32);
    ReadTextAttribute(element, "cardsn", record.cardsn, sizeof(record.cardsn), 32);
    ReadTextAttribute(element, "model", record.model, sizeof(record.model), 32);
    ReadTextAttribute(element, "user", record.user, sizeof(record.user), 8);
    ReadTextAttribute(element, "password", record.password, sizeof(record.password), 8);
    record.logintype = IntAttribute(element, "logintype", record.logintype);
    record.channelCount = std::min(std::max(IntAttribute(element, "channel", 0), 0), kMaxChannels);
    record.multiplay = IntAttribute(element, "multiplay", record.multiplay);

    int taken = 0;
    for (const TiXmlElement* child = element.FirstChildElement("Channel"); child && taken < record.channelCount;
         child = child->NextSiblingElement("Channel")) {
        const int index = SlotIndex(*child, record.channelCount, kMaxChannels);
        if (index < 0) continue;
        ++taken;
        CHANNEL_SLOT& slot = record.channels[index];
        if (child->Attribute("id")) slot.channelId = record.id * 10000 + 1000 + index;
        const char* title = child->Attribute("title");
        if (title && *title) {
            CopyFixedText(slot.name, title);
        } else if (title) {
            DefaultChannelName(slot.name, index);
        }
    }

    record.alarmInCount = static_cast<int8_t>(std::min(std::max(IntAttribute(element, "alarm", 0), 0), kMaxAlarms));
    taken = 0;
    for (const TiXmlElement* child = element.FirstChildElement("Alarm"); child && taken < record.alarmInCount;
         child = child->NextSiblingElement("Alarm")) {
        const int index = SlotIndex(*child, record.alarmInCount, kMaxAlarms);
        if (index < 0) continue;
        ++taken;
        ALARM_SLOT& slot = record.alarmIn[index];
        slot.alarmId = IntAttribute(*child, "id", slot.alarmId);
        const char* title = child->Attribute("title");
        if (title) CopyFixedText(slot.name, title);
    }
    record.loggedIn = 0;
    record.loginHandle = 0;
    record.talkOpen = 0;
    record.talkHandle = 0;
}

int CDeviceManager::ReadDeviceXml(const CString& path) {
    CAutoLock fileLock(&m_fileLock);
    std::string& text = m_xml->text;
    TiXmlDocument& document = m_xml->document;
    text.clear();
    document.Clear();
    RemoveAllDevices();
    if (!ReadWholeFile(ExpandProgramDir(path), text) || text.empty()) return 0;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (document.Error()) {
        document.Clear();
        return -1;
    }
    std::vector<DEVICE_LIST_ENTRY> entries;
    ListDeviceElements(document, entries);
    for (const DEVICE_LIST_ENTRY& entry : entries) {
        CAutoLock lock(&m_recordsLock);
        if (static_cast<int>(m_devices.size()) >= m_maxDeviceCount) return 0;
        DEVICE_RECORD record;
        record.id = entry.id;
        RecordFromElement(*entry.element, record);
        m_devices[entry.id] = record;
        RaiseLastIdLocked(entry.id);
        SyncCountLocked();
    }
    return 0;
}

// ---- Login ---------------------------------------------------------------------

namespace {

void FillChannelsFromNames(DEVICE_RECORD& record, const char* names, int named) {
    const int count = std::min(std::max<int>(record.channelCount, 0), kMaxChannels);
    for (int i = 0; i < count; ++i) {
        CHANNEL_SLOT& slot = record.channels[i];
        if (i < named) {
            char name[33] = {};
            memcpy(name, names + kChannelNameBytes * i, kChannelNameBytes);
            if (name[0] != '\0') {
                CopyFixedText(slot.name, name);
            } else {
                DefaultChannelName(slot.name, i);
            }
        } else if (named < 0) {
            DefaultChannelName(slot.name, i);
        } else {
            continue;  // the device named fewer channels: keep the old name and id
        }
        slot.channelId = record.id * 10000 + i;
    }
}

}  // namespace

int CDeviceManager::StoreLoginResult(const DEVICE_RECORD& record, const LoginMode& mode) {
    if (!mode.forDialog) return StoreCopy(record);
    CAutoLock lock(&m_recordsLock);
    m_devices[record.id] = record;
    SyncCountLocked();
    return 0;
}

// Stores a record that holds a new session. 0 stored; 1 the registry no
// longer holds this session (first time: already holds another one) and
// must not be overwritten; -1 the device was removed (LoginDevice only: the
// dialog's login registers it again) and the caller ends the session.
int CDeviceManager::StoreSession(const DEVICE_RECORD& record, const LoginMode& mode, bool first) {
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(record.id);
    if (found == m_devices.end()) {
        if (!mode.forDialog) return -1;
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

void CDeviceManager::FillAlarms(DEVICE_RECORD& record, bool outputsToo) {
    for (int i = 0; i < record.alarmInCount; ++i) {
        ALARM_SLOT& slot = record.alarmIn[i];
        slot.alarmId = record.id * 10000 + 1000 + i;
        if (slot.name[0] == '\0') DefaultSlotName(slot.name, L"AlarmChannel", L"%s%d", i + 1);
    }
    if (!outputsToo) return;
    for (int i = 0; i < record.alarmOutCount; ++i) {
        ALARM_SLOT& slot = record.alarmOut[i];
        slot.alarmId = record.id * 10000 + 4000 + i;
        if (slot.name[0] == '\0') DefaultSlotName(slot.name, L"AlarmOutputChannel", L"%s%d", i + 1);
    }
}

void CDeviceManager::QueryStatus(DEVICE_RECORD& record) {
    uint8_t status[12] = {};
    int32_t length = 0;
    if (NetSdk().ReadDeviceStatus(record.loginHandle, 257, reinterpret_cast<char*>(status), sizeof(status), &length,
                                  1000) == 1) {
        record.multiplay = ReadInt32(status);
        record.deviceStatus2 = ReadInt32(status + 4);
        record.deviceStatus3 = ReadInt32(status + 8);
    } else {
        record.multiplay = 0;
    }
}

void CDeviceManager::QueryChannelNames(DEVICE_RECORD& record) {
    std::vector<char> names(kChannelNameBufferSize, 0);
    int32_t count = 0;
    if (NetSdk().ReadChannelNames(record.loginHandle, names.data(), kChannelNameBufferSize, &count, 1000) == 1) {
        int named = record.channelCount;
        if (count > 0 && count < record.channelCount) named = count;
        named = std::min(std::max(named, 0), kMaxChannels);
        FillChannelsFromNames(record, names.data(), named);
    } else {
        FillChannelsFromNames(record, names.data(), -1);
    }
}

void CDeviceManager::QueryTalkFormats(DEVICE_RECORD& record) {
    std::vector<uint8_t> block(kTalkFormatBlockSize, 0);
    int32_t length = 0;
    // A device without talk formats is still logged in: it just offers no talk.
    if (NetSdk().ReadDeviceConfig(record.loginHandle, 9, block.data(), kTalkFormatBlockSize, &length, 3000) != 1) {
        length = 0;
    }
    const size_t usable = std::min<size_t>(static_cast<size_t>(std::max(length, 0)), block.size());
    FilterTalkFormats(block.data(), usable, record.talkFormats);
}

void CDeviceManager::QueryDisks(DEVICE_RECORD& record) {
    const int32_t types[2] = {4, 10};
    for (int32_t type : types) {
        std::vector<uint8_t> block(kDiskBlockSize, 0);
        int32_t length = 0;
        if (NetSdk().ReadDeviceConfig(record.loginHandle, type, block.data(), kDiskBlockSize, &length, 1000) == 1 &&
            SumDiskBlock(block.data(), static_cast<size_t>(length), &record.diskSumA, &record.diskSumB,
                         &record.diskCount)) {
            return;
        }
    }
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
            if (record.channels[i].name[0] == '\0') DefaultSlotName(record.channels[i].name, L"Channel", L"%s%d", i + 1);
        }
    }
    record.alarmInCount = static_cast<int8_t>(std::min<int>(info.alarmInCount, kMaxAlarms));
    record.alarmOutCount = static_cast<int8_t>(std::min<int>(info.alarmOutCount, kMaxAlarms));
    FillAlarms(record, !mode.forDialog);

    // From here on the device is usable by other threads. Each step re-reads
    // the registry, and each store happens only while the registry still
    // holds this session, so a logout made meanwhile is never undone.
    const int first = StoreSession(record, mode, true);
    if (first != 0) {
        NetSdk().LogoutDevice(handle);
        return first < 0 ? -1 : 0;  // removed, or logged in by another caller
    }

    struct Step {
        int code;
        std::function<void()> query;
    };
    const Step steps[] = {
        {-3, [&] { QueryStatus(record); }},
        {-4, [&] { QueryChannelNames(record); }},
        {-5, [&] {
             if (record.channelFlagsLoaded != 0) return;
             std::vector<uint8_t> block(kChannelFlagBlockSize, 0);
             int32_t length = 0;
             if (NetSdk().ReadDeviceConfig(handle, 17, block.data(), kChannelFlagBlockSize, &length, 3000) == 1) {
                 ApplyChannelFlags(block.data(), static_cast<size_t>(length), record);
             }
         }},
        {-6, [&] { QueryTalkFormats(record); }},
        {-7, [&] { QueryDisks(record); }},
    };
    for (const Step& step : steps) {
        const int before = RefreshSession(record, handle, mode);
        if (before != 0) return before < 0 ? -1 : step.code;
        step.query();
        const int stored = StoreSession(record, mode, false);
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

namespace {

void CloseTalkSession(int32_t talkHandle) {
    NetSdk().StopLocalAudio();
    NetSdk().CloseTalk(talkHandle);
}

// Talk audio of the SDK's threads: captured audio goes to the device, the
// device's audio to the speakers. Touches no program state.
void QVNET_CALL DeviceTalkAudioCallback(int32_t talkHandle, const char* buffer, int32_t length, uint8_t kind,
                                        QVNET_USER) {
    try {
        if (kind == 0) {
            NetSdk().SendTalkAudio(talkHandle, buffer, length);
        } else if (kind == 1) {
            NetSdk().PlayDeviceAudio(buffer, length);
        }
    } catch (...) {
    }
}

}  // namespace

int CDeviceManager::LogoutRecord(DEVICE_RECORD& record) {
    if (record.loggedIn != 1) return -1;
    if (record.talkOpen == 1) CloseTalkSession(record.talkHandle);
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
    {
        CAutoLock lock(&m_recordsLock);
        DeviceMap::iterator found = m_devices.find(id);
        if (found == m_devices.end() || found->second.loggedIn != 1) return -1;
        DEVICE_RECORD& record = found->second;
        loginHandle = record.loginHandle;
        talkHandle = record.talkHandle;
        talking = record.talkOpen == 1;
        record.ResetLoginState();
    }
    if (talking) CloseTalkSession(talkHandle);
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
            CAutoLock lock(&m_recordsLock);
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

int CDeviceManager::GetTalkDeviceId() const {
    CAutoLock lock(&m_recordsLock);
    return m_talkDeviceId;
}

void CDeviceManager::CloseTalkOf(int id) {
    int32_t talkHandle = 0;
    {
        CAutoLock lock(&m_recordsLock);
        DeviceMap::iterator found = m_devices.find(id);
        if (found == m_devices.end() || found->second.loggedIn != 1 || found->second.talkOpen != 1) return;
        DEVICE_RECORD& record = found->second;
        talkHandle = record.talkHandle;
        record.talkOpen = 0;
        record.talkHandle = 0;
        memset(record.talkFormatInUse, 0, sizeof(record.talkFormatInUse));
    }
    CloseTalkSession(talkHandle);
}

int CDeviceManager::StartTalk(int id, int formatIndex) {
    const int previous = GetTalkDeviceId();
    if (previous != 0) {
        CloseTalkOf(previous);
        CAutoLock lock(&m_recordsLock);
        if (m_talkDeviceId == previous) m_talkDeviceId = 0;
    }
    const DEVICE_RECORD record = GetDevice(id);
    if (record.loggedIn != 1 || record.talkOpen == 1 || !IsTalkFormatIndexValid(record, formatIndex)) return -1;
    const uint8_t* format = record.talkFormats + 4 + formatIndex * kTalkFormatEntrySize;
    NetSdk().SetTalkEncoding(record.loginHandle, 2, format);
    const int32_t talkHandle = NetSdk().OpenTalk(record.loginHandle, &DeviceTalkAudioCallback, 5);
    NetSdk().LastErrorCode();
    if (talkHandle == 0) return -1;
    if (NetSdk().StartLocalAudio() == 0) {
        CloseTalkSession(talkHandle);
        return -1;
    }
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(id);
    if (found == m_devices.end() || found->second.loggedIn != 1 || found->second.loginHandle != record.loginHandle) {
        lock.Unlock();
        CloseTalkSession(talkHandle);  // logged out while the talk opened
        return -1;
    }
    DEVICE_RECORD& stored = found->second;
    memset(stored.talkFormatInUse, 0, sizeof(stored.talkFormatInUse));
    stored.talkOpen = 1;
    stored.talkHandle = talkHandle;
    stored.talkFormatInUse[formatIndex] = 1;
    m_talkDeviceId = id;
    return 0;
}

int CDeviceManager::StopTalk(int id) {
    const DEVICE_RECORD record = GetDevice(id);
    if (record.loggedIn != 1 || record.talkOpen != 1) return -1;
    CloseTalkOf(id);
    CAutoLock lock(&m_recordsLock);
    if (m_talkDeviceId == id) m_talkDeviceId = 0;
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
    const QVNET_TIME wanted = ToDeviceTime(time);
    if (force) {
        const int32_t written = NetSdk().WriteDeviceClock(record.loginHandle, &wanted);
        const int command = DeviceCommand(id, 0, 0);
        return (written != 0 && command == 0) ? 0 : -1;
    }
    QVNET_TIME device = {};
    if (NetSdk().ReadDeviceClock(record.loginHandle, &device, 1000) != 1) return -1;
    const int64_t deviceDate = device.year * 372LL + device.month * 31LL + device.day;
    const int64_t wantedDate = wanted.year * 372LL + wanted.month * 31LL + wanted.day;
    const int64_t deviceSecond = device.hour * 3600LL + device.minute * 60LL + device.second;
    const int64_t wantedSecond = wanted.hour * 3600LL + wanted.minute * 60LL + wanted.second;
    const bool behind = deviceDate < wantedDate || (deviceDate == wantedDate && deviceSecond < wantedSecond);
    if (!behind) return -1;
    return NetSdk().WriteDeviceClock(record.loginHandle, &wanted) != 0 ? 0 : -1;
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
    const int32_t handle = record.loginHandle;
    int code = 0;

    // Disks: type 4, else type 10.
    bool disksRead = false;
    for (int32_t type : {4, 10}) {
        std::vector<uint8_t> block(kDiskBlockSize, 0);
        int32_t length = 0;
        if (NetSdk().ReadDeviceConfig(handle, type, block.data(), kDiskBlockSize, &length, 1000) == 1 &&
            SumDiskBlock(block.data(), static_cast<size_t>(length), &record.diskSumA, &record.diskSumB,
                         &record.diskCount)) {
            disksRead = true;
            break;
        }
    }
    if (!disksRead) code = -2;

    uint8_t states[kMaxChannels] = {};
    int32_t stateLength = 0;
    if (NetSdk().ReadRecordStates(handle, reinterpret_cast<char*>(states), sizeof(states), &stateLength, 3000) == 0 ||
        stateLength == 0) {
        code = -3;
    }

    const int channels = std::min(std::max<int>(record.channelCount, 0), kMaxChannels);
    std::vector<uint8_t> plan(static_cast<size_t>(channels) * kPlanBytesPerChannel + 4, 0);
    int32_t planLength = 0;
    const int32_t planSize = channels * kPlanBytesPerChannel;
    if (channels == 0 ||
        NetSdk().ReadChannelConfig(handle, 5, -1, plan.data(), planSize, &planLength, 500) == 0 || planLength == 0) {
        code = -4;
    } else {
        QVNET_TIME now = {};
        if (NetSdk().ReadDeviceClock(handle, &now, 1000) != 1) {
            code = -5;
            now = ToDeviceTime(_time64(nullptr));
        }
        const __time64_t deviceTime = FromDeviceTime(now);
        struct tm local = {};
        _localtime64_s(&local, &deviceTime);
        const int secondOfDay = static_cast<int>(now.hour * 3600 + now.minute * 60 + now.second);
        const QVNET_TIME windowStart = ToDeviceTime(deviceTime - 600);
        const QVNET_TIME windowEnd = ToDeviceTime(deviceTime + 600);
        const size_t planBytes = std::min<size_t>(static_cast<size_t>(std::max(planLength, 0)), plan.size());
        std::vector<RECORD_FILE_DESC> found(kMaxFoundFiles);
        for (int j = 0; j < channels; ++j) {
            const size_t offset = static_cast<size_t>(j) * kPlanBytesPerChannel;
            const int planned = offset < planBytes
                                    ? IsPlannedAt(plan.data() + offset, planBytes - offset, local.tm_wday, secondOfDay)
                                    : 0;
            int32_t count = 0, result = 0;
            for (int attempt = 0; attempt < 3; ++attempt) {
                if (attempt > 0) Sleep(100);
                count = 0;
                result = NetSdk().FindRecordFiles(handle, j, 0, &windowStart, &windowEnd, nullptr, found.data(),
                                                  static_cast<int32_t>(found.size() * sizeof(RECORD_FILE_DESC)),
                                                  &count, 3000, 0);
                if (result == 1 && count > 0) break;
            }
            count = std::min(count, kMaxFoundFiles);
            if (result != 0 && count > 0) {
                for (int f = 0; f < count; ++f) {
                    if (found[f].recordType == 0) {
                        states[j] = planned ? 2 : 1;
                        break;
                    }
                }
            } else {
                states[j] = planned ? 3 : 0;
            }
        }
    }

    if (record.channelFlagsLoaded == 0) {
        std::vector<uint8_t> block(kChannelFlagBlockSize, 0);
        int32_t length = 0;
        if (NetSdk().ReadDeviceConfig(handle, 17, block.data(), kChannelFlagBlockSize, &length, 3000) == 1) {
            ApplyChannelFlags(block.data(), static_cast<size_t>(length), record);
        }
    }

    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator current = m_devices.find(record.id);
    if (current != m_devices.end()) {
        DEVICE_RECORD& stored = current->second;
        stored.diskSumB = record.diskSumB;
        stored.diskSumA = record.diskSumA;
        stored.diskCount = record.diskCount;
        memcpy(stored.recordState, states, sizeof(states));
        stored.channelFlagsLoaded = record.channelFlagsLoaded;
        for (int j = 0; j < channels; ++j) {
            stored.channels[j].flagA = record.channels[j].flagA;
            stored.channels[j].flagB = record.channels[j].flagB;
        }
    }
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
    if (NetSdk().WriteChannelNames(record.loginHandle, buffer.data(), size) != 0) {
        CAutoLock lock(&m_recordsLock);
        DeviceMap::iterator found = m_devices.find(id);
        if (found != m_devices.end()) {
            CopyFixedText(found->second.channels[channelIndex].name, narrow);
            result = 0;
        }
    }
    SaveDeviceElement(id);
    return result;
}

int CDeviceManager::SetAlarmName(int id, int alarmIndex, const CString& name) {
    {
        CAutoLock lock(&m_recordsLock);
        DeviceMap::iterator found = m_devices.find(id);
        if (found == m_devices.end() || found->second.loggedIn != 1) return -1;
        DEVICE_RECORD& record = found->second;
        const int alarms = std::min(std::max<int>(record.alarmInCount, 0), kMaxAlarms);
        if (alarmIndex < 0 || alarmIndex >= alarms) return -2;
        if (name.GetLength() > kChannelNameBytes) return -3;
        if (name.IsEmpty()) return -4;
        CopyFixedText(record.alarmIn[alarmIndex].name, Narrow(name));
    }
    SaveDeviceElement(id);
    return 0;
}

int CDeviceManager::StartChannelFileJob(int id, int channel, const CString& fileName, int valueA, int valueB) {
    const DEVICE_RECORD record = GetDevice(id);
    if (record.loggedIn != 1) return -1;
    const int32_t job =
        NetSdk().StartChannelFileJob(record.loginHandle, channel, Narrow(fileName), valueA, valueB);
    if (job == 0) return -1;
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(id);
    if (found == m_devices.end() || found->second.loggedIn != 1 || found->second.loginHandle != record.loginHandle) {
        lock.Unlock();
        NetSdk().StopChannelFileJob(job);  // the session ended meanwhile
        return -1;
    }
    found->second.fileJobHandle = job;
    found->second.fileJobActive = 1;
    return 0;
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
    CAutoLock lock(&m_recordsLock);
    DeviceMap::iterator found = m_devices.find(id);
    if (found != m_devices.end() && found->second.fileJobHandle == record.fileJobHandle) {
        found->second.fileJobActive = 0;
        found->second.fileJobHandle = 0;
    }
    return 0;
}
