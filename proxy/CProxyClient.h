// One SDK client connection at a device's local listener: it buffers the
// received byte stream, cuts it into SDK packets on the socket library's
// poll threads and hands each to the device's session table.
#pragma once

#include <cstdint>

#include "netlib/CNetLock.h"
#include "netlib/CNetTcpConnection.h"
#include "proxy/CProxyEventSink.h"
#include "proxy/CSdkPacketBuffer.h"
#include "plugins/PluginInterface.h"

class CProxySessionTable;

class CProxyClient : private CProxyEventSink, public CNetTcpConnection {
public:
    enum Kind { kUnregistered = 0, kMain = 1, kSub = 2 };

    // A client with its receive buffer, or NULL when memory runs out.
    static CProxyClient* Create(CProxySessionTable* table);
    ~CProxyClient() override;

    // Takes over an accepted socket. 1, or -1 (the socket is then closed).
    int AttachSocket(SOCKET socket, const char* peerAddress, int peerPort);

    // Unique per process and never reused (a counter from 1), so a late
    // reply addressed to a closed client cannot reach a new one.
    int ClientId() const { return m_clientId; }
    // The session the connection belongs to: its own client id until it
    // joins another as a sub-connection.
    int SessionId() const { return m_sessionId; }
    int SessionIndex() const { return m_sessionIndex; }
    Kind GetKind() const { return m_kind; }
    // Changed only under the session table's exclusive lock.
    void Register(Kind kind, int sessionId, int sessionIndex);

    // Cleared once the connection has left the session table: its packets
    // no longer reach the plug-in.
    bool IsLive() const { return m_live != 0; }
    void MarkClosed() { InterlockedExchange(&m_live, 0); }

    void SetPeer(const char* address, int port);
    const char* PeerAddress() const { return m_peerAddress; }
    int PeerPort() const { return m_peerPort; }

private:
    explicit CProxyClient(CProxySessionTable* table);

    int OnReceive(int userValue, SOCKET socket, const char* data, int length) override;
    int OnPoll(int userValue, SOCKET socket, char* work, int workSize) override;
    int OnClose(int userValue, SOCKET socket) override;

    CProxySessionTable* const m_table;
    CSdkPacketBuffer m_buffer;
    CNetLock m_bufferLock;
    volatile LONG m_live = 1;
    const int m_clientId;
    int m_sessionId;
    int m_sessionIndex = 0;
    Kind m_kind = kUnregistered;
    // Used by the one poll thread that handles this client's packet.
    PARSE_RESULT m_result;
    SDK_COMMAND m_command;
    char m_peerAddress[32] = {};
    int m_peerPort = 0;
};
