#include "CLoadBmp.h"

#include <cwchar>

#include "CPlaySlider.h"
#include "CSkinButton.h"
#include "CSkinCbx.h"
#include "CSkinSlider.h"
#include "CStateLamp.h"
#include "CStaticEx.h"
#include "app/core/CInitLanguage.h"
#include "SkinBitmap.h"
#include "WindowUtil.h"

namespace {

// Images larger than this are refused by the region scan.
const int kMaxRegionImageSide = 10000;
// A skinned combo's window reaches this far below its face for its list.
const int kComboDropHeight = 50;

int ReadField(CString field) {
    field.Trim();
    return static_cast<int>(wcstol(field, nullptr, 10));
}

// Cuts count numbers out of the text by the layout rule (see ParseRect).
void ParseFields(const CString& text, int* values, int count) {
    int pos = 0;
    for (int i = 0; i + 1 < count; ++i) {
        int comma = text.Find(L',', pos);
        if (comma < 0) {
            values[i] = 0;
            pos = 0;
            continue;
        }
        values[i] = ReadField(text.Mid(pos, comma - pos));
        pos = comma + 1;
    }
    values[count - 1] = ReadField(text.Mid(pos));
}

// Copies with the source's own pixels: a stretched 1-pixel strip must not
// blend with anything.
void Copy(CDC* dc, int x, int y, int w, int h, CDC* from, int sx, int sy) {
    if (w > 0 && h > 0) dc->BitBlt(x, y, w, h, from, sx, sy, SRCCOPY);
}

void Stretch(CDC* dc, int x, int y, int w, int h, CDC* from, int sx, int sy, int sw, int sh) {
    if (w > 0 && h > 0 && sw > 0 && sh > 0) dc->StretchBlt(x, y, w, h, from, sx, sy, sw, sh, SRCCOPY);
}

}  // namespace

CLoadBmp::CLoadBmp()
    : m_pOwner(nullptr),
      m_bBannerLayout(FALSE),
      m_nSkinWidth(0),
      m_nSkinHeight(0),
      m_nCornerWidth(0),
      m_nCornerHeight(0) {}

CLoadBmp::~CLoadBmp() = default;

CRect CLoadBmp::ParseRect(const CString& text) {
    int v[4];
    ParseFields(text, v, 4);
    return CRect(v[0], v[1], v[2], v[3]);
}

COLORREF CLoadBmp::ParseRGB(const CString& text) {
    int v[3];
    ParseFields(text, v, 3);
    return RGB(v[0] & 0xFF, v[1] & 0xFF, v[2] & 0xFF);
}

CSize CLoadBmp::ParseSize(const CString& text) {
    int v[2];
    ParseFields(text, v, 2);
    return CSize(v[0], v[1]);
}

void CLoadBmp::GetSize(CString text, int* width, int* height) {
    CSize size = ParseSize(text);
    *width = size.cx;
    *height = size.cy;
}

BOOL CLoadBmp::LoadBitmapFile(CString path, CBitmap* target) {
    if (!target) return FALSE;
    target->DeleteObject();
    // Not LR_SHARED: a file image is ours to free, and a shared one would be
    // handed out again for the same path after we deleted it.
    HANDLE image = ::LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (image) target->Attach(image);
    return target->GetSafeHandle() != nullptr;
}

void CLoadBmp::ShowLoadFailure(const CString& failText, const CString& path, const CString& caption) {
    // Never a box without a word: a window that passes no text still names the picture.
    CString text = failText.IsEmpty() ? GetInitLanguage()->GetString(L"Load image [FilePath] failed!") : failText;
    text.Replace(L"[FilePath]", path);
    ShowMessageBox(nullptr, text, MB_ICONEXCLAMATION, caption);
}

