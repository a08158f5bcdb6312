#include "app/engine/CDeviceListStore.h"

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/core/CAppConfig.h"
#include "common/CAutoLock.h"
#include "app/core/CFileView.h"
#include "app/core/CPathLocks.h"
#include "app/core/CXmlTextWriter.h"
#include "app/core/DeviceListIds.h"
#include "app/core/RefusedValues.h"
#include "app/core/XmlFile.h"
#include "app/engine/CDeviceElementReader.h"
#include "app/engine/DeviceDefaultNames.h"
#include "common/WholeFile.h"
#include "tinyxml.h"

namespace {

bool IsSpecialDeviceType(const char* type) { return GetAppConfig()->IsCfgOcxSpecialDevType(CString(type)) != FALSE; }

// The name written for a channel: its own, or the default name of an
// unnamed one (made in buffer).
const char* ChannelTitle(const DEVICE_RECORD& record, int index, char (&buffer)[33]) {
    if (record.channels[index].name[0]) return record.channels[index].name;
    DefaultChannelName(buffer, index);
    return buffer;
}

// The Device element of a record told to a sink: its attributes in the
// file's order, then its Channel and Alarm children. One description serves
// the document (a single element's update) and the text (whole lists).
template <typename Sink>
void DescribeDevice(const DEVICE_RECORD& record, Sink& sink) {
    sink.Attribute("id", record.id);
    sink.Attribute("title", record.title);
    sink.Attribute("desc", record.desc);
    sink.Attribute("UseDDNS", record.UseDDNS == 1 ? "1" : "0");
    sink.Attribute("DDNSIP", record.DDNSIP);
    sink.Attribute("DDNSPort", record.DDNSPort);
    sink.Attribute("DDNSDevName", record.DDNSDevName);
    sink.Attribute("ip", record.ip);
    sink.Attribute("port", record.port);
    sink.Attribute("manufacturer", record.manufacturer);
    sink.Attribute("type", record.type);
    sink.Attribute("model", record.model);
    sink.Attribute("user", record.user);
    sink.Attribute("password", record.password);
    sink.Attribute("logintype", record.logintype);
    sink.Attribute("cardsn", record.cardsn);
    sink.Attribute("rights", "");
    sink.Attribute("alertout", 0);
    if (IsSpecialDeviceType(record.type)) {
        sink.Attribute("channel", 0);
        sink.Attribute("alarm", 0);
        return;
    }
    sink.Attribute("channel", record.channelCount);
    sink.Attribute("multiplay", record.multiplay);
    sink.Attribute("alarm", record.alarmInCount);
    if (record.channelCount > 0 && record.channelCount <= kMaxChannels) {
        const bool camera =
            (strcmp(record.type, "IPC") == 0 || strcmp(record.type, "IPSD") == 0) && record.channelCount == 1;
        char defaultName[sizeof(record.channels[0].name)] = {};
        for (int i = 0; i < record.channelCount; ++i) {
            sink.BeginChild("Channel");
            sink.Attribute("num", i + 1);
            sink.Attribute("id", record.channels[i].channelId);
            sink.Attribute("title", ChannelTitle(record, i, defaultName));
            sink.Attribute("camera", camera ? "10" : "0");
            sink.EndChild();
        }
    }
    if (record.alarmInCount > 0 && record.alarmInCount <= kMaxAlarms) {
        for (int i = 0; i < record.alarmInCount; ++i) {
            sink.BeginChild("Alarm");
            sink.Attribute("num", i + 1);
            sink.Attribute("id", record.alarmIn[i].alarmId);
            sink.Attribute("title", record.alarmIn[i].name);
            sink.EndChild();
        }
    }
}

class ElementSink {
public:
    explicit ElementSink(TiXmlElement& element) : m_element(element) {}
    void Attribute(const char* name, const char* value) { Target().SetAttribute(name, value); }
    void Attribute(const char* name, int value) { Target().SetAttribute(name, value); }
    void BeginChild(const char* name) { m_child = new TiXmlElement(name); }
    void EndChild() {
        m_element.LinkEndChild(m_child);
        m_child = nullptr;
    }

private:
    TiXmlElement& Target() { return m_child ? *m_child : m_element; }

