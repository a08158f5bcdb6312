// The record list database over a real SQLite file in a temporary folder:
// rows, the old table layout and the fixture the record list tests share.
#pragma once

#include "app/core/CRecordListDB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "SqlFile.h"
#include "TempDir.h"

RECORD_LIST_ROW MakeRow(int dev, int channel, const wchar_t* start, const wchar_t* end, const wchar_t* path,
                        int type = 0, int fileLen = 100);

std::vector<int> Ids(const RECORD_LIST_ROWS& rows);

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

std::vector<std::string> IndexNames(SqlFile& raw);

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
        for (const RECORD_LIST_ROW& row : rows) ASSERT_EQ(0, db.Insert(row));
    }
    std::vector<int> Search(const wchar_t* from, const wchar_t* to, int dev = -1, int channel = -1, int type = -1) {
        RECORD_LIST_ROWS rows;
        EXPECT_EQ(0, db.SearchRecords(rows, 1, from, to, L"", L"", dev, channel, type, -1, L"", L"", -1, -1, -1, -1,
                                      L"", L""));
        return Ids(rows);
    }
    size_t Count() {
        RECORD_LIST_ROWS rows;
        db.QueryAll(rows);
        return rows.size();
    }
};
