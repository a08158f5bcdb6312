#include "tests/proxy/support/SdkTestClient.h"

#include <ws2tcpip.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void EnsureWinsock() {
    static bool started = [] {
        WSADATA data;
        const bool ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        std::atexit([] { WSACleanup(); });
        return ok;
    }();
    (void)started;
}

CSdkTestClient::~CSdkTestClient() { Close(); }

bool CSdkTestClient::Connect(uint16_t port) {
    EnsureWinsock();
    Close();
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == INVALID_SOCKET) return false;
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(m_socket, reinterpret_cast<sockaddr*>(&to), sizeof(to)) != 0) {
        Close();
        return false;
    }
    return true;
}

bool CSdkTestClient::Send(const std::vector<uint8_t>& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        const int sent =
            send(m_socket, reinterpret_cast<const char*>(bytes.data() + at), static_cast<int>(bytes.size() - at), 0);
        if (sent <= 0) return false;
        at += static_cast<size_t>(sent);
    }
    return true;
}

std::vector<uint8_t> CSdkTestClient::Read(uint32_t waitMs) {
    const int64_t deadline = NowMs() + waitMs;
    for (;;) {
        if (m_pending.size() >= 32) {
            const size_t total = 32 + PacketU32(m_pending, 4);
            if (m_pending.size() >= total) {
                std::vector<uint8_t> packet(m_pending.begin(), m_pending.begin() + total);
                m_pending.erase(m_pending.begin(), m_pending.begin() + total);
                return packet;
            }
        }
        const int64_t left = deadline - NowMs();
        if (left <= 0 || m_socket == INVALID_SOCKET) return {};
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval tv = {static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
        if (select(0, &readable, nullptr, nullptr, &tv) != 1) return {};
        char chunk[65536];
        const int got = recv(m_socket, chunk, sizeof(chunk), 0);
        if (got <= 0) return {};
        m_pending.insert(m_pending.end(), chunk, chunk + got);
    }
}

std::vector<uint8_t> CSdkTestClient::ReadSkipping(uint8_t skip, uint32_t waitMs) {
    const int64_t deadline = NowMs() + waitMs;
    for (;;) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) return {};
        std::vector<uint8_t> packet = Read(static_cast<uint32_t>(left));
        if (packet.empty() || packet[0] != skip) return packet;
    }
}

bool CSdkTestClient::WaitClosed(uint32_t waitMs) {
    const int64_t deadline = NowMs() + waitMs;
    while (m_socket != INVALID_SOCKET) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) return false;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_socket, &readable);
        timeval tv = {static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
        if (select(0, &readable, nullptr, nullptr, &tv) != 1) return false;
        char chunk[4096];
        if (recv(m_socket, chunk, sizeof(chunk), 0) <= 0) return true;
    }
    return true;
}

void CSdkTestClient::Close() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    m_pending.clear();
}

// Its own codec on purpose: the test client frames packets apart from the
// proxy's framer, so each checks the other.
static void PutU32(std::vector<uint8_t>& packet, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) packet[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t PacketU32(const std::vector<uint8_t>& packet, size_t offset) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | packet[offset + i];
    return v;
}

std::string PacketBody(const std::vector<uint8_t>& packet) {
    return packet.size() < 32 ? std::string("(none)") : std::string(packet.begin() + 32, packet.end());
}

std::vector<uint8_t> SdkPacket(uint8_t command, uint32_t sequence, uint32_t arg0, const std::string& body) {
    std::vector<uint8_t> packet(32 + body.size(), 0);
    packet[0] = command;
    PutU32(packet, 4, static_cast<uint32_t>(body.size()));
    PutU32(packet, 8, sequence);
    PutU32(packet, 16, arg0);
    std::memcpy(packet.data() + 32, body.data(), body.size());
    return packet;
}

std::vector<uint8_t> SdkLogin(const std::string& user, const std::string& password) {
    std::vector<uint8_t> packet = SdkPacket(0xA0);
    std::memcpy(&packet[8], user.data(), user.size() < 8 ? user.size() : 8);
    std::memcpy(&packet[16], password.data(), password.size() < 8 ? password.size() : 8);
    return packet;
}

std::vector<uint8_t> SdkSubConnection(uint32_t mainSession, uint8_t index) {
    std::vector<uint8_t> packet = SdkPacket(0xF1, mainSession);
    packet[3] = 0x50;
    packet[12] = 1;
    packet[13] = index;
    return packet;
}
