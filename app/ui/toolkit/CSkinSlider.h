// CSkinSlider: a bitmap slider with a shaped thumb (magenta in the thumb
// pictures is outside the thumb), an optional orange progress bar, a page
// step or jump-to-click on the track, and a vertical variant whose minimum is
// at the bottom. When the button is released, and when the pointer leaves
// after having been inside, it posts WM_TW_SLIDER_POS to its parent with its
// position (the leave notice with 0x10000 added). UI thread.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include "app/core/TwMessages.h"
#include "common/UniqueGdi.h"

class CSkinSlider : public CWnd {
    DECLARE_DYNAMIC(CSkinSlider)
public:
    // Style flag bits.
    enum { kShowThumb = 1, kVertical = 4, kJumpToClick = 8 };
    // Thumb states, also the index of the thumb pictures.
    enum { kNormal = 0, kPressed = 1, kHover = 2, kDisabled = 3 };
    // Added to the position in the notice sent when the pointer leaves.
    static const LPARAM kLeaveNotice = 0x10000;

    CSkinSlider();
    ~CSkinSlider() override;

    // Copies each given picture whole; NULL leaves that picture as it was.
    void SetBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled, CBitmap* background);
    void SetRange(int min, int max, BOOL redraw);
    void GetRange(int* min, int* max) const;
    int GetPos() const { return m_nPos; }
    // Ignored outside the range, for the current value and while the slider
    // holds the mouse; otherwise repaints without erasing.
    void SetPos(int pos);
    void SetPageStep(int step) { m_nPageStep = step; }
    void SetStyleFlags(int flags) { m_nStyleFlags = flags; }
    // 0 removes the cursor (TRUE); otherwise whether the cursor resource loaded.
    BOOL SetSliderCursor(UINT cursorId);
    void SetToolTipText(const CString& text);
    // Width of the orange progress bar along the top; 0 hides it.
    void SetProgressWidth(int width);

    int GetThumbState() const { return m_nThumbState; }
    // The thumb's top-left corner in client coordinates.
    CPoint GetThumbPosition() const;
    // The position a thumb corner at (x, y) stands for, clamped to the
    // range; FALSE when the slider has no room for the thumb.
    BOOL PositionFromThumbPoint(int x, int y, int* pos) const;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnEnable(BOOL enable);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    DECLARE_MESSAGE_MAP()

private:
    CSize ThumbSize() const;
    // The thumb's shape at its current place; FALSE without a shape.
    BOOL CurrentThumbRegion(CRgn* region) const;
    bool IsOverThumb(CPoint point) const;
    // The position the thumb would have with its centre under the point.
    BOOL PositionUnderPoint(CPoint point, int* pos) const;
    void Notify(LPARAM extra);
    void SetThumbState(int state);

    int m_nProgressWidth;
    CUniqueCursor m_hCursor;
    CBitmap m_background;
    CBitmap m_thumb[4];
    int m_nStyleFlags;
    int m_nMin;
    int m_nMax;
    int m_nPos;
    int m_nPageStep;
    int m_nThumbState;
    CRgn m_thumbShape;
    int m_bMouseInside;
    int m_bButtonDown;
    CToolTipCtrl m_toolTip;
};
