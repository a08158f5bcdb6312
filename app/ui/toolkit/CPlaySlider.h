// CPlaySlider: a bitmap-skinned slider window: a background image, a thumb
// image per state (magenta is transparent) and an optional band image. On a
// button release it tells its parent the new position as a percentage of its
// width (WM_TW_SLIDER_POS, sent); when the pointer leaves it after being
// inside it posts the position with the high word 1. Its owner sets the
// position from outside; a 500 ms timer repaints it. UI thread.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include "app/core/TwMessages.h"

class CPlaySlider : public CWnd {
    DECLARE_DYNAMIC(CPlaySlider)
public:
    // Flag bits.
    enum { kShowThumb = 1, kVertical = 4, kJumpToPress = 8 };
    // Thumb states, also the index of the thumb images.
    enum { kNormal = 0, kPressed = 1, kHover = 2, kDisabled = 3 };

    CPlaySlider();
    ~CPlaySlider() override;

    // Copies each given image whole; a NULL image leaves its slot as it was.
    void SetBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled, CBitmap* background,
                    CBitmap* band, int);
    void SetRange(int min, int max, BOOL redraw);
    // Ignored while dragging or holding the capture, outside the range and
    // for the current value; does not repaint (the refresh timer does).
    void SetPos(int pos);
    int GetPos() const { return m_nPos; }
    void GetRange(int* min, int* max) const;
    void SetStep(int step) { m_nStep = step; }
    void SetFlags(int flags) { m_nFlags = flags; }
    // FALSE, and no timer, when the slider has no window (a thread timer with
    // an unknown id would result).
    BOOL StartRefreshTimer();
    void StopRefreshTimer();
    void SetTooltip(const CString& text);

    int GetThumbState() const { return m_nThumbState; }
    // The thumb's top-left corner in client coordinates.
    CPoint GetThumbPosition() const;
    // The position a point of the thumb's edge stands for (0 when the slider
    // has no room for the thumb).
    int PositionFromPoint(int x, int y) const;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnPaint();
    afx_msg void OnEnable(BOOL enable);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message);
    afx_msg void OnNcLButtonUp(UINT hitTest, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    static const UINT_PTR kRefreshTimer = 1;
    static const UINT kRefreshMs = 500;

    // The thumb's shape now: the stored shape moved to the thumb position.
    BOOL CurrentThumbRegion(CRgn* region) const;
    bool IsOverThumb(CPoint point) const;
    CSize ThumbSize() const;

    int m_nBandStart;
    int m_nBandWidth;
    int m_bDragging;
    CBitmap m_background;
    CBitmap m_band;
    CBitmap m_thumb[4];
    int m_nFlags;
    int m_nMin;
    int m_nMax;
    int m_nPos;
    int m_nStep;
    int m_nThumbState;
    CRgn m_thumbRegion;
    int m_bPointerInside;
    int m_bReported;
    CToolTipCtrl m_toolTip;
};
