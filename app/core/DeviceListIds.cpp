#include "DeviceListIds.h"

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

// The element's own id; 0 when it has none the registry can keep.
int OwnId(const TiXmlElement* device) {
    int id = 0;
    if (device->QueryIntAttribute("id", &id) != TIXML_SUCCESS) return 0;
    return id >= kMinDeviceId && id <= kMaxKeptDeviceId ? id : 0;
}

int FreeIdAfter(int lastId, const std::set<int>& taken) {
    int id = lastId + 1;
    if (id > kMinDeviceId && id <= kMaxDeviceId && !taken.count(id)) return id;
    for (id = kMinDeviceId + 1; id <= kMaxDeviceId; ++id) {
        if (!taken.count(id)) return id;
    }
    return 0;
}

}  // namespace

void ListDeviceElements(const TiXmlDocument& document, std::vector<DEVICE_LIST_ENTRY>& out) {
    // The elements' own ids first, so that no id given to another element
    // takes the place of a device further down the list.
    std::set<int> taken;
    ForEachDeviceElement(document, [&](const TiXmlElement* device) {
        if (int id = OwnId(device)) taken.insert(id);
    });
    int lastId = kMinDeviceId;
    ForEachDeviceElement(document, [&](const TiXmlElement* device) {
        int id = OwnId(device);
        if (!id) {
            id = FreeIdAfter(lastId, taken);
            if (!id) return;
            taken.insert(id);
        }
        if (id > lastId) lastId = id;
        out.push_back({device, id});
    });
}

int ReadDeviceListIds(const CString& path, std::set<int>& ids) {
    TiXmlDocument doc;
    if (ReadXmlFile(path, doc) != 0) return -1;
    std::vector<DEVICE_LIST_ENTRY> entries;
    ListDeviceElements(doc, entries);
    for (const DEVICE_LIST_ENTRY& entry : entries) ids.insert(entry.id);
    return 0;
}
