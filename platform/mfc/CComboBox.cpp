#include "CComboBox.h"

#include "AfxOwnerDraw.h"

IMPLEMENT_DYNAMIC(CComboBox, CWnd)

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(L"COMBOBOX", nullptr, style, rect, parent, id);
}

void CComboBox::GetLBText(int index, CString& text) const {
    int n = GetLBTextLen(index);
    if (n == CB_ERR) {
        text.Empty();
        return;
    }
    int got = static_cast<int>(
        ::SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBuffer(n))));
    text.ReleaseBuffer(got == CB_ERR ? 0 : got);
}

BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (AfxRouteOwnerDraw(this, message, lParam, result)) return TRUE;
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}
