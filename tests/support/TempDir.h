// A fresh folder under %TEMP% for one test, deleted with everything in it.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Absolute path, no trailing backslash.
    const std::wstring& Path() const { return m_path; }
    // Path() + "\" + name.
    std::wstring File(const std::wstring& name) const;

private:
    std::wstring m_path;
};

// Deletes a folder tree; returns true when nothing is left.
bool RemoveTree(const std::wstring& path);
// Whole-file helpers for fixtures and checks.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
std::string ReadWholeFile(const std::wstring& path);
bool PathExists(const std::wstring& path);
// The file's identity on disk (0 when it does not open): a file replaced by
// another has a new one, a file rewritten in place keeps its own.
unsigned long long FileIdentity(const std::wstring& path);
