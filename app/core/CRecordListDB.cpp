#include "CRecordListDB.h"

#include "common/CAutoLock.h"
#include "CSqlCommand.h"

namespace {

const char kCreateTable[] =
    "CREATE TABLE D_RecordList(L_ID BIGINT,L_DevID BIGINT, I_ChannelIndex INT,L_SrcDevID BIGINT,"
    "I_SrcChannelIndex INT,I_Type INT,C_StartTime varchar(20),C_EndTime varchar(20),I_FileType INT,"
    "C_CardSN varchar(20),C_Info varchar(256),C_FilePath varchar(256),L_FileLen BIGINT,"
    "C_UpdateTime varchar(20),I_RecType INT);";

// The columns in table order with the types of the CREATE statement, for
// completing a table written by an older version.
const struct {
    const char* name;
    const char* type;
} kColumns[] = {
    {"L_ID", "BIGINT"},
    {"L_DevID", "BIGINT"},
    {"I_ChannelIndex", "INT"},
    {"L_SrcDevID", "BIGINT"},
    {"I_SrcChannelIndex", "INT"},
    {"I_Type", "INT"},
    {"C_StartTime", "varchar(20)"},
    {"C_EndTime", "varchar(20)"},
    {"I_FileType", "INT"},
    {"C_CardSN", "varchar(20)"},
    {"C_Info", "varchar(256)"},
    {"C_FilePath", "varchar(256)"},
    {"L_FileLen", "BIGINT"},
    {"C_UpdateTime", "varchar(20)"},
    {"I_RecType", "INT"},
};

// The columns stay as the file format has them; an index is an addition any
// older file accepts, made whenever the file is opened. Without them every
// search and the MAX(L_ID) of every insert read the whole table.
const char* const kCreateIndexes[] = {
    // MAX(L_ID) of each insert; the clean-up reads, oldest row first.
    "CREATE INDEX IF NOT EXISTS IX_RecordList_ID ON D_RecordList(L_ID)",
    // The record manager's search, the download runner's check, deleting a row.
    "CREATE INDEX IF NOT EXISTS IX_RecordList_Device ON D_RecordList(L_DevID,I_ChannelIndex,C_StartTime,C_EndTime)",
    // Expiry's cut-off.
    "CREATE INDEX IF NOT EXISTS IX_RecordList_Start ON D_RecordList(C_StartTime)",
    // The clean-up of one drive; LIKE compares ASCII letters without case, so
    // only an index of that collation serves it.
    "CREATE INDEX IF NOT EXISTS IX_RecordList_Path ON D_RecordList(C_FilePath COLLATE NOCASE)",
};

// How a clean-up read reaches the rows with the lowest L_IDs among those
// matching its condition. Walking the L_ID index stops after `limit` matches:
// fast when matches are common, a walk of the whole table when they are rare
// (a drive added lately, nothing expired yet). Collecting the matches through
// the index of the condition and sorting them is fast exactly when they are
// few. A count through that index, bounded by kProbeRows, chooses. A column
// written with a unary "+" is one SQLite will not reach through an index,
// which is how each statement is held to its way.
enum class Access { kPlanner, kById, kByStart, kByPath };
const int kProbeRows = 20000;

const char kSelectHead[] =
    "SELECT L_ID,L_DevID,I_ChannelIndex,L_SrcDevID,I_SrcChannelIndex,I_Type,C_StartTime,C_EndTime,"
    "I_FileType,C_CardSN,C_Info,C_FilePath,L_FileLen,C_UpdateTime,I_RecType FROM D_RecordList WHERE 1 = 1";

void AddText(CSqlCommand& cmd, const char* clause, const CString& value) {
    if (!value.IsEmpty()) cmd.Add(clause, value);
}

void AddNumber(CSqlCommand& cmd, const char* clause, int value) {
    if (value != -1) cmd.Add(clause, value);
}

void AddEqualNumber(CSqlCommand& cmd, const char* column, int value, bool nullIsZero) {
    if (value == -1) return;
    CStringA clause;
    clause.Format(nullIsZero ? " AND IFNULL(%s, 0) = ?" : " AND %s = ?", column);
    cmd.Add(clause, value);
}

// Rows that overlap the window from..to; either bound may be unset. No
// index serves an overlap, and one on the start time would tempt SQLite
// into walking it for the order, one row lookup per row of the table; the
// "+" keeps the times to filtering, so a search by device goes through the
// device index and a search of every device reads the table once.
void AddOverlap(CSqlCommand& cmd, const CString& from, const CString& to) {
    if (!from.IsEmpty() && !to.IsEmpty())
        cmd.Add(
            " AND ((+C_StartTime <= ? AND +C_EndTime >= ?) OR (+C_StartTime <= ? AND +C_EndTime >= ?)"
            " OR (+C_StartTime >= ? AND +C_EndTime <= ?))",
            {from, from, to, to, from, to});
    else if (!from.IsEmpty())
        cmd.Add(" AND ((+C_StartTime <= ? AND +C_EndTime >= ?) OR (+C_StartTime >= ?))", {from, from, from});
    else if (!to.IsEmpty())
        cmd.Add(" AND ((+C_StartTime <= ? AND +C_EndTime >= ?) OR (+C_EndTime <= ?))", {to, to, to});
}

// Appends the clause of every set filter; with nullIsZero a NULL number
// column matches a filter of 0. False when a type list is not a list of
// decimal codes.
bool AddFilters(CSqlCommand& cmd, const RecordFilter& f, bool nullIsZero = false) {
    AddOverlap(cmd, f.overlapFrom, f.overlapTo);
    AddText(cmd, " AND C_StartTime >= ?", f.startFrom);
    AddText(cmd, " AND C_StartTime <= ?", f.startTo);
    AddText(cmd, " AND C_EndTime >= ?", f.endFrom);
    AddText(cmd, " AND C_EndTime <= ?", f.endTo);
    AddText(cmd, " AND C_UpdateTime >= ?", f.updateFrom);
    AddText(cmd, " AND C_UpdateTime <= ?", f.updateTo);
    AddEqualNumber(cmd, "L_DevID", f.devId, nullIsZero);
    AddEqualNumber(cmd, "I_ChannelIndex", f.channel, nullIsZero);
    AddEqualNumber(cmd, "L_SrcDevID", f.srcDevId, nullIsZero);
    AddEqualNumber(cmd, "I_SrcChannelIndex", f.srcChannel, nullIsZero);
    AddEqualNumber(cmd, "I_Type", f.type, nullIsZero);
    if (!f.typesNotIn.IsEmpty() && !cmd.AddCodeList(" AND I_Type NOT", f.typesNotIn)) return false;
    AddEqualNumber(cmd, "I_FileType", f.fileType, nullIsZero);
    AddText(cmd, " AND C_CardSN = ?", f.cardSN);
    if (!f.info.IsEmpty()) cmd.Add(" AND C_Info LIKE ? ESCAPE '!'", L"%" + CSqlCommand::LikeLiteral(f.info) + L"%");
    AddText(cmd, " AND C_FilePath = ?", f.filePath);
    AddNumber(cmd, " AND L_FileLen >= ?", f.minLen);
    AddNumber(cmd, " AND L_FileLen <= ?", f.maxLen);
    return f.typesIn.IsEmpty() || cmd.AddCodeList(" AND I_Type", f.typesIn);
}

void AddPrefixes(CSqlCommand& cmd, const std::vector<CString>& prefixes, bool indexed = true) {
    if (prefixes.empty()) return;
    const char* column = indexed ? "C_FilePath" : "+C_FilePath";
    cmd.Add(" AND (");
    for (size_t i = 0; i < prefixes.size(); ++i) {
        cmd.Add(i == 0 ? "" : " OR ");
        cmd.Add(column);
        cmd.Add(" LIKE ? ESCAPE '!'", CSqlCommand::LikeLiteral(prefixes[i]) + L"%");
    }
    cmd.Add(")");
}

void AddOrderById(CSqlCommand& cmd, int limit, Access access = Access::kPlanner) {
    const bool sorted = access == Access::kByStart || access == Access::kByPath;
    cmd.Add(sorted ? " ORDER BY +L_ID" : " ORDER BY L_ID");
    if (limit >= 0) cmd.Add(" LIMIT ?", limit);
}

// Unset values (NULL, as in columns added to an older table) keep the
// row's defaults.
void ReadInt(sqlite3_stmt* stmt, int column, int& field) {
    if (sqlite3_column_type(stmt, column) != SQLITE_NULL) field = static_cast<int>(sqlite3_column_int64(stmt, column));
}

RECORD_LIST_ROW ReadRow(sqlite3_stmt* stmt) {
    RECORD_LIST_ROW row;
    ReadInt(stmt, 0, row.L_ID);
    ReadInt(stmt, 1, row.L_DevID);
    ReadInt(stmt, 2, row.I_ChannelIndex);
    ReadInt(stmt, 3, row.L_SrcDevID);
    ReadInt(stmt, 4, row.I_SrcChannelIndex);
    ReadInt(stmt, 5, row.I_Type);
    row.C_StartTime = CSqlCommand::ColumnText(stmt, 6);
    row.C_EndTime = CSqlCommand::ColumnText(stmt, 7);
    ReadInt(stmt, 8, row.I_FileType);
    row.C_CardSN = CSqlCommand::ColumnText(stmt, 9);
    row.C_Info = CSqlCommand::ColumnText(stmt, 10);
    row.C_FilePath = CSqlCommand::ColumnText(stmt, 11);
    ReadInt(stmt, 12, row.L_FileLen);
    row.C_UpdateTime = CSqlCommand::ColumnText(stmt, 13);
    ReadInt(stmt, 14, row.I_RecType);
    return row;
}

}  // namespace

