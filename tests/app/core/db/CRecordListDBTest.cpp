// The record list's table: its layout, older files completed when opened,
// rebuilding, failures and the file shared between threads.
#include "RecordListDBFixture.h"

TEST_F(RecordListDBTest, NewFileGetsTheTableAsDeclared) {
    OpenFresh();
    SqlFile raw(file);
    EXPECT_EQ(
        std::vector<std::string>{
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
        std::string fill =
            "CREATE TABLE D_RecordList(L_ID BIGINT,L_DevID BIGINT, I_ChannelIndex INT,"
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
        ASSERT_TRUE(
            raw.Exec("CREATE TABLE D_RecordList(L_ID BIGINT,L_DevID BIGINT, I_ChannelIndex INT,I_Type INT,"
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
    for (int i = 0; i < 40; ++i) prefixes.push_back(CString(L"Z:\\") + CString(L'z', 100));
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
            if (db.Insert(MakeRow(1, i, L"2024-01-01 00:00:00", L"2024-01-01 00:10:00", L"C:\\a")) != 0) ++failures;
    });
    for (int i = 0; i < kRows; ++i) {
        db.Open(file.c_str());
        db.CheckTable(0);
    }
    inserter.join();
    EXPECT_EQ(0, failures);
    EXPECT_EQ(static_cast<size_t>(kRows), Count());
}
