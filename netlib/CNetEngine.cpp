#include "netlib/CNetEngine.h"

#include <algorithm>
#include <new>

#include "netlib/CNetAutoLock.h"
#include "netlib/CNetBuffer.h"
#include "netlib/CNetIoContext.h"
#include "netlib/CNetIoHandler.h"
#include "netlib/CNetIoKey.h"

namespace {

const int kSpareSocketTarget = 200;
const int kPollWorkSize = 51200;
const DWORD kIdlePollSleepMs = 10;
const DWORD kSparePoolSleepMs = 10;
// How long Stop lets cancelled operations come back before it gives up on
// them (their records then stay allocated: the system may still write them).
const DWORD kStopDrainMs = 5000;
const int kFirstLocalPort = 10000;
const int kLocalPortLimit = 20000;
const int kAcceptAddressSpace = sizeof(sockaddr_in) + 16;

// The running instance. Readers of the pointer hold the lock shared for
// the length of one call; Stop takes it alone only to flip the stopping
// flag and to clear the pointer, so calls never see a freed instance.
SRWLOCK g_engineLock = SRWLOCK_INIT;
CNetEngine* g_engine = nullptr;

class SharedEngine {
public:
    SharedEngine() {
        AcquireSRWLockShared(&g_engineLock);
        m_engine = g_engine;
    }
    ~SharedEngine() { ReleaseSRWLockShared(&g_engineLock); }
    CNetEngine* get() const { return m_engine; }

private:
    CNetEngine* m_engine;
};

int ProcessorCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

void JoinAndClose(std::vector<CUniqueHandle>& threads) {
    for (CUniqueHandle& thread : threads) WaitForSingleObject(thread.Get(), INFINITE);
    threads.clear();
}

bool StartThreads(std::vector<CUniqueHandle>& threads, int count, LPTHREAD_START_ROUTINE main, void* arg) {
    for (int i = 0; i < count; ++i) {
        CUniqueHandle thread(CreateThread(nullptr, 0, main, arg, 0, nullptr));
        if (!thread) return false;
        threads.push_back(std::move(thread));
    }
    return true;
}

}  // namespace

CNetEngine::CNetEngine() = default;

CNetEngine::~CNetEngine() {
    for (CNetIoKey* key : m_connections) NetRelease(key);
    for (CNetIoKey* key : m_servers) NetRelease(key);
}

int CNetEngine::Init(int processors) {
    AcquireSRWLockExclusive(&g_engineLock);
    const bool running = g_engine != nullptr;
    CNetEngine* engine = running ? nullptr : new (std::nothrow) CNetEngine();
    if (engine) g_engine = engine;
    ReleaseSRWLockExclusive(&g_engineLock);
    if (!engine) return -1;
    // Published before it runs so that a failing start is undone by Stop.
    return engine->Start(processors > 0 ? processors : ProcessorCount());
}

int CNetEngine::Start(int processors) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return -1;
    m_winsockStarted = true;
    m_port.Reset(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0));
    if (!m_port) return -1;
    if (!StartThreads(m_ioThreads, processors + 1, IoThreadMain, this)) return -1;
    m_stopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_stopEvent) return -1;
    if (!StartThreads(m_pollThreads, processors + 2, PollThreadMain, this)) return -1;
    if (!StartThreads(m_serverPollThreads, 2, ServerPollThreadMain, this)) return -1;
    FillSparePool();
    m_sparePoolThread.Reset(CreateThread(nullptr, 0, SparePoolThreadMain, this, 0, nullptr));
    return m_sparePoolThread ? 1 : -1;
}

int CNetEngine::Stop() {
    AcquireSRWLockExclusive(&g_engineLock);
    CNetEngine* engine = g_engine;
    if (engine) engine->m_stopping = true;  // from here on every post is refused
    ReleaseSRWLockExclusive(&g_engineLock);
    if (!engine) return 1;

    engine->Shutdown();

    AcquireSRWLockExclusive(&g_engineLock);
    g_engine = nullptr;
    ReleaseSRWLockExclusive(&g_engineLock);

    const bool cleanup = engine->m_winsockStarted;
    // The port goes before the engine releases the keys still listed.
    engine->m_port.Reset();
    delete engine;
    if (cleanup && WSACleanup() != 0) return -1;
    return 1;
}

