// A kernel mutex, recursive for the owning thread.
#pragma once

#include "CSyncObject.h"

class CMutex : public CSyncObject {
    DECLARE_DYNAMIC(CMutex)
public:
    // Throws CResourceException when the mutex cannot be created.
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCWSTR name = nullptr, LPSECURITY_ATTRIBUTES security = nullptr);
    // FALSE when the calling thread does not own the mutex.
    BOOL Unlock() override { return ReleaseMutex(m_hObject); }
};
