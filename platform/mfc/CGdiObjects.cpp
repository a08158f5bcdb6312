// Members of the GDI object kinds that are more than a call.
#include "CBitmap.h"
#include "CBrush.h"
#include "CDC.h"
#include "CFont.h"
#include "CPen.h"
#include "CResourceException.h"
#include "CRgn.h"

#include "AfxGlobals.h"

IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

CPen::CPen(int style, int width, COLORREF color) {
    if (!CreatePen(style, width, color)) AfxThrowResourceException();
}

CBrush::CBrush(COLORREF color) {
    if (!CreateSolidBrush(color)) AfxThrowResourceException();
}

BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) {
    return AttachCreated(::CreatePatternBrush(static_cast<HBITMAP>(bitmap->GetSafeHandle())));
}

BOOL CFont::CreatePointFont(int pointSize, LPCWSTR faceName, CDC* dc) {
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, faceName, LF_FACESIZE);
    HDC hdc = dc ? dc->m_hAttribDC : ::GetDC(nullptr);
    // Tenths of a point to logical units through the device's resolution.
    POINT pt = {0, ::MulDiv(::GetDeviceCaps(hdc, LOGPIXELSY), pointSize, 720)};
    ::DPtoLP(hdc, &pt, 1);
    POINT origin = {0, 0};
    ::DPtoLP(hdc, &origin, 1);
    lf.lfHeight = -abs(pt.y - origin.y);
    if (!dc) ::ReleaseDC(nullptr, hdc);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(LPCWSTR name) { return AttachCreated(::LoadBitmapW(AfxGetResourceHandle(), name)); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    return AttachCreated(::CreateCompatibleBitmap(dc->GetSafeHdc(), width, height));
}

CSize CBitmap::GetSize() const {
    BITMAP bm = {};
    if (!m_hObject || !GetBitmap(&bm)) return CSize();
    return CSize(bm.bmWidth, bm.bmHeight);
}