void CNetEngine::Shutdown() {
    if (m_port) {
        // Operations of objects still open end now; their objects hear of it
        // (a close) on the I/O threads, which must still be running for that.
        CancelListed(m_servers, m_serversLock);
        CancelListed(m_connections, m_connectionsLock);
        WaitForPendingOperations(kStopDrainMs);
        for (size_t i = 0; i < m_ioThreads.size(); ++i) PostQueuedCompletionStatus(m_port.Get(), 0, 0, nullptr);
    }
    JoinAndClose(m_ioThreads);
    if (m_port) DrainPort();

    if (m_stopEvent) SetEvent(m_stopEvent.Get());
    if (m_sparePoolThread) {
        WaitForSingleObject(m_sparePoolThread.Get(), INFINITE);
        m_sparePoolThread.Reset();
    }
    JoinAndClose(m_serverPollThreads);
    JoinAndClose(m_pollThreads);
    m_stopEvent.Reset();

    CNetAutoLock guard(&m_spareSocketsLock, true);
    m_spareSockets.clear();
}

void CNetEngine::CancelListed(std::vector<CNetIoKey*>& list, CNetLock& lock) {
    // Objects unlist their key before closing its socket, so every listed
    // socket is still open while the list is held.
    CNetAutoLock guard(&lock, false);
    for (CNetIoKey* key : list) CancelIoEx(reinterpret_cast<HANDLE>(key->m_socket), nullptr);
}

void CNetEngine::WaitForPendingOperations(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (m_pending > 0 && GetTickCount() - start < timeoutMs) Sleep(1);
}

void CNetEngine::DrainPort() {
    // Completions that arrived after the I/O threads left: drop their
    // references without calling anyone.
    for (;;) {
        DWORD bytes = 0;
        ULONG_PTR keyValue = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = GetQueuedCompletionStatus(m_port.Get(), &bytes, &keyValue, &overlapped, 0);
        if (!overlapped) {
            if (ok) continue;  // a surplus wake packet
            break;
        }
        CNetIoContext* record = static_cast<CNetIoContext*>(overlapped);
        CNetIoKey* key = reinterpret_cast<CNetIoKey*>(keyValue);
        NetRelease(record);
        NetRelease(key);
        InterlockedDecrement(&m_pending);
    }
}

int CNetEngine::AddToList(std::vector<CNetIoKey*>& list, CNetLock& lock, CNetIoKey* key) {
    key->AddRef();
    CNetAutoLock guard(&lock, true);
    list.push_back(key);
    return 1;
}

void CNetEngine::RemoveFromList(std::vector<CNetIoKey*>& list, CNetLock& lock, CNetIoKey* key) {
    std::vector<CNetIoKey*> removed;
    {
        CNetAutoLock guard(&lock, true);
        auto keep = std::stable_partition(list.begin(), list.end(), [key](CNetIoKey* k) { return k != key; });
        removed.assign(keep, list.end());
        list.erase(keep, list.end());
    }
    for (CNetIoKey* k : removed) NetRelease(k);
}

bool CNetEngine::Associate(SOCKET socket, CNetIoKey* key) {
    if (m_stopping || !m_port || socket == INVALID_SOCKET || !key) return false;
    return CreateIoCompletionPort(reinterpret_cast<HANDLE>(socket), m_port.Get(), reinterpret_cast<ULONG_PTR>(key),
                                  0) != nullptr;
}

int CNetEngine::Unregister(List CNetEngine::*list, CNetLock CNetEngine::*lock, SOCKET socket, CNetIoKey* key) {
    // Closed on return, once the key is off the list: the cancels walk the
    // list and need every listed socket open.
    CUniqueSocket closing(socket);
    {
        SharedEngine shared;
        if (shared.get() && key) RemoveFromList(shared.get()->*list, shared.get()->*lock, key);
    }
    return 1;
}

int CNetEngine::AddConnection(SOCKET socket, CNetIoKey* key) {
    SharedEngine shared;
    CNetEngine* engine = shared.get();
    if (!engine || !engine->Associate(socket, key)) return -1;
    return AddToList(engine->m_connections, engine->m_connectionsLock, key);
}

