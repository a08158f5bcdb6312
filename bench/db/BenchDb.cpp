// Insert rate and query latency of CRecordListDB beside the same statements
// run through plain prepared SQLite statements, and the throughput of the
// operation-log writer. Usage: bench_db [folder] [rows ...]
#include <afx.h>

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <tuple>
#include <utility>
#include <string>
#include <vector>

#include "app/core/CLogDB.h"
#include "app/core/CRecordListDB.h"
#include "app/core/CSqlCommand.h"
#include "app/core/TextValues.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs the two ways in turn, `repeat` times each, so that a busy machine
// weighs on both alike; the medians in milliseconds.
std::pair<double, double> CompareMs(int repeat, const std::function<void()>& classWork,
                                    const std::function<void()>& plainWork) {
    std::vector<double> classTimes, plainTimes;
    for (int i = 0; i < repeat; ++i) {
        double start = NowMs();
        classWork();
        classTimes.push_back(NowMs() - start);
        start = NowMs();
        plainWork();
        plainTimes.push_back(NowMs() - start);
    }
    return {Median(classTimes), Median(plainTimes)};
}

const int kDevices = 16, kChannels = 16;

CStringA HourText(int hourIndex, int minute = 0) {
    // One-hour records from 2023-01-01 00:00, day and month advanced by hand
    // (28-day months keep the arithmetic simple and the texts valid).
    int day = hourIndex / 24, hour = hourIndex % 24;
    CStringA text;
    text.Format("%04d-%02d-%02d %02d:%02d:00", 2023 + day / 336, (day / 28) % 12 + 1, day % 28 + 1, hour, minute);
    return text;
}

RECORD_LIST_ROW MakeRow(long i) {
    RECORD_LIST_ROW row;
    row.L_DevID = 1000 + static_cast<int>(i % kDevices);
    row.I_ChannelIndex = static_cast<int>((i / kDevices) % kChannels);
    int hourIndex = static_cast<int>(i / (kDevices * kChannels));
    row.I_Type = static_cast<int>(i % 3);
    row.C_StartTime = CString(HourText(hourIndex));
    row.C_EndTime = CString(HourText(hourIndex, 59));
    row.C_FilePath.Format(L"%c:\\record\\%d\\%d\\%ld.dav", (i % 2) ? L'E' : L'D', row.L_DevID, row.I_ChannelIndex, i);
    row.L_FileLen = 300000;
    row.C_UpdateTime = row.C_EndTime;
    row.I_RecType = 0;
    return row;
}

const char kCreateTableSql[] =
    "CREATE TABLE D_RecordList(L_ID BIGINT,L_DevID BIGINT, I_ChannelIndex INT,L_SrcDevID BIGINT,"
    "I_SrcChannelIndex INT,I_Type INT,C_StartTime varchar(20),C_EndTime varchar(20),I_FileType INT,"
    "C_CardSN varchar(20),C_Info varchar(256),C_FilePath varchar(256),L_FileLen BIGINT,"
    "C_UpdateTime varchar(20),I_RecType INT);";

const char kInsertSql[] =
    "INSERT INTO D_RecordList(L_ID,L_DevID,I_ChannelIndex,L_SrcDevID,I_SrcChannelIndex,I_Type,C_StartTime,"
    "C_EndTime,I_FileType,C_CardSN,C_Info,C_FilePath,L_FileLen,C_UpdateTime,I_RecType)"
    " VALUES((SELECT IFNULL(MAX(L_ID),0) + 1 FROM D_RecordList),?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

