#include "app/engine/CDeviceElementReader.h"

#include <string>
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

// The numbers a record takes only within a range.
struct RANGED {
    const char* name;
    int low;
    int high;
};
const RANGED kDdnsPort = {"DDNSPort", 0, 65535};
const RANGED kPort = {"port", 0, 65535};
const RANGED kLoginType = {"logintype", 0, 2};
const RANGED kChannelCount = {"channel", 0, kMaxChannels};
const RANGED kAlarmCount = {"alarm", 0, kMaxAlarms};
const RANGED* const kRangedAttributes[] = {&kDdnsPort, &kPort, &kLoginType, &kChannelCount, &kAlarmCount};

bool Within(int value, const RANGED& range) { return value >= range.low && value <= range.high; }

// The attribute's value when it lies in its range; else the fallback, and
// refused is set (a port of 70000 must not become 4464).
int Ranged(CDeviceElementReader::IAttributes& element, const RANGED& range, int fallback, bool& refused) {
    const int value = IntOr(element, range.name, fallback);
    if (Within(value, range)) return value;
    refused = true;
    return fallback;
}

// A count beyond the record's slots keeps the slots it can (their names are
// the user's); refused is set all the same.
int ClampedCount(CDeviceElementReader::IAttributes& element, const RANGED& range, bool& refused) {
    const int value = IntOr(element, range.name, 0);
    if (Within(value, range)) return value;
    refused = true;
    return value < range.low ? range.low : range.high;
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

// A Device element given as its text alone: the Device at depth 1, its
// Channel and Alarm children at 2.
class PlainDevice : public CPlainXmlReader::IHandler {
public:
    PlainDevice(CDeviceElementReader& reader, int id) : m_reader(reader), m_id(id) {}

    bool Start(int depth, const CPlainXmlReader::Span& name, const CPlainXmlReader& reader) override {
        PlainAttributes attributes(reader);
        if (depth == 1) {
            m_reader.Start(m_id, attributes);
        } else if (depth == 2 && name.Is("Channel")) {
            m_reader.Channel(attributes);
        } else if (depth == 2 && name.Is("Alarm")) {
            m_reader.Alarm(attributes);
        }
        return !attributes.NotPlain();
    }
    bool End(int) override { return true; }

private:
    CDeviceElementReader& m_reader;
    int m_id;
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
    record.DDNSPort = static_cast<uint16_t>(Ranged(device, kDdnsPort, record.DDNSPort, m_refused));
    ReadText(device, "DDNSDevName", record.DDNSDevName, sizeof(record.DDNSDevName), 172);
    ReadText(device, "ip", record.ip, sizeof(record.ip), 256);
    record.port = static_cast<uint16_t>(Ranged(device, kPort, record.port, m_refused));
    ReadText(device, "manufacturer", record.manufacturer, sizeof(record.manufacturer), 64);
    ReadText(device, "type", record.type, sizeof(record.type), 32);
    ReadText(device, "cardsn", record.cardsn, sizeof(record.cardsn), 32);
    ReadText(device, "model", record.model, sizeof(record.model), 32);
    ReadText(device, "user", record.user, sizeof(record.user), 8);
    ReadText(device, "password", record.password, sizeof(record.password), 8);
    record.logintype = Ranged(device, kLoginType, record.logintype, m_refused);
    record.channelCount = ClampedCount(device, kChannelCount, m_refused);
    record.multiplay = IntOr(device, "multiplay", record.multiplay);
    record.alarmInCount = static_cast<int8_t>(ClampedCount(device, kAlarmCount, m_refused));
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

bool CDeviceElementReader::ReadPlain(const char* element, size_t size, int id) {
    PlainDevice device(*this, id);
    return CPlainXmlReader().Read(element, size, device);
}

bool CDeviceElementReader::NothingRefused(const CPlainXmlReader& reader) {
    PlainAttributes attributes(reader);
    for (const RANGED* range : kRangedAttributes) {
        int value;
        if (attributes.Int(range->name, value) && !Within(value, *range)) return false;
    }
    return !attributes.NotPlain();
}

bool CDeviceElementReader::ReadPlainList(const char* text, size_t length, IList& list, bool& inRange) {
    std::vector<PLAIN_DEVICE_ELEMENT> elements;
    if (!ReadPlainDeviceElements(text, length, elements, &NothingRefused)) return false;
    std::vector<int> ids;
    AssignDeviceIds(elements, ids);
    CDeviceElementReader reader;
    inRange = true;
    bool holdingBack = false;
    for (size_t i = 0; i < elements.size(); ++i) {
        if (!ids[i]) continue;
        const char* element = text + elements[i].begin;
        const size_t size = elements[i].end - elements[i].begin;
        // An element without an id of its own is written with the one it was given.
        if (elements[i].checked && elements[i].ownId == ids[i] && list.Full()) {
            if (!holdingBack) list.ExpectHeldBack(elements.size() - i, length - elements[i].begin);
            holdingBack = true;
            list.HoldBack(ids[i], element, size);
            continue;
        }
        if (!reader.ReadPlain(element, size, ids[i])) return false;
        inRange = reader.InRange() && inRange;
        list.Add(reader.Record());
    }
    return true;
}
