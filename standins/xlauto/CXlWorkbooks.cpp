#include "CXlWorkbooks.h"

#include "CXlApplication.h"
#include "StandinRecord.h"

namespace {
const DISPID kAdd = 1;
const XlMember kMembers[] = {{L"Add", kAdd}};

bool IsOmitted(const VARIANT& arg) { return arg.vt == VT_ERROR && arg.scode == DISP_E_PARAMNOTFOUND; }
}  // namespace

const XlMember* CXlWorkbooks::Members(size_t& count) const {
    count = sizeof(kMembers) / sizeof(kMembers[0]);
    return kMembers;
}

HRESULT CXlWorkbooks::InvokeMember(DISPID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    return Add(params, result, exception);
}

HRESULT CXlWorkbooks::Add(DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) {
    UINT count = PositionalCount(params);
    if (count > 1) return DISP_E_BADPARAMCOUNT;
    std::vector<SheetData> sheets;
    if (count == 0 || IsOmitted(params->rgvarg[params->cArgs - 1])) {
        StandinRecord::SetText(L"LastAddArguments", count == 0 ? L"(none)" : L"(omitted)");
        sheets.push_back(SheetData{L"Sheet1", {}});
    } else {
        VARIANT path;
        HRESULT hr = Argument(params, 0, VT_BSTR, path);
        if (FAILED(hr)) return hr;
        std::wstring file = path.bstrVal ? path.bstrVal : L"";
        VariantClear(&path);
        StandinRecord::SetText(L"LastAddArguments", file);
        if (!SpreadsheetXml::ReadFile(file, sheets))
            return Fail(exception, E_FAIL, (L"'" + file + L"' is not a workbook template that can be opened.").c_str());
    }
    m_books.emplace_back(new CXlWorkbook(m_app, m_app->NextBookNumber(), std::move(sheets)));
    if (m_app->IsVisible()) m_books.back()->Show();
    return ReturnObject(m_books.back().get(), result);
}
