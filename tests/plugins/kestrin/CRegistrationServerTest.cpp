// The registration server over real connections on 127.0.0.1: what happens
// to connections that never register, break off or trickle in.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugins/kestrin/AutoProtocol.h"
#include "plugins/kestrin/CAutoDevice.h"
#include "plugins/kestrin/CRegistrationServer.h"
#include "tests/plugins/kestrin/CRegisteringDevice.h"
#include "tests/support/WaitFor.h"

using namespace kestrin;

namespace {

class RegistrationServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server.Init(), 0);
        PLUGIN_DEVICE_RECORD record = {};
        std::strcpy(record.userName, "admin");
        std::strcpy(record.password, "1234");
        std::strcpy(record.registrationId, "DEV-1");
        record.channelCount = 1;
        record.deviceInfo = 1;
        ASSERT_EQ(device.Open(&record, 1), 0);
        ASSERT_EQ(server.AddDevice(&device, "127.0.0.1", 0), 0);
        port = server.ListenPort();
        ASSERT_GT(port, 0);
    }
    void TearDown() override {
        server.RemoveDevice(&device);
        device.Close();
        EXPECT_EQ(server.Cleanup(), 1);
    }

    static void Reset(SOCKET s) {
        linger hard = {1, 0};
        setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
        closesocket(s);
    }

    CRegistrationServer server;
    CAutoDevice device;
    int port = 0;
};

TEST_F(RegistrationServer, SilentConnectionsStayPendingUntilTheyEnd) {
    CRegisteringDevice dev(port, "DEV-1", 1, 9);
    std::vector<SOCKET> silent;
    for (int i = 0; i < 50; ++i) silent.push_back(dev.Dial());
    ASSERT_TRUE(WaitFor([&] { return server.PendingCount() == 50; }));
    // Half of them close in order, half reset, one in the middle of a packet.
    std::vector<uint8_t> half = CRegisteringDevice::Registration("DEV-1", 0);
    half.resize(20);
    CRegisteringDevice::SendOn(silent[0], half);
    for (size_t i = 0; i < silent.size(); ++i) {
        if (i % 2 == 0)
            Reset(silent[i]);
        else
            closesocket(silent[i]);
    }
    EXPECT_TRUE(WaitFor([&] { return server.PendingCount() == 0; }));
}

TEST_F(RegistrationServer, UnknownRegistrationsAreClosedAndTheKnownOneAttaches) {
    CRegisteringDevice dev(port, "DEV-1", 1, 9);
    std::vector<SOCKET> strangers;
    for (int i = 0; i < 100; ++i) {
        SOCKET s = dev.Dial();
        CRegisteringDevice::SendOn(s, CRegisteringDevice::Registration("STRANGER-" + std::to_string(i), 0));
        strangers.push_back(s);
    }
    ASSERT_TRUE(dev.Register());
    for (SOCKET s : strangers) {
        EXPECT_TRUE(CRegisteringDevice::WaitClosedOn(s, 5000));
        closesocket(s);
    }
    EXPECT_TRUE(WaitFor([&] { return server.PendingCount() == 0; }));
}

TEST_F(RegistrationServer, TrickledRegistrationIsFramedWhole) {
    CRegisteringDevice dev(port, "DEV-1", 1, 9);
    SOCKET s = dev.Dial();
    BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    for (uint8_t byte : CRegisteringDevice::Registration("DEV-1", 0)) {
        ASSERT_EQ(send(s, reinterpret_cast<const char*>(&byte), 1, 0), 1);
        Sleep(2);
    }
    std::vector<uint8_t> login;
    ASSERT_TRUE(CRegisteringDevice::ReadOn(s, &login, 5000));
    EXPECT_EQ(login[0], kCmdLogin);
    closesocket(s);
}

TEST_F(RegistrationServer, SweepEvery20sClosesAPendingConnectionSilentBeyondTheIdleTimeOut) {
    CRegisteringDevice dev(port, "DEV-1", 1, 9);
    SOCKET silent = dev.Dial();
    ASSERT_TRUE(WaitFor([&] { return server.PendingCount() == 1; }));
    const DWORD first = GetTickCount() + 41000;
    server.HeartbeatSweep(first);          // 41 s silent: within the 60 s idle time-out
    server.HeartbeatSweep(first + 20000);  // silent long enough, but no sweep yet
    EXPECT_FALSE(CRegisteringDevice::WaitClosedOn(silent, 300));
    EXPECT_EQ(server.PendingCount(), 1u);
    server.HeartbeatSweep(first + 20001);
    EXPECT_TRUE(CRegisteringDevice::WaitClosedOn(silent, 5000));
    EXPECT_TRUE(WaitFor([&] { return server.PendingCount() == 0; }));
    closesocket(silent);
}

TEST_F(RegistrationServer, StopListenClosesPendingConnections) {
    CRegisteringDevice dev(port, "DEV-1", 1, 9);
    SOCKET s = dev.Dial();
    ASSERT_TRUE(WaitFor([&] { return server.PendingCount() == 1; }));
    EXPECT_EQ(server.StopListen(), 1);
    EXPECT_EQ(server.PendingCount(), 0u);
    EXPECT_TRUE(CRegisteringDevice::WaitClosedOn(s, 5000));
    closesocket(s);
}

}  // namespace
