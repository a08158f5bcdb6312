#include "tests/proxy/support/ProxyFixture.h"

#include <cstring>
#include <random>

#include "tests/proxy/support/SdkTestClient.h"

namespace {

// Below the ephemeral ranges of the host (32768 and up) and of Windows
// (49152 and up), where no outgoing connection takes its source port from.
const int kFirstTestPort = 20000;
const int kTestPortCount = 12000;

bool BindsOnLoopback(uint16_t port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = htons(port);
    const bool bound = s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at)) == 0;
    if (s != INVALID_SOCKET) closesocket(s);
    return bound;
}

}  // namespace

// Not one the system hands out (bind to port 0): a proxy listens on the port
// some time later, and again after its device came back on line, and in
// between any connection on the machine could take an ephemeral port as its
// source port and hold it past the proxy's wait for it.
uint16_t FreeLocalPort() {
    EnsureWinsock();
    static std::mt19937 random(GetCurrentProcessId() ^ GetTickCount());
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const uint16_t port = static_cast<uint16_t>(kFirstTestPort + random() % kTestPortCount);
        if (BindsOnLoopback(port)) return port;
    }
    return 0;
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
