#include "netlib/CNetTcpConnection.h"

#include <new>

#include "netlib/CNetAutoLock.h"
#include "netlib/CNetBuffer.h"
#include "netlib/CNetEngine.h"
#include "netlib/CNetEventSink.h"
#include "netlib/CNetIoContext.h"
#include "netlib/CNetIoKey.h"

namespace {
const int kReceiveBufferSize = 65536;
// An owner that refuses received bytes this long is stuck: the connection is
// closed rather than bytes dropped out of the middle of a framed stream.
const DWORD kRefusedReceiveLimitMs = 2000;
const DWORD kReconnectSpacingMs = 2000;
// Refused bytes are offered again in pieces halved down to this size.
const int kSmallestOffer = 1024;

// 1 connected, 0 still under way, -1 failed, after waiting up to waitMs.
int ConnectState(SOCKET socket, int waitMs) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval wait;
    wait.tv_sec = waitMs / 1000;
    wait.tv_usec = (waitMs % 1000) * 1000;
    const int ready = select(0, nullptr, &writable, &failed, &wait);
    if (ready == SOCKET_ERROR) return -1;
    if (ready == 0) return 0;
    int error = 0;
    int length = sizeof(error);
    if (FD_ISSET(socket, &failed) ||
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0)
        return -1;
    return FD_ISSET(socket, &writable) ? 1 : 0;
}
}  // namespace

CNetTcpConnection::CNetTcpConnection(CNetEventSink* sink, int userValue)
    : CNetSocket(sink, userValue), m_lastReceive(GetTickCount()) {}

CNetTcpConnection::~CNetTcpConnection() {
    Close();
    NetRelease(m_keepAlive);
}

// ---- Opening and closing -------------------------------------------------

bool CNetTcpConnection::CreateIoLocked() {
    CNetBuffer* buffer = CNetBuffer::Create(kReceiveBufferSize, nullptr, false);
    if (!buffer) return false;
    buffer->AddRef();
    m_receiveRecord = new (std::nothrow) CNetIoContext(CNetIoContext::KindReceive, CNetIoContext::TransportTcp, buffer);
    if (!m_receiveRecord) {
        NetRelease(buffer);
        return false;
    }
    m_key = new (std::nothrow) CNetIoKey(m_socket.Get(), m_userValue, this);
    if (!m_key) {
        NetRelease(m_receiveRecord);
        return false;
    }
    return true;
}

void CNetTcpConnection::TakeIoLocked(IoObjects& out) {
    out.socket = m_socket.Release();
    out.key = m_key;
    out.receiveRecord = m_receiveRecord;
    m_key = nullptr;
    m_receiveRecord = nullptr;
    m_connected = 0;
    m_needNewSocket = true;
    m_undelivered = 0;
    m_abortRequested = 0;
    CNetAutoLock queueGuard(&m_sendQueueLock, true);
    out.queue.swap(m_sendQueue);
    m_sendIdle = true;
}

void CNetTcpConnection::DisposeIo(IoObjects& io) {
    // Events stop before the socket closes, so no late completion or poll
    // reaches this object; closing ends the operations still pending.
    if (io.key) io.key->Detach();
    if (io.key || io.socket != INVALID_SOCKET) CNetEngine::RemoveConnection(io.socket, io.key);
    NetRelease(io.receiveRecord);
    NetRelease(io.key);
    for (SendEntry& entry : io.queue) NetRelease(entry.buffer);
    io.queue.clear();
}

// Registers the socket with the port and posts the first receive; on
// success the connection counts as connected. State lock held.
bool CNetTcpConnection::RegisterLocked() {
    if (CNetEngine::AddConnection(m_socket.Get(), m_key) < 0) return false;
    m_connected = 1;  // before the post: the first completion may come at once
    m_connectedReported = true;
    m_lastReceive = GetTickCount();
    if (CNetEngine::PostReceive(m_key, m_receiveRecord) < 0) {
        m_connected = 0;
        return false;
    }
    return true;
}

int CNetTcpConnection::Connect(const char* address, int port, int waitMs) {
    return ConnectFrom(nullptr, 0, address, port, waitMs);
}

