// One TCP connection: ordered sends, receive delivery, idle time-out,
// keep-alive packets and reconnection.
#pragma once

#include <deque>

#include "netlib/CNetIoHandler.h"
#include "netlib/CNetLock.h"
#include "netlib/CNetPollGate.h"
#include "netlib/CNetSocket.h"

class CNetBuffer;
class CNetIoContext;
class CNetIoKey;

// Bytes reach the owner in order through OnReceive; sends leave strictly
// one at a time in the order they were queued. A connection that fails (the
// peer closes or resets, a send fails, the idle time-out, an owner that
// refuses data for too long) is reported once through OnClose; the owner's
// own Close is silent. After Close returns (called outside this object's
// own events) no event of this object is running or will start, so the
// owner may delete it; owners that derive from this class call Close before
// their own destructor ends. Close waits for events of this object running
// on other threads: do not call it holding a lock that those events take.
class CNetTcpConnection : public CNetSocket, private CNetIoHandler {
public:
    explicit CNetTcpConnection(CNetEventSink* sink = nullptr, int userValue = 0);
    ~CNetTcpConnection() override;

    // Ends the connection silently: the socket closes, queued sends are
    // dropped unreported, reconnection is switched off. 1.
    virtual int Close();
    // As Connect, from the given local address and port.
    virtual int ConnectFrom(const char* localAddress, int localPort, const char* address, int port, int waitMs);
    // Connects to address:port, waiting up to waitMs. 1 connected (no
    // OnConnect); -1 failed, or a socket is already open.
    virtual int Connect(const char* address, int port, int waitMs);
    // Queues buffer for sending. The caller's reference is consumed in every
    // case. 1 sent or queued; -1 the send could not be issued (the connection
    // is then closed and reported); -2 not connected; -3 the queue is full
    // (never for context -1). Context -1 sends are not reported by OnSendDone.
    virtual int Send(int sendContext, CNetBuffer* buffer);
    // The packet (copied) that the periodic check sends every interval
    // seconds. 1; -1 when data is NULL or length is 0 or less.
    virtual int SetKeepAlive(const void* data, int length, int intervalSeconds);
    // The periodic check, from the owner's thread: idle time-out, keep-alive,
    // and with auto-reconnect a step of reconnecting (OnConnect when done, one
    // attempt at most every 2000 ms). 1; 0 when a reconnect could not make a
    // socket.
    virtual int Check();
    // Check as at tick count now: for owners that keep their own clock (and
    // tests that must not wait out a time-out). Receive times are tick counts.
    int CheckAt(DWORD now);
    // Ends the connection as a failure without waiting for anything: the
    // socket is shut down now (the peer sees the end, nothing more is sent)
    // and OnClose follows from a poll thread, as for a failure the peer
    // caused. For owners that must end a connection from inside their own
    // locks (a peer that stopped reading). 1; 0 when not connected.
    int Abort();

    // Takes over an accepted socket (from OnAccept): connected at once, first
    // receive posted, reconnection off. 1; -1 when the object already has a
    // socket or registration fails, and then socket is closed.
    int Attach(SOCKET socket, const char* peerAddress, int peerPort);
    bool IsConnected() const { return m_connected != 0; }

private:
    struct SendEntry {
        int context;
        CNetBuffer* buffer;
    };
    // What Close takes out under the state lock and lets go outside it.
    struct IoObjects {
        // Raw on purpose: CNetEngine::RemoveConnection takes it and closes it
        // only after the key is off the engine's list.
        SOCKET socket = INVALID_SOCKET;
        CNetIoKey* key = nullptr;
        CNetIoContext* receiveRecord = nullptr;
        std::deque<SendEntry> queue;
    };

    int IoReceived(CNetIoContext* record, DWORD bytes, DWORD error) override;
    int IoSent(CNetIoContext* record, DWORD bytes, DWORD error) override;
    int IoAccepted(CNetIoContext* record, DWORD error) override;
    int IoPoll(char* work, int workSize) override;

    bool CreateIoLocked();
    void TakeIoLocked(IoObjects& out);
    static void DisposeIo(IoObjects& io);
    bool RegisterLocked();
    int WaitForConnect(SOCKET socket, int waitMs);
    int PostNextSendLocked();
    bool Deliver(const char* data, int length);
    void ContinueReceiving();
    bool RetryDelivery();
    void Fail();
    int Reconnect(DWORD now);
    void IssueConnect();

    CNetIoKey* m_key = nullptr;
    CNetIoContext* m_receiveRecord = nullptr;
    bool m_sendIdle = true;
    std::deque<SendEntry> m_sendQueue;
    CNetLock m_sendQueueLock;
    CNetBuffer* m_keepAlive = nullptr;
    int m_keepAliveInterval = 10;
    volatile DWORD m_lastReceive;
    DWORD m_lastKeepAlive = 0;
    bool m_needNewSocket = true;
    DWORD m_lastConnectAttempt = 0;
    volatile LONG m_connected = 0;
    CNetLock m_stateLock;
    CNetPollGate m_pollGate;
    // Bytes of the last receive that the owner has not taken yet, offered
    // again from the poll threads; no receive is posted meanwhile.
    volatile LONG m_undelivered = 0;
    // Set by Abort: the next poll reports the failure.
    volatile LONG m_abortRequested = 0;
    int m_undeliveredOffset = 0;
    int m_offerSize = 0;
    // When the owner last took bytes (or first refused them).
    DWORD m_refusedSince = 0;
};
