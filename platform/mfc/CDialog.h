// A dialog from a template, modal (DoModal runs the framework's own loop, so
// PreTranslateMessage sees every message) or modeless (Create). The
// object's OnInitDialog runs at WM_INITDIALOG; its result decides whether
// Windows puts the focus on the first control. Enter and Escape reach OnOK
// and OnCancel as IDOK and IDCANCEL commands; both end the dialog unless a
// class overrides them.
#pragma once

#include "CWnd.h"

class COleDlgTemplate;

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(LPCWSTR templateName, CWnd* parent = nullptr);

    // Modeless creation; TRUE when the window exists.
    virtual BOOL Create(LPCWSTR templateName, CWnd* parent = nullptr);
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr) {
        return Create(MAKEINTRESOURCEW(templateId), parent);
    }
    virtual BOOL CreateIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent = nullptr);
    // For DoModal from a template in memory (the caller keeps it alive).
    BOOL InitModalIndirect(LPCDLGTEMPLATEW dialogTemplate, CWnd* parent = nullptr);

    // Runs the dialog; returns the EndDialog result, or -1 when the dialog
    // could not be created (or WM_QUIT ended the loop).
    virtual INT_PTR DoModal();
    // Ends a modal dialog's loop, or hides a modeless one, with result.
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* msg) override;
    // Commands the dialog does not handle go on to the application object.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void SetDefID(UINT id) { ::SendMessageW(m_hWnd, DM_SETDEFID, id, 0); }
    DWORD GetDefID() const { return static_cast<DWORD>(::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0)); }
    void MapDialogRect(LPRECT r) const { ::MapDialogRect(m_hWnd, r); }

    LPCWSTR m_lpszTemplateName;
    UINT m_nIDHelp;
    LPCDLGTEMPLATEW m_lpDialogTemplate;
    CWnd* m_pParentWnd;

    // Creates the ActiveX controls that the template being created holds,
    // before data exchange and OnInitDialog; FALSE when one cannot be.
    BOOL CreateTemplateControls();

protected:
    // The window that owns the modal dialog (never a child window); NULL
    // for none.
    HWND PreModal();
    BOOL CreateDlgIndirect(LPCDLGTEMPLATEW dialogTemplate, HWND parent);
    // The template of m_lpszTemplateName or m_lpDialogTemplate; NULL when missing.
    LPCDLGTEMPLATEW LoadTemplate() const;

private:
    const COleDlgTemplate* m_pOleTemplate;  // only while the window is being created
    BOOL m_bOleControlsFailed;

    DECLARE_MESSAGE_MAP()
};

// The dialog procedure of every framework dialog: calls OnInitDialog.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