void CLoadBmp::SetWindowSize(CString sizeText) {
    CSize size = ParseSize(sizeText);
    if (m_pOwner && m_pOwner->GetSafeHwnd()) m_pOwner->MoveWindow(0, 0, size.cx, size.cy, TRUE);
    m_nSkinWidth = size.cx;
    m_nSkinHeight = size.cy;
    m_nCornerWidth = size.cx / 2;
    m_nCornerHeight = size.cy / 2;
}

void CLoadBmp::SetCornerSize(CString text) {
    CSize corner = ParseSize(text);
    m_nCornerWidth = corner.cx < m_nSkinWidth ? corner.cx : m_nSkinWidth;
    m_nCornerHeight = corner.cy < m_nSkinHeight ? corner.cy : m_nSkinHeight;
}

BOOL CLoadBmp::CreateRegionFromBitmap(CBitmap* image, const COLORREF* maskColor, CRgn* region) {
    return CreateOffsetRegion(image, maskColor, region, 0, 0);
}

BOOL CLoadBmp::CreateOffsetRegion(CBitmap* image, const COLORREF* maskColor, CRgn* region, int top, int extra) {
    if (!image || !image->GetSafeHandle() || !maskColor || !region) return FALSE;
    CSize size = image->GetSize();
    if (size.cx > kMaxRegionImageSide || size.cy > kMaxRegionImageSide) return FALSE;
    HRGN shape = CreateColumnRunRegion(static_cast<HBITMAP>(image->GetSafeHandle()), *maskColor, top, extra);
    if (!shape) return FALSE;
    region->DeleteObject();
    region->Attach(shape);
    return TRUE;
}

BOOL CLoadBmp::LoadSkinImages(CString up, CString over, CString down, CString disable, BOOL withBanner, CString banner,
                              CString caption, CString failText) {
    const struct {
        const CString& path;
        CBitmap* target;
    } images[] = {{up, &m_upImage},
                  {over, &m_overImage},
                  {down, &m_downImage},
                  {disable, &m_disableImage},
                  {banner, &m_bannerImage}};
    const int count = withBanner == 1 ? 5 : 4;
    for (int i = 0; i < count; ++i) {
        if (!LoadBitmapFile(images[i].path, images[i].target)) {
            ShowLoadFailure(failText, images[i].path, caption);
            return FALSE;
        }
    }
    return TRUE;
}

void CLoadBmp::InitSkinFromFiles(CWnd* owner, CString up, CString over, CString down, CString disable, CString banner,
                                 CString sizeText, BOOL bannerLayout, CString caption, CString failText) {
    m_pOwner = owner;
    m_bBannerLayout = bannerLayout;
    LoadSkinImages(up, over, down, disable, bannerLayout, banner, caption, failText);
    SetWindowSize(sizeText);
    LoadLayout();
}

void CLoadBmp::FreeImages() {
    m_upImage.DeleteObject();
    m_overImage.DeleteObject();
    m_downImage.DeleteObject();
    m_disableImage.DeleteObject();
}

void CLoadBmp::SetButtonPressed(CString, CString, CSkinButton* button, BOOL pressed) {
    if (!button) return;
    button->SetPressed(pressed);
    if (button->GetSafeHwnd()) button->Invalidate(TRUE);
}

CRect CLoadBmp::ControlRect(BOOL visible, const CString& position) {
    return visible ? ParseRect(position) : CRect(0, 0, 0, 0);
}

void CLoadBmp::MakeSkinButton(BOOL visible, const CRect& rect, CBitmap* up, CBitmap* over, CBitmap* down,
                              CBitmap* disable, const CString& tipText, CSkinButton* button, UINT id) {
    if (!button || !m_pOwner) return;
    if (!button->Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, m_pOwner, id)) return;
    if (visible)
        button->SetSkin(up, down, over, disable, 0, 1, 0, 0, 0);
    else
        button->SetSkin(nullptr, nullptr, nullptr, nullptr, 0, 1, 0, 0, 0);
    if (!tipText.IsEmpty()) button->SetToolTipText(tipText);
}

