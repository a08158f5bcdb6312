// A new spreadsheet workbook filled cell by cell through the spreadsheet
// program's automation interface ("Excel.Application"). Members are bound
// by name, so any server with that object model serves.
#pragma once

#include <afxdisp.h>

class CExcelExport {
public:
    CExcelExport() = default;
    ~CExcelExport();
    CExcelExport(const CExcelExport&) = delete;
    CExcelExport& operator=(const CExcelExport&) = delete;

    // 1 when "Excel.Application" can be created (released again at once), else 0.
    static int IsExcelAvailable();

    // Starts the application, shows or hides it, adds a workbook (from
    // templatePath when that file exists) and names its first sheet
    // (unless sheetName is empty). 0, or -1 when already open, when the
    // application cannot be created, or when a step fails: then the
    // application is told to quit and everything is released.
    int Open(const CString& templatePath, const CString& sheetName, BOOL visible);
    // 0, or -1 when not open, row < 1, column outside 1..255, or the server refused.
    int SetCell(int row, int column, const CString& text);
    // 0, or -1 when no application is attached or the server refused.
    int SetVisible(BOOL visible);
    // 0. Releases the workbook's objects; the application stays attached.
    int Close();

    BOOL IsOpen() const { return m_open; }

private:
    // Invokes the member called name of target; the HRESULT of the binding or the call.
    static HRESULT InvokeByName(COleDispatchDriver& target, LPCWSTR name, WORD flags, VARTYPE vtRet, void* result,
                                const BYTE* paramInfo, ...);
    // target = source.name (an object); the HRESULT.
    static HRESULT GetObjectProperty(COleDispatchDriver& source, LPCWSTR name, COleDispatchDriver& target);
    HRESULT OpenSteps(const CString& templatePath, const CString& sheetName, BOOL visible);
    HRESULT AddWorkbook(const CString& templatePath);
    void ReleaseWorkbookObjects();

    COleDispatchDriver m_cells;
    COleDispatchDriver m_sheet;
    COleDispatchDriver m_sheets;
    COleDispatchDriver m_workbook;
    COleDispatchDriver m_workbooks;
    COleDispatchDriver m_application;
    int m_open = 0;
};
