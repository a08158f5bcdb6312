// Scoped acquisition of one synchronisation object: released on destruction
// when still held.
#pragma once

#include "CSyncObject.h"

class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE) : m_object(object) {
        if (initialLock) Lock();
    }
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    BOOL Lock(DWORD timeoutMs = INFINITE) {
        if (!m_locked) m_locked = m_object->Lock(timeoutMs);
        return m_locked;
    }
    // TRUE when nothing is held afterwards.
    BOOL Unlock() {
        if (m_locked) m_locked = !m_object->Unlock();
        return !m_locked;
    }
    BOOL IsLocked() const { return m_locked; }

private:
    CSyncObject* m_object;
    BOOL m_locked = FALSE;
};
