#include "CStringT.h"

#include <vector>

namespace mfc_detail {

std::wstring StrTraits<wchar_t>::FromOther(const char* s, int len) {
    if (!s || len == 0) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, s, len, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, len, &out[0], n);
    if (len < 0) out.resize(n - 1);  // drop the converted terminator
    return out;
}

std::string StrTraits<char>::FromOther(const wchar_t* s, int len) {
    if (!s || len == 0) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, s, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s, len, &out[0], n, nullptr, nullptr);
    if (len < 0) out.resize(n - 1);
    return out;
}

// Case mapping follows the user's locale, as the framework's does.
void StrTraits<wchar_t>::Upper(std::wstring& s) {
    if (!s.empty()) CharUpperBuffW(&s[0], static_cast<DWORD>(s.size()));
}
void StrTraits<wchar_t>::Lower(std::wstring& s) {
    if (!s.empty()) CharLowerBuffW(&s[0], static_cast<DWORD>(s.size()));
}
void StrTraits<char>::Upper(std::string& s) {
    if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
}
void StrTraits<char>::Lower(std::string& s) {
    if (!s.empty()) CharLowerBuffA(&s[0], static_cast<DWORD>(s.size()));
}

}  // namespace mfc_detail

HINSTANCE AfxGetResourceHandle();

template <>
BOOL CStringT<wchar_t>::LoadString(UINT id) {
    const wchar_t* text = nullptr;
    // A zero buffer length returns a read-only pointer to the resource itself.
    int n = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (n <= 0 || !text) return FALSE;
    m_str.assign(text, static_cast<size_t>(n));
    return TRUE;
}

template <>
BOOL CStringT<char>::LoadString(UINT id) {
    CStringT<wchar_t> wide;
    if (!wide.LoadString(id)) return FALSE;
    *this = wide;
    return TRUE;
}
