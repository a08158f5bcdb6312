#include "app/core/CRecordListDB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "SqlFile.h"
#include "TempDir.h"

namespace {

RECORD_LIST_ROW MakeRow(int dev, int channel, const wchar_t* start, const wchar_t* end, const wchar_t* path,
                        int type = 0, int fileLen = 100) {
    RECORD_LIST_ROW row;
    row.L_DevID = dev;
    row.I_ChannelIndex = channel;
    row.I_Type = type;
    row.C_StartTime = start;
    row.C_EndTime = end;
    row.C_FilePath = path;
    row.L_FileLen = fileLen;
    row.C_UpdateTime = L"2024-05-01 08:00:00";
    return row;
}

std::vector<int> Ids(const RECORD_LIST_ROWS& rows) {
    std::vector<int> ids;
    for (const RECORD_LIST_ROW& row : rows)
        ids.push_back(row.L_ID);
    return ids;
}

const char kOldLayout[] =
    "CREATE TABLE D_RecordList(L_ID BIGINT,L_DevID BIGINT, I_ChannelIndex INT,I_Type INT,"
    "C_StartTime varchar(20),C_EndTime varchar(20),I_FileType INT,C_CardSN varchar(20),C_Info varchar(256),"
    "C_FilePath varchar(256),L_FileLen BIGINT,C_UpdateTime varchar(20),I_RecType INT);"
    "INSERT INTO D_RecordList VALUES(1,1001,2,0,'2024-01-01 00:00:00','2024-01-01 01:00:00',0,'',"
    "'old','C:\\rec\\a.dav',55,'2024-01-01 02:00:00',3);"
    "INSERT INTO D_RecordList VALUES(2,1001,3,1,'2024-01-02 00:00:00','2024-01-02 01:00:00',0,'',"
    "'','C:\\rec\\b.dav',66,'2024-01-02 02:00:00',4);";

const std::vector<std::string> kIndexes = {"IX_RecordList_Device", "IX_RecordList_ID", "IX_RecordList_Path",
                                            "IX_RecordList_Start"};

std::vector<std::string> IndexNames(SqlFile& raw) {
    return raw.Column("SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name");
}

class RecordListDBTest : public ::testing::Test {
protected:
    TempDir dir;
    std::wstring file = dir.File(L"RecordList.db");
    CRecordListDB db;

    void OpenFresh() {
        ASSERT_EQ(1, db.Open(file.c_str()));
        ASSERT_EQ(0, db.CheckTable(0));
    }
    void InsertAll(const std::vector<RECORD_LIST_ROW>& rows) {
        for (const RECORD_LIST_ROW& row : rows)
            ASSERT_EQ(0, db.Insert(row));
    }
    std::vector<int> Search(const wchar_t* from, const wchar_t* to, int dev = -1, int channel = -1, int type = -1) {
        RECORD_LIST_ROWS rows;
        EXPECT_EQ(0, db.SearchRecords(rows, 1, from, to, L"", L"", dev, channel, type, -1, L"", L"", -1, -1, -1,
                                      -1, L"", L""));
        return Ids(rows);
    }
    size_t Count() {
        RECORD_LIST_ROWS rows;
        db.QueryAll(rows);
        return rows.size();
    }
};

} // namespace

TEST_F(RecordListDBTest, NewFileGetsTheTableAsDeclared) {
    OpenFresh();
    SqlFile raw(file);
    EXPECT_EQ(std::vector<std::string>{
                  "CREATE TABLE D_RecordList(L_ID BIGINT,L_DevID BIGINT, I_ChannelIndex INT,L_SrcDevID BIGINT,"
                  "I_SrcChannelIndex INT,I_Type INT,C_StartTime varchar(20),C_EndTime varchar(20),I_FileType INT,"
                  "C_CardSN varchar(20),C_Info varchar(256),C_FilePath varchar(256),L_FileLen BIGINT,"
                  "C_UpdateTime varchar(20),I_RecType INT)"},
              raw.Column("SELECT sql FROM sqlite_master WHERE type = 'table'"));
    EXPECT_EQ(kIndexes, IndexNames(raw));
    // A second check on a complete table changes nothing.
    EXPECT_EQ(0, db.CheckTable(0));
    EXPECT_EQ(5, raw.Number("SELECT COUNT(*) FROM sqlite_master"));
}

