// CSkinCbx: a combo box whose face is a picture per state (normal, pressed,
// hover, disabled) with the selected item's text drawn over it in a colour
// and font of its own. UI thread.
#pragma once

#include <afxwin.h>

class CSkinCbx : public CComboBox {
    DECLARE_DYNAMIC(CSkinCbx)
public:
    // Face states, also the index of the face pictures.
    enum { kNormal = 0, kPressed = 1, kHover = 2, kDisabled = 3 };

    CSkinCbx();

    // Copies each given picture whole; NULL leaves that picture as it was.
    void SetBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled);
    // Both store and repaint (with erase) once the window exists.
    void SetTextColor(COLORREF color);
    // Makes the combo's own font from the font's description.
    void SetFont(CFont* font);

    int GetState() const { return m_nState; }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT) override {}

protected:
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnEnable(BOOL enable);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    DECLARE_MESSAGE_MAP()

private:
    // The face of the current state, then the selected item's text.
    void DrawFace(CDC* dc, const CRect& client);
    void SetState(int state);

    CBitmap m_face[4];
    CFont m_font;
    COLORREF m_textColor;
    int m_nState;
    int m_bHover;
};
