#include "XmlFile.h"

#include <string>

#include "UnreadableFiles.h"
#include "XmlSalvage.h"
#include "common/WholeFile.h"

namespace {

// The document as the files have always been written: four-space indents and
// CRLF line ends.
std::string PrintDocument(const TiXmlDocument& doc) {
    TiXmlPrinter printer;
    printer.SetIndent("    ");
    printer.SetLineBreak("\r\n");
    doc.Accept(&printer);
    return std::string(printer.CStr(), printer.Size());
}

}  // namespace

int ReadXmlText(const CString& path, std::string& text) {
    text.clear();
    if (path.IsEmpty() || !ReadFileBytes(path, text) || text.empty()) {
        text.clear();
        return 1;
    }
    StripUtf8Bom(text);
    return 0;
}

int ParseXmlText(const std::string& text, TiXmlDocument& doc) {
    doc.Clear();
    doc.ClearError();
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    return doc.Error() ? -1 : 0;
}

int ReadXmlFile(const CString& path, TiXmlDocument& doc) {
    doc.Clear();
    doc.ClearError();
    std::string text;
    if (ReadXmlText(path, text) != 0) return 1;
    return ParseXmlText(text, doc);
}

int ReadStoredXmlFile(const CString& path, TiXmlDocument& doc) {
    doc.Clear();
    doc.ClearError();
    std::string text;
    if (ReadXmlText(path, text) != 0) return 1;
    if (ParseXmlText(text, doc) == 0) return 0;
    SalvageXmlText(text, doc);
    // Kept aside before the file is written again; a copy kept while the
    // original could not be moved is as good.
    if (SetAsideUnreadableFile(path) < 0) {
        doc.Clear();
        return -1;
    }
    WriteXmlFile(doc, path);
    return 2;
}

int WriteXmlFile(const TiXmlDocument& doc, const CString& path) {
    if (path.IsEmpty()) return -2;
    return WriteXmlText(PrintDocument(doc), path);
}

int WriteXmlText(const std::string& text, const CString& path) {
    if (path.IsEmpty()) return -2;
    return ReplaceFileContents(path, text.data(), text.size()) == 0 ? 0 : -3;
}

void AddXmlDeclaration(TiXmlDocument& doc) { doc.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", "yes")); }

void SetAnsiAttribute(TiXmlElement* element, const char* name, const CString& value) {
    element->SetAttribute(name, CStringA(value).GetString());
}

bool GetAnsiAttribute(const TiXmlElement* element, const char* name, CString* value) {
    const char* text = element->Attribute(name);
    if (!text) return false;
    *value = CString(text);
    return true;
}

int GetIntAttribute(const TiXmlElement* element, const char* name) {
    int value = 0;
    if (element->QueryIntAttribute(name, &value) != TIXML_SUCCESS) return 0;
    return value;
}
