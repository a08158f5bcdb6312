#include "CCtrlColorChange.h"

void CCtrlColorChange::AddBrush(COLORREF color) {
    if (m_brushes.count(color)) return;
    std::unique_ptr<CBrush> brush(new CBrush);
    if (brush->CreateSolidBrush(color)) m_brushes[color] = std::move(brush);
}

void CCtrlColorChange::SetCtrlColors(CWnd*, int ctrlId, COLORREF focused, COLORREF normal, COLORREF readOnly) {
    m_colors[ctrlId] = COLOR_SET{ctrlId, focused, normal, readOnly};
    AddBrush(focused);
    AddBrush(normal);
    AddBrush(readOnly);
}

void CCtrlColorChange::SetWndColors(CWnd* ctrl, COLORREF focused, COLORREF normal, COLORREF readOnly) {
    if (!ctrl || !ctrl->GetSafeHwnd()) return;
    SetCtrlColors(nullptr, ctrl->GetDlgCtrlID(), focused, normal, readOnly);
}

CBrush* CCtrlColorChange::OnCtlColor(CWnd* dialog, CDC* dc, CWnd* ctrl) {
    if (!dialog || !dc || !ctrl || !ctrl->GetSafeHwnd()) return nullptr;
    return GetCtrlBrush(dialog, dc, ctrl->GetDlgCtrlID());
}

bool CCtrlColorChange::IsReadOnlyEdit(HWND ctrl) {
    wchar_t className[16] = {0};
    ::GetClassNameW(ctrl, className, 16);
    return lstrcmpiW(className, L"Edit") == 0 && (::GetWindowLongW(ctrl, GWL_STYLE) & ES_READONLY) != 0;
}

CBrush* CCtrlColorChange::GetCtrlBrush(CWnd* dialog, CDC* dc, int ctrlId) {
    if (!dialog || !dc || !dialog->GetSafeHwnd()) return nullptr;
    HWND ctrl = ::GetDlgItem(dialog->GetSafeHwnd(), ctrlId);
    if (!ctrl || !::IsWindowEnabled(ctrl)) return nullptr;
    auto set = m_colors.find(ctrlId);
    if (set == m_colors.end()) return nullptr;
    COLORREF color = set->second.normal;
    if (IsReadOnlyEdit(ctrl))
        color = set->second.readOnly;
    else if (::GetFocus() == ctrl)
        color = set->second.focused;
    auto brush = m_brushes.find(color);
    if (brush == m_brushes.end()) return nullptr;
    dc->SetBkColor(color);
    return brush->second.get();
}