CRecordListDB::~CRecordListDB() {
    CAutoLock guard(&m_lock);
    CloseLocked();
}

void CRecordListDB::CloseLocked() {
    CSqlCommand::CloseFile(m_pDB);
    m_pDB = nullptr;
    m_bOpen = 0;
}

int CRecordListDB::Open(const CString& path) {
    CAutoLock guard(&m_lock);
    m_strPath = path;
    CloseLocked();
    OpenLocked();
    // Every page is checked at once: a file that is no database, or is
    // damaged anywhere, shows here, before anything is written into it, and
    // not only when a search first reaches the damaged page.
    if (m_bOpen && CSqlCommand::IsDamagedFile(m_pDB)) StartNewFileLocked();
    // A file without the table gets them with it; one of an older version
    // gets them now, once (a few seconds at a million rows).
    if (m_bOpen) CreateIndexes();
    return m_bOpen;
}

void CRecordListDB::OpenLocked() {
    // A short busy time-out rides over a statement of the other thread or of
    // a second program instance without blocking the UI for long.
    m_pDB = CSqlCommand::OpenFile(m_strPath, false, 2000);
    m_bOpen = m_pDB ? 1 : 0;
}

bool CRecordListDB::StartNewFileLocked() {
    CloseLocked();
    CString keptAs;
    if (CSqlCommand::SetAsideDamagedFile(m_strPath, &keptAs) != 0)
        return false;  // left closed: nothing is written into the damaged file
    OpenLocked();
    if (!m_bOpen || CSqlCommand(kCreateTable).Execute(m_pDB) != 0) return false;
    // The stored files listed before the damage stay listed.
    CSqlCommand::CopyReadableRows(keptAs, m_pDB, "D_RecordList");
    CreateIndexes();
    return true;
}

