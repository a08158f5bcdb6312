// An image list. The object owns its list (the destructor deletes it)
// unless it came from FromHandle or was detached.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "CObject.h"
#include "CRect.h"

class CBitmap;
class CDC;

class CImageList;
// The list of list, NULL when list is NULL (out of line: see AfxSafeHwnd).
HIMAGELIST AfxSafeImageList(const CImageList* list);

class CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)
public:
    CImageList() : m_hImageList(nullptr) {}
    ~CImageList() override { DeleteImageList(); }

    HIMAGELIST m_hImageList;
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return AfxSafeImageList(this); }

    static CImageList* PASCAL FromHandle(HIMAGELIST list);
    static CImageList* PASCAL FromHandlePermanent(HIMAGELIST list);
    BOOL Attach(HIMAGELIST list);
    HIMAGELIST Detach();

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow) {
        return Attach(ImageList_Create(cx, cy, flags, initial, grow));
    }
    // From a bitmap resource of the program; images are cx wide.
    BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask);
    // A copy of another list; FALSE when it has none.
    BOOL Create(CImageList* source);
    BOOL DeleteImageList();

    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    // Index of the first new image, -1 on failure.
    int Add(CBitmap* image, CBitmap* mask);
    int Add(CBitmap* image, COLORREF mask);
    int Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }
    BOOL Replace(int index, CBitmap* image, CBitmap* mask);
    int Replace(int index, HICON icon) { return ImageList_ReplaceIcon(m_hImageList, index, icon); }
    BOOL Remove(int index) { return ImageList_Remove(m_hImageList, index); }
    BOOL SetImageCount(UINT count) { return ImageList_SetImageCount(m_hImageList, count); }
    HICON ExtractIcon(int index) { return ImageList_ExtractIcon(nullptr, m_hImageList, index); }
    BOOL GetImageInfo(int index, IMAGEINFO* info) const { return ImageList_GetImageInfo(m_hImageList, index, info); }
    BOOL GetIconSize(int* cx, int* cy) const { return ImageList_GetIconSize(m_hImageList, cx, cy); }
    COLORREF SetBkColor(COLORREF color) { return ImageList_SetBkColor(m_hImageList, color); }
    BOOL Draw(CDC* dc, int index, POINT p, UINT style);
};
