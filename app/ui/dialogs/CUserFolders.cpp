#include "CUserFolders.h"

#include "DialogMessages.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"

namespace {

const CString kSeedFiles[] = {L"recplantemplet.xml", L"backupschedule.xml", L"device.xml", L"UserLogin.ini"};

CString ProgramDir() { return GetAppConfig()->m_strModuleDir; }

}  // namespace

CString CUserFolders::DirectoryText(const CString& id) {
    CString programDir = ProgramDir();
    programDir.TrimRight(L'\\');
    CString prepared = PrepareDirectory(JoinPath(programDir, id), programDir);
    prepared.TrimRight(L'\\');
    if (prepared.CompareNoCase(programDir) == 0) return programDir;
    return JoinPath(L".", id);
}

CString CUserFolders::DirectoryPath(const CString& systemDir) {
    CString path = systemDir;
    if (path.Left(2) == L".\\") path = JoinPath(ProgramDir(), path.Mid(2));
    if (path.Right(1) != L"\\") path += L"\\";
    return path;
}

bool CUserFolders::IsRemovable(const CString& id, const std::vector<CString>& remainingIds) {
    if (id.IsEmpty() || id.SpanIncluding(kUserIdChars) != id) return false;
    // A remaining user whose ID differs only in case lives in the same folder.
    for (const CString& remaining : remainingIds) {
        if (remaining.CompareNoCase(id) == 0) return false;
    }
    return true;
}

void CUserFolders::RemoveFolders(const std::vector<CString>& removedIds, const std::vector<CString>& remainingIds) {
    // Only a plain ID names a direct child of the program directory; a
    // hand-edited users file could otherwise reach the program directory or above.
    for (const CString& id : removedIds) {
        const CString path = JoinPath(ProgramDir(), id);
        if (IsRemovable(id, remainingIds) && path.GetLength() < MAX_PATH && FileExists(1, path)) DeleteFolderTree(path);
    }
}

void CUserFolders::Seed(const CString& systemDir) {
    const CString directory = DirectoryPath(systemDir);
    CreateDirectoryPath(directory);
    CopyFileArray(ProgramDir(), directory, kSeedFiles, 4, TRUE);
}