int CNetEngine::RemoveConnection(SOCKET socket, CNetIoKey* key) {
    return Unregister(&CNetEngine::m_connections, &CNetEngine::m_connectionsLock, socket, key);
}

int CNetEngine::AddServer(SOCKET socket, CNetIoKey* key, CNetIoContext* acceptRecord) {
    SharedEngine shared;
    CNetEngine* engine = shared.get();
    if (!engine || !acceptRecord || !engine->Associate(socket, key)) return -1;
    GUID acceptExId = WSAID_ACCEPTEX;
    GUID sockaddrsId = WSAID_GETACCEPTEXSOCKADDRS;
    DWORD bytes = 0;
    if (WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &acceptExId, sizeof(acceptExId), &acceptRecord->m_acceptEx,
                 sizeof(acceptRecord->m_acceptEx), &bytes, nullptr, nullptr) == SOCKET_ERROR &&
        WSAGetLastError() != WSA_IO_PENDING)
        return -1;
    if (WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &sockaddrsId, sizeof(sockaddrsId),
                 &acceptRecord->m_getAcceptExSockaddrs, sizeof(acceptRecord->m_getAcceptExSockaddrs), &bytes, nullptr,
                 nullptr) == SOCKET_ERROR &&
        WSAGetLastError() != WSA_IO_PENDING)
        return -1;
    if (!acceptRecord->m_acceptEx || !acceptRecord->m_getAcceptExSockaddrs) return -1;
    return AddToList(engine->m_servers, engine->m_serversLock, key);
}

int CNetEngine::RemoveServer(SOCKET socket, CNetIoKey* key) {
    return Unregister(&CNetEngine::m_servers, &CNetEngine::m_serversLock, socket, key);
}

int CNetEngine::PostReceive(CNetIoKey* key, CNetIoContext* record) {
    SharedEngine shared;
    return shared.get() ? shared.get()->Post(PostKindReceive, key, record) : -1;
}

int CNetEngine::PostSend(CNetIoKey* key, CNetIoContext* record) {
    SharedEngine shared;
    return shared.get() ? shared.get()->Post(PostKindSend, key, record) : -1;
}

int CNetEngine::PostAccept(CNetIoKey* key, CNetIoContext* record) {
    SharedEngine shared;
    CNetEngine* engine = shared.get();
    if (!engine || !record) return -1;
    if (!record->m_acceptSocket && !engine->TakeSpareSocket(record->m_acceptSocket)) return -1;
    return engine->Post(PostKindAccept, key, record);
}

int CNetEngine::Post(PostKind kind, CNetIoKey* key, CNetIoContext* record) {
    if (m_stopping || !m_port || !key || !record || key->m_socket == INVALID_SOCKET) return -1;
    // The operation's own references; the I/O thread drops them after the
    // completion is handled.
    record->AddRef();
    key->AddRef();
    InterlockedIncrement(&m_pending);
    record->ResetOverlapped();
    const int error = Issue(kind, key, record);
    if (error == 0) return 1;
    // Failed at once: no packet will come by itself, so one is queued with the
    // error; the object handles it on an I/O thread like any completion.
    record->m_postError = static_cast<DWORD>(error);
    if (PostQueuedCompletionStatus(m_port.Get(), 0, reinterpret_cast<ULONG_PTR>(key), record)) return 1;
    InterlockedDecrement(&m_pending);
    record->Release();  // the caller still holds its own reference to both
    key->Release();
    return -1;
}

