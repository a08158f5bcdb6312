// Portmoor through its exports (linked by its import library, as the
// program links it) with the stand-in plug-ins it loads from its own
// folder, a device double and SDK clients on 127.0.0.1.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "proxy/Portmoor.h"
#include "tests/proxy/support/CTestDevice.h"
#include "tests/proxy/support/ProxyFixture.h"
#include "tests/proxy/support/SdkTestClient.h"
#include "tests/support/WaitFor.h"

namespace {

int ErrorOnOtherThread() {
    int code = -1;
    std::thread([&] { code = PROXY_GetLastError(); }).join();
    return code;
}

int OpenPluginDevices(const char* plugin, const char* function) {
    HMODULE module = GetModuleHandleA(plugin);
    auto count = module ? reinterpret_cast<int(__stdcall*)()>(GetProcAddress(module, function)) : nullptr;
    return count ? count() : -1;
}

class Portmoor : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureWinsock();
        ASSERT_TRUE(PROXY_Init());
        ASSERT_TRUE(m_device.Start());
    }
    void TearDown() override { EXPECT_TRUE(PROXY_Cleanup()); }

    CTestDevice m_device{"admin", "pw", 6};
};

TEST(PortmoorLifecycle, StartsAreCountedAndUnbalancedCleanupIsHarmless) {
    EXPECT_EQ(PROXY_SDK_VERSION, PROXY_GetSDKVersion());
    EXPECT_TRUE(PROXY_Cleanup()) << "nothing started: nothing to do";
    ASSERT_TRUE(PROXY_Init());
    ASSERT_TRUE(PROXY_Init());
    EXPECT_TRUE(PROXY_Cleanup());
    CTestDevice device("admin", "pw", 4);
    ASSERT_TRUE(device.Start());
    PROXY_DEVICE_INFO info = DirectDevice(device.Port(), FreeLocalPort());
    HANDLE handle = PROXY_AddDevice(PROXY_DEVICE_STANDARD, &info);
    ASSERT_TRUE(handle) << "still running after one of two cleanups";
    EXPECT_EQ(1, OpenPluginDevices("Veddix.dll", "STDDVR_OpenCount"));
    EXPECT_TRUE(PROXY_Cleanup());
    EXPECT_EQ(nullptr, GetModuleHandleA("Veddix.dll")) << "the last cleanup unloads the plug-ins";
    EXPECT_TRUE(WaitFor([&] { return device.OpenConnections() == 0; })) << "and closed the device";
    EXPECT_EQ(PROXY_SDK_VERSION, PROXY_GetSDKVersion());

    // Without a start there are no plug-ins to open a device with.
    EXPECT_EQ(nullptr, PROXY_AddDevice(PROXY_DEVICE_STANDARD, &info));
    EXPECT_EQ(PROXY_ERR_PLUGIN, PROXY_GetLastError());
}

TEST_F(Portmoor, ArgumentsAndHandlesAreChecked) {
    PROXY_DEVICE_INFO info[5];
    for (auto& record : info) record = DirectDevice(m_device.Port(), FreeLocalPort());
    struct Case {
        int type;
        PROXY_DEVICE_INFO* info;
        int count;
        int error;
    } cases[] = {
        {PROXY_DEVICE_PRIVATE, nullptr, 1, PROXY_ERR_PARAM},
        {PROXY_DEVICE_PRIVATE, info, 0, PROXY_ERR_PARAM},
        {PROXY_DEVICE_AUTOREG, info, 5, PROXY_ERR_PARAM},
        {5, info, 1, PROXY_ERR_NOMEMORY},
        {-1, info, 1, PROXY_ERR_NOMEMORY},
        // No registering-device plug-in is installed beside the proxy here.
        {PROXY_DEVICE_AUTOREG, info, 2, PROXY_ERR_PLUGIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nullptr, PROXY_AddDeviceEx(c.type, c.info, c.count)) << c.type << "/" << c.count;
        EXPECT_EQ(c.error, PROXY_GetLastError()) << c.type << "/" << c.count;
    }
    EXPECT_EQ(0, ErrorOnOtherThread()) << "errors belong to the thread that got them";

    HANDLE device = PROXY_AddDevice(PROXY_DEVICE_PRIVATE, info);
    ASSERT_TRUE(device);
    EXPECT_EQ(PROXY_ERR_PLUGIN, PROXY_GetLastError()) << "a success leaves the earlier code";
    EXPECT_FALSE(PROXY_QueryDeviceStatus(device, nullptr));
    EXPECT_EQ(PROXY_ERR_PARAM, PROXY_GetLastError());
    EXPECT_TRUE(PROXY_DeleteDevice(device));
    EXPECT_FALSE(PROXY_DeleteDevice(device));
    EXPECT_EQ(PROXY_ERR_HANDLE, PROXY_GetLastError());
    PROXY_DEVICE_STATUS status;
    EXPECT_FALSE(PROXY_QueryDeviceStatus(device, &status));
    EXPECT_EQ(PROXY_ERR_HANDLE, PROXY_GetLastError());
    EXPECT_EQ(0, OpenPluginDevices("Quorlan.dll", "QVDVR_OpenCount")) << "closed once, by the first delete";
}

