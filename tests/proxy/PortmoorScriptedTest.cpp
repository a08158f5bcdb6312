// Portmoor with a scripted plug-in installed in place of the plug-ins for
// types 0 and 1: the proxy's handling of the parse results and callbacks
// that the stand-ins never produce (invalid or failed parses, late data,
// taken sub-connection indexes, state reports of a registering device).
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "plugins/PluginInterface.h"
#include "proxy/Portmoor.h"
#include "tests/standins/plugins/PluginFolder.h"
#include "tests/proxy/support/ProxyFixture.h"
#include "tests/proxy/support/SdkTestClient.h"
#include "tests/support/WaitFor.h"

namespace {

// A private copy of Portmoor, its file name in capitals, bound by name,
// with the scripted plug-in beside it as Quorlan.dll and Kestrin.dll.
struct ProxyCopy {
    PluginFolder folder;
    HMODULE module = nullptr;
    decltype(&PROXY_Init) init = nullptr;
    decltype(&PROXY_Cleanup) cleanup = nullptr;
    decltype(&PROXY_GetLastError) lastError = nullptr;
    decltype(&PROXY_AddDeviceEx) addEx = nullptr;
    decltype(&PROXY_DeleteDevice) remove = nullptr;
    decltype(&PROXY_QueryDeviceStatus) query = nullptr;

    bool Install() {
        if (!folder.Add(L"Portmoor.dll", L"PORTMOOR.DLL") || !folder.Add(L"ScriptedPlugin.dll", L"Quorlan.dll") ||
            !folder.Add(L"ScriptedPlugin.dll", L"Kestrin.dll")) {
            return false;
        }
        module = LoadLibraryW(folder.Path(L"PORTMOOR.DLL").c_str());
        if (!module) return false;
        Bind(init, "PROXY_Init");
        Bind(cleanup, "PROXY_Cleanup");
        Bind(lastError, "PROXY_GetLastError");
        Bind(addEx, "PROXY_AddDeviceEx");
        Bind(remove, "PROXY_DeleteDevice");
        Bind(query, "PROXY_QueryDeviceStatus");
        return init && cleanup && lastError && addEx && remove && query;
    }
    template <class Fn>
    void Bind(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(GetProcAddress(module, name));
    }
    ~ProxyCopy() {
        if (module) FreeLibrary(module);
    }
};

// A listening socket of the test's own on 127.0.0.1:port.
SOCKET HoldPort(uint16_t port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = htons(port);
    if (s != INVALID_SOCKET && (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at)) != 0 || listen(s, 1) != 0)) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
    return s;
}

// The controls of one installed copy of the scripted plug-in.
struct Script {
    int(__stdcall* reportState)(int) = nullptr;
    int(__stdcall* deliver)(PLUGIN_DATA_TARGET*, int, uint8_t*, int) = nullptr;
    int(__stdcall* counter)(int) = nullptr;
    int(__stdcall* record)(int, PLUGIN_DEVICE_RECORD*) = nullptr;
    int(__stdcall* setHeartbeat)(int) = nullptr;

    bool Bind(const std::wstring& path) {
        HMODULE m = GetModuleHandleW(path.c_str());
        if (!m) return false;
        reportState = reinterpret_cast<decltype(reportState)>(GetProcAddress(m, "Scripted_ReportState"));
        deliver = reinterpret_cast<decltype(deliver)>(GetProcAddress(m, "Scripted_Deliver"));
        counter = reinterpret_cast<decltype(counter)>(GetProcAddress(m, "Scripted_Counter"));
        record = reinterpret_cast<decltype(record)>(GetProcAddress(m, "Scripted_Record"));
        setHeartbeat = reinterpret_cast<decltype(setHeartbeat)>(GetProcAddress(m, "Scripted_SetHeartbeat"));
        return reportState && deliver && counter && record && setHeartbeat;
    }
    int Deliver(int32_t session, int32_t index, const std::string& body, int count = 1) {
        PLUGIN_DATA_TARGET targets[2] = {{session, index}, {session, index}};
        std::vector<uint8_t> packet = SdkPacket(0x90, 0, 0, body);
        return deliver(targets, count, packet.data(), static_cast<int>(packet.size()));
    }
    enum { kOpens, kCloses, kSends, kCloseCommands, kLastClosedSession, kRecords };
};

