#include "proxy/CProxyClient.h"

#include <cstring>
#include <new>

#include "netlib/CNetAutoLock.h"
#include "proxy/CProxySessionTable.h"
#include "proxy/ProxyRecords.h"

namespace {

volatile LONG g_lastClientId = 0;

}  // namespace

CProxyClient* CProxyClient::Create(CProxySessionTable* table) {
    CProxyClient* client = new (std::nothrow) CProxyClient(table);
    if (client && !client->m_buffer.Allocate()) {
        delete client;
        client = nullptr;
    }
    return client;
}

CProxyClient::CProxyClient(CProxySessionTable* table)
    : CNetTcpConnection(this, 0),
      m_table(table),
      m_clientId(InterlockedIncrement(&g_lastClientId)),
      m_sessionId(m_clientId),
      m_result(),
      m_command() {}

CProxyClient::~CProxyClient() {
    // The connection's events call into this object: they end before it goes.
    Close();
}

int CProxyClient::AttachSocket(SOCKET socket, const char* peerAddress, int peerPort) {
    return Attach(socket, peerAddress, peerPort);
}

void CProxyClient::Register(Kind kind, int sessionId, int sessionIndex) {
    m_kind = kind;
    m_sessionId = sessionId;
    m_sessionIndex = sessionIndex;
}

void CProxyClient::SetPeer(const char* address, int port) {
    CopyTextField(m_peerAddress, sizeof(m_peerAddress), address, sizeof(m_peerAddress));
    m_peerPort = port;
}

int CProxyClient::OnReceive(int, SOCKET, const char* data, int length) {
    if (length <= 0) return 1;
    CNetAutoLock lock(&m_bufferLock, true);
    return m_buffer.Append(reinterpret_cast<const uint8_t*>(data), static_cast<size_t>(length));
}

int CProxyClient::OnPoll(int, SOCKET, char* work, int workSize) {
    if (!work || workSize <= 0) return 1;
    size_t length = 0;
    CSdkPacketBuffer::ExtractResult extracted;
    {
        CNetAutoLock lock(&m_bufferLock, true);
        extracted = m_buffer.Extract(reinterpret_cast<uint8_t*>(work), static_cast<size_t>(workSize), length);
    }
    if (extracted == CSdkPacketBuffer::kNeedMore) return 1;
    if (extracted == CSdkPacketBuffer::kPacket && IsLive()) {
        m_command.data = reinterpret_cast<const uint8_t*>(work);
        m_command.length = static_cast<int32_t>(length);
        m_command.clientId = m_clientId;
        m_table->OnClientCommand(m_command, m_result, this);
    }
    return 0;
}

int CProxyClient::OnClose(int, SOCKET) {
    m_table->RemoveClient(this);
    return 1;
}