TEST_F(RecordListDBTest, FileWithoutIndexesGainsThemWhenOpenedAndKeepsItsRows) {
    {
        SqlFile raw(file);
        std::string fill = "CREATE TABLE D_RecordList(L_ID BIGINT,L_DevID BIGINT, I_ChannelIndex INT,"
                           "L_SrcDevID BIGINT,I_SrcChannelIndex INT,I_Type INT,C_StartTime varchar(20),"
                           "C_EndTime varchar(20),I_FileType INT,C_CardSN varchar(20),C_Info varchar(256),"
                           "C_FilePath varchar(256),L_FileLen BIGINT,C_UpdateTime varchar(20),I_RecType INT);"
                           "BEGIN;";
        for (int i = 1; i <= 300; ++i)
            fill += "INSERT INTO D_RecordList VALUES(" + std::to_string(i) + ",1001," + std::to_string(i % 4) +
                    ",0,0,0,'2024-01-01 00:00:00','2024-01-01 01:00:00',0,'','','D:\\" + std::to_string(i) +
                    ".dav',7,'2024-01-01 02:00:00',0);";
        ASSERT_TRUE(raw.Exec(fill + "COMMIT;"));
        ASSERT_TRUE(IndexNames(raw).empty());
    }
    ASSERT_EQ(1, db.Open(file.c_str()));
    {
        SqlFile raw(file);
        EXPECT_EQ(kIndexes, IndexNames(raw));
        EXPECT_EQ(300, raw.Number("SELECT COUNT(*) FROM D_RecordList"));
        EXPECT_EQ("ok", raw.Column("PRAGMA integrity_check").at(0));
    }
    ASSERT_EQ(0, db.CheckTable(0));
    EXPECT_EQ(300u, Count());
    EXPECT_EQ(75u, Search(L"2024-01-01 00:30:00", L"2024-01-01 00:40:00", 1001, 2).size());
    ASSERT_EQ(0, db.Insert(MakeRow(1001, 0, L"2024-01-02 00:00:00", L"2024-01-02 01:00:00", L"D:\\new.dav")));
    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryByPath(rows, L"D:\\new.dav"));
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(301, rows[0].L_ID);
}

TEST_F(RecordListDBTest, OlderTableGetsItsMissingColumnsAndKeepsItsRows) {
    {
        SqlFile raw(file);
        ASSERT_TRUE(raw.Exec(kOldLayout));
    }
    OpenFresh();
    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryAll(rows));
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(1001, rows[0].L_DevID);
    EXPECT_EQ(2, rows[0].I_ChannelIndex);
    EXPECT_EQ(L"old", rows[0].C_Info);
    EXPECT_EQ(55, rows[0].L_FileLen);
    EXPECT_EQ(3, rows[0].I_RecType);
    EXPECT_EQ(0, rows[0].L_SrcDevID);

    RECORD_LIST_ROW added = MakeRow(7, 1, L"2024-02-01 00:00:00", L"2024-02-01 00:10:00", L"C:\\rec\\c.dav");
    added.L_SrcDevID = 5;
    added.I_SrcChannelIndex = 6;
    ASSERT_EQ(0, db.Insert(added));
    rows.clear();
    ASSERT_EQ(0, db.QueryByPath(rows, L"C:\\rec\\c.dav"));
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(3, rows[0].L_ID);
    EXPECT_EQ(5, rows[0].L_SrcDevID);
    EXPECT_EQ(6, rows[0].I_SrcChannelIndex);

    SqlFile raw(file);
    EXPECT_EQ(15, raw.Number("SELECT COUNT(*) FROM pragma_table_info('D_RecordList')"));
    EXPECT_EQ(kIndexes, IndexNames(raw));
}

TEST_F(RecordListDBTest, TableWithoutRecordKindIsCompleted) {
    {
        SqlFile raw(file);
        ASSERT_TRUE(raw.Exec("CREATE TABLE D_RecordList(L_ID BIGINT,L_DevID BIGINT, I_ChannelIndex INT,I_Type INT,"
                             "C_StartTime varchar(20),C_EndTime varchar(20),I_FileType INT,C_CardSN varchar(20),"
                             "C_Info varchar(256),C_FilePath varchar(256),L_FileLen BIGINT,"
                             "C_UpdateTime varchar(20));"
                             "INSERT INTO D_RecordList(L_ID,L_DevID,C_FilePath) VALUES(4,9,'x');"));
    }
    OpenFresh();
    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryAll(rows));
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(-1, rows[0].I_RecType);  // unknown in the old row
    EXPECT_EQ(L"x", rows[0].C_FilePath);
}

