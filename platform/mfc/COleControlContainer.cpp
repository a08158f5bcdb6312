#include "COleControlContainer.h"

#include <algorithm>

#include "AfxOleControls.h"
#include "CException.h"
#include "COleControlSite.h"
#include "CWnd.h"

COleControlContainer::~COleControlContainer() { DestroyAllSites(); }

COleControlSite* COleControlContainer::CreateSite(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect,
                                                  UINT id, HWND insertAfter, HRESULT* hr) {
    auto* site = new COleControlSite(this, id);
    HRESULT result = site->CreateControl(clsid, windowName, style, rect, insertAfter);
    if (hr) *hr = result;
    if (FAILED(result)) {
        site->Teardown();
        site->Release();
        return nullptr;
    }
    m_sites.push_back(site);
    return site;
}

COleControlSite* COleControlContainer::FindSite(UINT id) const {
    for (COleControlSite* site : m_sites)
        if (site->Id() == id) return site;
    return nullptr;
}

void COleControlContainer::DestroySite(COleControlSite* site) {
    auto it = std::find(m_sites.begin(), m_sites.end(), site);
    if (it == m_sites.end()) return;
    m_sites.erase(it);
    site->Teardown();
    site->Release();
}

void COleControlContainer::DestroyAllSites() {
    while (!m_sites.empty()) DestroySite(m_sites.back());
}

void COleControlContainer::OnEvent(UINT id, DISPID dispid, DISPPARAMS* params) {
    for (const AFX_EVENTSINKMAP* map = m_pWnd->GetEventSinkMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_EVENTSINKMAP_ENTRY* e = map->lpEntries; e && e->pfnThunk; ++e) {
            if (e->nCtrlID != id || e->dispid != dispid) continue;
            // No exception may unwind into the control.
            try {
                e->pfnThunk(m_pWnd, e->vts, params);
            } catch (CException* ex) {
                ex->Delete();
            } catch (...) {}
            return;
        }
    }
}
