#include "XmlFile.h"

#include <io.h>

#include <cstdio>
#include <string>

#include "common/UniqueHandle.h"

namespace {

const char kUtf8Bom[] = "\xEF\xBB\xBF";
// Far beyond any settings file; a larger one is not read whole into memory.
const LONGLONG kMaxReadBytes = 1LL << 30;

// Returns true with the whole file in bytes; false when it cannot be opened
// or read.
bool ReadAllBytes(const CString& path, std::string& bytes) {
    CUniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    // Read in the length the file has now, in few large reads: a schedule
    // file of a large installation is megabytes, and every read is a trip
    // through the system (under Wine through its server).
    LARGE_INTEGER length = {};
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart < 0 || length.QuadPart > kMaxReadBytes) return false;
    bytes.resize(static_cast<size_t>(length.QuadPart));
    size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), &bytes[filled], static_cast<DWORD>(bytes.size() - filled), &got, nullptr)) {
            bytes.clear();
            return false;
        }
        if (got == 0) break;  // the file shrank meanwhile
        filled += got;
    }
    bytes.resize(filled);
    return true;
}

// Writes the document in text mode (CRLF line ends, as the files have always
// had) and forces it to disk. Returns true only when every step succeeded.
bool WriteDocument(const TiXmlDocument& doc, const CString& path) {
    FILE* file = _wfopen(path, L"w");
    if (!file) return false;
    bool ok = doc.SaveFile(file) && fflush(file) == 0;
    if (ok) ok = FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FALSE;
    if (fclose(file) != 0) ok = false;
    return ok;
}

// Windows refuses to replace a read-only file, and so did the in-place write
// the files always had; Wine's MoveFileEx replaces it anyway.
bool IsReadOnlyFile(const CString& path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

int ReadXmlText(const CString& path, std::string& text) {
    text.clear();
    if (path.IsEmpty() || !ReadAllBytes(path, text) || text.empty()) {
        text.clear();
        return 1;
    }
    if (text.compare(0, 3, kUtf8Bom) == 0) text.erase(0, 3);
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

int WriteXmlFile(const TiXmlDocument& doc, const CString& path) {
    if (path.IsEmpty()) return -2;
    if (IsReadOnlyFile(path)) return -3;
    const CString temporary = path + L".tmp";
    if (!WriteDocument(doc, temporary) ||
        !MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary);
        return -3;
    }
    return 0;
}

void AddXmlDeclaration(TiXmlDocument& doc) {
    doc.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", "yes"));
}

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