    TiXmlElement& m_element;
    TiXmlElement* m_child = nullptr;
};

class TextSink {
public:
    explicit TextSink(CXmlTextWriter& writer) : m_writer(writer) {}
    void Attribute(const char* name, const char* value) { m_writer.Attribute(name, value); }
    void Attribute(const char* name, int value) { m_writer.Attribute(name, value); }
    void BeginChild(const char* name) { m_writer.Open(name); }
    void EndChild() { m_writer.Close(); }

private:
    CXmlTextWriter& m_writer;
};

void WriteDevice(const DEVICE_RECORD& record, CXmlTextWriter& writer) {
    writer.Open("Device");
    TextSink sink(writer);
    DescribeDevice(record, sink);
    writer.Close();
}

void ElementFromRecord(TiXmlElement& element, const DEVICE_RECORD& record) {
    ElementSink sink(element);
    DescribeDevice(record, sink);
}

std::string Printed(const TiXmlElement& element) {
    TiXmlPrinter printer;
    element.Accept(&printer);
    return std::string(printer.CStr(), printer.Size());
}

enum class PlainEdit { kNotPlain, kUnchanged, kChanged };

// The list's text with the record's element in place of the first element
// of its id, when the list is plain and the two differ. A list that cannot
// be mapped is left to the general parser, as reading does. The view is
// closed on return: a mapped file cannot be replaced.
PlainEdit ReplacePlainElement(const CString& path, const DEVICE_RECORD& record, std::string& text) {
    CFileView view;
    if (path.IsEmpty() || !view.Open(path)) return PlainEdit::kNotPlain;
    const size_t bom = view.Utf8BomSize();
    std::vector<PLAIN_DEVICE_ELEMENT> elements;
    if (!ReadPlainDeviceElements(view.Data() + bom, view.Size() - bom, elements)) return PlainEdit::kNotPlain;
    std::vector<PLAIN_DEVICE_ELEMENT>::const_iterator found = std::find_if(
        elements.begin(), elements.end(), [&](const PLAIN_DEVICE_ELEMENT& e) { return e.ownId == record.id; });
    if (found == elements.end()) return PlainEdit::kUnchanged;
    const std::string element = CDeviceListStore::ElementText(record);
    const char* begin = view.Data() + bom + found->begin;
    const size_t size = found->end - found->begin;
    if (element.size() == size && memcmp(element.data(), begin, size) == 0) return PlainEdit::kUnchanged;
    // The byte-order mark is not written back, as the document printer never wrote it.
    text.reserve(view.Size() - size + element.size());
    text.assign(view.Data() + bom, begin);
    text += element;
    text.append(begin + size, view.Data() + view.Size());
    return PlainEdit::kChanged;
}

}  // namespace

// The parsed document and the text it was parsed from, held while a read
// or a single element's update works on them.
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
    ReleaseDocument();
    return ReplaceFileContents(path, printer.CStr(), printer.Size()) == 0 ? 0 : -3;
}

