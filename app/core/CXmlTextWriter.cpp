#include "CXmlTextWriter.h"

#include <cstring>

#include <tinyxml.h>

namespace {

bool NeedsEscape(const char* value) {
    for (; *value; ++value) {
        const unsigned char c = static_cast<unsigned char>(*value);
        if (c < 32 || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'') return true;
    }
    return false;
}

}  // namespace

CXmlTextWriter::CXmlTextWriter(std::string& out, const char* lineBreak, int depth)
    : m_out(out), m_lineBreak(lineBreak), m_depth(depth) {}

void CXmlTextWriter::Declaration() {
    Indent();
    m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>";
    m_out += m_lineBreak;
}

void CXmlTextWriter::Indent() {
    for (int i = 0; i < m_depth + static_cast<int>(m_open.size()); ++i) m_out += "    ";
}

void CXmlTextWriter::EndStartTag() {
    if (!m_open.empty() && !m_open.back().children) {
        m_open.back().children = true;
        m_out += '>';
        m_out += m_lineBreak;
    }
}

void CXmlTextWriter::AppendElement(const char* text, size_t size) {
    EndStartTag();
    Indent();
    m_out.append(text, size);
    m_out += m_lineBreak;
}

void CXmlTextWriter::Open(const char* name) {
    EndStartTag();
    Indent();
    m_out += '<';
    m_out += name;
    m_open.push_back({name, false});
}

void CXmlTextWriter::Attribute(const char* name, const char* value) {
    m_out += ' ';
    m_out += name;
    if (!NeedsEscape(value)) {
        m_out += "=\"";
        m_out += value;
        m_out += '"';
        return;
    }
    // The printer's own escaping, and single quotes around a value that
    // holds a double quote.
    TIXML_STRING escaped;
    TiXmlBase::EncodeString(TIXML_STRING(value), &escaped);
    const char quote = std::strchr(value, '"') ? '\'' : '"';
    m_out += '=';
    m_out += quote;
    m_out.append(escaped.c_str(), escaped.length());
    m_out += quote;
}

void CXmlTextWriter::Attribute(const char* name, int value) {
    char text[16];
    char* p = text + sizeof text;
    *--p = '\0';
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) *--p = '-';
    Attribute(name, p);
}

void CXmlTextWriter::Close() {
    const OpenElement element = m_open.back();
    m_open.pop_back();
    if (!element.children) {
        m_out += " />";
    } else {
        Indent();
        m_out += "</";
        m_out += element.name;
        m_out += '>';
    }
    m_out += m_lineBreak;
}
