#include "netlib/CNetAutoLock.h"

CNetAutoLock::CNetAutoLock(CNetLock* lock, bool writeMode, bool lockNow, int keepOwner)
    : m_lock(lock), m_writeMode(writeMode) {
    if (!lockNow || !m_lock) return;
    if (m_writeMode)
        m_lock->WriteLock();
    else
        m_lock->ReadLock(keepOwner);
    m_locked = true;
}

CNetAutoLock::~CNetAutoLock() {
    if (m_locked) Unlock();
}

void CNetAutoLock::Relock() { Lock(m_writeMode); }

void CNetAutoLock::Lock(bool writeMode) {
    if (!m_lock || m_locked) return;
    m_writeMode = writeMode;
    if (m_writeMode)
        m_lock->WriteLock();
    else
        m_lock->ReadLock(1);
    m_locked = true;
}

void CNetAutoLock::Unlock() {
    if (!m_lock || !m_locked) return;
    if (m_writeMode)
        m_lock->WriteUnlock();
    else
        m_lock->ReadUnlock();
    m_locked = false;
}
