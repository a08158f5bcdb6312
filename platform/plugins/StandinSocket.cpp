#include "platform/plugins/StandinSocket.h"

#include <ws2tcpip.h>

namespace standin {

namespace {

timeval ToTimeval(uint32_t ms) {
    timeval tv;
    tv.tv_sec = static_cast<long>(ms / 1000);
    tv.tv_usec = static_cast<long>(ms % 1000 * 1000);
    return tv;
}

bool SetBlocking(SOCKET s, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}

}  // namespace

SOCKET ConnectTo(const char* address, uint16_t port, uint32_t waitMs) {
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (!address || inet_pton(AF_INET, address, &to.sin_addr) != 1) return INVALID_SOCKET;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    bool connected = false;
    if (SetBlocking(s, false)) {
        if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0) {
            connected = true;
        } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
            fd_set writable, failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(s, &writable);
            FD_SET(s, &failed);
            timeval tv = ToTimeval(waitMs);
            int error = 0;
            int size = sizeof(error);
            connected = select(0, nullptr, &writable, &failed, &tv) == 1 && FD_ISSET(s, &writable) &&
                        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
                        error == 0;
        }
    }
    if (!connected || !SetBlocking(s, true)) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
    return s;
}

bool SendAll(SOCKET s, const uint8_t* data, size_t length) {
    while (length > 0) {
        const int chunk = length > 0x10000 ? 0x10000 : static_cast<int>(length);
        const int sent = send(s, reinterpret_cast<const char*>(data), chunk, 0);
        if (sent <= 0) return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

int WaitReadable(SOCKET s, uint32_t waitMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval tv = ToTimeval(waitMs);
    const int ready = select(0, &readable, nullptr, nullptr, &tv);
    return ready < 0 ? -1 : ready;
}

}  // namespace standin
