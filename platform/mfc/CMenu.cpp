#include "CMenu.h"

#include "AfxGlobals.h"
#include "AfxHandleMap.h"
#include "CWnd.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

namespace {

typedef CHandleMap<CMenu, HMENU, &CMenu::m_hMenu> MenuMap;

MenuMap& ThreadMenuMap() {
    thread_local MenuMap map;
    return map;
}

struct Tracking {
    HMENU menu = nullptr;
    HWND window = nullptr;
};

Tracking& ThreadTracking() {
    thread_local Tracking tracking;
    return tracking;
}

}  // namespace

HMENU AfxSafeHmenu(const CMenu* menu) { return menu ? menu->m_hMenu : nullptr; }

CMenu* PASCAL CMenu::FromHandle(HMENU menu) {
    return ThreadMenuMap().FromHandle(menu, [] { return new CMenu; });
}

CMenu* PASCAL CMenu::FromHandlePermanent(HMENU menu) { return ThreadMenuMap().LookupPermanent(menu); }

BOOL CMenu::Attach(HMENU menu) {
    if (!menu || m_hMenu || ThreadMenuMap().LookupPermanent(menu)) return FALSE;
    ThreadMenuMap().SetPermanent(menu, this);
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    if (menu && ThreadMenuMap().LookupPermanent(menu) == this) ThreadMenuMap().RemoveHandle(menu);
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::LoadMenu(LPCWSTR name) { return Attach(::LoadMenuW(AfxGetResourceHandle(), name)); }

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    return ::DestroyMenu(Detach());
}

int CMenu::GetMenuString(UINT id, CString& text, UINT flags) const {
    int n = ::GetMenuStringW(m_hMenu, id, nullptr, 0, flags);
    int got = ::GetMenuStringW(m_hMenu, id, text.GetBuffer(n), n + 1, flags);
    text.ReleaseBuffer(got);
    return got;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect) {
    Tracking& t = ThreadTracking();
    Tracking saved = t;
    t.menu = m_hMenu;
    t.window = wnd->GetSafeHwnd();
    BOOL result = ::TrackPopupMenu(m_hMenu, flags, x, y, 0, t.window, rect);
    t = saved;
    return result;
}

HMENU AfxGetTrackingMenu(HWND* window) {
    if (window) *window = ThreadTracking().window;
    return ThreadTracking().menu;
}

CMenu* AfxFindPopupMenuFromID(CMenu* menu, UINT id) {
    HMENU h = menu->GetSafeHmenu();
    if (!h) return nullptr;
    int count = ::GetMenuItemCount(h);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = ::GetSubMenu(h, i)) {
            if (CMenu* found = AfxFindPopupMenuFromID(CMenu::FromHandle(sub), id)) return found;
        } else if (::GetMenuItemID(h, i) == id) {
            return CMenu::FromHandlePermanent(h);
        }
    }
    return nullptr;
}
