// A plain SQLite connection of the test's own, to look at or prepare a
// database file beside the class under test (and to hold a lock on it).
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

class SqlFile {
public:
    explicit SqlFile(const std::wstring& path);
    ~SqlFile();
    SqlFile(const SqlFile&) = delete;
    SqlFile& operator=(const SqlFile&) = delete;

    // True when the statements ran.
    bool Exec(const std::string& sql);
    // The first column of every row as text ("" for NULL).
    std::vector<std::string> Column(const std::string& sql);
    // The first column of the first row as an integer; -999 when no row.
    long long Number(const std::string& sql);

private:
    sqlite3* m_db = nullptr;
};
