// CPlainXmlReader: reads the XML files the program writes straight from their
// text, element by element, without building a document.
//
// A list of 100 000 devices or schedules made the general parser hand out
// millions of nodes and strings, about ten seconds under Wine; the files as
// the program writes them need none of that. The reader takes only that
// plain form (elements, quoted attributes without entity references, the
// program's own declaration, whitespace and plain text) and refuses anything
// else, which then goes to the general parser: it knows all of XML and
// reports the faults, so both ways give the same records for every file.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

class CPlainXmlReader {
public:
    struct Span {
        const char* data = nullptr;
        size_t size = 0;

        bool Is(const char* text) const { return std::strlen(text) == size && std::memcmp(data, text, size) == 0; }
        bool operator==(const Span& other) const {
            return size == other.size && std::memcmp(data, other.data, size) == 0;
        }
    };

    // What the reader tells as it goes. Each returns false to stop the
    // reading (the text then counts as not plain).
    class IHandler {
    public:
        virtual ~IHandler() {}
        // An element's start tag, at depth 1 for a top-level element; its
        // attributes are read through reader meanwhile.
        virtual bool Start(int depth, const Span& name, const CPlainXmlReader& reader) = 0;
        // Its end (at once after Start for an empty element).
        virtual bool End(int depth) = 0;
    };

    // Reads the whole text. False when it is not in the plain form or not
    // well formed, or a handler call said stop.
    bool Read(const char* text, size_t length, IHandler& handler);

    // Attributes of the element whose Start is being told.
    // The value as sscanf("%d") reads it: number is false (value 0) when the
    // attribute is missing or holds no number. False for more digits than
    // surely fit an int, left to the general parser's reading.
    bool IntAttribute(const char* name, int& value, bool& number) const;
    // The same, with 0 for a missing attribute or one that holds no number.
    bool IntAttribute(const char* name, int& value) const;
    // False when the attribute is missing; else true with its bytes.
    bool TextAttribute(const char* name, std::string& value) const;
    // The '<' of the element whose Start is being told.
    const char* ElementStart() const { return m_elementStart; }
    // Where the reading stands: during End, just past the element's last '>'.
    const char* Position() const { return m_p; }

private:
    struct Attribute {
        Span name;
        Span value;
    };

    bool SkipSpace();
    bool ReadName(Span& name);
    bool ReadValue(Span& value);
    bool ReadAttributes(bool& empty);
    const Attribute* Find(const char* name) const;
    bool ReadElement(int depth, IHandler& handler);
    bool ReadContent(int depth, const Span& name, IHandler& handler);

    const char* m_p = nullptr;
    const char* m_end = nullptr;
    const char* m_elementStart = nullptr;
    std::vector<Attribute> m_attributes;
};
