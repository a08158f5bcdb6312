#include "CDialog.h"

#include "AfxGlobals.h"
#include "CException.h"
#include "CWinApp.h"
#include "AfxOleControls.h"
#include "COleControlContainer.h"
#include "COleDlgTemplate.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = DYNAMIC_DOWNCAST(CDialog, CWnd::FromHandlePermanent(hWnd));
    if (!dialog) return TRUE;
    // A control that cannot be created fails the dialog's creation.
    if (!dialog->CreateTemplateControls()) return FALSE;
    try {
        return dialog->OnInitDialog();
    } catch (CException* e) {
        e->Delete();
    } catch (...) {}
    // A dialog that cannot initialise ends at once.
    dialog->EndDialog(-1);
    return FALSE;
}

CDialog::CDialog()
    : m_lpszTemplateName(nullptr),
      m_nIDHelp(0),
      m_lpDialogTemplate(nullptr),
      m_pParentWnd(nullptr),
      m_pOleTemplate(nullptr),
      m_bOleControlsFailed(FALSE) {
    m_nModalResult = -1;
}

CDialog::CDialog(UINT templateId, CWnd* parent) : CDialog() {
    m_lpszTemplateName = MAKEINTRESOURCEW(templateId);
    m_nIDHelp = templateId;
    m_pParentWnd = parent;
}

CDialog::CDialog(LPCWSTR templateName, CWnd* parent) : CDialog() {
    m_lpszTemplateName = templateName;
    if (IS_INTRESOURCE(templateName)) m_nIDHelp = static_cast<UINT>(reinterpret_cast<UINT_PTR>(templateName));
    m_pParentWnd = parent;
}

BOOL CDialog::InitModalIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent) {
    m_lpDialogTemplate = dialogTemplate;
    m_lpszTemplateName = nullptr;
    m_pParentWnd = parent;
    return dialogTemplate != nullptr;
}

LPCDLGTEMPLATEW CDialog::LoadTemplate() const {
    if (!m_lpszTemplateName) return m_lpDialogTemplate;
    HINSTANCE instance = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceW(instance, m_lpszTemplateName, MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
    return loaded ? static_cast<LPCDLGTEMPLATEW>(::LockResource(loaded)) : nullptr;
}

BOOL CDialog::CreateDlgIndirect(LPCDLGTEMPLATEW dialogTemplate, HWND parent) {
    if (!dialogTemplate || m_hWnd) return FALSE;
    COleDlgTemplate split(dialogTemplate);
    if (split.HasControls() && !AfxOleControlContainerEnabled()) return FALSE;
    m_pOleTemplate = &split;
    m_bOleControlsFailed = FALSE;
    AfxHookWindowCreate(this);
    HWND hWnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), split.Template(), parent, AfxDlgProc, 0);
    if (!AfxUnhookWindowCreate()) PostNcDestroy();
    m_pOleTemplate = nullptr;
    if (hWnd && m_bOleControlsFailed) {
        DestroyWindow();
        return FALSE;
    }
    if (!hWnd) return FALSE;
    return TRUE;
}

BOOL CDialog::CreateTemplateControls() {
    if (!m_pOleTemplate || !m_pOleTemplate->HasControls()) return TRUE;
    for (const COleDlgTemplate::Item& item : m_pOleTemplate->Controls()) {
        RECT rect = item.rectDlu;
        ::MapDialogRect(m_hWnd, &rect);
        // Its place in the tab order: after the window of the item before it
        // (the dialog manager made the others in template order).
        HWND insertAfter = HWND_TOP;
        HWND child = ::GetWindow(m_hWnd, GW_CHILD);
        for (size_t i = 1; i < item.position && child; ++i) child = ::GetWindow(child, GW_HWNDNEXT);
        if (item.position > 0 && child) insertAfter = child;
        if (!GetControlContainer()->CreateSite(item.clsid, item.title.c_str(), item.style, rect, item.id,
                                               insertAfter)) {
            m_bOleControlsFailed = TRUE;
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CDialog::Create(LPCWSTR templateName, CWnd* parent) {
    m_lpszTemplateName = templateName;
    if (parent) m_pParentWnd = parent;
    LPCDLGTEMPLATEW dialogTemplate = LoadTemplate();
    return CreateDlgIndirect(dialogTemplate, m_pParentWnd->GetSafeHwnd());
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent) {
    if (parent) m_pParentWnd = parent;
    return CreateDlgIndirect(dialogTemplate, m_pParentWnd->GetSafeHwnd());
}

HWND CDialog::PreModal() {
    HWND owner = m_pParentWnd->GetSafeHwnd();
    bool chosen = owner != nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        if (main != this) owner = main->GetSafeHwnd();
    }
    // A popup cannot be owned by a child window.
    while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
    if (owner && !chosen) owner = ::GetLastActivePopup(owner);
    return owner;
}

INT_PTR CDialog::DoModal() {
    LPCDLGTEMPLATEW dialogTemplate = LoadTemplate();
    if (!dialogTemplate) return -1;
    HWND owner = PreModal();
    bool reenableOwner = false;
    if (owner && owner != ::GetDesktopWindow() && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        reenableOwner = true;
    }
    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;
    try {
        if (CreateDlgIndirect(dialogTemplate, owner)) {
            // OnInitDialog may already have ended the dialog.
            if (m_nFlags & WF_CONTINUEMODAL) RunModalLoop();
            if (m_hWnd)
                ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                               SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
    } catch (CException* e) {
        e->Delete();
        m_nModalResult = -1;
    }
    m_nFlags &= ~(WF_CONTINUEMODAL | WF_MODALLOOP);
    // Give activation back to the owner before the dialog goes away.
    if (reenableOwner) ::EnableWindow(owner, TRUE);
    if (owner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    DestroyWindow();
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL)) EndModalLoop(result);
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (CWnd::PreTranslateMessage(msg)) return TRUE;
    // Escape in a multi-line edit would be swallowed by the edit: it
    // still cancels the dialog, unless the dialog's Cancel is disabled.
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_CANCEL) &&
        (::GetWindowLongPtrW(msg->hwnd, GWL_STYLE) & ES_MULTILINE) &&
        (::SendMessageW(msg->hwnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)) {
        HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
        if (!cancel || ::IsWindowEnabled(cancel)) {
            SendMessage(WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        }
    }
    bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    bool mouse = msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST;
    if (!keyboard && !mouse) return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->GetSafeHwnd()), 1);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    // Only plain commands travel on; system commands (0xF000 and up) never do.
    if ((nCode != CN_COMMAND && nCode != CN_UPDATE_COMMAND_UI) || nID == 0 || nID >= 0xF000) return FALSE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