TEST_F(RecordListDBTest, RebuildStartsAnEmptyTable) {
    OpenFresh();
    InsertAll({MakeRow(1, 0, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"C:\\a")});
    ASSERT_EQ(0, db.CheckTable(1));
    EXPECT_EQ(0u, Count());
    InsertAll({MakeRow(1, 0, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"C:\\a")});
    RECORD_LIST_ROWS rows;
    db.QueryAll(rows);
    EXPECT_EQ(std::vector<int>{1}, Ids(rows));
}

TEST_F(RecordListDBTest, InsertNumbersRowsFromOneEvenOverEmptyIds) {
    OpenFresh();
    {
        // Rows written without a number must not stop the numbering.
        SqlFile raw(file);
        ASSERT_TRUE(raw.Exec("INSERT INTO D_RecordList(L_DevID) VALUES(1)"));
    }
    RECORD_LIST_ROW row = MakeRow(1, 0, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"C:\\a");
    row.L_ID = 77;  // ignored
    InsertAll({row, row, row});
    SqlFile raw(file);
    EXPECT_EQ((std::vector<std::string>{"", "1", "2", "3"}), raw.Column("SELECT L_ID FROM D_RecordList ORDER BY rowid"));
}

TEST_F(RecordListDBTest, EveryFieldSurvivesIncludingQuotesAndWildcards) {
    OpenFresh();
    RECORD_LIST_ROW row;
    row.L_DevID = 1234;
    row.I_ChannelIndex = 15;
    row.L_SrcDevID = 4321;
    row.I_SrcChannelIndex = 3;
    row.I_Type = 2;
    row.C_StartTime = L"2024-03-05 07:08:09";
    row.C_EndTime = L"2024-03-05 08:00:00";
    row.I_FileType = 1;
    row.C_CardSN = L"SN'1";
    row.C_Info = L"it's 100% done";
    row.C_FilePath = L"D:\\rec\\O'Brien's cam_1 50%\\Caf\u00e9 ch'1.dav";
    row.L_FileLen = 2000000000;
    row.C_UpdateTime = L"2024-03-05 08:00:01";
    row.I_RecType = 7;
    ASSERT_EQ(0, db.Insert(row));

    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryByPath(rows, row.C_FilePath));
    ASSERT_EQ(1u, rows.size());
    const RECORD_LIST_ROW& got = rows[0];
    EXPECT_EQ(1, got.L_ID);
    EXPECT_EQ(row.L_DevID, got.L_DevID);
    EXPECT_EQ(row.I_ChannelIndex, got.I_ChannelIndex);
    EXPECT_EQ(row.L_SrcDevID, got.L_SrcDevID);
    EXPECT_EQ(row.I_SrcChannelIndex, got.I_SrcChannelIndex);
    EXPECT_EQ(row.I_Type, got.I_Type);
    EXPECT_EQ(row.C_StartTime, got.C_StartTime);
    EXPECT_EQ(row.C_EndTime, got.C_EndTime);
    EXPECT_EQ(row.I_FileType, got.I_FileType);
    EXPECT_EQ(row.C_CardSN, got.C_CardSN);
    EXPECT_EQ(row.C_Info, got.C_Info);
    EXPECT_EQ(row.C_FilePath, got.C_FilePath);
    EXPECT_EQ(row.L_FileLen, got.L_FileLen);
    EXPECT_EQ(row.C_UpdateTime, got.C_UpdateTime);
    EXPECT_EQ(row.I_RecType, got.I_RecType);

    // Stored as the program always stored it: plain text in the ANSI code page.
    SqlFile raw(file);
    EXPECT_EQ(std::vector<std::string>{"D:\\rec\\O'Brien's cam_1 50%\\Caf\xe9 ch'1.dav"},
              raw.Column("SELECT C_FilePath FROM D_RecordList"));
    EXPECT_EQ(std::vector<std::string>{"2024-03-05 07:08:09"}, raw.Column("SELECT C_StartTime FROM D_RecordList"));

    // The record manager deletes by path alone.
    ASSERT_EQ(0, db.Delete(L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", row.C_FilePath, -1, -1, L"", L""));
    EXPECT_EQ(0u, Count());
}

TEST_F(RecordListDBTest, SearchTimeWindowsSelectOverlappingRows) {
    OpenFresh();
    InsertAll({
        MakeRow(1, 0, L"2024-01-01 08:00:00", L"2024-01-01 09:00:00", L"C:\\1"),  // 1: before the window
        MakeRow(1, 0, L"2024-01-01 09:30:00", L"2024-01-01 10:30:00", L"C:\\2"),  // 2: across its start
        MakeRow(1, 0, L"2024-01-01 10:40:00", L"2024-01-01 11:00:00", L"C:\\3"),  // 3: inside
        MakeRow(1, 0, L"2024-01-01 11:30:00", L"2024-01-01 12:30:00", L"C:\\4"),  // 4: across its end
        MakeRow(1, 0, L"2024-01-01 13:00:00", L"2024-01-01 14:00:00", L"C:\\5"),  // 5: after it
        MakeRow(1, 0, L"2024-01-01 09:00:00", L"2024-01-01 15:00:00", L"C:\\6"),  // 6: around it
    });
    const struct {
        const wchar_t* from;
        const wchar_t* to;
        std::vector<int> ids;  // by start, then end
    } cases[] = {
        {L"2024-01-01 10:00:00", L"2024-01-01 12:00:00", {6, 2, 3, 4}},
        {L"2024-01-01 10:00:00", L"", {6, 2, 3, 4, 5}},
        {L"", L"2024-01-01 12:00:00", {1, 6, 2, 3, 4}},
        {L"2024-01-01 09:00:00", L"2024-01-01 09:00:00", {1, 6}},
        {L"", L"", {1, 6, 2, 3, 4, 5}},
        {L"2025-01-01 00:00:00", L"2025-01-02 00:00:00", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.ids, Search(c.from, c.to)) << "from '" << CStringA(c.from) << "' to '" << CStringA(c.to) << "'";

    // Without the filter flag nothing filters, and rows come by start then end.
    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.SearchRecords(rows, 0, L"2030-01-01 00:00:00", L"", L"", L"", 99, 99, 99, 99, L"x", L"y", 1, 1,
                                  9, 9, L"1", L"2"));
    EXPECT_EQ((std::vector<int>{1, 6, 2, 3, 4, 5}), Ids(rows));
}

TEST_F(RecordListDBTest, FiltersSelectExactlyTheirRows) {
    OpenFresh();
    std::vector<RECORD_LIST_ROW> rows(5, MakeRow(1001, 0, L"2024-01-01 08:00:00", L"2024-01-01 09:00:00", L""));
    rows[0].C_FilePath = L"C:\\1";
    rows[1].L_DevID = 1002, rows[1].I_ChannelIndex = 3, rows[1].C_FilePath = L"C:\\2";
    rows[2].I_Type = 1, rows[2].I_FileType = 1, rows[2].L_FileLen = 500, rows[2].C_FilePath = L"C:\\3";
    rows[3].I_Type = 3, rows[3].C_CardSN = L"CARD'7", rows[3].C_Info = L"motion 50% zone", rows[3].C_FilePath = L"C:\\4";
    rows[4].L_SrcDevID = 9, rows[4].I_SrcChannelIndex = 2, rows[4].C_UpdateTime = L"2024-06-01 00:00:00";
    rows[4].C_StartTime = L"2024-02-01 00:00:00", rows[4].C_EndTime = L"2024-02-02 00:00:00";
    rows[4].C_FilePath = L"C:\\5";
    InsertAll(rows);

    struct Case {
        const char* name;
        CString startFrom, startTo, endFrom, endTo, updateFrom, updateTo;
        int dev, channel, type, fileType;
        CString card, info;
        int minLen, maxLen, srcDev, srcChannel;
        CString typesNotIn, typesIn;
        std::vector<int> ids;
    };
    const Case cases[] = {
        {"none", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"", {1, 2, 3, 4, 5}},
        {"device", L"", L"", L"", L"", L"", L"", 1002, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"", {2}},
        {"channel", L"", L"", L"", L"", L"", L"", 1002, 3, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"", {2}},
        {"type 0", L"", L"", L"", L"", L"", L"", -1, -1, 0, -1, L"", L"", -1, -1, -1, -1, L"", L"", {1, 2, 5}},
        {"file type", L"", L"", L"", L"", L"", L"", -1, -1, -1, 1, L"", L"", -1, -1, -1, -1, L"", L"", {3}},
        {"card", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"CARD'7", L"", -1, -1, -1, -1, L"", L"", {4}},
        {"info contains", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"50% z", -1, -1, -1, -1, L"", L"", {4}},
        {"info wildcard", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"motion_50", -1, -1, -1, -1, L"", L"", {}},
        {"min length", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", 200, -1, -1, -1, L"", L"", {3}},
        {"max length", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, 100, -1, -1, L"", L"", {1, 2, 4, 5}},
        {"source", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, 9, 2, L"", L"", {5}},
        {"types in", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L" 1, 3", {3, 4}},
        {"types not in", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"0,1", L"", {4}},
        {"update from", L"", L"", L"", L"", L"2024-05-02 00:00:00", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"", {5}},
        {"update to", L"", L"", L"", L"", L"", L"2024-05-01 08:00:00", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"", {1, 2, 3, 4}},
        {"start from", L"2024-01-15 00:00:00", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"", {5}},
        {"start to", L"", L"2024-01-01 08:00:00", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"", {1, 2, 3, 4}},
        {"end window", L"", L"", L"2024-02-02 00:00:00", L"2024-02-02 00:00:00", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L"", {5}},
    };
    for (const Case& c : cases) {
        RECORD_LIST_ROWS got;
        EXPECT_EQ(0, db.QueryByFilter(got, 1, c.startFrom, c.startTo, c.endFrom, c.endTo, c.updateFrom, c.updateTo,
                                      c.dev, c.channel, c.type, c.fileType, c.card, c.info, c.minLen, c.maxLen,
                                      c.srcDev, c.srcChannel, c.typesNotIn, c.typesIn))
            << c.name;
        EXPECT_EQ(c.ids, Ids(got)) << c.name;
    }

    // The record manager's search applies the same filters.
    EXPECT_EQ(std::vector<int>{2}, Search(L"", L"", 1002, 3, 0));
}

TEST_F(RecordListDBTest, TypeListsThatAreNotCodesFailInsteadOfRunning) {
    OpenFresh();
    InsertAll({MakeRow(1, 0, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"C:\\a")});
    for (const wchar_t* list : {L"1) OR (1=1", L"1,,2", L"x", L"1;DROP TABLE D_RecordList"}) {
        RECORD_LIST_ROWS rows;
        EXPECT_EQ(-1, db.QueryByFilter(rows, 1, L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1,
                                       -1, L"", list));
        EXPECT_TRUE(rows.empty());
        EXPECT_EQ(-1, db.Delete(L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", L"", -1, -1, list, L""));
        EXPECT_EQ(-1, db.DeleteWhere(L"", L"", L"", L"", L"", L"", -1, L"", list));
    }
    EXPECT_EQ(1u, Count());
}

TEST_F(RecordListDBTest, PathPrefixesAreLiteral) {
    OpenFresh();
    InsertAll({
        MakeRow(1, 0, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"D:\\rec_1\\a.dav"),
        MakeRow(1, 0, L"2024-01-02 00:00:00", L"2024-01-02 00:10:00", L"D:\\recX1\\b.dav"),
        MakeRow(1, 0, L"2024-01-03 00:00:00", L"2024-01-03 00:10:00", L"D:\\50%\\c.dav"),
        MakeRow(1, 0, L"2024-01-04 00:00:00", L"2024-01-04 00:10:00", L"D:\\500\\d.dav"),
        MakeRow(1, 0, L"2024-01-05 00:00:00", L"2024-01-05 00:10:00", L"E:\\x!y\\e.dav"),
        MakeRow(1, 0, L"2024-01-06 00:00:00", L"2024-01-06 00:10:00", L"E:\\O'Neil\\f.dav"),
    });
    const struct {
        const wchar_t* prefix;
        std::vector<int> ids;
    } cases[] = {
        {L"D:\\rec_1\\", {1}},
        {L"d:\\REC_1\\", {1}},  // Windows paths: letters without regard to case
        {L"D:\\50%", {3}},
        {L"E:\\x!y", {5}},
        {L"E:\\O'Neil\\", {6}},
        {L"D:", {1, 2, 3, 4}},
        {L"F:", {}},
    };
    for (const auto& c : cases) {
        // Without a limit SQLite plans the read; with one it goes through the path index.
        for (int limit : {-1, 200}) {
            RECORD_LIST_ROWS rows;
            EXPECT_EQ(0, db.QueryByPathPrefix(rows, limit, c.prefix));
            EXPECT_EQ(c.ids, Ids(rows)) << CStringA(c.prefix) << " limit " << limit;
        }
    }

    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryByPathPrefixes(rows, -1, {L"D:\\rec_1\\", L"E:\\"}));
    EXPECT_EQ((std::vector<int>{1, 5, 6}), Ids(rows));
    rows.clear();
    ASSERT_EQ(0, db.QueryByPathPrefixes(rows, -1, {}));
    EXPECT_EQ(6u, rows.size());
    rows.clear();
    ASSERT_EQ(0, db.QueryByPathPrefixes(rows, 2, {}));
    EXPECT_EQ((std::vector<int>{1, 2}), Ids(rows));

    rows.clear();
    ASSERT_EQ(0, db.QueryOlderByPathPrefixes(rows, -1, L"2024-01-03 00:00:00", {L"D:\\"}));
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Ids(rows));
    rows.clear();
    ASSERT_EQ(0, db.QueryOlderByPathPrefixes(rows, 1, L"2024-01-05 00:00:00", {L"E:\\", L"D:\\50%"}));
    EXPECT_EQ(std::vector<int>{3}, Ids(rows));
    rows.clear();
    ASSERT_EQ(0, db.QueryOlderByPathPrefixes(rows, -1, L"2024-01-02 00:00:00", {}));
    EXPECT_EQ((std::vector<int>{1, 2}), Ids(rows));
}

TEST_F(RecordListDBTest, CleanUpTakesTheOldestRowsInPagesAndAppends) {
    OpenFresh();
    {
        SqlFile raw(file);
        ASSERT_TRUE(raw.Exec("BEGIN"));
        for (int i = 1; i <= 250; ++i)
            ASSERT_TRUE(raw.Exec("INSERT INTO D_RecordList(L_ID,C_FilePath,C_StartTime) VALUES(" +
                                 std::to_string(i) + ",'D:\\rec\\" + std::to_string(i) + ".dav','2024')"));
        ASSERT_TRUE(raw.Exec("COMMIT"));
    }
    RECORD_LIST_ROWS rows(1);  // queries append to what the caller has
    ASSERT_EQ(0, db.QueryByPathPrefix(rows, 200, L"D:\\"));
    ASSERT_EQ(201u, rows.size());
    EXPECT_EQ(1, rows[1].L_ID);
    EXPECT_EQ(200, rows[200].L_ID);
    rows.clear();
    ASSERT_EQ(0, db.QueryByPathPrefix(rows, -1, L"D:\\"));
    EXPECT_EQ(250u, rows.size());
    rows.clear();
    ASSERT_EQ(0, db.QueryPage(rows, 3));
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Ids(rows));
}

// The clean-up reads go through the L_ID index, the start index or the path
// index depending on how many rows match; each way must give the same rows.
// Enough rows for every way, L_IDs in an order of their own.
TEST_F(RecordListDBTest, CleanUpReadsGiveTheOldestRowsWhicheverIndexTheyUse) {
    OpenFresh();
    const int kRows = 24000;
    // Row n: L_ID (n * 7919) % kRows + 1; on E: every 100th row, else on D:;
    // started in 2023 every 60th row, else in 2024.
    auto id = [](int n) { return static_cast<int>((static_cast<long long>(n) * 7919) % kRows) + 1; };
    {
        SqlFile raw(file);
        std::string fill = "BEGIN;";
        for (int n = 0; n < kRows; ++n)
            fill += "INSERT INTO D_RecordList(L_ID,C_FilePath,C_StartTime) VALUES(" + std::to_string(id(n)) + ",'" +
                    (n % 100 == 0 ? "E" : "d") + ":\\r\\" + std::to_string(n) + ".dav','" +
                    (n % 60 == 0 ? "2023-06-01 00:00:00" : "2024-06-01 00:00:00") + "');";
        ASSERT_TRUE(raw.Exec(fill + "COMMIT;"));
    }
    auto expected = [&](bool (*matches)(int n), size_t limit) {
        std::vector<int> ids;
        for (int n = 0; n < kRows; ++n)
            if (matches(n))
                ids.push_back(id(n));
        std::sort(ids.begin(), ids.end());
        if (ids.size() > limit)
            ids.resize(limit);
        return ids;
    };
    const CString kCutOff = L"2023-12-31 23:59:59";
    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryByPathPrefix(rows, 200, L"D:\\"));  // many: by L_ID
    EXPECT_EQ(expected([](int n) { return n % 100 != 0; }, 200), Ids(rows));
    rows.clear();
    ASSERT_EQ(0, db.QueryByPathPrefix(rows, 200, L"e:\\"));  // few: through the path index
    EXPECT_EQ(expected([](int n) { return n % 100 == 0; }, 200), Ids(rows));
    rows.clear();
    ASSERT_EQ(0, db.QueryOlderByPathPrefixes(rows, 200, kCutOff, {L"D:\\", L"E:\\"}));  // few old
    EXPECT_EQ(expected([](int n) { return n % 60 == 0; }, 200), Ids(rows));
    rows.clear();
    ASSERT_EQ(0, db.QueryOlderByPathPrefixes(rows, 200, L"2025", {L"E:\\"}));  // few on the drive
    EXPECT_EQ(expected([](int n) { return n % 100 == 0; }, 200), Ids(rows));
    rows.clear();
    ASSERT_EQ(0, db.QueryOlderByPathPrefixes(rows, 200, L"2025", {L"D:\\"}));  // many of both: by L_ID
    EXPECT_EQ(expected([](int n) { return n % 100 != 0; }, 200), Ids(rows));
    rows.clear();
    ASSERT_EQ(0, db.QueryOlderByPathPrefixes(rows, 200, L"2025", {}));
    EXPECT_EQ(expected([](int) { return true; }, 200), Ids(rows));
}

