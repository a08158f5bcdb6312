// An owned GDI pen.
#pragma once

#include "CGdiObject.h"

class CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() {}
    // Throws CResourceException when the pen cannot be created.
    CPen(int style, int width, COLORREF color);
    static CPen* PASCAL FromHandle(HPEN h) { return static_cast<CPen*>(CGdiObject::FromHandle(h)); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int style, int width, COLORREF color) { return AttachCreated(::CreatePen(style, width, color)); }
    BOOL CreatePenIndirect(LPLOGPEN logPen) { return AttachCreated(::CreatePenIndirect(logPen)); }
    int GetLogPen(LOGPEN* logPen) const { return GetObject(sizeof *logPen, logPen); }
};
