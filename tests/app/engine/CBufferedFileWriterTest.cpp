// The buffered file writer on real files, with its own writer threads.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "TempDir.h"
#include "WaitFor.h"
#include "app/engine/CBufferedFileWriter.h"

namespace {

struct Reports {
    std::mutex mutex;
    std::map<std::wstring, int64_t> written;  // progress: bytes so far by name
    std::vector<std::wstring> closed;
    std::vector<int> closedKB, closedFlag, closedUser;

    int64_t Written(const std::wstring& name) {
        std::lock_guard<std::mutex> lock(mutex);
        return written[name];
    }
};
Reports* g_reports = nullptr;

void OnClosed(CBufferedFileWriter*, const CString& name, int totalKB, int flag, int user) {
    std::lock_guard<std::mutex> lock(g_reports->mutex);
    g_reports->closed.push_back(std::wstring(name));
    g_reports->closedKB.push_back(totalKB);
    g_reports->closedFlag.push_back(flag);
    g_reports->closedUser.push_back(user);
}

void OnProgress(CBufferedFileWriter*, const CString& name, int written, int, int) {
    std::lock_guard<std::mutex> lock(g_reports->mutex);
    g_reports->written[std::wstring(name)] += written;
}

std::string Pattern(size_t length, int seed) {
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 31 + seed * 7 + i / 997) & 0xFF);
    return bytes;
}

class BufferedFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override { g_reports = &m_reports; }

    CString Path(const wchar_t* name) { return CString(m_temp.File(name).c_str()); }

    Reports m_reports;
    TempDir m_temp;
};

TEST_F(BufferedFileWriterTest, RefusesWhatItCannotServe) {
    CBufferedFileWriter writer;
    EXPECT_EQ(-2, writer.AddFile(Path(L"early.bin"), 0, 0)) << "no buffer size yet";
    EXPECT_TRUE(DeleteFileW(Path(L"early.bin"))) << "the created file was closed again";
    EXPECT_EQ(0, writer.SetBufferSize(512));
    EXPECT_EQ(-1, writer.SetBufferSize(1024));
    EXPECT_EQ(0, writer.AddFile(Path(L"one.bin"), 0, 0));
    EXPECT_EQ(0, writer.Write(Path(L"one.bin"), "abc", 3));
    EXPECT_EQ(-1, writer.AddFile(Path(L"one.bin"), 0, 0));
    EXPECT_EQ(-3, writer.AddFile(Path(L"no such folder\\x.bin"), 0, 0));
    EXPECT_EQ(-1, writer.Write(Path(L"other.bin"), "abc", 3));
    EXPECT_EQ(-1, writer.RemoveFile(Path(L"other.bin")));
    EXPECT_EQ(0, writer.RemoveFile(Path(L"one.bin")));
    EXPECT_EQ("abc", ReadWholeFile(m_temp.File(L"one.bin"))) << "the second add did not empty it";
    EXPECT_EQ(0, writer.AddFile(Path(L"single.bin"), 0, 1));
    EXPECT_TRUE(PathExists(m_temp.File(L"single.bin")));
}

TEST_F(BufferedFileWriterTest, AppendsOfAnySizeArriveWholeAndInOrder) {
    for (int threads : {1, 3}) {
        CBufferedFileWriter writer(threads);
        writer.SetCallbacks(OnClosed, OnProgress);
        ASSERT_EQ(0, writer.SetBufferSize(1000));
        const CString a = Path(L"a.bin"), b = Path(L"b.bin");
        ASSERT_EQ(0, writer.AddFile(a, 0x12345, 0));
        ASSERT_EQ(0, writer.AddFile(b, 7, 0));
        std::string expectA, expectB;
        int seed = threads;
        for (int size : {1, 999, 1000, 2500, 10000, 7, 3333, 0, 40000, 1001}) {
            const std::string chunkA = Pattern(static_cast<size_t>(size), ++seed);
            const std::string chunkB = Pattern(static_cast<size_t>(size) / 2, ++seed);
            ASSERT_EQ(0, writer.Write(a, chunkA.data(), size));
            ASSERT_EQ(0, writer.Write(b, chunkB.data(), static_cast<int>(chunkB.size())));
            expectA += chunkA;
            expectB += chunkB;
        }
        ASSERT_TRUE(WaitFor([&] { return m_reports.Written(std::wstring(a)) > 0; }));
        EXPECT_EQ(static_cast<int>(expectA.size() / 1024), writer.RemoveFile(a));
        EXPECT_EQ(static_cast<int>(expectB.size() / 1024), writer.RemoveFile(b));
        EXPECT_EQ(expectA, ReadWholeFile(std::wstring(a))) << threads << " threads";
        EXPECT_EQ(expectB, ReadWholeFile(std::wstring(b))) << threads << " threads";

        std::lock_guard<std::mutex> lock(m_reports.mutex);
        ASSERT_EQ(2u, m_reports.closed.size());
        EXPECT_EQ(std::wstring(a), m_reports.closed[0]);
        EXPECT_EQ(static_cast<int>(expectA.size() / 1024), m_reports.closedKB[0]);
        EXPECT_EQ(1, m_reports.closedFlag[0]);
        EXPECT_EQ(0x2345, m_reports.closedUser[0]) << "the low 16 bits of the user value";
        m_reports.closed.clear();
        m_reports.closedKB.clear();
        m_reports.closedFlag.clear();
        m_reports.closedUser.clear();
        m_reports.written.clear();
    }
}

