#include "CPaintDC.h"

#include "CResourceException.h"
#include "CWnd.h"

IMPLEMENT_DYNAMIC(CPaintDC, CDC)

CPaintDC::CPaintDC(CWnd* wnd) : m_ps(), m_hWnd(wnd->GetSafeHwnd()) {
    if (!Attach(::BeginPaint(m_hWnd, &m_ps))) AfxThrowResourceException();
}

CPaintDC::~CPaintDC() {
    RestoreSelections();
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}
