// TCP servers and connections of the network library over 127.0.0.1: an echo
// server, clients and the fixture the TCP tests share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <thread>

#include "NetTestSupport.h"
#include "WaitFor.h"
#include "netlib/CNetAutoLock.h"
#include "netlib/CNetEngine.h"

const DWORD kLongWait = 20000;

class NetTcpTest : public ::testing::Test {
protected:
    // The blocking peers need Windows Sockets also after the engine stopped.
    static void SetUpTestSuite() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    static void TearDownTestSuite() { WSACleanup(); }
    void SetUp() override { ASSERT_EQ(1, CNetEngine::Init(2)); }
    void TearDown() override {
        EXPECT_EQ(1, CNetEngine::Stop());
        EXPECT_EQ(0, LiveLibraryObjects()) << "buffers, records or keys leaked";
    }
};

// One accepted connection that sends back what it receives; refuses bytes
// while its send queue is full, so back-pressure reaches the peer.
class EchoConnection : public RecordingSink {
public:
    EchoConnection() : connection(this, 0) {
        receiveHook = [this](const char* data, int length) {
            const int sent = connection.Send(0, MakeBuffer(std::string(data, static_cast<size_t>(length))));
            return sent == -3 ? -1 : 0;
        };
    }
    CNetTcpConnection connection;
};

class EchoServer {
public:
    EchoServer() : m_server(&m_sink, 0) {
        m_sink.acceptHook = [this](SOCKET socket, const char* address, int port) {
            std::unique_ptr<EchoConnection> echo(new EchoConnection());
            if (echo->connection.Attach(socket, address, port) > 0) {
                std::lock_guard<std::mutex> guard(m_mutex);
                m_connections.push_back(std::move(echo));
            }
        };
        m_port = m_server.Listen("127.0.0.1", 0) > 0 ? ListeningPort(m_server) : 0;
    }
    ~EchoServer() {
        m_server.StopListen();
        std::lock_guard<std::mutex> guard(m_mutex);
        for (auto& echo : m_connections) echo->connection.Close();
    }
    int Port() const { return m_port; }
    size_t Connections() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_connections.size();
    }

private:
    RecordingSink m_sink;
    CNetTcpServer m_server;
    int m_port;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<EchoConnection>> m_connections;
};

// A library client connection with its own recording sink.
struct Client {
    Client() : connection(&sink, 0) {}
    ~Client() { connection.Close(); }
    RecordingSink sink;
    CNetTcpConnection connection;
};

// Sends data, retrying while the queue is full. Returns the last result.
int SendRetrying(CNetTcpConnection& connection, int context, const std::string& data);

// Message: tag (4), sequence (4), length (4), payload.
std::string Message(uint32_t tag, uint32_t sequence, uint32_t length);

// Checks that stream holds, per tag, messages 0 .. count-1 in order and intact.
::testing::AssertionResult WholeAndInOrder(const std::string& stream, int tags, uint32_t count);
