// The playback and download service against the simulated recorder through
// the real network SDK on 127.0.0.1, and its local-file sources on real files.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PlaybackFixtures.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "app/engine/CNetReplayService.h"
#include "tools/simrecorder/CSimRecorder.h"

namespace {

class NetReplayServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(NetApiBound()) << "qvnetsdk.dll with every ordinal"; }

    void SetUp() override {
        m_login = StartRecorderSession(m_recorder);
        ASSERT_GT(m_login, 0);
        m_service.SetParams(3000, 0, 0, 0, 0);
    }

    void TearDown() override { EndRecorderSession(m_recorder); }

    std::vector<RECORD_FILE_DESC> Files(uint32_t channel, const QVNET_TIME& start, const QVNET_TIME& end) {
        std::vector<RECORD_FILE_DESC> files(100);
        int count = 0;
        EXPECT_EQ(0, m_service.QueryRecordFiles(0, m_login, channel, &start, &end, CString(), files.data(),
                                                static_cast<int>(files.size() * sizeof(RECORD_FILE_DESC)), &count));
        files.resize(static_cast<size_t>(count));
        return files;
    }

    bool Finished(int handle) {
        return WaitFor([&] {
            const auto pos = m_sink.LastPos(handle);
            return pos.first > 0 && pos.second >= pos.first;
        });
    }

    CTestSink m_sink;
    CNetReplayService m_service{NetApi(), m_sink};
    std::unique_ptr<CSimRecorder> m_recorder;
    int m_login = 0;
    TempDir m_temp;
};

TEST_F(NetReplayServiceTest, QueriesPageByPageOverMoreThanAHundredFiles) {
    std::vector<RECORD_FILE_DESC> all;
    QVNET_TIME start = At(0, 0);
    const QVNET_TIME end = NextDay();
    std::vector<size_t> pages;
    for (;;) {
        std::vector<RECORD_FILE_DESC> page = Files(1, start, end);
        pages.push_back(page.size());
        all.insert(all.end(), page.begin(), page.end());
        if (page.size() < 100) break;
        start = page.back().end;
    }
    EXPECT_EQ((std::vector<size_t>{100, 100, 88}), pages);
    ASSERT_EQ(288u, all.size());
    std::set<std::pair<uint32_t, uint32_t>> locations;
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(1u, all[i].channel);
        locations.insert({all[i].location1, all[i].location2});
        if (i > 0) {
            EXPECT_EQ(0, memcmp(&all[i - 1].end, &all[i].start, sizeof(QVNET_TIME))) << "file " << i;
        }
    }
    EXPECT_EQ(288u, locations.size()) << "every file once";

    int count = -1;
    EXPECT_EQ(-1, m_service.QueryRecordFiles(0, 0, 1, &start, &end, CString(), all.data(), 19600, &count));
}

// Stands in for the SDK's record-file query: fails a set number of times,
// then asks the real one, and remembers what it was given.
struct QuerySpy {
    static PFN_QVNET_FindRecordFiles real;
    static int failuresLeft;
    static int calls;
    static int waitMs;
    static char card[64];
    static int32_t QVNET_CALL Find(int32_t login, int32_t channel, int32_t type, const QVNET_TIME* start,
                                   const QVNET_TIME* end, const char* cardNumber, RECORD_FILE_DESC* buffer,
                                   int32_t size, int32_t* count, int32_t wait, int32_t reserved) {
        ++calls;
        waitMs = wait;
        memcpy(card, cardNumber, sizeof(card));
        if (failuresLeft > 0) {
            --failuresLeft;
            return 0;
        }
        return real(login, channel, type, start, end, cardNumber, buffer, size, count, wait, reserved);
    }
};
PFN_QVNET_FindRecordFiles QuerySpy::real = nullptr;
int QuerySpy::failuresLeft = 0;
int QuerySpy::calls = 0;
int QuerySpy::waitMs = 0;
char QuerySpy::card[64] = {};

