#include "SqlFile.h"

#include <windows.h>

SqlFile::SqlFile(const std::wstring& path) {
    int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, &utf8[0], n, nullptr, nullptr);
    sqlite3_open(utf8.c_str(), &m_db);
}

SqlFile::~SqlFile() { sqlite3_close_v2(m_db); }

bool SqlFile::Exec(const std::string& sql) {
    return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::vector<std::string> SqlFile::Column(const std::string& sql) {
    std::vector<std::string> values;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(stmt, 0);
            values.push_back(text ? reinterpret_cast<const char*>(text) : "");
        }
    }
    sqlite3_finalize(stmt);
    return values;
}

long long SqlFile::Number(const std::string& sql) {
    long long value = -999;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}