int CNetTcpConnection::ConnectFrom(const char* localAddress, int localPort, const char* address, int port, int waitMs) {
    if (!address) return -1;
    SOCKET socket;
    {
        CNetAutoLock state(&m_stateLock, true);
        if (m_socket.IsValid()) return -1;
        m_localAddress = localAddress ? inet_addr(localAddress) : INADDR_ANY;
        m_localPort = htons(static_cast<USHORT>(localPort));
        m_remoteAddress = inet_addr(address);
        m_remotePort = htons(static_cast<USHORT>(port));
        if (CreateSocket(KindTcp) < 0) return -1;
        if (!CreateIoLocked()) {
            m_socket.Reset();
            return -1;
        }
        m_connected = 0;
        IssueConnect();
        socket = m_socket.Get();
    }
    const bool reached = ConnectState(socket, waitMs < 0 ? 0 : waitMs) > 0;
    IoObjects failed;
    {
        CNetAutoLock state(&m_stateLock, true);
        if (m_socket.Get() != socket) return -1;  // closed meanwhile
        if (reached && RegisterLocked()) return 1;
        TakeIoLocked(failed);
    }
    DisposeIo(failed);
    return -1;
}

int CNetTcpConnection::Attach(SOCKET socket, const char* peerAddress, int peerPort) {
    CUniqueSocket owned(socket);
    if (!owned) return -1;
    IoObjects failed;
    {
        CNetAutoLock state(&m_stateLock, true);
        if (m_socket.IsValid()) return -1;
        m_autoReconnect = 0;
        m_socket = std::move(owned);
        m_remoteAddress = peerAddress ? inet_addr(peerAddress) : 0;
        m_remotePort = htons(static_cast<USHORT>(peerPort));
        if (CreateIoLocked() && RegisterLocked()) return 1;
        TakeIoLocked(failed);
    }
    DisposeIo(failed);
    return -1;
}

int CNetTcpConnection::Close() {
    IoObjects io;
    {
        CNetAutoLock state(&m_stateLock, true);
        m_autoReconnect = 0;
        TakeIoLocked(io);
    }
    DisposeIo(io);
    return 1;
}

void CNetTcpConnection::IssueConnect() {
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = m_remoteAddress;
    remote.sin_port = m_remotePort;
    // Non-blocking: the result is picked up by select.
    connect(m_socket.Get(), reinterpret_cast<sockaddr*>(&remote), sizeof(remote));
}

// Ends a live connection after a failure and tells the owner, once. The
// socket stays open until Close or a reconnect; shutting it down ends the
// peer's side and any operation still pending.
void CNetTcpConnection::Fail() {
    SOCKET socket;
    bool report;
    {
        CNetAutoLock state(&m_stateLock, true);
        if (!m_connected) return;
        m_connected = 0;
        m_undelivered = 0;
        m_abortRequested = 0;
        socket = m_socket.Get();
        report = m_sink && m_connectedReported;
        m_connectedReported = false;
        shutdown(socket, SD_BOTH);
        CancelIoEx(reinterpret_cast<HANDLE>(socket), nullptr);
    }
    if (report) m_sink->OnClose(m_userValue, socket);
}

int CNetTcpConnection::Abort() {
    CNetAutoLock state(&m_stateLock, false);
    if (!m_connected) return 0;
    // Reported from the poll thread, never from here: the caller may hold
    // locks that its own close handler takes.
    shutdown(m_socket.Get(), SD_BOTH);
    InterlockedExchange(&m_abortRequested, 1);
    return 1;
}

// ---- Sending -------------------------------------------------------------

int CNetTcpConnection::Send(int sendContext, CNetBuffer* buffer) {
    if (!buffer) return -1;
    int result;
    bool failed = false;
    {
        CNetAutoLock state(&m_stateLock, false);
        if (!m_connected) {
            result = -2;
        } else {
            CNetAutoLock queueGuard(&m_sendQueueLock, true);
            if (sendContext != -1 && static_cast<LONG>(m_sendQueue.size()) > m_maxQueuedSends) {
                result = -3;
            } else {
                // Queued first and posted from the queue's front only while nothing
                // is in flight, all under the queue lock: a completion can neither
                // miss this entry nor let it overtake older ones.
                buffer->AddRef();
                m_sendQueue.push_back(SendEntry{sendContext, buffer});
                result = 1;
                if (m_sendIdle && PostNextSendLocked() < 0) {
                    failed = true;
                    result = -1;
                }
            }
        }
    }
    NetRelease(buffer);
    if (failed) Fail();
    return result;
}

