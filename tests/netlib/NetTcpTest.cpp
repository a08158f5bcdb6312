// Sending and receiving over TCP connections: order, large and refused
// sends, closing, small buffers and one object as listener and connection.
#include "NetTcpFixture.h"

namespace {

TEST_F(NetTcpTest, ConcurrentSendsFromSeveralThreadsComeBackWholeAndInOrder) {
    EchoServer echo;
    ASSERT_NE(0, echo.Port());
    const int kClients = 4, kThreads = 3;
    const uint32_t kMessages = 300;
    std::vector<std::unique_ptr<Client>> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back(new Client());
        ASSERT_EQ(1, clients.back()->connection.Connect("127.0.0.1", echo.Port(), 5000));
    }
    std::vector<size_t> expected(kClients, 0);
    std::vector<std::thread> senders;
    for (int c = 0; c < kClients; ++c) {
        for (int t = 0; t < kThreads; ++t) {
            const uint32_t tag = static_cast<uint32_t>(c * 10 + t);
            for (uint32_t m = 0; m < kMessages; ++m) expected[c] += 12 + (tag * 7919 + m * 104729) % 3000;
            senders.emplace_back([&clients, c, tag, kMessages] {
                for (uint32_t m = 0; m < kMessages; ++m)
                    ASSERT_EQ(1, SendRetrying(clients[c]->connection, static_cast<int>(m),
                                              Message(tag, m, (tag * 7919 + m * 104729) % 3000)));
            });
        }
    }
    for (auto& sender : senders) sender.join();
    for (int c = 0; c < kClients; ++c) {
        ASSERT_TRUE(WaitFor([&] { return clients[c]->sink.Received().size() >= expected[c]; }, kLongWait))
            << "client " << c << " got " << clients[c]->sink.Received().size() << " of " << expected[c];
        EXPECT_EQ(expected[c], clients[c]->sink.Received().size());
        EXPECT_TRUE(WholeAndInOrder(clients[c]->sink.Received(), kThreads, kMessages)) << "client " << c;
        EXPECT_EQ(static_cast<size_t>(kThreads * kMessages), clients[c]->sink.SendsDone().size());
        EXPECT_EQ(0, clients[c]->sink.closes.load());
    }
}

TEST_F(NetTcpTest, FailedConnectsAndSecondSocketsAreRefusedCleanly) {
    int closedPort;
    {
        BlockingListener gone;
        closedPort = gone.Port();
    }
    Client client;
    EXPECT_EQ(-1, client.connection.Connect("127.0.0.1", closedPort, 3000));
    EXPECT_EQ(INVALID_SOCKET, client.connection.GetSocket());
    EXPECT_EQ(-2, client.connection.Send(1, MakeBuffer("nobody")));

    BlockingListener listener;
    ASSERT_EQ(1, client.connection.Connect("127.0.0.1", listener.Port(), 3000));
    EXPECT_EQ(-1, client.connection.Connect("127.0.0.1", listener.Port(), 3000)) << "already connected";
    BlockingPeer clientPeer(listener.Accept());
    BlockingPeer extra;
    ASSERT_TRUE(extra.Connect(listener.Port()));
    SOCKET accepted = listener.Accept();
    EXPECT_EQ(-1, client.connection.Attach(accepted, "127.0.0.1", 1)) << "already has a socket";
    std::string rest;
    EXPECT_TRUE(extra.ReceiveUntilClosed(&rest)) << "a refused accepted socket is closed, not leaked";
}

