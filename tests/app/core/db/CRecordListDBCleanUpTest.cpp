// The record list's clean-up reads, row deletion and its size and page helpers.
#include "RecordListDBFixture.h"

TEST_F(RecordListDBTest, CleanUpTakesTheOldestRowsInPagesAndAppends) {
    OpenFresh();
    {
        SqlFile raw(file);
        ASSERT_TRUE(raw.Exec("BEGIN"));
        for (int i = 1; i <= 250; ++i)
            ASSERT_TRUE(raw.Exec("INSERT INTO D_RecordList(L_ID,C_FilePath,C_StartTime) VALUES(" + std::to_string(i) +
                                 ",'D:\\rec\\" + std::to_string(i) + ".dav','2024')"));
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
            if (matches(n)) ids.push_back(id(n));
        std::sort(ids.begin(), ids.end());
        if (ids.size() > limit) ids.resize(limit);
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
        ASSERT_TRUE(
            raw.Exec("INSERT INTO D_RecordList(L_ID,C_StartTime,C_EndTime,C_FilePath) "
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
