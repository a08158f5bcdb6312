#include "PasswordCoding.h"

#include <cwchar>

namespace {

// (k * k + 2) mod 36, in 64 bits so long texts cannot overflow the square.
int PositionTerm(int index) {
    long long k = index;
    return static_cast<int>((k * k + 2) % 36);
}

// First byte of the character's ANSI form, signed; characters the code page
// lacks come back as its default character.
signed char AnsiByte(wchar_t c) {
    char bytes[8] = {0};
    int n = WideCharToMultiByte(CP_ACP, 0, &c, 1, bytes, sizeof(bytes), nullptr, nullptr);
    return n > 0 ? static_cast<signed char>(bytes[0]) : '?';
}

}  // namespace

CString EncodePassword(const CString& plain, int mode) {
    CString coded;
    if (mode != 0) return coded;
    for (int k = 0; k < plain.GetLength(); ++k) coded.AppendFormat(L"%04d", AnsiByte(plain.GetAt(k)) + PositionTerm(k));
    return coded;
}

CString DecodePassword(const CString& coded, int mode) {
    CString plain;
    if (mode != 0) return plain;
    for (int j = 0; j < coded.GetLength(); j += 4) {
        CString group = coded.Mid(j, 4);
        long n = wcstol(group, nullptr, 10);
        char byte = static_cast<char>(n - PositionTerm(j / 4));
        if (byte == 0) continue;  // a NUL byte makes an empty one-byte string
        wchar_t c = 0;
        if (MultiByteToWideChar(CP_ACP, 0, &byte, 1, &c, 1) == 1) plain.AppendChar(c);
    }
    return plain;
}
