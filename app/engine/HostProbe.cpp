#include "app/engine/HostProbe.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "common/UniqueHandle.h"

namespace {

// Winsock stays started for the life of the process once a probe ran.
bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool Connects(const sockaddr_in& address) {
    CUniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    return s && connect(s.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

}  // namespace

int ProbeHost(const char* host, uint16_t port, std::string* connectedAddress) {
    if (!host || !*host || !StartWinsock()) return -1;
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return -1;
    int result = -2;
    for (addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) continue;
        sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        address.sin_port = htons(port);
        if (!Connects(address)) continue;
        char text[INET_ADDRSTRLEN] = {};
        const unsigned char* b = reinterpret_cast<const unsigned char*>(&address.sin_addr);
        wsprintfA(text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
        if (connectedAddress) *connectedAddress = text;
        result = 0;
        break;
    }
    freeaddrinfo(found);
    return result;
}
