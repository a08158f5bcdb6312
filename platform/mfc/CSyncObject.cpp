#include "CSyncObject.h"

IMPLEMENT_DYNAMIC(CSyncObject, CObject)

CSyncObject::~CSyncObject() {
    if (m_hObject) CloseHandle(m_hObject);
}

BOOL CSyncObject::Lock(DWORD timeoutMs) {
    DWORD result = WaitForSingleObject(m_hObject, timeoutMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}
