#include "CLock.h"

CLock& CLock::Init() {
    // The constructor has already initialised the section; an owner that also
    // calls Init must not initialise a section that may be in use.
    if (!m_bDeleted) return *this;
    m_bDeleted = 0;
    InitializeCriticalSection(&m_section);
    return *this;
}

void CLock::Destroy() {
    if (m_bDeleted) return;
    m_bDeleted = 1;
    DeleteCriticalSection(&m_section);
}
