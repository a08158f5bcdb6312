#include "tests/proxy/support/ProxyFixture.h"

#include <cstring>

#include "tests/proxy/support/SdkTestClient.h"

uint16_t FreeLocalPort() {
    EnsureWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(at);
    uint16_t port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at)) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&at), &size) == 0) {
        port = ntohs(at.sin_port);
    }
    closesocket(s);
    return port;
}

PROXY_DEVICE_INFO DirectDevice(uint16_t devicePort, uint16_t localPort, const char* user, const char* password) {
    PROXY_DEVICE_INFO info;
    std::memset(&info, 0, sizeof(info));
    std::strcpy(info.regAddress, "127.0.0.1");
    info.regPort = devicePort;
    std::strcpy(info.userName, user);
    std::strcpy(info.password, password);
    std::strcpy(info.registrationId, "SIM-0001");
    std::strcpy(info.localAddress, "127.0.0.1");
    info.localPort = localPort;
    std::strcpy(info.localUserName, user);
    std::strcpy(info.localPassword, password);
    info.reserved1 = 1;
    return info;
}
