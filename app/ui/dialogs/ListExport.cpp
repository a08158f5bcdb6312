#include "ListExport.h"

#include <shellapi.h>

#include <new>

#include "CExcelExport.h"
#include "CListTextTable.h"
#include "app/ui/toolkit/CVirtualListCtrl.h"

void OpenWithShell(const CString& path) { ShellExecuteW(nullptr, L"Open", path, nullptr, nullptr, SW_SHOW); }

int ExportListToText(CListCtrl* list, const CString& path, ExportedFileOpener open) {
    return ExportListToTextInCodePage(list, path, CP_ACP, open);
}

int ExportListToTextInCodePage(CListCtrl* list, const CString& path, UINT codePage, ExportedFileOpener open) {
    CListTextTable table;
    try {
        if (!table.Read(list, codePage)) return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive)) return -1;
    int result = table.Write(file);
    try {
        file.Close();
    } catch (CFileException* error) {
        error->Delete();
        result = -1;
    }
    if (result == 0 && open) open(path);
    return result;
}

int ExportListToExcel(CListCtrl* list, const CString& templatePath, int* rowsWritten) {
    if (rowsWritten) *rowsWritten = 0;
    CHeaderCtrl* header = list->GetHeaderCtrl();
    int columns = header ? header->GetItemCount() : 0;
    int rows = list->GetItemCount();
    if (columns < 1 || rows < 1) return 0;
    CExcelExport excel;
    if (excel.Open(templatePath, L"Log", FALSE) != 0) return -1;
    // A cell the sheet refuses (past its last row) ends the export: the
    // workbook is shown with what it took, and the caller says it failed.
    int result = 0;
    for (int c = 0; c < columns && result == 0; ++c)
        result = excel.SetCell(1, c + 1, CListTextTable::HeaderText(header, c));
    for (int r = 0; r < rows && result == 0; ++r) {
        for (int c = 0; c < columns && result == 0; ++c)
            result = excel.SetCell(r + 2, c + 1, ListCellText(*list, r, c));
        if (result == 0 && rowsWritten) *rowsWritten = r + 1;
    }
    excel.SetVisible(TRUE);
    excel.Close();
    return result == 0 ? 0 : -2;
}
