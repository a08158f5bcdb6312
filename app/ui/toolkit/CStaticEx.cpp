#include "CStaticEx.h"

#include "common/UniqueGdi.h"

BEGIN_MESSAGE_MAP(CStaticEx, CStatic)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CStaticEx::CStaticEx() : m_textColor(RGB(0, 255, 0)), m_backColor(0), m_nTextAlign(0) {}

void CStaticEx::Repaint() {
    if (GetSafeHwnd()) Invalidate(FALSE);
}

void CStaticEx::SetText(const CString& text) {
    m_strText = text;
    Repaint();
}

void CStaticEx::SetTextColor(COLORREF color) {
    m_textColor = color;
    Repaint();
}

void CStaticEx::SetBackColor(COLORREF color) {
    m_backColor = color;
    Repaint();
}

void CStaticEx::CreateLabelFont(int height) {
    HFONT source = nullptr;
    if (CWnd* parent = GetParent()) source = reinterpret_cast<HFONT>(parent->SendMessage(WM_GETFONT));
    // A parent that never got a font (a plain window, not a dialog) answers
    // NULL: the label then starts from the GUI font.
    if (!source) source = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW font = {};
    ::GetObjectW(source, sizeof font, &font);
    font.lfHeight = height;
    m_font.CreateFontIndirect(&font);
}

void CStaticEx::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (!m_font.GetSafeHandle()) CreateLabelFont(client.Height());
    CDcSelection useFont(dc.GetSafeHdc(), m_font.GetSafeHandle());
    dc.SetTextColor(m_textColor);
    dc.SetBkMode(TRANSPARENT);
    const bool centred = m_nTextAlign == TA_CENTER;
    dc.SetTextAlign(static_cast<UINT>(m_nTextAlign));
    ::ExtTextOutW(dc.GetSafeHdc(), centred ? client.Width() / 2 : 0, 0, ETO_CLIPPED, &client, m_strText,
                  static_cast<UINT>(m_strText.GetLength()), nullptr);
}

BOOL CStaticEx::OnEraseBkgnd(CDC*) { return TRUE; }
