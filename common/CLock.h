// CLock: the critical section every shared object holds by value, in the
// program and in the DLLs alike. Re-entrant for the owning thread.
#pragma once

#include <windows.h>

class CLock {
public:
    CLock() { Init(); }
    ~CLock() { Destroy(); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

    // Clears the deleted flag and initialises the section; does nothing while
    // the section is live (the constructor already called it): an owner that
    // also calls Init must not initialise a section that may be in use.
    // Returns *this.
    CLock& Init() {
        if (!m_bDeleted) return *this;
        m_bDeleted = 0;
        InitializeCriticalSection(&m_section);
        return *this;
    }
    // Deletes the section the first time; later calls do nothing, so a
    // constructor's clean-up path and the destructor may both call it.
    void Destroy() {
        if (m_bDeleted) return;
        m_bDeleted = 1;
        DeleteCriticalSection(&m_section);
    }
    // Same as Destroy, for callers that want a status: always 0.
    int Release() {
        Destroy();
        return 0;
    }
    // Enter and leave without touching the deleted flag.
    void InitSection() { InitializeCriticalSection(&m_section); }
    void DeleteSection() { DeleteCriticalSection(&m_section); }

    // Both always return 0. Re-entrant for the owning thread.
    int Lock() {
        EnterCriticalSection(&m_section);
        return 0;
    }
    int Unlock() {
        LeaveCriticalSection(&m_section);
        return 0;
    }

private:
    friend class CLockCondition;

    CRITICAL_SECTION m_section;
    LONG m_bDeleted = 1;
};
