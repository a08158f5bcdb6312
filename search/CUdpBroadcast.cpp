#include "search/CUdpBroadcast.h"

#include <string.h>

#include "search/LanPacket.h"

namespace {

// A receive thread normally ends within one event wait; this is only the
// bound after which a hung thread is terminated as a last resort.
constexpr DWORD kThreadExitTimeoutMs = 5000;
constexpr DWORD kReceiveErrorPauseMs = 100;

}  // namespace

CUdpBroadcast::CUdpBroadcast() {
    InitializeCriticalSection(&m_stateLock);
    memset(&m_destination, 0, sizeof(m_destination));
    m_destination.sin_family = AF_INET;
    m_destination.sin_port = htons(lan::kPort);
    m_destination.sin_addr.s_addr = INADDR_BROADCAST;
}

CUdpBroadcast::~CUdpBroadcast() {
    CUdpBroadcast::Close();
    ReapRetired();
    DeleteCriticalSection(&m_stateLock);
}

int CUdpBroadcast::Open() {
    ReapRetired();
    EnterCriticalSection(&m_stateLock);
    if (m_receiver) {
        LeaveCriticalSection(&m_stateLock);
        return 2;
    }
    int result = -1;
    SOCKET s = INVALID_SOCKET;
    Receiver* receiver = nullptr;
    do {
        if (!EnsureStarted())
            break;
        s = WSASocketA(AF_INET, SOCK_DGRAM, 0, nullptr, 0, WSA_FLAG_OVERLAPPED);
        if (s == INVALID_SOCKET)
            break;
        BOOL on = TRUE;
        setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof(on));
        sockaddr_in local;
        memset(&local, 0, sizeof(local));
        local.sin_family = AF_INET;
        local.sin_port = htons(lan::kPort);
        local.sin_addr.s_addr = INADDR_ANY;
        if (bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0)
            break;
        receiver = new Receiver{this, s, nullptr, WSA_INVALID_EVENT, nullptr, nullptr, 0};
        receiver->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        receiver->readEvent = WSACreateEvent();
        receiver->loopEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!receiver->stopEvent || receiver->readEvent == WSA_INVALID_EVENT ||
            !receiver->loopEnded)
            break;
        // The thread waits on readiness and its stop event together, so
        // stopping never has to interrupt a blocking receive.
        if (WSAEventSelect(s, receiver->readEvent, FD_READ) != 0)
            break;
        receiver->thread =
            CreateThread(nullptr, 0, ReceiveThreadProc, receiver, 0, &receiver->threadId);
        if (!receiver->thread)
            break;
        m_receiver = receiver;
        result = 1;
    } while (false);
    if (result < 0) {
        if (receiver) {
            if (receiver->stopEvent) CloseHandle(receiver->stopEvent);
            if (receiver->readEvent != WSA_INVALID_EVENT) WSACloseEvent(receiver->readEvent);
            if (receiver->loopEnded) CloseHandle(receiver->loopEnded);
            delete receiver;
        }
        if (s != INVALID_SOCKET)
            closesocket(s);
    }
    LeaveCriticalSection(&m_stateLock);
    return result;
}

void CUdpBroadcast::Close() {
    EnterCriticalSection(&m_stateLock);
    Receiver* receiver = m_receiver;
    m_receiver = nullptr;
    if (!receiver) {
        LeaveCriticalSection(&m_stateLock);
        return;
    }
    SetEvent(receiver->stopEvent);
    if (receiver->threadId == GetCurrentThreadId()) {
        // Closed from a callback: the thread sees its stop event once the
        // callback returns; it is joined later from another thread.
        closesocket(receiver->socket);
        receiver->socket = INVALID_SOCKET;
        m_retired.push_back(receiver);
        LeaveCriticalSection(&m_stateLock);
        return;
    }
    // Joined outside the lock: a callback still running on that thread may
    // call back into the library, which takes the lock.
    LeaveCriticalSection(&m_stateLock);
    JoinAndFree(receiver);
}

int CUdpBroadcast::Send(const uint8_t* data, int length) {
    EnterCriticalSection(&m_stateLock);
    int result = -1;
    if (m_receiver)
        result = sendto(m_receiver->socket, reinterpret_cast<const char*>(data), length, 0,
                        reinterpret_cast<const sockaddr*>(&m_destination), sizeof(m_destination));
    LeaveCriticalSection(&m_stateLock);
    return result;
}

