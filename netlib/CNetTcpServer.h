// A listening TCP socket that accepts through the completion port and hands
// each accepted socket to its owner on a server poll thread.
#pragma once

#include <deque>

#include "netlib/CNetIoHandler.h"
#include "netlib/CNetLock.h"
#include "netlib/CNetPollGate.h"
#include "netlib/CNetSocket.h"

class CNetIoContext;
class CNetIoKey;

// One accept is pending at a time; each accepted socket reaches the owner
// through OnAccept, one per poll, in arrival order. An accept that fails or
// cannot be re-armed (no spare socket ready) is retried from the server
// poll threads while the server listens. After StopListen returns (called
// outside this object's own events) no event of it runs or will start.
class CNetTcpServer : public CNetSocket, private CNetIoHandler {
public:
    explicit CNetTcpServer(CNetEventSink* sink = nullptr, int userValue = 0);
    ~CNetTcpServer() override;

    // Stops listening: the listening socket closes and accepted sockets not
    // yet handed over are closed. 1.
    virtual int StopListen();
    // Listens on address (NULL: any) and port (0: one the system picks, see
    // GetLocalAddress). 1; -1 when already listening or a step fails.
    virtual int Listen(const char* address, int port);

private:
    struct Accepted {
        CUniqueSocket socket;
        char address[32];
        int port;
    };

    int IoReceived(CNetIoContext* record, DWORD bytes, DWORD error) override;
    int IoSent(CNetIoContext* record, DWORD bytes, DWORD error) override;
    int IoAccepted(CNetIoContext* record, DWORD error) override;
    int IoPoll(char* work, int workSize) override;

    void QueueAccepted(CUniqueSocket accepted, CNetIoContext* record);
    void ArmAccept();
    bool HandOverOne();

    CNetIoKey* m_key = nullptr;
    CNetIoContext* m_acceptRecord = nullptr;
    bool m_listening = false;
    volatile LONG m_rearmNeeded = 0;
    CNetLock m_stateLock;
    std::deque<Accepted> m_accepted;
    CNetLock m_acceptedLock;
    CNetPollGate m_pollGate;
};