TEST_F(Portmoor, ConcurrentDeletesCloseThePluginDeviceOnce) {
    PROXY_DEVICE_INFO info = DirectDevice(m_device.Port(), FreeLocalPort());
    for (int round = 0; round < 5; ++round) {
        HANDLE device = PROXY_AddDevice(PROXY_DEVICE_PRIVATE, &info);
        ASSERT_TRUE(device);
        BOOL results[4] = {};
        std::thread deleters[4];
        for (int i = 0; i < 4; ++i) deleters[i] = std::thread([&, i] { results[i] = PROXY_DeleteDevice(device); });
        for (auto& t : deleters) t.join();
        EXPECT_EQ(1, results[0] + results[1] + results[2] + results[3]);
        EXPECT_EQ(0, OpenPluginDevices("Quorlan.dll", "QVDVR_OpenCount"));
    }
}

TEST_F(Portmoor, PortInUseFailsTheAddAndClosesThePluginDevice) {
    CTestDevice squatter("x", "y", 1);
    ASSERT_TRUE(squatter.Start());
    PROXY_DEVICE_INFO info = DirectDevice(m_device.Port(), squatter.Port());
    EXPECT_EQ(nullptr, PROXY_AddDevice(PROXY_DEVICE_PRIVATE, &info));
    EXPECT_EQ(PROXY_ERR_LISTEN, PROXY_GetLastError());
    EXPECT_EQ(0, OpenPluginDevices("Quorlan.dll", "QVDVR_OpenCount"));
    EXPECT_TRUE(WaitFor([&] { return m_device.OpenConnections() == 0; }));
}

class PortmoorRelay : public Portmoor, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        Portmoor::SetUp();
        m_localPort = FreeLocalPort();
        PROXY_DEVICE_INFO info = DirectDevice(m_device.Port(), m_localPort);
        m_handle = PROXY_AddDevice(GetParam(), &info);
        ASSERT_TRUE(m_handle) << PROXY_GetLastError();
    }
    // Logs client in; the login id (= its session id) or 0.
    uint32_t LogIn(CSdkTestClient& client) {
        if (!client.Connect(m_localPort) || !client.Send(SdkLogin("admin", "pw"))) return 0;
        std::vector<uint8_t> reply = client.Read();
        return reply.size() >= 32 && reply[0] == 0xB0 && reply[8] == 0 ? PacketU32(reply, 16) : 0;
    }
    // Sends one request and returns the reply's body, or "(none)".
    static std::string Ask(CSdkTestClient& client, uint32_t sequence, const std::string& body) {
        if (!client.Send(SdkPacket(0x90, sequence, 0, body))) return "(none)";
        std::vector<uint8_t> reply = client.ReadSkipping(0xB1);
        if (reply.size() < 32 || reply[0] != 0x90 || PacketU32(reply, 8) != sequence) return "(none)";
        return std::string(reply.begin() + 32, reply.end());
    }

    uint16_t m_localPort = 0;
    HANDLE m_handle = nullptr;
};

TEST_P(PortmoorRelay, LoginCommandsAndStatus) {
    PROXY_DEVICE_STATUS status = Status(m_handle);
    EXPECT_EQ(1, status.online);
    EXPECT_EQ(1, status.listening);
    EXPECT_EQ(0, status.clientCount);
    EXPECT_EQ(GetParam() == PROXY_DEVICE_PRIVATE ? 6 : 0, status.deviceInfo) << "the second plug-in has none";
    EXPECT_EQ(0, std::memcmp(status.clients[0].reserved, std::vector<uint8_t>(12, 0).data(), 12));

    CSdkTestClient first, second;
    const uint32_t firstSession = LogIn(first);
    const uint32_t secondSession = LogIn(second);
    ASSERT_NE(0u, firstSession);
    ASSERT_NE(0u, secondSession);
    EXPECT_NE(firstSession, secondSession);
    EXPECT_EQ(1, m_device.Logins()) << "SDK logins are answered by the proxy, not the device";

    EXPECT_EQ("hello", Ask(first, 7, "hello"));
    EXPECT_EQ("world", Ask(second, 7, "world"));
    ASSERT_TRUE(first.Send(SdkPacket(0xA1)));
    EXPECT_EQ(0xB1, first.Read()[0]);

    status = Status(m_handle);
    ASSERT_EQ(2, status.clientCount);
    EXPECT_STREQ("127.0.0.1", status.clients[0].address);
    EXPECT_STREQ("127.0.0.1", status.clients[1].address);
    EXPECT_NE(status.clients[0].port, status.clients[1].port);
    EXPECT_NE(0, status.clients[0].port);

    PROXY_DEVICE_STATUS afterDelete;
    EXPECT_TRUE(PROXY_DeleteDevice(m_handle));
    EXPECT_TRUE(first.WaitClosed());
    EXPECT_TRUE(second.WaitClosed());
    EXPECT_FALSE(PROXY_QueryDeviceStatus(m_handle, &afterDelete));
}

