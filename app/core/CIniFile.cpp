#include "CIniFile.h"

#include <cwchar>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/CAutoLock.h"
#include "CIniDocument.h"
#include "common/CLock.h"
#include "common/WholeFile.h"

namespace {

const size_t kMaxValueChars = 1023;

// What tells one state of the file on disk from another.
struct FILE_STAMP {
    bool exists = false;
    FILETIME written = {};
    DWORD sizeHigh = 0, sizeLow = 0;

    static FILE_STAMP Of(const std::wstring& path) {
        FILE_STAMP stamp;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return stamp;  // no file to read
        stamp.exists = true;
        stamp.written = data.ftLastWriteTime;
        stamp.sizeHigh = data.nFileSizeHigh;
        stamp.sizeLow = data.nFileSizeLow;
        return stamp;
    }
    bool operator==(const FILE_STAMP& o) const {
        return exists == o.exists && written.dwLowDateTime == o.written.dwLowDateTime &&
               written.dwHighDateTime == o.written.dwHighDateTime && sizeHigh == o.sizeHigh && sizeLow == o.sizeLow;
    }
};

// Decimal as the profile functions read it: blanks, a sign, digits; wraps at 32 bits.
int ProfileInt(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    unsigned value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) value = value * 10u + (text[i] - L'0');
    return static_cast<int>(negative ? 0u - value : value);
}

}  // namespace

// The file's text in memory, shared by the CIniFile objects of one path.
class CIniFile::CContent {
public:
    explicit CContent(const std::wstring& path) : m_path(path) {}

    bool Find(const std::wstring& section, const std::wstring& key, std::wstring& value) {
        CAutoLock guard(&m_lock);
        Refresh();
        return m_document.Find(section, key, value);
    }

    BOOL Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        CAutoLock guard(&m_lock);
        Refresh();
        m_document.Set(section, key, value);
        m_pending.push_back(EDIT{section, key, value});
        return m_batchDepth > 0 ? TRUE : Save();
    }

    void BeginBatch() {
        CAutoLock guard(&m_lock);
        ++m_batchDepth;
    }

    BOOL EndBatch() {
        CAutoLock guard(&m_lock);
        if (--m_batchDepth > 0 || m_pending.empty()) return TRUE;
        Refresh();
        return Save();
    }

    // One table per path for the whole process (made on first use: the
    // configuration is first read during static initialisation).
    static std::shared_ptr<CContent> ForPath(const std::wstring& path) {
        static CLock tableLock;
        static std::map<std::wstring, std::weak_ptr<CContent>> table;
        std::wstring key = path;
        if (!key.empty()) CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
        CAutoLock guard(&tableLock);
        std::shared_ptr<CContent> content = table[key].lock();
        if (!content) {
            content = std::make_shared<CContent>(path);
            table[key] = content;
        }
        return content;
    }

private:
    struct EDIT {
        std::wstring section, key, value;
    };

    // Reads the file again when it changed on disk since it was read or
    // written here; writes not yet saved are laid over what it holds now.
    void Refresh() {
        const FILE_STAMP now = FILE_STAMP::Of(m_path);
        if (m_loaded && now == m_stamp) return;
        std::string bytes;
        m_unreadable = now.exists && !ReadFileBytes(m_path.c_str(), bytes);
        m_document.Parse(bytes);
        for (const EDIT& edit : m_pending) m_document.Set(edit.section, edit.key, edit.value);
        m_stamp = now;
        m_loaded = !m_unreadable;  // tried again at the next call
    }

    BOOL Save() {
        if (m_unreadable) return FALSE;  // replacing it would lose what it holds
        const std::string bytes = m_document.Bytes();
        if (ReplaceFileContents(m_path.c_str(), bytes.data(), bytes.size()) != 0) return FALSE;
        m_pending.clear();
        m_stamp = FILE_STAMP::Of(m_path);
        return TRUE;
    }

    const std::wstring m_path;
    CLock m_lock;
    CIniDocument m_document;
    std::vector<EDIT> m_pending;  // written here and not yet on disk
    FILE_STAMP m_stamp;
    bool m_loaded = false;
    bool m_unreadable = false;
    int m_batchDepth = 0;
};

CIniFile::CIniFile(const CString& path) : m_strPath(path), m_content(CContent::ForPath(path.GetString())) {}

CIniFile::~CIniFile() = default;

int CIniFile::GetInt(const CString& section, const CString& key, int defaultValue) const {
    std::wstring value;
    if (!m_content->Find(section.GetString(), key.GetString(), value) || value.empty()) return defaultValue;
    return ProfileInt(value);
}

BOOL CIniFile::GetBool(const CString& section, const CString& key, BOOL defaultValue) const {
    return GetInt(section, key, defaultValue) == 1 ? TRUE : FALSE;
}

CString CIniFile::GetString(const CString& section, const CString& key, const CString& defaultValue) const {
    std::wstring value;
    if (!m_content->Find(section.GetString(), key.GetString(), value)) value = defaultValue.GetString();
    return CString(value.substr(0, kMaxValueChars).c_str());
}

long CIniFile::GetLong(const CString& section, const CString& key, long defaultValue) const {
    CString fallback;
    fallback.Format(L"%d", static_cast<int>(defaultValue));
    CString text = GetString(section, key, fallback);
    return wcstol(text, nullptr, 10);
}

bool CIniFile::HasKey(const CString& section, const CString& key) const {
    std::wstring value;
    return m_content->Find(section.GetString(), key.GetString(), value);
}

// Stored as the profile functions store a structure: two hex digits a byte,
// then the low byte of the bytes' sum.
BOOL CIniFile::GetStruct(const CString& section, const CString& key, void* buffer, UINT size) const {
    std::wstring value;
    if (!m_content->Find(section.GetString(), key.GetString(), value)) return FALSE;
    if (value.size() != (static_cast<size_t>(size) + 1) * 2) return FALSE;
    std::vector<unsigned char> bytes(size + 1);
    for (size_t i = 0; i < bytes.size(); ++i) {
        wchar_t* end = nullptr;
        const std::wstring pair = value.substr(i * 2, 2);
        bytes[i] = static_cast<unsigned char>(wcstoul(pair.c_str(), &end, 16));
        if (end != pair.c_str() + 2) return FALSE;
    }
    unsigned char sum = 0;
    for (UINT i = 0; i < size; ++i) sum = static_cast<unsigned char>(sum + bytes[i]);
    if (sum != bytes[size]) return FALSE;
    if (size) memcpy(buffer, bytes.data(), size);
    return TRUE;
}

BOOL CIniFile::WriteStruct(const CString& section, const CString& key, void* buffer, UINT size) const {
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
    CString text;
    unsigned char sum = 0;
    for (UINT i = 0; i < size; ++i) {
        text.AppendFormat(L"%02X", bytes[i]);
        sum = static_cast<unsigned char>(sum + bytes[i]);
    }
    text.AppendFormat(L"%02X", sum);
    return WriteString(section, key, text);
}

BOOL CIniFile::WriteString(const CString& section, const CString& key, const CString& value) const {
    return m_content->Set(section.GetString(), key.GetString(), value.GetString());
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

CIniFile::CBatch::CBatch(const CIniFile& ini) : m_ini(&ini) { ini.m_content->BeginBatch(); }

BOOL CIniFile::CBatch::Close() {
    if (!m_ini) return TRUE;
    const BOOL saved = m_ini->m_content->EndBatch();
    m_ini = nullptr;
    return saved;
}
