#include "CUserFolders.h"

#include "app/ui/dialogs/DialogMessages.h"
#include "app/core/CAppConfig.h"
#include "app/core/FileUtil.h"

namespace {

const CString kSeedFiles[] = {L"recplantemplet.xml", L"backupschedule.xml", L"device.xml", L"UserLogin.ini"};
// Named by the program itself, whether they exist yet or not.
const wchar_t* const kProgramFolders[] = {L"Log", L"Language", L"Skin"};
// Cannot be part of an ID, so no user's folder ever has this name.
const wchar_t kMovingSuffix[] = L".moving";

CString ProgramDir() { return GetAppConfig()->m_strModuleDir; }

CString ProgramDirTrimmed() {
    CString dir = ProgramDir();
    dir.TrimRight(L'\\');
    return dir;
}

// The first folder of a path below the program directory, or "".
CString FirstFolderBelowProgramDir(const CString& path) {
    const CString programDir = ProgramDirTrimmed() + L"\\";
    if (path.GetLength() <= programDir.GetLength() || path.Left(programDir.GetLength()).CompareNoCase(programDir) != 0)
        return CString();
    const CString rest = path.Mid(programDir.GetLength());
    const int slash = rest.Find(L'\\');
    return slash < 0 ? rest : rest.Left(slash);
}

}  // namespace

bool CUserFolders::IsProgramFolder(const CString& id) {
    for (const wchar_t* name : kProgramFolders) {
        if (id.CompareNoCase(name) == 0) return true;
    }
    const CAppConfig* config = GetAppConfig();
    for (int i = 0; i < config->m_nLanguageCount && i < kMaxLanguages; ++i) {
        const CString folder = FirstFolderBelowProgramDir(config->m_strSkinDir[i]);
        if (!folder.IsEmpty() && id.CompareNoCase(folder) == 0) return true;
    }
    return false;
}

bool CUserFolders::IsOwnFolderName(const CString& id) {
    return !id.IsEmpty() && id.SpanIncluding(kUserIdChars) == id && !IsProgramFolder(id);
}

bool CUserFolders::ExistsInProgramDir(const CString& id) {
    return !id.IsEmpty() && ::GetFileAttributesW(JoinPath(ProgramDirTrimmed(), id)) != INVALID_FILE_ATTRIBUTES;
}

bool CUserFolders::CanName(const CString& id, const std::vector<CString>& userFolders) {
    if (IsProgramFolder(id)) return false;
    if (!ExistsInProgramDir(id)) return true;
    for (const CString& folder : userFolders) {
        if (folder.CompareNoCase(id) == 0) return true;
    }
    return false;
}

CString CUserFolders::DirectoryText(const CString& id) {
    return IsOwnFolderName(id) ? JoinPath(L".", id) : ProgramDirTrimmed();
}

void CUserFolders::Update(const std::vector<CString>& removedIds,
                          const std::vector<std::pair<CString, CString>>& users) {
    std::vector<CString> kept;
    std::vector<std::pair<CString, CString>> renames;
    for (const auto& user : users) {
        // A listed user keeps the folder it has on disk: the one of its old ID.
        kept.push_back(user.first.IsEmpty() ? user.second : user.first);
        if (!user.first.IsEmpty() && user.first != user.second) renames.push_back(user);
    }
    RemoveFolders(removedIds, kept);
    RenameFolders(renames);
}

void CUserFolders::RemoveFolders(const std::vector<CString>& removedIds, const std::vector<CString>& keptIds) {
    // Only a plain ID names a direct child of the program directory; a
    // hand-edited users file could otherwise reach the program directory or above.
    for (const CString& id : removedIds) {
        if (!IsOwnFolderName(id)) continue;
        bool kept = false;
        // A kept user whose ID differs only in case lives in the same folder.
        for (const CString& other : keptIds) kept = kept || other.CompareNoCase(id) == 0;
        const CString path = JoinPath(ProgramDirTrimmed(), id);
        if (!kept && path.GetLength() < MAX_PATH && FileExists(1, path)) DeleteFolderTree(path);
    }
}

void CUserFolders::RenameFolders(const std::vector<std::pair<CString, CString>>& renames) {
    // Every folder goes to a name no user has first, so that two users who
    // trade IDs each keep their own data.
    std::vector<std::pair<CString, CString>> moving;
    for (const auto& rename : renames) {
        if (!IsOwnFolderName(rename.first) || !IsOwnFolderName(rename.second)) continue;
        const CString from = JoinPath(ProgramDirTrimmed(), rename.first);
        const CString aside = from + kMovingSuffix;
        if (::MoveFileW(from, aside)) moving.push_back({aside, JoinPath(ProgramDirTrimmed(), rename.second)});
    }
    for (const auto& move : moving) {
        if (::MoveFileW(move.first, move.second)) continue;
        // Back where it was rather than lost under a name nobody uses.
        const CString back = move.first.Left(move.first.GetLength() - static_cast<int>(wcslen(kMovingSuffix)));
        ::MoveFileW(move.first, back);
    }
}

bool CUserFolders::Seed(USER_INFO& user) {
    if (user.systemdir.Left(2) != L".\\") return true;  // the program directory itself: nothing to make
    CString id = user.systemdir.Mid(2);
    id.TrimRight(L'\\');
    const CString directory = JoinPath(ProgramDirTrimmed(), id) + L"\\";
    if (!IsOwnFolderName(id) || CreateDirectoryPath(directory) != 0) {
        user.systemdir = ProgramDirTrimmed();
        return false;
    }
    CopyFileArray(ProgramDir(), directory, kSeedFiles, 4, TRUE);
    return true;
}
