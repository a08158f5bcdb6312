// An owned GDI font.
#pragma once

#include "CGdiObject.h"

class CDC;

class CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    static CFont* PASCAL FromHandle(HFONT h) { return static_cast<CFont*>(CGdiObject::FromHandle(h)); }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTW* logFont) { return AttachCreated(::CreateFontIndirectW(logFont)); }
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, LPCWSTR faceName) {
        return AttachCreated(::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                           charSet, outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
    }
    // Height in tenths of a point on dc (the screen when NULL).
    BOOL CreatePointFont(int pointSize, LPCWSTR faceName, CDC* dc = nullptr);
    int GetLogFont(LOGFONTW* logFont) const { return GetObject(sizeof *logFont, logFont); }
};
