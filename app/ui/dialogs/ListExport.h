// The two ways the log query takes a report list's rows out of the program.
#pragma once

#include <afxcmn.h>

// Opens an exported file for the user.
using ExportedFileOpener = void (*)(const CString& path);
// The file's associated program, through the shell ("Open", shown).
void OpenWithShell(const CString& path);

// The list as a fixed-width text file in the ANSI code page, then opened.
// 0 done, also when the list has no column or row (no file then); -1 when
// the texts do not fit in memory, the file cannot be created or a write
// fails (not opened then).
int ExportListToText(CListCtrl* list, const CString& path, ExportedFileOpener open = OpenWithShell);
// As ExportListToText with the texts in codePage.
int ExportListToTextInCodePage(CListCtrl* list, const CString& path, UINT codePage, ExportedFileOpener open);

// The list into a new visible spreadsheet workbook, sheet "Log", header in
// row 1. 0 done or nothing to export (no application started then); -1
// when the spreadsheet application cannot be started or its workbook set up;
// -2 when the sheet refused a cell (the rows before it stay in the workbook).
// rowsWritten, when given, gets the number of list rows written whole.
int ExportListToExcel(CListCtrl* list, const CString& templatePath, int* rowsWritten = nullptr);