int CRecordListDB::Run(const CSqlCommand& command) {
    CAutoLock guard(&m_lock);
    int rc = command.Execute(m_pDB);
    // What was to be written into a damaged file goes into the new one.
    if (rc != 0 && command.FoundDamage() && StartNewFileLocked()) rc = command.Execute(m_pDB);
    return rc;
}

int CRecordListDB::Read(const CSqlCommand& command, RECORD_LIST_ROWS& rows) {
    CAutoLock guard(&m_lock);
    const int rc = command.ForEachRow(m_pDB, [&rows](sqlite3_stmt* stmt) { rows.push_back(ReadRow(stmt)); });
    if (rc != 0 && command.FoundDamage()) StartNewFileLocked();
    return rc;
}

int CRecordListDB::CountUpTo(const std::function<void(CSqlCommand&)>& addCondition) {
    CSqlCommand cmd("SELECT COUNT(*) FROM (SELECT 1 FROM D_RecordList WHERE 1 = 1");
    addCondition(cmd);
    cmd.Add(" LIMIT ?)", kProbeRows);
    int count = kProbeRows;
    CAutoLock guard(&m_lock);
    cmd.ForEachRow(m_pDB, [&count](sqlite3_stmt* stmt) { count = sqlite3_column_int(stmt, 0); });
    return count;
}

