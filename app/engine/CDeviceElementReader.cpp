#include "app/engine/CDeviceElementReader.h"

#include <vector>

#include "app/core/DeviceListIds.h"
#include "app/core/PlainXmlReader.h"
#include "app/engine/DeviceDefaultNames.h"
#include "tinyxml.h"

namespace {

void ReadText(CDeviceElementReader::IAttributes& element, const char* name, char* field, size_t width,
              size_t maxBytes) {
    const char* value = element.Text(name);
    if (value) CopyFixedText(field, width, value, maxBytes);
}

int IntOr(CDeviceElementReader::IAttributes& element, const char* name, int fallback) {
    int value = fallback;
    element.Int(name, value);
    return value;
}

// The attribute's value when it lies in low..high; else the fallback, and
// refused is set (a port of 70000 must not become 4464).
int Ranged(CDeviceElementReader::IAttributes& element, const char* name, int fallback, int low, int high,
           bool& refused) {
    const int value = IntOr(element, name, fallback);
    if (value >= low && value <= high) return value;
    refused = true;
    return fallback;
}

// A count beyond the record's slots keeps the slots it can (their names are
// the user's); refused is set all the same.
int ClampedCount(CDeviceElementReader::IAttributes& element, const char* name, int high, bool& refused) {
    const int value = IntOr(element, name, 0);
    if (value >= 0 && value <= high) return value;
    refused = true;
    return value < 0 ? 0 : high;
}

// The 0-based slot index of a Channel or Alarm child; -1 when not valid.
int SlotIndex(CDeviceElementReader::IAttributes& child, int count, int limit) {
    const int num = IntOr(child, "num", 0);
    const int index = num - 1 < 0 ? 0 : num - 1;
    return (index < count && index < limit) ? index : -1;
}

class DocumentAttributes : public CDeviceElementReader::IAttributes {
public:
    explicit DocumentAttributes(const TiXmlElement& element) : m_element(element) {}
    const char* Text(const char* name) override { return m_element.Attribute(name); }
    bool Int(const char* name, int& value) override {
        return m_element.QueryIntAttribute(name, &value) == TIXML_SUCCESS;
    }

private:
    const TiXmlElement& m_element;
};

class PlainAttributes : public CDeviceElementReader::IAttributes {
public:
    explicit PlainAttributes(const CPlainXmlReader& reader) : m_reader(reader) {}
    const char* Text(const char* name) override {
        return m_reader.TextAttribute(name, m_text) ? m_text.c_str() : nullptr;
    }
    bool Int(const char* name, int& value) override {
        int read;
        bool number;
        if (!m_reader.IntAttribute(name, read, number)) m_notPlain = true;
        if (number) value = read;
        return number;
    }
    // A number too long for the plain reading was met.
    bool NotPlain() const { return m_notPlain; }

private:
    const CPlainXmlReader& m_reader;
    std::string m_text;
    bool m_notPlain = false;
};

// Organization at depth 1, Device at 2, its Channel and Alarm children at 3.
class PlainList : public CPlainXmlReader::IHandler {
public:
    PlainList(const std::vector<int>& ids, const std::function<bool(const DEVICE_RECORD&)>& add)
        : m_ids(ids), m_add(add) {}

    bool Start(int depth, const CPlainXmlReader::Span& name, const CPlainXmlReader& reader) override {
        if (depth == 1) m_inList = name.Is("Organization");
        if (!m_inList || m_stopped) return true;
        PlainAttributes attributes(reader);
        if (depth == 2 && name.Is("Device")) {
            const int id = m_next < m_ids.size() ? m_ids[m_next] : 0;
            ++m_next;
            m_inDevice = id != 0;
            if (m_inDevice) m_reader.Start(id, attributes);
        } else if (depth == 3 && m_inDevice && name.Is("Channel")) {
            m_reader.Channel(attributes);
        } else if (depth == 3 && m_inDevice && name.Is("Alarm")) {
            m_reader.Alarm(attributes);
        }
        return !attributes.NotPlain();
    }

    bool End(int depth) override {
        if (depth != 2 || !m_inDevice) return true;
        m_inDevice = false;
        m_inRange = m_reader.InRange() && m_inRange;
        if (!m_add(m_reader.Record())) m_stopped = true;
        return true;
    }

    bool InRange() const { return m_inRange; }

private:
    const std::vector<int>& m_ids;
    const std::function<bool(const DEVICE_RECORD&)>& m_add;
    CDeviceElementReader m_reader;
    size_t m_next = 0;
    bool m_inList = false;
    bool m_inDevice = false;
    bool m_stopped = false;
    bool m_inRange = true;
};

}  // namespace

