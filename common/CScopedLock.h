// CCriticalSection and CScopedLock: the plain lock for code outside app/
// (app/ keeps CLock and CAutoLock, which it can release and re-take).
#pragma once

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

class CScopedLock {
public:
    explicit CScopedLock(CCriticalSection& section) : m_section(section) { m_section.Enter(); }
    ~CScopedLock() { m_section.Leave(); }
    CScopedLock(const CScopedLock&) = delete;
    CScopedLock& operator=(const CScopedLock&) = delete;

private:
    CCriticalSection& m_section;
};
