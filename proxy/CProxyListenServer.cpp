#include "proxy/CProxyListenServer.h"

#include "common/UniqueHandle.h"
#include "proxy/CProxyClient.h"
#include "proxy/CProxySessionTable.h"

CProxyListenServer::CProxyListenServer() : CNetTcpServer(this, 0) {}

CProxyListenServer::~CProxyListenServer() { CNetTcpServer::StopListen(); }

int CProxyListenServer::Listen(const char* address, int port, CProxySessionTable* table) {
    m_table = table;
    return CNetTcpServer::Listen(address, port);
}

int CProxyListenServer::StopListen() { return CNetTcpServer::StopListen(); }

int CProxyListenServer::OnAccept(int, SOCKET, SOCKET accepted, const char* peerAddress, int peerPort) {
    CUniqueSocket owned(accepted);  // closed unless a client takes it
    CProxyClient* client = m_table ? CProxyClient::Create(m_table) : nullptr;
    if (!client) return -1;
    client->SetPeer(peerAddress, peerPort);
    // Entered before the socket is attached: its first packet may be
    // handled as soon as the receive is posted.
    m_table->AddClient(client);
    if (client->AttachSocket(owned.Release(), peerAddress, peerPort) < 0) m_table->RemoveClient(client);
    return 1;
}
