// The texts of a report list view (header first) in an ANSI code page, and
// their fixed-width text layout: every column but the last padded with
// spaces to its longest text plus 5 bytes, lines separated by CR LF, the
// file ending with CR LF.
#pragma once

#include <afxcmn.h>
#include <vector>

class CListTextTable {
public:
    // The texts longer than this many bytes are cut (at a character's start).
    static const int kMaxTextBytes = 1023;

    // Reads header and cells. FALSE, with the table empty, when the list
    // has no column or no row.
    BOOL Read(CListCtrl* list, UINT codePage);
    // Writes the layout; 0, or -1 when a write failed (the file is then incomplete).
    int Write(CFile& file) const;
    // The layout's bytes.
    CStringA Format() const;

    // text in codePage, characters it lacks as the code page's default
    // character, at most kMaxTextBytes bytes without a split character.
    static CStringA ToCodePage(const CString& text, UINT codePage);
    // A header item's text, read through a 256-character buffer.
    static CString HeaderText(CHeaderCtrl* header, int column);

private:
    void AppendLine(CStringA& out, const std::vector<CStringA>& texts) const;

    std::vector<CStringA> m_header;
    std::vector<std::vector<CStringA>> m_rows;
    std::vector<int> m_widths;
};
