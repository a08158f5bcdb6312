// The network SDK's sessions: login, handles, errors, queries, the clock,
// disconnection, keep-alive, shutdown and working through a relay.
#include "QvNetSdkFixture.h"

namespace {

TEST_F(QvNetSdkTest, LoginReportsDeviceOrTheReason) {
    SimRecorderConfig config = Config();
    config.alarmInCount = 16;
    config.alarmOutCount = 3;
    config.deviceType = 20;
    auto recorder = Recorder(config);
    QVNET_DEVICE_INFO info;
    int32_t error = -1;
    const int32_t handle = Login(*recorder, "admin", "admin", &error, &info);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(error, 0);
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&info);
    EXPECT_EQ(raw[48], 16);
    EXPECT_EQ(raw[49], 3);
    EXPECT_EQ(raw[51], 20);
    EXPECT_EQ(raw[52], 4);

    struct Case {
        const char* user;
        const char* password;
        int refusal;
        int32_t expected;
    } cases[] = {
        {"admin", "wrong", 0, QVNET_LOGIN_WRONG_PASSWORD},
        {"nobody", "admin", 0, QVNET_LOGIN_WRONG_USER},
        {"admin", "admin", 5, QVNET_LOGIN_LOCKED},
        {"admin", "admin", 7, QVNET_LOGIN_BUSY},
    };
    for (const Case& c : cases) {
        recorder->Faults().loginRefusal = c.refusal;
        error = -1;
        EXPECT_EQ(Login(*recorder, c.user, c.password, &error), 0) << c.user << "/" << c.password;
        EXPECT_EQ(error, c.expected) << c.user << "/" << c.password;
        EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_LOGIN);
    }

    EXPECT_EQ(Sdk().LogoutDevice(handle), 1);
    // Nothing listens on a port the recorder gave up.
    const uint16_t port = recorder->Port();
    recorder->Stop();
    error = -1;
    EXPECT_EQ(Sdk().LoginDevice("127.0.0.1", port, "admin", "admin", 0, 0, &info, &error), 0);
    EXPECT_EQ(error, QVNET_LOGIN_TIMEOUT);
    EXPECT_TRUE(Disconnects().empty()) << "a logout is not a disconnection";
}

TEST_F(QvNetSdkTest, HandlesComeFromOneCounterAndAreNeverReused) {
    auto recorder = Recorder();
    int32_t last = 0;
    for (int i = 0; i < 5; ++i) {
        const int32_t handle = Login(*recorder);
        ASSERT_GT(handle, last);
        EXPECT_LT(handle, 0x10000) << "small numbers, never heap addresses";
        EXPECT_EQ(Sdk().LogoutDevice(handle), 1);
        EXPECT_EQ(Sdk().LogoutDevice(handle), 0);
        EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_INVALID_HANDLE);
        last = handle;
    }
}

TEST_F(QvNetSdkTest, LastErrorBelongsToTheCallingThread) {
    EXPECT_EQ(Sdk().LogoutDevice(999999), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_INVALID_HANDLE);
    uint32_t other = 1;
    std::thread([&] {
        QVNET_NET_PARAMS params = {};
        Sdk().SetNetworkParams(&params);
        other = Sdk().LastErrorCode();
    }).join();
    EXPECT_EQ(other, QVNET_ERR_NONE);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_INVALID_HANDLE);
}

