#include "CLock.h"

CLock& CLock::Init() {
    m_bDeleted = 0;
    InitializeCriticalSection(&m_section);
    return *this;
}

void CLock::Destroy() {
    if (m_bDeleted) return;
    m_bDeleted = 1;
    DeleteCriticalSection(&m_section);
}