void CLoadBmp::CreateButton(BOOL visible, CString position, CString tipText, CSkinButton* button, UINT id) {
    const CRect rect = ControlRect(visible, position);
    CBitmap up, over, down, disable;
    if (visible) {
        CopyBitmapRect(&m_upImage, &up, rect);
        CopyBitmapRect(&m_overImage, &over, rect);
        CopyBitmapRect(&m_downImage, &down, rect);
        CopyBitmapRect(&m_disableImage, &disable, rect);
    }
    MakeSkinButton(visible, rect, &up, &over, &down, &disable, tipText, button, id);
}

void CLoadBmp::CreateStateLamp(BOOL visible, CString position, CStateLamp* lamp) {
    if (!lamp || !m_pOwner) return;
    const CRect rect = ControlRect(visible, position);
    CBitmap on, off;
    CopyBitmapRect(&m_overImage, &on, rect);
    CopyBitmapRect(&m_downImage, &off, rect);
    lamp->Create(&on, &off, rect, m_pOwner);
}

void CLoadBmp::CreateStaticEx(BOOL visible, CString position, CString backColor, CString textColor, CStaticEx* label) {
    if (!label || !m_pOwner) return;
    if (!label->Create(L"", WS_CHILD | WS_VISIBLE, ControlRect(visible, position), m_pOwner, 0xFFFF)) return;
    label->SetBackColor(ParseRGB(backColor));
    label->SetTextColor(ParseRGB(textColor));
}

void CLoadBmp::CreateSkinCbx(BOOL visible, CString position, CSkinCbx* combo, UINT id, BOOL dropList) {
    if (!combo || !m_pOwner) return;
    CRect rect = ControlRect(visible, position);
    CBitmap up, over, down, disable;
    CopyBitmapRect(&m_upImage, &up, rect);
    CopyBitmapRect(&m_overImage, &over, rect);
    CopyBitmapRect(&m_downImage, &down, rect);
    CopyBitmapRect(&m_disableImage, &disable, rect);
    combo->SetBitmaps(&up, &down, &over, &disable);
    rect.bottom += kComboDropHeight;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                        CBS_HASSTRINGS | CBS_AUTOHSCROLL | (dropList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
    combo->Create(style, rect, m_pOwner, id);
}

void CLoadBmp::CreateSkinSlider(BOOL visible, CString position, CString normalThumb, CString hoverThumb,
                                CString disabledThumb, CString pressedThumb, CSkinSlider* slider, UINT id,
                                CString caption) {
    if (!slider || !m_pOwner) return;
    const CRect rect = ControlRect(visible, position);
    CBitmap background;
    CopyBitmapRect(&m_upImage, &background, rect);
    CBitmap normal, hover, pressed, disabled;
    const struct {
        const CString& path;
        CBitmap* target;
    } files[] = {{normalThumb, &normal}, {hoverThumb, &hover}, {pressedThumb, &pressed}, {disabledThumb, &disabled}};
    for (const auto& file : files) {
        if (!LoadBitmapFile(file.path, file.target)) {
            ShowLoadFailure(GetInitLanguage()->GetString(L"Load image [FilePath] failed!"), file.path, caption);
            return;
        }
    }
    slider->SetBitmaps(&normal, &pressed, &hover, &disabled, &background);
    slider->CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect,
                     m_pOwner, id);
}

void CLoadBmp::CreateButtonAlt(BOOL visible, CString position, CString tipText, CSkinButton* button, UINT id) {
    CreateButton(visible, position, tipText, button, id);
}

