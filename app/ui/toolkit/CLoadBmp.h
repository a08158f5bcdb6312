// CLoadBmp: the base of a dialog's bitmap skin. It loads the skin's images
// from files, sizes the dialog, paints its background from one image that
// stretches to any window size (nine parts: corners kept, edges and centre
// stretched), makes window regions from a mask colour, and creates skinned
// child controls from layout texts. This base keeps the four-image model (one
// whole-window image per button state); CLoadBmpEx adds the one-image model
// the system's skins use. A concrete skin overrides LoadLayout. UI thread.
#pragma once

#include <afxwin.h>

class CSkinButton;
class CPlaySlider;
class CStateLamp;
class CStaticEx;
class CSkinCbx;
class CSkinSlider;

class CLoadBmp {
public:
    CLoadBmp();
    virtual ~CLoadBmp();
    CLoadBmp(const CLoadBmp&) = delete;
    CLoadBmp& operator=(const CLoadBmp&) = delete;

    // Nine-part paint of the up image over the owner's client area, or the
    // banner layout when the banner flag is set. Nothing without the image.
    virtual void PaintBackground(CDC* dc);
    // Creates and skins the dialog's controls; called once the images loaded.
    virtual void LoadLayout() = 0;
    // A button whose state pictures are its own rectangle cut out of the four
    // whole-window images. Invisible: created with a zero rectangle and no
    // pictures, so that the dialog can still address it by id.
    virtual void CreateButton(BOOL visible, CString position, CString tipText, CSkinButton* button, UINT id);
    // The further controls. Each is created even when invisible (with a
    // zero rectangle), like the buttons.
    // A lamp showing its rectangle of the over image when on and of the
    // down image when off.
    virtual void CreateStateLamp(BOOL visible, CString position, CStateLamp* lamp);
    // A label (id 0xFFFF) with its two colours from "r,g,b" texts.
    virtual void CreateStaticEx(BOOL visible, CString position, CString backColor, CString textColor, CStaticEx* label);
    // A combo box whose faces are its rectangle of the four whole-window
    // images; its window is 50 pixels taller for the drop-down list.
    virtual void CreateSkinCbx(BOOL visible, CString position, CSkinCbx* combo, UINT id, BOOL dropList);
    // A slider over its rectangle of the up image with four thumb images
    // loaded from files; the first file that fails shows the failure box
    // (with caption) and the slider is not created.
    virtual void CreateSkinSlider(BOOL visible, CString position, CString normalThumb, CString hoverThumb,
                                  CString disabledThumb, CString pressedThumb, CSkinSlider* slider, UINT id,
                                  CString caption);
    virtual void CreateButtonAlt(BOOL visible, CString position, CString tipText, CSkinButton* button, UINT id);
    // A play slider with its background cut out of the skin background under
    // it and its thumb and band images loaded from files. The first file that
    // fails shows the failure box (failText with "[FilePath]" replaced) and
    // the slider is not created.
    virtual void CreatePlaySlider(BOOL visible, CString position, CString up, CString over, CString down,
                                  CString disable, CString backImage, CPlaySlider* slider, UINT id, CString caption,
                                  CString failText, CString windowName);

    // Loads the file as a DIB section into target, freeing what target held
    // first. TRUE only when target then holds a bitmap.
    static BOOL LoadBitmapFile(CString path, CBitmap* target);
    // Moves the owner to (0,0) with the size of the text; the corner size
    // becomes half of it.
    void SetWindowSize(CString sizeText);
    // "width,height" of the corners, each at most the skin's width and height.
    void SetCornerSize(CString text);
    static void GetSize(CString text, int* width, int* height);
    // Replaces region by the shape of the image's pixels that differ from the
    // mask colour. FALSE (region untouched) when the image has no bitmap, is
    // wider or taller than 10000 pixels or no mask colour is given.
    static BOOL CreateRegionFromBitmap(CBitmap* image, const COLORREF* maskColor, CRgn* region);
    // The same with each run moved down by top and lengthened by extra.
    static BOOL CreateOffsetRegion(CBitmap* image, const COLORREF* maskColor, CRgn* region, int top, int extra);
    // Loads the four whole-window images (and the banner image when asked);
    // the first failure shows the failure box and gives FALSE.
    BOOL LoadSkinImages(CString up, CString over, CString down, CString disable, BOOL withBanner, CString banner,
                        CString caption, CString failText);
    // Four-image initialisation: images, size and layout (the layout runs
    // whatever the images gave).
    void InitSkinFromFiles(CWnd* owner, CString up, CString over, CString down, CString disable, CString banner,
                           CString sizeText, BOOL bannerLayout, CString caption, CString failText);
    // Frees the four whole-window images (not the banner image).
    void FreeImages();
    void SetButtonPressed(CString, CString, CSkinButton* button, BOOL pressed);

    // Layout texts: comma-separated decimal numbers, each field trimmed and
    // read as wcstol reads it. A missing comma gives an empty field (0) and
    // the next field's search starts again at the text's beginning, so "5"
    // gives (0,0,0,5) and "1,2" gives (1,0,1,2).
    static CRect ParseRect(const CString& text);
    // "r,g,b", each number cut to its low 8 bits; "" gives black.
    static COLORREF ParseRGB(const CString& text);
    // "width,height"; without a comma the width is 0 and the height the text.
    static CSize ParseSize(const CString& text);

    CWnd* GetOwner() const { return m_pOwner; }
    int GetSkinWidth() const { return m_nSkinWidth; }
    int GetSkinHeight() const { return m_nSkinHeight; }
    int GetCornerWidth() const { return m_nCornerWidth; }
    int GetCornerHeight() const { return m_nCornerHeight; }

protected:
    // Shows the load failure box: failText with "[FilePath]" replaced by
    // path, the caption, an exclamation icon, no owner window.
    static void ShowLoadFailure(const CString& failText, const CString& path, const CString& caption);
    // The image a play slider's background is cut from.
    virtual CBitmap* SliderBackgroundSource() { return &m_upImage; }
    // Nine-part paint of source; nothing when it holds no bitmap.
    void PaintNinePart(CDC* dc, CBitmap* source);
    // Makes the button a window at the rectangle and gives it the pictures.
    void MakeSkinButton(BOOL visible, const CRect& rect, CBitmap* up, CBitmap* over, CBitmap* down, CBitmap* disable,
                        const CString& tipText, CSkinButton* button, UINT id);
    // The rectangle a control gets: ParseRect of position, or zero when hidden.
    static CRect ControlRect(BOOL visible, const CString& position);

    CBitmap m_upImage;
    CBitmap m_overImage;
    CBitmap m_downImage;
    CBitmap m_disableImage;
    CWnd* m_pOwner;
    CBitmap m_bannerImage;
    BOOL m_bBannerLayout;
    int m_nSkinWidth;
    int m_nSkinHeight;
    int m_nCornerWidth;
    int m_nCornerHeight;

private:
    void PaintBanner(CDC* dc);
};
