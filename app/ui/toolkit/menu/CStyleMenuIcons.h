// A shared, reference-counted store of menu icons made from a toolbar
// resource or a bitmap: every source image is followed by its darkened
// shadow image and its tinted disabled image (triples i, i+1, i+2).
#pragma once

#include <afxwin.h>
#include <afxcmn.h>
#include <afxtempl.h>

class CStyleMenu;

class CStyleMenuIcons : public CObject {
    DECLARE_DYNAMIC(CStyleMenuIcons)
public:
    CStyleMenuIcons() {}
    ~CStyleMenuIcons() override;

    // The image triple's source index of command id (the highest), -1 when none.
    virtual int FindCommand(UINT id) const;
    virtual void OnSysColorChange();
    virtual BOOL LoadFromBitmap(HBITMAP bitmap, int cx, int cy, const UINT* ids, COLORREF mask);
    // data: bitmap id, width, height, command ids, 0.
    virtual BOOL LoadFromToolBarData(const WORD* data, COLORREF mask);
    virtual BOOL LoadToolBar(LPCTSTR name, HINSTANCE module);
    virtual BOOL MatchesBitmap(HBITMAP bitmap, int cx, int cy, const UINT* ids) const;
    virtual BOOL MatchesToolBarData(const WORD* data, COLORREF mask) const;
    virtual BOOL MatchesResource(LPCTSTR name, HINSTANCE module) const;
    // Replaces the images with those of the bitmap resource at cx x cy.
    virtual BOOL LoadBitmapResource(int cx, int cy, LPCTSTR name, HINSTANCE module);
    virtual int AddShadowImage(HICON icon, int index);
    virtual int AddDisabledImage(HICON icon, int index);
    virtual BOOL RebuildImages();

    void SetResourceName(LPCTSTR name);
    BOOL GetIconSize(int* cx, int* cy) const;
    CSize GetIconSize() const;
    int ImageCount() const { return m_images.GetSafeHandle() ? m_images.GetImageCount() : 0; }
    CImageList& Images() { return m_images; }
    int CommandCount() const { return static_cast<int>(m_ids.GetSize()); }
    // The command of source image i and its image index (3 i).
    BOOL CommandAt(int i, UINT* id, int* index) const;

    LPCTSTR m_name = nullptr;
    HINSTANCE m_module = nullptr;
    // The bitmap the images came from (LoadFromBitmap), compared by handle.
    HBITMAP m_sourceBitmap = nullptr;
    int m_colorCount = 0;
    COLORREF m_mask = static_cast<COLORREF>(-1);
    int m_refs = 0;
    // Icon kind: a bitmap's transparency is its alpha channel, and no colour
    // is masked out; otherwise the mask colour makes it.
    BOOL m_iconImages = FALSE;

protected:
    BOOL CreateList(int cx, int cy);
    // Adds a bitmap's images: through its alpha channel in an icon store,
    // else with the mask colour (the system face colour when none is set).
    BOOL AddSourceBitmap(CBitmap& bitmap);
    // Makes the shadow and disabled images of source index anew, in place.
    void RegenerateDerived(int source);

    CImageList m_images;
    CArray<UINT, UINT> m_ids;
};

// A shared store of single bitmaps, each with its own transparent colour.
class CStyleMenuBitmaps : public CStyleMenuIcons {
    DECLARE_DYNAMIC(CStyleMenuBitmaps)
public:
    void OnSysColorChange() override;
    // The source index of the new triple; -1 when the bitmap cannot be read
    // or has another size than the store's images.
    int AddBitmap(HBITMAP bitmap, COLORREF mask);
    // The same for an icon, which carries its own mask.
    int AddIcon(HICON icon);

private:
    // Whether an image of cx x cy fits (a store without images takes any size).
    BOOL TakesSize(int cx, int cy);
    // Records the image added at index and appends its derived images.
    int AddSource(int index, COLORREF mask);

    CArray<COLORREF, COLORREF> m_masks;
};

int AddRefIconStore(CStyleMenuIcons* store);
// At the last release the store leaves the shared list and is deleted.
int ReleaseIconStore(CStyleMenuIcons* store);
CTypedPtrList<CPtrList, CStyleMenuIcons*>* SharedIconStores();
// Every shared store's colours follow the system's again; at most every 2 s.
void RefreshIconStores();
// Exit clean-up: the list and every store that nothing holds; a store still
// held lives on until its last user lets it go.
void DeleteSharedIconStores();
// The first shared store of the toolbar resource, else a new one; NULL
// when the toolbar does not load.
// Stores are of the menu's kind (bitmap or icon).
CStyleMenuIcons* GetIconStore(CStyleMenu* menu, UINT toolBarId, HINSTANCE module);
CStyleMenuBitmaps* GetBitmapStore(CStyleMenu* menu, HBITMAP bitmap, int* index);
// The first shared bitmap store taking the icon, else a new one.
CStyleMenuBitmaps* GetIconImageStore(CStyleMenu* menu, HICON icon, int* index);
// The shared store of an in-memory toolbar description (bitmap id, width,
// height, command ids up to 0), made and joined to the shared list when no
// store of the kind holds it yet; NULL when its bitmap does not load.
CStyleMenuIcons* GetToolBarDataStore(CStyleMenu* menu, const WORD* data, BOOL iconImages);
// The same for images cx x cy of a bitmap with the commands ids (ended by 0).
CStyleMenuIcons* GetToolBarBitmapStore(CStyleMenu* menu, HBITMAP bitmap, int cx, int cy, const UINT* ids,
                                       BOOL iconImages);
// The image index of command in toolbar resource toolBarId (its position
// among the non-separator buttons); FALSE when the toolbar lacks it.
BOOL GetToolBarImageIndex(UINT toolBarId, UINT command, int* image);
// Every pixel's grey mixed with colour (alpha of 255 for the grey); the new (0,0) pixel.
COLORREF TintBitmap(CBitmap* bitmap, int alpha, COLORREF colour);
int GetBitmapColorCount(const BITMAPINFOHEADER& header);
HBITMAP LoadBitmapResourceEx(LPCTSTR name, HINSTANCE module, int* colours);
// The same as a DIB section, keeping a 32-bpp bitmap's alpha channel.
HBITMAP LoadAlphaBitmapResource(LPCTSTR name, HINSTANCE module, int* colours);
// A 16-colour bitmap resource with the button colours mapped to the system's; NULL for others.
HBITMAP LoadSysColorBitmap16(UINT id);
