// The system's file open and save dialogs. The filter is written the
// framework's way, "Text files (*.txt)|*.txt|All files (*.*)|*.*||".
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "CObject.h"
#include "CStringT.h"

class CWnd;

class CFileDialog : public CObject {
    DECLARE_DYNAMIC(CFileDialog)
public:
    CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt = nullptr, LPCWSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr, CWnd* parent = nullptr);

    // IDOK when the user chose a file, IDCANCEL when not (or on failure;
    // CommDlgExtendedError tells which).
    virtual INT_PTR DoModal();

    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    CString GetFolderPath() const;
    // Multiple selection (OFN_ALLOWMULTISELECT): walks the chosen paths.
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;

    OPENFILENAMEW m_ofn;

protected:
    BOOL m_bOpenFileDialog;

private:
    std::vector<wchar_t> m_filter;
    std::vector<wchar_t> m_file;
    CString m_defaultExt;
    CWnd* m_pParentWnd;
};