void BindRow(sqlite3_stmt* stmt, const RECORD_LIST_ROW& row) {
    CStringA texts[] = {CStringA(row.C_StartTime), CStringA(row.C_EndTime),  CStringA(row.C_CardSN),
                        CStringA(row.C_Info),      CStringA(row.C_FilePath), CStringA(row.C_UpdateTime)};
    sqlite3_bind_int(stmt, 1, row.L_DevID);
    sqlite3_bind_int(stmt, 2, row.I_ChannelIndex);
    sqlite3_bind_int(stmt, 3, row.L_SrcDevID);
    sqlite3_bind_int(stmt, 4, row.I_SrcChannelIndex);
    sqlite3_bind_int(stmt, 5, row.I_Type);
    sqlite3_bind_text(stmt, 6, texts[0], -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 7, texts[1], -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 8, row.I_FileType);
    sqlite3_bind_text(stmt, 9, texts[2], -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 10, texts[3], -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 11, texts[4], -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 12, row.L_FileLen);
    sqlite3_bind_text(stmt, 13, texts[5], -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(stmt, 14, row.I_RecType);
}

// Plain reading of the fifteen columns into the same row type.
RECORD_LIST_ROW PlainRow(sqlite3_stmt* s) {
    RECORD_LIST_ROW row;
    row.L_ID = sqlite3_column_int(s, 0);
    row.L_DevID = sqlite3_column_int(s, 1);
    row.I_ChannelIndex = sqlite3_column_int(s, 2);
    row.L_SrcDevID = sqlite3_column_int(s, 3);
    row.I_SrcChannelIndex = sqlite3_column_int(s, 4);
    row.I_Type = sqlite3_column_int(s, 5);
    row.C_StartTime = CString(reinterpret_cast<const char*>(sqlite3_column_text(s, 6)));
    row.C_EndTime = CString(reinterpret_cast<const char*>(sqlite3_column_text(s, 7)));
    row.I_FileType = sqlite3_column_int(s, 8);
    row.C_CardSN = CString(reinterpret_cast<const char*>(sqlite3_column_text(s, 9)));
    row.C_Info = CString(reinterpret_cast<const char*>(sqlite3_column_text(s, 10)));
    row.C_FilePath = CString(reinterpret_cast<const char*>(sqlite3_column_text(s, 11)));
    row.L_FileLen = sqlite3_column_int(s, 12);
    row.C_UpdateTime = CString(reinterpret_cast<const char*>(sqlite3_column_text(s, 13)));
    row.I_RecType = sqlite3_column_int(s, 14);
    return row;
}

// One prepared statement, reused: bound anew, stepped and reset per run.
class PlainQuery {
public:
    PlainQuery(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~PlainQuery() { sqlite3_finalize(m_stmt); }
    size_t Run(const std::vector<std::string>& texts, const std::vector<int>& ints) {
        int index = 1;
        for (const std::string& t : texts) sqlite3_bind_text(m_stmt, index++, t.c_str(), -1, SQLITE_TRANSIENT);
        for (int v : ints) sqlite3_bind_int(m_stmt, index++, v);
        RECORD_LIST_ROWS rows;
        while (sqlite3_step(m_stmt) == SQLITE_ROW) rows.push_back(PlainRow(m_stmt));
        sqlite3_reset(m_stmt);
        return rows.size();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

const char kColumns[] =
    "SELECT L_ID,L_DevID,I_ChannelIndex,L_SrcDevID,I_SrcChannelIndex,I_Type,C_StartTime,C_EndTime,"
    "I_FileType,C_CardSN,C_Info,C_FilePath,L_FileLen,C_UpdateTime,I_RecType FROM D_RecordList WHERE 1 = 1";

void Populate(sqlite3* db, long rows) {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO D_RecordList(L_ID,L_DevID,I_ChannelIndex,L_SrcDevID,I_SrcChannelIndex,I_Type,"
                       "C_StartTime,C_EndTime,I_FileType,C_CardSN,C_Info,C_FilePath,L_FileLen,C_UpdateTime,"
                       "I_RecType) VALUES(?15,?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14)",
                       -1, &stmt, nullptr);
    for (long i = 0; i < rows; ++i) {
        BindRow(stmt, MakeRow(i));
        sqlite3_bind_int64(stmt, 15, i + 1);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

struct Figure {
    const char* what;
    double classValue, plainValue;
    size_t rowsBack;
};

void PrintFigure(long rows, const Figure& f, const char* unit) {
    std::printf("| %ld | %s | %.3f | %.3f | %.2f | %zu |\n", rows, f.what, f.classValue, f.plainValue,
                f.classValue / f.plainValue, f.rowsBack);
    (void)unit;
}

// The record manager's search: rows whose span overlaps from..to.
RecordFilter Overlapping(const std::string& from, const std::string& to) {
    RecordFilter filter;
    filter.overlapFrom = CString(from.c_str());
    filter.overlapTo = CString(to.c_str());
    return filter;
}

void BenchRecordList(const CString& folder, long rows) {
    CString path;
    path.Format(L"%s\\RecordList_%ld.db", folder.GetString(), rows);
    DeleteFileW(path);
    // The file is filled as an older version left it (table, no index) and
    // only then opened by the class, as after an update.
    sqlite3* plain = CSqlCommand::OpenFile(path, false, 2000);
    sqlite3_exec(plain, kCreateTableSql, nullptr, nullptr, nullptr);
    double start = NowMs();
    Populate(plain, rows);
    const double loadMs = NowMs() - start;
    CRecordListDB db;
    start = NowMs();
    db.Open(path);
    db.CheckTable(0);
    std::printf(
        "\nD_RecordList with %ld rows (bulk load in one transaction: %.0f ms; first Open and CheckTable: "
        "%.0f ms)\n\n",
        rows, loadMs, NowMs() - start);
    std::printf("| rows | operation | CRecordListDB ms | plain prepared ms | ratio | rows back |\n");
    std::printf("|---|---|---|---|---|---|\n");

    // Inserts: each one its own transaction, as the engine does them.
    const int inserts = rows >= 1000000 ? 20 : 100;
    long next = rows;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(plain, kInsertSql, -1, &insert, nullptr);
    double classMs = 0, plainMs = 0;
    std::tie(classMs, plainMs) = CompareMs(
        inserts, [&] { db.Insert(MakeRow(next++)); },
        [&] {
            BindRow(insert, MakeRow(next++));
            sqlite3_step(insert);
            sqlite3_reset(insert);
        });
    sqlite3_finalize(insert);
    PrintFigure(rows, {"Insert (one row, own transaction)", classMs, plainMs, 1}, "ms");

    const int repeat = rows >= 1000000 ? 7 : 21;
    int lastHour = static_cast<int>(rows / (kDevices * kChannels));
    std::string dayFrom = HourText(lastHour / 2 - lastHour / 2 % 24).GetString();
    std::string dayTo = HourText(lastHour / 2 - lastHour / 2 % 24 + 23, 59).GetString();
    std::string exactStart = HourText(lastHour / 2).GetString(), exactEnd = HourText(lastHour / 2, 59).GetString();
    std::string cutOff = HourText(lastHour / 10).GetString();
    size_t n = 0, m = 0;

    // The record manager: one day of one device, any channel and type, file type 0.
    PlainQuery managerPlain(
        plain, (std::string(kColumns) + " AND ((C_StartTime <= ? AND C_EndTime >= ?) OR (C_StartTime <= ? AND "
                                        "C_EndTime >= ?) OR (C_StartTime >= ? AND C_EndTime <= ?))"
                                        " AND L_DevID = ? AND I_FileType = ? ORDER BY C_StartTime,C_EndTime")
                   .c_str());
    std::tie(classMs, plainMs) = CompareMs(
        repeat,
        [&] {
            RECORD_LIST_ROWS out;
            RecordFilter filter = Overlapping(dayFrom, dayTo);
            filter.devId = 1003;
            filter.fileType = 0;
            db.SearchRecords(out, filter);
            n = out.size();
        },
        [&] {
            m = managerPlain.Run({dayFrom, dayFrom, dayTo, dayTo, dayFrom, dayTo}, {1003, 0});
        });
    PrintFigure(rows, {"SearchRecords: one day, one device", classMs, plainMs, n == m ? n : 0}, "ms");

    // The download runner's check whether a record file is listed already.
    PlainQuery listedPlain(
        plain, (std::string(kColumns) + " AND ((C_StartTime <= ? AND C_EndTime >= ?) OR (C_StartTime <= ? AND "
                                        "C_EndTime >= ?) OR (C_StartTime >= ? AND C_EndTime <= ?))"
                                        " AND L_DevID = ? AND I_ChannelIndex = ? ORDER BY C_StartTime,C_EndTime")
                   .c_str());
    std::tie(classMs, plainMs) = CompareMs(
        repeat,
        [&] {
            RECORD_LIST_ROWS out;
            RecordFilter filter = Overlapping(exactStart, exactEnd);
            filter.devId = 1005;
            filter.channel = 7;
            db.SearchRecords(out, filter);
            n = out.size();
        },
        [&] {
            m = listedPlain.Run({exactStart, exactStart, exactEnd, exactEnd, exactStart, exactEnd}, {1005, 7});
        });
    PrintFigure(rows, {"SearchRecords: one file of one channel", classMs, plainMs, n == m ? n : 0}, "ms");

    // Disk clean-up: the 200 oldest rows of a drive, and of two drives up to a cut-off.
    PlainQuery prefixPlain(
        plain, (std::string(kColumns) + " AND (C_FilePath LIKE ? ESCAPE '!') ORDER BY L_ID LIMIT ?").c_str());
    std::tie(classMs, plainMs) = CompareMs(
        repeat,
        [&] {
            RECORD_LIST_ROWS out;
            db.QueryByPathPrefix(out, 200, L"E:\\");
            n = out.size();
        },
        [&] { m = prefixPlain.Run({"E:\\%"}, {200}); });
    PrintFigure(rows, {"QueryByPathPrefix, limit 200", classMs, plainMs, n == m ? n : 0}, "ms");

    PlainQuery olderPlain(
        plain, (std::string(kColumns) + " AND C_StartTime <= ? AND (C_FilePath LIKE ? ESCAPE '!' OR C_FilePath LIKE ? "
                                        "ESCAPE '!') ORDER BY L_ID LIMIT ?")
                   .c_str());
    std::tie(classMs, plainMs) = CompareMs(
        repeat,
        [&] {
            RECORD_LIST_ROWS out;
            db.QueryOlderByPathPrefixes(out, 200, CString(cutOff.c_str()), {L"D:\\", L"E:\\"});
            n = out.size();
        },
        [&] {
            m = olderPlain.Run({cutOff, "D:\\%", "E:\\%"}, {200});
        });
    PrintFigure(rows, {"QueryOlderByPathPrefixes, limit 200", classMs, plainMs, n == m ? n : 0}, "ms");

    // The record manager over every device: no index serves an overlap of
    // time windows, so this one reads the whole table.
    PlainQuery allPlain(plain,
                        (std::string(kColumns) + " AND ((C_StartTime <= ? AND C_EndTime >= ?) OR (C_StartTime <= ? AND "
                                                 "C_EndTime >= ?) OR (C_StartTime >= ? AND C_EndTime <= ?))"
                                                 " ORDER BY C_StartTime,C_EndTime")
                            .c_str());
    std::tie(classMs, plainMs) = CompareMs(
        repeat,
        [&] {
            RECORD_LIST_ROWS out;
            db.SearchRecords(out, Overlapping(dayFrom, dayTo));
            n = out.size();
        },
        [&] {
            m = allPlain.Run({dayFrom, dayFrom, dayTo, dayTo, dayFrom, dayTo}, {});
        });
    PrintFigure(rows, {"SearchRecords: one day, every device", classMs, plainMs, n == m ? n : 0}, "ms");

    // The download runner's duplicate check as the engine makes it: every
    // row of the device and channel.
    PlainQuery channelPlain(plain,
                            (std::string(kColumns) + " AND L_DevID = ? AND I_ChannelIndex = ? ORDER BY L_ID").c_str());
    std::tie(classMs, plainMs) = CompareMs(
        repeat,
        [&] {
            RECORD_LIST_ROWS out;
            RecordFilter filter;
            filter.devId = 1005;
            filter.channel = 7;
            db.QueryByFilter(out, filter);
            n = out.size();
        },
        [&] {
            m = channelPlain.Run({}, {1005, 7});
        });
    PrintFigure(rows, {"QueryByFilter: one device and channel", classMs, plainMs, n == m ? n : 0}, "ms");

    std::tie(classMs, plainMs) = CompareMs(
        repeat,
        [&] {
            RECORD_LIST_ROWS out;
            db.QueryByPathPrefix(out, 200, L"F:\\");
            n = out.size();
        },
        [&] { m = prefixPlain.Run({"F:\\%"}, {200}); });
    PrintFigure(rows, {"QueryByPathPrefix, limit 200, drive without rows", classMs, plainMs, n == m ? n : 0}, "ms");

    std::string beforeAll = "2000-01-01 00:00:00";
    std::tie(classMs, plainMs) = CompareMs(
        repeat,
        [&] {
            RECORD_LIST_ROWS out;
            db.QueryOlderByPathPrefixes(out, 200, CString(beforeAll.c_str()), {L"D:\\", L"E:\\"});
            n = out.size();
        },
        [&] {
            m = olderPlain.Run({beforeAll, "D:\\%", "E:\\%"}, {200});
        });
    PrintFigure(rows, {"QueryOlderByPathPrefixes, limit 200, nothing expired", classMs, plainMs, n == m ? n : 0}, "ms");

    // Deleting one row as the clean-up and the record manager do: each run
    // deletes another row of the middle of the table.
    const char kDeleteRowSql[] =
        "DELETE FROM D_RecordList WHERE 1 = 1 AND C_StartTime >= ? AND C_StartTime <= ? AND C_EndTime >= ? AND "
        "C_EndTime <= ? AND C_UpdateTime >= ? AND C_UpdateTime <= ? AND L_DevID = ? AND I_ChannelIndex = ? AND "
        "L_SrcDevID = ? AND I_SrcChannelIndex = ? AND I_Type = ? AND I_FileType = ? AND C_FilePath = ?";
    sqlite3_stmt* deleteRow = nullptr;
    sqlite3_prepare_v2(plain, kDeleteRowSql, -1, &deleteRow, nullptr);
    long victim = rows / 2;
    std::tie(classMs, plainMs) = CompareMs(
        repeat, [&] { db.DeleteRow(MakeRow(victim++)); },
        [&] {
            RECORD_LIST_ROW row = MakeRow(victim++);
            CStringA texts[] = {CStringA(row.C_StartTime), CStringA(row.C_EndTime), CStringA(row.C_UpdateTime),
                                CStringA(row.C_FilePath)};
            int index = 1;
            for (int t = 0; t < 3; ++t) {
                sqlite3_bind_text(deleteRow, index++, texts[t], -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(deleteRow, index++, texts[t], -1, SQLITE_TRANSIENT);
            }
            for (int v :
                 {row.L_DevID, row.I_ChannelIndex, row.L_SrcDevID, row.I_SrcChannelIndex, row.I_Type, row.I_FileType})
                sqlite3_bind_int(deleteRow, index++, v);
            sqlite3_bind_text(deleteRow, index++, texts[3], -1, SQLITE_TRANSIENT);
            sqlite3_step(deleteRow);
            sqlite3_reset(deleteRow);
        });
    sqlite3_finalize(deleteRow);
    PrintFigure(rows, {"DeleteRow (own transaction)", classMs, plainMs, 1}, "ms");

    CSqlCommand::CloseFile(plain);
}

// A month of the operation log holding `rows` entries: the writer's insert
// and the log dialog's query of that month.
void BenchLogMonth(const CString& folder, long rows) {
    CString logFolder;
    logFolder.Format(L"%s\\LogMonth_%ld", folder.GetString(), rows);
    CreateDirectoryW(logFolder, nullptr);
    CLogDB log;
    log.SetDirectory(logFolder);
    const LOG_TIME when = MakeLocalTime(2024, 3, 15, 12, 0, 0);
    const CString file = log.GetMonthFile(when);
    DeleteFileW(file);
    sqlite3* plain = CSqlCommand::OpenFile(file, false, 2000);
    sqlite3_exec(plain,
                 "CREATE TABLE D_Logs(L_ID BIGINT,I_LogType INT, I_SubType INT,C_StartTime varchar(20),"
                 "C_StopTime varchar(20),L_SrcDevID BIGINT,I_SrcChannelIdx INT,L_DesDevID BIGINT,"
                 "I_DesChannelIdx INT,I_Option INT,C_Information varchar(256),C_FileName varchar(256),"
                 "C_OtherInfo varchar(256),C_UserID varchar(256),C_UpdateTime varchar(20));BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(plain,
                       "INSERT INTO D_Logs VALUES(?,?,?,'2024-03-15 12:00:00','2024-03-15 12:00:00',?,0,0,0,0,"
                       "'Device[front door]:Login','','','admin','2024-03-15 12:00:00')",
                       -1, &insert, nullptr);
    for (long i = 0; i < rows; ++i) {
        sqlite3_bind_int64(insert, 1, i + 1);
        sqlite3_bind_int(insert, 2, i % 1000 == 0 ? 9 : 1);  // type 9: one entry in a thousand
        sqlite3_bind_int(insert, 3, static_cast<int>(i % 50));
        sqlite3_bind_int(insert, 4, 1000 + static_cast<int>(i % 16));
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(plain, "COMMIT", nullptr, nullptr, nullptr);
    CSqlCommand::CloseFile(plain);

    double start = NowMs();
    log.OpenMonth(when);
    log.CheckTable(0);
    const double openMs = NowMs() - start;
    LOG_RECORD record;
    record.C_UpdateTime = when;
    record.C_Information = L"Device[front door]:Login";
    std::vector<double> inserts;
    for (int i = 0; i < 20; ++i) {
        start = NowMs();
        log.Insert(record);
        inserts.push_back(NowMs() - start);
    }
    std::vector<double> queries;
    std::vector<LOG_RECORD> out;
    for (int i = 0; i < 7; ++i) {
        start = NowMs();
        log.Query(out, 2024, 3, 9, -1, L"", GetDefaultLogTime(), GetDefaultLogTime(), -1, -1, -1, -1, -1, -1);
        queries.push_back(NowMs() - start);
    }
    std::printf("| %ld | %.0f | %.3f | %.3f | %zu |\n", rows, openMs, Median(inserts), Median(queries), out.size());
}

void BenchLogWriter(const CString& folder, int entries) {
    CString logFolder = folder + L"\\Log";
    CLogDB log;
    log.SetDirectory(logFolder);
    LOG_RECORD record;
    record.C_UpdateTime = _time64(nullptr);
    record.C_Information = L"Device[front door]:Login";
    CString file = log.GetMonthFile(record.C_UpdateTime);
    DeleteFileW(file);
    double start = NowMs();
    double addMs = 0;
    for (int i = 0; i < entries; ++i) {
        double before = NowMs();
        log.AddLog(record);
        addMs += NowMs() - before;
    }
    sqlite3* check = nullptr;
    long written = 0;
    while (written < entries) {
        Sleep(20);
        if (!check) check = CSqlCommand::OpenFile(file, true, 2000);
        sqlite3_stmt* stmt = nullptr;
        if (check && sqlite3_prepare_v2(check, "SELECT COUNT(*) FROM D_Logs", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            written = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
    }
    double totalMs = NowMs() - start;
    CSqlCommand::CloseFile(check);
    std::printf(
        "\nOperation-log writer: %d entries written in %.0f ms = %.0f entries/s; AddLog took %.4f ms on "
        "average\n",
        entries, totalMs, entries * 1000.0 / totalMs, addMs / entries);
}

}  // namespace

int main(int argc, char** argv) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    CString folder = CString(temp) + L"dodavozi_bench_db";
    if (argc > 1) folder = CString(argv[1]);
    CreateDirectoryW(folder, nullptr);
    std::vector<long> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
    if (sizes.empty()) sizes = {100000, 1000000};
    std::printf("SQLite %s, folder %s\n", sqlite3_libversion(), CStringA(folder).GetString());
    for (long rows : sizes) BenchRecordList(folder, rows);
    std::printf(
        "\nOperation log, one month holding N entries (medians: 20 inserts, 7 queries)\n\n"
        "| entries | first OpenMonth and CheckTable ms | Insert ms | Query of type 9 ms | rows back |\n"
        "|---|---|---|---|---|\n");
    for (long rows : sizes) BenchLogMonth(folder, rows);
    BenchLogWriter(folder, 5000);
    return 0;
}
