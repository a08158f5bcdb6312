#include "CDC.h"

#include "AfxGdiSelection.h"
#include "AfxHandleMap.h"
#include "CResourceException.h"
#include "CWnd.h"

IMPLEMENT_DYNCREATE(CDC, CObject)

namespace {

typedef CHandleMap<CDC, HDC, &CDC::m_hDC> DcMap;

DcMap& ThreadDcMap() {
    thread_local DcMap map;
    return map;
}

HDC SafeHdc(const CDC* dc) { return dc ? dc->m_hDC : nullptr; }

}  // namespace

HDC CDC::GetSafeHdc() const { return SafeHdc(this); }

CDC::~CDC() {
    if (m_hDC) DeleteDC();
}

CDC* PASCAL CDC::FromHandle(HDC dc) {
    CDC* wrapper = ThreadDcMap().FromHandle(dc, [] { return new CDC; });
    if (wrapper) wrapper->m_hAttribDC = wrapper->m_hDC;
    return wrapper;
}

BOOL CDC::Attach(HDC dc) {
    if (!dc || m_hDC) return FALSE;
    m_hDC = m_hAttribDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc->GetSafeHdc())); }

void CDC::RestoreSelections() {
    if (m_hDC) AfxRestoreDcObjects(m_hDC);
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    RestoreSelections();
    return ::DeleteDC(Detach());
}

CGdiObject* CDC::SelectGdiObject(CGdiObject* object) {
    if (!object || !object->m_hObject) return nullptr;
    HGDIOBJ old = AfxSelectGdiObject(m_hDC, object->m_hObject);
    if (!old || old == HGDI_ERROR) return nullptr;
    return CGdiObject::FromHandle(old);
}

CGdiObject* CDC::SelectStockObject(int index) {
    HGDIOBJ stock = ::GetStockObject(index);
    if (!stock) return nullptr;
    HGDIOBJ old = AfxSelectGdiObject(m_hDC, stock);
    return (old && old != HGDI_ERROR) ? CGdiObject::FromHandle(old) : nullptr;
}

CSize CDC::GetTextExtent(LPCWSTR text, int count) const {
    SIZE size = {};
    ::GetTextExtentPoint32W(m_hAttribDC, text, count, &size);
    return size;
}

void CDC::FillSolidRect(LPCRECT r, COLORREF color) {
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight) {
    int x = r->left, y = r->top, cx = r->right - r->left, cy = r->bottom - r->top;
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

BOOL CDC::TransparentBlt(int x, int y, int w, int h, CDC* src, int xSrc, int ySrc, int wSrc, int hSrc,
                         UINT transparent) {
    return ::GdiTransparentBlt(m_hDC, x, y, w, h, src->GetSafeHdc(), xSrc, ySrc, wSrc, hSrc, transparent);
}
