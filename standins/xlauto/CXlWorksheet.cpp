#include "CXlWorksheet.h"

#include "CXlWorkbook.h"

namespace {
const DISPID kName = 1, kCells = 2;
const XlMember kMembers[] = {{L"Name", kName}, {L"Cells", kCells}};

// Names the file format accepts: 1 to 31 characters, none of : \ / ? * [ ].
bool IsValidSheetName(const wchar_t* name) {
    size_t length = wcslen(name);
    return length >= 1 && length <= 31 && !wcspbrk(name, L":\\/?*[]");
}
}  // namespace

CXlWorksheet::CXlWorksheet(CXlApplication* app, CXlWorkbook* book, SheetData data)
    : CXlObject(app), m_book(book), m_data(std::move(data)), m_cells(new CXlRange(app, this)) {}

const XlMember* CXlWorksheet::Members(size_t& count) const {
    count = sizeof(kMembers) / sizeof(kMembers[0]);
    return kMembers;
}

void CXlWorksheet::SetCell(long row, long column, const std::wstring& text) {
    if (text.empty())
        m_data.cells.erase({row, column});
    else
        m_data.cells[{row, column}] = text;
    m_book->OnChanged();
}

HRESULT CXlWorksheet::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) {
    if (id == kCells) {
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        return PositionalCount(params) ? DISP_E_BADPARAMCOUNT : ReturnObject(m_cells.get(), result);
    }
    if (!(flags & DISPATCH_PROPERTYPUT)) return DISP_E_MEMBERNOTFOUND;
    VARIANT name;
    HRESULT hr = PutValue(params, VT_BSTR, name);
    if (FAILED(hr)) return hr;
    const wchar_t* text = name.bstrVal ? name.bstrVal : L"";
    if (!IsValidSheetName(text)) {
        VariantClear(&name);
        return Fail(exception, E_INVALIDARG, L"A sheet name has 1 to 31 characters and none of : \\ / ? * [ ].");
    }
    m_data.name = text;
    VariantClear(&name);
    m_book->OnChanged();
    return S_OK;
}
