// Workbooks as SpreadsheetML 2003 files: UTF-8, every text escaped, cells
// as strings. Reading accepts what writing produces (the templates a
// workbook can be added from) and refuses anything else.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

struct SheetData {
    std::wstring name;
    // (row, column), both from 1, to the cell's text.
    std::map<std::pair<long, long>, std::wstring> cells;
};

namespace SpreadsheetXml {

std::string Format(const std::vector<const SheetData*>& sheets);
// false when the text is not such a workbook or holds no sheet.
bool Parse(const std::string& text, std::vector<SheetData>& sheets);

bool WriteFile(const std::wstring& path, const std::vector<const SheetData*>& sheets);
bool ReadFile(const std::wstring& path, std::vector<SheetData>& sheets);

}  // namespace SpreadsheetXml
