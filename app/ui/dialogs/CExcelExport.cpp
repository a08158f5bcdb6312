#include "CExcelExport.h"

#include "app/core/FileUtil.h"

namespace {
const wchar_t kProgId[] = L"Excel.Application";
const int kMaxColumn = 255;
}  // namespace

CExcelExport::~CExcelExport() {
    if (m_open) ReleaseWorkbookObjects();
}

int CExcelExport::IsExcelAvailable() {
    COleDispatchDriver probe;
    return probe.CreateDispatch(kProgId) ? 1 : 0;
}

int CExcelExport::Open(const CString& templatePath, const CString& sheetName, BOOL visible) {
    if (m_open || !m_application.CreateDispatch(kProgId)) return -1;
    if (FAILED(OpenSteps(templatePath, sheetName, visible))) {
        // Left alone, an invisible application would keep running with nobody to end it.
        InvokeByName(m_application, L"Quit", DISPATCH_METHOD, VT_EMPTY, nullptr, AFX_VTS(VTS_NONE));
        ReleaseWorkbookObjects();
        m_application.ReleaseDispatch();
        return -1;
    }
    m_open = 1;
    return 0;
}

HRESULT CExcelExport::OpenSteps(const CString& templatePath, const CString& sheetName, BOOL visible) {
    HRESULT hr =
        InvokeByName(m_application, L"Visible", DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, AFX_VTS(VTS_BOOL), visible);
    if (SUCCEEDED(hr)) hr = GetObjectProperty(m_application, L"Workbooks", m_workbooks);
    if (SUCCEEDED(hr)) hr = AddWorkbook(templatePath);
    if (SUCCEEDED(hr)) hr = GetObjectProperty(m_workbook, L"Worksheets", m_sheets);
    if (SUCCEEDED(hr)) {
        LPDISPATCH first = nullptr;
        hr = InvokeByName(m_sheets, L"Item", DISPATCH_PROPERTYGET, VT_DISPATCH, &first, AFX_VTS(VTS_I4), 1L);
        if (SUCCEEDED(hr)) m_sheet.AttachDispatch(first);
    }
    if (SUCCEEDED(hr) && !sheetName.IsEmpty())
        hr = InvokeByName(m_sheet, L"Name", DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, AFX_VTS(VTS_BSTR),
                          static_cast<LPCWSTR>(sheetName));
    return hr;
}

HRESULT CExcelExport::AddWorkbook(const CString& templatePath) {
    COleVariant templateArgument = AfxOptionalArgument();
    if (!templatePath.IsEmpty() && FileExists(1, templatePath)) templateArgument = static_cast<LPCWSTR>(templatePath);
    LPDISPATCH workbook = nullptr;
    HRESULT hr = InvokeByName(m_workbooks, L"Add", DISPATCH_METHOD, VT_DISPATCH, &workbook, AFX_VTS(VTS_VARIANT),
                              static_cast<const VARIANT*>(templateArgument));
    if (SUCCEEDED(hr)) m_workbook.AttachDispatch(workbook);
    return hr;
}

int CExcelExport::SetCell(int row, int column, const CString& text) {
    if (!m_open || row < 1 || column < 1 || column > kMaxColumn) return -1;
    HRESULT hr = GetObjectProperty(m_sheet, L"Cells", m_cells);
    if (SUCCEEDED(hr)) {
        COleVariant value(text);
        hr = InvokeByName(m_cells, L"Item", DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, AFX_VTS(VTS_I4 VTS_I4 VTS_VARIANT),
                          static_cast<long>(row), static_cast<long>(column), static_cast<const VARIANT*>(value));
    }
    return SUCCEEDED(hr) ? 0 : -1;
}

int CExcelExport::SetVisible(BOOL visible) {
    if (!m_application.m_lpDispatch) return -1;
    HRESULT hr =
        InvokeByName(m_application, L"Visible", DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, AFX_VTS(VTS_BOOL), visible);
    return SUCCEEDED(hr) ? 0 : -1;
}

int CExcelExport::Close() {
    if (m_open) {
        ReleaseWorkbookObjects();
        m_open = 0;
    }
    return 0;
}

void CExcelExport::ReleaseWorkbookObjects() {
    m_cells.ReleaseDispatch();
    m_sheet.ReleaseDispatch();
    m_sheets.ReleaseDispatch();
    m_workbook.ReleaseDispatch();
    m_workbooks.ReleaseDispatch();
}

HRESULT CExcelExport::InvokeByName(COleDispatchDriver& target, LPCWSTR name, WORD flags, VARTYPE vtRet, void* result,
                                   const BYTE* paramInfo, ...) {
    HRESULT hr = S_OK;
    DISPID dispid = target.GetIDOfName(name, &hr);
    if (FAILED(hr)) return hr;
    va_list args;
    va_start(args, paramInfo);
    hr = target.InvokeHelperV(dispid, flags, vtRet, result, paramInfo, args);
    va_end(args);
    return hr;
}

HRESULT CExcelExport::GetObjectProperty(COleDispatchDriver& source, LPCWSTR name, COleDispatchDriver& target) {
    LPDISPATCH object = nullptr;
    HRESULT hr = InvokeByName(source, name, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, AFX_VTS(VTS_NONE));
    if (SUCCEEDED(hr)) target.AttachDispatch(object);
    return hr;
}
