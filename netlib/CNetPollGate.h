// Keeps one socket object from being polled by two poll threads at once,
// and spaces out the polls of an object that has nothing to do.
#pragma once

#include <windows.h>

#include "netlib/CNetLock.h"

class CNetPollGate {
public:
    // True when the caller may poll now: no other thread is polling, and the
    // last poll was busy, was idle at least 10 ms ago, or force is set. A
    // true result must be paired with Leave.
    bool Enter(bool force);
    // Ends the poll; result non-zero means it was idle.
    void Leave(int result);
    // Runs work (returning non-zero when idle) when Enter(force) lets it, and
    // Leave afterwards also when work throws. 1 (idle) when it did not run.
    template <class Work>
    int Poll(bool force, Work work) {
        if (!Enter(force)) return 1;
        int result = 1;
        try {
            result = work();
        } catch (...) {
            Leave(result);
            throw;
        }
        Leave(result);
        return result;
    }

private:
    CNetLock m_lock;
    bool m_busy = false;
    bool m_lastIdle = true;
    DWORD m_lastPoll = 0;
};
