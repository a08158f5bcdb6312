// One instance of the socket library: completion port, its threads, and the
// spare sockets that accepts take.
#pragma once

#include <winsock2.h>

#include <deque>
#include <vector>

#include "common/UniqueHandle.h"
#include "netlib/CNetLock.h"

class CNetIoContext;
class CNetIoKey;

// Reached through static functions over one instance per linked library
// (each deliverable that links netlib has its own). Every I/O result, also
// a post that fails at once, reaches its object through the port on an I/O
// thread; pending operations are counted, and Stop lets them drain before
// anything is freed.
//
// Threads: processors + 1 I/O threads, processors + 2 poll threads (owners'
// OnPoll for connections), 2 server poll threads (accepted sockets handed
// to owners), 1 thread keeping 200 spare sockets ready for accepts.
class CNetEngine {
public:
    // Starts the instance. processors 0 takes the machine's count (tests set
    // it; Wine ignores affinity). 1 when running; -1 when already running or
    // a step failed (what was started stays until Stop).
    static int Init(int processors = 0);
    // Stops the instance: posts are refused from here on, outstanding
    // operations are cancelled and drained (objects still open hear OnClose),
    // threads joined, spare sockets closed, Windows Sockets cleaned up.
    // 1; -1 when WSACleanup fails. With no instance running: 1, nothing done.
    // Objects still open may be closed and deleted afterwards.
    static int Stop();

    // Associates socket with the port under key and lists key for polling
    // (the list holds its own reference). 1; -1 when stopped, an argument is
    // missing or the association fails.
    static int AddConnection(SOCKET socket, CNetIoKey* key);
    // Unlists key (when given), then closes socket (when valid), also when the
    // instance is stopped. 1.
    static int RemoveConnection(SOCKET socket, CNetIoKey* key);
    // As AddConnection for a listening socket; also fetches the socket's
    // AcceptEx functions into acceptRecord. 1 or -1.
    static int AddServer(SOCKET socket, CNetIoKey* key, CNetIoContext* acceptRecord);
    // As RemoveConnection, on the server list. 1.
    static int RemoveServer(SOCKET socket, CNetIoKey* key);

    // Issues a receive into record's buffer on key's socket. 1: the result
    // will arrive through the port (an immediate failure too); -1: nothing was
    // issued (stopped), the caller keeps its references.
    static int PostReceive(CNetIoKey* key, CNetIoContext* record);
    // Issues a send of record's bytes from m_sent to m_total. As PostReceive.
    static int PostSend(CNetIoKey* key, CNetIoContext* record);
    // Issues an AcceptEx on key's listening socket, taking a spare socket when
    // record has none. As PostReceive; -1 also when no spare socket is ready.
    static int PostAccept(CNetIoKey* key, CNetIoContext* record);

    // Next local UDP port: 10001 .. 19999, then 10000, 10001, ... -1 when stopped.
    static int NextLocalPort();

    // Observers for tests, benchmarks and leak checks; 0 when stopped.
    static bool IsRunning();
    static int IoThreadCount();
    static int PollThreadCount();
    static int ServerPollThreadCount();
    static int SpareSocketCount();
    static LONG PendingOperations();

private:
    enum PostKind { PostKindReceive, PostKindSend, PostKindAccept };
    typedef std::vector<CNetIoKey*> List;

    CNetEngine();
    ~CNetEngine();

    int Start(int processors);
    void Shutdown();
    int Post(PostKind kind, CNetIoKey* key, CNetIoContext* record);
    int Issue(PostKind kind, CNetIoKey* key, CNetIoContext* record);
    bool TakeSpareSocket(CUniqueSocket& socket);
    bool Associate(SOCKET socket, CNetIoKey* key);
    static int Unregister(List CNetEngine::*list, CNetLock CNetEngine::*lock, SOCKET socket, CNetIoKey* key);
    static int AddToList(std::vector<CNetIoKey*>& list, CNetLock& lock, CNetIoKey* key);
    static void RemoveFromList(std::vector<CNetIoKey*>& list, CNetLock& lock, CNetIoKey* key);
    void CancelListed(std::vector<CNetIoKey*>& list, CNetLock& lock);
    void WaitForPendingOperations(DWORD timeoutMs);
    void DrainPort();
    void FillSparePool();

    void IoThreadLoop();
    void PollLoop(std::vector<CNetIoKey*>& list, CNetLock& lock, int workSize);
    void SparePoolLoop();
    static DWORD WINAPI IoThreadMain(LPVOID engine);
    static DWORD WINAPI PollThreadMain(LPVOID engine);
    static DWORD WINAPI ServerPollThreadMain(LPVOID engine);
    static DWORD WINAPI SparePoolThreadMain(LPVOID engine);
    static void Complete(CNetIoKey* key, CNetIoContext* record, DWORD bytes, DWORD error);

    CUniqueHandle m_port;
    std::vector<CUniqueHandle> m_ioThreads;
    CUniqueHandle m_stopEvent;
    volatile LONG m_nextLocalPort = 10000;
    std::vector<CUniqueHandle> m_pollThreads;
    std::vector<CNetIoKey*> m_connections;
    CNetLock m_connectionsLock;
    std::vector<CUniqueHandle> m_serverPollThreads;
    std::vector<CNetIoKey*> m_servers;
    CNetLock m_serversLock;
    CUniqueHandle m_sparePoolThread;
    std::deque<CUniqueSocket> m_spareSockets;
    CNetLock m_spareSocketsLock;
    volatile LONG m_pending = 0;
    bool m_stopping = false;
    bool m_winsockStarted = false;
};
