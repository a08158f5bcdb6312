#include "netlib/CNetSocket.h"

#include <cstring>

#include "netlib/CNetEngine.h"

namespace {
const int kMaxBufferSize = 65535;
const int kUdpBindAttempts = 10000;
const int kHostNameSize = 228;
const int kAddressTextSize = 16;

void CopyAddressText(char* text, in_addr address) { lstrcpynA(text, inet_ntoa(address), kAddressTextSize); }

bool BindTo(SOCKET socket, ULONG address, USHORT port) {
    sockaddr_in local;
    memset(&local, 0, sizeof(local));
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = port;
    return bind(socket, reinterpret_cast<sockaddr*>(&local), sizeof(local)) == 0;
}
}  // namespace

CNetSocket::CNetSocket(CNetEventSink* sink, int userValue) : m_userValue(userValue), m_sink(sink) {}

CNetSocket::~CNetSocket() = default;

int CNetSocket::SetBufferSize(int kind, int size) {
    if (kind != BufferSend && kind != BufferReceive) return -1;
    if (size < 0 || size > kMaxBufferSize) return -2;
    (kind == BufferSend ? m_sendBufferSize : m_receiveBufferSize) = size;
    return 1;
}

int CNetSocket::GetBufferSize(int kind) const {
    if (kind == BufferSend) return m_sendBufferSize;
    if (kind == BufferReceive) return m_receiveBufferSize;
    return -1;
}

int CNetSocket::SetAutoReconnect(int flag) {
    InterlockedExchange(&m_autoReconnect, flag ? 1 : 0);
    return 1;
}

int CNetSocket::SetIdleTimeoutCheck(int flag) {
    InterlockedExchange(&m_idleTimeoutCheck, flag ? 1 : 0);
    return 1;
}

int CNetSocket::SetIdleTimeout(int seconds) {
    if (seconds < 1) return -1;
    InterlockedExchange(&m_idleTimeoutSeconds, seconds);
    return 1;
}

int CNetSocket::SetMaxQueuedSends(int count) {
    if (count < 1 || count > 65534) return -1;
    InterlockedExchange(&m_maxQueuedSends, count);
    return 1;
}

int CNetSocket::GetLocalAddress(char* text, int* port) const {
    if (!text || !port) return -1;
    sockaddr_in bound;
    int length = sizeof(bound);
    in_addr address;
    address.s_addr = m_localAddress;
    USHORT netPort = m_localPort;
    if (m_socket.IsValid() && getsockname(m_socket.Get(), reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
        address = bound.sin_addr;
        netPort = bound.sin_port;
    }
    CopyAddressText(text, address);
    *port = ntohs(netPort);
    return 1;
}

int CNetSocket::GetLocalIp(char* text) {
    if (!text) return -1;
    char name[kHostNameSize] = {};
    if (gethostname(name, sizeof(name)) != 0) return -1;
    hostent* host = gethostbyname(name);
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0]) return -1;
    in_addr first;
    memcpy(&first, host->h_addr_list[0], sizeof(first));
    CopyAddressText(text, first);
    return 1;
}

int CNetSocket::CreateSocket(int kind) { return CreateSocket(kind, false); }

int CNetSocket::CreateSocket(int kind, bool bindAlways) {
    if (m_socket.IsValid() || (kind != KindTcp && kind != KindUdp)) return -1;
    CUniqueSocket socket(kind == KindTcp ? ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)
                                         : ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket) return -1;
    bool bound = true;
    if (m_localPort != 0 || (kind == KindTcp && bindAlways))
        bound = BindTo(socket.Get(), m_localAddress, m_localPort);
    else if (kind == KindUdp)
        bound = BindUdpToNextLocalPort(socket.Get()) > 0;
    u_long nonBlocking = 1;
    if (!bound || ioctlsocket(socket.Get(), FIONBIO, &nonBlocking) != 0) return -1;
    ApplyBufferSizes(socket.Get());
    m_socket = std::move(socket);
    return 1;
}

int CNetSocket::BindUdpToNextLocalPort(SOCKET socket) {
    char text[kAddressTextSize];
    if (GetLocalIp(text) < 0) return -1;
    m_localAddress = inet_addr(text);
    for (int attempt = 0; attempt < kUdpBindAttempts; ++attempt) {
        const int port = CNetEngine::NextLocalPort();
        if (port < 0) return -1;
        if (BindTo(socket, m_localAddress, htons(static_cast<USHORT>(port)))) {
            m_localPort = htons(static_cast<USHORT>(port));
            return 1;
        }
    }
    return -1;
}

void CNetSocket::ApplyBufferSizes(SOCKET socket) const {
    // Results unchecked: the system keeps its own sizes when it refuses.
    if (m_receiveBufferSize > 0)
        setsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&m_receiveBufferSize), sizeof(int));
    if (m_sendBufferSize > 0)
        setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&m_sendBufferSize), sizeof(int));
}