TEST_F(RecordListDBTest, DeleteRowRemovesItAndItsEqualsOnly) {
    OpenFresh();
    RECORD_LIST_ROW base = MakeRow(5, 1, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"C:\\it's.dav");
    base.C_Info = L"50%";
    RECORD_LIST_ROW otherChannel = base;
    otherChannel.I_ChannelIndex = 2;
    RECORD_LIST_ROW otherEnd = base;
    otherEnd.C_EndTime = L"2024-01-01 00:10:01";
    RECORD_LIST_ROW otherLength = base;  // the length is not compared
    otherLength.L_FileLen = 999;
    RECORD_LIST_ROW otherInfo = base;  // "50%" must not match "5000"
    otherInfo.C_Info = L"5000";
    InsertAll({base, otherChannel, otherEnd, otherLength, otherInfo});

    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryPage(rows, 1));
    ASSERT_EQ(0, db.DeleteRow(rows[0]));
    rows.clear();
    db.QueryAll(rows);
    EXPECT_EQ((std::vector<int>{2, 3, 5}), Ids(rows));

    // Unset values in the row are not compared: only the path is set here.
    RECORD_LIST_ROW byPath;
    byPath.C_FilePath = L"C:\\it's.dav";
    byPath.L_DevID = byPath.I_ChannelIndex = byPath.I_Type = byPath.I_FileType = -1;
    byPath.L_SrcDevID = byPath.I_SrcChannelIndex = -1;
    ASSERT_EQ(0, db.DeleteRow(byPath));
    EXPECT_EQ(0u, Count());
}