// Posts the queue's front entry. Queue lock and state lock (shared) held.
// 1 posted (send idle cleared); -1 failed (entry dropped, send idle set).
int CNetTcpConnection::PostNextSendLocked() {
    SendEntry entry = m_sendQueue.front();
    m_sendQueue.pop_front();
    CNetIoContext* record =
        new (std::nothrow) CNetIoContext(CNetIoContext::KindSend, CNetIoContext::TransportTcp, entry.buffer);
    if (!record) {
        NetRelease(entry.buffer);
        m_sendIdle = true;
        return -1;
    }
    record->m_total = entry.buffer->GetSize();
    record->m_sendContext = entry.context;
    m_sendIdle = false;
    const int posted = CNetEngine::PostSend(m_key, record);
    NetRelease(record);  // the post holds its own reference
    if (posted < 0) {
        m_sendIdle = true;
        return -1;
    }
    return 1;
}

int CNetTcpConnection::IoSent(CNetIoContext* record, DWORD bytes, DWORD error) {
    bool failed = error != 0 || (bytes == 0 && record->m_sent < record->m_total);
    if (!failed) {
        record->m_sent += static_cast<int>(bytes);
        CNetAutoLock state(&m_stateLock, false);
        // A partial send: the rest goes out before anything queued behind it.
        if (record->m_sent < record->m_total && m_connected) {
            if (CNetEngine::PostSend(m_key, record) > 0) return 1;
            failed = true;
        }
    }
    // Reported before the next send is posted: the next completion could
    // otherwise be reported first from another I/O thread.
    if (m_sink && record->m_sendContext != -1) m_sink->OnSendDone(m_userValue, m_socket.Get(), record->m_sendContext);
    {
        CNetAutoLock state(&m_stateLock, false);
        CNetAutoLock queueGuard(&m_sendQueueLock, true);
        if (!failed && m_connected && !m_sendQueue.empty())
            failed = PostNextSendLocked() < 0;
        else
            m_sendIdle = true;
    }
    if (failed) Fail();
    return 1;
}

int CNetTcpConnection::SetKeepAlive(const void* data, int length, int intervalSeconds) {
    if (!data || length <= 0) return -1;
    CNetBuffer* packet = CNetBuffer::CreateCopy(length, data);
    if (!packet) return -1;
    packet->AddRef();
    CNetAutoLock state(&m_stateLock, true);
    NetRelease(m_keepAlive);
    m_keepAlive = packet;
    m_keepAliveInterval = intervalSeconds;
    return 1;
}

// ---- Receiving -----------------------------------------------------------

bool CNetTcpConnection::Deliver(const char* data, int length) {
    return !m_sink || m_sink->OnReceive(m_userValue, m_socket.Get(), data, length) >= 0;
}

int CNetTcpConnection::IoReceived(CNetIoContext* record, DWORD bytes, DWORD error) {
    // A failed receive is the connection's end whatever the code (see the
    // engine); 0 bytes is the peer's orderly close.
    if (error != 0 || bytes == 0) {
        Fail();
        return 1;
    }
    m_lastReceive = GetTickCount();
    if (!Deliver(record->m_buffer->GetData(), static_cast<int>(bytes))) {
        // No room at the owner: keep the bytes, read nothing more (the peer is
        // held back by TCP), and let the poll threads offer them again.
        m_refusedSince = GetTickCount();
        m_undeliveredOffset = 0;
        m_offerSize = static_cast<int>(bytes);
        InterlockedExchange(&m_undelivered, static_cast<LONG>(bytes));
        return 1;
    }
    ContinueReceiving();
    return 1;
}

void CNetTcpConnection::ContinueReceiving() {
    bool failed = false;
    {
        CNetAutoLock state(&m_stateLock, false);
        if (m_connected) failed = CNetEngine::PostReceive(m_key, m_receiveRecord) < 0;
    }
    if (failed) Fail();
}

