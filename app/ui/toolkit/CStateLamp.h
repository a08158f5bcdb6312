// CStateLamp: a two-picture indicator, its on picture while the state is
// set and its off picture otherwise. UI thread.
#pragma once

#include <afxwin.h>

class CStateLamp : public CWnd {
public:
    CStateLamp();

    // Copies the rectangle-sized top-left part of both pictures, then makes
    // the lamp a visible child of the parent at the rectangle (id 0).
    virtual BOOL Create(CBitmap* on, CBitmap* off, CRect rect, CWnd* parent);
    // Stores the state and repaints without erasing (no flicker).
    void SetState(BOOL on);
    BOOL GetState() const { return m_bState; }

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    CBitmap m_on;
    CBitmap m_off;
    BOOL m_bState;
};
