// Addresses, socket handle and tunable settings shared by the socket objects.
#pragma once

#include <winsock2.h>

#include "common/UniqueHandle.h"

class CNetEventSink;

class CNetSocket {
public:
    enum BufferKind { BufferSend = 1, BufferReceive = 2 };
    enum SocketKind { KindTcp = 1, KindUdp = 2 };

    CNetSocket(CNetEventSink* sink, int userValue);
    virtual ~CNetSocket();

    // Sets SO_SNDBUF (kind 1) or SO_RCVBUF (kind 2) for sockets made from now
    // on (0: the system's). 1; -2 when size is outside 0..65535; -1 for
    // another kind.
    int SetBufferSize(int kind, int size);
    // The size set for kind 1 or 2; -1 for another kind.
    int GetBufferSize(int kind) const;
    // Reconnect from the periodic check after the connection ended. 1.
    int SetAutoReconnect(int flag);
    // Close a connection that received nothing for the idle time-out. 1.
    int SetIdleTimeoutCheck(int flag);
    // Seconds without received bytes before the idle check closes the
    // connection (60 at first). 1; -1 when below 1.
    int SetIdleTimeout(int seconds);
    // Sends allowed to wait behind the one in flight. 1; -1 outside 1..65534.
    int SetMaxQueuedSends(int count);
    // Local address as dotted text (text holds at least 16 chars) and port in
    // host order: those the socket is bound to when it is open, else the ones
    // set. 1; -1 when text or port is NULL.
    int GetLocalAddress(char* text, int* port) const;
    // The first address of this host as dotted text (at least 16 chars). 1;
    // -1 when text is NULL or the host has no address.
    static int GetLocalIp(char* text);
    // Opens the object's socket, non-blocking, with the buffer sizes set.
    // kind 1 TCP: bound only when a local port is set. kind 2 UDP: bound to
    // the local port set, or else to this host's first address and the next
    // free local port of the engine. 1; -1 when a socket is already open or a
    // step fails (nothing is left open).
    int CreateSocket(int kind);

    SOCKET GetSocket() const { return m_socket.Get(); }
    int GetUserValue() const { return m_userValue; }

protected:
    // As CreateSocket; bindAlways binds TCP also to port 0 (a listener).
    int CreateSocket(int kind, bool bindAlways);
    // Applies the buffer sizes set to socket.
    void ApplyBufferSizes(SOCKET socket) const;

    ULONG m_remoteAddress = 0;  // network order
    USHORT m_remotePort = 0;    // network order
    ULONG m_localAddress = 0;
    USHORT m_localPort = 0;
    CUniqueSocket m_socket;
    const int m_userValue;
    CNetEventSink* const m_sink;
    int m_receiveBufferSize = 65536;
    int m_sendBufferSize = 65536;
    bool m_connectedReported = true;
    volatile LONG m_autoReconnect = 0;
    volatile LONG m_idleTimeoutCheck = 1;
    volatile LONG m_maxQueuedSends = 500;
    volatile LONG m_idleTimeoutSeconds = 60;

private:
    CNetSocket(const CNetSocket&) = delete;
    CNetSocket& operator=(const CNetSocket&) = delete;
    int BindUdpToNextLocalPort(SOCKET socket);
};
