#include "CXlRange.h"

#include "CXlWorksheet.h"

namespace {
const DISPID kItem = 1;
const XlMember kMembers[] = {{L"Item", kItem}};
// The sheet size of the 2003 file format.
const long kMaxRows = 65536;
const long kMaxColumns = 256;
}  // namespace

const XlMember* CXlRange::Members(size_t& count) const {
    count = sizeof(kMembers) / sizeof(kMembers[0]);
    return kMembers;
}

HRESULT CXlRange::InvokeMember(DISPID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO* exception) {
    if (!(flags & DISPATCH_PROPERTYPUT)) return DISP_E_MEMBERNOTFOUND;
    if (PositionalCount(params) != 2) return DISP_E_BADPARAMCOUNT;
    VARIANT row, column, value;
    HRESULT hr = Argument(params, 0, VT_I4, row);
    if (SUCCEEDED(hr)) hr = Argument(params, 1, VT_I4, column);
    if (FAILED(hr)) return hr;
    if (row.lVal < 1 || row.lVal > kMaxRows || column.lVal < 1 || column.lVal > kMaxColumns) return DISP_E_BADINDEX;
    hr = PutValue(params, VT_BSTR, value);
    if (FAILED(hr)) return hr;
    m_sheet->SetCell(row.lVal, column.lVal, value.bstrVal ? value.bstrVal : L"");
    VariantClear(&value);
    return S_OK;
}
