// An owned GDI bitmap.
#pragma once

#include "CGdiObject.h"
#include "CSize.h"

class CDC;

class CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    static CBitmap* PASCAL FromHandle(HBITMAP h) { return static_cast<CBitmap*>(CGdiObject::FromHandle(h)); }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    // From the program's resources (AfxGetResourceHandle).
    BOOL LoadBitmap(LPCWSTR name);
    BOOL LoadBitmap(UINT id) { return LoadBitmap(MAKEINTRESOURCEW(id)); }
    BOOL LoadOEMBitmap(UINT id) { return AttachCreated(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(id))); }
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
        return AttachCreated(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
    }
    BOOL CreateBitmapIndirect(LPBITMAP bitmap) { return AttachCreated(::CreateBitmapIndirect(bitmap)); }
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    int GetBitmap(BITMAP* bitmap) const { return GetObject(sizeof *bitmap, bitmap); }
    // Width and height in pixels; (0,0) without a bitmap.
    CSize GetSize() const;
};
