#include "CMutex.h"

#include "CResourceException.h"

IMPLEMENT_DYNAMIC(CMutex, CSyncObject)

CMutex::CMutex(BOOL initiallyOwn, LPCWSTR name, LPSECURITY_ATTRIBUTES security) {
    m_hObject = CreateMutexW(security, initiallyOwn, name);
    if (!m_hObject) AfxThrowResourceException();
}
