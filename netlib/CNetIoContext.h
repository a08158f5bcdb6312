// One overlapped socket operation as it travels through the completion port.
#pragma once

#include <winsock2.h>
#include <mswsock.h>

#include "common/UniqueHandle.h"
#include "netlib/CNetRefCounted.h"

class CNetBuffer;

// The OVERLAPPED comes first in the object's layout as a base, so the port
// hands back the record itself. Count starts at 1 for its creator; every
// post holds one more until the I/O thread has handled the completion.
class CNetIoContext : public OVERLAPPED, public CNetRefCounted {
public:
    enum Kind { KindNone = 0, KindReceive = 1, KindSend = 2, KindAccept = 3 };
    enum Transport { TransportTcp = 1, TransportUdp = 2 };

    // Takes over the caller's reference to buffer (may be NULL); the scatter
    // entry covers the whole buffer.
    CNetIoContext(int kind, int transport, CNetBuffer* buffer);
    // Closes a spare socket still waiting for an accept, releases the buffer.
    ~CNetIoContext() override;

    // Clears the OVERLAPPED part before a post.
    void ResetOverlapped();

    WSABUF m_wsaBuf;
    int m_kind;
    int m_transport;
    CNetBuffer* m_buffer;
    sockaddr_in m_peer;
    int m_peerLength;
    int m_total = 0;
    int m_sent = 0;
    int m_sendContext = 0;
    volatile LONG m_abortCount = 0;
    LPFN_ACCEPTEX m_acceptEx = nullptr;
    LPFN_GETACCEPTEXSOCKADDRS m_getAcceptExSockaddrs = nullptr;
    CUniqueSocket m_acceptSocket;
    DWORD m_flags = 0;
    // Error of a post that failed at once; the engine routes it through the
    // port like any other completion so it is handled in one place.
    DWORD m_postError = 0;

    // Records alive in this process, for leak checks.
    static LONG LiveCount();
};
