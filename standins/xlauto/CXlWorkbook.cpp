#include "CXlWorkbook.h"

#include "CWorkbookWindow.h"
#include "CXlApplication.h"
#include "StandinRecord.h"

namespace {
const DISPID kWorksheets = 1;
const XlMember kMembers[] = {{L"Worksheets", kWorksheets}};
}  // namespace

CXlWorkbook::CXlWorkbook(CXlApplication* app, int number, std::vector<SheetData> sheets)
    : CXlObject(app),
      m_title(L"Book" + std::to_wstring(number)),
      m_sheets(new CXlWorksheets(app, this, std::move(sheets))) {}

CXlWorkbook::~CXlWorkbook() { CloseWindow(); }

const XlMember* CXlWorkbook::Members(size_t& count) const {
    count = sizeof(kMembers) / sizeof(kMembers[0]);
    return kMembers;
}

void CXlWorkbook::Show() {
    if (!m_window) m_window = CWorkbookWindow::Open(this);
    WriteFile();
}

void CXlWorkbook::CloseWindow() {
    if (m_window) m_window->Close();
}

void CXlWorkbook::OnChanged() {
    if (m_window) m_window->Refresh();
}

void CXlWorkbook::OnWindowClosed() {
    m_window = nullptr;
    WriteFile();
    m_app->OnWindowClosed();
}

void CXlWorkbook::WriteFile() const {
    std::wstring folder = StandinRecord::OutputFolder();
    if (!folder.empty()) SpreadsheetXml::WriteFile(folder + L"\\" + m_title + L".xml", Sheets());
}

HRESULT CXlWorkbook::InvokeMember(DISPID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*) {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    return PositionalCount(params) ? DISP_E_BADPARAMCOUNT : ReturnObject(m_sheets.get(), result);
}