TEST_F(QvNetSdkTest, DeviceQueriesFillTheCallersBuffers) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    ASSERT_GT(login, 0);

    std::vector<char> names(8192, 0);
    int32_t count = 0;
    ASSERT_EQ(Sdk().ReadChannelNames(login, names.data(), 8192, &count, 1000), 1);
    EXPECT_EQ(count, 4);
    EXPECT_STREQ(&names[0], "Gate");
    EXPECT_STREQ(&names[32], "Yard");
    EXPECT_STREQ(&names[64], "CAM 3");

    struct Block {
        int32_t type;
        int32_t size;
    } blocks[] = {{17, 280}, {9, 4932}, {4, 3076}, {8, 4}};
    for (const Block& b : blocks) {
        std::vector<uint8_t> buffer(b.size, 0xEE);
        int32_t length = 0;
        ASSERT_EQ(Sdk().ReadDeviceConfig(login, b.type, buffer.data(), b.size, &length, 1000), 1) << b.type;
        EXPECT_EQ(length, b.size) << b.type;
    }
    uint8_t small[8];
    int32_t length = 0;
    EXPECT_EQ(Sdk().ReadDeviceConfig(login, 17, small, sizeof(small), &length, 1000), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_BUFFER_SMALL);
    EXPECT_EQ(Sdk().ReadDeviceConfig(login, 10, small, sizeof(small), &length, 1000), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_UNSUPPORTED);

    int32_t status[3] = {};
    ASSERT_EQ(Sdk().ReadDeviceStatus(login, 257, reinterpret_cast<char*>(status), 12, &length, 1000), 1);
    EXPECT_EQ(length, 12);
    std::vector<uint8_t> plan(4 * 1184);
    ASSERT_EQ(Sdk().ReadChannelConfig(login, 5, -1, plan.data(), static_cast<int32_t>(plan.size()), &length, 500), 1);
    EXPECT_EQ(length, 4 * 1184);
    EXPECT_EQ(qvwire::ReadLe32(&plan[4]), 4u) << "Sunday's first section records";
    char states[256];
    ASSERT_EQ(Sdk().ReadRecordStates(login, states, 256, &length, 3000), 1);
    EXPECT_EQ(length, 256);

    // Names written to the device are what it reports afterwards.
    std::vector<char> written(8192, 0);
    std::strcpy(&written[32], "Dock");
    ASSERT_EQ(Sdk().WriteChannelNames(login, written.data(), 4096), 1);
    EXPECT_EQ(recorder->Device().ChannelName(1), "Dock");
}

TEST_F(QvNetSdkTest, ClockReadsAndWritesThroughTheDevice) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    QVNET_TIME before;
    ASSERT_EQ(Sdk().ReadDeviceClock(login, &before, 1000), 1);
    ASSERT_TRUE(qvwire::IsValidTime(before));
    const QVNET_TIME wanted = qvwire::SecondsToTime(qvwire::TimeToSeconds(before) - 3600);
    ASSERT_EQ(Sdk().WriteDeviceClock(login, &wanted), 1);
    QVNET_TIME after;
    ASSERT_EQ(Sdk().ReadDeviceClock(login, &after, 1000), 1);
    const int64_t drift = qvwire::TimeToSeconds(after) - qvwire::TimeToSeconds(wanted);
    EXPECT_GE(drift, 0);
    EXPECT_LE(drift, 5);
    const QVNET_TIME bad = {2026, 2, 30, 0, 0, 0};
    EXPECT_EQ(Sdk().WriteDeviceClock(login, &bad), 0);
}

TEST_F(QvNetSdkTest, RecorderGoingOfflineIsOneDisconnection) {
    auto recorder = Recorder();
    const int32_t first = Login(*recorder);
    const int32_t second = Login(*recorder);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    ASSERT_EQ(Sdk().LogoutDevice(second), 1);
    recorder->GoOffline();
    ASSERT_TRUE(WaitFor([] { return !Disconnects().empty(); }));
    ASSERT_TRUE(recorder->GoOnline());
    const int32_t again = Login(*recorder);
    EXPECT_GT(again, first);
    EXPECT_EQ(Disconnects(), std::vector<int32_t>{first});
}

TEST_F(QvNetSdkTest, KeepAliveHoldsQuietSessionsAndAHungDeviceIsDropped) {
    QVNET_NET_PARAMS params = {};
    params.keepAliveMs = 100;
    params.loginWaitMs = 300;
    Sdk().SetNetworkParams(&params);
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    ASSERT_GT(login, 0);
    ASSERT_TRUE(WaitFor([&] { return recorder->Device().KeepAliveCount() >= 5; }));
    EXPECT_TRUE(Disconnects().empty()) << "answered keep-alives keep the session";

    recorder->Faults().mute = true;
    ASSERT_TRUE(WaitFor([] { return !Disconnects().empty(); }));
    EXPECT_EQ(Disconnects(), std::vector<int32_t>{login});
    int32_t error = -1;
    EXPECT_EQ(Login(*recorder, "admin", "admin", &error), 0);
    EXPECT_EQ(error, QVNET_LOGIN_TIMEOUT) << "a login nobody answers";
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_TIMEOUT);
}

TEST_F(QvNetSdkTest, LogoutUnderTheProgramsLockWhileItsDisconnectCallbackWaitsForIt) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    {
        std::lock_guard<std::mutex> hold(g_programLock);
        recorder->GoOffline();
        ASSERT_TRUE(WaitFor([] { return g_inDisconnect > 0; }));
        EXPECT_EQ(Sdk().LogoutDevice(login), 1);
        EXPECT_EQ(Sdk().Cleanup(), 1) << "clean-up does not wait for a thread inside a callback";
    }
    ASSERT_TRUE(WaitFor([] { return Threads() == 0; }));
    EXPECT_EQ(Disconnects(), std::vector<int32_t>{login});
}

