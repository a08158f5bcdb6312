#include "netlib/CNetPollGate.h"

#include "netlib/CNetAutoLock.h"

namespace {
const DWORD kIdleRepollMs = 10;
}

bool CNetPollGate::Enter(bool force) {
    CNetAutoLock guard(&m_lock, true);
    if (m_busy) return false;
    if (!force && m_lastIdle && GetTickCount() - m_lastPoll < kIdleRepollMs) return false;
    m_busy = true;
    return true;
}

void CNetPollGate::Leave(int result) {
    CNetAutoLock guard(&m_lock, true);
    m_lastPoll = GetTickCount();
    m_lastIdle = result != 0;
    m_busy = false;
}
