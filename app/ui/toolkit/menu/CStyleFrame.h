// A frame or dialog base T brought into the menu library: its menus are
// CStyleMenu objects, the menu messages of its window reach the library,
// and on systems older than 2000 its menu-bar items hot-track on hover.
#pragma once

#include <afxwin.h>

#include "CStyleMenu.h"
#include "CStyleMenuIcons.h"
#include "CStyleMenuTempHandler.h"

// Shared pieces of the frame integration.
// Sends the frame WM_DRAWITEM for its menu-bar item at position in state;
// FALSE when the item cannot be drawn so (no item, not owner-drawn).
BOOL RedrawMenuBarItem(CWnd* frame, CMenu* menu, int position, UINT state);
// The menu-bar brush of the current style, cached; NULL for styles without one.
CBrush* GetMenuBarBrush();
// Sets the menu-bar brush as background of menu (a CStyleMenu) and of the
// shared menus of the application's document templates.
void ApplyMenuBackground(CMenu* menu);
// Hides a frame's menu bar (TRUE when there was one) and puts it back.
BOOL HideFrameMenuBar(CWnd* frame, HMENU* kept);
BOOL RestoreFrameMenuBar(CWnd* frame, HMENU* kept);
// The command-update pass over a dialog's popup, as a frame runs it.
void UpdateDialogPopup(CWnd* dialog, CMenu* popup, BOOL sysMenu);

template <class T>
class CStyleFrame : public T {
public:
    CStyleFrame() {}
    template <class... Args>
    explicit CStyleFrame(Args... args) : T(args...) {}
    ~CStyleFrame() override {
        ReleaseSystemMenu();
        m_defaultMenu.DestroyMenu();
    }

    CStyleMenu m_defaultMenu;
    CStyleMenu m_systemMenu;
    BOOL m_inMenuLoop = FALSE;
    UINT m_hoverTimer = 0;
    int m_hotItem = -1;

protected:
    // The system menu belongs to the window: let go of it, never destroy it.
    void ReleaseSystemMenu() {
        if (m_systemMenu.GetSafeHmenu()) m_systemMenu.Detach();
        m_systemMenu.DestroyMenu();
    }

    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        if (T::OnCreate(cs) == -1) return -1;
        ReleaseSystemMenu();
        HMENU system = ::GetSystemMenu(this->m_hWnd, FALSE);
        if (system) m_systemMenu.LoadFromHandle(system);
        return 0;
    }
    afx_msg void OnSysColorChange() {
        T::OnSysColorChange();
        RefreshIconStores();
        ApplyMenuBackground(&m_defaultMenu);
    }
    afx_msg void OnEnterMenuLoop(BOOL trackPopup) {
        m_inMenuLoop = TRUE;
        StopHover();
        this->Default();
    }
    afx_msg void OnExitMenuLoop(BOOL trackPopup) {
        m_inMenuLoop = FALSE;
        this->Default();
    }
    afx_msg void OnTimer(UINT_PTR id) {
        this->Default();
        if (id && id == m_hoverTimer) {
            POINT p;
            ::GetCursorPos(&p);
            this->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        }
    }
    afx_msg void OnDestroy() {
        if (m_hoverTimer) this->KillTimer(m_hoverTimer);
        m_hoverTimer = 0;
        T::OnDestroy();
    }
    afx_msg void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis) {
        MSG msg = {this->m_hWnd, WM_MEASUREITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(mis), 0, {0, 0}};
        if (MeasureMenuItem(&msg)) return;
        T::OnMeasureItem(id, mis);
    }
    afx_msg LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu) {
        if (menu && menu->IsKindOf(RUNTIME_CLASS(CStyleMenu))) return CStyleMenu::FindMenuChar(ch, flags, menu);
        return T::OnMenuChar(ch, flags, menu);
    }
    afx_msg void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) {
        T::OnInitMenuPopup(popup, index, sysMenu);
        CStyleMenu::InitPopupMenu(this->m_hWnd, popup);
    }
    afx_msg LRESULT OnNcHitTest(CPoint point) {
        LRESULT r = T::OnNcHitTest(point);
        if (CStyleMenu::s_winVersion >= 6 && !CStyleMenu::s_isRemoteSession) return r;
        UINT normal = 0, hot = 64;
        HWND focus = ::GetFocus();
        if (focus != this->m_hWnd && !::IsChild(this->m_hWnd, focus)) {
            hot = 0;
            if (CStyleMenu::s_winVersion != 2 && CStyleMenu::s_winVersion != 5) {
                normal = 128;
                hot = 192;
            }
        }
        CMenu* menu = this->GetMenu();
        if (!m_inMenuLoop && r == HTMENU && menu && menu->IsKindOf(RUNTIME_CLASS(CStyleMenu))) {
            int item = ::MenuItemFromPoint(this->m_hWnd, menu->GetSafeHmenu(), point);
            if (item != -1) {
                if (item != m_hotItem) {
                    if (m_hotItem != -1) RedrawMenuBarItem(this, menu, m_hotItem, normal);
                    if (!RedrawMenuBarItem(this, menu, item, hot)) {
                        m_hotItem = -1;
                        return r;
                    }
                } else if (CStyleMenu::s_pHotMenuBarItemData || !RedrawMenuBarItem(this, menu, item, hot)) {
                    return r;
                }
                if (!m_hoverTimer) m_hoverTimer = SetFreeTimer(this->m_hWnd, 100);
                m_hotItem = item;
                return r;
            }
        }
        StopHover(normal);
        return r;
    }

    void StopHover(UINT normal = 0) {
        if (m_hotItem != -1) RedrawMenuBarItem(this, this->GetMenu(), m_hotItem, normal);
        m_hotItem = -1;
        if (m_hoverTimer) this->KillTimer(m_hoverTimer);
        m_hoverTimer = 0;
    }
    // One table for all six bases.
    static const AFX_MSGMAP* GetThisMessageMap() {
        typedef CStyleFrame<T> ThisClass;
        static const AFX_MSGMAP_ENTRY entries[] = {ON_WM_MEASUREITEM() ON_WM_MENUCHAR() ON_WM_INITMENUPOPUP()
                                                       ON_WM_ENTERMENULOOP() ON_WM_EXITMENULOOP() ON_WM_TIMER()
                                                           ON_WM_CREATE() ON_WM_NCHITTEST() ON_WM_DESTROY()
                                                               ON_WM_SYSCOLORCHANGE(){0, 0, 0, 0, AfxSig_end, nullptr}};
        static const AFX_MSGMAP map = {&T::GetThisMessageMap, &entries[0]};
        return &map;
    }
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
};