// Offers refused bytes again: after each refusal a smaller piece, so an
// owner with a fixed buffer that cannot take a whole block still makes
// progress. true when the owner took a piece.
bool CNetTcpConnection::RetryDelivery() {
    CNetIoContext* record = nullptr;
    {
        CNetAutoLock state(&m_stateLock, false);
        if (m_connected && m_receiveRecord) {
            record = m_receiveRecord;
            record->AddRef();  // the owner may Close from inside OnReceive
        }
    }
    if (!record) {
        m_undelivered = 0;
        return false;
    }
    const int remaining = static_cast<int>(m_undelivered);
    const int offer = remaining < m_offerSize ? remaining : m_offerSize;
    const bool taken = Deliver(record->m_buffer->GetData() + m_undeliveredOffset, offer);
    NetRelease(record);
    if (taken) {
        m_refusedSince = GetTickCount();
        m_undeliveredOffset += offer;
        if (remaining == offer) {
            m_undelivered = 0;
            ContinueReceiving();
        } else {
            m_undelivered = remaining - offer;
        }
    } else if (GetTickCount() - m_refusedSince > kRefusedReceiveLimitMs) {
        Fail();
    } else if (m_offerSize > kSmallestOffer) {
        m_offerSize = m_offerSize / 2 > kSmallestOffer ? m_offerSize / 2 : kSmallestOffer;
    }
    return taken;
}

int CNetTcpConnection::IoPoll(char* work, int workSize) {
    const bool undelivered = m_undelivered > 0;
    const bool abort = m_abortRequested != 0;
    return m_pollGate.Poll(undelivered || abort, [&] {
        if (abort) {
            Fail();
            return 1;
        }
        int result = 1;
        if (undelivered && RetryDelivery()) result = 0;
        if (m_sink && m_sink->OnPoll(m_userValue, m_socket.Get(), work, workSize) == 0) result = 0;
        return result;
    });
}

int CNetTcpConnection::IoAccepted(CNetIoContext*, DWORD) { return 1; }

// ---- Periodic check ------------------------------------------------------

int CNetTcpConnection::Check() { return CheckAt(GetTickCount()); }

int CNetTcpConnection::CheckAt(DWORD now) {
    if (!m_connected) return m_autoReconnect ? Reconnect(now) : 1;
    if (m_idleTimeoutCheck && now - m_lastReceive > static_cast<DWORD>(m_idleTimeoutSeconds) * 1000) {
        Fail();
        m_lastReceive = now;
        return 1;
    }
    CNetBuffer* packet = nullptr;
    {
        CNetAutoLock state(&m_stateLock, true);
        if (now - m_lastKeepAlive <= static_cast<DWORD>(m_keepAliveInterval) * 1000) return 1;
        m_lastKeepAlive = now;
        packet = m_keepAlive;
        if (packet) packet->AddRef();
    }
    if (packet) Send(-1, packet);
    return 1;
}

int CNetTcpConnection::Reconnect(DWORD now) {
    IoObjects old;
    {
        CNetAutoLock state(&m_stateLock, true);
        if (m_connected || !m_autoReconnect) return 1;
        if (m_needNewSocket) TakeIoLocked(old);
    }
    DisposeIo(old);

    SOCKET connectedSocket = INVALID_SOCKET;
    {
        CNetAutoLock state(&m_stateLock, true);
        if (m_connected || !m_autoReconnect) return 1;
        if (m_needNewSocket) {
            if (CreateSocket(KindTcp) < 0) return 0;
            if (!CreateIoLocked()) {
                m_socket.Reset();
                return 0;
            }
            IssueConnect();
            m_lastConnectAttempt = now;
            m_needNewSocket = false;
        }
        const int progress = ConnectState(m_socket.Get(), 0);
        if (progress > 0) {
            m_needNewSocket = true;  // whatever happens next, a later attempt starts afresh
            if (RegisterLocked()) connectedSocket = m_socket.Get();
        } else if (now - m_lastConnectAttempt > kReconnectSpacingMs) {
            // Refused or stale: the next check tries again on a fresh socket.
            m_needNewSocket = true;
        }
    }
    if (connectedSocket != INVALID_SOCKET && m_sink) m_sink->OnConnect(m_userValue, connectedSocket);
    return 1;
}
