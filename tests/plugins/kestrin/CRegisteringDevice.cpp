#include "tests/plugins/kestrin/CRegisteringDevice.h"

#include <ws2tcpip.h>

#include "plugins/kestrin/AutoProtocol.h"
#include "tools/simrecorder/CSimRegistrar.h"

using kestrin::kHeaderSize;

namespace {

bool ReadExactly(SOCKET s, uint8_t* to, size_t count) {
    while (count > 0) {
        int n = recv(s, reinterpret_cast<char*>(to), int(count), 0);
        if (n <= 0) return false;
        to += n;
        count -= size_t(n);
    }
    return true;
}

void SetTimeout(SOCKET s, DWORD ms) {
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

}  // namespace

CRegisteringDevice::CRegisteringDevice(int port, std::string registrationId, int channelCount, uint32_t loginId)
    : m_port(port),
      m_id(std::move(registrationId)),
      m_channels(channelCount),
      m_loginId(loginId),
      m_links(kestrin::kMaxConnectionIndex + 1, INVALID_SOCKET) {}

CRegisteringDevice::~CRegisteringDevice() { DropAll(); }

std::vector<uint8_t> CRegisteringDevice::Registration(const std::string& id, int connectionIndex) {
    return CSimRegistrar::RegistrationPacket(id, connectionIndex);
}

int CRegisteringDevice::FreeLoopbackPort() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int size = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    closesocket(s);
    return ntohs(a.sin_port);
}

SOCKET CRegisteringDevice::Dial() const {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(uint16_t(m_port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

bool CRegisteringDevice::ConnectMain() {
    Drop(0);
    m_links[0] = Dial();
    if (m_links[0] == INVALID_SOCKET || !Send(0, Registration(m_id, 0))) return false;
    return ReadCommand(0, kestrin::kCmdLogin, &m_login);
}

bool CRegisteringDevice::AnswerLogin(size_t replyLength) {
    std::vector<uint8_t> reply(replyLength, 0);
    reply[0] = kestrin::kCmdLoginReply;
    kestrin::WriteLe32(reply.data() + 4, uint32_t(replyLength - kHeaderSize));
    reply[10] = uint8_t(m_channels);
    kestrin::WriteLe32(reply.data() + 16, m_loginId);
    for (size_t i = kHeaderSize; i < replyLength; ++i) reply[i] = uint8_t(i);
    return Send(0, reply);
}

bool CRegisteringDevice::OpenSub(int k, std::vector<uint8_t>* handshake) {
    // The first sub-connection may overtake the login reply and be refused:
    // a device tries again, for as long as a loaded server may take to read
    // that reply: a fixed count of quick tries can run out before it.
    const DWORD start = GetTickCount();
    for (int attempt = 0; attempt == 0 || GetTickCount() - start < kSubRetryMs; ++attempt) {
        if (attempt > 0) Sleep(50);
        Drop(k);
        m_links[size_t(k)] = Dial();
        std::vector<uint8_t> answer;
        if (m_links[size_t(k)] != INVALID_SOCKET && Send(k, Registration(m_id, k)) &&
            ReadCommand(k, kestrin::kCmdSubConnect, &answer)) {
            if (handshake != nullptr) *handshake = answer;
            return true;
        }
    }
    return false;
}

bool CRegisteringDevice::Register() {
    if (!ConnectMain() || !AnswerLogin()) return false;
    for (int k = 1; k <= m_channels + 1; ++k)
        if (!OpenSub(k)) return false;
    return true;
}

SOCKET CRegisteringDevice::Link(int k) const { return m_links[size_t(k)]; }

bool CRegisteringDevice::Send(int k, const std::vector<uint8_t>& packet) { return SendOn(Link(k), packet); }

bool CRegisteringDevice::Read(int k, std::vector<uint8_t>* packet, DWORD timeoutMs) {
    return ReadOn(Link(k), packet, timeoutMs);
}

bool CRegisteringDevice::ReadCommand(int k, uint8_t command, std::vector<uint8_t>* packet, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (!Read(k, packet, timeoutMs)) return false;
        if (!packet->empty() && (*packet)[0] == command) return true;
    }
    return false;
}

bool CRegisteringDevice::WaitClosed(int k, DWORD timeoutMs) { return WaitClosedOn(Link(k), timeoutMs); }

void CRegisteringDevice::Drop(int k) {
    if (m_links[size_t(k)] != INVALID_SOCKET) closesocket(m_links[size_t(k)]);
    m_links[size_t(k)] = INVALID_SOCKET;
}

void CRegisteringDevice::DropAll() {
    for (size_t k = 0; k < m_links.size(); ++k) Drop(int(k));
}

bool CRegisteringDevice::SendOn(SOCKET s, const std::vector<uint8_t>& packet) {
    if (s == INVALID_SOCKET) return false;
    return send(s, reinterpret_cast<const char*>(packet.data()), int(packet.size()), 0) == int(packet.size());
}

bool CRegisteringDevice::ReadOn(SOCKET s, std::vector<uint8_t>* packet, DWORD timeoutMs) {
    if (s == INVALID_SOCKET) return false;
    SetTimeout(s, timeoutMs);
    packet->assign(kHeaderSize, 0);
    if (!ReadExactly(s, packet->data(), kHeaderSize)) return false;
    uint32_t body = kestrin::ReadLe32(packet->data() + 4);
    if (body > (1u << 20)) return false;
    packet->resize(kHeaderSize + body);
    return ReadExactly(s, packet->data() + kHeaderSize, body);
}

bool CRegisteringDevice::WaitClosedOn(SOCKET s, DWORD timeoutMs) {
    if (s == INVALID_SOCKET) return true;
    SetTimeout(s, timeoutMs);
    char sink[4096];
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        int n = recv(s, sink, sizeof sink, 0);
        if (n == 0) return true;
        if (n < 0) return WSAGetLastError() != WSAETIMEDOUT;
    }
    return false;
}
