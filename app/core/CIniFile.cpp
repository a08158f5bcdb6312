#include "CIniFile.h"

#include <cwchar>

namespace {
const DWORD kValueBufferChars = 1024;
}

int CIniFile::GetInt(const CString& section, const CString& key, int defaultValue) const {
    return static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, m_strPath));
}

BOOL CIniFile::GetBool(const CString& section, const CString& key, BOOL defaultValue) const {
    return GetPrivateProfileIntW(section, key, defaultValue, m_strPath) == 1 ? TRUE : FALSE;
}

CString CIniFile::GetString(const CString& section, const CString& key, const CString& defaultValue) const {
    wchar_t buffer[kValueBufferChars] = {0};
    GetPrivateProfileStringW(section, key, defaultValue, buffer, kValueBufferChars, m_strPath);
    return CString(buffer);
}

long CIniFile::GetLong(const CString& section, const CString& key, long defaultValue) const {
    CString fallback;
    fallback.Format(L"%d", static_cast<int>(defaultValue));
    CString text = GetString(section, key, fallback);
    return wcstol(text, nullptr, 10);
}

BOOL CIniFile::GetStruct(const CString& section, const CString& key, void* buffer, UINT size) const {
    return GetPrivateProfileStructW(section, key, buffer, size, m_strPath);
}

BOOL CIniFile::WriteString(const CString& section, const CString& key, const CString& value) const {
    return WritePrivateProfileStringW(section, key, value, m_strPath);
}

BOOL CIniFile::WriteInt(const CString& section, const CString& key, int value) const {
    CString text;
    text.Format(L"%d", value);
    return WriteString(section, key, text);
}

BOOL CIniFile::WriteLong(const CString& section, const CString& key, long value) const {
    return WriteInt(section, key, static_cast<int>(value));
}

BOOL CIniFile::WriteBool(const CString& section, const CString& key, BOOL value) const {
    return WriteInt(section, key, value ? 1 : 0);
}

BOOL CIniFile::WriteStruct(const CString& section, const CString& key, void* buffer, UINT size) const {
    return WritePrivateProfileStructW(section, key, buffer, size, m_strPath);
}
