// A worksheet's Cells: Item(row, column) = text.
#pragma once

#include "CXlObject.h"

class CXlWorksheet;

class CXlRange : public CXlObject {
public:
    CXlRange(CXlApplication* app, CXlWorksheet* sheet) : CXlObject(app), m_sheet(sheet) {}

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) override;
    const XlMember* Members(size_t& count) const override;

private:
    CXlWorksheet* m_sheet;
};
