#include "CClientDC.h"

#include "CResourceException.h"
#include "CWnd.h"

IMPLEMENT_DYNAMIC(CClientDC, CDC)

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd()) {
    if (!Attach(::GetDC(m_hWnd))) AfxThrowResourceException();
}

CClientDC::~CClientDC() {
    RestoreSelections();
    ::ReleaseDC(m_hWnd, Detach());
}