TEST_F(QvNetSdkTest, RestartCommandEndsTheSessionWithoutADisconnectReport) {
    auto recorder = Recorder();
    const int32_t login = Login(*recorder);
    ASSERT_EQ(Sdk().DeviceControlA(login), 1);
    ASSERT_TRUE(WaitFor([&] {
        char states[256];
        int32_t length = 0;
        return Sdk().ReadRecordStates(login, states, 256, &length, 1000) == 0;
    }));
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NETWORK);
    EXPECT_TRUE(WaitFor([&] { return Login(*recorder) > 0; })) << "back on line after the restart";
    EXPECT_TRUE(Disconnects().empty());
}

TEST_F(QvNetSdkTest, CleanupWithTransfersRunningEndsEverythingAndLaterCallsFail) {
    auto recorder = Recorder();
    recorder->Faults().slowMsPerBlock = 30;
    const int32_t login = Login(*recorder);
    std::vector<RECORD_FILE_DESC> files = Find(login, 1, At(12, 0), At(12, 15), 100);
    ASSERT_EQ(files.size(), 3u);
    Progress progress[3];
    ASSERT_TRUE(FetchEach(login, files, L"c", progress));
    ASSERT_TRUE(WaitFor([&] { return progress[2].Count() > 0; }));
    EXPECT_EQ(Sdk().Cleanup(), 1);
    QVNET_TEST_COUNTERS counters;
    ASSERT_EQ(Sdk().TestGetCounters(&counters), 1);
    EXPECT_EQ(counters.threads, 0);
    EXPECT_EQ(counters.sessions, 0);
    EXPECT_EQ(counters.objects, 0);
    EXPECT_EQ(Sdk().Cleanup(), 1) << "a second clean-up is harmless";
    int32_t error = 0;
    QVNET_DEVICE_INFO info;
    EXPECT_EQ(Sdk().LoginDevice("127.0.0.1", recorder->Port(), "admin", "admin", 0, 0, &info, &error), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NOT_INIT);
    EXPECT_EQ(Find(login, 1, At(12, 0), At(12, 15), 100).size(), 0u);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NOT_INIT);
    EXPECT_EQ(Sdk().StopFetch(1), 0);
    EXPECT_TRUE(Disconnects().empty());
    EXPECT_TRUE(WaitFor([&] { return recorder->ConnectionCount() == 0; }));
}

TEST_F(QvNetSdkTest, DynamicDnsLookupGivesTheAddressToLogInTo) {
    auto recorder = Recorder();
    CSimDdnsResponder ddns;
    ddns.SetEntry("shop-front", "127.0.0.1");
    ASSERT_TRUE(ddns.Start("127.0.0.1", 0));
    std::vector<char> ip(300, 'x');
    ASSERT_EQ(Sdk().ResolveViaDdns("127.0.0.1", ddns.Port(), "shop-front", 10, nullptr, 0, ip.data()), 1);
    EXPECT_STREQ(ip.data(), "127.0.0.1");
    int32_t error = -1;
    QVNET_DEVICE_INFO info;
    const int32_t login = Sdk().LoginDevice(ip.data(), recorder->Port(), "admin", "admin", 0, 0, &info, &error);
    EXPECT_GT(login, 0);
    EXPECT_EQ(Sdk().ResolveViaDdns("127.0.0.1", ddns.Port(), "unknown", 7, nullptr, 0, ip.data()), 0);
    EXPECT_EQ(Sdk().LastErrorCode(), QVNET_ERR_NO_FILE);

    // An answer longer than 256 characters is cut to 256 and terminated.
    ddns.SetEntry("long", std::string(400, '7'));
    std::vector<char> out(300, 'x');
    ASSERT_EQ(Sdk().ResolveViaDdns("127.0.0.1", ddns.Port(), "long", 4, nullptr, 0, out.data()), 1);
    EXPECT_EQ(std::strlen(out.data()), 256u);
    EXPECT_EQ(out[257], 'x');
}

// Stands where a registration relay stands: logs in to the device once,
// answers SDK logins from that stored reply (channel count rewritten at byte
// 10, the client's id at bytes 16..19), answers keep-alives itself at once,
// and passes everything else through unchanged in both directions.
class LoopbackRelay {
public:
    explicit LoopbackRelay(uint16_t devicePort) : m_devicePort(devicePort) {}
    ~LoopbackRelay() {
        m_stop = true;
        for (auto& t : m_threads) t.join();
        if (m_listener != INVALID_SOCKET) closesocket(m_listener);
        if (m_device != INVALID_SOCKET) closesocket(m_device);
        qvsock::Cleanup();
    }

