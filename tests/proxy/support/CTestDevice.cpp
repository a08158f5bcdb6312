#include "tests/proxy/support/CTestDevice.h"

#include <algorithm>
#include <cstring>

#include "tests/proxy/support/SdkTestClient.h"

CTestDevice::CTestDevice(std::string user, std::string password, uint8_t channels)
    : m_user(std::move(user)), m_password(std::move(password)), m_channels(channels) {}

CTestDevice::~CTestDevice() { Stop(); }

bool CTestDevice::Start(uint16_t port) {
    EnsureWinsock();
    m_stop = false;
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(at);
    if (m_listener == INVALID_SOCKET || bind(m_listener, reinterpret_cast<sockaddr*>(&at), sizeof(at)) != 0 ||
        listen(m_listener, 8) != 0 || getsockname(m_listener, reinterpret_cast<sockaddr*>(&at), &size) != 0) {
        Stop();
        return false;
    }
    m_port = ntohs(at.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
    return true;
}

void CTestDevice::Stop() {
    m_stop = true;
    if (m_listener != INVALID_SOCKET) closesocket(m_listener);
    m_listener = INVALID_SOCKET;
    if (m_acceptor.joinable()) m_acceptor.join();
    std::vector<std::thread> servers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (SOCKET s : m_open) shutdown(s, SD_BOTH);
        servers.swap(m_servers);
    }
    for (std::thread& t : servers) t.join();
}

std::vector<std::pair<uint8_t, uint32_t>> CTestDevice::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

int CTestDevice::OpenConnections() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_open.size());
}

void CTestDevice::AcceptLoop() {
    while (!m_stop) {
        SOCKET s = accept(m_listener, nullptr, nullptr);
        if (s == INVALID_SOCKET) return;
        ++m_connections;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open.push_back(s);
        m_servers.emplace_back([this, s] { Serve(s); });
    }
}

void CTestDevice::Serve(SOCKET s) {
    std::vector<uint8_t> pending;
    char chunk[65536];
    for (;;) {
        const int got = recv(s, chunk, sizeof(chunk), 0);
        if (got <= 0) break;
        pending.insert(pending.end(), chunk, chunk + got);
        while (pending.size() >= 32 && pending.size() >= 32 + PacketU32(pending, 4)) {
            const size_t total = 32 + PacketU32(pending, 4);
            std::vector<uint8_t> request(pending.begin(), pending.begin() + total);
            pending.erase(pending.begin(), pending.begin() + total);
            const std::vector<uint8_t> reply = Answer(request);
            if (!reply.empty() && send(s, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()),
                                       0) != static_cast<int>(reply.size())) {
                break;
            }
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open.erase(std::remove(m_open.begin(), m_open.end(), s), m_open.end());
    closesocket(s);
}

std::vector<uint8_t> CTestDevice::Answer(const std::vector<uint8_t>& request) {
    const uint8_t command = request[0];
    if (command == 0xA0) {
        const std::string user(reinterpret_cast<const char*>(&request[8]),
                               strnlen(reinterpret_cast<const char*>(&request[8]), 8));
        const std::string password(reinterpret_cast<const char*>(&request[16]),
                                   strnlen(reinterpret_cast<const char*>(&request[16]), 8));
        std::vector<uint8_t> reply = SdkPacket(0xB0, 0, 0, std::string(32, 'i'));
        const bool ok = user == m_user && password == m_password;
        reply[8] = ok ? 0 : 1;
        reply[10] = m_channels;
        reply[16] = ok ? 77 : 0;
        if (ok) ++m_logins;
        return reply;
    }
    if (command == 0xA1) return SdkPacket(0xB1);
    const uint32_t sequence = PacketU32(request, 8);
    uint32_t arg0 = PacketU32(request, 16);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.emplace_back(command, arg0);
        if (command == 0x93) arg0 = ++m_nextTransfer;
    }
    return SdkPacket(command, sequence, arg0, std::string(request.begin() + 32, request.end()));
}
