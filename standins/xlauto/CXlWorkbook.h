// One workbook: Worksheets (get). Shown in a window of its own while the
// application is visible; written to the output folder when shown, when
// its window closes and when the application quits.
#pragma once

#include <memory>
#include <string>

#include "CXlObject.h"
#include "CXlWorksheets.h"

class CWorkbookWindow;

class CXlWorkbook : public CXlObject {
public:
    CXlWorkbook(CXlApplication* app, int number, std::vector<SheetData> sheets);
    ~CXlWorkbook() override;

    const std::wstring& Title() const { return m_title; }
    std::vector<const SheetData*> Sheets() const { return m_sheets->Data(); }
    bool HasWindow() const { return m_window != nullptr; }

    void Show();
    // Closes the window (which writes the file) when there is one.
    void CloseWindow();
    void OnChanged();
    // From the window, after it is gone.
    void OnWindowClosed();

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) override;
    const XlMember* Members(size_t& count) const override;

private:
    void WriteFile() const;

    std::wstring m_title;
    std::unique_ptr<CXlWorksheets> m_sheets;
    CWorkbookWindow* m_window = nullptr;
};
