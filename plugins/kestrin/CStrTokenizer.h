// Splits a text into items at a separator (":" unless set), trimming each
// item unless trimming is switched off. A text that ends with the separator
// yields one empty item at the end.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CStrTokenizer {
public:
    CStrTokenizer();
    CStrTokenizer(const char* text, const char* separator);

    // Each setter re-parses. Returns false (and leaves no items) when the
    // text or the separator is null or empty.
    bool SetText(const char* text);
    bool SetSeparator(const char* separator);
    // Takes effect at the next parse.
    void SetTrim(bool trim) { m_trim = trim; }

    size_t Count() const { return m_items.size(); }
    // The item at index, or null when index is out of range.
    const char* Item(size_t index) const;

private:
    bool Parse();

    std::string m_text;
    std::string m_separator;
    bool m_trim = true;
    std::vector<std::string> m_items;
};
