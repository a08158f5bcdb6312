// CXmlTextWriter: writes elements with attributes straight into text, in
// the bytes the document printer gives for the same elements (its indents,
// line ends, escaping and quotes), so that a list of 100 000 records is
// saved without a document of it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CXmlTextWriter {
public:
    // Appends to out; elements opened at depth start one indent per level in.
    CXmlTextWriter(std::string& out, const char* lineBreak, int depth = 0);

    // The program's declaration line.
    void Declaration();
    // Opens an element inside the one open (whose start tag is then closed).
    void Open(const char* name);
    void Attribute(const char* name, const char* value);
    // "%d", without the formatting machinery: lists hold millions of numbers.
    void Attribute(const char* name, int value);
    // Closes the innermost open element.
    void Close();
    // Adds an element already written, from its '<' to its last '>' (its
    // inner lines at the depth of a child), as a child of the one open.
    void AppendElement(const char* text, size_t size);

private:
    void Indent();
    void EndStartTag();

    struct OpenElement {
        const char* name;
        bool children;
    };

    std::string& m_out;
    const char* m_lineBreak;
    int m_depth;
    std::vector<OpenElement> m_open;
};
