// Base of the framework's kernel synchronisation objects: owns the handle
// and closes it when destroyed.
#pragma once

#include "CObject.h"

class CSyncObject : public CObject {
    DECLARE_DYNAMIC(CSyncObject)
public:
    ~CSyncObject() override;

    // TRUE when the object was acquired (or abandoned to us) within timeoutMs.
    virtual BOOL Lock(DWORD timeoutMs = INFINITE);
    virtual BOOL Unlock() = 0;
    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject;

protected:
    CSyncObject() : m_hObject(nullptr) {}
};
