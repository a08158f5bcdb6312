// An owned GDI brush.
#pragma once

#include "CGdiObject.h"

class CBitmap;

class CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() {}
    // Solid brush; throws CResourceException when it cannot be created.
    explicit CBrush(COLORREF color);
    static CBrush* PASCAL FromHandle(HBRUSH h) { return static_cast<CBrush*>(CGdiObject::FromHandle(h)); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF color) { return AttachCreated(::CreateSolidBrush(color)); }
    BOOL CreateHatchBrush(int index, COLORREF color) { return AttachCreated(::CreateHatchBrush(index, color)); }
    BOOL CreateBrushIndirect(const LOGBRUSH* logBrush) { return AttachCreated(::CreateBrushIndirect(logBrush)); }
    BOOL CreatePatternBrush(CBitmap* bitmap);
    BOOL CreateSysColorBrush(int index) { return AttachCreated(::GetSysColorBrush(index)); }
    int GetLogBrush(LOGBRUSH* logBrush) const { return GetObject(sizeof *logBrush, logBrush); }
};
