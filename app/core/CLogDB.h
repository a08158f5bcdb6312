// CLogDB: the operation log. Entries are queued in memory and written by a
// writer thread into one SQLite file per month (table D_Logs), so that a
// caller on the UI thread never waits for the disk and a log query reads one
// small file.
#pragma once

#include <afx.h>

#include <sqlite3.h>

#include <cstdint>
#include <deque>
#include <vector>

#include "common/CLock.h"
#include "common/UniqueHandle.h"

// Local time in seconds since 1970, as the framework's time type holds it.
typedef __time64_t LOG_TIME;

// 2000-01-01 12:00:00 local time: the "no time" of log entries and filters.
LOG_TIME GetDefaultLogTime();

// One log entry, fields named by the columns that store them.
struct LOG_RECORD {
    int I_LogType = 0;
    int I_SubType = 0;
    LOG_TIME C_StartTime = GetDefaultLogTime();
    LOG_TIME C_StopTime = GetDefaultLogTime();
    int L_SrcDevID = 0;
    int I_SrcChannelIdx = 0;
    int L_DesDevID = 0;
    int I_DesChannelIdx = 0;
    int I_Option = 0;
    CString C_Information;
    CString C_FileName;
    CString C_OtherInfo;
    CString C_UserID;
    LOG_TIME C_UpdateTime = 0;  // when the entry was made; chooses the file
};

// An entry of the program's own doings, made now: one moment, so its start,
// stop and update times are all the current time.
LOG_RECORD NewLogEntry(int type, int code, const CString& information);

class CLogDB {
public:
    CLogDB();
    // Waits for the writer (after about ten seconds it is told to stop and
    // the entries still queued are dropped), then closes the file.
    ~CLogDB();
    CLogDB(const CLogDB&) = delete;
    CLogDB& operator=(const CLogDB&) = delete;

    // The folder of the monthly files. Returns 0.
    int SetDirectory(const CString& directory);
    // The file-name rule of the monthly files, made to end in ".db" exactly
    // once. Returns 0.
    int SetNameRule(const CString& rule);
    // Queues a copy of the entry (an update time of 0 becomes now) and
    // starts the writer thread unless one runs. Never waits for the disk.
    // Returns 0.
    int AddLog(const LOG_RECORD& record);

    // The writer's connection: makes the file of t's month the open one,
    // creating its folder and the file when missing. A file that is no
    // database or has a damaged page is set aside first and a new one
    // started; a statement meeting damage later sets it aside as well, so
    // nothing is written into a damaged file. Returns 0 (IsMonthOpen tells
    // whether the open worked).
    int OpenMonth(LOG_TIME t);
    // Makes sure D_Logs exists in the open file. 0 ok; -1 no open file; -2 the
    // table could not be made (the connection is then closed).
    int CheckTable(int rebuild = 0);
    // Writes one entry into the open file with L_ID one above the file's
    // largest (1 for the first of a month). 0 ok, -1 failure.
    int Insert(const LOG_RECORD& record);
    BOOL IsMonthOpen() const { return m_bOpen == 1; }

    // Replaces out with the entries of that month matching every set filter
    // (-1, "" and a time dated 2000-01-01 are unset), ordered by L_ID. The
    // time bounds keep the entries whose span contains a bound or lies
    // between them; timeMode is accepted for the log dialog's call and does
    // not change the selection. Reads through a connection of its own, so it
    // never disturbs the writer. 0; -1 when the month has no file; -2 when
    // it cannot be read (out empty). A file found to be no database or
    // damaged is set aside; the new one holds the entries read before the
    // damage.
    int Query(std::vector<LOG_RECORD>& out, int year, int month, int type, int code, const CString& user, LOG_TIME from,
              LOG_TIME to, int timeMode, int srcDevId, int srcChannel, int desDevId, int desChannel, int option);

    // The file that holds the entries of t's month.
    CString GetMonthFile(LOG_TIME t);
    // Entries given up on: a month file that could not be written in spite
    // of the retries, and entries still queued when destruction gave up.
    long GetDroppedCount() const { return m_nDropped; }

private:
    static DWORD WINAPI LogWriterThreadProc(LPVOID param);
    void WriterLoop();
    // Tries the entry a bounded number of times with a pause between tries.
    bool WriteWithRetries(const LOG_RECORD& record);
    bool ShouldRun();
    void ReportDropped(const LOG_RECORD& record, const wchar_t* reason);
    void CloseLocked();
    // Closes the writer's connection when it is on the file, then sets the
    // file aside (CSqlCommand::SetAsideDamagedFile) and starts a new one
    // holding the entries that could be read. False when the file could not
    // be set aside (it must not be written).
    bool SetAsideMonthFile(const CString& path);

    CString m_strDirectory;
    CString m_strNameRule;
    CLock m_lock;    // queue, running and idle flags, writer thread handle, directory and rule
    CLock m_dbLock;  // the writer's connection: month switch and each statement
    std::deque<LOG_RECORD> m_queue;
    int m_bRunning = 0;
    int m_bIdle = 1;
    CUniqueHandle m_hWriter;
    sqlite3* m_pDB = nullptr;
    CString m_strOpenFile;
    int m_bOpen = 0;
    LOG_TIME m_tOpenMonth;
    volatile long m_nDropped = 0;
};
