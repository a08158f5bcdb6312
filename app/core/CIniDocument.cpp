#include "CIniDocument.h"

#include <windows.h>

#include <wchar.h>
#include <wctype.h>

namespace {

bool IsBlank(wchar_t c) { return iswspace(c) || c == 0x1A; }

std::wstring Trimmed(const std::wstring& text, size_t begin, size_t end) {
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

std::wstring Widened(const std::string& bytes, size_t skip, UINT codePage) {
    const int length = static_cast<int>(bytes.size() - skip);
    if (length <= 0) return std::wstring();
    const int chars = MultiByteToWideChar(codePage, 0, bytes.data() + skip, length, nullptr, 0);
    std::wstring text(static_cast<size_t>(chars), L'\0');
    if (chars > 0) MultiByteToWideChar(codePage, 0, bytes.data() + skip, length, &text[0], chars);
    return text;
}

// False when a character has no form in the code page.
bool Narrowed(const std::wstring& text, UINT codePage, std::string& bytes) {
    bytes.clear();
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    BOOL* lossyFlag = codePage == CP_UTF8 ? nullptr : &lossy;
    const int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, lossyFlag);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0) WideCharToMultiByte(codePage, 0, text.data(), length, &bytes[0], size, nullptr, lossyFlag);
    return !lossy;
}

}  // namespace

void CIniDocument::Parse(const std::string& bytes) {
    m_sections.assign(1, Section());
    std::wstring text;
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
        m_encoding = UTF16LE_BOM;
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / sizeof(wchar_t));
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        m_encoding = UTF8_BOM;
        text = Widened(bytes, 3, CP_UTF8);
    } else {
        m_encoding = ANSI;
        text = Widened(bytes, 0, CP_ACP);
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        size_t lineEnd = end;
        if (lineEnd > start && text[lineEnd - 1] == L'\r') --lineEnd;
        AddLine(text.substr(start, lineEnd - start));
        start = end + 1;
    }
}

void CIniDocument::AddLine(const std::wstring& text) {
    Line line;
    line.text = text;
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    if (first < text.size() && text[first] == L'[') {
        const size_t close = text.find(L']', first);
        if (close != std::wstring::npos) {
            Section section;
            section.name = Trimmed(text, first + 1, close);
            section.lines.push_back(line);
            m_sections.push_back(section);
            return;
        }
    }
    if (first < text.size() && text[first] != L';') {
        const size_t equals = text.find(L'=', first);
        line.key = Trimmed(text, first, equals == std::wstring::npos ? text.size() : equals);
        line.valueStart = equals == std::wstring::npos ? text.size() : equals + 1;
    }
    m_sections.back().lines.push_back(line);
}

std::string CIniDocument::Bytes() const {
    std::wstring text;
    for (const Section& section : m_sections)
        for (const Line& line : section.lines) text += line.text + L"\r\n";
    std::string bytes;
    // A text the code page cannot hold (a user folder's name) must not turn
    // into question marks: the file becomes UTF-16 then, which readers take.
    Encoding encoding = m_encoding;
    if (encoding == ANSI && !Narrowed(text, CP_ACP, bytes)) encoding = UTF16LE_BOM;
    switch (encoding) {
        case UTF16LE_BOM:
            bytes.assign("\xFF\xFE");
            bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
            break;
        case UTF8_BOM:
            Narrowed(text, CP_UTF8, bytes);
            bytes.insert(0, "\xEF\xBB\xBF");
            break;
        case ANSI: break;
    }
    return bytes;
}

const CIniDocument::Section* CIniDocument::FindSection(const std::wstring& name) const {
    // Lines before the first header belong to no section a caller can name.
    for (size_t i = 1; i < m_sections.size(); ++i)
        if (SameName(m_sections[i].name, name)) return &m_sections[i];
    return nullptr;
}

CIniDocument::Section* CIniDocument::FindSection(const std::wstring& name) {
    return const_cast<Section*>(static_cast<const CIniDocument*>(this)->FindSection(name));
}

bool CIniDocument::Find(const std::wstring& section, const std::wstring& key, std::wstring& value) const {
    const Section* found = FindSection(Trimmed(section, 0, section.size()));
    if (!found) return false;
    const std::wstring name = Trimmed(key, 0, key.size());
    for (const Line& line : found->lines) {
        if (line.key.empty() || !SameName(line.key, name)) continue;
        value = ValueOf(line);
        return true;
    }
    return false;
}

// Enclosing quotes removed.
std::wstring CIniDocument::ValueOf(const Line& line) {
    std::wstring value = Trimmed(line.text, line.valueStart, line.text.size());
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return value;
}

// Orders names as SameName matches them, so one key of the map stands for
// every spelling the lines would match.
bool CIniDocument::CSectionIndex::NameLess::operator()(const std::wstring& a, const std::wstring& b) const {
    return _wcsicmp(a.c_str(), b.c_str()) < 0;
}

bool CIniDocument::CSectionIndex::Find(const std::wstring& key, std::wstring& value) const {
    const auto found = m_values.find(Trimmed(key, 0, key.size()));
    if (found == m_values.end()) return false;
    value = found->second;
    return true;
}

CIniDocument::CSectionIndex CIniDocument::IndexSection(const std::wstring& section) const {
    CSectionIndex index;
    const Section* found = FindSection(Trimmed(section, 0, section.size()));
    if (!found) return index;
    for (const Line& line : found->lines)
        if (!line.key.empty()) index.m_values.emplace(line.key, ValueOf(line));  // the first line of a name wins
    return index;
}

CIniDocument::Line CIniDocument::KeyLine(const std::wstring& key, const std::wstring& value) {
    Line line;
    line.key = key;
    line.text = key + L"=" + value;
    line.valueStart = key.size() + 1;
    return line;
}

void CIniDocument::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    if (m_sections.empty()) m_sections.assign(1, Section());
    const std::wstring sectionName = Trimmed(section, 0, section.size());
    const std::wstring name = Trimmed(key, 0, key.size());
    Section* found = FindSection(sectionName);
    if (!found) {
        Section added;
        added.name = sectionName;
        Line header;
        header.text = L"[" + sectionName + L"]";
        added.lines.push_back(header);
        m_sections.push_back(added);
        found = &m_sections.back();
    }
    // The key goes behind the section's last key, before trailing blank lines.
    size_t insertAt = 1;
    for (size_t i = 0; i < found->lines.size(); ++i) {
        Line& line = found->lines[i];
        if (!line.key.empty()) insertAt = i + 1;
        if (line.key.empty() || !SameName(line.key, name)) continue;
        line = KeyLine(line.key, value);
        return;
    }
    found->lines.insert(found->lines.begin() + static_cast<std::ptrdiff_t>(insertAt), KeyLine(name, value));
}
