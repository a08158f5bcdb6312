// A report list view in a hidden parent window, filled from a table of
// texts: the first row is the header.
#pragma once

#include <afxcmn.h>

#include <string>
#include <vector>

using TextTable = std::vector<std::vector<std::wstring>>;

class ReportListFixture {
public:
    ReportListFixture();
    // Replaces columns and rows with table (header first).
    void Fill(const TextTable& table);
    CListCtrl& List() { return m_list; }

private:
    CWnd m_parent;
    CListCtrl m_list;
};
