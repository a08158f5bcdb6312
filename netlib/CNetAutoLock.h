// Scoped hold of a CNetLock that can be released and taken again.
#pragma once

#include "netlib/CNetLock.h"

class CNetAutoLock {
public:
    // Takes the lock at once in the given mode when lockNow is set (a read
    // hold with keepOwner, see CNetLock::ReadLock).
    CNetAutoLock(CNetLock* lock, bool writeMode, bool lockNow = true, int keepOwner = 1);
    // Releases the hold when one is taken.
    virtual ~CNetAutoLock();

    // Takes the lock again in the mode used last.
    virtual void Relock();
    // Takes the lock in the given mode (owned by this thread).
    virtual void Lock(bool writeMode);
    // Releases the hold; does nothing when none is taken.
    virtual void Unlock();

private:
    CNetAutoLock(const CNetAutoLock&) = delete;
    CNetAutoLock& operator=(const CNetAutoLock&) = delete;

    CNetLock* m_lock;
    bool m_writeMode;
    bool m_locked = false;
};