TEST_F(RecordListDBTest, DeleteRowMatchesColumnsLeftNullByAnOlderTable) {
    {
        SqlFile raw(file);
        ASSERT_TRUE(raw.Exec(kOldLayout));
        // A row some other writer left with more columns unset.
        ASSERT_TRUE(raw.Exec("INSERT INTO D_RecordList(L_ID,C_StartTime,C_EndTime,C_FilePath) "
                             "VALUES(3,'2024-01-03 00:00:00','2024-01-03 01:00:00','C:\\rec\\n.dav');"));
    }
    OpenFresh();
    // The same recording copied from a source device: its set source
    // columns must keep it apart from the rows whose source is unset.
    RECORD_LIST_ROW copied = MakeRow(1001, 2, L"2024-01-01 00:00:00", L"2024-01-01 01:00:00", L"C:\\rec\\a.dav");
    copied.C_Info = L"old";
    copied.C_UpdateTime = L"2024-01-01 02:00:00";
    copied.L_SrcDevID = 5;
    copied.I_SrcChannelIndex = 1;
    ASSERT_EQ(0, db.Insert(copied));

    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryPage(rows, 3));
    ASSERT_EQ(3u, rows.size());
    for (const RECORD_LIST_ROW& row : rows) EXPECT_EQ(0, db.DeleteRow(row)) << row.L_ID;
    rows.clear();
    db.QueryAll(rows);
    EXPECT_EQ(std::vector<int>{4}, Ids(rows));
}