void CDeviceElementReader::Start(int id, IAttributes& device) {
    m_record = DEVICE_RECORD();
    m_refused = false;
    m_channelsTaken = 0;
    m_alarmsTaken = 0;
    DEVICE_RECORD& record = m_record;
    record.id = id;
    ReadText(device, "title", record.title, sizeof(record.title), 32);
    ReadText(device, "desc", record.desc, sizeof(record.desc), 256);
    record.UseDDNS = IntOr(device, "UseDDNS", record.UseDDNS) != 0 ? 1 : 0;
    ReadText(device, "DDNSIP", record.DDNSIP, sizeof(record.DDNSIP), 256);
    record.DDNSPort = static_cast<uint16_t>(Ranged(device, "DDNSPort", record.DDNSPort, 0, 65535, m_refused));
    ReadText(device, "DDNSDevName", record.DDNSDevName, sizeof(record.DDNSDevName), 172);
    ReadText(device, "ip", record.ip, sizeof(record.ip), 256);
    record.port = static_cast<uint16_t>(Ranged(device, "port", record.port, 0, 65535, m_refused));
    ReadText(device, "manufacturer", record.manufacturer, sizeof(record.manufacturer), 64);
    ReadText(device, "type", record.type, sizeof(record.type), 32);
    ReadText(device, "cardsn", record.cardsn, sizeof(record.cardsn), 32);
    ReadText(device, "model", record.model, sizeof(record.model), 32);
    ReadText(device, "user", record.user, sizeof(record.user), 8);
    ReadText(device, "password", record.password, sizeof(record.password), 8);
    record.logintype = Ranged(device, "logintype", record.logintype, 0, 2, m_refused);
    record.channelCount = ClampedCount(device, "channel", kMaxChannels, m_refused);
    record.multiplay = IntOr(device, "multiplay", record.multiplay);
    record.alarmInCount = static_cast<int8_t>(ClampedCount(device, "alarm", kMaxAlarms, m_refused));
}

void CDeviceElementReader::Channel(IAttributes& child) {
    if (m_channelsTaken >= m_record.channelCount) return;
    const int index = SlotIndex(child, m_record.channelCount, kMaxChannels);
    if (index < 0) return;
    ++m_channelsTaken;
    CHANNEL_SLOT& slot = m_record.channels[index];
    if (child.Text("id")) slot.channelId = m_record.id * 10000 + 1000 + index;
    const char* title = child.Text("title");
    if (title && *title) {
        CopyFixedText(slot.name, title);
    } else if (title) {
        DefaultChannelName(slot.name, index);
    }
}

void CDeviceElementReader::Alarm(IAttributes& child) {
    if (m_alarmsTaken >= m_record.alarmInCount) return;
    const int index = SlotIndex(child, m_record.alarmInCount, kMaxAlarms);
    if (index < 0) return;
    ++m_alarmsTaken;
    ALARM_SLOT& slot = m_record.alarmIn[index];
    slot.alarmId = IntOr(child, "id", slot.alarmId);
    const char* title = child.Text("title");
    if (title) CopyFixedText(slot.name, title);
}

const DEVICE_RECORD& CDeviceElementReader::Record() {
    m_record.loggedIn = 0;
    m_record.loginHandle = 0;
    m_record.talkOpen = 0;
    m_record.talkHandle = 0;
    return m_record;
}

bool CDeviceElementReader::ReadElement(const TiXmlElement& element, int id, DEVICE_RECORD& record) {
    CDeviceElementReader reader;
    DocumentAttributes device(element);
    reader.Start(id, device);
    for (const TiXmlElement* child = element.FirstChildElement("Channel"); child;
         child = child->NextSiblingElement("Channel")) {
        DocumentAttributes attributes(*child);
        reader.Channel(attributes);
    }
    for (const TiXmlElement* child = element.FirstChildElement("Alarm"); child;
         child = child->NextSiblingElement("Alarm")) {
        DocumentAttributes attributes(*child);
        reader.Alarm(attributes);
    }
    record = reader.Record();
    return reader.InRange();
}

bool CDeviceElementReader::ReadPlainList(const char* text, size_t length,
                                         const std::function<bool(const DEVICE_RECORD&)>& add, bool& inRange) {
    std::vector<int> ownIds;
    if (!ReadPlainDeviceOwnIds(text, length, ownIds)) return false;
    std::vector<int> ids;
    AssignDeviceIds(ownIds, ids);
    PlainList list(ids, add);
    if (!CPlainXmlReader().Read(text, length, list)) return false;
    inRange = list.InRange();
    return true;
}