class PortmoorScripted : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureWinsock();
        ASSERT_TRUE(m_proxy.Install());
        ASSERT_TRUE(m_proxy.init());
        ASSERT_TRUE(m_private.Bind(m_proxy.folder.Path(L"Quorlan.dll")));
        ASSERT_TRUE(m_registering.Bind(m_proxy.folder.Path(L"Kestrin.dll")));
    }
    void TearDown() override { EXPECT_TRUE(m_proxy.cleanup()); }

    HANDLE AddPrivate() {
        m_localPort = FreeLocalPort();
        PROXY_DEVICE_INFO info = DirectDevice(9, m_localPort);
        return m_proxy.addEx(PROXY_DEVICE_PRIVATE, &info, 1);
    }
    uint32_t LogIn(CSdkTestClient& client) {
        if (!client.Connect(m_localPort) || !client.Send(SdkPacket(0xA0))) return 0;
        std::vector<uint8_t> reply = client.Read();
        return reply.size() == 32 && reply[0] == 0xB0 ? PacketU32(reply, 16) : 0;
    }
    PROXY_DEVICE_STATUS Query(HANDLE device) {
        PROXY_DEVICE_STATUS status;
        std::memset(&status, 0xEE, sizeof(status));
        EXPECT_TRUE(m_proxy.query(device, &status));
        return status;
    }

    ProxyCopy m_proxy;
    Script m_private, m_registering;
    uint16_t m_localPort = 0;
};

TEST_F(PortmoorScripted, InvalidAndFailedParsesSendNothing) {
    ASSERT_TRUE(AddPrivate());
    CSdkTestClient client;
    ASSERT_NE(0u, LogIn(client));
    // A reply longer than the result can hold, then a failed parse that left
    // a reply in the result: neither is sent, and the earlier packet's result
    // is not acted on again.
    ASSERT_TRUE(client.Send(SdkPacket(0xE2)));
    ASSERT_TRUE(client.Send(SdkPacket(0xE0)));
    ASSERT_TRUE(client.Send(SdkPacket(0xE1)));
    ASSERT_TRUE(client.Send(SdkPacket(0xE2, 1)));
    EXPECT_EQ(0xE2, client.Read()[0]);
    EXPECT_EQ(0xE2, client.Read()[0]);
    EXPECT_TRUE(client.Read(300).empty());
    EXPECT_EQ(0, m_private.counter(Script::kSends) - 1) << "only the login went to the device";
}

TEST_F(PortmoorScripted, DataReachesLiveSessionsOnly) {
    ASSERT_TRUE(AddPrivate());
    CSdkTestClient first, sub, taken;
    const uint32_t session = LogIn(first);
    ASSERT_NE(0u, session);
    for (auto* c : {&sub, &taken}) {
        ASSERT_TRUE(c->Connect(m_localPort));
        ASSERT_TRUE(c->Send(SdkSubConnection(session, 4)));
        ASSERT_EQ(0xF1, c->Read()[0]);
    }
    EXPECT_EQ(0, m_private.Deliver(session, 0, "to main"));
    EXPECT_EQ("to main", PacketBody(first.Read()));
    EXPECT_EQ(0, m_private.Deliver(session, 4, "to sub", 2));
    EXPECT_EQ("to sub", PacketBody(sub.ReadSkipping(0xB1)));
    EXPECT_EQ("to sub", PacketBody(sub.ReadSkipping(0xB1)));
    EXPECT_TRUE(taken.Read(300).empty()) << "an index already taken joins nothing";
    EXPECT_EQ(-1, m_private.Deliver(session, 0, "nobody", 0));
    EXPECT_EQ(-1, m_private.Deliver(session + 999, 0, "nobody"));
    EXPECT_EQ(-1, m_private.Deliver(session, 5, "nobody"));

    first.Close();
    EXPECT_TRUE(sub.WaitClosed());
    ASSERT_TRUE(WaitFor([&] { return m_private.counter(Script::kCloseCommands) == 1; }));
    EXPECT_EQ(static_cast<int>(session), m_private.counter(Script::kLastClosedSession));

    // A late answer for the ended session never reaches the next login.
    CSdkTestClient second;
    const uint32_t next = LogIn(second);
    ASSERT_NE(0u, next);
    EXPECT_NE(session, next);
    EXPECT_EQ(-1, m_private.Deliver(session, 0, "late"));
    EXPECT_TRUE(second.Read(300).empty());
    ASSERT_TRUE(taken.Send(SdkPacket(0xE2)));
    EXPECT_EQ(0xE2, taken.Read()[0]) << "the unregistered connection lives on";
    EXPECT_EQ(1, m_private.counter(Script::kCloseCommands)) << "only a main connection's close is reported";
}