void CLoadBmp::CreatePlaySlider(BOOL visible, CString position, CString up, CString over, CString down, CString disable,
                                CString backImage, CPlaySlider* slider, UINT id, CString caption, CString failText,
                                CString windowName) {
    if (!slider || !m_pOwner) return;
    const CRect rect = ControlRect(visible, position);
    CBitmap background;
    CopyBitmapRect(SliderBackgroundSource(), &background, rect);
    CBitmap thumbUp, thumbOver, thumbDown, thumbDisable, band;
    const struct {
        const CString& path;
        CBitmap* target;
    } files[] = {{up, &thumbUp}, {over, &thumbOver}, {down, &thumbDown}, {disable, &thumbDisable}, {backImage, &band}};
    for (const auto& file : files) {
        if (!LoadBitmapFile(file.path, file.target)) {
            ShowLoadFailure(failText, file.path, caption);
            return;
        }
    }
    slider->SetBitmaps(&thumbUp, &thumbDown, &thumbOver, &thumbDisable, &background, &band, 0);
    slider->CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), windowName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                     rect, m_pOwner, id);
}

void CLoadBmp::PaintBackground(CDC* dc) {
    if (m_bBannerLayout)
        PaintBanner(dc);
    else
        PaintNinePart(dc, &m_upImage);
}

void CLoadBmp::PaintNinePart(CDC* dc, CBitmap* source) {
    if (!dc || !source || !source->GetSafeHandle() || !m_pOwner || !m_pOwner->GetSafeHwnd()) return;
    CRect client;
    m_pOwner->GetClientRect(&client);
    const int W = client.Width(), H = client.Height();
    const int w = m_nSkinWidth, h = m_nSkinHeight, cx = m_nCornerWidth, cy = m_nCornerHeight;
    CDC from;
    if (!from.CreateCompatibleDC(dc)) return;
    from.SelectObject(source);
    const int oldMode = dc->SetStretchBltMode(COLORONCOLOR);
    const int right = W - (w - cx), bottom = H - (h - cy);
    if (W > w && H > h) {
        Copy(dc, 0, 0, cx, cy, &from, 0, 0);
        Copy(dc, right, 0, w - cx, cy, &from, cx, 0);
        Copy(dc, 0, bottom, cx, h - cy, &from, 0, cy);
        Copy(dc, right, bottom, w - cx, h - cy, &from, cx, cy);
        Stretch(dc, cx, 0, W - w, cy, &from, cx, 0, 1, cy);
        Stretch(dc, cx, bottom, W - w, h - cy, &from, cx, cy, 1, h - cy);
        Stretch(dc, 0, cy, cx, H - h, &from, 0, cy, cx, 1);
        Stretch(dc, right, cy, w - cx, H - h, &from, cx, cy, w - cx, 1);
        Stretch(dc, cx, cy, W - w, H - h, &from, cx, cy, 1, 1);
    } else if (W <= w && H <= h) {
        Copy(dc, 0, 0, W, H, &from, 0, 0);
    } else if (W > w) {
        Copy(dc, 0, 0, cx, H, &from, 0, 0);
        Copy(dc, right, 0, w - cx, H, &from, cx, 0);
        Stretch(dc, cx, 0, W - w, H, &from, cx, 0, 1, h);
    } else {
        Copy(dc, 0, 0, W, cy, &from, 0, 0);
        Copy(dc, 0, bottom, W, h - cy, &from, 0, cy);
        Stretch(dc, 0, cy, W, H - h, &from, 0, cy, w, 1);
    }
    dc->SetStretchBltMode(oldMode);
}

void CLoadBmp::PaintBanner(CDC* dc) {
    if (!dc || !m_upImage.GetSafeHandle() || !m_pOwner || !m_pOwner->GetSafeHwnd()) return;
    CRect client;
    m_pOwner->GetClientRect(&client);
    const int W = client.Width(), H = client.Height();
    CDC from;
    if (!from.CreateCompatibleDC(dc)) return;
    from.SelectObject(&m_upImage);
    Copy(dc, 0, 0, W, H, &from, 0, 0);
    for (int x = 0; x <= W - 392; ++x) Copy(dc, x + 400, 0, 1, 72, &from, 398, 0);
    if (m_bannerImage.GetSafeHandle()) {
        from.SelectObject(&m_bannerImage);
        Copy(dc, W - 391, 0, 221, H, &from, 0, 0);
    }
}
