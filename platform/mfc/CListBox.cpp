#include "CListBox.h"

#include "AfxOwnerDraw.h"

IMPLEMENT_DYNAMIC(CListBox, CWnd)

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(L"LISTBOX", nullptr, style, rect, parent, id);
}

void CListBox::GetText(int index, CString& text) const {
    int n = GetTextLen(index);
    if (n == LB_ERR) {
        text.Empty();
        return;
    }
    int got = static_cast<int>(
        ::SendMessageW(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBuffer(n))));
    text.ReleaseBuffer(got == LB_ERR ? 0 : got);
}

BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (AfxRouteOwnerDraw(this, message, lParam, result)) return TRUE;
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}
