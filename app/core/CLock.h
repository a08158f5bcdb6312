// CLock: the critical section every shared store holds by value.
#pragma once

#include <windows.h>

class CLock {
public:
    CLock() { Init(); }
    ~CLock() { Destroy(); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

    // Clears the deleted flag and initialises the section; does nothing while
    // the section is live (the constructor already called it). Returns *this.
    CLock& Init();
    // Deletes the section the first time; later calls do nothing, so a
    // constructor's clean-up path and the destructor may both call it.
    void Destroy();
    // Same as Destroy, for callers that want a status: always 0.
    int Release() { Destroy(); return 0; }
    // Enter and leave without touching the deleted flag.
    void InitSection() { InitializeCriticalSection(&m_section); }
    void DeleteSection() { DeleteCriticalSection(&m_section); }

    // Both always return 0. Re-entrant for the owning thread.
    int Lock() { EnterCriticalSection(&m_section); return 0; }
    int Unlock() { LeaveCriticalSection(&m_section); return 0; }

private:
    CRITICAL_SECTION m_section;
    LONG m_bDeleted = 1;
};
