#include "CImageList.h"

#include "AfxGlobals.h"
#include "AfxHandleMap.h"
#include "CBitmap.h"
#include "CDC.h"

IMPLEMENT_DYNCREATE(CImageList, CObject)

namespace {

typedef CHandleMap<CImageList, HIMAGELIST, &CImageList::m_hImageList> ImageListMap;

ImageListMap& ThreadImageListMap() {
    thread_local ImageListMap map;
    return map;
}

HBITMAP BitmapOf(CBitmap* bitmap) { return static_cast<HBITMAP>(bitmap->GetSafeHandle()); }

}  // namespace

HIMAGELIST AfxSafeImageList(const CImageList* list) { return list ? list->m_hImageList : nullptr; }

CImageList* PASCAL CImageList::FromHandle(HIMAGELIST list) {
    return ThreadImageListMap().FromHandle(list, [] { return new CImageList; });
}

CImageList* PASCAL CImageList::FromHandlePermanent(HIMAGELIST list) {
    return ThreadImageListMap().LookupPermanent(list);
}

BOOL CImageList::Attach(HIMAGELIST list) {
    if (!list || m_hImageList || ThreadImageListMap().LookupPermanent(list)) return FALSE;
    ThreadImageListMap().SetPermanent(list, this);
    m_hImageList = list;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST list = m_hImageList;
    if (list && ThreadImageListMap().LookupPermanent(list) == this) ThreadImageListMap().RemoveHandle(list);
    m_hImageList = nullptr;
    return list;
}

BOOL CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
    return Attach(ImageList_LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(bitmapId), cx, grow, mask, IMAGE_BITMAP,
                                       LR_CREATEDIBSECTION));
}

BOOL CImageList::Create(CImageList* source) {
    HIMAGELIST copy = source ? ImageList_Duplicate(source->m_hImageList) : nullptr;
    return Attach(copy);
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList) return FALSE;
    return ImageList_Destroy(Detach());
}

int CImageList::Add(CBitmap* image, CBitmap* mask) {
    return ImageList_Add(m_hImageList, BitmapOf(image), mask ? BitmapOf(mask) : nullptr);
}

int CImageList::Add(CBitmap* image, COLORREF mask) { return ImageList_AddMasked(m_hImageList, BitmapOf(image), mask); }

BOOL CImageList::Replace(int index, CBitmap* image, CBitmap* mask) {
    return ImageList_Replace(m_hImageList, index, BitmapOf(image), mask ? BitmapOf(mask) : nullptr);
}

BOOL CImageList::Draw(CDC* dc, int index, POINT p, UINT style) {
    return ImageList_Draw(m_hImageList, index, dc->GetSafeHdc(), p.x, p.y, style);
}