TEST_F(PortmoorScripted, ClientThatStopsReadingIsClosedRatherThanGivenAHole) {
    ASSERT_TRUE(AddPrivate());
    CSdkTestClient client;
    const uint32_t session = LogIn(client);
    ASSERT_NE(0u, session);
    // Far more than the socket buffers and the send queue hold, while the
    // client reads nothing. Each packet carries its sequence number.
    const uint32_t kPackets = 3000;
    std::vector<uint8_t> packet = SdkPacket(0x90, 0, 0, std::string(16 * 1024, 'd'));
    PLUGIN_DATA_TARGET target = {static_cast<int32_t>(session), 0};
    for (uint32_t sequence = 0; sequence < kPackets; ++sequence) {
        std::memcpy(&packet[8], &sequence, 4);
        m_private.deliver(&target, 1, packet.data(), static_cast<int>(packet.size()));
    }
    // What arrives is the stream without a gap, up to the connection's end.
    uint32_t expected = 0;
    for (std::vector<uint8_t> got; !(got = client.Read(3000)).empty(); ++expected)
        ASSERT_EQ(expected, PacketU32(got, 8)) << "a packet went missing from the middle of the stream";
    EXPECT_LT(expected, kPackets);
    EXPECT_TRUE(client.WaitClosed()) << "the client must see that data was lost";
    ASSERT_TRUE(WaitFor([&] { return m_private.counter(Script::kCloseCommands) == 1; }));
}

TEST_F(PortmoorScripted, HeartbeatStuckAtWorkPendingLeavesRoomForAddAndDelete) {
    // A registering device whose plug-in always reports work pending keeps
    // the heartbeat thread running passes back to back.
    PROXY_DEVICE_INFO busy = DirectDevice(0, FreeLocalPort());
    std::strcpy(busy.regAddress, "0.0.0.0");
    m_registering.setHeartbeat(0);
    HANDLE busyDevice = m_proxy.addEx(PROXY_DEVICE_AUTOREG, &busy, 1);
    ASSERT_TRUE(busyDevice);
    std::future<bool> churn = std::async(std::launch::async, [&] {
        for (int i = 0; i < 20; ++i) {
            HANDLE device = AddPrivate();
            if (!device || !m_proxy.remove(device)) return false;
        }
        return true;
    });
    const bool finished = churn.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    m_registering.setHeartbeat(1);
    EXPECT_TRUE(finished) << "adds and deletes starved behind the heartbeat";
    EXPECT_TRUE(churn.get());
    EXPECT_TRUE(m_proxy.remove(busyDevice));
}