TEST_P(PortmoorRelay, SubConnectionsJoinAndLeaveTheirSession) {
    CSdkTestClient main, sub1, sub2, stray;
    const uint32_t session = LogIn(main);
    ASSERT_NE(0u, session);
    for (auto* sub : {&sub1, &sub2}) {
        ASSERT_TRUE(sub->Connect(m_localPort));
        ASSERT_TRUE(sub->Send(SdkSubConnection(session, sub == &sub1 ? 1 : 2)));
        std::vector<uint8_t> answer = sub->Read();
        ASSERT_EQ(32u, answer.size());
        EXPECT_EQ(0xF1, answer[0]);
        EXPECT_EQ(session, PacketU32(answer, 8));
    }
    // A sub-connection naming no session is answered but joins nothing.
    ASSERT_TRUE(stray.Connect(m_localPort));
    ASSERT_TRUE(stray.Send(SdkSubConnection(session + 1000, 1)));
    EXPECT_EQ(0xF1, stray.Read()[0]);

    EXPECT_EQ("on sub 1", Ask(sub1, 3, "on sub 1")) << "replies come back on the connection that asked";
    EXPECT_EQ("on sub 2", Ask(sub2, 3, "on sub 2"));
    EXPECT_EQ(1, Status(m_handle).clientCount) << "only login sessions are listed";

    // The proxy keeps sub-connections alive by itself.
    std::vector<uint8_t> keepAlive = sub1.Read(20000);
    ASSERT_EQ(32u, keepAlive.size());
    EXPECT_EQ(0xB1, keepAlive[0]);

    sub1.Close();
    EXPECT_EQ("still", Ask(sub2, 4, "still")) << "a sub-connection's close leaves the session";
    EXPECT_EQ("main", Ask(main, 4, "main"));

    // The main connection left a transfer open: its close ends the session,
    // closes the other sub-connection and lets the plug-in forget the login
    // once, which closes that transfer on the device once.
    ASSERT_TRUE(main.Send(SdkPacket(0x93, 5)));
    ASSERT_EQ(0x93, main.ReadSkipping(0xB1)[0]);
    main.Close();
    EXPECT_TRUE(sub2.WaitClosed());
    EXPECT_TRUE(WaitFor([&] { return Status(m_handle).clientCount == 0; }));
    ASSERT_TRUE(WaitFor([&] {
        for (auto& r : m_device.Requests()) {
            if (r.first == 0x95) return true;
        }
        return false;
    }));
    int closes = 0;
    for (auto& r : m_device.Requests()) closes += r.first == 0x95;
    EXPECT_EQ(1, closes);
    ASSERT_TRUE(stray.Send(SdkPacket(0xA1)));
    const std::vector<uint8_t> strayAlive = stray.Read();
    ASSERT_FALSE(strayAlive.empty()) << "the stray connection is untouched";
    EXPECT_EQ(0xB1, strayAlive[0]);
}

TEST_P(PortmoorRelay, DeviceOffLineClosesEveryClientUntilItReturns) {
    CSdkTestClient client, idle;
    ASSERT_NE(0u, LogIn(client));
    ASSERT_TRUE(idle.Connect(m_localPort));
    const uint16_t devicePort = m_device.Port();
    m_device.Stop();
    EXPECT_TRUE(client.WaitClosed());
    EXPECT_TRUE(idle.WaitClosed());
    EXPECT_TRUE(WaitFor([&] { return Status(m_handle).online == 0 && Status(m_handle).listening == 0; }));
    CSdkTestClient refused;
    EXPECT_FALSE(refused.Connect(m_localPort));

    ASSERT_TRUE(m_device.Start(devicePort));
    // The plug-in's next login attempt can take seconds on a busy machine.
    // Once the device shows on line, its listener is already up.
    ASSERT_TRUE(WaitFor([&] { return Status(m_handle).online == 1; }, 30000));
    EXPECT_EQ(1, Status(m_handle).listening);
    CSdkTestClient again;
    ASSERT_NE(0u, LogIn(again));
    EXPECT_EQ("back", Ask(again, 1, "back"));
}