int CRecordListDB::CreateIndexes() {
    CAutoLock guard(&m_lock);
    int result = 0;
    for (const char* statement : kCreateIndexes) {
        CSqlCommand command(statement);
        if (command.Execute(m_pDB) == 0) continue;
        result = -1;
        // Making an index reads the whole table: damage in it shows here.
        if (command.FoundDamage()) return StartNewFileLocked() ? 0 : -1;  // the new file has them
    }
    return result;
}

int CRecordListDB::CreateTable() {
    if (Run(CSqlCommand(kCreateTable)) != 0) return -2;
    CreateIndexes();
    return 0;
}

int CRecordListDB::CheckTable(int rebuild) {
    CAutoLock guard(&m_lock);
    std::vector<CStringA> present;
    CSqlCommand columns("PRAGMA table_info(D_RecordList)");
    int rc = columns.ForEachRow(m_pDB, [&present](sqlite3_stmt* stmt) {
        present.push_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
    });
    if (rc != 0 && columns.FoundDamage()) return StartNewFileLocked() ? 0 : -2;  // the new file has the table
    if (rc != 0) return -2;
    if (present.empty()) return CreateTable();

    bool complete = true;
    for (const auto& column : kColumns) {
        bool found = false;
        for (const CStringA& name : present) found = found || name.CompareNoCase(column.name) == 0;
        if (found) continue;
        complete = false;
        CStringA alter;
        alter.Format("ALTER TABLE D_RecordList ADD %s %s NULL", column.name, column.type);
        if (Run(CSqlCommand(alter)) != 0) return -2;
    }
    if (!complete) CreateIndexes();
    if (!complete || !rebuild) return 0;

    if (Run(CSqlCommand("SELECT 1 FROM D_RecordList WHERE 1 = 2")) != 0) return -1;
    CloseLocked();
    DeleteFileW(m_strPath);
    if (!Open(m_strPath)) return -3;
    return CreateTable();
}

int CRecordListDB::Insert(const RECORD_LIST_ROW& row) {
    CSqlCommand cmd(
        "INSERT INTO D_RecordList(L_ID,L_DevID,I_ChannelIndex,L_SrcDevID,I_SrcChannelIndex,I_Type,C_StartTime,"
        "C_EndTime,I_FileType,C_CardSN,C_Info,C_FilePath,L_FileLen,C_UpdateTime,I_RecType)"
        " VALUES((SELECT IFNULL(MAX(L_ID),0) + 1 FROM D_RecordList)");
    cmd.Add(",?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            {row.L_DevID, row.I_ChannelIndex, row.L_SrcDevID, row.I_SrcChannelIndex, row.I_Type, row.C_StartTime,
             row.C_EndTime, row.I_FileType, row.C_CardSN, row.C_Info, row.C_FilePath, row.L_FileLen, row.C_UpdateTime,
             row.I_RecType});
    return Run(cmd);
}

