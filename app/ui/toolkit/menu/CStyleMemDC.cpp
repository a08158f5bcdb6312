#include "CStyleMemDC.h"

CStyleMemDC::CStyleMemDC(const RECT& rect, HDC target) : m_rect(rect), m_target(target) {
    Attach(::CreateCompatibleDC(target));
    m_bitmap = ::CreateCompatibleBitmap(target, rect.right - rect.left, rect.bottom - rect.top);
    m_oldBitmap = ::SelectObject(m_hDC, m_bitmap);
    ::SetWindowOrgEx(m_hDC, rect.left, rect.top, nullptr);
}

CStyleMemDC::~CStyleMemDC() {
    if (!m_discard)
        ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDC,
                 m_rect.left, m_rect.top, SRCCOPY);
    ::SelectObject(m_hDC, m_oldBitmap);
    // The bitmap and the DC are this object's own: one of each per painted item.
    ::DeleteObject(m_bitmap);
    ::DeleteDC(Detach());
}
