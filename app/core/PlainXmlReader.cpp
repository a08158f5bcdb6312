#include "PlainXmlReader.h"

namespace {

// The declaration the program writes; any other goes to the general parser,
// whose reading of odd declarations can end the document early.
const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>";
// Deeper nesting, never written by the program, is left to the general parser.
const int kMaxDepth = 32;
// More attributes than any element of the files has; checked for repeats,
// which the general parser refuses.
const size_t kMaxAttributes = 32;

// The whitespace of the general parser and of sscanf in the "C" locale.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':'; }

}  // namespace

bool CPlainXmlReader::Read(const char* text, size_t length, IHandler& handler) {
    m_p = text;
    m_end = text + length;
    if (std::memchr(m_p, '\0', length)) return false;
    SkipSpace();
    const size_t declaration = sizeof(kDeclaration) - 1;
    if (static_cast<size_t>(m_end - m_p) >= declaration && std::memcmp(m_p, kDeclaration, declaration) == 0)
        m_p += declaration;
    bool anyElement = false;
    for (;;) {
        SkipSpace();
        if (m_p == m_end) return anyElement;
        if (*m_p != '<' || !ReadElement(1, handler)) return false;
        anyElement = true;
    }
}

bool CPlainXmlReader::SkipSpace() {
    const char* start = m_p;
    while (m_p < m_end && IsSpace(*m_p)) ++m_p;
    return m_p != start;
}

bool CPlainXmlReader::ReadName(Span& name) {
    if (m_p == m_end || !IsNameStart(*m_p)) return false;
    name.data = m_p;
    while (m_p < m_end && IsNameChar(*m_p)) ++m_p;
    name.size = static_cast<size_t>(m_p - name.data);
    return true;
}

// A quoted value holding neither markup nor entity references.
bool CPlainXmlReader::ReadValue(Span& value) {
    if (m_p == m_end || (*m_p != '"' && *m_p != '\'')) return false;
    const char quote = *m_p++;
    value.data = m_p;
    while (m_p < m_end && *m_p != quote) {
        if (*m_p == '<' || *m_p == '&') return false;
        ++m_p;
    }
    if (m_p == m_end) return false;
    value.size = static_cast<size_t>(m_p - value.data);
    ++m_p;
    return true;
}

// Reads the attributes after the element name up to "/>" or ">".
bool CPlainXmlReader::ReadAttributes(bool& empty) {
    m_attributes.clear();
    for (;;) {
        const bool spaced = SkipSpace();
        if (m_p == m_end) return false;
        if (*m_p == '/') {
            empty = true;
            return ++m_p < m_end && *m_p++ == '>';
        }
        if (*m_p == '>') {
            empty = false;
            ++m_p;
            return true;
        }
        Attribute attribute;
        if (!spaced || !ReadName(attribute.name)) return false;
        SkipSpace();
        if (m_p == m_end || *m_p++ != '=') return false;
        SkipSpace();
        if (!ReadValue(attribute.value) || m_attributes.size() == kMaxAttributes) return false;
        for (const Attribute& earlier : m_attributes)
            if (earlier.name == attribute.name) return false;
        m_attributes.push_back(attribute);
    }
}

const CPlainXmlReader::Attribute* CPlainXmlReader::Find(const char* name) const {
    for (const Attribute& attribute : m_attributes)
        if (attribute.name.Is(name)) return &attribute;
    return nullptr;
}

bool CPlainXmlReader::IntAttribute(const char* name, int& value, bool& number) const {
    value = 0;
    number = false;
    const Attribute* attribute = Find(name);
    if (!attribute) return true;
    const char* p = attribute->value.data;
    const char* end = p + attribute->value.size;
    while (p < end && IsSpace(*p)) ++p;
    const bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) ++p;
    if (p == end || *p < '0' || *p > '9') return true;
    while (p < end && *p == '0') ++p;
    int digits = 0;
    int magnitude = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (++digits > 9) return false;
        magnitude = magnitude * 10 + (*p - '0');
    }
    value = negative ? -magnitude : magnitude;
    number = true;
    return true;
}

bool CPlainXmlReader::IntAttribute(const char* name, int& value) const {
    bool number;
    return IntAttribute(name, value, number);
}

bool CPlainXmlReader::TextAttribute(const char* name, std::string& value) const {
    const Attribute* attribute = Find(name);
    if (!attribute) return false;
    value.assign(attribute->value.data, attribute->value.size);
    return true;
}

// Reads the element at m_p ('<') through its end tag.
bool CPlainXmlReader::ReadElement(int depth, IHandler& handler) {
    m_elementStart = m_p++;
    Span name;
    bool empty = false;
    if (!ReadName(name) || !ReadAttributes(empty) || !handler.Start(depth, name, *this)) return false;
    if (!empty && !ReadContent(depth, name, handler)) return false;
    return handler.End(depth);
}

// Text and child elements up to and including the end tag of name.
bool CPlainXmlReader::ReadContent(int depth, const Span& name, IHandler& handler) {
    for (;;) {
        while (m_p < m_end && *m_p != '<') {
            if (*m_p == '&') return false;
            ++m_p;
        }
        if (m_end - m_p < 2) return false;
        if (m_p[1] == '/') {
            m_p += 2;
            Span endName;
            if (!ReadName(endName) || !(endName == name)) return false;
            SkipSpace();
            return m_p < m_end && *m_p++ == '>';
        }
        if (depth == kMaxDepth || !ReadElement(depth + 1, handler)) return false;
    }
}
