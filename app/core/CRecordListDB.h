// CRecordListDB: the index of every stored record file and picture, table
// D_RecordList of RecordList.db in the current user's folder.
//
// Every value reaches SQLite as a bound parameter: device and channel names
// end up in file paths, and an apostrophe or a "%" in them must neither break
// a statement nor widen a filter. Text columns hold the ANSI code page.
//
// One connection serves the UI thread and the maintenance thread, and the
// engine reopens it after every login; a lock keeps each whole statement and
// every open or close apart.
#pragma once

#include <afx.h>

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "common/CLock.h"

// One row of D_RecordList, fields in column order.
struct RECORD_LIST_ROW {
    int L_ID = 0;
    int L_DevID = 0;
    int I_ChannelIndex = 0;
    int L_SrcDevID = 0;
    int I_SrcChannelIndex = 0;
    int I_Type = 0;
    CString C_StartTime;  // "%Y-%m-%d %H:%M:%S", local time
    CString C_EndTime;
    int I_FileType = 0;
    CString C_CardSN;
    CString C_Info;
    CString C_FilePath;
    int L_FileLen = 0;
    CString C_UpdateTime;
    int I_RecType = -1;
};

typedef std::vector<RECORD_LIST_ROW> RECORD_LIST_ROWS;

// Every filter a query or a delete can carry; a row matches when it passes
// each one that is set. Unset: -1 for numbers, "" for texts. A type list is
// a comma-separated list of decimal codes; a list holding anything else
// makes the operation fail (-1).
struct RecordFilter {
    // The row's span overlaps overlapFrom..overlapTo; either may be unset.
    CString overlapFrom, overlapTo;
    // Bounds of the start, end and update times, each inclusive.
    CString startFrom, startTo, endFrom, endTo, updateFrom, updateTo;
    int devId = -1, channel = -1, srcDevId = -1, srcChannel = -1, type = -1, fileType = -1;
    CString cardSN;
    CString info;  // contained in C_Info
    CString filePath;
    int minLen = -1, maxLen = -1;  // bounds of L_FileLen
    CString typesNotIn, typesIn;
};

// Queries append to the caller's vector without emptying it; they return 0,
// or -1 when the statement could not be prepared or run (no connection, no
// table, locked file, a damaged file), rows read before a failure staying
// appended.
//
// A file that is no database or shows damage (every page is checked at
// open; later damage in any statement) is set aside
// (CSqlCommand::SetAsideDamagedFile) and a new one with the table and the
// rows read before the damage takes its place; a write that met the damage
// is made in the new file, a query that met it fails.
class CRecordListDB {
public:
    CRecordListDB() {}
    ~CRecordListDB();
    CRecordListDB(const CRecordListDB&) = delete;
    CRecordListDB& operator=(const CRecordListDB&) = delete;

    // Keeps the path, closes any previous connection and opens the file,
    // creating it when missing; a table without the indexes the searches
    // need gets them (the columns stay as they are). 1 when open, else 0.
    int Open(const CString& path);
    // Makes sure D_RecordList exists with all fifteen columns, adding the
    // missing ones to an older table (its rows kept). With rebuild non-zero an
    // existing complete table is dropped with the whole file and created
    // anew. 0 ok; -1 rebuild asked but the table cannot be read; -2 the
    // table could not be created or completed; -3 the file could not be
    // opened again after deleting it.
    int CheckTable(int rebuild);

    // Inserts the row with L_ID one above the largest in the table (1 in an
    // empty table); row.L_ID is not used. 0 ok, -1 failure.
    int Insert(const RECORD_LIST_ROW& row);
    // Deletes the rows matching the filter (all rows when none is set). 0 ok,
    // -1 failure.
    int Delete(const RecordFilter& filter);
    // Delete with these filters.
    int Delete(const CString& startFrom, const CString& startTo, const CString& endFrom, const CString& endTo,
               const CString& updateFrom, const CString& updateTo, int devId, int channel, int type, int fileType,
               const CString& cardSN, const CString& info, const CString& filePath, int srcDevId, int srcChannel,
               const CString& typesNotIn, const CString& typesIn);
    // Delete with the row's times as exact bounds and its device, channel,
    // type, file type, card, info, path and source as filters (unset values
    // in the row are not compared; L_ID, L_FileLen, I_RecType never are). A
    // number column that is NULL in the table matches 0, the value it reads
    // as, so a row read from the table is always deleted.
    int DeleteRow(const RECORD_LIST_ROW& row);
    // Sets info, length and path of the rows starting at or after startTime
    // with exactly this device, channel, type and file type (all five always
    // compared). 0 ok, -1 failure.
    int UpdateInfo(const CString& startTime, int devId, int channel, int type, int fileType, const CString& info,
                   int fileLen, const CString& filePath);

