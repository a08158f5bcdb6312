// The SDK keeps a thread whose transfer has ended waiting for the next one:
// downloads one after another share it, a stopped or broken transfer hands
// it back, and clean-up ends every waiting thread.
#include "QvNetSdkFixture.h"

namespace {

QVNET_TEST_COUNTERS Counters() {
    QVNET_TEST_COUNTERS counters = {};
    Sdk().TestGetCounters(&counters);
    return counters;
}

// Only the timer and the session's reader are at work, and a thread waits.
bool TransferThreadWaits() {
    const QVNET_TEST_COUNTERS counters = Counters();
    return counters.threads == 2 && counters.idleThreads >= 1;
}

}  // namespace

TEST_F(QvNetSdkTest, DownloadsOneAfterAnotherShareOneThread) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 1, At(10, 0), At(10, 30), 100);
    ASSERT_EQ(files.size(), 6u);
    int32_t startedAfterFirst = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        Progress progress;
        const int32_t handle = FetchWhole(login, files[i], (L"seq" + std::to_wstring(i) + L".duz").c_str(), progress);
        ASSERT_GT(handle, 0);
        EXPECT_TRUE(progress.fileClosedAtEnd);
        EXPECT_EQ(ReadFileBytes(progress.path), Expected(1, files[i].start, files[i].end)) << "file " << i;
        EXPECT_EQ(Sdk().StopFetch(handle), 1);
        ASSERT_TRUE(WaitFor(TransferThreadWaits)) << "file " << i;
        if (i == 0) startedAfterFirst = Counters().threadsStarted;
    }
    EXPECT_EQ(Counters().threadsStarted, startedAfterFirst) << "every later download ran on the waiting thread";
    EXPECT_TRUE(WaitFor([&] { return recorder->Device().OpenTransfers() == 0; }));
}

TEST_F(QvNetSdkTest, StoppedTransferHandsItsThreadToTheNextDownload) {
    auto recorder = Recorder();
    recorder->Faults().slowMsPerBlock = 30;
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 0, At(6, 0), At(6, 10), 100);
    ASSERT_EQ(files.size(), 2u);
    Progress stopped;
    const int32_t first = FetchInto(login, files[0], L"stopped.duz", stopped);
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitFor([&] { return stopped.Count() > 0; }));
    EXPECT_EQ(Sdk().StopFetch(first), 1);
    stopped.stopped = true;
    ASSERT_TRUE(WaitFor(TransferThreadWaits)) << "the stopped transfer's thread waits instead of ending";
    const int32_t started = Counters().threadsStarted;
    const size_t reportsAtStop = stopped.Count();

    recorder->Faults().slowMsPerBlock = 0;
    Progress next;
    const int32_t second = FetchWhole(login, files[1], L"next.duz", next);
    ASSERT_GT(second, 0);
    EXPECT_EQ(ReadFileBytes(next.path), Expected(0, files[1].start, files[1].end));
    EXPECT_EQ(Counters().threadsStarted, started) << "the next download ran on the stopped one's thread";
    EXPECT_LE(stopped.Count(), reportsAtStop + 1) << "the stopped download reports nothing more";
    EXPECT_EQ(Sdk().StopFetch(second), 1);
}

TEST_F(QvNetSdkTest, LogoutEndsTransfersAndCleanupEndsWaitingThreads) {
    auto recorder = Recorder();
    recorder->Faults().slowMsPerBlock = 300;  // the transfers still run at the logout
    int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 1, At(12, 0), At(12, 15), 100);
    ASSERT_EQ(files.size(), 3u);
    Progress progress[3];
    ASSERT_TRUE(FetchEach(login, files, L"lo", progress));
    // The device answers in request order: the first file's first block.
    ASSERT_TRUE(WaitFor([&] { return progress[0].Count() > 0; }));
    EXPECT_EQ(Sdk().LogoutDevice(login), 1);
    // The transfers end with their session; their threads and the reader's wait.
    ASSERT_TRUE(WaitFor([] { return Counters().threads == 1 && Counters().idleThreads >= 4; }))
        << "at work " << Counters().threads << ", waiting " << Counters().idleThreads;

    EXPECT_EQ(Sdk().Cleanup(), 1);
    QVNET_TEST_COUNTERS counters = Counters();
    EXPECT_EQ(counters.threads, 0);
    EXPECT_EQ(counters.idleThreads, 0) << "clean-up ends the waiting threads";

    // A later initialisation starts threads afresh and downloads as before.
    ASSERT_EQ(Sdk().Init(OnDisconnect, 7), 1);
    QVNET_NET_PARAMS params = SdkTestNetworkParams();
    Sdk().SetNetworkParams(&params);
    recorder->Faults().slowMsPerBlock = 0;
    login = Login(*recorder);
    ASSERT_GT(login, 0);
    Progress again;
    ASSERT_GT(FetchWhole(login, files[0], L"again.duz", again), 0);
    EXPECT_EQ(ReadFileBytes(again.path), Expected(1, files[0].start, files[0].end));
}
