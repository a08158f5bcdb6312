#include "DeviceListIds.h"

#include "CFileView.h"
#include "PlainXmlReader.h"
#include "XmlFile.h"

namespace {

template <typename Visit>
void ForEachDeviceElement(const TiXmlDocument& document, Visit visit) {
    for (const TiXmlElement* organization = document.FirstChildElement("Organization"); organization;
         organization = organization->NextSiblingElement("Organization")) {
        for (const TiXmlElement* device = organization->FirstChildElement("Device"); device;
             device = device->NextSiblingElement("Device"))
            visit(device);
    }
}

// Gives the ids of elements without their own. Ids are only ever taken, so
// every id below the cursor stays taken: a list of 100 000 devices without
// ids does not search the whole range again for each one.
class CFreeIds {
public:
    explicit CFreeIds(std::set<int>& taken) : m_taken(taken) {}

    // lastId + 1 when it is free and in range, else the lowest free id from
    // 1001; 0 when every id up to 9999 is taken.
    int After(int lastId) {
        const int id = lastId + 1;
        if (id > kMinDeviceId && id <= kMaxDeviceId && !m_taken.count(id)) return id;
        while (m_cursor <= kMaxDeviceId && m_taken.count(m_cursor)) ++m_cursor;
        return m_cursor <= kMaxDeviceId ? m_cursor : 0;
    }

private:
    std::set<int>& m_taken;
    int m_cursor = kMinDeviceId + 1;
};

// The Device elements of every Organization element: depth 2 under depth 1.
class PlainOutline : public CPlainXmlReader::IHandler {
public:
    PlainOutline(const CPlainXmlReader& reader, const char* text, PlainDeviceCheck check,
                 std::vector<PLAIN_DEVICE_ELEMENT>& out)
        : m_reader(reader), m_text(text), m_check(check), m_out(out) {}

    bool Start(int depth, const CPlainXmlReader::Span& name, const CPlainXmlReader& reader) override {
        if (depth == 1) m_inList = name.Is("Organization");
        if (depth != 2 || !m_inList || !name.Is("Device")) return true;
        int value;
        bool number;
        if (!reader.IntAttribute("id", value, number)) return false;
        const size_t begin = static_cast<size_t>(reader.ElementStart() - m_text);
        m_out.push_back({OwnDeviceId(number, value), begin, begin, m_check && m_check(reader)});
        m_inDevice = true;
        return true;
    }
    bool End(int depth) override {
        if (depth != 2 || !m_inDevice) return true;
        m_out.back().end = static_cast<size_t>(m_reader.Position() - m_text);
        m_inDevice = false;
        return true;
    }

private:
    const CPlainXmlReader& m_reader;
    const char* m_text;
    PlainDeviceCheck m_check;
    std::vector<PLAIN_DEVICE_ELEMENT>& m_out;
    bool m_inList = false;
    bool m_inDevice = false;
};

}  // namespace

int OwnDeviceId(bool number, int value) {
    return number && value >= kMinDeviceId && value <= kMaxKeptDeviceId ? value : 0;
}

void AssignDeviceIds(const std::vector<int>& ownIds, std::vector<int>& ids) {
    // The elements' own ids first, so that no id given to another element
    // takes the place of a device further down the list.
    std::set<int> taken;
    for (int id : ownIds) {
        if (id) taken.insert(id);
    }
    ids.clear();
    ids.reserve(ownIds.size());
    CFreeIds free(taken);
    int lastId = kMinDeviceId;
    for (int id : ownIds) {
        if (!id) {
            id = free.After(lastId);
            if (id) taken.insert(id);
        }
        if (id > lastId) lastId = id;
        ids.push_back(id);
    }
}

bool ReadPlainDeviceElements(const char* text, size_t length, std::vector<PLAIN_DEVICE_ELEMENT>& out,
                             PlainDeviceCheck check) {
    const size_t before = out.size();
    CPlainXmlReader reader;
    PlainOutline handler(reader, text, check, out);
    if (reader.Read(text, length, handler)) return true;
    out.resize(before);
    return false;
}

void AssignDeviceIds(const std::vector<PLAIN_DEVICE_ELEMENT>& elements, std::vector<int>& ids) {
    std::vector<int> ownIds;
    ownIds.reserve(elements.size());
    for (const PLAIN_DEVICE_ELEMENT& element : elements) ownIds.push_back(element.ownId);
    AssignDeviceIds(ownIds, ids);
}

void ListDeviceElements(const TiXmlDocument& document, std::vector<DEVICE_LIST_ENTRY>& out) {
    std::vector<const TiXmlElement*> elements;
    std::vector<int> ownIds;
    ForEachDeviceElement(document, [&](const TiXmlElement* device) {
        int value = 0;
        const bool number = device->QueryIntAttribute("id", &value) == TIXML_SUCCESS;
        elements.push_back(device);
        ownIds.push_back(OwnDeviceId(number, value));
    });
    std::vector<int> ids;
    AssignDeviceIds(ownIds, ids);
    for (size_t i = 0; i < elements.size(); ++i) {
        if (ids[i]) out.push_back({elements[i], ids[i]});
    }
}

int ReadDeviceListIds(const CString& path, std::set<int>& ids) {
    std::vector<int> assigned;
    {
        CFileView view;
        if (view.Open(path)) {
            const size_t bom = view.Utf8BomSize();
            std::vector<PLAIN_DEVICE_ELEMENT> elements;
            if (ReadPlainDeviceElements(view.Data() + bom, view.Size() - bom, elements)) {
                AssignDeviceIds(elements, assigned);
                for (int id : assigned) {
                    if (id) ids.insert(id);
                }
                return 0;
            }
        }
    }
    TiXmlDocument doc;
    if (ReadXmlFile(path, doc) != 0) return -1;
    std::vector<DEVICE_LIST_ENTRY> entries;
    ListDeviceElements(doc, entries);
    for (const DEVICE_LIST_ENTRY& entry : entries) ids.insert(entry.id);
    return 0;
}
