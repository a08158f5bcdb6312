// CLoadBmpEx: the skin loader the system's two dialog skins derive from. One
// background image is the whole dialog face; one button image holds the state
// pictures of every button, each cut out at a rectangle of the layout.
#pragma once

#include "CLoadBmp.h"

class CLoadBmpEx : public CLoadBmp {
public:
    CLoadBmpEx() = default;
    ~CLoadBmpEx() override = default;

    // Nine-part paint of the background image; nothing with the banner flag
    // or without the image.
    void PaintBackground(CDC* dc) override;
    // Remembers owner and flag, loads the background and the button image
    // (a failure shows the failure box and stops: the dialog stays unskinned,
    // without controls), sizes the owner and runs LoadLayout.
    void InitSkin(CWnd* owner, CString backgroundImage, CString buttonImage, CString sizeText, BOOL bannerLayout,
                  CString caption, CString failText);
    // A button at the position whose four state pictures are cut out of the
    // button image at the four rectangle texts.
    virtual void CreateButtonEx(BOOL visible, CString position, CString upRect, CString overRect, CString downRect,
                                CString disableRect, CString tipText, CSkinButton* button, UINT id);

    CBitmap* GetBackgroundImage() { return &m_backgroundImage; }
    CBitmap* GetButtonImage() { return &m_buttonImage; }

protected:
    CBitmap* SliderBackgroundSource() override { return &m_backgroundImage; }

    CBitmap m_backgroundImage;
    CBitmap m_buttonImage;
};
