// Rows in and out of the record list: inserting and the searches by time,
// device, channel, type and path.
#include "RecordListDBFixture.h"

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
    EXPECT_EQ((std::vector<std::string>{"", "1", "2", "3"}),
              raw.Column("SELECT L_ID FROM D_RecordList ORDER BY rowid"));
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
    ASSERT_EQ(0, db.SearchRecords(rows, 0, L"2030-01-01 00:00:00", L"", L"", L"", 99, 99, 99, 99, L"x", L"y", 1, 1, 9,
                                  9, L"1", L"2"));
    EXPECT_EQ((std::vector<int>{1, 6, 2, 3, 4, 5}), Ids(rows));
}

TEST_F(RecordListDBTest, FiltersSelectExactlyTheirRows) {
    OpenFresh();
    std::vector<RECORD_LIST_ROW> rows(5, MakeRow(1001, 0, L"2024-01-01 08:00:00", L"2024-01-01 09:00:00", L""));
    rows[0].C_FilePath = L"C:\\1";
    rows[1].L_DevID = 1002, rows[1].I_ChannelIndex = 3, rows[1].C_FilePath = L"C:\\2";
    rows[2].I_Type = 1, rows[2].I_FileType = 1, rows[2].L_FileLen = 500, rows[2].C_FilePath = L"C:\\3";
    rows[3].I_Type = 3, rows[3].C_CardSN = L"CARD'7", rows[3].C_Info = L"motion 50% zone",
    rows[3].C_FilePath = L"C:\\4";
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
        {"info wildcard", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"",
         L"motion_50",    -1,  -1,  -1,  -1,  L"", L"", {}},
        {"min length", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", 200, -1, -1, -1, L"", L"", {3}},
        {"max length", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, 100, -1, -1, L"", L"", {1, 2, 4, 5}},
        {"source", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, 9, 2, L"", L"", {5}},
        {"types in", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"", L" 1, 3", {3, 4}},
        {"types not in", L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1, L"0,1", L"", {4}},
        {"update from", L"", L"", L"", L"", L"2024-05-02 00:00:00", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1,
         L"",           L"", {5}},
        {"update to", L"", L"", L"", L"", L"",         L"2024-05-01 08:00:00", -1, -1, -1, -1, L"", L"", -1,
         -1,          -1,  -1,  L"", L"", {1, 2, 3, 4}},
        {"start from", L"2024-01-15 00:00:00",
         L"",          L"",
         L"",          L"",
         L"",          -1,
         -1,           -1,
         -1,           L"",
         L"",          -1,
         -1,           -1,
         -1,           L"",
         L"",          {5}},
        {"start to", L"",         L"2024-01-01 08:00:00",
         L"",        L"",         L"",
         L"",        -1,          -1,
         -1,         -1,          L"",
         L"",        -1,          -1,
         -1,         -1,          L"",
         L"",        {1, 2, 3, 4}},
        {"end window",
         L"",
         L"",
         L"2024-02-02 00:00:00",
         L"2024-02-02 00:00:00",
         L"",
         L"",
         -1,
         -1,
         -1,
         -1,
         L"",
         L"",
         -1,
         -1,
         -1,
         -1,
         L"",
         L"",
         {5}},
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
        EXPECT_EQ(-1, db.QueryByFilter(rows, 1, L"", L"", L"", L"", L"", L"", -1, -1, -1, -1, L"", L"", -1, -1, -1, -1,
                                       L"", list));
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
        {L"D:\\rec_1\\", {1}}, {L"d:\\REC_1\\", {1}},  // Windows paths: letters without regard to case
        {L"D:\\50%", {3}},     {L"E:\\x!y", {5}},     {L"E:\\O'Neil\\", {6}}, {L"D:", {1, 2, 3, 4}}, {L"F:", {}},
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
