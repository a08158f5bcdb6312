// The ActiveX controls hosted in one framework window (a dialog, usually):
// creates their sites, routes their events through the window's event sink
// map, and tears every control down before the window goes (at its
// WM_DESTROY), so that no event reaches a destroyed window.
#pragma once

#include <ole2.h>

#include <vector>

class CWnd;
class COleControlSite;

class COleControlContainer {
public:
    explicit COleControlContainer(CWnd* window) : m_pWnd(window) {}
    ~COleControlContainer();
    COleControlContainer(const COleControlContainer&) = delete;
    COleControlContainer& operator=(const COleControlContainer&) = delete;

    // Creates and in-place activates a control at rect (client coordinates
    // of the window) with id, placed after insertAfter in the window's
    // z-order (HWND_TOP first, NULL last). NULL on failure; *hr then holds why
    // (REGDB_E_CLASSNOTREG for a class nobody registered).
    COleControlSite* CreateSite(REFCLSID clsid, LPCWSTR windowName, DWORD style, const RECT& rect, UINT id,
                                HWND insertAfter, HRESULT* hr = nullptr);
    // The site of control id; NULL when none.
    COleControlSite* FindSite(UINT id) const;
    // Tears site down and forgets it.
    void DestroySite(COleControlSite* site);
    void DestroyAllSites();
    void OnEvent(UINT id, DISPID dispid, DISPPARAMS* params);
    CWnd* Window() const { return m_pWnd; }

private:
    CWnd* m_pWnd;
    std::vector<COleControlSite*> m_sites;
};