// Returns 0 when the operation is under way (its completion will be queued),
// else the Windows error of the failed call.
int CNetEngine::Issue(PostKind kind, CNetIoKey* key, CNetIoContext* record) {
    const SOCKET socket = key->m_socket;
    DWORD bytes = 0;
    int result = 0;
    switch (kind) {
        case PostKindReceive:
            record->m_flags = 0;
            record->m_peerLength = sizeof(record->m_peer);
            if (record->m_transport == CNetIoContext::TransportUdp)
                result =
                    WSARecvFrom(socket, &record->m_wsaBuf, 1, &bytes, &record->m_flags,
                                reinterpret_cast<sockaddr*>(&record->m_peer), &record->m_peerLength, record, nullptr);
            else
                result = WSARecv(socket, &record->m_wsaBuf, 1, &bytes, &record->m_flags, record, nullptr);
            break;
        case PostKindSend:
            record->m_wsaBuf.buf = record->m_buffer->GetData() + record->m_sent;
            record->m_wsaBuf.len = static_cast<ULONG>(record->m_total - record->m_sent);
            if (record->m_transport == CNetIoContext::TransportUdp)
                result =
                    WSASendTo(socket, &record->m_wsaBuf, 1, &bytes, 0, reinterpret_cast<sockaddr*>(&record->m_peer),
                              sizeof(record->m_peer), record, nullptr);
            else
                result = WSASend(socket, &record->m_wsaBuf, 1, &bytes, 0, record, nullptr);
            break;
        case PostKindAccept:
            // No data is awaited with the accept: the whole buffer holds the two
            // addresses, so the accept completes as soon as a peer connects.
            if (!record->m_acceptEx(socket, record->m_acceptSocket.Get(), record->m_buffer->GetData(),
                                    static_cast<DWORD>(record->m_buffer->GetSize() - 2 * kAcceptAddressSpace),
                                    kAcceptAddressSpace, kAcceptAddressSpace, &bytes, record))
                result = SOCKET_ERROR;
            break;
    }
    if (result == 0) return 0;
    const int error = WSAGetLastError();
    return error == WSA_IO_PENDING ? 0 : (error != 0 ? error : WSAEFAULT);
}

bool CNetEngine::TakeSpareSocket(CUniqueSocket& socket) {
    CNetAutoLock guard(&m_spareSocketsLock, true);
    if (m_spareSockets.empty()) return false;
    socket = std::move(m_spareSockets.front());
    m_spareSockets.pop_front();
    return true;
}

void CNetEngine::FillSparePool() {
    int missing;
    {
        CNetAutoLock guard(&m_spareSocketsLock, false);
        missing = std::max(0, kSpareSocketTarget - static_cast<int>(m_spareSockets.size()));
    }
    std::vector<CUniqueSocket> created;
    for (int i = 0; i < missing; ++i) {
        CUniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!socket) break;
        created.push_back(std::move(socket));
    }
    CNetAutoLock guard(&m_spareSocketsLock, true);
    for (CUniqueSocket& socket : created) m_spareSockets.push_back(std::move(socket));
}

int CNetEngine::NextLocalPort() {
    SharedEngine shared;
    CNetEngine* engine = shared.get();
    if (!engine) return -1;
    for (;;) {
        const LONG seen = engine->m_nextLocalPort;
        const LONG next = seen + 1 < kLocalPortLimit ? seen + 1 : kFirstLocalPort;
        if (InterlockedCompareExchange(&engine->m_nextLocalPort, next, seen) == seen) return next;
    }
}

void CNetEngine::Complete(CNetIoKey* key, CNetIoContext* record, DWORD bytes, DWORD error) {
    if (error == ERROR_OPERATION_ABORTED) InterlockedIncrement(&record->m_abortCount);
    CNetIoHandler* handler = key->BeginCallback();
    if (!handler) return;  // the object was closed; nobody to tell
    try {
        switch (record->m_kind) {
            case CNetIoContext::KindReceive: handler->IoReceived(record, bytes, error); break;
            case CNetIoContext::KindSend: handler->IoSent(record, bytes, error); break;
            case CNetIoContext::KindAccept: handler->IoAccepted(record, error); break;
            default: break;
        }
    } catch (...) {
        // An owner's exception must not end the I/O thread; the event is lost.
    }
    key->EndCallback();
}

