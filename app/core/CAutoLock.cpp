#include "CAutoLock.h"

int CAutoLock::Lock() {
    if (m_nState == 0) return 0;
    m_nState = m_pLock->Lock();
    return m_nState;
}

int CAutoLock::Unlock() {
    if (m_nState == -1) return -1;
    m_nState = -1;
    return m_pLock->Unlock();
}
