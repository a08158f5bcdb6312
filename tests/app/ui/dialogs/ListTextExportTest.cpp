#include "app/ui/dialogs/CListTextTable.h"
#include "app/ui/dialogs/ListExport.h"

#include <gtest/gtest.h>

#include "ReportListFixture.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::wstring> g_opened;
void RecordOpen(const CString& path) { g_opened.push_back(static_cast<LPCWSTR>(path)); }

class ListTextExportTest : public ::testing::Test {
protected:
    void SetUp() override { g_opened.clear(); }
    ReportListFixture fixture;
    TempDir dir;
};

struct TextCase {
    const char* name;
    TextTable table;
    UINT codePage;
    std::string expected;
};

TEST_F(ListTextExportTest, WritesFixedWidthColumnsByteForByte) {
    const TextCase cases[] = {
        {"two columns",
         {{L"No.", L"Date"}, {L"1", L"2009-01-02 03:04:05"}},
         CP_ACP,
         "No.     Date\r\n1       2009-01-02 03:04:05\r\n"},
        {"one column is never padded", {{L"A"}, {L"x"}, {L"yy"}}, 1252, "A\r\nx\r\nyy\r\n"},
        {"wide middle column",
         {{L"a", L"bb", L"c"}, {L"1", L"long text here", L"3"}, {L"22", L"", L""}},
         1252,
         "a      bb                 c\r\n1      long text here     3\r\n22                        \r\n"},
        {"characters outside the code page", {{L"N", L"M"}, {L"\u65e5\u672c", L"x"}}, 1252, "N      M\r\n??     x\r\n"},
        {"accented text in its code page bytes", {{L"caf\u00e9"}, {L"\u00fc"}}, 1252, "caf\xe9\r\n\xfc\r\n"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        fixture.Fill(c.table);
        std::wstring path = dir.File(L"log.txt");
        g_opened.clear();
        ASSERT_EQ(0, ExportListToTextInCodePage(&fixture.List(), path.c_str(), c.codePage, RecordOpen));
        EXPECT_EQ(c.expected, ReadWholeFile(path));
        ASSERT_EQ(1u, g_opened.size());
        EXPECT_EQ(path, g_opened[0]);
    }
}

TEST_F(ListTextExportTest, ReplacesAnExistingFileWhole) {
    std::wstring path = dir.File(L"log.txt");
    ASSERT_TRUE(WriteWholeFile(path, std::string(4096, 'z')));
    fixture.Fill({{L"No."}, {L"1"}});
    ASSERT_EQ(0, ExportListToText(&fixture.List(), path.c_str(), RecordOpen));
    EXPECT_EQ("No.\r\n1\r\n", ReadWholeFile(path));
}

TEST_F(ListTextExportTest, AListWithoutRowsOrColumnsWritesNothing) {
    const TextTable empties[] = {{}, {{L"No.", L"Date"}}};
    for (const TextTable& table : empties) {
        fixture.Fill(table);
        std::wstring path = dir.File(L"empty.txt");
        EXPECT_EQ(0, ExportListToText(&fixture.List(), path.c_str(), RecordOpen));
        EXPECT_FALSE(PathExists(path));
    }
    EXPECT_TRUE(g_opened.empty());
}

TEST_F(ListTextExportTest, AFileThatCannotBeCreatedIsReportedAndNotOpened) {
    fixture.Fill({{L"No."}, {L"1"}});
    std::wstring path = dir.File(L"missing\\folder\\log.txt");
    EXPECT_EQ(-1, ExportListToText(&fixture.List(), path.c_str(), RecordOpen));
    EXPECT_TRUE(g_opened.empty());
}

// A file that takes only so many bytes, like a full disk.
class CShortFile : public CFile {
public:
    explicit CShortFile(UINT room) : m_room(room) {}
    void Write(const void*, UINT count) override {
        if (count > m_room) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL);
        m_room -= count;
    }

private:
    UINT m_room;
};

TEST_F(ListTextExportTest, AFailedWriteIsReported) {
    fixture.Fill({{L"No.", L"Date"}, {L"1", L"2009-01-02 03:04:05"}});
    CListTextTable table;
    ASSERT_TRUE(table.Read(&fixture.List(), 1252));
    UINT size = static_cast<UINT>(table.Format().GetLength());
    CShortFile full(size - 1);
    EXPECT_EQ(-1, table.Write(full));
    CShortFile roomy(size);
    EXPECT_EQ(0, table.Write(roomy));
}

CString FromCodePage(const CStringA& text, UINT codePage) {
    wchar_t buffer[2048] = {};
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, text.GetLength(), buffer, 2047);
    return CString(buffer, length);
}

TEST(ListTextCodePageTest, LongTextsAreCutAtACharacterStart) {
    EXPECT_EQ(1023, CListTextTable::ToCodePage(CString(L'x', 2000), 1252).GetLength());
    // 512 double-byte characters are 1024 bytes: the last one does not fit.
    CString wide(L'\u4e2d', 512);
    CStringA cut = CListTextTable::ToCodePage(wide, 936);
    ASSERT_EQ(1022, cut.GetLength());
    EXPECT_EQ(CString(L'\u4e2d', 511), FromCodePage(cut, 936));
    // One byte earlier, 511 of them fill the 1023 bytes exactly.
    CStringA full = CListTextTable::ToCodePage(L"a" + CString(L'\u4e2d', 600), 936);
    EXPECT_EQ(1023, full.GetLength());
    EXPECT_EQ(L"a" + CString(L'\u4e2d', 511), FromCodePage(full, 936));
}

}  // namespace