    bool Start(uint8_t reportedChannels) {
        qvsock::Startup();
        m_device = qvsock::Connect("127.0.0.1", m_devicePort, 2000);
        if (m_device == INVALID_SOCKET || !qvsock::SendAll(m_device, qvwire::BuildLoginRequest("admin", "admin")) ||
            !qvsock::ReceiveCommand(m_device, qvwire::kCmdLoginReply, 2000, m_loginReply)) {
            return false;
        }
        m_loginReply[10] = reportedChannels;
        m_listener = qvsock::Listen("127.0.0.1", 0, m_port);
        if (m_listener == INVALID_SOCKET) return false;
        m_threads.emplace_back([this] { AcceptOne(); });
        return true;
    }
    uint16_t Port() const { return m_port; }
    int KeepAlivesAnswered() const { return m_keepAlives; }

private:
    void AcceptOne() {
        while (!m_stop && !qvsock::WaitReadable(m_listener, 50)) {}
        if (m_stop) return;
        SOCKET client = accept(m_listener, nullptr, nullptr);
        m_threads.emplace_back([this, client] { DeviceToClient(client); });
        CPacketFramer framer;
        std::vector<uint8_t> packet;
        while (qvsock::ReceivePacket(client, framer, packet, m_stop)) {
            std::lock_guard<std::mutex> lock(m_sendMutex);
            if (packet[0] == qvwire::kCmdLogin) {
                std::vector<uint8_t> reply = m_loginReply;
                qvwire::WriteLe32(&reply[16], 0x4242);
                qvsock::SendAll(client, reply);
            } else if (packet[0] == qvwire::kCmdKeepAlive) {
                ++m_keepAlives;
                qvsock::SendAll(client, qvwire::BuildKeepAlive(qvwire::kCmdKeepAliveReply));
            } else {
                qvsock::SendAll(m_device, packet);
            }
        }
        shutdown(client, SD_BOTH);
    }
    void DeviceToClient(SOCKET client) {
        CPacketFramer framer;
        std::vector<uint8_t> packet;
        while (qvsock::ReceivePacket(m_device, framer, packet, m_stop)) {
            std::lock_guard<std::mutex> lock(m_sendMutex);
            if (!qvsock::SendAll(client, packet)) break;
        }
        closesocket(client);
    }

    const uint16_t m_devicePort;
    SOCKET m_device = INVALID_SOCKET;
    SOCKET m_listener = INVALID_SOCKET;
    uint16_t m_port = 0;
    std::vector<uint8_t> m_loginReply;
    std::vector<std::thread> m_threads;
    std::mutex m_sendMutex;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_keepAlives{0};
};

TEST_F(QvNetSdkTest, WorksThroughARelayThatAnswersLoginAndKeepAliveItself) {
    QVNET_NET_PARAMS params = {};
    // Keep-alive answers overtake device replies; a period long enough that a
    // busy machine never leaves the session silent for 4.5 of them.
    params.keepAliveMs = 150;
    Sdk().SetNetworkParams(&params);
    auto recorder = Recorder();
    recorder->Faults().slowMsPerBlock = 60;  // a download long enough for keep-alives
    LoopbackRelay relay(recorder->Port());
    ASSERT_TRUE(relay.Start(6));
    int32_t error = -1;
    QVNET_DEVICE_INFO info;
    const int32_t login = Sdk().LoginDevice("127.0.0.1", relay.Port(), "any", "thing", 2, 0, &info, &error);
    ASSERT_GT(login, 0) << "the relay answers from its stored login";
    EXPECT_EQ(info.channelCount, 6) << "byte 10 as the relay rewrote it";

    std::vector<RECORD_FILE_DESC> files = Find(login, 1, At(14, 0), At(14, 30), 100);
    ASSERT_EQ(files.size(), 6u);
    Progress progress;
    const int32_t handle = FetchWhole(login, files[2], L"relayed.duz", progress);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(ReadFileBytes(progress.path), Expected(1, At(14, 10), At(14, 15)));
    EXPECT_GT(relay.KeepAlivesAnswered(), 0);
    EXPECT_EQ(Sdk().StopFetch(handle), 1);
    EXPECT_TRUE(Disconnects().empty());
    EXPECT_EQ(Sdk().LogoutDevice(login), 1);
}

}  // namespace
