// The engine's start, threads, spare sockets and shutdown.
#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "WaitFor.h"
#include "netlib/CNetEngine.h"

namespace {

TEST(NetEngineTest, ThreadsFollowTheProcessorCountAndStopReleasesEverything) {
    ASSERT_EQ(1, CNetEngine::Init(2));
    EXPECT_TRUE(CNetEngine::IsRunning());
    EXPECT_EQ(3, CNetEngine::IoThreadCount());
    EXPECT_EQ(4, CNetEngine::PollThreadCount());
    EXPECT_EQ(2, CNetEngine::ServerPollThreadCount());
    EXPECT_TRUE(WaitFor([] { return CNetEngine::SpareSocketCount() == 200; }));
    EXPECT_EQ(-1, CNetEngine::Init(2)) << "a second start must not replace the running instance";

    EXPECT_EQ(1, CNetEngine::Stop());
    EXPECT_FALSE(CNetEngine::IsRunning());
    EXPECT_EQ(0, CNetEngine::SpareSocketCount());
    EXPECT_EQ(1, CNetEngine::Stop()) << "stopping twice must not clean up Windows Sockets twice";
    EXPECT_EQ(0, LiveLibraryObjects());
}

TEST(NetEngineTest, OperationsOnAStoppedEngineAreRefused) {
    CNetTcpConnection connection;
    CNetTcpServer server;
    EXPECT_EQ(-1, CNetEngine::NextLocalPort());
    EXPECT_EQ(-1, CNetEngine::PostReceive(nullptr, nullptr));
    EXPECT_EQ(-1, server.Listen("127.0.0.1", 0));
    EXPECT_EQ(-1, connection.Connect("127.0.0.1", 9, 100));
    EXPECT_EQ(0, LiveLibraryObjects());
}

TEST(NetEngineTest, LocalPortsRunFrom10001To19999ThenWrapTo10000) {
    ASSERT_EQ(1, CNetEngine::Init(1));
    EXPECT_EQ(10001, CNetEngine::NextLocalPort());
    int port = 0;
    for (int i = 2; i <= 9999; ++i) port = CNetEngine::NextLocalPort();
    EXPECT_EQ(19999, port);
    EXPECT_EQ(10000, CNetEngine::NextLocalPort());
    EXPECT_EQ(10001, CNetEngine::NextLocalPort());

    char host[32];
    if (CNetSocket::GetLocalIp(host) > 0) {
        // A UDP socket without a set port binds to the host address and takes
        // the next local port.
        CNetTcpConnection udp;
        ASSERT_EQ(1, udp.CreateSocket(CNetSocket::KindUdp));
        char bound[32];
        int port = 0;
        ASSERT_EQ(1, udp.GetLocalAddress(bound, &port));
        EXPECT_STREQ(host, bound);
        EXPECT_EQ(10002, port);
        EXPECT_EQ(-1, udp.CreateSocket(CNetSocket::KindUdp)) << "a socket is already open";
        udp.Close();
    }
    CNetEngine::Stop();
}

}  // namespace