    // The rows matching the filter, ordered by C_StartTime, C_EndTime.
    int SearchRecords(RECORD_LIST_ROWS& rows, const RecordFilter& filter);
    // With filter 1 SearchRecords with these filters, from..to being the
    // overlap; otherwise every row.
    int SearchRecords(RECORD_LIST_ROWS& rows, int filter, const CString& from, const CString& to,
                      const CString& updateFrom, const CString& updateTo, int devId, int channel, int type,
                      int fileType, const CString& cardSN, const CString& info, int minLen, int maxLen, int srcDevId,
                      int srcChannel, const CString& typesNotIn, const CString& typesIn);
    // The rows matching the filter, ordered by L_ID.
    int QueryByFilter(RECORD_LIST_ROWS& rows, const RecordFilter& filter);
    // With filter 1 QueryByFilter with these filters; otherwise every row.
    int QueryByFilter(RECORD_LIST_ROWS& rows, int filter, const CString& startFrom, const CString& startTo,
                      const CString& endFrom, const CString& endTo, const CString& updateFrom, const CString& updateTo,
                      int devId, int channel, int type, int fileType, const CString& cardSN, const CString& info,
                      int minLen, int maxLen, int srcDevId, int srcChannel, const CString& typesNotIn,
                      const CString& typesIn);
    int QueryAll(RECORD_LIST_ROWS& rows);
    // The first rows by L_ID, at most limit (-1: all).
    int QueryPage(RECORD_LIST_ROWS& rows, int limit);
    // Rows whose path equals path exactly ("" : all rows), by L_ID.
    int QueryByPath(RECORD_LIST_ROWS& rows, const CString& path);
    // Rows whose path begins with prefix (taken literally, "_" and "%"
    // included; letters compared without regard to ASCII case, as Windows
    // paths are), by L_ID, at most limit (-1: all).
    int QueryByPathPrefix(RECORD_LIST_ROWS& rows, int limit, const CString& prefix);
    // As above for any of the prefixes; an empty list gives every row.
    int QueryByPathPrefixes(RECORD_LIST_ROWS& rows, int limit, const std::vector<CString>& prefixes);
    // Rows starting at or before time and (list not empty) lying under one
    // of the prefixes, by L_ID, at most limit (-1: all).
    int QueryOlderByPathPrefixes(RECORD_LIST_ROWS& rows, int limit, const CString& time,
                                 const std::vector<CString>& prefixes);
    // The rows of QueryAll, in order, until their L_FileLen add up to amount.
    int QueryFirstBySize(RECORD_LIST_ROWS& rows, int64_t amount);
    // DeleteRow for the rows of QueryAll in order until the lengths deleted
    // add up to amount. 0, or -1 when the rows cannot be read.
    int DeleteFirstBySize(int64_t amount);
    // DeleteRow for each of the first n rows. -1 when any delete failed.
    int DeleteFirstRows(int n);
    // Delete with these filters only.
    int DeleteWhere(const CString& startFrom, const CString& startTo, const CString& endFrom, const CString& endTo,
                    const CString& updateFrom, const CString& updateTo, int type, const CString& typesNotIn,
                    const CString& typesIn);
    // QueryByFilter (filter on) with these filters only.
    int SelectWhere(RECORD_LIST_ROWS& rows, const CString& startFrom, const CString& startTo, const CString& endFrom,
                    const CString& endTo, const CString& updateFrom, const CString& updateTo, int type,
                    const CString& typesNotIn, const CString& typesIn);

    const CString& GetPath() const { return m_strPath; }
    BOOL IsOpen() const { return m_bOpen == 1; }

private:
    void CloseLocked();
    void OpenLocked();
    // The file is no database or is damaged: it is set aside and a new one
    // with the table takes its place. False when that failed (the
    // connection stays closed, the damaged file untouched).
    bool StartNewFileLocked();
    // Creates the missing indexes of the table. 0, or -1 when one could not
    // be made (no table yet, a read-only or locked file): the reads then
    // still work, only slower. A table found damaged meanwhile has the file
    // set aside and a new one started.
    int CreateIndexes();
    int CreateTable();
    // The rows matching the condition, counted through its index up to a
    // bound; the bound itself when there are that many or they cannot be
    // counted.
    int CountUpTo(const std::function<void(class CSqlCommand&)>& addCondition);
    // Delete; with nullIsZero a NULL number column matches a filter of 0.
    int DeleteMatching(const RecordFilter& filter, bool nullIsZero);
    int Run(const class CSqlCommand& command);
    int Read(const class CSqlCommand& command, RECORD_LIST_ROWS& rows);

    CString m_strPath;
    sqlite3* m_pDB = nullptr;
    int m_bOpen = 0;
    CLock m_lock;
};
