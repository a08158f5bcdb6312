#include "app/engine/CDeviceListStore.h"

#include <string.h>

#include <algorithm>
#include <string>

#include "app/core/CAppConfig.h"
#include "app/core/CAutoLock.h"
#include "app/core/CPathLocks.h"
#include "app/core/DeviceListIds.h"
#include "app/core/RefusedValues.h"
#include "app/core/XmlFile.h"
#include "app/engine/DeviceDefaultNames.h"
#include "common/WholeFile.h"
#include "tinyxml.h"

namespace {

bool IsSpecialDeviceType(const char* type) { return GetAppConfig()->IsCfgOcxSpecialDevType(CString(type)) != FALSE; }

void ReadTextAttribute(const TiXmlElement& element, const char* name, char* field, size_t width, size_t maxBytes) {
    const char* value = element.Attribute(name);
    if (value) CopyFixedText(field, width, value, maxBytes);
}

int IntAttribute(const TiXmlElement& element, const char* name, int fallback) {
    int value = fallback;
    element.QueryIntAttribute(name, &value);
    return value;
}

// The attribute's value when it lies in low..high; else the fallback, and
// refused is set (a port of 70000 must not become 4464).
int RangedAttribute(const TiXmlElement& element, const char* name, int fallback, int low, int high, bool& refused) {
    const int value = IntAttribute(element, name, fallback);
    if (value >= low && value <= high) return value;
    refused = true;
    return fallback;
}

// A count beyond the record's slots keeps the slots it can (their names are
// the user's); refused is set all the same.
int ClampedCount(const TiXmlElement& element, const char* name, int high, bool& refused) {
    const int value = IntAttribute(element, name, 0);
    if (value >= 0 && value <= high) return value;
    refused = true;
    return value < 0 ? 0 : high;
}

// The 0-based slot index of a Channel or Alarm child; -1 when not valid.
int SlotIndex(const TiXmlElement& child, int count, int limit) {
    int num = 0;
    child.QueryIntAttribute("num", &num);
    const int index = num - 1 < 0 ? 0 : num - 1;
    return (index < count && index < limit) ? index : -1;
}

void ElementFromRecord(TiXmlElement& element, const DEVICE_RECORD& record) {
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

// False when a value was out of range (and replaced).
bool RecordFromElement(const TiXmlElement& element, DEVICE_RECORD& record) {
    bool refused = false;
    ReadTextAttribute(element, "title", record.title, sizeof(record.title), 32);
    ReadTextAttribute(element, "desc", record.desc, sizeof(record.desc), 256);
    record.UseDDNS = IntAttribute(element, "UseDDNS", record.UseDDNS) != 0 ? 1 : 0;
    ReadTextAttribute(element, "DDNSIP", record.DDNSIP, sizeof(record.DDNSIP), 256);
    record.DDNSPort = static_cast<uint16_t>(RangedAttribute(element, "DDNSPort", record.DDNSPort, 0, 65535, refused));
    ReadTextAttribute(element, "DDNSDevName", record.DDNSDevName, sizeof(record.DDNSDevName), 172);
    ReadTextAttribute(element, "ip", record.ip, sizeof(record.ip), 256);
    record.port = static_cast<uint16_t>(RangedAttribute(element, "port", record.port, 0, 65535, refused));
    ReadTextAttribute(element, "manufacturer", record.manufacturer, sizeof(record.manufacturer), 64);
    ReadTextAttribute(element, "type", record.type, sizeof(record.type), 32);
    ReadTextAttribute(element, "cardsn", record.cardsn, sizeof(record.cardsn), 32);
    ReadTextAttribute(element, "model", record.model, sizeof(record.model), 32);
    ReadTextAttribute(element, "user", record.user, sizeof(record.user), 8);
    ReadTextAttribute(element, "password", record.password, sizeof(record.password), 8);
    record.logintype = RangedAttribute(element, "logintype", record.logintype, 0, 2, refused);
    record.channelCount = ClampedCount(element, "channel", kMaxChannels, refused);
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

    record.alarmInCount = static_cast<int8_t>(ClampedCount(element, "alarm", kMaxAlarms, refused));
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
    return !refused;
}

}  // namespace

// The parsed document and the text it was parsed from (TinyXML keeps
// pointers into neither, but one buffer reused saves an allocation per save).
class CDeviceListStore::CDocument {
public:
    TiXmlDocument document;
    std::string text;
};

CDeviceListStore::CDeviceListStore() : m_document(new CDocument) {}

CDeviceListStore::~CDeviceListStore() = default;

int CDeviceListStore::SaveDocument(const CString& path) {
    TiXmlPrinter printer;
    m_document->document.Accept(&printer);
    return ReplaceFileContents(path, printer.CStr(), printer.Size()) == 0 ? 0 : -3;
}

// Reads and parses the file; false when it cannot be read or does not parse.
bool CDeviceListStore::LoadDocument(const CString& path) {
    std::string& text = m_document->text;
    TiXmlDocument& document = m_document->document;
    text.clear();
    document.Clear();
    if (path.IsEmpty() || !ReadFileBytes(path, text)) return false;
    StripUtf8Bom(text);
    if (text.empty()) return false;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (!document.Error()) return true;
    document.Clear();
    return false;
}

int CDeviceListStore::Read(const CString& path, const std::function<void()>& clear,
                           const std::function<bool(const DEVICE_RECORD&)>& add, bool storedFile) {
    CAutoLock fileLock(&m_fileLock);
    CAutoLock pathLock(&CPathLocks::For(path));
    clear();
    int result = 0;
    if (storedFile) {
        const int read = ReadStoredXmlFile(path, m_document->document);
        if (read < 0) return -1;
        if (read == 2) result = 1;
    } else if (!LoadDocument(path)) {
        return m_document->text.empty() ? 0 : -1;
    }
    std::vector<DEVICE_LIST_ENTRY> entries;
    ListDeviceElements(m_document->document, entries);
    bool inRange = true;
    for (const DEVICE_LIST_ENTRY& entry : entries) {
        DEVICE_RECORD record;
        record.id = entry.id;
        inRange = RecordFromElement(*entry.element, record) && inRange;
        if (!add(record)) break;
    }
    if (!inRange) NoteRefusedValues(path);
    return result;
}

int CDeviceListStore::Write(const CString& path, const std::function<std::vector<DEVICE_RECORD>()>& snapshot) {
    CAutoLock fileLock(&m_fileLock);
    CAutoLock pathLock(&CPathLocks::For(path));
    TiXmlDocument& document = m_document->document;
    document.Clear();
    document.InsertEndChild(TiXmlDeclaration("1.0", "UTF-8", "yes"));
    TiXmlElement root("Organization");
    root.SetAttribute("grade", "1");
    for (const DEVICE_RECORD& record : snapshot()) {
        TiXmlElement device("Device");
        ElementFromRecord(device, record);
        root.InsertEndChild(device);
    }
    document.InsertEndChild(root);
    return SaveDocument(path);
}

int CDeviceListStore::SaveElement(const CString& path, const DEVICE_RECORD& record) {
    // The path's lock is held from the load to the save, so that a list
    // another manager writes meanwhile is never overwritten with the older
    // one read here.
    CAutoLock fileLock(&m_fileLock);
    CAutoLock pathLock(&CPathLocks::For(path));
    if (!LoadDocument(path)) return -1;
    TiXmlDocument& document = m_document->document;
    for (TiXmlElement* org = document.FirstChildElement("Organization"); org;
         org = org->NextSiblingElement("Organization")) {
        for (TiXmlElement* device = org->FirstChildElement("Device"); device;
             device = device->NextSiblingElement("Device")) {
            int id = 0;
            if (device->QueryIntAttribute("id", &id) != TIXML_SUCCESS || id != record.id) continue;
            device->Clear();
            while (device->FirstAttribute()) device->RemoveAttribute(device->FirstAttribute()->Name());
            ElementFromRecord(*device, record);
            return SaveDocument(path);
        }
    }
    return SaveDocument(path);
}