bool CUdpBroadcast::IsOpen() {
    EnterCriticalSection(&m_stateLock);
    const bool open = m_receiver != nullptr;
    LeaveCriticalSection(&m_stateLock);
    return open;
}

bool CUdpBroadcast::OnReceiveThread() {
    const DWORD self = GetCurrentThreadId();
    EnterCriticalSection(&m_stateLock);
    bool found = m_receiver && m_receiver->threadId == self;
    for (Receiver* retired : m_retired)
        found = found || retired->threadId == self;
    LeaveCriticalSection(&m_stateLock);
    return found;
}

void CUdpBroadcast::PrepareForUnload() {
    EnterCriticalSection(&m_stateLock);
    m_unloading = true;
    LeaveCriticalSection(&m_stateLock);
}

DWORD WINAPI CUdpBroadcast::ReceiveThreadProc(void* parameter) {
    Receiver* receiver = static_cast<Receiver*>(parameter);
    receiver->owner->ReceiveLoop(receiver);
    SetEvent(receiver->loopEnded);
    return 1;
}

void CUdpBroadcast::ReceiveLoop(Receiver* receiver) {
    for (;;) {
        HANDLE events[2] = {receiver->stopEvent, receiver->readEvent};
        const DWORD woken = WSAWaitForMultipleEvents(2, events, FALSE, WSA_INFINITE, FALSE);
        if (woken != WSA_WAIT_EVENT_0 + 1)
            return;  // stopped, or the wait itself failed
        WSANETWORKEVENTS happened;
        WSAEnumNetworkEvents(receiver->socket, receiver->readEvent, &happened);
        DrainSocket(receiver);
    }
}

void CUdpBroadcast::DrainSocket(Receiver* receiver) {
    // The stop event is checked before every receive: a callback may have
    // closed the socket this thread reads.
    while (WaitForSingleObject(receiver->stopEvent, 0) == WAIT_TIMEOUT) {
        int senderLength = sizeof(m_sender);
        const int received = recvfrom(receiver->socket, reinterpret_cast<char*>(m_receiveBuffer),
                                      kReceiveBufferSize, 0,
                                      reinterpret_cast<sockaddr*>(&m_sender), &senderLength);
        if (received >= 0) {
            OnReceive(m_receiveBuffer, received, m_sender);
            continue;
        }
        const int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK)
            return;
        // An oversized datagram, or an ICMP error from an earlier send,
        // costs only that one datagram.
        if (error == WSAEMSGSIZE || error == WSAECONNRESET)
            continue;
        WaitForSingleObject(receiver->stopEvent, kReceiveErrorPauseMs);
        return;
    }
}

void CUdpBroadcast::JoinAndFree(Receiver* receiver) {
    EnterCriticalSection(&m_stateLock);
    const bool unloading = m_unloading;
    LeaveCriticalSection(&m_stateLock);
    if (unloading)
        WaitUntilLoopEnded(receiver);
    else if (WaitForSingleObject(receiver->thread, kThreadExitTimeoutMs) != WAIT_OBJECT_0)
        TerminateThread(receiver->thread, 0);
    CloseHandle(receiver->thread);
    if (receiver->socket != INVALID_SOCKET)
        closesocket(receiver->socket);
    CloseHandle(receiver->stopEvent);
    WSACloseEvent(receiver->readEvent);
    CloseHandle(receiver->loopEnded);
    delete receiver;
}

void CUdpBroadcast::WaitUntilLoopEnded(Receiver* receiver) {
    HANDLE ends[2] = {receiver->thread, receiver->loopEnded};
    WaitForMultipleObjects(2, ends, FALSE, kUnloadWaitMs);
    if (WaitForSingleObject(receiver->thread, 0) == WAIT_OBJECT_0)
        return;
    // Out of its loop (or hung in a callback), the thread would next wait
    // for the loader lock that this unload holds; ended now, it never runs
    // code of the unmapped library.
    TerminateThread(receiver->thread, 0);
    WaitForSingleObject(receiver->thread, kUnloadWaitMs);
}

void CUdpBroadcast::ReapRetired() {
    const DWORD self = GetCurrentThreadId();
    std::vector<Receiver*> reapable;
    EnterCriticalSection(&m_stateLock);
    for (size_t i = 0; i < m_retired.size();) {
        if (m_retired[i]->threadId != self) {
            reapable.push_back(m_retired[i]);
            m_retired.erase(m_retired.begin() + i);
        } else {
            ++i;
        }
    }
    LeaveCriticalSection(&m_stateLock);
    for (Receiver* receiver : reapable)
        JoinAndFree(receiver);
}
