// The spreadsheet export against the automation stand-in registered in the
// test prefix under "Excel.Application" (in-process: it lives in this test).
#include "app/ui/dialogs/CExcelExport.h"
#include "app/ui/dialogs/ListExport.h"
#include "standins/xlauto/SpreadsheetXml.h"

#include <gtest/gtest.h>

#include "ReportListFixture.h"
#include "StandinWorkbookWindows.h"
#include "tests/support/TempDir.h"

namespace {

const wchar_t kStandinKey[] = L"Software\\Dodavozi\\SpreadsheetStandin";

// The stand-in's record key, naming dir as its output folder while it lives.
class StandinRecordKey {
public:
    explicit StandinRecordKey(const std::wstring& folder) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kStandinKey);
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kStandinKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
        RegSetValueExW(key, L"OutputFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ~StandinRecordKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kStandinKey); }

    DWORD Count(const wchar_t* name) const {
        DWORD value = 0, size = sizeof(value);
        RegGetValueW(HKEY_CURRENT_USER, kStandinKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
        return value;
    }
    std::wstring Text(const wchar_t* name) const {
        wchar_t buffer[MAX_PATH] = {};
        DWORD size = sizeof(buffer);
        RegGetValueW(HKEY_CURRENT_USER, kStandinKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size);
        return buffer;
    }
};

// Removes the ProgID's class while it lives, as on a machine without the program.
class ProgIdHidden {
public:
    ProgIdHidden() {
        DWORD size = sizeof(m_clsid);
        m_had = RegGetValueW(HKEY_CLASSES_ROOT, L"Excel.Application\\CLSID", nullptr, RRF_RT_REG_SZ, nullptr, m_clsid,
                             &size) == ERROR_SUCCESS &&
                m_clsid[0] != L'\0';
        RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Excel.Application\\CLSID");
    }
    // Puts back only what was there: an empty class written back would look
    // registered to the test set-up and hide the stand-in for good.
    ~ProgIdHidden() {
        if (!m_had) return;
        RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Excel.Application\\CLSID", nullptr, REG_SZ, m_clsid,
                        static_cast<DWORD>((wcslen(m_clsid) + 1) * sizeof(wchar_t)));
    }

private:
    wchar_t m_clsid[64] = {};
    bool m_had = false;
};

// The only workbook file in folder, parsed; fails the test otherwise.
std::vector<SheetData> ReadOnlyWorkbook(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.xml").c_str(), &data);
    std::vector<SheetData> sheets;
    if (find == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "no workbook written";
        return sheets;
    }
    std::wstring name = data.cFileName;
    EXPECT_FALSE(FindNextFileW(find, &data)) << "more than one workbook written";
    FindClose(find);
    EXPECT_TRUE(SpreadsheetXml::Parse(ReadWholeFile(folder + L"\\" + name), sheets));
    return sheets;
}

class ExcelExportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void TearDown() override {
        for (HWND window : StandinWorkbookWindows()) DestroyWindow(window);
        EXPECT_EQ(0u, record.Count(L"ApplicationsRunning"));
    }

    TempDir dir;
    StandinRecordKey record{dir.Path()};
    ReportListFixture fixture;
};

const TextTable kLogTable = {
    {L"No.", L"User", L"Text"},
    {L"1", L"admin", L"He said \"stop\" & left <early>"},
    {L"2", L"caf\u00e9", L"\u65e5\u672c\u8a9e"},
};

