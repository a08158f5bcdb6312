// The network SDK's record queries and downloads: by file and by time, the
// failures a caller retries, replay and stopping.
#include "QvNetSdkFixture.h"

namespace {

TEST_F(QvNetSdkTest, RecordQueryPagesOverMoreThanAHundredFiles) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    // Paging as the scheduler does it: 100 a page, next begin = last end + 1 s.
    QVNET_TIME begin = At(0, 0);
    const QVNET_TIME end = At(23, 59);
    std::vector<RECORD_FILE_DESC> all;
    for (int page = 0; page < 10; ++page) {
        std::vector<RECORD_FILE_DESC> files = Find(login, 2, begin, end, 100);
        all.insert(all.end(), files.begin(), files.end());
        if (files.size() < 100) break;
        begin = qvwire::SecondsToTime(qvwire::TimeToSeconds(files.back().end) + 1);
    }
    ASSERT_EQ(all.size(), 288u);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].channel, 2u);
        EXPECT_EQ(qvwire::TimeToSeconds(all[i].start), qvwire::TimeToSeconds(At(0, 0)) + 300 * static_cast<int64_t>(i));
        EXPECT_EQ(all[i].recordType, 0);
        EXPECT_GT(all[i].sizeKB, 0u);
    }
    // A buffer larger than one answer is filled by several requests.
    EXPECT_EQ(Find(login, 0, At(0, 0), end, 300).size(), 288u);
    // A window with nothing recorded: success with no files.
    int32_t result = 0;
    EXPECT_TRUE(Find(login, 1, At(0, 0, 0), At(0, 0, 0), 100, &result).empty());
    EXPECT_EQ(result, 1);
    const QVNET_TIME nextDay = {2026, 3, 3, 0, 0, 0}, nextDayEnd = {2026, 3, 3, 23, 0, 0};
    EXPECT_TRUE(Find(login, 1, nextDay, nextDayEnd, 100, &result).empty());
    EXPECT_EQ(result, 1);
}

TEST_F(QvNetSdkTest, DownloadByFileWritesTheExactBytesAndClosesBeforeTheLastReport) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 1, At(10, 0), At(10, 10), 100);
    ASSERT_EQ(files.size(), 2u);
    Progress progress;
    const int32_t handle = FetchWhole(login, files[0], L"a.duz", progress);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(progress.Last().first, files[0].sizeKB);
    EXPECT_EQ(progress.Last().second, files[0].sizeKB);
    EXPECT_TRUE(progress.fileClosedAtEnd);
    {
        std::lock_guard<std::mutex> lock(progress.mutex);
        for (size_t i = 0; i + 1 < progress.calls.size(); ++i) {
            EXPECT_LT(progress.calls[i].second, progress.calls[i].first) << "done reaches total only at the end";
        }
    }
    EXPECT_EQ(ReadFileBytes(progress.path), Expected(1, At(10, 0), At(10, 5)));
    EXPECT_EQ(Sdk().StopFetch(handle), 1);
    EXPECT_TRUE(WaitFor([&] { return recorder->Device().OpenTransfers() == 0; }));
}

TEST_F(QvNetSdkTest, DownloadByTimeSpansFilesAndEndsWithMinusOne) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    Progress progress;
    progress.path = Narrow(m_temp.File(L"range.duz"));
    const QVNET_TIME start = At(8, 3, 30), end = At(8, 12, 10);
    const int32_t handle = Sdk().FetchTimeRange(login, 3, 0, &start, &end, progress.path.c_str(), OnTimePos,
                                                reinterpret_cast<QVNET_USER>(&progress));
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(WaitFor([&] { return progress.Last().second == 0xFFFFFFFFu; }));
    EXPECT_TRUE(progress.fileClosedAtEnd);
    const std::string expected = Expected(3, start, end);
    EXPECT_EQ(progress.Last().first, (expected.size() + 1023) / 1024);
    EXPECT_EQ(ReadFileBytes(progress.path), expected);
    EXPECT_EQ(Sdk().StopFetch(handle), 1);

    // A range with no recording at all is refused.
    const QVNET_TIME emptyStart = {2026, 3, 5, 1, 0, 0}, emptyEnd = {2026, 3, 5, 2, 0, 0};
    EXPECT_EQ(Sdk().FetchTimeRange(login, 3, 0, &emptyStart, &emptyEnd, progress.path.c_str(), OnTimePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NO_FILE);
}

