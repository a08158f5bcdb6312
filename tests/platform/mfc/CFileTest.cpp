#include <afx.h>
#include <afxmt.h>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

TEST(CFileTest, CreateWriteSeekRead) {
    TempDir dir;
    CString path(dir.File(L"data.bin").c_str());
    {
        CFile file(path, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive);
        file.Write("hello world", 11);
        EXPECT_EQ(11u, file.GetLength());
        file.Seek(6, CFile::begin);
        char buffer[16] = {};
        EXPECT_EQ(5u, file.Read(buffer, sizeof buffer));
        EXPECT_STREQ("world", buffer);
        EXPECT_EQ(0u, file.Read(buffer, sizeof buffer));
        EXPECT_STREQ(L"data.bin", file.GetFileName());

        // An exclusive handle keeps everyone else out until it is closed.
        CFile second;
        CFileException error;
        EXPECT_FALSE(second.Open(path, CFile::modeRead, &error));
        EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
    }
    // modeCreate truncates an existing file unless told not to.
    CFile keep(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
    EXPECT_EQ(11u, keep.GetLength());
    keep.Close();
    CFile truncate(path, CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(0u, truncate.GetLength());
}

TEST(CFileTest, FailuresThrowOrReport) {
    TempDir dir;
    CString missing(dir.File(L"missing.txt").c_str());
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(missing, CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(static_cast<LONG>(ERROR_FILE_NOT_FOUND), error.m_lOsError);

    bool thrown = false;
    try {
        CFile opened(missing, CFile::modeRead);
    } catch (CFileException* e) {
        thrown = e->m_cause == CFileException::fileNotFound && e->m_strFileName == missing;
        e->Delete();
    }
    EXPECT_TRUE(thrown);

    thrown = false;
    CFile readOnly(CString(dir.File(L"r.txt").c_str()), CFile::modeCreate | CFile::modeRead);
    try {
        readOnly.Write("x", 1);
    } catch (CFileException* e) {
        thrown = e->m_cause == CFileException::accessDenied;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(CMutexTest, ExcludesOtherThreadsAndUnlocksWhenScopeEnds) {
    CMutex mutex;
    struct Probe {
        static DWORD WINAPI TryLock(void* m) { return static_cast<CMutex*>(m)->Lock(0) ? 1 : 0; }
    };
    auto otherThreadGets = [&] {
        HANDLE t = CreateThread(nullptr, 0, Probe::TryLock, &mutex, 0, nullptr);
        WaitForSingleObject(t, INFINITE);
        DWORD got = 0;
        GetExitCodeThread(t, &got);
        CloseHandle(t);
        return got == 1;
    };
    {
        CSingleLock lock(&mutex, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(otherThreadGets());
    }
    // The probe thread took the mutex and ended holding it: abandoned, which
    // still counts as acquired for the next owner.
    EXPECT_TRUE(otherThreadGets());
    EXPECT_TRUE(mutex.Lock(0));
    EXPECT_TRUE(mutex.Unlock());
    EXPECT_FALSE(mutex.Unlock());
}