TEST_F(NetReplayServiceTest, QueryTriesThreeTimesWithTheCardNumberAndWaitTime) {
    QuerySpy::real = NetApi().FindRecordFiles;
    NetApi().FindRecordFiles = QuerySpy::Find;
    m_service.SetParams(1234, 0, 0, 0, 0);
    const CString longCard(L'7', 70);
    struct Case {
        int failures;
        CString card;
        int result;
        int count;
        std::string cardSeen;
    } cases[] = {
        {2, L"AB12", 0, 12, "AB12"},
        {3, longCard, -1, -1, std::string(63, '7')},
        {0, L"", 0, 12, ""},
    };
    const QVNET_TIME start = At(1, 0), end = At(2, 0);
    std::vector<RECORD_FILE_DESC> files(100);
    for (const Case& c : cases) {
        QuerySpy::failuresLeft = c.failures;
        QuerySpy::calls = 0;
        memset(QuerySpy::card, 'x', sizeof(QuerySpy::card));
        int count = -1;
        EXPECT_EQ(c.result,
                  m_service.QueryRecordFiles(0, m_login, 0, &start, &end, c.card, files.data(), 19600, &count));
        EXPECT_EQ(c.count, count);
        EXPECT_EQ(std::min(c.failures + 1, 3), QuerySpy::calls);
        EXPECT_EQ(1234, QuerySpy::waitMs);
        EXPECT_EQ(c.cardSeen, std::string(QuerySpy::card)) << "NUL-terminated within 64 bytes";
        EXPECT_EQ(0, QuerySpy::card[63]);
    }
    NetApi().FindRecordFiles = QuerySpy::real;
}

TEST_F(NetReplayServiceTest, DownloadsByFileAndByTimeByteExact) {
    const std::vector<RECORD_FILE_DESC> files = Files(0, At(3, 0), At(3, 30));
    ASSERT_EQ(6u, files.size());
    const CString byFile = m_temp.File(L"by file.duz").c_str();
    const int fileHandle = m_service.DownloadToFile(m_login, files[2], byFile);
    ASSERT_GT(fileHandle, 0);

    RECORD_FILE_DESC range = {};
    range.channel = 2;
    range.start = At(4, 2, 30);
    range.end = At(4, 7, 30);  // across two files
    range.recordType = QVNET_RECORD_TIME_RANGE;
    const CString byTime = m_temp.File(L"by time.duz").c_str();
    const int timeHandle = m_service.DownloadToFile(m_login, range, byTime);
    ASSERT_GT(timeHandle, 0);

    ASSERT_TRUE(Finished(fileHandle));
    ASSERT_TRUE(Finished(timeHandle));
    EXPECT_EQ(ExpectedStream(0, At(3, 10), At(3, 15)), ReadWholeFile(std::wstring(byFile)));
    EXPECT_EQ(ExpectedStream(2, range.start, range.end), ReadWholeFile(std::wstring(byTime)));
}

TEST_F(NetReplayServiceTest, RefusedDownloadsSayWhetherToRetrySoon) {
    const std::vector<RECORD_FILE_DESC> files = Files(0, At(3, 0), At(3, 10));
    ASSERT_FALSE(files.empty());
    const CString path = m_temp.File(L"refused.duz").c_str();
    EXPECT_EQ(-1, m_service.DownloadToFile(0, files[0], path));
    m_recorder->Faults().busy = true;
    EXPECT_EQ(-1, m_service.DownloadToFile(m_login, files[0], path)) << "busy: retry";
    m_recorder->Faults().busy = false;
    m_recorder->Faults().unknownFiles = true;
    EXPECT_EQ(-2, m_service.DownloadToFile(m_login, files[0], path)) << "no such file";
}

TEST_F(NetReplayServiceTest, PlaysBackByFileAndByTimeWholeThroughRefusals) {
    m_sink.refuseEvery = 3;
    const std::vector<RECORD_FILE_DESC> files = Files(3, At(5, 0), At(5, 10));
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ(-1, m_service.PlayByFile(0, files[0]));
    const QVNET_TIME start = At(6, 1), end = At(6, 9);
    EXPECT_EQ(-1, m_service.PlayByTime(0, 3, &start, &end));

    const int byFile = m_service.PlayByFile(m_login, files[1]);
    ASSERT_GT(byFile, 0);
    const int byTime = m_service.PlayByTime(m_login, 3, &start, &end);
    ASSERT_GT(byTime, 0);
    ASSERT_TRUE(Finished(byFile));
    ASSERT_TRUE(Finished(byTime));
    EXPECT_EQ(ExpectedStream(3, At(5, 5), At(5, 10)), m_sink.Data(byFile));
    EXPECT_EQ(ExpectedStream(3, start, end), m_sink.Data(byTime));
    EXPECT_GT(m_sink.Refusals(), 0);
    m_service.Control(byFile, REPLAY_KIND_PLAYBACK, REPLAY_CMD_STOP, 0);
    m_service.Control(byTime, REPLAY_KIND_PLAYBACK, REPLAY_CMD_STOP, 0);
}

