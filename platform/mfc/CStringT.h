// CStringT: the framework's string, over std::basic_string.
// CString (UTF-16) is what the program uses throughout; CStringA carries text
// in the ANSI code page to the SDK, TinyXML and SQLite boundaries.
#pragma once

#include <windows.h>
#include <cstdarg>
#include <string>

namespace mfc_detail {

// Character traits that differ between the wide and the narrow string:
// formatting (Windows C runtime conventions: in wide functions %s is a wide
// string), case mapping and conversion from the other width.
template <typename T>
struct StrTraits;

template <>
struct StrTraits<wchar_t> {
    typedef char OtherChar;
    static int FormatLength(const wchar_t* fmt, va_list args) { return _vscwprintf(fmt, args); }
    static int FormatInto(wchar_t* buf, size_t n, const wchar_t* fmt, va_list args) {
        return _vsnwprintf(buf, n, fmt, args);
    }
    static size_t Length(const wchar_t* s) { return wcslen(s); }
    static std::wstring FromOther(const char* s, int len = -1);
    static int CompareNoCase(const wchar_t* a, const wchar_t* b) { return _wcsicmp(a, b); }
    static int Collate(const wchar_t* a, const wchar_t* b) { return wcscoll(a, b); }
    static void Upper(std::wstring& s);
    static void Lower(std::wstring& s);
    static bool IsSpace(wchar_t c) { return iswspace(c) != 0; }
};

template <>
struct StrTraits<char> {
    typedef wchar_t OtherChar;
    static int FormatLength(const char* fmt, va_list args) { return _vscprintf(fmt, args); }
    static int FormatInto(char* buf, size_t n, const char* fmt, va_list args) { return _vsnprintf(buf, n, fmt, args); }
    static size_t Length(const char* s) { return strlen(s); }
    static std::string FromOther(const wchar_t* s, int len = -1);
    static int CompareNoCase(const char* a, const char* b) { return _stricmp(a, b); }
    static int Collate(const char* a, const char* b) { return strcoll(a, b); }
    static void Upper(std::string& s);
    static void Lower(std::string& s);
    static bool IsSpace(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }
};

}  // namespace mfc_detail

template <typename T>
class CStringT {
    typedef mfc_detail::StrTraits<T> Traits;
    typedef typename Traits::OtherChar OtherChar;
    typedef std::basic_string<T> Str;

public:
    typedef T XCHAR;
    typedef const T* PCXSTR;

    CStringT() {}
    CStringT(const CStringT& other) : m_str(other.m_str) {}
    CStringT(CStringT&& other) noexcept : m_str(std::move(other.m_str)) {}
    CStringT(const T* psz) {
        if (psz) m_str = psz;
    }
    CStringT(const T* pch, int length) {
        if (pch && length > 0) m_str.assign(pch, length);
    }
    CStringT(T ch, int repeat = 1) {
        if (repeat > 0) m_str.assign(repeat, ch);
    }
    // Text of the other width is converted through the ANSI code page.
    CStringT(const OtherChar* psz) {
        if (psz) m_str = Traits::FromOther(psz);
    }
    CStringT(const CStringT<OtherChar>& other) { m_str = Traits::FromOther(other.GetString(), other.GetLength()); }
    explicit CStringT(const Str& s) : m_str(s) {}

    CStringT& operator=(const CStringT& other) {
        m_str = other.m_str;
        return *this;
    }
    CStringT& operator=(CStringT&& other) noexcept {
        m_str = std::move(other.m_str);
        return *this;
    }
    CStringT& operator=(const T* psz) {
        if (psz)
            m_str = psz;
        else
            m_str.clear();
        return *this;
    }
    CStringT& operator=(T ch) {
        m_str.assign(1, ch);
        return *this;
    }
    CStringT& operator=(const OtherChar* psz) {
        m_str = psz ? Traits::FromOther(psz) : Str();
        return *this;
    }
    CStringT& operator=(const CStringT<OtherChar>& other) {
        m_str = Traits::FromOther(other.GetString(), other.GetLength());
        return *this;
    }

