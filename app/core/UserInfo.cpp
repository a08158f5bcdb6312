#include "UserInfo.h"

#include <cwchar>

USER_INFO::USER_INFO() : sex(L"male"), birthday(L"2000-01-01"), loggedIn(0) {}

int USER_INFO::HasRight(long mask) const {
    if (id.IsEmpty()) return -1;
    const long held = wcstol(rights, nullptr, 10);
    return (held & mask) == mask ? 0 : -1;
}

CString FormatRights(long mask) {
    CString text;
    text.Format(L"%ld", mask);
    return text;
}