TEST_F(ExcelExportTest, ExportLeavesAVisibleWorkbookHoldingTheList) {
    fixture.Fill(kLogTable);
    ASSERT_EQ(0, ExportListToExcel(&fixture.List(), CString()));

    EXPECT_EQ(1u, record.Count(L"ApplicationsCreated"));
    EXPECT_EQ(L"(omitted)", record.Text(L"LastAddArguments"));
    // Everything the export was handed is released; the user's window keeps the workbook.
    EXPECT_EQ(0u, record.Count(L"LiveObjects"));
    EXPECT_EQ(1u, record.Count(L"ApplicationsRunning"));
    std::vector<HWND> windows = StandinWorkbookWindows();
    ASSERT_EQ(1u, windows.size());
    EXPECT_TRUE(IsWindowVisible(windows[0]));

    std::vector<SheetData> sheets = ReadOnlyWorkbook(dir.Path());
    ASSERT_EQ(1u, sheets.size());
    EXPECT_EQ(L"Log", sheets[0].name);
    std::map<std::pair<long, long>, std::wstring> expected;
    for (size_t r = 0; r < kLogTable.size(); ++r)
        for (size_t c = 0; c < kLogTable[r].size(); ++c)
            expected[{static_cast<long>(r + 1), static_cast<long>(c + 1)}] = kLogTable[r][c];
    EXPECT_EQ(expected, sheets[0].cells);

    // Closing the window ends the application, writing the workbook once more.
    DeleteFileW(dir.File(L"Book1.xml").c_str());
    DestroyWindow(windows[0]);
    EXPECT_EQ(0u, record.Count(L"ApplicationsRunning"));
    EXPECT_EQ(expected, ReadOnlyWorkbook(dir.Path()).at(0).cells);
}

TEST_F(ExcelExportTest, AddsTheWorkbookFromAnExistingTemplateOnly) {
    SheetData templateSheet{L"Form", {{{5, 1}, L"kept"}}};
    std::wstring templatePath = dir.File(L"form.tpl");
    ASSERT_TRUE(SpreadsheetXml::WriteFile(templatePath, {&templateSheet}));
    std::wstring output = dir.File(L"out");
    CreateDirectoryW(output.c_str(), nullptr);
    StandinRecordKey outputRecord(output);
    {
        CExcelExport excel;
        ASSERT_EQ(0, excel.Open(templatePath.c_str(), L"Log", FALSE));
        EXPECT_EQ(templatePath, outputRecord.Text(L"LastAddArguments"));
        EXPECT_EQ(0, excel.SetCell(1, 1, L"x"));
        EXPECT_EQ(0, excel.SetVisible(TRUE));
        EXPECT_EQ(0, excel.Close());
    }
    std::vector<SheetData> sheets = ReadOnlyWorkbook(output);
    ASSERT_EQ(1u, sheets.size());
    EXPECT_EQ(L"Log", sheets[0].name);
    EXPECT_EQ((std::map<std::pair<long, long>, std::wstring>{{{1, 1}, L"x"}, {{5, 1}, L"kept"}}), sheets[0].cells);
    for (HWND window : StandinWorkbookWindows()) DestroyWindow(window);

    CExcelExport missing;
    ASSERT_EQ(0, missing.Open(dir.File(L"absent.tpl").c_str(), CString(), FALSE));
    EXPECT_EQ(L"(omitted)", outputRecord.Text(L"LastAddArguments"));
    EXPECT_EQ(0, missing.SetVisible(TRUE));
}

TEST_F(ExcelExportTest, NothingIsReferencedAfterCloseAndDestruction) {
    {
        CExcelExport excel;
        ASSERT_EQ(0, excel.Open(CString(), L"Log", FALSE));
        for (int i = 1; i <= 20; ++i) ASSERT_EQ(0, excel.SetCell(i, 1, L"cell"));
        // Each cell re-attaches Cells: what it replaced must be gone, not piled up.
        EXPECT_LE(record.Count(L"LiveObjects"), 6u);
        EXPECT_EQ(0, excel.Close());
        EXPECT_EQ(1u, record.Count(L"LiveObjects"));
        // Still attached: the application can be shown, and so ends with its window.
        EXPECT_EQ(0, excel.SetVisible(TRUE));
    }
    EXPECT_EQ(0u, record.Count(L"LiveObjects"));
    // Destroyed while open: the destructor releases the same objects.
    {
        CExcelExport excel;
        ASSERT_EQ(0, excel.Open(CString(), CString(), TRUE));
    }
    EXPECT_EQ(0u, record.Count(L"LiveObjects"));
}