TEST_F(RecordListDBTest, SizeAndPageHelpers) {
    OpenFresh();
    std::vector<RECORD_LIST_ROW> rows;
    for (int i = 0; i < 5; ++i) {
        wchar_t start[32];
        swprintf(start, 32, L"2024-01-0%d 00:00:00", i + 1);
        rows.push_back(MakeRow(1, i, start, start, L"C:\\r", i % 2, 100));
    }
    InsertAll(rows);

    RECORD_LIST_ROWS got;
    ASSERT_EQ(0, db.QueryFirstBySize(got, 250));
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Ids(got));
    got.clear();
    ASSERT_EQ(0, db.SelectWhere(got, L"2024-01-02 00:00:00", L"", L"", L"", L"", L"", 1, L"", L""));
    EXPECT_EQ((std::vector<int>{2, 4}), Ids(got));

    ASSERT_EQ(0, db.UpdateInfo(L"2024-01-04 00:00:00", 1, 3, 1, 0, L"moved 'here'", 4321, L"E:\\new"));
    got.clear();
    ASSERT_EQ(0, db.QueryByPath(got, L"E:\\new"));
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ(4, got[0].L_ID);
    EXPECT_EQ(L"moved 'here'", got[0].C_Info);
    EXPECT_EQ(4321, got[0].L_FileLen);

    ASSERT_EQ(0, db.DeleteFirstBySize(150));
    got.clear();
    db.QueryAll(got);
    EXPECT_EQ((std::vector<int>{3, 4, 5}), Ids(got));
    ASSERT_EQ(0, db.DeleteFirstRows(1));
    ASSERT_EQ(0, db.DeleteWhere(L"", L"", L"", L"", L"", L"", 0, L"", L""));
    got.clear();
    db.QueryAll(got);
    EXPECT_EQ(std::vector<int>{4}, Ids(got));
}

