// CStaticEx: a text label drawn transparently over whatever the parent
// painted below it, in a colour of its own and a font as tall as the label.
// UI thread.
#pragma once

#include <afxwin.h>

class CStaticEx : public CStatic {
public:
    CStaticEx();

    // Each stores its value; the setters of text and colours repaint
    // without erasing (the parent's picture stays under the text).
    void SetText(const CString& text);
    void SetTextColor(COLORREF color);
    void SetBackColor(COLORREF color);
    // A TA_ value of the GDI; TA_CENTER centres the text on the label.
    void SetTextAlign(int align) { m_nTextAlign = align; }

    COLORREF GetTextColor() const { return m_textColor; }
    COLORREF GetBackColor() const { return m_backColor; }
    const CString& GetText() const { return m_strText; }

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

private:
    // The parent's font (the GUI font when the parent has none) made as tall
    // as the label.
    void CreateLabelFont(int height);
    void Repaint();

    COLORREF m_textColor;
    COLORREF m_backColor;  // kept for skins that read it; the label paints no background
    CString m_strText;
    CFont m_font;
    int m_nTextAlign;
};
