// A workbook's Worksheets: Item(index from 1) (get).
#pragma once

#include <memory>
#include <vector>

#include "CXlObject.h"
#include "CXlWorksheet.h"

class CXlWorksheets : public CXlObject {
public:
    CXlWorksheets(CXlApplication* app, CXlWorkbook* book, std::vector<SheetData> sheets);

    std::vector<const SheetData*> Data() const;

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) override;
    const XlMember* Members(size_t& count) const override;

private:
    std::vector<std::unique_ptr<CXlWorksheet>> m_sheets;
};
