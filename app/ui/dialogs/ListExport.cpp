#include "ListExport.h"

#include <shellapi.h>

#include <new>

#include "CExcelExport.h"
#include "CListTextTable.h"
#include "app/ui/toolkit/CVirtualListCtrl.h"

void OpenWithShell(const CString& path)
{
    ShellExecuteW(nullptr, L"Open", path, nullptr, nullptr, SW_SHOW);
}

int ExportListToText(CListCtrl* list, const CString& path, ExportedFileOpener open)
{
    return ExportListToTextInCodePage(list, path, CP_ACP, open);
}

int ExportListToTextInCodePage(CListCtrl* list, const CString& path, UINT codePage, ExportedFileOpener open)
{
    CListTextTable table;
    try {
        if (!table.Read(list, codePage))
            return 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive))
        return -1;
    int result = table.Write(file);
    try {
        file.Close();
    } catch (CFileException* error) {
        error->Delete();
        result = -1;
    }
    if (result == 0 && open)
        open(path);
    return result;
}

int ExportListToExcel(CListCtrl* list, const CString& templatePath)
{
    CHeaderCtrl* header = list->GetHeaderCtrl();
    int columns = header ? header->GetItemCount() : 0;
    int rows = list->GetItemCount();
    if (columns < 1 || rows < 1)
        return 0;
    CExcelExport excel;
    if (excel.Open(templatePath, L"Log", FALSE) != 0)
        return -1;
    for (int c = 0; c < columns; ++c)
        excel.SetCell(1, c + 1, CListTextTable::HeaderText(header, c));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            excel.SetCell(r + 2, c + 1, ListCellText(*list, r, c));
    excel.SetVisible(TRUE);
    excel.Close();
    return 0;
}
