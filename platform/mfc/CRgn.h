// An owned GDI region.
#pragma once

#include "CGdiObject.h"

class CRgn : public CGdiObject {
    DECLARE_DYNAMIC(CRgn)
public:
    static CRgn* PASCAL FromHandle(HRGN h) { return static_cast<CRgn*>(CGdiObject::FromHandle(h)); }
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
    BOOL CreateRectRgn(int x1, int y1, int x2, int y2) { return AttachCreated(::CreateRectRgn(x1, y1, x2, y2)); }
    BOOL CreateRectRgnIndirect(LPCRECT r) { return AttachCreated(::CreateRectRgnIndirect(r)); }
    BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2) {
        return AttachCreated(::CreateEllipticRgn(x1, y1, x2, y2));
    }
    BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
        return AttachCreated(::CreateRoundRectRgn(x1, y1, x2, y2, w, h));
    }
    BOOL CreatePolygonRgn(const POINT* points, int count, int mode) {
        return AttachCreated(::CreatePolygonRgn(points, count, mode));
    }
    // Region type (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR.
    int CombineRgn(const CRgn* a, const CRgn* b, int mode) {
        return ::CombineRgn(*this, static_cast<HRGN>(a->GetSafeHandle()), static_cast<HRGN>(b->GetSafeHandle()), mode);
    }
    int CopyRgn(const CRgn* source) {
        return ::CombineRgn(*this, static_cast<HRGN>(source->GetSafeHandle()), nullptr, RGN_COPY);
    }
    BOOL EqualRgn(const CRgn* other) const { return ::EqualRgn(*this, static_cast<HRGN>(other->GetSafeHandle())); }
    int OffsetRgn(int x, int y) { return ::OffsetRgn(*this, x, y); }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
    BOOL PtInRegion(POINT p) const { return ::PtInRegion(*this, p.x, p.y); }
    int GetRgnBox(LPRECT r) const { return ::GetRgnBox(*this, r); }
    void SetRectRgn(int x1, int y1, int x2, int y2) { ::SetRectRgn(*this, x1, y1, x2, y2); }
};
