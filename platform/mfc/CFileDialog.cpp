#include "CFileDialog.h"

#include "CWinThread.h"
#include "CWnd.h"

IMPLEMENT_DYNAMIC(CFileDialog, CObject)

namespace {

// Room for many names when several files may be chosen.
const size_t kFileBufferChars = 64 * 1024;

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt, LPCWSTR fileName, DWORD flags, LPCWSTR filter,
                         CWnd* parent)
    : m_ofn(),
      m_bOpenFileDialog(openFileDialog),
      m_file(kFileBufferChars, L'\0'),
      m_defaultExt(defaultExt),
      m_pParentWnd(parent) {
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    m_ofn.lpstrFile = m_file.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_file.size());
    m_ofn.lpstrDefExt = m_defaultExt.IsEmpty() ? nullptr : m_defaultExt.GetString();
    if (fileName) lstrcpynW(m_file.data(), fileName, static_cast<int>(m_file.size()));
    if (filter) {
        // '|' separates the pairs; the system wants NULs and a double NUL at the end.
        for (const wchar_t* p = filter; *p; ++p) m_filter.push_back(*p == L'|' ? L'\0' : *p);
        m_filter.push_back(L'\0');
        m_filter.push_back(L'\0');
        m_ofn.lpstrFilter = m_filter.data();
    }
}

INT_PTR CFileDialog::DoModal() {
    HWND owner = m_pParentWnd->GetSafeHwnd();
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main ? ::GetLastActivePopup(main->GetSafeHwnd()) : ::GetActiveWindow();
    }
    m_ofn.hwndOwner = owner;
    BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT)) return CString(m_ofn.lpstrFile);
    POSITION pos = GetStartPosition();
    return pos ? GetNextPathName(pos) : CString();
}

CString CFileDialog::GetFileName() const {
    CString path = GetPathName();
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind(L'.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const {
    CString name = GetFileName();
    int dot = name.ReverseFind(L'.');
    return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const {
    CString path = GetPathName();
    int slash = path.ReverseFind(L'\\');
    return slash < 0 ? CString() : path.Left(slash);
}

POSITION CFileDialog::GetStartPosition() const {
    return m_ofn.lpstrFile[0] ? reinterpret_cast<POSITION>(m_ofn.lpstrFile) : nullptr;
}

CString CFileDialog::GetNextPathName(POSITION& pos) const {
    const wchar_t* item = reinterpret_cast<const wchar_t*>(pos);
    const wchar_t* buffer = m_ofn.lpstrFile;
    size_t folderLength = wcslen(buffer);
    // One file: the buffer holds its full path. Several: the folder, then
    // each name, each ended by a NUL, the list by a double NUL.
    if (!(m_ofn.Flags & OFN_ALLOWMULTISELECT) || buffer[folderLength + 1] == 0) {
        pos = nullptr;
        return CString(buffer);
    }
    if (item == buffer) item = buffer + folderLength + 1;
    CString path(buffer);
    if (path.Right(1) != L"\\") path += L'\\';
    path += item;
    const wchar_t* next = item + wcslen(item) + 1;
    pos = *next ? reinterpret_cast<POSITION>(const_cast<wchar_t*>(next)) : nullptr;
    return path;
}
