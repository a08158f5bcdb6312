#include "CListTextTable.h"

#include <algorithm>

#include "app/ui/toolkit/CVirtualListCtrl.h"

namespace {
const int kPadding = 5;
const int kHeaderTextChars = 256;
}  // namespace

CString CListTextTable::HeaderText(CHeaderCtrl* header, int column) {
    wchar_t buffer[kHeaderTextChars] = {};
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.pszText = buffer;
    item.cchTextMax = kHeaderTextChars;
    header->GetItem(column, &item);
    return CString(buffer);
}

CStringA CListTextTable::ToCodePage(const CString& text, UINT codePage) {
    int length = text.GetLength();
    int size = length ? WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr) : 0;
    if (size <= kMaxTextBytes) {
        CStringA out;
        if (size > 0) {
            WideCharToMultiByte(codePage, 0, text, length, out.GetBuffer(size), size, nullptr, nullptr);
            out.ReleaseBuffer(size);
        }
        return out;
    }
    // Too long: converted character by character (a surrogate pair as one),
    // stopping before the first that would not fit whole.
    CStringA out;
    char bytes[8];
    for (int i = 0; i < length;) {
        int units = (IS_HIGH_SURROGATE(text[i]) && i + 1 < length && IS_LOW_SURROGATE(text[i + 1])) ? 2 : 1;
        int count = WideCharToMultiByte(codePage, 0, static_cast<LPCWSTR>(text) + i, units, bytes, sizeof(bytes),
                                        nullptr, nullptr);
        if (out.GetLength() + count > kMaxTextBytes) break;
        out.Append(bytes, count);
        i += units;
    }
    return out;
}

BOOL CListTextTable::Read(CListCtrl* list, UINT codePage) {
    m_header.clear();
    m_rows.clear();
    m_widths.clear();
    CHeaderCtrl* header = list->GetHeaderCtrl();
    int columns = header ? header->GetItemCount() : 0;
    int rows = list->GetItemCount();
    if (columns < 1 || rows < 1) return FALSE;
    m_widths.assign(static_cast<size_t>(columns), 0);
    for (int c = 0; c < columns; ++c) m_header.push_back(ToCodePage(HeaderText(header, c), codePage));
    m_rows.resize(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) m_rows[r].push_back(ToCodePage(ListCellText(*list, r, c), codePage));
    for (size_t c = 0; c < m_widths.size(); ++c) {
        int width = m_header[c].GetLength();
        for (const auto& row : m_rows) width = std::max(width, row[c].GetLength());
        m_widths[c] = width + kPadding;
    }
    return TRUE;
}

void CListTextTable::AppendLine(CStringA& out, const std::vector<CStringA>& texts) const {
    for (size_t c = 0; c < texts.size(); ++c) {
        out += texts[c];
        if (c + 1 < texts.size())
            for (int pad = texts[c].GetLength(); pad < m_widths[c]; ++pad) out += ' ';
    }
}

CStringA CListTextTable::Format() const {
    if (m_header.empty()) return CStringA();
    CStringA out;
    AppendLine(out, m_header);
    for (const auto& row : m_rows) {
        out += "\r\n";
        AppendLine(out, row);
    }
    out += "\r\n";
    return out;
}

int CListTextTable::Write(CFile& file) const {
    CStringA bytes = Format();
    try {
        file.Write(static_cast<LPCSTR>(bytes), static_cast<UINT>(bytes.GetLength()));
    } catch (CFileException* error) {
        error->Delete();
        return -1;
    }
    return 0;
}
