// The system's folder chooser (the shell's browse-for-folder dialog). COM
// must be initialised on the calling thread, as the program does at start.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "CObject.h"
#include "CStringT.h"

class CWnd;

class CFolderPickerDialog : public CObject {
    DECLARE_DYNAMIC(CFolderPickerDialog)
public:
    explicit CFolderPickerDialog(LPCWSTR title = nullptr, CWnd* parent = nullptr,
                                 UINT flags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE);

    // IDOK when an item was chosen, IDCANCEL when the user cancelled.
    virtual INT_PTR DoModal();
    // The chosen folder's path; empty when the chosen item has no path in
    // the file system (a printer, the network...).
    CString GetPathName() const { return m_path; }
    CString GetFolderPath() const { return m_path; }

private:
    CString m_title;
    CString m_path;
    CWnd* m_pParentWnd;
    UINT m_flags;
};
