// CIniFile: typed reads and writes of one INI file. The file is read once
// and held in memory, shared by every CIniFile on the same path; a change
// of the file on disk (another writer) is seen at the next call. Every
// write replaces the whole file through a temporary file, so a program
// ended during a save leaves the old file or the new one, never half of one.
#pragma once

#include <afx.h>

#include <memory>

class CIniFile {
public:
    // The path should be absolute: a bare file name resolves to the Windows directory.
    explicit CIniFile(const CString& path);
    ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    const CString& GetPath() const { return m_strPath; }

    // The default when the key is missing or empty; 0 for text that is not a
    // number (as the profile functions read it).
    int GetInt(const CString& section, const CString& key, int defaultValue) const;
    // TRUE only when the value read is exactly 1.
    BOOL GetBool(const CString& section, const CString& key, BOOL defaultValue) const;
    // At most 1023 characters; the default when the key is missing.
    CString GetString(const CString& section, const CString& key, const CString& defaultValue) const;
    // Leading decimal digits of the text; 0 when it does not begin with a number.
    long GetLong(const CString& section, const CString& key, long defaultValue) const;
    BOOL GetStruct(const CString& section, const CString& key, void* buffer, UINT size) const;
    // Whether the key is in the file (with any value).
    bool HasKey(const CString& section, const CString& key) const;

    // Each returns FALSE when the file could not be replaced (or, inside a
    // batch, TRUE: the batch's Close reports). A file that exists but could
    // not be read is never replaced.
    BOOL WriteString(const CString& section, const CString& key, const CString& value) const;
    BOOL WriteInt(const CString& section, const CString& key, int value) const;
    BOOL WriteLong(const CString& section, const CString& key, long value) const;
    BOOL WriteBool(const CString& section, const CString& key, BOOL value) const;
    BOOL WriteStruct(const CString& section, const CString& key, void* buffer, UINT size) const;

    // Holds back the writes to this file (through any CIniFile on its path)
    // until the batch closes, then replaces the file once.
    class CBatch {
    public:
        explicit CBatch(const CIniFile& ini);
        ~CBatch() { Close(); }
        CBatch(const CBatch&) = delete;
        CBatch& operator=(const CBatch&) = delete;
        // The result of the replace; TRUE when nothing was written. Once.
        BOOL Close();

    private:
        const CIniFile* m_ini;
    };

private:
    class CContent;
    CString m_strPath;
    std::shared_ptr<CContent> m_content;
};
