// Real peers on 127.0.0.1 and a recording event sink for the socket library tests.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "netlib/CNetBuffer.h"
#include "netlib/CNetEventSink.h"
#include "netlib/CNetTcpConnection.h"
#include "netlib/CNetTcpServer.h"

// A plain blocking Winsock socket, the library's counterpart in tests.
class BlockingPeer {
public:
    BlockingPeer() = default;
    explicit BlockingPeer(SOCKET socket) : m_socket(socket) {}
    ~BlockingPeer();
    BlockingPeer(const BlockingPeer&) = delete;
    BlockingPeer& operator=(const BlockingPeer&) = delete;

    bool Connect(int port);
    // Takes over socket (an accepted one), closing any held before.
    void Adopt(SOCKET socket) {
        Close();
        m_socket = socket;
    }
    bool SendAll(const std::string& data);
    // Reads exactly count bytes (false on end or error before that).
    bool ReceiveExactly(size_t count, std::string* out);
    // Reads until the peer ends the connection; true when it ended in order
    // (0 bytes), false on a reset or error. Bytes read go to out.
    bool ReceiveUntilClosed(std::string* out, DWORD timeoutMs = 10000);
    void SetReceiveTimeout(DWORD ms);
    // Ends the connection with a reset instead of an orderly close.
    void Reset();
    void Close();
    SOCKET Socket() const { return m_socket; }

private:
    SOCKET m_socket = INVALID_SOCKET;
};

// A plain blocking listener on 127.0.0.1, port 0.
class BlockingListener {
public:
    BlockingListener();
    ~BlockingListener();
    int Port() const { return m_port; }
    // Waits for one connection; INVALID_SOCKET on failure.
    SOCKET Accept();
    void Close();

private:
    SOCKET m_socket = INVALID_SOCKET;
    int m_port = 0;
};

// Records every event; behaviour can be changed per test.
class RecordingSink : public CNetEventSink {
public:
    int OnReceive(int userValue, SOCKET socket, const char* data, int length) override;
    int OnSendDone(int userValue, SOCKET socket, int sendContext) override;
    int OnAccept(int userValue, SOCKET listenSocket, SOCKET accepted, const char* peerAddress, int peerPort) override;
    int OnPoll(int userValue, SOCKET socket, char* work, int workSize) override;
    int OnClose(int userValue, SOCKET socket) override;
    int OnConnect(int userValue, SOCKET socket) override;

    std::string Received();
    std::vector<int> SendsDone();
    std::vector<SOCKET> TakeAccepted();

    // Return below 0 to refuse the bytes.
    std::function<int(const char*, int)> receiveHook;
    // Called from OnAccept; default keeps the socket for TakeAccepted.
    std::function<void(SOCKET, const char*, int)> acceptHook;
    std::function<int()> pollHook;

    std::atomic<int> closes{0};
    std::atomic<int> connects{0};
    std::atomic<int> accepts{0};
    std::atomic<int> polls{0};
    std::atomic<int> receiveCalls{0};
    std::string lastPeerAddress;

private:
    std::mutex m_mutex;
    std::string m_received;
    std::vector<int> m_sendsDone;
    std::vector<SOCKET> m_accepted;
};

// A buffer holding a copy of data with the caller's first reference taken.
CNetBuffer* MakeBuffer(const std::string& data);
// length bytes of a pattern that differs with seed and offset.
std::string Pattern(size_t length, unsigned seed);
// The port a library object listens on.
int ListeningPort(const CNetSocket& socket);
// Socket library objects still alive (buffers, records, keys).
long LiveLibraryObjects();
