#include "netlib/CNetLock.h"

#ifdef NETLIB_LOCK_CHECKS
#include <cassert>

namespace {
// Read holds this thread took with keepOwner set, to catch a write lock
// taken inside one. Holds handed to other threads are not tracked.
const int kMaxTrackedHolds = 32;
thread_local const CNetLock* t_readHolds[kMaxTrackedHolds];
thread_local int t_readHoldCount = 0;

void TrackReadHold(const CNetLock* lock) {
    if (t_readHoldCount < kMaxTrackedHolds) t_readHolds[t_readHoldCount++] = lock;
}

void UntrackReadHold(const CNetLock* lock) {
    for (int i = t_readHoldCount - 1; i >= 0; --i) {
        if (t_readHolds[i] == lock) {
            t_readHolds[i] = t_readHolds[--t_readHoldCount];
            return;
        }
    }
}

bool HoldsRead(const CNetLock* lock) {
    for (int i = 0; i < t_readHoldCount; ++i)
        if (t_readHolds[i] == lock) return true;
    return false;
}
}  // namespace
#endif

CNetLock::CNetLock() {
    InitializeCriticalSection(&m_countLock);
    InitializeConditionVariable(&m_released);
}

CNetLock::~CNetLock() { DeleteCriticalSection(&m_countLock); }

void CNetLock::ReadLock(int keepOwner) {
    const DWORD self = GetCurrentThreadId();
    EnterCriticalSection(&m_countLock);
    while (m_writer != 0 && m_writer != self) SleepConditionVariableCS(&m_released, &m_countLock, INFINITE);
    ++m_readers;
    LeaveCriticalSection(&m_countLock);
#ifdef NETLIB_LOCK_CHECKS
    if (keepOwner) TrackReadHold(this);
#endif
}

void CNetLock::ReadUnlock() {
#ifdef NETLIB_LOCK_CHECKS
    UntrackReadHold(this);
#endif
    EnterCriticalSection(&m_countLock);
    if (m_readers > 0 && --m_readers == 0) WakeAllConditionVariable(&m_released);
    LeaveCriticalSection(&m_countLock);
}

void CNetLock::WriteLock(int) {
#ifdef NETLIB_LOCK_CHECKS
    assert(!HoldsRead(this) && "write lock taken inside a read lock of the same thread");
#endif
    const DWORD self = GetCurrentThreadId();
    EnterCriticalSection(&m_countLock);
    if (m_writer == self) {
        ++m_writeDepth;
    } else {
        while (m_writer != 0 || m_readers > 0) SleepConditionVariableCS(&m_released, &m_countLock, INFINITE);
        m_writer = self;
        m_writeDepth = 1;
    }
    LeaveCriticalSection(&m_countLock);
}

void CNetLock::WriteUnlock() {
    EnterCriticalSection(&m_countLock);
    if (m_writer == GetCurrentThreadId() && --m_writeDepth == 0) {
        m_writer = 0;
        WakeAllConditionVariable(&m_released);
    }
    LeaveCriticalSection(&m_countLock);
}
