// CSkinButton: an owner-drawn push button painted from one picture per state
// (normal, pressed, hover, disabled), with an optional mask that shapes the
// window and keeps the background where it is white, a caption over the
// picture, a tooltip, a cursor of its own and hover tracking. Look by state:
// disabled > pressed > hover > normal, the pressed look (SetPressed) above
// all. UI thread.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include "common/UniqueGdi.h"

class CSkinButton : public CButton {
public:
    CSkinButton();
    ~CSkinButton() override;

    // Copies the given pictures (NULL leaves a state empty; no disabled
    // picture falls back to a copy of the normal one). drawMode 0 copies,
    // 1 stretches, 2 tiles (clamped); a mask resource id shapes the window
    // (white is outside) and, in mode 0, sizes it; a cursor id sets the cursor.
    void SetSkin(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled, UINT maskId, int drawMode,
                 int border, UINT cursorId, int focusMargin);
    // The same from bitmap resources (0 = none).
    void SetSkinFromResources(UINT normalId, UINT pressedId, UINT hoverId, UINT disabledId, UINT maskId, int drawMode,
                              int border, UINT cursorId, int focusMargin);
    // Returns the previous caption colour.
    COLORREF SetTextColor(COLORREF color);
    // A non-empty text becomes the caption and the window text; "" changes nothing.
    void SetCaption(const CString& text);
    void SetToolTipText(const CString& text);
    // 0 leaves no cursor (TRUE); otherwise whether the cursor resource loaded.
    BOOL SetButtonCursor(UINT cursorId);
    // The pressed look: drawn pressed whatever the state (the caller repaints).
    void SetPressed(BOOL pressed) { m_bPressedLook = pressed; }
    // Releases the capture if held and forgets the press. Returns 0.
    int ReleasePress();

    // The region of the mask's pixels that differ from outside (rows of runs);
    // NULL for a NULL bitmap. The caller owns it.
    static HRGN CreateRegionFromBitmap(HBITMAP mask, COLORREF outside);
    // Draws the picture into the rectangle by the draw mode, through the mask
    // when the button has one. A NULL picture draws nothing.
    void DrawBitmap(CDC* dc, HBITMAP picture, CRect rect, int drawMode);
    static void TileBitmap(CDC* dc, HBITMAP picture, CRect rect);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    bool IsHovering() const { return m_bHover; }
    bool IsPressedDown() const { return m_bPressed; }
    CToolTipCtrl* GetToolTip() { return &m_toolTip; }

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnKillFocus(CWnd* newFocus);
    DECLARE_MESSAGE_MAP()

private:
    void ApplyMask(UINT maskId, int drawMode);
    void StoreModes(int drawMode, int border, int focusMargin);
    // Steps 1 of the drawing: while the press is held, follows the cursor on
    // or off the button by the pushed state; TRUE when that state changed
    // (the change repaints).
    BOOL FollowHeldPress();
    void DrawFace(CDC* dc, UINT itemState, CRect& rect);

    CUniqueCursor m_hCursor;
    CString m_strCaption;
    int m_nTextAlign;
    BOOL m_bPressedLook;
    bool m_bHover;
    bool m_bPressed;
    CToolTipCtrl m_toolTip;
    CBitmap m_normal;
    CBitmap m_pressed;
    CBitmap m_disabled;
    CBitmap m_mask;
    CBitmap m_hover;
    short m_nFocusMargin;
    COLORREF m_textColor;
    short m_nBorder;
    short m_nDrawMode;
};