    CStringT& operator+=(const CStringT& s) {
        m_str += s.m_str;
        return *this;
    }
    CStringT& operator+=(const T* psz) {
        if (psz) m_str += psz;
        return *this;
    }
    CStringT& operator+=(T ch) {
        m_str += ch;
        return *this;
    }
    CStringT& operator+=(const OtherChar* psz) {
        if (psz) m_str += Traits::FromOther(psz);
        return *this;
    }

    operator const T*() const { return m_str.c_str(); }
    const T* GetString() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    int GetAllocLength() const { return static_cast<int>(m_str.capacity()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    T GetAt(int i) const { return m_str.at(static_cast<size_t>(i)); }
    void SetAt(int i, T ch) { m_str.at(static_cast<size_t>(i)) = ch; }
    T operator[](int i) const { return GetAt(i); }
    const Str& str() const { return m_str; }

    int Compare(const T* psz) const { return m_str.compare(psz ? psz : EmptyText()); }
    int CompareNoCase(const T* psz) const { return Traits::CompareNoCase(m_str.c_str(), psz ? psz : EmptyText()); }
    int Collate(const T* psz) const { return Traits::Collate(m_str.c_str(), psz ? psz : EmptyText()); }

    // Searches return -1 when absent or when the start lies past the end.
    int Find(T ch, int start = 0) const { return FindAt(m_str.find(ch, ClampStart(start)), start); }
    int Find(const T* psz, int start = 0) const {
        if (!psz) return -1;
        return FindAt(m_str.find(psz, ClampStart(start)), start);
    }
    int ReverseFind(T ch) const { return ToIndex(m_str.rfind(ch)); }
    int FindOneOf(const T* set) const { return set ? ToIndex(m_str.find_first_of(set)) : -1; }

    // Extraction clamps its arguments to the string, never failing.
    CStringT Mid(int first) const { return Mid(first, GetLength()); }
    CStringT Mid(int first, int count) const {
        if (first < 0) first = 0;
        if (count < 0) count = 0;
        if (first >= GetLength()) return CStringT();
        if (count > GetLength() - first) count = GetLength() - first;
        return CStringT(m_str.substr(first, count));
    }
    CStringT Left(int count) const { return Mid(0, count); }
    CStringT Right(int count) const {
        if (count < 0) count = 0;
        if (count > GetLength()) count = GetLength();
        return CStringT(m_str.substr(GetLength() - count));
    }
    CStringT SpanIncluding(const T* set) const {
        return Left(ToIndexOrLength(m_str.find_first_not_of(set ? set : EmptyText())));
    }
    CStringT SpanExcluding(const T* set) const {
        return Left(ToIndexOrLength(m_str.find_first_of(set ? set : EmptyText())));
    }
    CStringT Tokenize(const T* delims, int& start) const;

    CStringT& MakeUpper() {
        Traits::Upper(m_str);
        return *this;
    }
    CStringT& MakeLower() {
        Traits::Lower(m_str);
        return *this;
    }
    CStringT& MakeReverse() {
        m_str.assign(m_str.rbegin(), m_str.rend());
        return *this;
    }

    int Replace(T oldCh, T newCh);
    int Replace(const T* oldText, const T* newText);
    int Remove(T ch);
    int Insert(int index, T ch) { return Insert(index, CStringT(ch).GetString()); }
    int Insert(int index, const T* psz);
    int Delete(int index, int count = 1);

    CStringT& Trim() { return TrimRight().TrimLeft(); }
    CStringT& Trim(T ch) { return TrimRight(ch).TrimLeft(ch); }
    CStringT& Trim(const T* set) { return TrimRight(set).TrimLeft(set); }
    CStringT& TrimLeft();
    CStringT& TrimLeft(T ch) {
        T set[2] = {ch, 0};
        return TrimLeft(set);
    }
    CStringT& TrimLeft(const T* set);
    CStringT& TrimRight();
    CStringT& TrimRight(T ch) {
        T set[2] = {ch, 0};
        return TrimRight(set);
    }
    CStringT& TrimRight(const T* set);

    void Format(const T* fmt, ...) {
        va_list a;
        va_start(a, fmt);
        FormatV(fmt, a);
        va_end(a);
    }
    void AppendFormat(const T* fmt, ...) {
        va_list a;
        va_start(a, fmt);
        AppendFormatV(fmt, a);
        va_end(a);
    }
    void FormatV(const T* fmt, va_list args) {
        m_str.clear();
        AppendFormatV(fmt, args);
    }
    void AppendFormatV(const T* fmt, va_list args);
    void Append(const T* psz, int length) {
        if (psz && length > 0) m_str.append(psz, length);
    }
    void Append(const T* psz) {
        if (psz) m_str += psz;
    }
    void AppendChar(T ch) { m_str += ch; }

    // Raw access: the caller writes at most minLength characters plus a
    // terminator, then ReleaseBuffer fixes the length.
    T* GetBuffer() { return &m_str[0]; }
    T* GetBuffer(int minLength);
    T* GetBufferSetLength(int length) {
        GetBuffer(length);
        m_str.resize(length > 0 ? length : 0);
        return &m_str[0];
    }
    void ReleaseBuffer(int newLength = -1);
    void ReleaseBufferSetLength(int newLength) { ReleaseBuffer(newLength); }
    void Preallocate(int length) {
        if (length > 0) m_str.reserve(length);
    }
    void FreeExtra() { m_str.shrink_to_fit(); }

    BOOL LoadString(UINT id);

    friend CStringT operator+(const CStringT& a, const CStringT& b) {
        CStringT r(a);
        r += b;
        return r;
    }
    friend CStringT operator+(const CStringT& a, const T* b) {
        CStringT r(a);
        r += b;
        return r;
    }
    friend CStringT operator+(const T* a, const CStringT& b) {
        CStringT r(a);
        r += b;
        return r;
    }
    friend CStringT operator+(const CStringT& a, T b) {
        CStringT r(a);
        r += b;
        return r;
    }
    friend CStringT operator+(T a, const CStringT& b) {
        CStringT r(a);
        r += b;
        return r;
    }

    friend bool operator==(const CStringT& a, const CStringT& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CStringT& a, const T* b) { return a.Compare(b) == 0; }
    friend bool operator==(const T* a, const CStringT& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CStringT& a, const CStringT& b) { return a.m_str != b.m_str; }
    friend bool operator!=(const CStringT& a, const T* b) { return a.Compare(b) != 0; }
    friend bool operator!=(const T* a, const CStringT& b) { return b.Compare(a) != 0; }
    friend bool operator<(const CStringT& a, const CStringT& b) { return a.m_str < b.m_str; }
    friend bool operator>(const CStringT& a, const CStringT& b) { return a.m_str > b.m_str; }
    friend bool operator<=(const CStringT& a, const CStringT& b) { return a.m_str <= b.m_str; }
    friend bool operator>=(const CStringT& a, const CStringT& b) { return a.m_str >= b.m_str; }

private:
    static const T* EmptyText() {
        static const T empty[1] = {0};
        return empty;
    }
    size_t ClampStart(int start) const { return start < 0 ? 0 : static_cast<size_t>(start); }
    int FindAt(size_t pos, int start) const { return (start > GetLength()) ? -1 : ToIndex(pos); }
    static int ToIndex(size_t pos) { return pos == Str::npos ? -1 : static_cast<int>(pos); }
    int ToIndexOrLength(size_t pos) const { return pos == Str::npos ? GetLength() : static_cast<int>(pos); }

    Str m_str;
};

typedef CStringT<wchar_t> CStringW;
typedef CStringT<char> CStringA;
typedef CStringW CString;

// Conversion helpers in the spirit of the framework's CW2A / CA2W: ANSI code page.
class CW2A {
public:
    explicit CW2A(const wchar_t* psz) : m_text(psz) {}
    operator const char*() const { return m_text.GetString(); }

private:
    CStringA m_text;
};

class CA2W {
public:
    explicit CA2W(const char* psz) : m_text(psz) {}
    operator const wchar_t*() const { return m_text.GetString(); }

private:
    CStringW m_text;
};

#include "CStringT.inl"
