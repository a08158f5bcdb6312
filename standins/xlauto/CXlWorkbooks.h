// The application's Workbooks: Add([Template]). A template must be a
// workbook file of the stand-in's own format; anything else is refused.
#pragma once

#include <memory>
#include <vector>

#include "CXlObject.h"
#include "CXlWorkbook.h"

class CXlWorkbooks : public CXlObject {
public:
    explicit CXlWorkbooks(CXlApplication* app) : CXlObject(app) {}

    const std::vector<std::unique_ptr<CXlWorkbook>>& Books() const { return m_books; }

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) override;
    const XlMember* Members(size_t& count) const override;

private:
    HRESULT Add(DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception);

    std::vector<std::unique_ptr<CXlWorkbook>> m_books;
};
