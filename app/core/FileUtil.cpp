#include "FileUtil.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "TextValues.h"
#include "common/UniqueHandle.h"

namespace {

bool PathIsThere(const CString& path) { return !path.IsEmpty() && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

CString WithoutTrailingBackslashes(CString path) {
    path.TrimRight(L'\\');
    return path;
}

// A root is what deleting "everything below" must never be handed: "", "C:",
// "C:\", "\", and a UNC share root.
bool IsRootOrEmpty(const CString& path) {
    CString trimmed = path;
    trimmed.Trim();
    trimmed.TrimRight(L"\\/");
    if (trimmed.IsEmpty()) return true;
    if (trimmed.GetLength() == 2 && trimmed.GetAt(1) == L':') return true;
    return PathIsRootW(trimmed) != FALSE;
}

bool MakeDirectory(const CString& path) {
    return CreateDirectoryW(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// A read-only file in the way of an overwrite is made writable first.
void MakeWritable(const CString& path) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

// Calls visit(name, isDirectory) for every entry of the directory except "." and "..".
template <typename Visit>
void ForEachEntry(const CString& directory, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(directory, L"*.*"), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        CString name(found.cFileName);
        if (name == L"." || name == L"..") continue;
        visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// -1 missing source, -2 copy failed, 0 copied.
int CopyOne(const CString& source, const CString& target, BOOL failIfExists) {
    if (!PathIsThere(source)) return -1;
    return CopyFileW(source, target, failIfExists) ? 0 : -2;
}

}  // namespace

CString JoinPath(const CString& directory, const CString& name) {
    if (directory.IsEmpty()) return name;
    if (directory.GetAt(directory.GetLength() - 1) == L'\\') return directory + name;
    return directory + L"\\" + name;
}

CString GetModuleFilePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return CString();
        if (n < buffer.size()) return CString(buffer.data(), static_cast<int>(n));
        buffer.resize(buffer.size() * 2);
    }
}

CString GetModuleDir() { return GetPathDirectory(GetModuleFilePath()); }

CString GetFileNameFromPath(const CString& path) {
    int cut = -1;
    for (int i = 0; i < path.GetLength(); ++i) {
        wchar_t c = path.GetAt(i);
        if (c == L'\\' || c == L'/' || (c == L':' && i == 1)) cut = i;
    }
    return path.Mid(cut + 1);
}

CString GetPathDirectory(const CString& path) {
    CString name = GetFileNameFromPath(path);
    return path.Left(path.GetLength() - name.GetLength());
}

CString GetPathDrive(const CString& path) {
    if (path.GetLength() >= 2 && path.GetAt(1) == L':' && iswalpha(path.GetAt(0))) return path.Left(2);
    return CString();
}

CString ConcatStrings(const CString& a, const CString& b) { return a + b; }

int CreateDirectoryPath(const CString& path) {
    // The end marker cannot appear in a path; split drops it with the last
    // piece, so the pieces are the components and "" stands for a doubled or
    // trailing "\".
    static const wchar_t kMarker[] = L":*:";
    std::vector<CString> pieces;
    SplitString(path + L"\\" + kMarker, L'\\', pieces);
    if (pieces.size() <= 2) return -1;
    CString built = pieces[0];
    for (size_t i = 1; i + 1 < pieces.size(); ++i) {
        if (pieces[i + 1] == kMarker) break;
        built += L"\\";
        built += pieces[i];
        if (!PathIsThere(built) && !MakeDirectory(built)) return -1;
    }
    return 0;
}

CString PrepareDirectory(const CString& directory, const CString& fallback) {
    CString dir = directory, fall = fallback;
    dir.Trim();
    fall.Trim();
    dir = WithoutTrailingBackslashes(dir);
    fall = WithoutTrailingBackslashes(fall);
    CString result = fall + L"\\";
    if (!dir.IsEmpty()) {
        dir += L"\\";
        if (CreateDirectoryPath(dir) != -1) result = dir;
    }
    return result;
}

int DeleteFolderTree(const std::vector<CString>& paths) {
    if (paths.empty()) return -1;
    std::wstring list;
    for (const CString& path : paths) {
        if (IsRootOrEmpty(path)) return -1;
        list.append(path.GetString(), path.GetLength());
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationW(&op);
}

int DeleteFolderTree(const CString& path) { return DeleteFolderTree(std::vector<CString>{path}); }

int CopyFolderTree(const CString& source, const CString& target) {
    CString from = WithoutTrailingBackslashes(source);
    CString to = WithoutTrailingBackslashes(target);
    if (from.IsEmpty() || to.IsEmpty() || GetPathDrive(from).IsEmpty() || GetPathDrive(to).IsEmpty()) return -1;
    // The target itself first: files of the top level may be listed before any sub-directory.
    CreateDirectoryPath(to + L"\\");
    ForEachEntry(from, [&](const CString& name, bool isDirectory) {
        CString sourcePath = from + L"\\" + name;
        CString targetPath = to + L"\\" + name;
        if (isDirectory) {
            CreateDirectoryPath(targetPath + L"\\");
            CopyFolderTree(sourcePath, targetPath);
        } else {
            MakeWritable(targetPath);
            CopyFileW(sourcePath, targetPath, FALSE);
        }
    });
    return 0;
}

int CollectFileNames(const CString& directory, std::vector<CString>& names) {
    ForEachEntry(directory, [&](const CString& name, bool isDirectory) {
        if (isDirectory)
            CollectFileNames(JoinPath(directory, name), names);
        else
            names.push_back(name);
    });
    return 0;
}

int FileExists(int checkFlag, const CString& path) { return (checkFlag == 1 && PathIsThere(path)) ? 1 : 0; }

int FileExistsInDir(const CString& name, const CString& directory) {
    CString dir = directory.IsEmpty() ? GetModuleDir() : directory;
    return FileExists(1, JoinPath(dir, name));
}

int DeleteFileChecked(const CString& path) {
    if (!FileExists(1, path)) return -1;
    return DeleteFileW(path) ? 0 : -2;
}

ULONGLONG GetFileLength(const CString& path) {
    CUniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    LARGE_INTEGER size = {};
    const BOOL ok = GetFileSizeEx(file.Get(), &size);
    return ok ? static_cast<ULONGLONG>(size.QuadPart) : 0;
}

int CopyFilesToDir(const CString& targetDir, const std::vector<CString>& sources, BOOL failIfExists) {
    int result = 0;
    for (const CString& source : sources) {
        int code = CopyOne(source, JoinPath(targetDir, GetFileNameFromPath(source)), failIfExists);
        if (code != 0) result = code;
    }
    return result;
}

int CopyFileArray(const CString& sourceDir, const CString& targetDir, const CString* names, int count,
                  BOOL failIfExists) {
    // An empty source directory means the program's directory, for the copy as for the test.
    const CString from = sourceDir.IsEmpty() ? GetModuleDir() : sourceDir;
    int result = 0;
    for (int i = 0; i < count; ++i) {
        int code = CopyOne(JoinPath(from, names[i]), JoinPath(targetDir, names[i]), failIfExists);
        if (code != 0) result = code;
    }
    return result;
}

int CopyFileList(const CString& sourceDir, const CString& targetDir, const std::vector<CString>& names,
                 BOOL failIfExists) {
    return CopyFileArray(sourceDir, targetDir, names.data(), static_cast<int>(names.size()), failIfExists);
}

int GetDiskSpace(const CString& path, ULONGLONG* callerFree, ULONGLONG* total, ULONGLONG* totalFree) {
    ULARGE_INTEGER available, size, free;
    if (!GetDiskFreeSpaceExW(path, &available, &size, &free)) return -1;
    if (callerFree) *callerFree = available.QuadPart;
    if (total) *total = size.QuadPart;
    if (totalFree) *totalFree = free.QuadPart;
    return 0;
}

ULONGLONG GetFreeDiskBytes(const CString& path) {
    ULONGLONG available = 0;
    return GetDiskSpace(path, &available, nullptr, nullptr) == 0 ? available : 0;
}