TEST_F(ExcelExportTest, RefusesCellsOutsideTheSheetAndASecondOpen) {
    CExcelExport excel;
    EXPECT_EQ(-1, excel.SetCell(1, 1, L"closed"));
    EXPECT_EQ(-1, excel.SetVisible(TRUE));
    ASSERT_EQ(0, excel.Open(CString(), L"Log", FALSE));
    EXPECT_EQ(-1, excel.Open(CString(), L"Log", FALSE));
    const struct {
        int row, column, result;
    } cells[] = {
        {0, 1, -1},
        {1, 0, -1},
        {1, 256, -1},
        {-5, 3, -1},
        {1, 255, 0},
        {1, 1, 0},
        {65536, 2, 0},
        // Past the stand-in's last row: the server's refusal comes back too.
        {65537, 2, -1},
    };
    for (const auto& c : cells) EXPECT_EQ(c.result, excel.SetCell(c.row, c.column, L"v")) << c.row << "," << c.column;
    EXPECT_EQ(0, excel.SetVisible(TRUE));
    EXPECT_EQ(0, excel.Close());
    std::vector<SheetData> sheets = ReadOnlyWorkbook(dir.Path());
    ASSERT_EQ(1u, sheets.size());
    EXPECT_EQ(3u, sheets[0].cells.size());
}

// A list longer than the sheet: the rows up to its last one stay in the
// workbook, and the export says it failed and how many rows it wrote.
TEST_F(ExcelExportTest, RowsPastTheSheetsEndFailTheExportWithTheCountWritten) {
    const int sheetRows = 65536;
    TextTable table = {{L"No."}};
    for (int r = 1; r <= sheetRows; ++r) table.push_back({std::to_wstring(r)});
    fixture.Fill(table);
    int written = -1;
    EXPECT_EQ(-2, ExportListToExcel(&fixture.List(), CString(), &written));
    // The header takes the sheet's first row.
    EXPECT_EQ(sheetRows - 1, written);
    std::vector<SheetData> sheets = ReadOnlyWorkbook(dir.Path());
    ASSERT_EQ(1u, sheets.size());
    EXPECT_EQ(static_cast<size_t>(sheetRows), sheets[0].cells.size());
    EXPECT_EQ(std::to_wstring(sheetRows - 1), (sheets[0].cells[{sheetRows, 1}]));
    EXPECT_EQ(0u, record.Count(L"LiveObjects"));
}

TEST_F(ExcelExportTest, WithoutTheProgramTheExportFailsAndWritesNothing) {
    fixture.Fill(kLogTable);
    {
        ProgIdHidden hidden;
        EXPECT_EQ(0, CExcelExport::IsExcelAvailable());
        EXPECT_EQ(-1, ExportListToExcel(&fixture.List(), CString()));
    }
    EXPECT_EQ(0u, record.Count(L"ApplicationsCreated"));
    EXPECT_FALSE(PathExists(dir.File(L"Book1.xml")));
    EXPECT_EQ(1, CExcelExport::IsExcelAvailable());
    EXPECT_EQ(1u, record.Count(L"ApplicationsCreated"));
    EXPECT_EQ(0u, record.Count(L"LiveObjects"));
    EXPECT_EQ(0u, record.Count(L"ApplicationsQuit"));
}

TEST_F(ExcelExportTest, AnEmptyListStartsNoApplication) {
    fixture.Fill({{L"No.", L"Date"}});
    EXPECT_EQ(0, ExportListToExcel(&fixture.List(), CString()));
    fixture.Fill({});
    EXPECT_EQ(0, ExportListToExcel(&fixture.List(), CString()));
    EXPECT_EQ(0u, record.Count(L"ApplicationsCreated"));
}

TEST_F(ExcelExportTest, AFailingAddQuitsTheApplication) {
    std::wstring junk = dir.File(L"junk.tpl");
    ASSERT_TRUE(WriteWholeFile(junk, "not a workbook"));
    fixture.Fill(kLogTable);
    EXPECT_EQ(-1, ExportListToExcel(&fixture.List(), junk.c_str()));
    EXPECT_EQ(junk, record.Text(L"LastAddArguments"));
    EXPECT_EQ(1u, record.Count(L"ApplicationsCreated"));
    EXPECT_EQ(1u, record.Count(L"ApplicationsQuit"));
    EXPECT_EQ(0u, record.Count(L"LiveObjects"));
    EXPECT_TRUE(StandinWorkbookWindows().empty());
}