int CRecordListDB::Delete(const RecordFilter& filter) { return DeleteMatching(filter, false); }

int CRecordListDB::DeleteMatching(const RecordFilter& filter, bool nullIsZero) {
    CSqlCommand cmd("DELETE FROM D_RecordList WHERE 1 = 1");
    if (!AddFilters(cmd, filter, nullIsZero)) return -1;
    return Run(cmd);
}

int CRecordListDB::DeleteRow(const RECORD_LIST_ROW& row) {
    RecordFilter f;
    f.startFrom = f.startTo = row.C_StartTime;
    f.endFrom = f.endTo = row.C_EndTime;
    f.updateFrom = f.updateTo = row.C_UpdateTime;
    f.devId = row.L_DevID;
    f.channel = row.I_ChannelIndex;
    f.srcDevId = row.L_SrcDevID;
    f.srcChannel = row.I_SrcChannelIndex;
    f.type = row.I_Type;
    f.fileType = row.I_FileType;
    f.cardSN = row.C_CardSN;
    f.info = row.C_Info;
    f.filePath = row.C_FilePath;
    // A row read back holds 0 (its default) where the table holds NULL, as
    // in the columns added to an older table; deleting that row must match
    // such a NULL.
    return DeleteMatching(f, true);
}

int CRecordListDB::UpdateInfo(const CString& startTime, int devId, int channel, int type, int fileType,
                              const CString& info, int fileLen, const CString& filePath) {
    CSqlCommand cmd;
    cmd.Add("UPDATE D_RecordList SET C_Info = ?,L_FileLen = ?,C_FilePath = ? WHERE 1 = 1", {info, fileLen, filePath});
    cmd.Add(" AND C_StartTime >= ? AND L_DevID = ? AND I_ChannelIndex = ? AND I_Type = ? AND I_FileType = ?",
            {startTime, devId, channel, type, fileType});
    return Run(cmd);
}

int CRecordListDB::SearchRecords(RECORD_LIST_ROWS& rows, const RecordFilter& filter) {
    CSqlCommand cmd(kSelectHead);
    if (!AddFilters(cmd, filter)) return -1;
    cmd.Add(" ORDER BY +C_StartTime,+C_EndTime");
    return Read(cmd, rows);
}

int CRecordListDB::QueryByFilter(RECORD_LIST_ROWS& rows, const RecordFilter& filter) {
    CSqlCommand cmd(kSelectHead);
    if (!AddFilters(cmd, filter)) return -1;
    AddOrderById(cmd, -1);
    return Read(cmd, rows);
}

int CRecordListDB::QueryAll(RECORD_LIST_ROWS& rows) { return QueryPage(rows, -1); }

int CRecordListDB::QueryPage(RECORD_LIST_ROWS& rows, int limit) {
    CSqlCommand cmd(kSelectHead);
    AddOrderById(cmd, limit);
    return Read(cmd, rows);
}

int CRecordListDB::QueryByPath(RECORD_LIST_ROWS& rows, const CString& path) {
    CSqlCommand cmd(kSelectHead);
    AddText(cmd, " AND C_FilePath = ?", path);
    AddOrderById(cmd, -1);
    return Read(cmd, rows);
}

int CRecordListDB::QueryByPathPrefix(RECORD_LIST_ROWS& rows, int limit, const CString& prefix) {
    return QueryByPathPrefixes(rows, limit, std::vector<CString>(1, prefix));
}