TEST_F(QvNetSdkTest, BusyAndUnknownFileAreReportedAsTheCallerRetriesThem) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 0, At(1, 0), At(1, 5), 100);
    ASSERT_EQ(files.size(), 1u);
    const std::string path = Narrow(m_temp.File(L"busy.duz"));

    recorder->Faults().busy = true;
    EXPECT_EQ(Sdk().FetchRecordFile(login, &files[0], path.c_str(), OnFilePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_DEVICE_BUSY);
    int32_t result = 1;
    Find(login, 0, At(1, 0), At(1, 5), 100, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_DEVICE_BUSY);
    recorder->Faults().busy = false;

    recorder->Faults().unknownFiles = true;
    EXPECT_EQ(Sdk().FetchRecordFile(login, &files[0], path.c_str(), OnFilePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NO_FILE);
    recorder->Faults().unknownFiles = false;

    RECORD_FILE_DESC invented = files[0];
    invented.start.second = 17;
    EXPECT_EQ(Sdk().FetchRecordFile(login, &invented, path.c_str(), OnFilePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NO_FILE);

    const std::string noFolder = Narrow(m_temp.File(L"missing\\x.duz"));
    EXPECT_EQ(Sdk().FetchRecordFile(login, &files[0], noFolder.c_str(), OnFilePos, 0), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_LOCAL_FILE);
    EXPECT_TRUE(WaitFor([&] { return recorder->Device().OpenTransfers() == 0; }));
    EXPECT_TRUE(Disconnects().empty()) << "refused starts keep the session";
}

TEST_F(QvNetSdkTest, DropMidDownloadIsReportedOnceThroughTheDisconnectCallback) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 0, At(2, 0), At(2, 5), 100);
    ASSERT_EQ(files.size(), 1u);
    recorder->Faults().dropAfterBytes = 100000;
    Progress progress;
    const int32_t handle = FetchInto(login, files[0], L"drop.duz", progress);
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(WaitFor([] { return !Disconnects().empty(); }));
    EXPECT_EQ(Disconnects(), std::vector<int32_t>{login});
    EXPECT_LT(progress.Last().second, files[0].sizeKB) << "never reported complete";
    char states[256];
    int32_t length = 0;
    EXPECT_EQ(Sdk().ReadRecordStates(login, states, 256, &length, 1000), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NETWORK);
    EXPECT_EQ(Sdk().StopFetch(handle), 1);
    EXPECT_EQ(Sdk().LogoutDevice(login), 1);
    EXPECT_TRUE(DeleteFileA(progress.path.c_str())) << "the partial file is closed";
    EXPECT_EQ(Disconnects().size(), 1u);
}

// SDK events as (type, handle).
struct Events {
    std::mutex mutex;
    std::vector<std::pair<int32_t, int32_t>> seen;
    bool Has(int32_t type, int32_t handle) {
        std::lock_guard<std::mutex> lock(mutex);
        return std::find(seen.begin(), seen.end(), std::make_pair(type, handle)) != seen.end();
    }
};

void QVNET_CALL OnEvent(int32_t type, int32_t, int32_t handle, int32_t, QVNET_USER user) {
    Events* events = reinterpret_cast<Events*>(user);
    std::lock_guard<std::mutex> lock(events->mutex);
    events->seen.push_back({type, handle});
}

// The file writes of downloads fail past a size (a full disk) while alive.
struct FullDisk {
    explicit FullDisk(int32_t keptKB) { Sdk().TestFailFileWrites(keptKB); }
    ~FullDisk() { Sdk().TestFailFileWrites(-1); }
};

TEST_F(QvNetSdkTest, FailedFileWriteEndsTheDownloadLikeABrokenTransfer) {
    // Writes reach the disk up to a megabyte at a time: the first case fails
    // on the last write, the second after a first one went through.
    struct Case {
        QVNET_TIME end;
        int32_t keptKB;
        bool someStored;
    };
    const Case cases[] = {{At(10, 5), 0, false}, {At(11, 0), 1500, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keptKB);
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            g_disconnects.clear();
        }
        auto recorder = Recorder();
        const int32_t login = Login(*recorder);
        Events events;
        Sdk().SetEventCallback(OnEvent, reinterpret_cast<QVNET_USER>(&events));
        FullDisk full(c.keptKB);
        Progress progress;
        progress.path = Narrow(m_temp.File(L"full.duz"));
        const QVNET_TIME start = At(10, 0);
        const int32_t handle = Sdk().FetchTimeRange(login, 1, 0, &start, &c.end, progress.path.c_str(), OnTimePos,
                                                    reinterpret_cast<QVNET_USER>(&progress));
        ASSERT_GT(handle, 0);
        ASSERT_TRUE(WaitFor([&] { return events.Has(QVNET_EVENT_FETCH_FAILED, handle); }));
        const std::pair<uint32_t, uint32_t> last = progress.Last();
        const size_t stored = ReadFileBytes(progress.path).size();
        EXPECT_EQ(last.second, stored / 1024) << "the last report is where the file ends";
        EXPECT_LT(last.second, last.first);
        EXPECT_LE(stored, c.keptKB * 1024u);
        EXPECT_EQ(stored > 0, c.someStored);
        ASSERT_TRUE(WaitFor([] { return !Disconnects().empty(); }));
        EXPECT_EQ(Disconnects(), std::vector<int32_t>{login}) << "the caller's device-gone path runs";
        EXPECT_EQ(Sdk().StopFetch(handle), 1);
        EXPECT_TRUE(DeleteFileA(progress.path.c_str())) << "the file is closed";
        Sdk().SetEventCallback(nullptr, 0);
    }
}

