#include "CRedrawPause.h"

CRedrawPause::CRedrawPause(HWND control)
    : m_control(control), m_wasVisible(control && (::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0) {
    if (m_wasVisible)
        ::SetWindowLongPtrW(m_control, GWL_STYLE, ::GetWindowLongPtrW(m_control, GWL_STYLE) & ~WS_VISIBLE);
}

CRedrawPause::~CRedrawPause() {
    if (!m_wasVisible || !::IsWindow(m_control)) return;
    ::SetWindowLongPtrW(m_control, GWL_STYLE, ::GetWindowLongPtrW(m_control, GWL_STYLE) | WS_VISIBLE);
    ::RedrawWindow(m_control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}
