#include "app/core/FileUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "TempDir.h"

namespace {

CString In(const TempDir& dir, const wchar_t* name) { return CString(dir.File(name).c_str()); }

}  // namespace

TEST(FileUtilTest, PathTexts) {
    const struct {
        const wchar_t* dir;
        const wchar_t* name;
        const wchar_t* joined;
    } joins[] = {
        {L"C:\\dir\\", L"a.txt", L"C:\\dir\\a.txt"},
        {L"C:\\dir", L"a.txt", L"C:\\dir\\a.txt"},
        {L"", L"a.txt", L"a.txt"},
    };
    for (const auto& j : joins) EXPECT_STREQ(j.joined, JoinPath(j.dir, j.name)) << j.dir;

    EXPECT_STREQ(L"a.txt", GetFileNameFromPath(L"C:\\dir/sub\\a.txt"));
    EXPECT_STREQ(L"b.x", GetFileNameFromPath(L"C:/dir/b.x"));
    EXPECT_STREQ(L"C:\\dir/sub\\", GetPathDirectory(L"C:\\dir/sub\\a.txt"));
    EXPECT_STREQ(L"C:", GetPathDrive(L"C:\\dir\\a.txt"));
    EXPECT_STREQ(L"", GetPathDrive(L"dir\\a.txt"));
    EXPECT_STREQ(L"", GetPathDrive(L"\\\\server\\share\\a.txt"));

    CString exe = GetModuleFilePath();
    EXPECT_EQ(0, exe.Right(14).CompareNoCase(L"\\test_core.exe"));
    EXPECT_STREQ(exe.Left(exe.GetLength() - 13), GetModuleDir());
}

TEST(FileUtilTest, CreateDirectoryPathCreatesLevelsBeforeTheLastBackslash) {
    TempDir dir;
    EXPECT_EQ(0, CreateDirectoryPath(In(dir, L"a\\b\\")));
    EXPECT_TRUE(PathExists(dir.File(L"a\\b")));
    EXPECT_EQ(0, CreateDirectoryPath(In(dir, L"c\\d")));
    EXPECT_TRUE(PathExists(dir.File(L"c")));
    EXPECT_FALSE(PathExists(dir.File(L"c\\d")));
    EXPECT_EQ(-1, CreateDirectoryPath(L"C:\\only"));
    EXPECT_EQ(-1, CreateDirectoryPath(L""));
    // A level that cannot be made (a file is in the way) fails.
    ASSERT_TRUE(WriteWholeFile(dir.File(L"file"), "x"));
    EXPECT_EQ(-1, CreateDirectoryPath(In(dir, L"file\\sub\\")));
    // Far beyond any fixed buffer: fails cleanly or works, never overflows.
    CString deep = In(dir, L"");
    for (int i = 0; i < 60; ++i) deep += L"level_name\\";
    int deepResult = CreateDirectoryPath(deep);
    if (deepResult == 0)
        EXPECT_TRUE(PathExists(deep.GetString()));
    else
        EXPECT_EQ(-1, deepResult);
}

TEST(FileUtilTest, PrepareDirectory) {
    TempDir dir;
    CString rec = In(dir, L"rec");
    EXPECT_STREQ(rec + L"\\", PrepareDirectory(L"  " + rec + L"\\\\  ", L"C:\\prog"));
    EXPECT_TRUE(PathExists(dir.File(L"rec")));
    EXPECT_STREQ(L"C:\\prog\\", PrepareDirectory(L"", L" C:\\prog\\ "));
    ASSERT_TRUE(WriteWholeFile(dir.File(L"blocker"), "x"));
    EXPECT_STREQ(L"C:\\prog\\", PrepareDirectory(In(dir, L"blocker\\x"), L"C:\\prog"));
}

TEST(FileUtilTest, ExistsDeleteAndLength) {
    TempDir dir;
    CString file = In(dir, L"f.bin");
    ASSERT_TRUE(WriteWholeFile(dir.File(L"f.bin"), "12345"));
    EXPECT_EQ(1, FileExists(1, file));
    EXPECT_EQ(0, FileExists(0, file));
    EXPECT_EQ(1, FileExistsInDir(L"f.bin", dir.Path().c_str()));
    EXPECT_EQ(1, FileExistsInDir(L"test_core.exe", L""));
    EXPECT_EQ(5u, GetFileLength(file));
    EXPECT_EQ(0u, GetFileLength(In(dir, L"missing")));
    EXPECT_EQ(0, DeleteFileChecked(file));
    EXPECT_EQ(-1, DeleteFileChecked(file));                // no box: the test would hang on one
    EXPECT_EQ(-2, DeleteFileChecked(dir.Path().c_str()));  // a directory is not a file
    EXPECT_EQ(0, FileExists(1, file));
}

