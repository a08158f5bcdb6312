#include "CSqlCommand.h"

#include <cerrno>
#include <cstring>
#include <cwchar>

#include "UnreadableFiles.h"

int CSqlCommand::Value::BindTo(sqlite3_stmt* stmt, int index) const {
    if (!m_isText) return sqlite3_bind_int64(stmt, index, m_int);
    return sqlite3_bind_text(stmt, index, m_text.data(), static_cast<int>(m_text.size()), SQLITE_TRANSIENT);
}

CSqlCommand& CSqlCommand::Add(const char* sql) {
    m_sql += sql;
    return *this;
}

CSqlCommand& CSqlCommand::Add(const char* sql, const Value& value) {
    m_sql += sql;
    m_values.push_back(value);
    return *this;
}

CSqlCommand& CSqlCommand::Add(const char* sql, std::initializer_list<Value> values) {
    m_sql += sql;
    m_values.insert(m_values.end(), values.begin(), values.end());
    return *this;
}

bool CSqlCommand::AddCodeList(const char* head, const CString& codes) {
    std::vector<Value> parsed;
    int start = 0;
    for (;;) {
        int comma = codes.Find(L',', start);
        CString item = (comma < 0) ? codes.Mid(start) : codes.Mid(start, comma - start);
        item.Trim();
        wchar_t* end = nullptr;
        errno = 0;
        long long code = wcstoll(item, &end, 10);
        if (item.IsEmpty() || *end != L'\0' || errno == ERANGE) return false;
        parsed.push_back(Value(static_cast<int64_t>(code)));
        if (comma < 0) break;
        start = comma + 1;
    }
    m_sql += head;
    m_sql += " IN (";
    for (size_t i = 0; i < parsed.size(); ++i) m_sql += (i == 0) ? "?" : ",?";
    m_sql += ")";
    m_values.insert(m_values.end(), parsed.begin(), parsed.end());
    return true;
}

sqlite3_stmt* CSqlCommand::Prepare(sqlite3* db) const {
    if (!db) return nullptr;
    sqlite3_stmt* stmt = nullptr;
    m_lastCode = sqlite3_prepare_v2(db, m_sql.c_str(), static_cast<int>(m_sql.size()), &stmt, nullptr);
    if (m_lastCode != SQLITE_OK || !stmt) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    for (size_t i = 0; i < m_values.size(); ++i) {
        if ((m_lastCode = m_values[i].BindTo(stmt, static_cast<int>(i) + 1)) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            return nullptr;
        }
    }
    return stmt;
}

int CSqlCommand::Execute(sqlite3* db) const {
    return ForEachRow(db, [](sqlite3_stmt*) {});
}

int CSqlCommand::ForEachRow(sqlite3* db, const std::function<void(sqlite3_stmt*)>& onRow) const {
    sqlite3_stmt* stmt = Prepare(db);
    if (!stmt) return -1;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) onRow(stmt);
    sqlite3_finalize(stmt);
    m_lastCode = rc;
    return rc == SQLITE_DONE ? 0 : -1;
}

bool CSqlCommand::IsDamageCode(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool CSqlCommand::IsDamagedFile(sqlite3* db) {
    bool reportsDamage = false;
    CSqlCommand check("PRAGMA quick_check(1)");
    const int rc = check.ForEachRow(db, [&reportsDamage](sqlite3_stmt* stmt) {
        const char* verdict = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        reportsDamage = !verdict || std::strcmp(verdict, "ok") != 0;
    });
    return reportsDamage || (rc != 0 && check.FoundDamage());
}

sqlite3* CSqlCommand::OpenFile(const CString& path, bool readOnly, int busyTimeoutMs) {
    std::string utf8;
    int n = WideCharToMultiByte(CP_UTF8, 0, path, path.GetLength(), nullptr, 0, nullptr, nullptr);
    if (n > 0) {
        utf8.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, path, path.GetLength(), &utf8[0], n, nullptr, nullptr);
    }
    int flags =
        (readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_FULLMUTEX;
    sqlite3* db = nullptr;
    if (utf8.empty() || sqlite3_open_v2(utf8.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);  // open hands out a handle even when it fails
        return nullptr;
    }
    sqlite3_busy_timeout(db, busyTimeoutMs);
    // Searches no index serves read the whole file; reading it through a
    // mapping instead of one ReadFile per page is several times faster, most
    // of all under Wine. Bounded for a 32-bit address space.
    sqlite3_exec(db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    return db;
}

int CSqlCommand::SetAsideDamagedFile(const CString& path, CString* keptAs) {
    // A journal left beside a new file of the same name would be played
    // into it.
    UNREADABLE_FILE file;
    const int kept = SetAsideUnreadableFile(path, {L"-journal", L"-wal", L"-shm"}, &file);
    if (keptAs) *keptAs = file.keptAs;
    if (kept == 0) return 0;
    // Copied, as something else holds the file open: the new file can take
    // its place only once the old one is gone.
    return kept == 1 && DeleteFileW(path) ? 0 : -1;
}

int CSqlCommand::CopyReadableRows(const CString& fromPath, sqlite3* db, const char* table) {
    sqlite3* from = fromPath.IsEmpty() ? nullptr : OpenFile(fromPath, true, 0);
    sqlite3_stmt* read = nullptr;
    if (!from ||
        sqlite3_prepare_v2(from, (std::string("SELECT * FROM ") + table).c_str(), -1, &read, nullptr) != SQLITE_OK) {
        sqlite3_finalize(read);
        CloseFile(from);
        return 0;
    }
    const int columns = sqlite3_column_count(read);
    std::string insert = std::string("INSERT INTO ") + table + "(";
    for (int i = 0; i < columns; ++i) insert += std::string(i ? "," : "") + sqlite3_column_name(read, i);
    insert += ") VALUES(";
    for (int i = 0; i < columns; ++i) insert += i ? ",?" : "?";
    insert += ")";
    sqlite3_stmt* write = nullptr;
    int copied = 0;
    if (sqlite3_prepare_v2(db, insert.c_str(), -1, &write, nullptr) == SQLITE_OK) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        // Stepping stops at the first damaged page; what came before it stays.
        while (sqlite3_step(read) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i) sqlite3_bind_value(write, i + 1, sqlite3_column_value(read, i));
            if (sqlite3_step(write) == SQLITE_DONE) ++copied;
            sqlite3_reset(write);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(write);
    sqlite3_finalize(read);
    CloseFile(from);
    return copied;
}

void CSqlCommand::CloseFile(sqlite3* db) {
    if (db) sqlite3_close_v2(db);
}

CString CSqlCommand::ColumnText(sqlite3_stmt* stmt, int column) {
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (!text) return CString();
    return CString(CStringA(text, sqlite3_column_bytes(stmt, column)));
}

CString CSqlCommand::LikeLiteral(const CString& text) {
    CString pattern;
    for (int i = 0; i < text.GetLength(); ++i) {
        wchar_t c = text[i];
        if (c == L'%' || c == L'_' || c == L'!') pattern += L'!';
        pattern += c;
    }
    return pattern;
}
