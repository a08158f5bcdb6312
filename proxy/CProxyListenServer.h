// A device's local listener for SDK clients: each accepted socket becomes
// an unregistered client of the device's session table.
#pragma once

#include "netlib/CNetTcpServer.h"
#include "proxy/CProxyEventSink.h"

class CProxySessionTable;

class CProxyListenServer : private CProxyEventSink, public CNetTcpServer {
public:
    CProxyListenServer();
    ~CProxyListenServer() override;

    // Listens on address:port for clients of table. 1, or -1 when the
    // socket library refuses (port in use, already listening, ...).
    int Listen(const char* address, int port, CProxySessionTable* table);
    // Stops accepting. 1.
    int StopListen() override;

private:
    int OnAccept(int userValue, SOCKET listenSocket, SOCKET accepted, const char* peerAddress, int peerPort) override;

    CProxySessionTable* m_table = nullptr;
};
