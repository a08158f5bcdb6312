#include "CGdiObject.h"

#include "AfxGdiSelection.h"
#include "AfxHandleMap.h"
#include "CBitmap.h"
#include "CBrush.h"
#include "CFont.h"
#include "CPen.h"
#include "CRgn.h"

IMPLEMENT_DYNCREATE(CGdiObject, CObject)

namespace {

volatile LONG g_liveGdiObjects = 0;

typedef CHandleMap<CGdiObject, HGDIOBJ, &CGdiObject::m_hObject> GdiMap;

GdiMap& ThreadGdiMap() {
    thread_local GdiMap map;
    return map;
}

}  // namespace

LONG AfxGetLiveGdiObjectCount() { return InterlockedCompareExchange(&g_liveGdiObjects, 0, 0); }

HGDIOBJ AfxSafeGdiHandle(const CGdiObject* obj) { return obj ? obj->m_hObject : nullptr; }

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ h) {
    return ThreadGdiMap().FromHandle(h, [h]() -> CGdiObject* {
        switch (::GetObjectType(h)) {
            case OBJ_PEN:
            case OBJ_EXTPEN: return new CPen;
            case OBJ_BRUSH: return new CBrush;
            case OBJ_FONT: return new CFont;
            case OBJ_BITMAP: return new CBitmap;
            case OBJ_REGION: return new CRgn;
            default: return new CGdiObject;
        }
    });
}

BOOL CGdiObject::Attach(HGDIOBJ h) {
    if (!h || m_hObject) return FALSE;
    m_hObject = h;
    InterlockedIncrement(&g_liveGdiObjects);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h) InterlockedDecrement(&g_liveGdiObjects);
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    AfxDeselectGdiObject(m_hObject);
    return ::DeleteObject(Detach());
}

BOOL CGdiObject::CreateStockObject(int index) { return AttachCreated(::GetStockObject(index)); }