TEST_F(QvNetSdkTest, ReplayOffersRefusedBlocksAgain) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 2, At(4, 0), At(4, 5), 100);
    ASSERT_EQ(files.size(), 1u);
    Sink sink;
    Progress progress;
    const int32_t handle =
        Sdk().ReplayRecordFile(login, &files[0], nullptr, OnFilePos, reinterpret_cast<QVNET_USER>(&progress), OnData,
                               reinterpret_cast<QVNET_USER>(&sink));
    ASSERT_GT(handle, 0);
    const std::string expected = Expected(2, At(4, 0), At(4, 5));
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> lock(sink.mutex);
        return sink.bytes.size() >= expected.size();
    }));
    ASSERT_TRUE(WaitFor([&] { return progress.Last().second == files[0].sizeKB; }));
    {
        std::lock_guard<std::mutex> lock(sink.mutex);
        EXPECT_GT(sink.refused, 0);
        EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()), expected);
    }
    // A seek plays again from a frame start.
    ASSERT_EQ(Sdk().SeekReplay(handle, 0xFFFFFFFFu, 10), 1);
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> lock(sink.mutex);
        return sink.bytes.size() > expected.size();
    }));
    {
        std::lock_guard<std::mutex> lock(sink.mutex);
        const size_t frame = 24 + 32 * 24;
        const size_t resumed = 32 + (10 * 1024 - 32) / frame * frame;
        EXPECT_EQ(std::memcmp(&sink.bytes[expected.size()], &expected[resumed], 4), 0);
    }
    EXPECT_EQ(Sdk().StopReplay(handle), 1);
    EXPECT_EQ(Sdk().StopReplay(handle), 0);
}

// A caller that holds its own lock across StopFetch while its progress
// callback waits for the same lock.
struct LockingCaller {
    std::mutex lock;
    Progress progress;
    std::atomic<int> inCallback{0};
};

void QVNET_CALL OnLockingPos(int32_t, uint32_t total, uint32_t done, QVNET_USER user) {
    LockingCaller* caller = reinterpret_cast<LockingCaller*>(user);
    ++caller->inCallback;
    std::lock_guard<std::mutex> lock(caller->lock);
    caller->progress.Add(total, done);
    --caller->inCallback;
}

TEST_F(QvNetSdkTest, StopUnderTheCallersLockNeitherDeadlocksNorCallsBackLater) {
    SimRecorderConfig config = Config();
    auto recorder = Recorder(config);
    recorder->Faults().slowMsPerBlock = 20;
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 0, At(6, 0), At(6, 5), 100);
    ASSERT_EQ(files.size(), 1u);
    LockingCaller caller;
    const std::string path = Narrow(m_temp.File(L"stop.duz"));
    const int32_t handle =
        Sdk().FetchRecordFile(login, &files[0], path.c_str(), OnLockingPos, reinterpret_cast<QVNET_USER>(&caller));
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(WaitFor([&] { return caller.progress.Count() > 0; }));
    {
        std::lock_guard<std::mutex> hold(caller.lock);
        ASSERT_TRUE(WaitFor([&] { return caller.inCallback > 0; })) << "a callback now waits for our lock";
        EXPECT_EQ(Sdk().StopFetch(handle), 1);
        EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file is closed when the stop returns";
        caller.progress.stopped = true;
    }
    // Once the transfer's thread has left it, only the timer and the session's
    // reader remain; the callback that was already under way was the last.
    EXPECT_TRUE(WaitFor([] { return Threads() == 2; }));
    EXPECT_EQ(caller.progress.afterStop, 1) << "only the callback already under way finished";
}

TEST_F(QvNetSdkTest, ChannelFileJobRunsUntilStopped) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    const int32_t job = Sdk().StartChannelFileJob(login, 1, "job.qvs", 1, 0);
    ASSERT_GT(job, 0);
    EXPECT_EQ(Sdk().QueryChannelFileJob(job), 1);
    EXPECT_EQ(Sdk().StopChannelFileJob(job), 1);
    EXPECT_EQ(Sdk().QueryChannelFileJob(job), 0);
    EXPECT_EQ(Sdk().StartChannelFileJob(login, 9, "job.qvs", 1, 0), 0) << "no such channel";
}

}  // namespace