int CRecordListDB::QueryByPathPrefixes(RECORD_LIST_ROWS& rows, int limit, const std::vector<CString>& prefixes) {
    Access access = Access::kPlanner;
    if (limit >= 0 && !prefixes.empty()) {
        const int matches = CountUpTo([&prefixes](CSqlCommand& cmd) { AddPrefixes(cmd, prefixes); });
        access = matches < kProbeRows ? Access::kByPath : Access::kById;
    }
    CSqlCommand cmd(kSelectHead);
    AddPrefixes(cmd, prefixes, access != Access::kById);
    AddOrderById(cmd, limit, access);
    return Read(cmd, rows);
}

int CRecordListDB::QueryOlderByPathPrefixes(RECORD_LIST_ROWS& rows, int limit, const CString& time,
                                            const std::vector<CString>& prefixes) {
    Access access = Access::kPlanner;
    if (limit >= 0) {
        const int older = CountUpTo([&time](CSqlCommand& cmd) { cmd.Add(" AND C_StartTime <= ?", time); });
        const int onDrives =
            prefixes.empty() ? kProbeRows : CountUpTo([&prefixes](CSqlCommand& cmd) { AddPrefixes(cmd, prefixes); });
        if (older < kProbeRows || onDrives < kProbeRows)
            access = older <= onDrives ? Access::kByStart : Access::kByPath;
        else
            access = Access::kById;
    }
    CSqlCommand cmd(kSelectHead);
    const bool startIndexed = access == Access::kPlanner || access == Access::kByStart;
    cmd.Add(startIndexed ? " AND C_StartTime <= ?" : " AND +C_StartTime <= ?", time);
    AddPrefixes(cmd, prefixes, access == Access::kPlanner || access == Access::kByPath);
    AddOrderById(cmd, limit, access);
    return Read(cmd, rows);
}

int CRecordListDB::QueryFirstBySize(RECORD_LIST_ROWS& rows, int64_t amount) {
    RECORD_LIST_ROWS all;
    int rc = QueryAll(all);
    int64_t sum = 0;
    for (size_t i = 0; i < all.size() && sum < amount; ++i) {
        rows.push_back(all[i]);
        sum += all[i].L_FileLen;
    }
    return rc;
}

int CRecordListDB::DeleteFirstBySize(int64_t amount) {
    RECORD_LIST_ROWS all;
    if (QueryAll(all) != 0) return -1;
    int64_t sum = 0;
    for (size_t i = 0; i < all.size() && sum < amount; ++i) {
        if (DeleteRow(all[i]) == 0) sum += all[i].L_FileLen;
    }
    return 0;
}

int CRecordListDB::DeleteFirstRows(int n) {
    RECORD_LIST_ROWS first;
    int result = QueryPage(first, n);
    for (const RECORD_LIST_ROW& row : first) {
        if (DeleteRow(row) != 0) result = -1;
    }
    return result;
}

// ---- The filters in order: the positional forms over RecordFilter ----------

namespace {

// The filters the positional Delete, SearchRecords and QueryByFilter share.
RecordFilter CommonFilter(const CString& updateFrom, const CString& updateTo, int devId, int channel, int type,
                          int fileType, const CString& cardSN, const CString& info, int srcDevId, int srcChannel,
                          const CString& typesNotIn, const CString& typesIn) {
    RecordFilter f;
    f.updateFrom = updateFrom;
    f.updateTo = updateTo;
    f.devId = devId;
    f.channel = channel;
    f.type = type;
    f.fileType = fileType;
    f.cardSN = cardSN;
    f.info = info;
    f.srcDevId = srcDevId;
    f.srcChannel = srcChannel;
    f.typesNotIn = typesNotIn;
    f.typesIn = typesIn;
    return f;
}

void SetSpan(RecordFilter& f, const CString& startFrom, const CString& startTo, const CString& endFrom,
             const CString& endTo) {
    f.startFrom = startFrom;
    f.startTo = startTo;
    f.endFrom = endFrom;
    f.endTo = endTo;
}

}  // namespace

