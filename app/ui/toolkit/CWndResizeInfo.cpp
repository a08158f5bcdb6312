#include "CWndResizeInfo.h"

void CWndResizeInfo::ToggleFullScreen(CWnd* wnd) {
    if (!wnd || !wnd->GetSafeHwnd()) return;
    if (m_bFullScreen) {
        m_bFullScreen = 0;
        wnd->MoveWindow(&m_savedRect, TRUE);
        return;
    }
    wnd->GetWindowRect(&m_savedRect);
    // A child's rectangle is kept in its parent's client coordinates, as
    // MoveWindow takes it.
    if (CWnd* parent = (wnd->GetStyle() & WS_CHILD) ? wnd->GetParent() : nullptr) parent->ScreenToClient(&m_savedRect);
    RECT work;
    GetMonitorWorkRect(wnd, &work);
    wnd->MoveWindow(&work, TRUE);
    m_bFullScreen = 1;
}