TEST(FileUtilTest, LengthBeyondFourGigabytes) {
    TempDir dir;
    HANDLE file = CreateFileW(dir.File(L"big").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER size;
    size.QuadPart = 3LL << 30;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    EXPECT_EQ(3ull << 30, GetFileLength(In(dir, L"big")));
}

TEST(FileUtilTest, CopyListsGoOnAfterAFailure) {
    TempDir dir;
    CString target = In(dir, L"out");
    ASSERT_EQ(0, CreateDirectoryPath(target + L"\\"));
    ASSERT_TRUE(WriteWholeFile(dir.File(L"good.txt"), "good"));
    EXPECT_EQ(-1, CopyFilesToDir(target, {In(dir, L"missing.txt"), In(dir, L"good.txt")}, TRUE));
    EXPECT_EQ("good", ReadWholeFile(dir.File(L"out\\good.txt")));
    // Second copy with fail-if-exists fails at the system call.
    EXPECT_EQ(-2, CopyFilesToDir(target, {In(dir, L"good.txt")}, TRUE));
    EXPECT_EQ(0, CopyFilesToDir(target, {In(dir, L"good.txt")}, FALSE));

    ASSERT_TRUE(WriteWholeFile(dir.File(L"second.txt"), "2"));
    CString other = In(dir, L"other");
    ASSERT_EQ(0, CreateDirectoryPath(other + L"\\"));
    EXPECT_EQ(-1, CopyFileList(dir.Path().c_str(), other, {L"good.txt", L"nothere", L"second.txt"}, FALSE));
    EXPECT_EQ("2", ReadWholeFile(dir.File(L"other\\second.txt")));
    const CString names[] = {L"good.txt", L"second.txt"};
    EXPECT_EQ(0, CopyFileArray(dir.Path().c_str(), other, names, 2, FALSE));
    EXPECT_EQ("good", ReadWholeFile(dir.File(L"other\\good.txt")));
}

TEST(FileUtilTest, FolderTrees) {
    TempDir dir;
    ASSERT_EQ(0, CreateDirectoryPath(In(dir, L"src\\sub\\deeper\\")));
    ASSERT_TRUE(WriteWholeFile(dir.File(L"src\\a.txt"), "a"));
    ASSERT_TRUE(WriteWholeFile(dir.File(L"src\\sub\\b.txt"), "b"));
    ASSERT_TRUE(WriteWholeFile(dir.File(L"src\\sub\\deeper\\c.txt"), "c"));
    SetFileAttributesW(dir.File(L"src\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(0, CopyFolderTree(In(dir, L"src\\"), In(dir, L"dst")));
    EXPECT_EQ("c", ReadWholeFile(dir.File(L"dst\\sub\\deeper\\c.txt")));
    EXPECT_EQ("a", ReadWholeFile(dir.File(L"dst\\a.txt")));
    // The source keeps its attributes; a read-only target is still overwritten.
    EXPECT_TRUE(GetFileAttributesW(dir.File(L"src\\a.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(dir.File(L"src\\a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteWholeFile(dir.File(L"src\\a.txt"), "new"));
    EXPECT_EQ(0, CopyFolderTree(In(dir, L"src"), In(dir, L"dst")));
    EXPECT_EQ("new", ReadWholeFile(dir.File(L"dst\\a.txt")));
    EXPECT_EQ(-1, CopyFolderTree(L"", In(dir, L"dst")));
    EXPECT_EQ(-1, CopyFolderTree(L"relative\\src", In(dir, L"dst")));

    std::vector<CString> names;
    EXPECT_EQ(0, CollectFileNames(In(dir, L"dst"), names));
    std::sort(names.begin(), names.end());
    ASSERT_EQ(3u, names.size());
    EXPECT_STREQ(L"a.txt", names[0]);
    EXPECT_STREQ(L"c.txt", names[2]);

    for (const wchar_t* refused : {L"", L"C:", L"C:\\", L"\\", L"Z:\\\\", L"\\\\server\\share"})
        EXPECT_EQ(-1, DeleteFolderTree(CString(refused))) << refused;
    EXPECT_EQ(-1, DeleteFolderTree(std::vector<CString>{In(dir, L"dst"), L"C:\\"}));
    EXPECT_TRUE(PathExists(dir.File(L"dst\\a.txt")));  // nothing deleted when one path is refused
    EXPECT_EQ(0, DeleteFolderTree(std::vector<CString>{In(dir, L"dst"), In(dir, L"src")}));
    EXPECT_FALSE(PathExists(dir.File(L"dst")));
    EXPECT_FALSE(PathExists(dir.File(L"src")));
}

TEST(FileUtilTest, DiskSpace) {
    TempDir dir;
    ULONGLONG callerFree = 0, total = 0, totalFree = 0;
    ASSERT_EQ(0, GetDiskSpace(dir.Path().c_str(), &callerFree, &total, &totalFree));
    EXPECT_GT(total, 0u);
    EXPECT_LE(callerFree, totalFree);
    // Other writers change the free space between the two queries.
    const ULONGLONG free = GetFreeDiskBytes(dir.Path().c_str());
    EXPECT_LT(free > callerFree ? free - callerFree : callerFree - free, 256ull << 20);
    ULONGLONG untouched = 7;
    EXPECT_EQ(-1, GetDiskSpace(L"Q:\\no\\such\\volume\\", &untouched, &untouched, &untouched));
    EXPECT_EQ(7u, untouched);
    EXPECT_EQ(0u, GetFreeDiskBytes(L"Q:\\no\\such\\volume\\"));
}
