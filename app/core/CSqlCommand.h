// CSqlCommand: one SQL statement built piece by piece together with its
// parameter values, so that no value ever becomes part of the SQL text.
// Texts go to SQLite in the ANSI code page, as the program has always stored
// them; database paths in UTF-8.
#pragma once

#include <afx.h>

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class CSqlCommand {
public:
    // One parameter value: an integer or a text (held in the ANSI code page).
    class Value {
    public:
        Value(int v) : m_isText(false), m_int(v) {}
        Value(int64_t v) : m_isText(false), m_int(v) {}
        Value(const CString& v) : m_isText(true), m_int(0), m_text(CStringA(v).GetString()) {}
        Value(const wchar_t* v) : Value(CString(v)) {}

        // SQLITE_OK or the bind's error code.
        int BindTo(sqlite3_stmt* stmt, int index) const;

    private:
        bool m_isText;
        int64_t m_int;
        std::string m_text;
    };

    CSqlCommand() {}
    explicit CSqlCommand(const char* sql) : m_sql(sql) {}

    // Appends SQL text; each "?" in it takes the next of the given values.
    CSqlCommand& Add(const char* sql);
    CSqlCommand& Add(const char* sql, const Value& value);
    CSqlCommand& Add(const char* sql, std::initializer_list<Value> values);
    // Appends " IN (?,?,...)" for a comma-separated list of decimal codes.
    // False (nothing appended) when an item is not a decimal number.
    bool AddCodeList(const char* head, const CString& codes);

    const std::string& Sql() const { return m_sql; }

    // Runs the statement to its end. 0 when it ran, -1 when db is null or
    // preparing, binding or stepping failed.
    int Execute(sqlite3* db) const;
    // Runs a query and calls onRow for every row. 0 when every row was read,
    // -1 when db is null or preparing, binding or stepping failed (rows
    // delivered before the failure stay delivered).
    int ForEachRow(sqlite3* db, const std::function<void(sqlite3_stmt*)>& onRow) const;
    // True when the last run failed because the file is no database or is
    // damaged (SQLITE_NOTADB, SQLITE_CORRUPT): the file, not the statement,
    // is at fault.
    bool FoundDamage() const { return IsDamageCode(m_lastCode); }
    static bool IsDamageCode(int code);
    // Checks every page of the open file (quick_check). True when it is no
    // database or reports damage.
    static bool IsDamagedFile(sqlite3* db);

    // Opens (creating when missing unless readOnly) the database file at the
    // UTF-8 form of path, with a busy time-out so that a short lock held by
    // another connection is waited for, reading through a file mapping of up
    // to 256 MB. The new handle, or null on failure.
    static sqlite3* OpenFile(const CString& path, bool readOnly, int busyTimeoutMs);
    // Sets a database file that is no database or is damaged aside with its
    // journal (SetAsideUnreadableFile, which reports it); its connections
    // must be closed first. 0 when path is then free for a new file; -1 when
    // the file stays where it was (it must not be written).
    static int SetAsideDamagedFile(const CString& path, CString* keptAs = nullptr);
    // Copies the rows of the table that can still be read from the database
    // file at fromPath, in their stored order up to the first damage, into
    // the same table of db (columns matched by name). The number copied.
    static int CopyReadableRows(const CString& fromPath, sqlite3* db, const char* table);
    // Closes a handle; null is allowed.
    static void CloseFile(sqlite3* db);
    // A text column read back from the ANSI code page; "" for NULL.
    static CString ColumnText(sqlite3_stmt* stmt, int column);
    // The text as a LIKE pattern that matches it literally with ESCAPE '!'
    // (every "%", "_" and "!" preceded by "!").
    static CString LikeLiteral(const CString& text);

private:
    // Prepares and binds; null on failure.
    sqlite3_stmt* Prepare(sqlite3* db) const;

    std::string m_sql;
    std::vector<Value> m_values;
    mutable int m_lastCode = SQLITE_OK;  // of the last prepare, bind or step
};
