// CLockCondition: lets a thread holding a CLock wait, with the lock left,
// until another thread changes what it waits for and wakes it.
#pragma once

#include "common/CAutoLock.h"

#include <windows.h>

class CLockCondition {
public:
    CLockCondition() { InitializeConditionVariable(&m_condition); }
    CLockCondition(const CLockCondition&) = delete;
    CLockCondition& operator=(const CLockCondition&) = delete;

    // Waits until done() holds or waitMs pass (INFINITE: no limit), and
    // returns done(). The guard must hold its lock, and only once: a wait
    // leaves one level of the section, so a lock held twice would stay held
    // while the thread sleeps.
    template <typename Done>
    bool WaitFor(CAutoLock& guard, DWORD waitMs, Done done) {
        const ULONGLONG deadline = GetTickCount64() + waitMs;
        while (!done()) {
            if (waitMs == INFINITE) {
                WaitOnce(guard, INFINITE);
                continue;
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) return false;
            WaitOnce(guard, static_cast<DWORD>(deadline - now));
        }
        return true;
    }
    // Sleeps once, for up to waitMs, with the guard's lock left; it may wake
    // early and without cause, so the caller looks again at what it awaits.
    void WaitOnce(CAutoLock& guard, DWORD waitMs) {
        SleepConditionVariableCS(&m_condition, &guard.m_pLock->m_section, waitMs);
    }
    void WakeOne() { WakeConditionVariable(&m_condition); }
    void WakeAll() { WakeAllConditionVariable(&m_condition); }

private:
    CONDITION_VARIABLE m_condition;
};
