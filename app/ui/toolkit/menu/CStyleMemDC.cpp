#include "CStyleMemDC.h"

CStyleMemDC::CStyleMemDC(const RECT& rect, HDC target)
    : m_rect(rect),
      m_target(target),
      m_bitmap(::CreateCompatibleBitmap(target, rect.right - rect.left, rect.bottom - rect.top)),
      m_useBitmap(AttachCompatibleDC(target), m_bitmap.Get()) {
    ::SetWindowOrgEx(m_hDC, rect.left, rect.top, nullptr);
}

CStyleMemDC::~CStyleMemDC() {
    if (!m_discard)
        ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDC,
                 m_rect.left, m_rect.top, SRCCOPY);
    // The bitmap and the DC are this object's own: one of each per painted
    // item. The DC goes last, after it has its own bitmap back.
    m_useBitmap.Restore();
    m_bitmap.Reset();
    ::DeleteDC(Detach());
}

HDC CStyleMemDC::AttachCompatibleDC(HDC target) {
    Attach(::CreateCompatibleDC(target));
    return m_hDC;
}
