// CPathLocks: one lock per file path for the whole process. Every object
// that rewrites a shared file (device.xml is written by the engine's device
// manager and by the device dialog's working lists) takes the lock of its
// path around its load-edit-save, so no writer saves a list older than the
// one another writer saved meanwhile.
//
// Lock: the table's own lock is a leaf held only while a path is looked up;
// the locks handed out live as long as the process.
#pragma once

#include <afx.h>

#include "common/CLock.h"

class CPathLocks {
public:
    // The lock of the file; paths that name the same file through another
    // case, a relative form or "." and ".." steps give the same lock.
    static CLock& For(const CString& path);
    // Whether the two paths name the same file by the rule above.
    static bool SameFile(const CString& a, const CString& b);
};
