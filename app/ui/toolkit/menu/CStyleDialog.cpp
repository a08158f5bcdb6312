#include "CStyleDialog.h"

IMPLEMENT_DYNCREATE(CStyleDialog, CDialog)

BEGIN_MESSAGE_MAP(CStyleDialog, CStyleFrame<CDialog>)
ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

CStyleDialog::CStyleDialog() {}

CStyleDialog::CStyleDialog(UINT templateId, CWnd* parent) : CStyleFrame<CDialog>(templateId, parent) {}

CStyleDialog::CStyleDialog(LPCTSTR templateName, CWnd* parent) : CStyleFrame<CDialog>(templateName, parent) {}

BOOL CStyleDialog::OnInitDialog() {
    BOOL result = CStyleFrame<CDialog>::OnInitDialog();
    HMENU system = ::GetSystemMenu(m_hWnd, FALSE);
    if (m_systemMenu.GetSafeHmenu() != system) {
        ReleaseSystemMenu();
        if (system) m_systemMenu.LoadFromHandle(system);
    }
    HMENU bar = ::GetMenu(m_hWnd);
    if (bar && m_defaultMenu.GetSafeHmenu() != bar) {
        m_defaultMenu.Detach();
        m_defaultMenu.DestroyMenu();
        m_defaultMenu.SetPopup(FALSE);
        m_defaultMenu.LoadFromHandle(bar);
    }
    ApplyMenuBackground(&m_defaultMenu);
    return result;
}

void CStyleDialog::OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) {
    UpdateDialogPopup(this, popup, sysMenu);
    CStyleFrame<CDialog>::OnInitMenuPopup(popup, index, sysMenu);
}
