#include "COleDlgTemplate.h"

#include <objbase.h>

#include <cstring>

namespace {
// Templates come from our own resources or memory: no length is given, so
// reading is bounded by a sanity limit on the item count only.
class Reader {
public:
    explicit Reader(const uint8_t* data) : m_data(data) {}
    size_t Offset() const { return m_offset; }
    void Seek(size_t offset) { m_offset = offset; }
    void AlignDword() { m_offset = (m_offset + 3) & ~size_t(3); }
    WORD Word() {
        WORD v;
        std::memcpy(&v, m_data + m_offset, 2);
        m_offset += 2;
        return v;
    }
    DWORD Dword() {
        DWORD v;
        std::memcpy(&v, m_data + m_offset, 4);
        m_offset += 4;
        return v;
    }
    short Short() { return static_cast<short>(Word()); }
    void Skip(size_t bytes) { m_offset += bytes; }
    // A text, or an ordinal (0xFFFF then the number); returns the text.
    std::wstring TextOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) {
            Word();
            return std::wstring();
        }
        std::wstring text;
        for (WORD c = first; c; c = Word()) text.push_back(static_cast<wchar_t>(c));
        return text;
    }

private:
    const uint8_t* m_data;
    size_t m_offset = 0;
};

const size_t kMaxItems = 4096;
}  // namespace

COleDlgTemplate::COleDlgTemplate(LPCDLGTEMPLATEW original) : m_original(original) {
    if (original && !Split(reinterpret_cast<const uint8_t*>(original))) {
        m_items.clear();
        m_stripped.clear();
    }
}

LPCDLGTEMPLATEW COleDlgTemplate::Template() const {
    return m_items.empty() ? m_original : reinterpret_cast<LPCDLGTEMPLATEW>(m_stripped.data());
}

bool COleDlgTemplate::Split(const uint8_t* data) {
    Reader r(data);
    WORD version = r.Word(), signature = r.Word();
    bool extended = version == 1 && signature == 0xFFFF;
    DWORD style;
    size_t countOffset;
    if (extended) {
        r.Dword();  // help id
        r.Dword();  // extended style
        style = r.Dword();
        countOffset = r.Offset();
    } else {
        r.Seek(0);
        style = r.Dword();
        r.Dword();
        countOffset = r.Offset();
    }
    WORD count = r.Word();
    if (count > kMaxItems) return false;
    r.Skip(8);          // x, y, cx, cy
    r.TextOrOrdinal();  // menu
    r.TextOrOrdinal();  // class
    r.TextOrOrdinal();  // title
    if (style & DS_SETFONT) {
        r.Word();  // point size
        if (extended) {
            r.Word();
            r.Skip(2);
        }  // weight, italic, charset
        r.TextOrOrdinal();
    }
    r.AlignDword();
    size_t headerEnd = r.Offset();
    struct Span {
        size_t begin, end;
    };
    std::vector<Span> kept;
    for (size_t index = 0; index < count; ++index) {
        r.AlignDword();
        size_t begin = r.Offset();
        Item item = {};
        if (extended) {
            r.Dword();  // help id
            r.Dword();  // extended style
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            r.Dword();
        }
        short x = r.Short(), y = r.Short(), cx = r.Short(), cy = r.Short();
        item.id = extended ? r.Dword() : r.Word();
        std::wstring className = r.TextOrOrdinal();
        item.title = r.TextOrOrdinal();
        WORD extra = r.Word();
        r.Skip((extra + 1) & ~1u);
        size_t end = r.Offset();
        item.rectDlu = {x, y, x + cx, y + cy};
        item.position = index;
        if (!className.empty() && className[0] == L'{' &&
            SUCCEEDED(::CLSIDFromString(className.c_str(), &item.clsid))) {
            m_items.push_back(item);
        } else {
            kept.push_back({begin, end});
        }
    }
    if (m_items.empty()) return true;
    m_stripped.assign(data, data + headerEnd);
    for (const Span& s : kept) {
        m_stripped.resize((m_stripped.size() + 3) & ~size_t(3), 0);
        m_stripped.insert(m_stripped.end(), data + s.begin, data + s.end);
    }
    WORD keptCount = static_cast<WORD>(kept.size());
    std::memcpy(m_stripped.data() + countOffset, &keptCount, 2);
    return true;
}
