// CIniFile: typed reads and writes of one INI file through the Windows
// profile functions. No cache: other writers of the file are seen at once.
#pragma once

#include <afx.h>

class CIniFile {
public:
    // The path should be absolute: a bare file name resolves to the Windows directory.
    explicit CIniFile(const CString& path) : m_strPath(path) {}

    const CString& GetPath() const { return m_strPath; }

    // The default when the key is missing. Wine gives 0 (not the default) for
    // text that is not a number.
    int GetInt(const CString& section, const CString& key, int defaultValue) const;
    // TRUE only when the value read is exactly 1.
    BOOL GetBool(const CString& section, const CString& key, BOOL defaultValue) const;
    // At most 1023 characters; the default when the key is missing.
    CString GetString(const CString& section, const CString& key, const CString& defaultValue) const;
    // Leading decimal digits of the text; 0 when it does not begin with a number.
    long GetLong(const CString& section, const CString& key, long defaultValue) const;
    BOOL GetStruct(const CString& section, const CString& key, void* buffer, UINT size) const;

    // Each returns the profile function's result.
    BOOL WriteString(const CString& section, const CString& key, const CString& value) const;
    BOOL WriteInt(const CString& section, const CString& key, int value) const;
    BOOL WriteLong(const CString& section, const CString& key, long value) const;
    BOOL WriteBool(const CString& section, const CString& key, BOOL value) const;
    BOOL WriteStruct(const CString& section, const CString& key, void* buffer, UINT size) const;

private:
    CString m_strPath;
};
