#include "CSkinCbx.h"

#include "SkinBitmap.h"
#include "common/UniqueGdi.h"

IMPLEMENT_DYNAMIC(CSkinCbx, CComboBox)

BEGIN_MESSAGE_MAP(CSkinCbx, CComboBox)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_ENABLE()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

namespace {

// The text keeps clear of the face's left edge and of its drop-down arrow.
const int kTextLeftMargin = 5;
const int kTextRightMargin = 14;

}  // namespace

CSkinCbx::CSkinCbx() : m_textColor(::GetSysColor(COLOR_WINDOWTEXT)), m_nState(kNormal), m_bHover(0) {}

void CSkinCbx::SetBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled) {
    CBitmap* pictures[] = {normal, pressed, hover, disabled};
    for (int i = 0; i < 4; ++i)
        if (pictures[i]) CopyWholeBitmap(pictures[i], &m_face[i]);
}

void CSkinCbx::SetTextColor(COLORREF color) {
    m_textColor = color;
    if (GetSafeHwnd()) Invalidate(TRUE);
}

void CSkinCbx::SetFont(CFont* font) {
    LOGFONTW description = {};
    if (!font || !font->GetSafeHandle() || !::GetObjectW(font->GetSafeHandle(), sizeof description, &description))
        return;
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&description);
    if (GetSafeHwnd()) Invalidate(TRUE);
}

void CSkinCbx::DrawFace(CDC* dc, const CRect& client) {
    DrawPictureToFit(dc, &m_face[m_nState], client);
    const int selected = GetCurSel();
    if (selected < 0) return;
    CString text;
    GetLBText(selected, text);
    CRect textRect = client;
    textRect.left += kTextLeftMargin;
    textRect.right -= kTextRightMargin;
    CDcSelection useFont(dc->GetSafeHdc(), m_font.GetSafeHandle());
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(m_textColor);
    dc->DrawText(text, &textRect, DT_SINGLELINE | DT_VCENTER);
}

void CSkinCbx::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    DrawFace(&dc, client);
}

void CSkinCbx::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC* dc = CDC::FromHandle(dis->hDC);
    DrawFace(dc, CRect(dis->rcItem));
}

void CSkinCbx::SetState(int state) {
    m_nState = state;
    Invalidate(FALSE);
}

void CSkinCbx::OnLButtonDown(UINT, CPoint) {
    SetState(kPressed);
    Default();
}

void CSkinCbx::OnLButtonUp(UINT, CPoint) {
    SetState(kNormal);
    Default();
}

void CSkinCbx::OnMouseMove(UINT, CPoint) {
    if (!m_bHover) {
        m_bHover = 1;
        SetState(kHover);
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, HOVER_DEFAULT};
        ::TrackMouseEvent(&track);
    }
    Default();
}

void CSkinCbx::OnMouseLeave() {
    m_bHover = 0;
    SetState(kNormal);
}

void CSkinCbx::OnEnable(BOOL enable) { SetState(enable ? kNormal : kDisabled); }

HBRUSH CSkinCbx::OnCtlColor(CDC* dc, CWnd*, UINT) {
    const HBRUSH brush = reinterpret_cast<HBRUSH>(Default());
    dc->SetTextColor(m_textColor);
    return brush;
}
