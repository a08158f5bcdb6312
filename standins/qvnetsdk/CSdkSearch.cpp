#include "standins/qvnetsdk/CSdkSearch.h"

#include "standins/qvnetsdk/CSdkCore.h"
#include "standins/qvnetsdk/SdkSocket.h"
#include "standins/qvnetsdk/SdkWire.h"

namespace {
const DWORD kProbeEveryMs = 1000;
}

CSdkSearch::CSdkSearch(QVNET_SearchCallback onFound, QVNET_USER user) : m_onFound(onFound), m_user(user) {}

CSdkSearch::~CSdkSearch() = default;

bool CSdkSearch::Open(const std::string& targetIp, int32_t targetPort) {
    m_target.sin_family = AF_INET;
    m_target.sin_port = htons(static_cast<u_short>(targetPort));
    m_target.sin_addr.s_addr = inet_addr(targetIp.c_str());
    if (m_target.sin_addr.s_addr == INADDR_NONE && targetIp != "255.255.255.255") return false;
    uint16_t bound = 0;
    m_socket.Reset(qvsock::BindUdp(nullptr, 0, bound));
    if (!m_socket) return false;
    if (m_target.sin_addr.s_addr == INADDR_BROADCAST) {
        BOOL broadcast = TRUE;
        setsockopt(m_socket.Get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&broadcast),
                   sizeof(broadcast));
    }
    m_nonce = GetTickCount() ^ static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this));
    return true;
}

void CSdkSearch::Start() {
    std::shared_ptr<CSdkSearch> self = shared_from_this();
    CSdkCore::Get().StartThread([self] { self->Run(); });
}

void CSdkSearch::Shutdown() {
    CAutoLock lock(&m_gate);
    m_stopped = true;
}

void CSdkSearch::SendProbe() {
    const std::vector<uint8_t> probe = qvwire::BuildSearchProbe(m_nonce);
    sendto(m_socket.Get(), reinterpret_cast<const char*>(probe.data()), static_cast<int>(probe.size()), 0,
           reinterpret_cast<const sockaddr*>(&m_target), sizeof(m_target));
}

void CSdkSearch::Report(const DEVICE_SEARCH_RESULT& result) {
    const std::string key = std::string(result.ip) + "|" + std::to_string(result.port) + "|" + result.mac;
    if (!m_seen.insert(key).second || !m_onFound) return;
    {
        CAutoLock lock(&m_gate);
        if (m_stopped) return;
    }
    CSdkCore::CallbackScope scope;
    m_onFound(&result, m_user);
}

void CSdkSearch::Run() {
    uint8_t buffer[2048];
    DWORD lastProbe = GetTickCount() - kProbeEveryMs;
    while (!m_stopped) {
        if (GetTickCount() - lastProbe >= kProbeEveryMs) {
            SendProbe();
            lastProbe = GetTickCount();
        }
        if (!qvsock::WaitReadable(m_socket.Get(), 100)) continue;
        const int received =
            recvfrom(m_socket.Get(), reinterpret_cast<char*>(buffer), sizeof(buffer), 0, nullptr, nullptr);
        uint32_t nonce = 0;
        DEVICE_SEARCH_RESULT result;
        if (received > 0 && qvwire::ParseSearchAnswer(buffer, static_cast<size_t>(received), nonce, result) &&
            nonce == m_nonce) {
            Report(result);
        }
    }
}
