// A device double on 127.0.0.1 for the plug-in and proxy tests: it speaks
// the SDK's direct protocol just far enough to be relayed. Login 0xA0 is
// answered by a 64-byte 0xB0 (result in byte 8, channel count in byte 10);
// keep-alive 0xA1 by 0xB1; every other request by one reply with the same
// command and sequence, status 0, and the request's body echoed; 0x93
// answers with a new transfer id in its first argument.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CTestDevice {
public:
    CTestDevice(std::string user, std::string password, uint8_t channels);
    ~CTestDevice();

    // Listens on 127.0.0.1; port 0 takes a free one. False when it cannot.
    bool Start(uint16_t port = 0);
    // Closes the listener and every connection.
    void Stop();
    uint16_t Port() const { return m_port; }

    int Logins() const { return m_logins; }
    int Connections() const { return m_connections; }
    // Connections open now.
    int OpenConnections() const;
    // Commands and first arguments of the requests seen, in order.
    std::vector<std::pair<uint8_t, uint32_t>> Requests() const;

private:
    void AcceptLoop();
    void Serve(SOCKET s);
    std::vector<uint8_t> Answer(const std::vector<uint8_t>& request);

    const std::string m_user;
    const std::string m_password;
    const uint8_t m_channels;
    SOCKET m_listener = INVALID_SOCKET;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::vector<SOCKET> m_open;
    std::vector<std::thread> m_servers;
    std::vector<std::pair<uint8_t, uint32_t>> m_requests;
    std::atomic<int> m_logins{0};
    std::atomic<int> m_connections{0};
    uint32_t m_nextTransfer = 100;
};
