#include "app/core/CPathLocks.h"

#include <map>
#include <memory>

#include "common/CAutoLock.h"

namespace {

CString FileKey(const CString& path) {
    wchar_t full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(path, MAX_PATH * 4, full, nullptr);
    CString key = length > 0 && length < MAX_PATH * 4 ? CString(full) : path;
    key.MakeLower();
    return key;
}

}  // namespace

CLock& CPathLocks::For(const CString& path) {
    // Made once and never destroyed: a writer may still run while static
    // objects are torn down at exit.
    static CLock* tableLock = new CLock;
    static std::map<CString, std::unique_ptr<CLock>>* locks = new std::map<CString, std::unique_ptr<CLock>>;
    const CString key = FileKey(path);
    CAutoLock guard(tableLock);
    std::unique_ptr<CLock>& lock = (*locks)[key];
    if (!lock) lock.reset(new CLock);
    return *lock;
}

bool CPathLocks::SameFile(const CString& a, const CString& b) { return FileKey(a) == FileKey(b); }