TEST_P(PortmoorRelay, FramingOverTheSocket) {
    CSdkTestClient client;
    ASSERT_NE(0u, LogIn(client));
    // Two packets in one send: two replies, in order.
    std::vector<uint8_t> both = SdkPacket(0x90, 1, 0, "one");
    const std::vector<uint8_t> two = SdkPacket(0x90, 2, 0, "two");
    both.insert(both.end(), two.begin(), two.end());
    ASSERT_TRUE(client.Send(both));
    EXPECT_EQ(1u, PacketU32(client.ReadSkipping(0xB1), 8));
    EXPECT_EQ(2u, PacketU32(client.ReadSkipping(0xB1), 8));

    // One packet a byte at a time is handled once, when it is complete.
    const std::vector<uint8_t> slow = SdkPacket(0x90, 3, 0, "slow");
    for (uint8_t b : slow) ASSERT_TRUE(client.Send(std::vector<uint8_t>(1, b)));
    EXPECT_EQ(3u, PacketU32(client.ReadSkipping(0xB1), 8));

    // A packet one byte too large for the proxy is skipped exactly: the
    // next packet is framed and answered.
    std::vector<uint8_t> oversized = SdkPacket(0x90, 4, 0, std::string(51200 - 32 + 1, 'z'));
    ASSERT_TRUE(client.Send(oversized));
    EXPECT_EQ("after", Ask(client, 5, "after"));

    // A length that would wrap a 32-bit sum swallows the stream but never
    // frames garbage: nothing comes back, and the connection stays open.
    CSdkTestClient wrapping;
    ASSERT_NE(0u, LogIn(wrapping));
    std::vector<uint8_t> header = SdkPacket(0x90, 6);
    header[4] = header[5] = header[6] = header[7] = 0xFF;
    ASSERT_TRUE(wrapping.Send(header));
    ASSERT_TRUE(wrapping.Send(SdkPacket(0x90, 7, 0, "lost")));
    EXPECT_TRUE(wrapping.ReadSkipping(0xB1, 500).empty());
    EXPECT_EQ("fine", Ask(client, 8, "fine")) << "other clients are not affected";
}

TEST_P(PortmoorRelay, ClientChurnWhileTheDeviceComesAndGoes) {
    // Logins, sub-connections, requests and closes from several threads
    // while the device drops out and returns: every connection is closed
    // and deleted exactly once, whichever path gets to it first.
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    std::vector<std::thread> clients;
    for (int t = 0; t < 6; ++t) {
        clients.emplace_back([&, t] {
            for (int round = 0; !stop; ++round) {
                CSdkTestClient main, sub;
                const uint32_t session = LogIn(main);
                if (!session) {
                    Sleep(20);  // the device is off line: no listener to log in at
                    continue;
                }
                if (sub.Connect(m_localPort)) sub.Send(SdkSubConnection(session, static_cast<uint8_t>(1 + t)));
                if (Ask(main, round, "x") == "x") ++answered;
                if ((round + t) % 2) main.Close();  // the session ends first, the sub-connection with it
            }
        });
    }
    const uint16_t devicePort = m_device.Port();
    for (int flip = 0; flip < 3; ++flip) {
        EXPECT_TRUE(WaitFor([&] { return answered.load() > flip * 10; }, 20000));
        m_device.Stop();
        ASSERT_TRUE(WaitFor([&] { return Status(m_handle).listening == 0; }));
        ASSERT_TRUE(m_device.Start(devicePort));
        ASSERT_TRUE(WaitFor([&] { return Status(m_handle).listening == 1; }));
    }
    stop = true;
    for (auto& c : clients) c.join();
    EXPECT_GT(answered.load(), 0);
    CSdkTestClient last;
    ASSERT_NE(0u, LogIn(last));
    EXPECT_EQ("alive", Ask(last, 1, "alive"));
    EXPECT_TRUE(WaitFor([&] { return Status(m_handle).clientCount == 1; }));
    EXPECT_TRUE(PROXY_DeleteDevice(m_handle));
}

INSTANTIATE_TEST_SUITE_P(QuorlanAndVeddix, PortmoorRelay,
                         ::testing::Values(PROXY_DEVICE_PRIVATE, PROXY_DEVICE_STANDARD));

}  // namespace
