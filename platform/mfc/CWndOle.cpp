// The members of CWnd that host ActiveX controls: a window holding controls
// owns a container of their sites; a wrapper window object stands for one
// control through its site.
#include "AfxOleControls.h"
#include "COleControlContainer.h"
#include "COleControlSite.h"
#include "CWnd.h"

const AFX_EVENTSINKMAP* CWnd::GetThisEventSinkMap() {
    static const AFX_EVENTSINKMAP_ENTRY entries[] = {{0, 0, nullptr, nullptr}};
    static const AFX_EVENTSINKMAP map = {nullptr, entries};
    return &map;
}

const AFX_EVENTSINKMAP* CWnd::GetEventSinkMap() const { return GetThisEventSinkMap(); }

COleControlContainer* CWnd::GetControlContainer() {
    if (!m_pCtrlCont) m_pCtrlCont = new COleControlContainer(this);
    return m_pCtrlCont;
}

BOOL CWnd::CreateControl(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd || !parent || !parent->m_hWnd) return FALSE;
    COleControlSite* site = parent->GetControlContainer()->CreateSite(clsid, windowName, style, rect, id, nullptr);
    if (!site) return FALSE;
    if (site->BindWrapper(this)) return TRUE;
    parent->m_pCtrlCont->DestroySite(site);
    return FALSE;
}

IUnknown* CWnd::GetControlUnknown() { return m_pCtrlSite ? m_pCtrlSite->Unknown() : nullptr; }

void CWnd::InvokeHelper(LONG dispid, WORD flags, WORD resultType, void* result, const BYTE* paramInfo, ...) {
    va_list args;
    va_start(args, paramInfo);
    AfxInvokeDispatchV(m_pCtrlSite ? m_pCtrlSite->Dispatch() : nullptr, dispid, flags, resultType, result, paramInfo,
                       args);
    va_end(args);
}

void CWnd::MoveControlSite(int x, int y, int width, int height) {
    RECT r = {x, y, x + width, y + height};
    m_pCtrlSite->MoveWindow(r);
}

BOOL CWnd::DestroyControlSite() {
    m_pCtrlSite->Container()->DestroySite(m_pCtrlSite);
    return TRUE;
}

void CWnd::DestroyControlContainer() {
    COleControlContainer* container = m_pCtrlCont;
    m_pCtrlCont = nullptr;
    delete container;
}