int CRecordListDB::Delete(const CString& startFrom, const CString& startTo, const CString& endFrom,
                          const CString& endTo, const CString& updateFrom, const CString& updateTo, int devId,
                          int channel, int type, int fileType, const CString& cardSN, const CString& info,
                          const CString& filePath, int srcDevId, int srcChannel, const CString& typesNotIn,
                          const CString& typesIn) {
    RecordFilter f = CommonFilter(updateFrom, updateTo, devId, channel, type, fileType, cardSN, info, srcDevId,
                                  srcChannel, typesNotIn, typesIn);
    SetSpan(f, startFrom, startTo, endFrom, endTo);
    f.filePath = filePath;
    return Delete(f);
}

int CRecordListDB::SearchRecords(RECORD_LIST_ROWS& rows, int filter, const CString& from, const CString& to,
                                 const CString& updateFrom, const CString& updateTo, int devId, int channel, int type,
                                 int fileType, const CString& cardSN, const CString& info, int minLen, int maxLen,
                                 int srcDevId, int srcChannel, const CString& typesNotIn, const CString& typesIn) {
    if (filter != 1) return SearchRecords(rows, RecordFilter());
    RecordFilter f = CommonFilter(updateFrom, updateTo, devId, channel, type, fileType, cardSN, info, srcDevId,
                                  srcChannel, typesNotIn, typesIn);
    f.overlapFrom = from;
    f.overlapTo = to;
    f.minLen = minLen;
    f.maxLen = maxLen;
    return SearchRecords(rows, f);
}

int CRecordListDB::QueryByFilter(RECORD_LIST_ROWS& rows, int filter, const CString& startFrom, const CString& startTo,
                                 const CString& endFrom, const CString& endTo, const CString& updateFrom,
                                 const CString& updateTo, int devId, int channel, int type, int fileType,
                                 const CString& cardSN, const CString& info, int minLen, int maxLen, int srcDevId,
                                 int srcChannel, const CString& typesNotIn, const CString& typesIn) {
    if (filter != 1) return QueryByFilter(rows, RecordFilter());
    RecordFilter f = CommonFilter(updateFrom, updateTo, devId, channel, type, fileType, cardSN, info, srcDevId,
                                  srcChannel, typesNotIn, typesIn);
    SetSpan(f, startFrom, startTo, endFrom, endTo);
    f.minLen = minLen;
    f.maxLen = maxLen;
    return QueryByFilter(rows, f);
}

namespace {

// The filters DeleteWhere and SelectWhere take; every other one unset.
RecordFilter WhereFilter(const CString& startFrom, const CString& startTo, const CString& endFrom, const CString& endTo,
                         const CString& updateFrom, const CString& updateTo, int type, const CString& typesNotIn,
                         const CString& typesIn) {
    RecordFilter f;
    SetSpan(f, startFrom, startTo, endFrom, endTo);
    f.updateFrom = updateFrom;
    f.updateTo = updateTo;
    f.type = type;
    f.typesNotIn = typesNotIn;
    f.typesIn = typesIn;
    return f;
}

}  // namespace

int CRecordListDB::DeleteWhere(const CString& startFrom, const CString& startTo, const CString& endFrom,
                               const CString& endTo, const CString& updateFrom, const CString& updateTo, int type,
                               const CString& typesNotIn, const CString& typesIn) {
    return Delete(WhereFilter(startFrom, startTo, endFrom, endTo, updateFrom, updateTo, type, typesNotIn, typesIn));
}

int CRecordListDB::SelectWhere(RECORD_LIST_ROWS& rows, const CString& startFrom, const CString& startTo,
                               const CString& endFrom, const CString& endTo, const CString& updateFrom,
                               const CString& updateTo, int type, const CString& typesNotIn, const CString& typesIn) {
    return QueryByFilter(
        rows, WhereFilter(startFrom, startTo, endFrom, endTo, updateFrom, updateTo, type, typesNotIn, typesIn));
}
