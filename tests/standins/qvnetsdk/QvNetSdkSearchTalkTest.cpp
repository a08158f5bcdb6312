// The network SDK's device search and talk.
#include "QvNetSdkFixture.h"

namespace {

std::mutex g_searchMutex;
std::vector<DEVICE_SEARCH_RESULT> g_found;

void QVNET_CALL OnFound(const DEVICE_SEARCH_RESULT* data, QVNET_USER user) {
    std::lock_guard<std::mutex> lock(g_searchMutex);
    if (data && user == 42) g_found.push_back(*data);
}

TEST_F(QvNetSdkTest, SearchReportsEachAnsweringDeviceOnceAndStops) {
    auto recorder = Recorder();
    CSimSearchResponder responder(recorder->Device().SearchResult("127.0.0.1", recorder->Port()));
    ASSERT_TRUE(responder.Start("127.0.0.1", 0));
    // Probes go to the loopback responder only, never to a broadcast address.
    ASSERT_EQ(Sdk().TestSetSearchTarget("127.0.0.1", responder.Port()), 1);
    {
        std::lock_guard<std::mutex> lock(g_searchMutex);
        g_found.clear();
    }
    const int32_t handle = Sdk().StartDeviceSearch(OnFound, 42, 0);
    ASSERT_GT(handle, 0);
    ASSERT_TRUE(WaitFor([&] { return responder.ProbeCount() >= 2; }));
    EXPECT_EQ(Sdk().StopDeviceSearch(handle), 1);
    EXPECT_TRUE(WaitFor([] { return Threads() == 1; })) << "the search thread ends; only the timer is left";
    std::lock_guard<std::mutex> lock(g_searchMutex);
    ASSERT_EQ(g_found.size(), 1u) << "one report per device and search";
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&g_found[0]);
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 4), "127.0.0.1");
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(raw + 68), recorder->Port());
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 72), "255.255.255.0");
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 136), "127.0.0.1");
    EXPECT_STREQ(reinterpret_cast<const char*>(raw + 200), "02:51:56:00:00:01");
    EXPECT_EQ(Sdk().StopDeviceSearch(handle), 0);
}

TEST_F(QvNetSdkTest, SearchTargetComesFromTheEnvironmentAtInit) {
    auto recorder = Recorder();
    CSimSearchResponder responder(recorder->Device().SearchResult("127.0.0.1", recorder->Port()));
    ASSERT_TRUE(responder.Start("127.0.0.1", 0));
    char saved[64] = {};
    GetEnvironmentVariableA("QVNET_SEARCH_TARGET", saved, sizeof(saved));
    const std::string target = "127.0.0.1:" + std::to_string(responder.Port());
    SetEnvironmentVariableA("QVNET_SEARCH_TARGET", target.c_str());
    Sdk().Cleanup();
    ASSERT_EQ(Sdk().Init(OnDisconnect, 7), 1);
    SetEnvironmentVariableA("QVNET_SEARCH_TARGET", saved[0] ? saved : nullptr);
    {
        std::lock_guard<std::mutex> lock(g_searchMutex);
        g_found.clear();
    }
    const int32_t handle = Sdk().StartDeviceSearch(OnFound, 42, 0);
    ASSERT_GT(handle, 0);
    EXPECT_TRUE(WaitFor([&] {
        std::lock_guard<std::mutex> lock(g_searchMutex);
        return !g_found.empty();
    }));
    EXPECT_EQ(Sdk().StopDeviceSearch(handle), 1);
}

struct TalkLog {
    std::atomic<int> local{0};
    std::atomic<int> remote{0};
};

void QVNET_CALL OnTalk(int32_t talk, const char* buffer, int32_t length, uint8_t kind, QVNET_USER user) {
    TalkLog* log = reinterpret_cast<TalkLog*>(user);
    if (kind == 0) {
        ++log->local;
        Sdk().SendTalkAudio(talk, buffer, length);
    } else if (kind == 1) {
        ++log->remote;
        Sdk().PlayDeviceAudio(buffer, length);
    }
}

TEST_F(QvNetSdkTest, TalkSendsLocalAudioAndPassesTheDevicesAnswerBack) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    uint8_t format[76] = {2};
    ASSERT_EQ(Sdk().SetTalkEncoding(login, 2, format), 1);
    TalkLog log;
    const int32_t talk = Sdk().OpenTalk(login, OnTalk, reinterpret_cast<QVNET_USER>(&log));
    ASSERT_GT(talk, 0);
    Sdk().TestUseSyntheticAudio(1);
    ASSERT_EQ(Sdk().StartLocalAudio(), 1);
    EXPECT_TRUE(WaitFor([&] { return log.remote >= 3; }));
    EXPECT_EQ(Sdk().StopLocalAudio(), 1);
    EXPECT_EQ(Sdk().CloseTalk(talk), 1);
    EXPECT_EQ(Sdk().CloseTalk(talk), 0);
    Sdk().TestUseSyntheticAudio(0);
}

}  // namespace