TEST_F(RecordListDBTest, FailuresAreReported) {
    RECORD_LIST_ROW row = MakeRow(1, 0, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"C:\\a");
    RECORD_LIST_ROWS rows;
    // Never opened.
    EXPECT_EQ(-1, db.Insert(row));
    EXPECT_EQ(-1, db.QueryAll(rows));
    EXPECT_EQ(-1, db.DeleteRow(row));
    EXPECT_EQ(-2, db.CheckTable(0));
    // A folder that does not exist.
    EXPECT_EQ(0, db.Open(dir.File(L"missing\\RecordList.db").c_str()));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(-1, db.Insert(row));
    // Open, but without the table.
    ASSERT_EQ(1, db.Open(file.c_str()));
    EXPECT_EQ(-1, db.Insert(row));
    EXPECT_EQ(-1, db.SearchRecords(rows, 1, L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L""));
    EXPECT_TRUE(rows.empty());
}

TEST_F(RecordListDBTest, LongStatementsRun) {
    OpenFresh();
    std::wstring deepPath = L"D:\\" + std::wstring(240, L'p') + L"\\x.dav";
    RECORD_LIST_ROW row = MakeRow(1, 0, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", deepPath.c_str());
    row.C_Info = CString(L'i', 900);
    ASSERT_EQ(0, db.Insert(row));
    std::vector<CString> prefixes;
    for (int i = 0; i < 40; ++i)
        prefixes.push_back(CString(L"Z:\\") + CString(L'z', 100));
    prefixes.push_back(L"D:\\");
    RECORD_LIST_ROWS rows;
    ASSERT_EQ(0, db.QueryByPathPrefixes(rows, 200, prefixes));
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(row.C_Info, rows[0].C_Info);
}

// The engine reopens the file after every login while the maintenance thread
// may be working on it.
TEST_F(RecordListDBTest, ReopeningWhileAnotherThreadInsertsLosesNothing) {
    OpenFresh();
    const int kRows = 200;
    int failures = 0;
    std::thread inserter([&] {
        for (int i = 0; i < kRows; ++i)
            if (db.Insert(MakeRow(1, i, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"C:\\a")) != 0)
                ++failures;
    });
    for (int i = 0; i < kRows; ++i) {
        db.Open(file.c_str());
        db.CheckTable(0);
    }
    inserter.join();
    EXPECT_EQ(0, failures);
    EXPECT_EQ(static_cast<size_t>(kRows), Count());
}
