#include "CLogDB.h"

#include <cstdint>
#include <ctime>
#include <cwchar>
#include <new>

#include "common/CAutoLock.h"
#include "CSqlCommand.h"
#include "FileNameRule.h"
#include "FileUtil.h"
#include "TextValues.h"

namespace {

const char kCreateTable[] =
    "CREATE TABLE D_Logs(L_ID BIGINT,I_LogType INT, I_SubType INT,C_StartTime varchar(20),"
    "C_StopTime varchar(20),L_SrcDevID BIGINT,I_SrcChannelIdx INT,L_DesDevID BIGINT,I_DesChannelIdx INT,"
    "I_Option INT,C_Information varchar(256),C_FileName varchar(256),C_OtherInfo varchar(256),"
    "C_UserID varchar(256),C_UpdateTime varchar(20));";

// The columns stay as the file format has them; an index is an addition any
// older month accepts. Without it the MAX(L_ID) of every entry written reads
// the whole month.
const char kCreateIdIndex[] = "CREATE INDEX IF NOT EXISTS IX_Logs_ID ON D_Logs(L_ID)";

const wchar_t kDefaultNameRule[] = L"{Y4}_{M2}.db";

// A write that fails (a locked or broken file) is tried this often, with a
// pause between tries, and then given up: one bad entry must neither spin
// the writer nor hold up every entry behind it for ever.
const int kWriteAttempts = 5;
const DWORD kRetryPauseMs = 100;
// How long one statement waits for a lock held by another connection.
const int kWriterBusyTimeoutMs = 200;
const int kQueryBusyTimeoutMs = 2000;
// Destruction waits this many steps of 100 ms before it stops the writer.
const int kStopAfterSteps = 100;
// A month's list is made room for at once up to this many entries.
const int64_t kMostRowsReserved = 4000000;

bool ToLocal(LOG_TIME t, struct tm& parts) { return _localtime64_s(&parts, &t) == 0; }

CString FormatLogTime(LOG_TIME t) {
    struct tm parts = {};
    if (!ToLocal(t, parts)) ToLocal(GetDefaultLogTime(), parts);
    CString text;
    text.Format(L"%04d-%02d-%02d %02d:%02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                parts.tm_min, parts.tm_sec);
    return text;
}

bool IsUnsetBound(LOG_TIME t) {
    struct tm parts = {};
    return !ToLocal(t, parts) || (parts.tm_year == 100 && parts.tm_mon == 0 && parts.tm_mday == 1);
}

bool SameMonth(LOG_TIME a, LOG_TIME b) {
    struct tm pa = {}, pb = {};
    return ToLocal(a, pa) && ToLocal(b, pb) && pa.tm_year == pb.tm_year && pa.tm_mon == pb.tm_mon;
}

__time64_t ColumnTime(sqlite3_stmt* stmt, int column) {
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return ParseTimeString(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
}

LOG_RECORD ReadLogRow(sqlite3_stmt* stmt) {
    LOG_RECORD record;
    record.I_LogType = sqlite3_column_int(stmt, 1);
    record.I_SubType = sqlite3_column_int(stmt, 2);
    record.C_StartTime = ColumnTime(stmt, 3);
    record.C_StopTime = ColumnTime(stmt, 4);
    record.L_SrcDevID = static_cast<int>(sqlite3_column_int64(stmt, 5));
    record.I_SrcChannelIdx = sqlite3_column_int(stmt, 6);
    record.L_DesDevID = static_cast<int>(sqlite3_column_int64(stmt, 7));
    record.I_DesChannelIdx = sqlite3_column_int(stmt, 8);
    record.I_Option = sqlite3_column_int(stmt, 9);
    record.C_Information = CSqlCommand::ColumnText(stmt, 10);
    record.C_FileName = CSqlCommand::ColumnText(stmt, 11);
    record.C_OtherInfo = CSqlCommand::ColumnText(stmt, 12);
    record.C_UserID = CSqlCommand::ColumnText(stmt, 13);
    record.C_UpdateTime = ColumnTime(stmt, 14);
    return record;
}

// Entries whose span contains a bound or lies between the two; a bound
// dated 2000-01-01 is unset.
void AddTimeWindow(CSqlCommand& cmd, LOG_TIME fromTime, LOG_TIME toTime) {
    bool hasFrom = !IsUnsetBound(fromTime), hasTo = !IsUnsetBound(toTime);
    CString from = FormatLogTime(fromTime), to = FormatLogTime(toTime);
    if (hasFrom && hasTo)
        cmd.Add(
            " AND ((C_StartTime <= ? AND C_StopTime >= ?) OR (C_StartTime <= ? AND C_StopTime >= ?)"
            " OR (C_StartTime >= ? AND C_StopTime <= ?))",
            {from, from, to, to, from, to});
    else if (hasFrom)
        cmd.Add(" AND ((C_StartTime <= ? AND C_StopTime >= ?) OR C_StartTime >= ?)", {from, from, from});
    else if (hasTo)
        cmd.Add(" AND ((C_StartTime <= ? AND C_StopTime >= ?) OR C_StopTime <= ?)", {to, to, to});
}

void AddIfSet(CSqlCommand& cmd, const char* clause, int value) {
    if (value != -1) cmd.Add(clause, value);
}

// Room for every entry of the month at once, for a query that takes them
// all: growing the list step by step copies it again and again, a good part
// of reading a month of 100 000. A filtered query may take a few of them.
void ReserveForMonth(sqlite3* db, std::vector<LOG_RECORD>& out) {
    int64_t rows = 0;
    CSqlCommand("SELECT MAX(rowid) FROM D_Logs").ForEachRow(db, [&rows](sqlite3_stmt* stmt) {
        rows = sqlite3_column_int64(stmt, 0);
    });
    if (rows <= 0 || rows > kMostRowsReserved) return;
    try {
        out.reserve(static_cast<size_t>(rows));
    } catch (const std::bad_alloc&) {}  // the list then grows as it goes
}

// The entries in L_ID order. The writer numbers them in the order it appends
// them, so the table read in its stored order is already in L_ID order and
// needs no sort: SQLite's sort of a whole month spills into temporary files
// and took most of the query's time. A month whose stored order is not its
// L_ID order (or holds an L_ID that is no number) is read again sorted.
int ReadInIdOrder(sqlite3* db, CSqlCommand& cmd, bool wholeMonth, std::vector<LOG_RECORD>& out) {
    if (wholeMonth) ReserveForMonth(db, out);
    bool inOrder = true;
    int64_t lastId = INT64_MIN;
    int rc = cmd.ForEachRow(db, [&](sqlite3_stmt* stmt) {
        if (!inOrder) return;
        // The type first: reading the value may convert it.
        const bool isNumber = sqlite3_column_type(stmt, 0) == SQLITE_INTEGER;
        const int64_t id = sqlite3_column_int64(stmt, 0);
        inOrder = isNumber && id >= lastId;
        lastId = id;
        if (inOrder) out.push_back(ReadLogRow(stmt));
    });
    if (rc != 0 || inOrder) return rc;
    out.clear();
    cmd.Add(" ORDER BY L_ID");
    return cmd.ForEachRow(db, [&out](sqlite3_stmt* stmt) { out.push_back(ReadLogRow(stmt)); });
}

}  // namespace

LOG_TIME GetDefaultLogTime() {
    static const LOG_TIME kDefault = MakeLocalTime(2000, 1, 1, 12, 0, 0);
    return kDefault;
}

LOG_RECORD NewLogEntry(int type, int code, const CString& information) {
    LOG_RECORD record;
    record.I_LogType = type;
    record.I_SubType = code;
    record.C_Information = information;
    record.C_StartTime = record.C_StopTime = record.C_UpdateTime = _time64(nullptr);
    return record;
}

CLogDB::CLogDB() : m_strNameRule(kDefaultNameRule), m_tOpenMonth(GetDefaultLogTime()) {}

CLogDB::~CLogDB() {
    for (int step = 1;; ++step) {
        HANDLE writer;
        {
            CAutoLock guard(&m_lock);
            if (m_bIdle) break;
            if (step == kStopAfterSteps) {
                m_bRunning = 0;
                InterlockedExchangeAdd(&m_nDropped, static_cast<long>(m_queue.size()));
                m_queue.clear();
            }
            writer = m_hWriter.Get();
        }
        WaitForSingleObject(writer, 100);
    }
    // The writer has set its idle flag; let it leave the lock before the
    // lock goes away.
    if (m_hWriter) {
        WaitForSingleObject(m_hWriter.Get(), INFINITE);
        m_hWriter.Reset();
    }
    CAutoLock guard(&m_dbLock);
    CloseLocked();
    m_queue.clear();
}

int CLogDB::SetDirectory(const CString& directory) {
    CAutoLock guard(&m_lock);
    m_strDirectory = directory;
    return 0;
}

int CLogDB::SetNameRule(const CString& rule) {
    CString base = rule;
    while (base.GetLength() >= 3 && base.Right(3).CompareNoCase(L".db") == 0) base = base.Left(base.GetLength() - 3);
    CAutoLock guard(&m_lock);
    m_strNameRule = base + L".db";
    return 0;
}

CString CLogDB::GetMonthFile(LOG_TIME t) {
    CAutoLock guard(&m_lock);
    return JoinPath(m_strDirectory, ExpandNameRule(m_strNameRule, L"", L"", L"", L"", L"", t, L""));
}

int CLogDB::AddLog(const LOG_RECORD& record) {
    LOG_RECORD copy = record;
    if (copy.C_UpdateTime == 0) copy.C_UpdateTime = _time64(nullptr);
    CAutoLock guard(&m_lock);
    m_queue.push_back(copy);
    if (!m_bIdle) return 0;  // the running writer checks the queue under this lock before it leaves
    if (m_hWriter) {
        // The previous writer set its idle flag and only has to return.
        WaitForSingleObject(m_hWriter.Get(), INFINITE);
        m_hWriter.Reset();
    }
    m_bRunning = 1;
    m_bIdle = 0;
    m_hWriter.Reset(CreateThread(nullptr, 0, LogWriterThreadProc, this, 0, nullptr));
    if (!m_hWriter) {
        // The entry stays queued; the next AddLog tries to start a writer again.
        m_bRunning = 0;
        m_bIdle = 1;
    }
    return 0;
}

DWORD WINAPI CLogDB::LogWriterThreadProc(LPVOID param) {
    static_cast<CLogDB*>(param)->WriterLoop();
    return 0;
}

bool CLogDB::ShouldRun() {
    CAutoLock guard(&m_lock);
    return m_bRunning == 1;
}

void CLogDB::WriterLoop() {
    for (;;) {
        LOG_RECORD record;
        {
            // Leaving and setting idle happen under the same lock as AddLog's
            // append, so an entry queued now is seen here or starts a writer.
            CAutoLock guard(&m_lock);
            if (!m_bRunning || m_queue.empty()) {
                m_bRunning = 0;
                m_bIdle = 1;
                return;
            }
            record = m_queue.front();
        }
        bool written = false;
        try {
            written = WriteWithRetries(record);
        } catch (...) {}
        if (!written) ReportDropped(record, L"could not be written");
        CAutoLock guard(&m_lock);
        if (!m_queue.empty())  // destruction may have emptied it meanwhile
            m_queue.pop_front();
    }
}

bool CLogDB::WriteWithRetries(const LOG_RECORD& record) {
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        if (attempt > 0) {
            Sleep(kRetryPauseMs);
            if (!ShouldRun()) return false;
        }
        CAutoLock guard(&m_dbLock);
        OpenMonth(record.C_UpdateTime);
        if (CheckTable(0) == 0 && Insert(record) == 0) return true;
    }
    return false;
}

// The log cannot log its own failure; a debugger or a trace tool sees it,
// and the count tells the owner.
void CLogDB::ReportDropped(const LOG_RECORD& record, const wchar_t* reason) {
    InterlockedIncrement(&m_nDropped);
    CString text;
    text.Format(L"Operation log: entry %d/%d of %s %s and was dropped: %s\n", record.I_LogType, record.I_SubType,
                FormatLogTime(record.C_UpdateTime).GetString(), reason, record.C_Information.GetString());
    OutputDebugStringW(text);
}

void CLogDB::CloseLocked() {
    CSqlCommand::CloseFile(m_pDB);
    m_pDB = nullptr;
    m_bOpen = 0;
}

int CLogDB::OpenMonth(LOG_TIME t) {
    CAutoLock guard(&m_dbLock);
    if (m_bOpen && m_pDB && SameMonth(t, m_tOpenMonth)) return 0;
    CloseLocked();
    CString path = GetMonthFile(t);
    CreateDirectoryPath(path);
    m_pDB = CSqlCommand::OpenFile(path, false, kWriterBusyTimeoutMs);
    // Every page of a month is checked before the first entry goes in, on
    // this thread, which nobody waits for: nothing is written into a
    // damaged file.
    if (m_pDB && CSqlCommand::IsDamagedFile(m_pDB)) {
        m_strOpenFile = path;
        if (SetAsideMonthFile(path)) m_pDB = CSqlCommand::OpenFile(path, false, kWriterBusyTimeoutMs);
    }
    if (m_pDB) {
        m_bOpen = 1;
        m_tOpenMonth = t;
        m_strOpenFile = path;
        // A month without the table gets it with the table (CheckTable).
        CSqlCommand(kCreateIdIndex).Execute(m_pDB);
    }
    return 0;
}

bool CLogDB::SetAsideMonthFile(const CString& path) {
    CAutoLock guard(&m_dbLock);
    if (m_pDB && m_strOpenFile.CompareNoCase(path) == 0) CloseLocked();
    CString keptAs;
    if (CSqlCommand::SetAsideDamagedFile(path, &keptAs) != 0) return false;
    // The new month starts with the entries read before the damage.
    sqlite3* db = CSqlCommand::OpenFile(path, false, kWriterBusyTimeoutMs);
    if (db && CSqlCommand(kCreateTable).Execute(db) == 0) {
        CSqlCommand::CopyReadableRows(keptAs, db, "D_Logs");
        CSqlCommand(kCreateIdIndex).Execute(db);
    }
    CSqlCommand::CloseFile(db);
    return true;
}

int CLogDB::CheckTable(int) {
    CAutoLock guard(&m_dbLock);
    if (!m_bOpen || !m_pDB) return -1;
    CSqlCommand probe("SELECT 1 FROM D_Logs WHERE 1 = 2");
    if (probe.Execute(m_pDB) == 0) return 0;
    if (probe.FoundDamage()) {
        SetAsideMonthFile(m_strOpenFile);  // the next try opens a new file
        return -2;
    }
    if (CSqlCommand(kCreateTable).Execute(m_pDB) == 0) {
        CSqlCommand(kCreateIdIndex).Execute(m_pDB);
        return 0;
    }
    CloseLocked();
    return -2;
}

int CLogDB::Insert(const LOG_RECORD& record) {
    CSqlCommand cmd(
        "INSERT INTO D_Logs(L_ID,I_LogType,I_SubType,C_StartTime,C_StopTime,L_SrcDevID,I_SrcChannelIdx,"
        "L_DesDevID,I_DesChannelIdx,I_Option,C_Information,C_FileName,C_OtherInfo,C_UserID,C_UpdateTime)"
        " VALUES((SELECT IFNULL(MAX(L_ID),0) + 1 FROM D_Logs)");
    cmd.Add(",?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            {record.I_LogType, record.I_SubType, FormatLogTime(record.C_StartTime), FormatLogTime(record.C_StopTime),
             record.L_SrcDevID, record.I_SrcChannelIdx, record.L_DesDevID, record.I_DesChannelIdx, record.I_Option,
             record.C_Information, record.C_FileName, record.C_OtherInfo, record.C_UserID,
             FormatLogTime(record.C_UpdateTime)});
    CAutoLock guard(&m_dbLock);
    const int rc = cmd.Execute(m_pDB);
    if (rc != 0 && cmd.FoundDamage()) SetAsideMonthFile(m_strOpenFile);  // the next try opens a new file
    return rc;
}

