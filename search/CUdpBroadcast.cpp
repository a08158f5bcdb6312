#include "search/CUdpBroadcast.h"

#include <string.h>

#include <memory>

#include "search/LanPacket.h"

namespace {

// A receive thread normally ends within one event wait; this is only the
// bound after which a hung thread is terminated as a last resort.
constexpr DWORD kThreadExitTimeoutMs = 5000;
constexpr DWORD kReceiveErrorPauseMs = 100;

}  // namespace

CUdpBroadcast::CUdpBroadcast() {
    memset(&m_destination, 0, sizeof(m_destination));
    m_destination.sin_family = AF_INET;
    m_destination.sin_port = htons(lan::kPort);
    m_destination.sin_addr.s_addr = INADDR_BROADCAST;
}

CUdpBroadcast::~CUdpBroadcast() {
    CUdpBroadcast::Close();
    ReapRetired();
}

int CUdpBroadcast::Open() {
    ReapRetired();
    CAutoLock lock(&m_stateLock);
    if (m_receiver) return 2;
    if (!EnsureStarted()) return -1;
    CUniqueSocket s(WSASocketA(AF_INET, SOCK_DGRAM, 0, nullptr, 0, WSA_FLAG_OVERLAPPED));
    if (!s) return -1;
    BOOL on = TRUE;
    setsockopt(s.Get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof(on));
    sockaddr_in local;
    memset(&local, 0, sizeof(local));
    local.sin_family = AF_INET;
    local.sin_port = htons(lan::kPort);
    local.sin_addr.s_addr = INADDR_ANY;
    if (bind(s.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0) return -1;
    std::unique_ptr<Receiver> receiver(new Receiver);
    receiver->owner = this;
    receiver->stopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    receiver->readEvent.Reset(WSACreateEvent());
    receiver->loopEnded.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!receiver->stopEvent || !receiver->readEvent || !receiver->loopEnded) return -1;
    // The thread waits on readiness and its stop event together, so
    // stopping never has to interrupt a blocking receive.
    if (WSAEventSelect(s.Get(), receiver->readEvent.Get(), FD_READ) != 0) return -1;
    receiver->socket = std::move(s);
    receiver->thread.Reset(CreateThread(nullptr, 0, ReceiveThreadProc, receiver.get(), 0, &receiver->threadId));
    if (!receiver->thread) return -1;
    m_receiver = receiver.release();
    return 1;
}

void CUdpBroadcast::Close() {
    Receiver* receiver;
    {
        CAutoLock lock(&m_stateLock);
        receiver = m_receiver;
        m_receiver = nullptr;
        if (!receiver) return;
        SetEvent(receiver->stopEvent.Get());
        if (receiver->threadId == GetCurrentThreadId()) {
            // Closed from a callback: the thread sees its stop event once the
            // callback returns; it is joined later from another thread.
            receiver->socket.Reset();
            m_retired.push_back(receiver);
            return;
        }
    }
    // Joined outside the lock: a callback still running on that thread may
    // call back into the library, which takes the lock.
    JoinAndFree(receiver);
}

int CUdpBroadcast::Send(const uint8_t* data, int length) {
    CAutoLock lock(&m_stateLock);
    if (!m_receiver) return -1;
    return sendto(m_receiver->socket.Get(), reinterpret_cast<const char*>(data), length, 0,
                  reinterpret_cast<const sockaddr*>(&m_destination), sizeof(m_destination));
}

bool CUdpBroadcast::IsOpen() {
    CAutoLock lock(&m_stateLock);
    return m_receiver != nullptr;
}

bool CUdpBroadcast::OnReceiveThread() {
    const DWORD self = GetCurrentThreadId();
    CAutoLock lock(&m_stateLock);
    bool found = m_receiver && m_receiver->threadId == self;
    for (Receiver* retired : m_retired) found = found || retired->threadId == self;
    return found;
}

void CUdpBroadcast::PrepareForUnload() {
    CAutoLock lock(&m_stateLock);
    m_unloading = true;
}

DWORD WINAPI CUdpBroadcast::ReceiveThreadProc(void* parameter) {
    Receiver* receiver = static_cast<Receiver*>(parameter);
    receiver->owner->ReceiveLoop(receiver);
    SetEvent(receiver->loopEnded.Get());
    return 1;
}

void CUdpBroadcast::ReceiveLoop(Receiver* receiver) {
    for (;;) {
        HANDLE events[2] = {receiver->stopEvent.Get(), receiver->readEvent.Get()};
        const DWORD woken = WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
        if (woken != WSA_WAIT_EVENT_0 + 1) return;  // stopped, or the wait itself failed
        WSANETWORKEVENTS happened;
        WSAEnumNetworkEvents(receiver->socket.Get(), receiver->readEvent.Get(), &happened);
        DrainSocket(receiver);
    }
}

void CUdpBroadcast::DrainSocket(Receiver* receiver) {
    // The stop event is checked before every receive: a callback may have
    // closed the socket this thread reads.
    while (WaitForSingleObject(receiver->stopEvent.Get(), 0) == WAIT_TIMEOUT) {
        int senderLength = sizeof(m_sender);
        const int received = recvfrom(receiver->socket.Get(), reinterpret_cast<char*>(m_receiveBuffer),
                                      kReceiveBufferSize, 0, reinterpret_cast<sockaddr*>(&m_sender), &senderLength);
        if (received >= 0) {
            OnReceive(m_receiveBuffer, received, m_sender);
            continue;
        }
        const int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) return;
        // An oversized datagram, or an ICMP error from an earlier send,
        // costs only that one datagram.
        if (error == WSAEMSGSIZE || error == WSAECONNRESET) continue;
        WaitForSingleObject(receiver->stopEvent.Get(), kReceiveErrorPauseMs);
        return;
    }
}

void CUdpBroadcast::JoinAndFree(Receiver* receiver) {
    bool unloading;
    {
        CAutoLock lock(&m_stateLock);
        unloading = m_unloading;
    }
    if (unloading)
        WaitUntilLoopEnded(receiver);
    else if (WaitForSingleObject(receiver->thread.Get(), kThreadExitTimeoutMs) != WAIT_OBJECT_0)
        TerminateThread(receiver->thread.Get(), 0);
    delete receiver;  // the thread has ended: its handles close with it
}

void CUdpBroadcast::WaitUntilLoopEnded(Receiver* receiver) {
    HANDLE ends[2] = {receiver->thread.Get(), receiver->loopEnded.Get()};
    WaitForMultipleObjects(2, ends, FALSE, kUnloadWaitMs);
    if (WaitForSingleObject(receiver->thread.Get(), 0) == WAIT_OBJECT_0) return;
    // Out of its loop (or hung in a callback), the thread would next wait
    // for the loader lock that this unload holds; ended now, it never runs
    // code of the unmapped library.
    TerminateThread(receiver->thread.Get(), 0);
    WaitForSingleObject(receiver->thread.Get(), kUnloadWaitMs);
}

void CUdpBroadcast::ReapRetired() {
    const DWORD self = GetCurrentThreadId();
    std::vector<Receiver*> reapable;
    {
        CAutoLock lock(&m_stateLock);
        for (size_t i = 0; i < m_retired.size();) {
            if (m_retired[i]->threadId != self) {
                reapable.push_back(m_retired[i]);
                m_retired.erase(m_retired.begin() + i);
            } else {
                ++i;
            }
        }
    }
    for (Receiver* receiver : reapable) JoinAndFree(receiver);
}
