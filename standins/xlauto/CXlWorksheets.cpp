#include "CXlWorksheets.h"

namespace {
const DISPID kItem = 1;
const XlMember kMembers[] = {{L"Item", kItem}};
}  // namespace

CXlWorksheets::CXlWorksheets(CXlApplication* app, CXlWorkbook* book, std::vector<SheetData> sheets) : CXlObject(app) {
    for (SheetData& sheet : sheets) m_sheets.emplace_back(new CXlWorksheet(app, book, std::move(sheet)));
}

const XlMember* CXlWorksheets::Members(size_t& count) const {
    count = sizeof(kMembers) / sizeof(kMembers[0]);
    return kMembers;
}

std::vector<const SheetData*> CXlWorksheets::Data() const {
    std::vector<const SheetData*> data;
    for (const auto& sheet : m_sheets) data.push_back(&sheet->Data());
    return data;
}

HRESULT CXlWorksheets::InvokeMember(DISPID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*) {
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (PositionalCount(params) != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT index;
    HRESULT hr = Argument(params, 0, VT_I4, index);
    if (FAILED(hr)) return hr;
    if (index.lVal < 1 || static_cast<size_t>(index.lVal) > m_sheets.size()) return DISP_E_BADINDEX;
    return ReturnObject(m_sheets[static_cast<size_t>(index.lVal) - 1].get(), result);
}