// The dispatch driver against the stand-in: names, arguments and failures.
TEST_F(ExcelExportTest, DispatchDriverReportsEveryFailureAsAResult) {
    COleDispatchDriver app;
    ASSERT_TRUE(app.CreateDispatch(L"Excel.Application"));
    HRESULT hr = S_OK;
    EXPECT_EQ(DISPID_UNKNOWN, app.GetIDOfName(L"ActiveWorkbook", &hr));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, hr);

    LPDISPATCH object = nullptr;
    ASSERT_EQ(S_OK, app.GetProperty(app.GetIDOfName(L"Workbooks"), VT_DISPATCH, &object));
    COleDispatchDriver books(object);
    object = nullptr;
    // Add with its optional argument absent altogether.
    ASSERT_EQ(S_OK,
              books.InvokeHelper(books.GetIDOfName(L"add"), DISPATCH_METHOD, VT_DISPATCH, &object, AFX_VTS(VTS_NONE)));
    EXPECT_EQ(L"(none)", record.Text(L"LastAddArguments"));
    COleDispatchDriver book(object);
    EXPECT_NE(S_OK, books.InvokeHelper(books.GetIDOfName(L"Add"), DISPATCH_METHOD, VT_DISPATCH, &object,
                                       AFX_VTS(VTS_BSTR), dir.File(L"none.tpl").c_str()));
    EXPECT_FALSE(books.GetLastErrorText().IsEmpty());

    ASSERT_EQ(S_OK, book.GetProperty(book.GetIDOfName(L"Worksheets"), VT_DISPATCH, &object));
    COleDispatchDriver sheets(object);
    DISPID item = sheets.GetIDOfName(L"Item");
    EXPECT_EQ(DISP_E_BADINDEX,
              sheets.InvokeHelper(item, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, AFX_VTS(VTS_I4), 2L));
    ASSERT_EQ(S_OK, sheets.InvokeHelper(item, DISPATCH_PROPERTYGET, VT_DISPATCH, &object, AFX_VTS(VTS_I2), 1));
    COleDispatchDriver sheet(object);

    DISPID name = sheet.GetIDOfName(L"Name");
    EXPECT_EQ(E_INVALIDARG, sheet.SetProperty(name, VT_BSTR, L"bad/name"));
    EXPECT_FALSE(sheet.GetLastErrorText().IsEmpty());
    EXPECT_EQ(S_OK, sheet.SetProperty(name, VT_BSTR, L"Renamed"));
    // A put whose value is not named DISPID_PROPERTYPUT is refused.
    VARIANT value;
    VariantInit(&value);
    DISPPARAMS unnamed = {&value, nullptr, 1, 0};
    EXPECT_EQ(DISP_E_PARAMNOTFOUND,
              sheet.m_lpDispatch->Invoke(name, IID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamed, nullptr, nullptr, nullptr));

    // Re-attaching Cells releases the one held before.
    COleDispatchDriver cells;
    DISPID cellsId = sheet.GetIDOfName(L"Cells");
    DWORD before = record.Count(L"LiveObjects");
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(S_OK, sheet.GetProperty(cellsId, VT_DISPATCH, &object));
        cells.AttachDispatch(object);
    }
    EXPECT_EQ(before + 1, record.Count(L"LiveObjects"));
    LPDISPATCH detached = cells.DetachDispatch();
    EXPECT_EQ(nullptr, cells.m_lpDispatch);
    detached->Release();
    EXPECT_EQ(before, record.Count(L"LiveObjects"));

    DISPID quit = app.GetIDOfName(L"Quit");
    EXPECT_EQ(S_OK, app.InvokeHelper(quit, DISPATCH_METHOD, VT_EMPTY, nullptr, AFX_VTS(VTS_NONE)));
    EXPECT_EQ(RPC_E_DISCONNECTED, app.InvokeHelper(quit, DISPATCH_METHOD, VT_EMPTY, nullptr, AFX_VTS(VTS_NONE)));
    EXPECT_EQ(E_POINTER, cells.InvokeHelper(1, DISPATCH_METHOD, VT_EMPTY, nullptr, AFX_VTS(VTS_NONE)));
}

}  // namespace
