// A self-registering device on plain blocking sockets: registers its main
// connection on the registration port, answers the login, opens its
// sub-connections and answers what the tests send it.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <string>
#include <vector>

class CRegisteringDevice {
public:
    CRegisteringDevice(int port, std::string registrationId, int channelCount, uint32_t loginId);
    ~CRegisteringDevice();
    CRegisteringDevice(const CRegisteringDevice&) = delete;
    CRegisteringDevice& operator=(const CRegisteringDevice&) = delete;

    // A registration packet 0xB4 for connection index.
    static std::vector<uint8_t> Registration(const std::string& id, int connectionIndex);
    // A loopback port that was free a moment ago, for a server that must be
    // told its port before it listens.
    static int FreeLoopbackPort();
    // A new connection to the registration port; INVALID_SOCKET when refused.
    SOCKET Dial() const;

    // Main connection registered and its login 0xA0 read into login().
    bool ConnectMain();
    // Answers the login with a 0xB0 of replyLength bytes.
    bool AnswerLogin(size_t replyLength = 64);
    // Sub-connection k registered and its 0xF1 read into *handshake; a
    // refused one is tried again for up to kSubRetryMs.
    bool OpenSub(int k, std::vector<uint8_t>* handshake = nullptr);
    // Main connection, login, sub-connections 1..channels+1.
    bool Register();

    // Connection 0 = main, k = sub-connection k.
    SOCKET Link(int k) const;
    bool Send(int k, const std::vector<uint8_t>& packet);
    // Next whole packet on link k; false on time-out, end or error.
    bool Read(int k, std::vector<uint8_t>* packet, DWORD timeoutMs = 5000);
    // Reads on link k until a packet with the command arrives (skipping
    // keep-alives and others).
    bool ReadCommand(int k, uint8_t command, std::vector<uint8_t>* packet, DWORD timeoutMs = 5000);
    // True when the peer ends link k within the time-out.
    bool WaitClosed(int k, DWORD timeoutMs = 5000);
    void Drop(int k);
    void DropAll();

    const std::vector<uint8_t>& login() const { return m_login; }
    int channels() const { return m_channels; }

    // Helpers for any socket.
    static bool SendOn(SOCKET s, const std::vector<uint8_t>& packet);
    static bool ReadOn(SOCKET s, std::vector<uint8_t>* packet, DWORD timeoutMs);
    static bool WaitClosedOn(SOCKET s, DWORD timeoutMs);

private:
    static const DWORD kSubRetryMs = 10000;

    int m_port;
    std::string m_id;
    int m_channels;
    uint32_t m_loginId;
    std::vector<SOCKET> m_links;
    std::vector<uint8_t> m_login;
};
