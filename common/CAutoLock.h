// CAutoLock: scoped guard over a CLock that can release and re-take the lock
// around slow work (SDK calls, file deletion, posting messages, callbacks).
#pragma once

#include "common/CLock.h"

class CAutoLock {
public:
    explicit CAutoLock(CLock* lock) : m_pLock(lock), m_nState(-1) { Lock(); }
    ~CAutoLock() { Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

    // Takes the lock again after an early release; returns 0. Calling it while
    // the guard already holds does nothing (entering twice and leaving once
    // would leave the lock owned for ever).
    int Lock() {
        if (m_nState == 0) return 0;
        m_nState = m_pLock->Lock();
        return m_nState;
    }
    // Releases early: -1 when the guard had already released, else 0.
    int Unlock() {
        if (m_nState == -1) return -1;
        m_nState = -1;
        return m_pLock->Unlock();
    }
    bool IsHolding() const { return m_nState == 0; }

private:
    friend class CLockCondition;

    CLock* m_pLock;
    int m_nState;  // 0 while holding, -1 once released
};
