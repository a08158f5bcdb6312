#include "DeviceListIds.h"

#include "XmlFile.h"

namespace {

const int kFirstDeviceId = 1000;

}  // namespace

int ReadDeviceListIds(const CString& path, std::set<int>& ids) {
    TiXmlDocument doc;
    if (ReadXmlFile(path, doc) != 0) return -1;
    std::set<int> found;
    int lastId = kFirstDeviceId;
    for (const TiXmlElement* organization = doc.FirstChildElement("Organization"); organization;
         organization = organization->NextSiblingElement("Organization")) {
        for (const TiXmlElement* device = organization->FirstChildElement("Device"); device;
             device = device->NextSiblingElement("Device")) {
            int id = 0;
            if (device->Attribute("id")) {
                id = GetIntAttribute(device, "id");
                if (id < kFirstDeviceId) id = lastId + 1;
            }
            if (id > lastId) lastId = id;
            found.insert(id);
        }
    }
    ids.insert(found.begin(), found.end());
    return 0;
}
