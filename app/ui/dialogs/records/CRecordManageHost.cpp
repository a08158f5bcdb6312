#include "CRecordManageHost.h"

#include <afxdlgs.h>

#include "app/ui/toolkit/WindowUtil.h"

CString CRecordManageHost::ChooseFolder(CWnd* owner, const CString& title, const CString& errorText) {
    return BrowseForFolder(owner, title, errorText);
}

std::vector<CString> CRecordManageHost::ChooseFiles(CWnd* owner, DWORD flags, const CString& filter) {
    // The framework's dialog keeps room for many names: a path-sized buffer
    // would turn a choice of several files into a silent cancel.
    CFileDialog dialog(TRUE, nullptr, nullptr, flags, filter, owner);
    std::vector<CString> files;
    if (dialog.DoModal() != IDOK) return files;
    for (POSITION pos = dialog.GetStartPosition(); pos;) files.push_back(dialog.GetNextPathName(pos));
    return files;
}
