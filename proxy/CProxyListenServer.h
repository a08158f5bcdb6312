// A device's local listener for SDK clients: each accepted socket becomes
// an unregistered client of the device's session table.
#pragma once

#include "netlib/CNetEventSink.h"
#include "netlib/CNetTcpServer.h"

class CProxySessionTable;

class CProxyListenServer : private CNetEventSink, public CNetTcpServer {
public:
    CProxyListenServer();
    ~CProxyListenServer() override;

    // Listens on address:port for clients of table. 1, or -1 when the
    // socket library refuses (port in use, already listening, ...).
    int Listen(const char* address, int port, CProxySessionTable* table);
    // Stops accepting. 1.
    int StopListen() override;

private:
    int OnReceive(int userValue, SOCKET socket, const char* data, int length) override;
    int OnSendDone(int userValue, SOCKET socket, int sendContext) override;
    int OnAccept(int userValue, SOCKET listenSocket, SOCKET accepted, const char* peerAddress, int peerPort) override;
    int OnPoll(int userValue, SOCKET socket, char* work, int workSize) override;
    int OnClose(int userValue, SOCKET socket) override;
    int OnConnect(int userValue, SOCKET socket) override;

    CProxySessionTable* m_table = nullptr;
};
