#include "StaleTemporaries.h"

#include <wchar.h>

#include "FileUtil.h"

namespace {

const wchar_t* const kStoredFiles[] = {L"VAD_Config.ini", L"UserLogin.ini",      L"device.xml",
                                       L"UserInfo.XML",   L"backupschedule.xml", L"recplantemplet.xml"};

// "<stored>.<digits>.tmp", as the safe replace names its temporary file.
bool IsStaleTemporary(const wchar_t* name) {
    for (const wchar_t* stored : kStoredFiles) {
        const size_t length = wcslen(stored);
        if (_wcsnicmp(name, stored, length) != 0 || name[length] != L'.') continue;
        const wchar_t* digits = name + length + 1;
        const wchar_t* end = digits;
        while (*end >= L'0' && *end <= L'9') ++end;
        if (end != digits && _wcsicmp(end, L".tmp") == 0) return true;
    }
    return false;
}

}  // namespace

int RemoveStaleTemporaries(const CString& directory) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(directory, L"*.tmp"), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (IsStaleTemporary(found.cFileName) && DeleteFileW(JoinPath(directory, found.cFileName))) ++removed;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return removed;
}