int CLogDB::Query(std::vector<LOG_RECORD>& out, int year, int month, int type, int code, const CString& user,
                  LOG_TIME from, LOG_TIME to, int timeMode, int srcDevId, int srcChannel, int desDevId, int desChannel,
                  int option) {
    out.clear();
    LOG_TIME monthStart = MakeLocalTime(year, month, 1, 0, 0, 0);
    if (monthStart == -1) return -1;
    CString path = GetMonthFile(monthStart);
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return -1;

    CSqlCommand cmd(
        "SELECT L_ID,I_LogType,I_SubType,C_StartTime,C_StopTime,L_SrcDevID,I_SrcChannelIdx,L_DesDevID,"
        "I_DesChannelIdx,I_Option,C_Information,C_FileName,C_OtherInfo,C_UserID,C_UpdateTime"
        " FROM D_Logs WHERE 1 = 1");
    const size_t unfiltered = cmd.Sql().size();
    AddIfSet(cmd, " AND I_LogType = ?", type);
    AddIfSet(cmd, " AND I_SubType = ?", code);
    AddTimeWindow(cmd, from, to);
    AddIfSet(cmd, " AND L_SrcDevID = ?", srcDevId);
    AddIfSet(cmd, " AND I_SrcChannelIdx = ?", srcChannel);
    AddIfSet(cmd, " AND L_DesDevID = ?", desDevId);
    AddIfSet(cmd, " AND I_DesChannelIdx = ?", desChannel);
    AddIfSet(cmd, " AND I_Option = ?", option);
    if (!user.IsEmpty()) cmd.Add(" AND C_UserID = ?", user);

    sqlite3* db = CSqlCommand::OpenFile(path, true, kQueryBusyTimeoutMs);
    if (!db) return -2;
    int rc = ReadInIdOrder(db, cmd, cmd.Sql().size() == unfiltered, out);
    CSqlCommand::CloseFile(db);
    if (rc == 0) return 0;
    out.clear();
    if (cmd.FoundDamage()) SetAsideMonthFile(path);
    return -2;
}