TEST_F(NetTcpTest, LargeSendsReachASlowReaderWholeAndAreReportedOnce) {
    BlockingListener listener;
    Client client;
    ASSERT_EQ(1, client.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer peer(listener.Accept());
    const std::string big = Pattern(4 * 1024 * 1024, 1), medium = Pattern(100000, 2);
    ASSERT_EQ(1, client.connection.Send(7, MakeBuffer(big)));
    ASSERT_EQ(1, client.connection.Send(8, MakeBuffer(medium)));
    std::string received;
    // Small reads keep the sends pending across many partial transfers.
    std::vector<char> chunk(4096);
    while (received.size() < big.size() + medium.size()) {
        const int n = recv(peer.Socket(), chunk.data(), static_cast<int>(chunk.size()), 0);
        ASSERT_GT(n, 0);
        received.append(chunk.data(), static_cast<size_t>(n));
    }
    EXPECT_TRUE(received == big + medium) << "bytes lost, reordered or corrupted";
    ASSERT_TRUE(WaitFor([&] { return client.sink.SendsDone().size() == 2; }));
    EXPECT_EQ((std::vector<int>{7, 8}), client.sink.SendsDone());
}

TEST_F(NetTcpTest, QueueLimitRefusesOnlyReportedSendsAndKeepsOrder) {
    BlockingListener listener;
    Client client;
    EXPECT_EQ(-1, client.connection.SetMaxQueuedSends(0));
    EXPECT_EQ(-1, client.connection.SetMaxQueuedSends(65535));
    ASSERT_EQ(1, client.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer peer(listener.Accept());
    // The peer reads nothing yet, so this send stays in flight.
    const std::string blocker = Pattern(8 * 1024 * 1024, 3);
    ASSERT_EQ(1, client.connection.Send(0, MakeBuffer(blocker)));
    std::string expected = blocker;
    for (int i = 1; i <= 501; ++i) {
        const std::string small = Message(1, static_cast<uint32_t>(i), 10);
        ASSERT_EQ(1, client.connection.Send(i, MakeBuffer(small))) << "send " << i;
        expected += small;
    }
    EXPECT_EQ(-3, client.connection.Send(502, MakeBuffer("refused")));
    ASSERT_EQ(1, client.connection.Send(-1, MakeBuffer("keep-alive"))) << "keep-alive sends are never refused";
    expected += "keep-alive";

    std::string received;
    ASSERT_TRUE(peer.ReceiveExactly(expected.size(), &received));
    EXPECT_TRUE(received == expected);
    ASSERT_TRUE(WaitFor([&] { return client.sink.SendsDone().size() == 502; }));
    const std::vector<int> done = client.sink.SendsDone();
    for (int i = 0; i <= 501; ++i) ASSERT_EQ(i, done[static_cast<size_t>(i)]);
    EXPECT_EQ(1, client.connection.Send(9, MakeBuffer("after"))) << "the connection sends again once drained";
    received.clear();
    EXPECT_TRUE(peer.ReceiveExactly(5, &received));
}

TEST_F(NetTcpTest, PeerCloseAndResetAreReportedOnceAndLocalCloseIsSilent) {
    enum End { PeerCloses, PeerResets, LocalClose };
    struct Case {
        const char* name;
        bool libraryAccepts;  // the library side is an accepted socket, else it connected out
        End end;
    };
    const Case cases[] = {
        {"accepted, peer closes", true, PeerCloses},   {"accepted, peer resets", true, PeerResets},
        {"connected, peer closes", false, PeerCloses}, {"connected, peer resets", false, PeerResets},
        {"accepted, local close", true, LocalClose},   {"connected, local close", false, LocalClose},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Client library;
        BlockingPeer peer;
        RecordingSink serverSink;
        CNetTcpServer server(&serverSink, 0);
        BlockingListener listener;
        if (c.libraryAccepts) {
            ASSERT_EQ(1, server.Listen("127.0.0.1", 0));
            ASSERT_TRUE(peer.Connect(ListeningPort(server)));
            ASSERT_TRUE(WaitFor([&] { return serverSink.accepts == 1; }));
            EXPECT_EQ("127.0.0.1", serverSink.lastPeerAddress);
            ASSERT_EQ(1, library.connection.Attach(serverSink.TakeAccepted()[0], "127.0.0.1", 1));
        } else {
            ASSERT_EQ(1, library.connection.Connect("127.0.0.1", listener.Port(), 5000));
            peer.Adopt(listener.Accept());
        }
        ASSERT_TRUE(peer.SendAll("before the end"));
        ASSERT_TRUE(WaitFor([&] { return library.sink.Received() == "before the end"; }));
        if (c.end == LocalClose) {
            library.connection.Close();
            std::string rest;
            EXPECT_TRUE(peer.ReceiveUntilClosed(&rest)) << "the peer must see the connection end";
            Sleep(100);
            EXPECT_EQ(0, library.sink.closes.load()) << "the owner's own close is not reported";
            continue;
        }
        if (c.end == PeerResets)
            peer.Reset();
        else
            peer.Close();
        ASSERT_TRUE(WaitFor([&] { return library.sink.closes == 1; }));
        EXPECT_FALSE(library.connection.IsConnected());
        EXPECT_EQ(-2, library.connection.Send(1, MakeBuffer("late")));
        library.connection.Check();
        Sleep(100);
        EXPECT_EQ(1, library.sink.closes.load()) << "reported more than once";
    }
}

TEST_F(NetTcpTest, RefusedBytesAreOfferedAgainInOrderAndAStuckOwnerLosesTheConnection) {
    BlockingListener listener;
    Client client;
    std::atomic<int> refusals{0};
    client.sink.receiveHook = [&](const char*, int) { return refusals++ % 3 != 2 ? -1 : 0; };
    ASSERT_EQ(1, client.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer peer(listener.Accept());
    std::string sent;
    for (uint32_t m = 0; m < 50; ++m) {
        const std::string message = Message(1, m, 500 + m * 37);
        ASSERT_TRUE(peer.SendAll(message));
        sent += message;
    }
    ASSERT_TRUE(WaitFor([&] { return client.sink.Received().size() == sent.size(); }, kLongWait));
    EXPECT_TRUE(client.sink.Received() == sent);
    EXPECT_EQ(0, client.sink.closes.load());

    client.sink.receiveHook = [](const char*, int) { return -1; };
    ASSERT_TRUE(peer.SendAll("never taken"));
    ASSERT_TRUE(WaitFor([&] { return client.sink.closes == 1; }, kLongWait));
    std::string rest;
    EXPECT_TRUE(peer.ReceiveUntilClosed(&rest)) << "the peer sees the end instead of silently lost bytes";
}

TEST_F(NetTcpTest, AnOwnerWithASmallBufferStillGetsEveryByte) {
    // The owner keeps at most 10000 unread bytes and takes 3000 per poll: a
    // whole 64 KiB receive never fits, so bytes must come in pieces.
    BlockingListener listener;
    Client client;
    std::mutex bufferMutex;
    std::string buffered, consumed;
    client.sink.receiveHook = [&](const char* data, int length) {
        std::lock_guard<std::mutex> guard(bufferMutex);
        if (buffered.size() + static_cast<size_t>(length) > 10000) return -1;
        buffered.append(data, static_cast<size_t>(length));
        return 1;
    };
    client.sink.pollHook = [&] {
        std::lock_guard<std::mutex> guard(bufferMutex);
        const size_t take = std::min<size_t>(3000, buffered.size());
        consumed += buffered.substr(0, take);
        buffered.erase(0, take);
        return take > 0 ? 0 : 1;
    };
    ASSERT_EQ(1, client.connection.Connect("127.0.0.1", listener.Port(), 5000));
    BlockingPeer peer(listener.Accept());
    const std::string data = Pattern(1000000, 5);
    std::thread sender([&] { peer.SendAll(data); });
    const bool all = WaitFor(
        [&] {
            std::lock_guard<std::mutex> guard(bufferMutex);
            return consumed.size() == data.size();
        },
        kLongWait);
    sender.join();
    ASSERT_TRUE(all) << consumed.size();
    EXPECT_TRUE(consumed == data);
    EXPECT_EQ(0, client.sink.closes.load());
}

TEST_F(NetTcpTest, PollsOfOneObjectNeverOverlapAndOwnersMayCloseUnderTheirOwnLock) {
    EchoServer echo;
    CNetLock ownerLock;
    const int kPolled = 4;
    std::vector<std::unique_ptr<Client>> polled;
    std::vector<std::unique_ptr<std::atomic<int>>> inside, overlaps;
    std::mutex victimsMutex;
    std::vector<std::unique_ptr<Client>> victims;
    for (int c = 0; c < kPolled; ++c) {
        polled.emplace_back(new Client());
        inside.emplace_back(new std::atomic<int>(0));
        overlaps.emplace_back(new std::atomic<int>(0));
        std::atomic<int>& in = *inside.back();
        std::atomic<int>& overlap = *overlaps.back();
        polled.back()->sink.pollHook = [&] {
            if (++in > 1) ++overlap;
            // An owner path that closes connections under its own lock, from a
            // poll, while another thread holds that lock and adds connections.
            CNetAutoLock owner(&ownerLock, true);
            {
                std::lock_guard<std::mutex> guard(victimsMutex);
                if (!victims.empty()) victims.back()->connection.Close();
            }
            --in;
            return 0;  // busy: poll again at once, from whichever thread is free
        };
        ASSERT_EQ(1, polled.back()->connection.Connect("127.0.0.1", echo.Port(), 5000));
    }
    for (int round = 0; round < 40; ++round) {
        CNetAutoLock owner(&ownerLock, true);
        std::unique_ptr<Client> victim(new Client());
        ASSERT_EQ(1, victim->connection.Connect("127.0.0.1", echo.Port(), 5000));
        std::lock_guard<std::mutex> guard(victimsMutex);
        victims.push_back(std::move(victim));
    }
    ASSERT_TRUE(WaitFor([&] { return polled[0]->sink.polls > 1000; }, kLongWait));
    for (int c = 0; c < kPolled; ++c) {
        EXPECT_EQ(0, overlaps[c]->load()) << "one object was polled on two threads at once";
        polled[c]->connection.Close();  // no poll of it may run after this
    }
    const int before = polled[0]->sink.polls;
    Sleep(50);
    EXPECT_EQ(before, polled[0]->sink.polls.load());
    std::lock_guard<std::mutex> guard(victimsMutex);
    victims.clear();
}

// The owners' shape: one class that is both the listener and, for each
// accepted socket, the connection, with itself as the event sink.
class ListenerOrClient : public virtual CNetTcpServer, public virtual CNetTcpConnection, public CNetEventSink {
public:
    ListenerOrClient() : CNetTcpServer(this, 1), CNetTcpConnection(this, 2) {}
    ~ListenerOrClient() override {
        // Events stop before this object's own parts go.
        StopListen();
        Close();
        std::lock_guard<std::mutex> guard(m_mutex);
        m_clients.clear();
    }
    int OnReceive(int userValue, SOCKET, const char* data, int length) override {
        EXPECT_EQ(2, userValue);
        return Send(0, MakeBuffer(std::string(data, static_cast<size_t>(length)))) == -3 ? -1 : 0;
    }
    int OnSendDone(int, SOCKET, int) override { return 1; }
    int OnAccept(int userValue, SOCKET, SOCKET accepted, const char* address, int port) override {
        EXPECT_EQ(1, userValue);
        std::unique_ptr<ListenerOrClient> client(new ListenerOrClient());
        client->CNetTcpConnection::SetIdleTimeoutCheck(0);
        if (client->Attach(accepted, address, port) < 0) return -1;
        std::lock_guard<std::mutex> guard(m_mutex);
        m_clients.push_back(std::move(client));
        return 1;
    }
    int OnPoll(int, SOCKET, char*, int) override { return 1; }
    int OnClose(int, SOCKET) override {
        ++closes;
        return 1;
    }
    int OnConnect(int, SOCKET) override { return 1; }
    int Clients() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return static_cast<int>(m_clients.size());
    }
    std::atomic<int> closes{0};

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<ListenerOrClient>> m_clients;
};

TEST_F(NetTcpTest, OneClassCanBeBothListenerAndConnection) {
    ListenerOrClient listener;
    ASSERT_EQ(1, listener.Listen("127.0.0.1", 0));
    BlockingPeer first, second;
    ASSERT_TRUE(first.Connect(ListeningPort(static_cast<CNetTcpServer&>(listener))));
    ASSERT_TRUE(second.Connect(ListeningPort(static_cast<CNetTcpServer&>(listener))));
    ASSERT_TRUE(WaitFor([&] { return listener.Clients() == 2; }));
    const std::string data = Pattern(200000, 9);
    ASSERT_TRUE(first.SendAll(data));
    std::string echoed;
    ASSERT_TRUE(first.ReceiveExactly(data.size(), &echoed));
    EXPECT_TRUE(echoed == data);
    ASSERT_TRUE(second.SendAll("x"));
    echoed.clear();
    EXPECT_TRUE(second.ReceiveExactly(1, &echoed));
}

}  // namespace
