// Interlocked reference count shared by buffers, I/O records and keys.
#pragma once

#include <windows.h>

// The holder that sees Release return true deletes the object (NetRelease
// does both). Objects shared between threads are deleted only there.
class CNetRefCounted {
public:
    virtual ~CNetRefCounted() = default;

    // Adds a reference; true when the count is non-zero afterwards.
    bool AddRef() { return InterlockedIncrement(&m_refs) != 0; }
    // Adds a reference only while the object is alive (count above 0), for a
    // thread that may meet an object already on its way out. False: the count
    // was 0 and stays 0; treat the object as gone.
    bool TryAddRef();
    // Drops a reference; true when the count reached 0 and the caller must
    // delete the object.
    bool Release() { return InterlockedDecrement(&m_refs) == 0; }
    LONG RefCount() const { return m_refs; }

protected:
    explicit CNetRefCounted(LONG initialRefs) : m_refs(initialRefs) {}

private:
    CNetRefCounted(const CNetRefCounted&) = delete;
    CNetRefCounted& operator=(const CNetRefCounted&) = delete;

    volatile LONG m_refs;
};

// Drops the reference held in p, deletes the object at its last reference,
// and clears p. Does nothing for NULL.
template <class T>
void NetRelease(T*& p) {
    if (p && p->Release()) delete p;
    p = nullptr;
}
