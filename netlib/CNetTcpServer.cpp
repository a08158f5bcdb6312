#include "netlib/CNetTcpServer.h"

#include <new>

#include "netlib/CNetAutoLock.h"
#include "netlib/CNetBuffer.h"
#include "netlib/CNetEngine.h"
#include "netlib/CNetEventSink.h"
#include "netlib/CNetIoContext.h"
#include "netlib/CNetIoKey.h"

namespace {
// Room for the local and the remote address as AcceptEx writes them.
const int kAcceptBufferSize = 64;
const int kAcceptAddressSpace = 32;
}  // namespace

CNetTcpServer::CNetTcpServer(CNetEventSink* sink, int userValue) : CNetSocket(sink, userValue) {}

CNetTcpServer::~CNetTcpServer() { StopListen(); }

int CNetTcpServer::Listen(const char* address, int port) {
    CNetAutoLock state(&m_stateLock, true);
    if (m_socket.IsValid()) return -1;
    m_localAddress = address ? inet_addr(address) : INADDR_ANY;
    m_localPort = htons(static_cast<USHORT>(port));
    if (CreateSocket(KindTcp, true) < 0) return -1;
    CNetBuffer* buffer = CNetBuffer::Create(kAcceptBufferSize, nullptr, false);
    if (buffer) {
        buffer->AddRef();
        m_acceptRecord =
            new (std::nothrow) CNetIoContext(CNetIoContext::KindAccept, CNetIoContext::TransportTcp, buffer);
        if (!m_acceptRecord) NetRelease(buffer);
    }
    if (m_acceptRecord) m_key = new (std::nothrow) CNetIoKey(m_socket.Get(), m_userValue, this);
    // A deep backlog: bursts of connects wait in it while accepts are re-armed.
    if (m_key && listen(m_socket.Get(), SOMAXCONN) == 0 &&
        CNetEngine::AddServer(m_socket.Get(), m_key, m_acceptRecord) > 0 &&
        CNetEngine::PostAccept(m_key, m_acceptRecord) > 0) {
        m_listening = true;
        return 1;
    }
    CNetEngine::RemoveServer(m_socket.Release(), m_key);
    NetRelease(m_acceptRecord);
    NetRelease(m_key);
    return -1;
}

int CNetTcpServer::StopListen() {
    SOCKET socket;
    CNetIoKey* key;
    CNetIoContext* record;
    {
        CNetAutoLock state(&m_stateLock, true);
        m_listening = false;
        socket = m_socket.Release();
        key = m_key;
        record = m_acceptRecord;
        m_key = nullptr;
        m_acceptRecord = nullptr;
    }
    // Events stop before the listening socket closes; closing it ends the
    // pending accept, whose record then closes its spare socket.
    if (key) key->Detach();
    if (key || socket != INVALID_SOCKET) CNetEngine::RemoveServer(socket, key);
    NetRelease(record);
    NetRelease(key);
    std::deque<Accepted> left;
    {
        CNetAutoLock queueGuard(&m_acceptedLock, true);
        left.swap(m_accepted);
    }
    left.clear();  // closes the accepted sockets no owner took
    return 1;
}

int CNetTcpServer::IoAccepted(CNetIoContext* record, DWORD error) {
    // The next accept takes a fresh spare socket.
    CUniqueSocket accepted(std::move(record->m_acceptSocket));
    if (error != 0) {
        // Not reused (closed here): a socket from a failed accept may be half
        // set up. The retry waits for a poll so that a persistent failure
        // cannot spin.
        InterlockedExchange(&m_rearmNeeded, 1);
        return 1;
    }
    QueueAccepted(std::move(accepted), record);
    ArmAccept();
    return 1;
}

void CNetTcpServer::QueueAccepted(CUniqueSocket accepted, CNetIoContext* record) {
    if (!accepted) return;
    {
        CNetAutoLock state(&m_stateLock, false);
        // Without this the accepted socket lacks its listener's properties
        // (getpeername and shutdown fail on it).
        const SOCKET listening = m_socket.Get();
        setsockopt(accepted.Get(), SOL_SOCKET, SO_UPDATE_ACCEPT_CONTEXT, reinterpret_cast<const char*>(&listening),
                   sizeof(listening));
    }
    Accepted entry;
    entry.socket = std::move(accepted);
    entry.address[0] = 0;
    entry.port = 0;
    sockaddr* local = nullptr;
    sockaddr* remote = nullptr;
    int localLength = 0;
    int remoteLength = 0;
    record->m_getAcceptExSockaddrs(record->m_buffer->GetData(), kAcceptBufferSize - 2 * kAcceptAddressSpace,
                                   kAcceptAddressSpace, kAcceptAddressSpace, &local, &localLength, &remote,
                                   &remoteLength);
    if (remote && remoteLength == sizeof(sockaddr_in)) {
        const sockaddr_in* peer = reinterpret_cast<const sockaddr_in*>(remote);
        lstrcpynA(entry.address, inet_ntoa(peer->sin_addr), sizeof(entry.address));
        entry.port = ntohs(peer->sin_port);
    }
    if (!m_sink) return;  // entry closes the socket
    try {
        CNetAutoLock queueGuard(&m_acceptedLock, true);
        m_accepted.push_back(std::move(entry));
    } catch (...) {
        // Not queued: entry still holds the socket and closes it.
    }
}

void CNetTcpServer::ArmAccept() {
    CNetAutoLock state(&m_stateLock, false);
    if (m_listening && CNetEngine::PostAccept(m_key, m_acceptRecord) < 0) InterlockedExchange(&m_rearmNeeded, 1);
}

bool CNetTcpServer::HandOverOne() {
    Accepted entry;
    {
        CNetAutoLock queueGuard(&m_acceptedLock, true);
        if (m_accepted.empty()) return false;
        entry = std::move(m_accepted.front());
        m_accepted.pop_front();
    }
    u_long nonBlocking = 1;
    ioctlsocket(entry.socket.Get(), FIONBIO, &nonBlocking);
    ApplyBufferSizes(entry.socket.Get());
    // The owner takes the socket: it attaches it or closes it.
    m_sink->OnAccept(m_userValue, m_socket.Get(), entry.socket.Release(), entry.address, entry.port);
    return true;
}

int CNetTcpServer::IoPoll(char*, int) {
    return m_pollGate.Poll(false, [this] {
        if (InterlockedExchange(&m_rearmNeeded, 0)) ArmAccept();
        return m_sink && HandOverOne() ? 0 : 1;
    });
}

int CNetTcpServer::IoReceived(CNetIoContext*, DWORD, DWORD) { return 1; }

int CNetTcpServer::IoSent(CNetIoContext*, DWORD, DWORD) { return 1; }