TEST_F(PortmoorScripted, RegisteringDeviceListensWhileReportedOnLine) {
    const uint16_t port = FreeLocalPort();
    PROXY_DEVICE_INFO info[2] = {DirectDevice(0, port), DirectDevice(0, 1)};
    for (int i = 0; i < 2; ++i) {
        std::strcpy(info[i].regAddress, "0.0.0.0");
        info[i].regPort = 7070;
        info[i].channelCount = 4;
        info[i].deviceInfo = 8;
        info[i].streamMode = 2;
    }
    HANDLE device = m_proxy.addEx(PROXY_DEVICE_AUTOREG, info, 2);
    ASSERT_TRUE(device) << m_proxy.lastError();
    ASSERT_EQ(2, m_registering.counter(Script::kRecords));
    PLUGIN_DEVICE_RECORD record;
    ASSERT_EQ(0, m_registering.record(1, &record));
    EXPECT_STREQ("0.0.0.0", record.regAddress);
    EXPECT_EQ(7070, record.regPort);
    EXPECT_STREQ("SIM-0001", record.registrationId);
    EXPECT_EQ(2, record.streamMode);
    EXPECT_EQ(4, record.channelCount);
    EXPECT_EQ(8, record.deviceInfo);

    PROXY_DEVICE_STATUS status = Query(device);
    EXPECT_EQ(0, status.online);
    EXPECT_EQ(0, status.listening);
    EXPECT_EQ(0, status.clientCount);
    EXPECT_EQ(8, status.deviceInfo);
    CSdkTestClient early;
    EXPECT_FALSE(early.Connect(port)) << "no listener before the device is on line";

    m_localPort = port;
    ASSERT_EQ(0, m_registering.reportState(1));
    status = Query(device);
    EXPECT_EQ(1, status.online);
    EXPECT_EQ(1, status.listening);
    CSdkTestClient client;
    ASSERT_NE(0u, LogIn(client));
    ASSERT_EQ(0, m_registering.reportState(1));
    ASSERT_TRUE(client.Send(SdkPacket(0xE2)));
    EXPECT_EQ(0xE2, client.Read()[0]) << "a repeated on-line report changes nothing";

    ASSERT_EQ(0, m_registering.reportState(0));
    EXPECT_TRUE(client.WaitClosed());
    status = Query(device);
    EXPECT_EQ(0, status.online);
    EXPECT_EQ(0, status.listening);
    // At once, while the sockets just closed on the port may still hold it.
    ASSERT_EQ(0, m_registering.reportState(1));
    EXPECT_EQ(1, Query(device).listening);
    CSdkTestClient again;
    EXPECT_NE(0u, LogIn(again)) << "back on the same address and port";

    EXPECT_TRUE(m_proxy.remove(device));
    EXPECT_EQ(1, m_registering.counter(Script::kCloses));
    EXPECT_EQ(-2, m_registering.reportState(1)) << "closed: the plug-in reports no more";
    EXPECT_TRUE(again.WaitClosed());
}

// Another program holds the device's local port when the device comes on
// line: held briefly, the on-line report returns with the listener running;
// held for longer, the device is on line without a listener until a
// housekeeping pass finds the port free.
TEST_F(PortmoorScripted, RegisteringDeviceListensOnceItsPortIsFree) {
    m_localPort = FreeLocalPort();
    PROXY_DEVICE_INFO info = DirectDevice(0, m_localPort);
    std::strcpy(info.regAddress, "0.0.0.0");
    HANDLE device = m_proxy.addEx(PROXY_DEVICE_AUTOREG, &info, 1);
    ASSERT_TRUE(device) << m_proxy.lastError();

    SOCKET holder = HoldPort(m_localPort);
    ASSERT_NE(INVALID_SOCKET, holder);
    std::thread release([&] {
        Sleep(100);
        closesocket(holder);
    });
    EXPECT_EQ(0, m_registering.reportState(1));
    release.join();
    EXPECT_EQ(1, Query(device).listening) << "the on-line report waits a moment for its port";
    CSdkTestClient first;
    EXPECT_NE(0u, LogIn(first));

    // The port the proxy has just let go may stay taken for a moment.
    ASSERT_EQ(0, m_registering.reportState(0));
    ASSERT_TRUE(WaitFor([&] { return (holder = HoldPort(m_localPort)) != INVALID_SOCKET; }));
    ASSERT_EQ(0, m_registering.reportState(1));
    PROXY_DEVICE_STATUS status = Query(device);
    EXPECT_EQ(1, status.online);
    EXPECT_EQ(0, status.listening);
    closesocket(holder);
    EXPECT_TRUE(WaitFor([&] { return Query(device).listening == 1; }, 20000));
    CSdkTestClient later;
    EXPECT_NE(0u, LogIn(later));
    EXPECT_TRUE(m_proxy.remove(device));
}

}  // namespace
