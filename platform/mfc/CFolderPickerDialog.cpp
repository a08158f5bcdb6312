#include "CFolderPickerDialog.h"

#include <shlobj.h>

#include "CWinThread.h"
#include "CWnd.h"

IMPLEMENT_DYNAMIC(CFolderPickerDialog, CObject)

CFolderPickerDialog::CFolderPickerDialog(LPCWSTR title, CWnd* parent, UINT flags)
    : m_title(title), m_pParentWnd(parent), m_flags(flags) {}

INT_PTR CFolderPickerDialog::DoModal() {
    HWND owner = m_pParentWnd->GetSafeHwnd();
    if (!owner) owner = AfxGetMainWnd()->GetSafeHwnd();
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = m_title.IsEmpty() ? nullptr : m_title.GetString();
    info.ulFlags = m_flags;
    m_path.Empty();
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info);
    if (!item) return IDCANCEL;
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(item, path)) m_path = path;
    ::CoTaskMemFree(item);
    return IDOK;
}