// Records the stop and seek calls the service makes.
struct ControlSpy {
    static std::string log;
    static int32_t QVNET_CALL Seek(int32_t handle, uint32_t range, uint32_t file) {
        log += "Seek(" + std::to_string(handle) + "," + std::to_string(range) + "," + std::to_string(file) + ")";
        return 1;
    }
    static int32_t QVNET_CALL StopReplay(int32_t handle) {
        log += "StopReplay(" + std::to_string(handle) + ")";
        return 1;
    }
    static int32_t QVNET_CALL StopFetch(int32_t handle) {
        log += "StopFetch(" + std::to_string(handle) + ")";
        return 1;
    }
};
std::string ControlSpy::log;

TEST_F(NetReplayServiceTest, ControlPassesStopAndSeekThrough) {
    const auto seek = NetApi().SeekReplay;
    const auto stopReplay = NetApi().StopReplay;
    const auto stopFetch = NetApi().StopFetch;
    NetApi().SeekReplay = ControlSpy::Seek;
    NetApi().StopReplay = ControlSpy::StopReplay;
    NetApi().StopFetch = ControlSpy::StopFetch;
    struct Case {
        int kind, command;
        uint32_t value;
        const char* calls;
    } cases[] = {
        {3, 1, 0, "StopReplay(77)"},
        {3, 2, 40, "Seek(77,4294967295,40)"},
        {3, 7, 55, "Seek(77,55,4294967295)"},
        {4, 1, 0, "StopFetch(77)"},
        {3, 5, 0, ""},
        {4, 2, 9, ""},
        {9, 1, 0, ""},
        {5, 1, 0, ""},  // no local source with that handle
        {5, 2, 3, ""},
    };
    for (const Case& c : cases) {
        ControlSpy::log.clear();
        EXPECT_EQ(0, m_service.Control(77, c.kind, c.command, c.value));
        EXPECT_EQ(c.calls, ControlSpy::log) << c.kind << "/" << c.command;
    }
    NetApi().SeekReplay = seek;
    NetApi().StopReplay = stopReplay;
    NetApi().StopFetch = stopFetch;
}

// Local record files as sources: no device involved.
class LocalSourceTest : public ::testing::Test {
protected:
    CString WriteFile(const wchar_t* name, const std::string& bytes) {
        const std::wstring path = m_temp.File(name);
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return CString(path.c_str());
    }

    static std::string Pattern(size_t length) {
        std::string bytes(length, '\0');
        for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
        return bytes;
    }

    TempDir m_temp;
    CTestSink m_sink;
    CNetReplayService m_service{NetApi(), m_sink};
};

TEST_F(LocalSourceTest, OpensFilesWithTheirSizes) {
    int kb = -1;
    int64_t length = -1;
    EXPECT_EQ(-1, m_service.OpenLocalFile(m_temp.File(L"missing.duz").c_str(), &kb, &length));
    struct Case {
        size_t length;
        int kb;
    } cases[] = {{0, 0}, {1023, 0}, {3000, 2}, {5120, 5}};
    for (const Case& c : cases) {
        const CString path = WriteFile((L"size" + std::to_wstring(c.length)).c_str(), Pattern(c.length));
        const int handle = m_service.OpenLocalFile(path, &kb, &length);
        ASSERT_NE(-1, handle);
        EXPECT_EQ(c.kb, kb);
        EXPECT_EQ(static_cast<int64_t>(c.length), length);
        m_service.Control(handle, REPLAY_KIND_LOCAL, REPLAY_CMD_STOP, 0);
    }
    // Closed sources let go of their files.
    EXPECT_TRUE(DeleteFileW(m_temp.File(L"size3000").c_str()));
}

