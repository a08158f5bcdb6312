// Owner of one GDI object: the destructor deletes it. An object selected
// into a device context through CDC is first put back out of it, so no GDI
// object is ever deleted while selected. FromHandle wraps handles the
// program does not own in temporary objects that never delete them.
// The members of the kinds (bitmap, brush, font, pen, region) that are more
// than a call are in CGdiObjects.cpp.
#pragma once

#include "CObject.h"

class CGdiObject;
// The handle of obj, NULL when obj is NULL (out of line: see AfxSafeHwnd).
HGDIOBJ AfxSafeGdiHandle(const CGdiObject* obj);

class CGdiObject : public CObject {
    DECLARE_DYNCREATE(CGdiObject)
public:
    CGdiObject() : m_hObject(nullptr) {}
    ~CGdiObject() override { DeleteObject(); }

    HGDIOBJ m_hObject;
    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return AfxSafeGdiHandle(this); }

    // The permanent owner is not looked up: GDI handles have none. A
    // temporary object of the handle's own kind (CPen, CBrush...) is made.
    static CGdiObject* PASCAL FromHandle(HGDIOBJ h);
    // Takes ownership; FALSE when h is NULL or this object already owns one.
    BOOL Attach(HGDIOBJ h);
    // Gives up ownership without deleting; returns the handle.
    HGDIOBJ Detach();
    // Deletes the owned object (taking it out of any DC first); FALSE when
    // there is none or GDI refuses.
    BOOL DeleteObject();
    BOOL CreateStockObject(int index);
    int GetObject(int size, LPVOID buffer) const { return ::GetObjectW(m_hObject, size, buffer); }
    UINT GetObjectType() const { return ::GetObjectType(m_hObject); }
    BOOL UnrealizeObject() { return ::UnrealizeObject(m_hObject); }

protected:
    // Attach for a freshly created handle; FALSE (and nothing kept) for NULL.
    BOOL AttachCreated(HGDIOBJ h) { return h ? Attach(h) : FALSE; }
};

// How many GDI objects the wrappers own right now (all threads); tests
// compare it before and after to find leaks.
LONG AfxGetLiveGdiObjectCount();
