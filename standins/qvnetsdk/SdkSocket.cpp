#include "standins/qvnetsdk/SdkSocket.h"

#include <ws2tcpip.h>

#include <cstdio>
#include <cstring>

namespace qvsock {

namespace {

bool MakeAddress(const char* ip, uint16_t port, sockaddr_in& address) {
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (!ip || !*ip) {
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    address.sin_addr.s_addr = inet_addr(ip);
    // inet_addr cannot tell "255.255.255.255" from an error; the search
    // needs that address, so it is accepted when spelled out.
    return address.sin_addr.s_addr != INADDR_NONE || std::strcmp(ip, "255.255.255.255") == 0;
}

uint16_t LocalPort(SOCKET s) {
    sockaddr_in bound;
    int length = sizeof(bound);
    if (getsockname(s, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
    return ntohs(bound.sin_port);
}

SOCKET BindSocket(int type, const char* ip, uint16_t port, uint16_t& boundPort) {
    sockaddr_in address;
    if (!MakeAddress(ip, port, address)) return INVALID_SOCKET;
    CUniqueSocket s(socket(AF_INET, type, type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP));
    if (!s) return INVALID_SOCKET;
    // A recorder that goes off line and on line again rebinds its port while
    // old connections may linger in TIME_WAIT.
    BOOL reuse = TRUE;
    if (type == SOCK_STREAM)
        setsockopt(s.Get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
    if (bind(s.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        (type == SOCK_STREAM && listen(s.Get(), SOMAXCONN) != 0)) {
        return INVALID_SOCKET;
    }
    boundPort = LocalPort(s.Get());
    return s.Release();
}

// Large enough that a pipelined download's answers arrive in a few reads.
const size_t kReceiveChunk = 256 * 1024;
// The least room offered to a read, so that small packets still arrive whole.
const size_t kReceiveMinimum = 4096;

size_t BytesWaiting(SOCKET s) {
    u_long waiting = 0;
    return ioctlsocket(s, FIONREAD, &waiting) == 0 ? waiting : 0;
}

// Reads what the socket holds into the framer. A select() costs a trip
// through the system (and under Wine through its server) while asking how
// many bytes wait does not, so readiness is awaited only when none wait.
bool ReadMore(SOCKET s, CPacketFramer& framer, const std::atomic<bool>& stop, uint32_t pollMs) {
    size_t waiting = BytesWaiting(s);
    if (waiting == 0) {
        while (!WaitReadable(s, pollMs)) {
            if (stop) return false;
            framer.ReleaseIdle();
        }
        // Readable: asking how much again would cost another trip, and recv
        // takes what has arrived anyway (or reports the peer's close).
        waiting = kReceiveChunk;
    }
    if (stop) return false;
    size_t room = waiting < kReceiveMinimum ? kReceiveMinimum : waiting;
    if (room > kReceiveChunk) room = kReceiveChunk;
    const int received = recv(s, reinterpret_cast<char*>(framer.Space(room)), static_cast<int>(room), 0);
    if (received <= 0) return false;
    framer.Commit(static_cast<size_t>(received));
    return true;
}

}  // namespace

bool Startup() {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void Cleanup() { WSACleanup(); }

SOCKET Connect(const char* ip, uint16_t port, uint32_t waitMs) {
    sockaddr_in address;
    if (!MakeAddress(ip, port, address) || address.sin_addr.s_addr == htonl(INADDR_ANY)) return INVALID_SOCKET;
    CUniqueSocket owned(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!owned) return INVALID_SOCKET;
    const SOCKET s = owned.Get();
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval wait = {static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
        if (select(0, nullptr, &writable, &failed, &wait) == 1 && FD_ISSET(s, &writable)) {
            int error = 0;
            int length = sizeof(error);
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
            connected = error == 0;
        }
    }
    if (!connected) return INVALID_SOCKET;
    nonBlocking = 0;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
    return owned.Release();
}

SOCKET Listen(const char* ip, uint16_t port, uint16_t& boundPort) {
    return BindSocket(SOCK_STREAM, ip, port, boundPort);
}

SOCKET BindUdp(const char* ip, uint16_t port, uint16_t& boundPort) {
    return BindSocket(SOCK_DGRAM, ip, port, boundPort);
}

bool SendAll(SOCKET s, const uint8_t* data, size_t length) {
    while (length > 0) {
        const int sent = send(s, reinterpret_cast<const char*>(data), static_cast<int>(length), 0);
        if (sent <= 0) return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

bool WaitReadable(SOCKET s, uint32_t waitMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait = {static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &wait) == 1;
}

bool ReceivePacket(SOCKET s, CPacketFramer& framer, std::vector<uint8_t>& packet, const std::atomic<bool>& stop,
                   uint32_t pollMs) {
    for (;;) {
        const CPacketFramer::Result result = framer.Next(packet);
        if (result == CPacketFramer::Packet) return true;
        if (result == CPacketFramer::Oversize || !ReadMore(s, framer, stop, pollMs)) return false;
    }
}

bool ReceivePacket(SOCKET s, CPacketFramer& framer, qvwire::PacketHeader& header, std::vector<uint8_t>& body,
                   const std::atomic<bool>& stop, uint32_t pollMs) {
    for (;;) {
        const CPacketFramer::Result result = framer.Next(header, body);
        if (result == CPacketFramer::Packet) return true;
        if (result == CPacketFramer::Oversize || !ReadMore(s, framer, stop, pollMs)) return false;
    }
}

bool ReceiveCommand(SOCKET s, uint8_t command, uint32_t waitMs, std::vector<uint8_t>& packet) {
    CPacketFramer framer;
    const DWORD start = GetTickCount();
    uint8_t buffer[4096];
    for (;;) {
        CPacketFramer::Result result;
        while ((result = framer.Next(packet)) == CPacketFramer::Packet) {
            if (packet[0] == command) return true;
        }
        if (result == CPacketFramer::Oversize) return false;
        const DWORD spent = GetTickCount() - start;
        if (spent >= waitMs || !WaitReadable(s, waitMs - spent)) return false;
        const int received = recv(s, reinterpret_cast<char*>(buffer), sizeof(buffer), 0);
        if (received <= 0) return false;
        framer.Feed(buffer, static_cast<size_t>(received));
    }
}

}  // namespace qvsock
