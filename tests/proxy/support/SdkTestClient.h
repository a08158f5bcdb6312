// Blocking SDK-side socket helpers for tests: connect to 127.0.0.1, send
// framed packets, read framed packets with a time-out.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <string>
#include <vector>

// Starts Winsock for the test process (once) and stops it at exit.
void EnsureWinsock();

class CSdkTestClient {
public:
    CSdkTestClient() = default;
    ~CSdkTestClient();
    CSdkTestClient(const CSdkTestClient&) = delete;
    CSdkTestClient& operator=(const CSdkTestClient&) = delete;

    bool Connect(uint16_t port);
    bool Send(const std::vector<uint8_t>& bytes);
    // The next whole packet, or empty when none arrives in time or the
    // connection ends.
    std::vector<uint8_t> Read(uint32_t waitMs = 5000);
    // Skips packets whose command is skip (keep-alive answers, say).
    std::vector<uint8_t> ReadSkipping(uint8_t skip, uint32_t waitMs = 5000);
    // True once the peer has closed the connection (within waitMs).
    bool WaitClosed(uint32_t waitMs = 10000);
    void Close();

private:
    SOCKET m_socket = INVALID_SOCKET;
    std::vector<uint8_t> m_pending;
};

// A packet: the 32-byte header with command, sequence (bytes 8..11) and
// first argument (bytes 16..19), then the body; body length set.
std::vector<uint8_t> SdkPacket(uint8_t command, uint32_t sequence = 0, uint32_t arg0 = 0,
                               const std::string& body = std::string());
uint32_t PacketU32(const std::vector<uint8_t>& packet, size_t offset);
// The bytes behind the header, or "(none)" for a packet shorter than one.
std::string PacketBody(const std::vector<uint8_t>& packet);
// The SDK's short-form login request.
std::vector<uint8_t> SdkLogin(const std::string& user, const std::string& password);
// A sub-connection request joining session mainSession as connection index.
std::vector<uint8_t> SdkSubConnection(uint32_t mainSession, uint8_t index);
