#include "XmlSalvage.h"

#include <cstring>
#include <vector>

#include "XmlFile.h"

namespace {

// A place where a record or a section has just ended (or a section begun):
// the text up to end, with openSection (when not empty) still to be closed.
struct Checkpoint {
    size_t end;
    std::string openSection;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Follows the nesting of elements well enough to find the checkpoints; it
// judges nothing else, the parser does.
class RecordScanner {
public:
    explicit RecordScanner(const std::string& text) : m_text(text) {}

    std::vector<Checkpoint> Scan() {
        size_t p = 0;
        while ((p = m_text.find('<', p)) != std::string::npos) {
            if (!ReadMarkup(p)) break;
        }
        return m_checkpoints;
    }

private:
    bool Starts(size_t p, const char* text) const { return m_text.compare(p, std::strlen(text), text) == 0; }

    // Moves p past the terminator; false when the text ends first.
    bool SkipPast(size_t& p, const char* terminator) const {
        const size_t found = m_text.find(terminator, p);
        if (found == std::string::npos) return false;
        p = found + std::strlen(terminator);
        return true;
    }

    bool ReadMarkup(size_t& p) {
        if (Starts(p, "<!--")) return SkipPast(p, "-->");
        if (Starts(p, "<![CDATA[")) return SkipPast(p, "]]>");
        if (Starts(p, "<?")) return SkipPast(p, "?>");
        if (Starts(p, "<!")) return SkipPast(p, ">");
        if (Starts(p, "</")) return ReadEndTag(p);
        return ReadStartTag(p);
    }

    bool ReadEndTag(size_t& p) {
        if (!SkipPast(p, ">")) return false;
        if (!m_open.empty()) m_open.pop_back();
        MarkIfShallow(p);
        return true;
    }

    // A start tag or an empty element, quoted values skipped whole.
    bool ReadStartTag(size_t& p) {
        size_t q = p + 1;
        while (q < m_text.size() && !IsSpace(m_text[q]) && m_text[q] != '/' && m_text[q] != '>') ++q;
        const std::string name = m_text.substr(p + 1, q - p - 1);
        char last = 0;
        for (; q < m_text.size(); ++q) {
            const char c = m_text[q];
            if (c == '"' || c == '\'') {
                q = m_text.find(c, q + 1);
                if (q == std::string::npos) return false;
            } else if (c == '>') {
                break;
            }
            if (!IsSpace(c)) last = c;
        }
        if (q >= m_text.size()) return false;
        p = q + 1;
        if (last == '/') {
            MarkIfShallow(p);
        } else {
            m_open.push_back(name);
            if (m_open.size() == 1) m_checkpoints.push_back({p, name});
        }
        return true;
    }

    // A record or a section ended at p.
    void MarkIfShallow(size_t p) {
        if (m_open.size() <= 1) m_checkpoints.push_back({p, m_open.empty() ? std::string() : m_open[0]});
    }

    const std::string& m_text;
    std::vector<std::string> m_open;
    std::vector<Checkpoint> m_checkpoints;
};

bool ParsesUpTo(const std::string& text, const Checkpoint& checkpoint, TiXmlDocument& doc) {
    std::string part = text.substr(0, checkpoint.end);
    if (!checkpoint.openSection.empty()) part += "</" + checkpoint.openSection + ">";
    return ParseXmlText(part, doc) == 0;
}

int CountRecords(const TiXmlDocument& doc) {
    int records = 0;
    for (const TiXmlElement* section = doc.FirstChildElement(); section; section = section->NextSiblingElement()) {
        for (const TiXmlElement* record = section->FirstChildElement(); record; record = record->NextSiblingElement())
            ++records;
    }
    return records;
}

}  // namespace

int SalvageXmlText(const std::string& text, TiXmlDocument& doc) {
    const std::vector<Checkpoint> checkpoints = RecordScanner(text).Scan();
    int lastParsed = -1;  // the checkpoint doc holds now
    auto parses = [&](int index) {
        const bool parsed = ParsesUpTo(text, checkpoints[index], doc);
        lastParsed = parsed ? index : -1;
        return parsed;
    };
    // Every beginning that ends before the damage parses and none that
    // reaches past it does, so the last one that parses is found by halving;
    // a cut tail, the usual damage, is settled by the first try.
    int good = -1;
    int bad = static_cast<int>(checkpoints.size());
    if (bad > 0 && parses(bad - 1))
        good = bad - 1;
    else
        --bad;
    while (bad - good > 1) {
        const int middle = good + (bad - good) / 2;
        if (parses(middle))
            good = middle;
        else
            bad = middle;
    }
    if (good < 0 || (lastParsed != good && !parses(good))) {
        doc.Clear();
        return 0;
    }
    return CountRecords(doc);
}