TEST_F(LocalSourceTest, PumpsAFileWholeAndInOrderThroughRefusals) {
    const std::string content = Pattern(50000);
    m_sink.refuseEvery = 2;
    m_sink.recordOffers = true;
    const int handle = m_service.OpenLocalFile(WriteFile(L"whole.duz", content), nullptr);
    ASSERT_NE(-1, handle);
    ASSERT_TRUE(WaitFor([&] { return m_sink.Data(handle).size() >= content.size(); }));
    EXPECT_EQ(content, m_sink.Data(handle));
    const std::vector<CTestSink::Offer> offers = m_sink.Offers();
    int refused = 0;
    for (size_t i = 0; i + 1 < offers.size(); ++i) {
        if (offers[i].taken) continue;
        ++refused;
        EXPECT_EQ(offers[i].bytes, offers[i + 1].bytes) << "a refused block comes again";
    }
    EXPECT_GT(refused, 5);
    EXPECT_EQ(-1, m_service.PumpOnce()) << "a finished source is skipped until closed";
    m_service.Control(handle, REPLAY_KIND_LOCAL, REPLAY_CMD_STOP, 0);
}

TEST_F(LocalSourceTest, PausesSeeksAndStops) {
    const std::string content = Pattern(20000);
    m_sink.refuseAll = true;  // paused
    m_sink.recordOffers = true;
    const CString path = WriteFile(L"steer.duz", content);
    const int handle = m_service.OpenLocalFile(path, nullptr);
    ASSERT_NE(-1, handle);
    ASSERT_TRUE(WaitFor([&] { return m_sink.Offers().size() >= 3; }));
    for (const CTestSink::Offer& offer : m_sink.Offers()) EXPECT_EQ(content.substr(0, 4096), offer.bytes);

    EXPECT_EQ(0, m_service.Control(handle, REPLAY_KIND_LOCAL, REPLAY_CMD_SEEK_FILE, 3));
    m_sink.refuseAll = false;
    ASSERT_TRUE(WaitFor([&] { return m_sink.Data(handle).size() >= content.size() - 3072; }));
    EXPECT_EQ(content.substr(3072), m_sink.Data(handle));

    EXPECT_EQ(0, m_service.Control(handle, REPLAY_KIND_LOCAL, REPLAY_CMD_SEEK_FILE, 0));
    EXPECT_EQ(0, m_service.Control(handle, REPLAY_KIND_LOCAL, REPLAY_CMD_STOP, 0));
    const size_t offers = m_sink.Offers().size();
    EXPECT_EQ(-1, m_service.PumpOnce());
    EXPECT_EQ(offers, m_sink.Offers().size()) << "a stopped source is offered no more";
    EXPECT_TRUE(DeleteFileW(path)) << "and its file is closed";
    EXPECT_EQ(0, m_service.Control(handle, REPLAY_KIND_LOCAL, REPLAY_CMD_STOP, 0)) << "twice is harmless";
}

TEST_F(LocalSourceTest, SeeksPastFourGigabytesInALargeFile) {
    // A sparse file: 5 GB of hole, then a marked block.
    const uint64_t farOffset = 5ull * 1024 * 1024 * 1024;
    const std::string marker = Pattern(4096).replace(0, 8, "FAR-AWAY");
    const std::wstring path = m_temp.File(L"large.duz");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(farOffset);
    ASSERT_TRUE(SetFilePointerEx(file, at, nullptr, FILE_BEGIN));
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file, marker.data(), 4096, &written, nullptr));
    CloseHandle(file);

    m_sink.refuseAll = true;
    int kb = 0;
    int64_t length = 0;
    const int handle = m_service.OpenLocalFile(path.c_str(), &kb, &length);
    ASSERT_NE(-1, handle);
    EXPECT_EQ(static_cast<int64_t>(farOffset + 4096), length);
    EXPECT_EQ(static_cast<int>((farOffset + 4096) / 1024), kb);
    m_service.Control(handle, REPLAY_KIND_LOCAL, REPLAY_CMD_SEEK_FILE, static_cast<uint32_t>(farOffset / 1024));
    m_sink.refuseAll = false;
    ASSERT_TRUE(WaitFor([&] { return m_sink.Data(handle).size() >= 4096; }));
    EXPECT_EQ(marker, m_sink.Data(handle));
    m_service.Control(handle, REPLAY_KIND_LOCAL, REPLAY_CMD_STOP, 0);
}

}  // namespace
