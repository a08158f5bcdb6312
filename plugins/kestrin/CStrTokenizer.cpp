#include "plugins/kestrin/CStrTokenizer.h"

#include <vector>

#include "plugins/kestrin/AutoStrings.h"

namespace {

bool EndsWithIgnoringCase(const std::string& text, const std::string& tail) {
    return tail.size() <= text.size() &&
           SameTextIgnoringCase(text.c_str() + text.size() - tail.size(), tail.c_str(), tail.size());
}

}  // namespace

CStrTokenizer::CStrTokenizer() : m_separator(":") {}

CStrTokenizer::CStrTokenizer(const char* text, const char* separator)
    : m_text(text != nullptr ? text : ""), m_separator(separator != nullptr ? separator : "") {
    Parse();
}

bool CStrTokenizer::SetText(const char* text) {
    m_text = text != nullptr ? text : "";
    return Parse();
}

bool CStrTokenizer::SetSeparator(const char* separator) {
    m_separator = separator != nullptr ? separator : "";
    return Parse();
}

const char* CStrTokenizer::Item(size_t index) const {
    return index < m_items.size() ? m_items[index].c_str() : nullptr;
}

bool CStrTokenizer::Parse() {
    m_items.clear();
    if (m_text.empty() || m_separator.empty()) return false;
    std::vector<char> first(m_text.size() + 1);
    std::vector<char> rest(m_text.begin(), m_text.end());
    rest.push_back('\0');
    while (rest[0] != '\0') {
        SplitInTwo(rest.data(), first.data(), first.size(), rest.data(), rest.size(), m_separator.c_str(), 0);
        if (m_trim) TrimString(first.data(), 0);
        m_items.emplace_back(first.data());
    }
    if (EndsWithIgnoringCase(m_text, m_separator)) m_items.emplace_back();
    return true;
}