// The document of a large list takes many times the file's size: it is not
// kept between reads and saves.
void CDeviceListStore::ReleaseDocument() {
    m_document->document.Clear();
    std::string().swap(m_document->text);
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

int CDeviceListStore::Read(const CString& path, IList& list, bool storedFile) {
    CAutoLock fileLock(&m_fileLock);
    CAutoLock pathLock(&CPathLocks::For(path));
    list.Clear();
    bool inRange = true;
    int result = 0;
    if (!ReadPlainFile(path, list, inRange)) {
        list.Clear();
        inRange = true;
        result = ReadDocument(path, list, inRange, storedFile);
    }
    if (!inRange) NoteRefusedValues(path);
    return result;
}

// The file as the program writes it, read straight from its text. False
// when it cannot be mapped, is empty or is not in the plain form.
bool CDeviceListStore::ReadPlainFile(const CString& path, IList& list, bool& inRange) {
    CFileView view;
    if (path.IsEmpty() || !view.Open(path)) return false;
    const size_t bom = view.Utf8BomSize();
    return CDeviceElementReader::ReadPlainList(view.Data() + bom, view.Size() - bom, list, inRange);
}

// Through the general parser: Read's results.
int CDeviceListStore::ReadDocument(const CString& path, IList& list, bool& inRange, bool storedFile) {
    int result = 0;
    if (storedFile) {
        const int read = ReadStoredXmlFile(path, m_document->document);
        if (read < 0) return -1;
        if (read == 2) result = 1;
    } else if (!LoadDocument(path)) {
        const bool empty = m_document->text.empty();
        ReleaseDocument();
        return empty ? 0 : -1;
    }
    std::vector<DEVICE_LIST_ENTRY> entries;
    ListDeviceElements(m_document->document, entries);
    for (const DEVICE_LIST_ENTRY& entry : entries) {
        DEVICE_RECORD record;
        inRange = CDeviceElementReader::ReadElement(*entry.element, entry.id, record) && inRange;
        list.Add(record);
    }
    ReleaseDocument();
    return result;
}

int CDeviceListStore::Write(const CString& path, const std::function<void(const Visitor&)>& visitAll) {
    CAutoLock fileLock(&m_fileLock);
    CAutoLock pathLock(&CPathLocks::For(path));
    // The text is put together element by element: a document of a list of
    // 100 000 devices would take hundreds of megabytes, and a copy of the
    // records 29 KB each.
    std::string text;
    CXmlTextWriter writer(text, "\n");
    writer.Declaration();
    writer.Open("Organization");
    writer.Attribute("grade", "1");
    visitAll([&writer](const DEVICE_RECORD* record, const char* element, size_t size) {
        if (record) {
            WriteDevice(*record, writer);
        } else {
            writer.AppendElement(element, size);
        }
    });
    writer.Close();
    return ReplaceFileContents(path, text.data(), text.size()) == 0 ? 0 : -3;
}

std::string CDeviceListStore::ElementText(const DEVICE_RECORD& record) {
    std::string text;
    CXmlTextWriter writer(text, "\n", 1);
    WriteDevice(record, writer);
    // The indent before the element and the line end after it belong to
    // the list around it.
    const size_t indent = text.find('<');
    return text.substr(indent, text.size() - indent - 1);
}

int CDeviceListStore::SaveElement(const CString& path, const DEVICE_RECORD& record) {
    // The path's lock is held from the load to the save, so that a list
    // another manager writes meanwhile is never overwritten with the older
    // one read here.
    CAutoLock fileLock(&m_fileLock);
    CAutoLock pathLock(&CPathLocks::For(path));
    std::string text;
    switch (ReplacePlainElement(path, record, text)) {
        case PlainEdit::kUnchanged: return 0;
        case PlainEdit::kNotPlain: return SaveElementThroughDocument(path, record);
        case PlainEdit::kChanged: break;
    }
    return ReplaceFileContents(path, text.data(), text.size()) == 0 ? 0 : -3;
}

// A list in another form: its document, saved only when the element changed.
int CDeviceListStore::SaveElementThroughDocument(const CString& path, const DEVICE_RECORD& record) {
    if (!LoadDocument(path)) {
        ReleaseDocument();
        return -1;
    }
    TiXmlDocument& document = m_document->document;
    for (TiXmlElement* org = document.FirstChildElement("Organization"); org;
         org = org->NextSiblingElement("Organization")) {
        for (TiXmlElement* device = org->FirstChildElement("Device"); device;
             device = device->NextSiblingElement("Device")) {
            int id = 0;
            if (device->QueryIntAttribute("id", &id) != TIXML_SUCCESS || id != record.id) continue;
            const std::string before = Printed(*device);
            device->Clear();
            while (device->FirstAttribute()) device->RemoveAttribute(device->FirstAttribute()->Name());
            ElementFromRecord(*device, record);
            if (Printed(*device) != before) return SaveDocument(path);
            ReleaseDocument();
            return 0;
        }
    }
    ReleaseDocument();
    return 0;
}
