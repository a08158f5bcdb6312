// Readers-writer lock shared by the socket library and its owners.
#pragma once

#include <windows.h>

// Readers share the lock; a writer holds it alone. Readers that arrive while
// other readers hold it get in at once, also while a writer waits (no writer
// preference), so a reader may take it again while already holding it.
// A write hold is re-entrant for its thread, and that thread may also take
// read holds inside it.
//
// Rule: never take the write lock while this thread holds a read lock on the
// same CNetLock. The writer would wait for its own read hold forever. Debug
// builds (NETLIB_LOCK_CHECKS) assert it.
class CNetLock {
public:
    CNetLock();
    virtual ~CNetLock();

    // Ends one read hold; the last one lets waiting writers in. A hold taken
    // with keepOwner 0 may be ended by any thread.
    virtual void ReadUnlock();
    // Takes a shared hold; waits only while another thread holds the write
    // lock. keepOwner 0 marks a hold that another thread will end.
    virtual void ReadLock(int keepOwner = 1);
    // Takes the lock alone; waits until no reader and no other writer holds it.
    virtual void WriteLock(int flag = 0);
    virtual void WriteUnlock();

private:
    CNetLock(const CNetLock&) = delete;
    CNetLock& operator=(const CNetLock&) = delete;

    CRITICAL_SECTION m_countLock;
    CONDITION_VARIABLE m_released;
    int m_readers = 0;
    DWORD m_writer = 0;
    int m_writeDepth = 0;
};
