#include "CWindowDC.h"

#include "CResourceException.h"
#include "CWnd.h"

IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd()) {
    if (!Attach(::GetWindowDC(m_hWnd))) AfxThrowResourceException();
}

CWindowDC::~CWindowDC() {
    RestoreSelections();
    ::ReleaseDC(m_hWnd, Detach());
}
