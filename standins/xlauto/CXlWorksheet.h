// One worksheet: Name (put) and Cells (get).
#pragma once

#include <memory>

#include "CXlObject.h"
#include "CXlRange.h"
#include "SpreadsheetXml.h"

class CXlWorkbook;

class CXlWorksheet : public CXlObject {
public:
    CXlWorksheet(CXlApplication* app, CXlWorkbook* book, SheetData data);

    const SheetData& Data() const { return m_data; }
    void SetCell(long row, long column, const std::wstring& text);

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) override;
    const XlMember* Members(size_t& count) const override;

private:
    CXlWorkbook* m_book;
    SheetData m_data;
    std::unique_ptr<CXlRange> m_cells;
};
