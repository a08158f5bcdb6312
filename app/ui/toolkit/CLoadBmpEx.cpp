#include "CLoadBmpEx.h"

#include "CSkinButton.h"
#include "SkinBitmap.h"

void CLoadBmpEx::PaintBackground(CDC* dc) {
    if (m_bBannerLayout) return;
    PaintNinePart(dc, &m_backgroundImage);
}

void CLoadBmpEx::InitSkin(CWnd* owner, CString backgroundImage, CString buttonImage, CString sizeText,
                          BOOL bannerLayout, CString caption, CString failText) {
    m_pOwner = owner;
    m_bBannerLayout = bannerLayout;
    if (!LoadBitmapFile(backgroundImage, &m_backgroundImage)) {
        ShowLoadFailure(failText, backgroundImage, caption);
        return;
    }
    if (!LoadBitmapFile(buttonImage, &m_buttonImage)) {
        // All or nothing: half a skin would paint over a window it does not lay out.
        m_backgroundImage.DeleteObject();
        ShowLoadFailure(failText, buttonImage, caption);
        return;
    }
    SetWindowSize(sizeText);
    LoadLayout();
}

void CLoadBmpEx::CreateButtonEx(BOOL visible, CString position, CString upRect, CString overRect, CString downRect,
                                CString disableRect, CString tipText, CSkinButton* button, UINT id) {
    const CRect rect = ControlRect(visible, position);
    CBitmap up, over, down, disable;
    if (visible) {
        CopyBitmapRect(&m_buttonImage, &up, ParseRect(upRect));
        CopyBitmapRect(&m_buttonImage, &over, ParseRect(overRect));
        CopyBitmapRect(&m_buttonImage, &down, ParseRect(downRect));
        CopyBitmapRect(&m_buttonImage, &disable, ParseRect(disableRect));
    }
    MakeSkinButton(visible, rect, &up, &over, &down, &disable, tipText, button, id);
}
