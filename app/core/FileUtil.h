// Paths, directories, file copies and deletion, disk space. Stateless.
// Results of the file operations: 0 success, -1 a file or directory that must
// exist is missing (or the path is unusable), -2 a system copy or delete failed.
#pragma once

#include <afx.h>

#include <vector>

// --- Paths ---

// Returns directory + "\" + name; no "\" is added when the directory is empty
// (the name alone) or already ends in one.
CString JoinPath(const CString& directory, const CString& name);
// Full path of the running program file.
CString GetModuleFilePath();
// Drive and directory of the running program, with a trailing "\".
CString GetModuleDir();
// Name and extension after the last "\" or "/".
CString GetFileNameFromPath(const CString& path);
// Drive and directory of the path, with a trailing "\".
CString GetPathDirectory(const CString& path);
// The drive part ("C:"); "" for a relative or UNC path.
CString GetPathDrive(const CString& path);
CString ConcatStrings(const CString& a, const CString& b);

// --- Directories ---

// Creates every directory named before the last "\" (the part after it is
// taken for a file name, so pass directories with a trailing "\"). Returns 0,
// or -1 when the path names nothing below its first component or a level
// cannot be created (levels made before stay).
int CreateDirectoryPath(const CString& path);
// Returns the directory (trimmed, exactly one trailing "\") once it exists or
// was created; the fallback + "\" when the directory is empty or cannot be
// created. The fallback itself is not created.
CString PrepareDirectory(const CString& directory, const CString& fallback);
// Deletes the folders or files and everything below them without the recycle
// bin or any dialog. Returns the shell's result (0 success), or -1 without
// deleting anything when a path is empty or a root ("C:\", "\", "\\srv\share").
int DeleteFolderTree(const std::vector<CString>& paths);
int DeleteFolderTree(const CString& path);
// Copies the tree below source into target, overwriting files there (a
// read-only target file is made writable first; the source is never
// changed). Returns 0, or -1 when either path is empty or has no drive.
// Failures of single files are not reported.
int CopyFolderTree(const CString& source, const CString& target);
// Appends the names (not paths) of every file below the directory, in the
// order the system lists them, descending into sub-directories. Returns 0.
int CollectFileNames(const CString& directory, std::vector<CString>& names);

// --- Files ---

// Returns 1 when checkFlag is 1 and the path exists; else 0.
int FileExists(int checkFlag, const CString& path);
// FileExists(1, JoinPath(directory, name)); an empty directory means the
// program's directory.
int FileExistsInDir(const CString& name, const CString& directory);
// 0 deleted, -1 missing (no box), -2 the delete failed.
int DeleteFileChecked(const CString& path);
// Length in bytes; 0 when the file is missing or cannot be opened for reading.
ULONGLONG GetFileLength(const CString& path);
// Copies each existing source into the target directory under its own name.
// The loop never stops early. Returns 0 when all were copied, else the code
// of the last entry that failed (-1 missing, -2 copy failed).
int CopyFilesToDir(const CString& targetDir, const std::vector<CString>& sources, BOOL failIfExists);
// The same for names relative to a source directory.
int CopyFileList(const CString& sourceDir, const CString& targetDir, const std::vector<CString>& names,
                 BOOL failIfExists);
int CopyFileArray(const CString& sourceDir, const CString& targetDir, const CString* names, int count,
                  BOOL failIfExists);
// Returns 0 with the free bytes available to the caller, the total bytes and
// the total free bytes; -1 when the query fails (outs untouched).
int GetDiskSpace(const CString& path, ULONGLONG* callerFree, ULONGLONG* total, ULONGLONG* totalFree);
// Free bytes available to the caller (quota-aware); 0 when the query fails.
ULONGLONG GetFreeDiskBytes(const CString& path);
