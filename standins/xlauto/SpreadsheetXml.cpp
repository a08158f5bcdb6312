#include "SpreadsheetXml.h"

#include <windows.h>

#include "common/UniqueHandle.h"
#include <cstdlib>

namespace SpreadsheetXml {

namespace {

const char kNamespace[] = "urn:schemas-microsoft-com:office:spreadsheet";

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

// Markup characters as entities; line breaks as character references so
// they survive attribute and whitespace handling; other control characters,
// which XML 1.0 cannot carry, left out.
std::string Escape(const std::wstring& text) {
    std::string out;
    for (char c : ToUtf8(text)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            case '\r': out += "&#13;"; break;
            case '\n': out += "&#10;"; break;
            case '\t': out += "&#9;"; break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20) out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        size_t end = text.find(';', i);
        if (end == std::string::npos) return out + text.substr(i);
        std::string entity = text.substr(i + 1, end - i - 1);
        i = end;
        if (entity == "amp")
            out += '&';
        else if (entity == "lt")
            out += '<';
        else if (entity == "gt")
            out += '>';
        else if (entity == "quot")
            out += '"';
        else if (entity == "apos")
            out += '\'';
        else if (!entity.empty() && entity[0] == '#') {
            unsigned long code = entity.size() > 1 && entity[1] == 'x' ? strtoul(entity.c_str() + 2, nullptr, 16)
                                                                       : strtoul(entity.c_str() + 1, nullptr, 10);
            out += ToUtf8(std::wstring(1, static_cast<wchar_t>(code < 0x10000 ? code : 0xFFFD)));
        }
    }
    return out;
}

// The value of attribute name inside the tag text, or empty.
std::string Attribute(const std::string& tag, const std::string& name) {
    size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return std::string();
    size_t start = at + name.size() + 3;
    size_t end = tag.find('"', start);
    return end == std::string::npos ? std::string() : tag.substr(start, end - start);
}

}  // namespace

std::string Format(const std::vector<const SheetData*>& sheets) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    out += std::string("<Workbook xmlns=\"") + kNamespace + "\" xmlns:ss=\"" + kNamespace + "\">\r\n";
    for (const SheetData* sheet : sheets) {
        out += " <Worksheet ss:Name=\"" + Escape(sheet->name) + "\">\r\n  <Table>\r\n";
        long row = 0;
        for (const auto& cell : sheet->cells) {
            if (cell.first.first != row) {
                if (row) out += "   </Row>\r\n";
                row = cell.first.first;
                out += "   <Row ss:Index=\"" + std::to_string(row) + "\">\r\n";
            }
            out += "    <Cell ss:Index=\"" + std::to_string(cell.first.second) + "\"><Data ss:Type=\"String\">" +
                   Escape(cell.second) + "</Data></Cell>\r\n";
        }
        if (row) out += "   </Row>\r\n";
        out += "  </Table>\r\n </Worksheet>\r\n";
    }
    out += "</Workbook>\r\n";
    return out;
}

bool Parse(const std::string& text, std::vector<SheetData>& sheets) {
    sheets.clear();
    if (text.find("<Workbook") == std::string::npos || text.find(kNamespace) == std::string::npos) return false;
    long row = 0;
    size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        size_t close = text.find('>', pos);
        if (close == std::string::npos) return false;
        std::string tag = text.substr(pos, close - pos + 1);
        pos = close + 1;
        if (tag.compare(0, 10, "<Worksheet") == 0) {
            sheets.push_back(SheetData{FromUtf8(Unescape(Attribute(tag, "ss:Name"))), {}});
            row = 0;
        } else if (tag.compare(0, 4, "<Row") == 0 && !sheets.empty()) {
            std::string index = Attribute(tag, "ss:Index");
            row = index.empty() ? row + 1 : atol(index.c_str());
        } else if (tag.compare(0, 5, "<Cell") == 0 && !sheets.empty() && row > 0) {
            long column = atol(Attribute(tag, "ss:Index").c_str());
            size_t dataStart = text.find("<Data", pos);
            size_t valueStart = dataStart == std::string::npos ? dataStart : text.find('>', dataStart);
            size_t valueEnd = valueStart == std::string::npos ? valueStart : text.find("</Data>", valueStart);
            if (column < 1 || valueEnd == std::string::npos) return false;
            sheets.back().cells[{row, column}] =
                FromUtf8(Unescape(text.substr(valueStart + 1, valueEnd - valueStart - 1)));
            pos = valueEnd;
        }
    }
    return !sheets.empty();
}

bool WriteFile(const std::wstring& path, const std::vector<const SheetData*>& sheets) {
    std::string text = Format(sheets);
    CUniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return ok && written == text.size();
}

bool ReadFile(const std::wstring& path, std::vector<SheetData>& sheets) {
    CUniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    // Templates are small; anything huge is not one.
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    BOOL ok = text.empty() || ::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
    file.Reset();
    return ok && read == text.size() && Parse(text, sheets);
}

}  // namespace SpreadsheetXml
