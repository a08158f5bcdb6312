// Exports a fixed log list through the spreadsheet stand-in into the folder
// given as the argument, for the read-back through an independent
// spreadsheet program. Exit status 0 when the export reported success.
#include "app/ui/dialogs/ListExport.h"

#include "../ReportListFixture.h"
#include "../StandinWorkbookWindows.h"

#include <ole2.h>

namespace {
const wchar_t kStandinKey[] = L"Software\\Dodavozi\\SpreadsheetStandin";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    OleInitialize(nullptr);
    RegSetKeyValueW(HKEY_CURRENT_USER, kStandinKey, L"OutputFolder", REG_SZ, argv[1],
                    static_cast<DWORD>((wcslen(argv[1]) + 1) * sizeof(wchar_t)));
    int result;
    {
        ReportListFixture fixture;
        fixture.Fill({
            {L"No.", L"User", L"Text"},
            {L"1", L"admin", L"He said \"stop\" & left <early>"},
            {L"2", L"caf\u00e9", L"\u65e5\u672c\u8a9e, 'quoted'"},
        });
        result = ExportListToExcel(&fixture.List(), CString());
        for (HWND window : StandinWorkbookWindows()) DestroyWindow(window);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kStandinKey);
    return result == 0 ? 0 : 1;
}
