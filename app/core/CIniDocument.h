// CIniDocument: the text of one INI file held in memory, read the way the
// Windows profile functions read it (sections in brackets, key=value lines,
// names compared without case, the first match wins) and written back with
// every line it did not change kept as it was.
#pragma once

#include <map>
#include <string>
#include <vector>

class CIniDocument {
public:
    // How the file's bytes are encoded; written back the same way.
    enum Encoding { ANSI, UTF8_BOM, UTF16LE_BOM };

    // Replaces the document by the file's bytes.
    void Parse(const std::string& bytes);
    // The document as the file's bytes, in the encoding it was read in (a new
    // file in the ANSI code page), UTF-16 when the code page lacks a character.
    std::string Bytes() const;

    // False when the key is absent; the value with enclosing quotes removed.
    bool Find(const std::wstring& section, const std::wstring& key, std::wstring& value) const;
    // Replaces the key's value, or adds the key (and its section) at the end.
    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    // One section's values by key, answered as Find answers them but without
    // walking the lines: for a section asked thousands of times (the
    // translations of the language file).
    class CSectionIndex {
    public:
        bool Find(const std::wstring& key, std::wstring& value) const;

    private:
        friend class CIniDocument;
        struct NameLess {
            bool operator()(const std::wstring& a, const std::wstring& b) const;
        };
        std::map<std::wstring, std::wstring, NameLess> m_values;
    };
    // Empty when the section is absent.
    CSectionIndex IndexSection(const std::wstring& section) const;

private:
    struct Line {
        std::wstring text;
        std::wstring key;  // empty for comments and blank lines
        size_t valueStart = 0;
    };
    struct Section {
        std::wstring name;  // the first holds the lines before any header
        std::vector<Line> lines;
    };

    static Line KeyLine(const std::wstring& key, const std::wstring& value);
    static std::wstring ValueOf(const Line& line);
    Section* FindSection(const std::wstring& name);
    const Section* FindSection(const std::wstring& name) const;
    void AddLine(const std::wstring& line);

    std::vector<Section> m_sections;
    Encoding m_encoding = ANSI;
};