void CNetEngine::IoThreadLoop() {
    for (;;) {
        DWORD bytes = 0;
        ULONG_PTR keyValue = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = GetQueuedCompletionStatus(m_port.Get(), &bytes, &keyValue, &overlapped, INFINITE);
        const DWORD error = ok ? 0 : GetLastError();
        if (!overlapped) {
            if (ok && keyValue == 0) return;                                               // Stop's wake packet
            if (error == ERROR_INVALID_HANDLE || error == ERROR_ABANDONED_WAIT_0) return;  // the port is gone
            continue;
        }
        CNetIoContext* record = static_cast<CNetIoContext*>(overlapped);
        CNetIoKey* key = reinterpret_cast<CNetIoKey*>(keyValue);
        // The error of a failed completion is passed on untranslated: every
        // failure ends the operation's connection the same way, whatever the
        // code. Wine reports a peer reset as 64 (ERROR_NETNAME_DELETED) and a
        // receive pending at a local close as 676 rather than as 0 bytes.
        Complete(key, record, bytes, record->m_postError ? record->m_postError : error);
        NetRelease(record);
        NetRelease(key);
        InterlockedDecrement(&m_pending);
    }
}

void CNetEngine::PollLoop(std::vector<CNetIoKey*>& list, CNetLock& lock, int workSize) {
    std::vector<char> work(static_cast<size_t>(workSize));
    std::vector<CNetIoKey*> snapshot;
    while (WaitForSingleObject(m_stopEvent.Get(), 0) != WAIT_OBJECT_0) {
        // Owners' poll work runs outside the list lock: they add and remove
        // objects, and close them under their own locks, from inside it.
        {
            CNetAutoLock guard(&lock, false);
            snapshot.clear();
            for (CNetIoKey* key : list)
                if (key->TryAddRef()) snapshot.push_back(key);
        }
        bool allIdle = true;
        for (CNetIoKey*& key : snapshot) {
            CNetIoHandler* handler = key->BeginCallback();
            if (handler) {
                try {
                    if (handler->IoPoll(workSize ? work.data() : nullptr, workSize) == 0) allIdle = false;
                } catch (...) {}
                key->EndCallback();
            }
            NetRelease(key);
        }
        if (allIdle) Sleep(kIdlePollSleepMs);
    }
}

void CNetEngine::SparePoolLoop() {
    while (WaitForSingleObject(m_stopEvent.Get(), kSparePoolSleepMs) != WAIT_OBJECT_0) FillSparePool();
}

DWORD WINAPI CNetEngine::IoThreadMain(LPVOID engine) {
    static_cast<CNetEngine*>(engine)->IoThreadLoop();
    return 0;
}

DWORD WINAPI CNetEngine::PollThreadMain(LPVOID arg) {
    CNetEngine* engine = static_cast<CNetEngine*>(arg);
    engine->PollLoop(engine->m_connections, engine->m_connectionsLock, kPollWorkSize);
    return 0;
}

DWORD WINAPI CNetEngine::ServerPollThreadMain(LPVOID arg) {
    CNetEngine* engine = static_cast<CNetEngine*>(arg);
    engine->PollLoop(engine->m_servers, engine->m_serversLock, 0);
    return 0;
}

DWORD WINAPI CNetEngine::SparePoolThreadMain(LPVOID engine) {
    try {
        static_cast<CNetEngine*>(engine)->SparePoolLoop();
    } catch (...) {}
    return 0;
}

bool CNetEngine::IsRunning() {
    SharedEngine shared;
    return shared.get() && !shared.get()->m_stopping;
}

int CNetEngine::IoThreadCount() {
    SharedEngine shared;
    return shared.get() ? static_cast<int>(shared.get()->m_ioThreads.size()) : 0;
}

int CNetEngine::PollThreadCount() {
    SharedEngine shared;
    return shared.get() ? static_cast<int>(shared.get()->m_pollThreads.size()) : 0;
}

int CNetEngine::ServerPollThreadCount() {
    SharedEngine shared;
    return shared.get() ? static_cast<int>(shared.get()->m_serverPollThreads.size()) : 0;
}

int CNetEngine::SpareSocketCount() {
    SharedEngine shared;
    if (!shared.get()) return 0;
    CNetAutoLock guard(&shared.get()->m_spareSocketsLock, false);
    return static_cast<int>(shared.get()->m_spareSockets.size());
}

LONG CNetEngine::PendingOperations() {
    SharedEngine shared;
    return shared.get() ? shared.get()->m_pending : 0;
}