TEST_F(BufferedFileWriterTest, ClosingWritesAPartBufferAndTheDestructorClosesTheRest) {
    {
        CBufferedFileWriter writer;
        writer.SetCallbacks(OnClosed, OnProgress);
        ASSERT_EQ(0, writer.SetBufferSize(4096));
        ASSERT_EQ(0, writer.AddFile(Path(L"part.bin"), 1, 0));
        ASSERT_EQ(0, writer.AddFile(Path(L"left.bin"), 2, 0));
        const std::string part = Pattern(100, 1), left = Pattern(5000, 2);
        writer.Write(Path(L"part.bin"), part.data(), 100);
        writer.Write(Path(L"left.bin"), left.data(), 5000);
        EXPECT_EQ(0, writer.RemoveFile(Path(L"part.bin")));
        EXPECT_EQ(part, ReadWholeFile(m_temp.File(L"part.bin")));
        std::lock_guard<std::mutex> lock(m_reports.mutex);
        ASSERT_EQ(1u, m_reports.closed.size()) << "reported although under 1 KB";
        EXPECT_EQ(0, m_reports.closedKB[0]);
    }
    EXPECT_EQ(Pattern(5000, 2), ReadWholeFile(m_temp.File(L"left.bin")));
    ASSERT_EQ(2u, m_reports.closed.size());
    EXPECT_EQ(4, m_reports.closedKB[1]);
}

// Writes at most 300 bytes a call, and fails every write to one file while
// that file is switched off.
std::atomic<bool> g_failStuck{false};
BY_HANDLE_FILE_INFORMATION g_stuck = {};

bool IsStuckFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info = {};
    return GetFileInformationByHandle(file, &info) && info.nFileIndexLow == g_stuck.nFileIndexLow &&
           info.nFileIndexHigh == g_stuck.nFileIndexHigh && info.dwVolumeSerialNumber == g_stuck.dwVolumeSerialNumber;
}

BOOL WINAPI FlakyWrite(HANDLE file, LPCVOID data, DWORD length, LPDWORD written, LPOVERLAPPED overlapped) {
    if (g_failStuck && IsStuckFile(file)) {
        *written = 0;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(file, data, length < 300 ? length : 300, written, overlapped);
}

TEST_F(BufferedFileWriterTest, AFailingFileNeitherStarvesOthersNorLosesData) {
    CBufferedFileWriter writer(1);
    writer.SetCallbacks(OnClosed, OnProgress);
    writer.SetWriteFunction(FlakyWrite);
    ASSERT_EQ(0, writer.SetBufferSize(1024));
    const CString stuck = Path(L"stuck.bin"), free = Path(L"free.bin");
    ASSERT_EQ(0, writer.AddFile(stuck, 0, 0));
    ASSERT_EQ(0, writer.AddFile(free, 0, 0));
    HANDLE probe =
        CreateFileW(stuck, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, probe);
    ASSERT_TRUE(GetFileInformationByHandle(probe, &g_stuck));
    CloseHandle(probe);
    g_failStuck = true;

    const std::string stuckBytes = Pattern(8 * 1024 - 100, 1), freeBytes = Pattern(8 * 1024 - 100, 2);
    ASSERT_EQ(0, writer.Write(stuck, stuckBytes.data(), static_cast<int>(stuckBytes.size())));
    ASSERT_EQ(0, writer.Write(free, freeBytes.data(), static_cast<int>(freeBytes.size())));
    EXPECT_TRUE(WaitFor([&] { return m_reports.Written(std::wstring(free)) == 7 * 1024; }))
        << "the other file's full buffers are written, short writes continued";
    EXPECT_EQ(0, m_reports.Written(std::wstring(stuck)));

    g_failStuck = false;
    EXPECT_TRUE(WaitFor([&] { return m_reports.Written(std::wstring(stuck)) == 7 * 1024; }));
    EXPECT_EQ(7, writer.RemoveFile(stuck));
    EXPECT_EQ(7, writer.RemoveFile(free));
    EXPECT_EQ(stuckBytes, ReadWholeFile(std::wstring(stuck)));
    EXPECT_EQ(freeBytes, ReadWholeFile(std::wstring(free)));
}

}  // namespace
