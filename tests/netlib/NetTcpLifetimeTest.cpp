// TCP connections over time: idle time-outs, keep-alive, reconnecting,
// accept bursts and failures, and stopping with connections open.
#include "NetTcpFixture.h"

namespace {

TEST_F(NetTcpTest, IdleTimeoutClosesOnlyConnectionsWithTheCheckOn) {
    BlockingListener listener;
    Client watched, unwatched;
    ASSERT_EQ(1, watched.connection.SetIdleTimeout(1));
    ASSERT_EQ(1, unwatched.connection.SetIdleTimeout(1));
    unwatched.connection.SetIdleTimeoutCheck(0);
    ASSERT_EQ(1, watched.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer watchedPeer(listener.Accept());
    ASSERT_EQ(1, unwatched.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer unwatchedPeer(listener.Accept());
    auto checkBoth = [&] {
        watched.connection.Check();
        unwatched.connection.Check();
        return watched.sink.closes == 1;
    };
    ASSERT_TRUE(WaitFor(checkBoth, 10000));
    std::string rest;
    EXPECT_TRUE(watchedPeer.ReceiveUntilClosed(&rest)) << "a timed-out connection must end for the peer too";
    for (int i = 0; i < 30; ++i) {  // 1.5 s more of checks: still open
        checkBoth();
        Sleep(50);
    }
    EXPECT_EQ(0, unwatched.sink.closes.load());
    EXPECT_TRUE(unwatched.connection.IsConnected());
}

TEST_F(NetTcpTest, KeepAlivePacketGoesOutEveryIntervalFromTheCheck) {
    BlockingListener listener;
    Client client;
    std::string packet(32, '\0');
    packet[0] = static_cast<char>(0xA1);
    EXPECT_EQ(-1, client.connection.SetKeepAlive(nullptr, 32, 1));
    EXPECT_EQ(-1, client.connection.SetKeepAlive(packet.data(), 0, 1));
    ASSERT_EQ(1, client.connection.SetKeepAlive(packet.data(), 32, 1));
    ASSERT_EQ(1, client.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer peer(listener.Accept());
    std::string received;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 2600) {
        client.connection.Check();
        Sleep(20);
    }
    peer.SetReceiveTimeout(500);
    std::vector<char> chunk(4096);
    int n;
    while ((n = recv(peer.Socket(), chunk.data(), static_cast<int>(chunk.size()), 0)) > 0)
        received.append(chunk.data(), static_cast<size_t>(n));
    // One at the first check, then one a second: 3 in 2.6 s, one either way
    // for a slow machine.
    ASSERT_EQ(0u, received.size() % 32);
    EXPECT_GE(received.size() / 32, 2u);
    EXPECT_LE(received.size() / 32, 4u);
    for (size_t at = 0; at < received.size(); at += 32) EXPECT_EQ(packet, received.substr(at, 32));
    EXPECT_TRUE(client.sink.SendsDone().empty()) << "keep-alive sends are not reported";
}

TEST_F(NetTcpTest, DefaultIdleTimeOutAndKeepAliveIntervalAsSeenByTheCheckClock) {
    BlockingListener listener;
    Client client;
    std::string packet(32, '\0');
    packet[0] = static_cast<char>(0xA1);
    ASSERT_EQ(1, client.connection.SetKeepAlive(packet.data(), 32, 10));
    ASSERT_EQ(1, client.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer peer(listener.Accept());
    // Nothing is received from the peer: the idle clock runs from the connect.
    const DWORD start = GetTickCount();
    const DWORD checks[] = {start, start + 10000, start + 10001, start + 20001, start + 59000};
    for (DWORD now : checks) client.connection.CheckAt(now);
    std::string keepAlives;
    ASSERT_TRUE(peer.ReceiveExactly(3 * 32, &keepAlives)) << "at the first check, then every 10 s";
    EXPECT_EQ(packet + packet + packet, keepAlives);
    EXPECT_TRUE(client.connection.IsConnected()) << "59 s without a byte is within the time-out";
    EXPECT_EQ(0, client.sink.closes.load());

    client.connection.CheckAt(start + 61000);
    EXPECT_EQ(1, client.sink.closes.load());
    std::string rest;
    EXPECT_TRUE(peer.ReceiveUntilClosed(&rest));
    EXPECT_TRUE(rest.empty()) << "the 20001 ms check sent no fourth keep-alive";
}

TEST_F(NetTcpTest, AutoReconnectRestoresAConnectionTheServerDropped) {
    BlockingListener listener;
    Client client;
    client.connection.SetAutoReconnect(1);
    ASSERT_EQ(1, client.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer first(listener.Accept());
    first.Close();
    ASSERT_TRUE(WaitFor([&] { return client.sink.closes == 1; }));
    ASSERT_TRUE(WaitFor(
        [&] {
            client.connection.Check();
            return client.sink.connects == 1;
        },
        10000));
    BlockingPeer second(listener.Accept());
    ASSERT_EQ(1, client.connection.Send(1, MakeBuffer("again")));
    std::string received;
    ASSERT_TRUE(second.ReceiveExactly(5, &received));
    EXPECT_EQ("again", received);
    ASSERT_TRUE(second.SendAll("back"));
    EXPECT_TRUE(WaitFor([&] { return client.sink.Received() == "back"; }));
    second.Close();
    EXPECT_TRUE(WaitFor([&] { return client.sink.closes == 2; })) << "a reconnected connection reports its end again";
}

TEST_F(NetTcpTest, AcceptBurstBeyondTheSpareSocketsIsHandedOverCompletely) {
    RecordingSink sink;
    CNetTcpServer server(&sink, 0);
    ASSERT_EQ(1, server.Listen("127.0.0.1", 0));
    const int port = ListeningPort(server);
    const int kThreads = 6, kEach = 60;  // 360 connects against 200 spare sockets
    std::vector<std::vector<std::unique_ptr<BlockingPeer>>> peers(kThreads);
    std::vector<std::thread> connectors;
    std::atomic<int> failed{0};
    for (int t = 0; t < kThreads; ++t) {
        connectors.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                peers[t].emplace_back(new BlockingPeer());
                if (!peers[t].back()->Connect(port)) ++failed;
            }
        });
    }
    for (auto& connector : connectors) connector.join();
    EXPECT_EQ(0, failed.load());
    ASSERT_TRUE(WaitFor([&] { return sink.accepts == kThreads * kEach; }, kLongWait)) << sink.accepts;
    std::vector<SOCKET> accepted = sink.TakeAccepted();
    EXPECT_EQ(static_cast<size_t>(kThreads * kEach), accepted.size());
    for (SOCKET socket : accepted) closesocket(socket);
    EXPECT_TRUE(WaitFor([] { return CNetEngine::SpareSocketCount() == 200; })) << "the spare sockets are refilled";
    BlockingPeer late;
    ASSERT_TRUE(late.Connect(port));
    EXPECT_TRUE(WaitFor([&] { return sink.accepts == kThreads * kEach + 1; })) << "still accepting after the burst";
    for (SOCKET socket : sink.TakeAccepted()) closesocket(socket);
    server.StopListen();
    const int acceptsBeforeStop = sink.accepts;
    // Under Wine the closed listener's port can still take a connect for a
    // moment after closesocket returns; such a connect must never reach the
    // owner.
    BlockingPeer early;
    early.Connect(port);
    EXPECT_TRUE(WaitFor([&] {
        BlockingPeer refused;
        return !refused.Connect(port);
    })) << "nothing listens after StopListen";
    EXPECT_EQ(acceptsBeforeStop, sink.accepts.load()) << "an accept was handed over after StopListen";
}

TEST_F(NetTcpTest, AFailedAcceptIsArmedAgainWhileListening) {
    RecordingSink sink;
    CNetTcpServer server(&sink, 0);
    ASSERT_EQ(1, server.Listen("127.0.0.1", 0));
    for (int attempt = 1; attempt <= 3; ++attempt) {
        // Ends the pending accept with an error the server did not cause.
        ASSERT_TRUE(CancelIoEx(reinterpret_cast<HANDLE>(server.GetSocket()), nullptr));
        BlockingPeer peer;
        ASSERT_TRUE(peer.Connect(ListeningPort(server)));
        ASSERT_TRUE(WaitFor([&] { return sink.accepts == attempt; })) << "accepting ended after a failed accept";
        for (SOCKET socket : sink.TakeAccepted()) closesocket(socket);
    }
}

TEST_F(NetTcpTest, StopWithConnectionsOpenEndsThemAndLeavesNothingBehind) {
    std::unique_ptr<EchoServer> echo(new EchoServer());
    std::vector<std::unique_ptr<Client>> clients;
    for (int c = 0; c < 8; ++c) {
        clients.emplace_back(new Client());
        ASSERT_EQ(1, clients.back()->connection.Connect("127.0.0.1", echo->Port(), 5000));
        ASSERT_EQ(1, clients.back()->connection.Send(c, MakeBuffer(Pattern(300000, static_cast<unsigned>(c)))));
    }
    ASSERT_TRUE(WaitFor([&] { return echo->Connections() == 8; }));
    EXPECT_EQ(1, CNetEngine::Stop());
    EXPECT_EQ(0, CNetEngine::PendingOperations());
    for (auto& client : clients) {
        EXPECT_EQ(1, client->sink.closes.load()) << "an open connection hears of the stop once";
        EXPECT_FALSE(client->connection.IsConnected());
    }
    clients.clear();
    echo.reset();
    EXPECT_EQ(0, LiveLibraryObjects());
}

}  // namespace
