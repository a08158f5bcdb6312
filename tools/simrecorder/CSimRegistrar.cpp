#include "tools/simrecorder/CSimRegistrar.h"

#include <windows.h>

#include "standins/qvnetsdk/SdkSocket.h"
#include "tools/simrecorder/CSimRecorder.h"

namespace {

const uint8_t kRegisterCommand = 0xB4;
const uint8_t kRegisterSubType = 7;
const uint8_t kSubConnectCommand = 0xF1;
const size_t kHeader = 32;
const uint32_t kConnectWaitMs = 2000;
const uint32_t kHandshakeWaitMs = 5000;
const int kSubAttempts = 5;
const DWORD kSubRetryMs = 50;

}  // namespace

CSimRegistrar::CSimRegistrar(CSimRecorder& recorder, std::string registrationId, uint32_t channels)
    : m_recorder(recorder), m_id(std::move(registrationId)), m_channels(channels) {
    m_winsock = qvsock::Startup();
}

CSimRegistrar::~CSimRegistrar() {
    Stop();
    if (m_winsock) qvsock::Cleanup();
}

std::vector<uint8_t> CSimRegistrar::RegistrationPacket(const std::string& id, int connectionIndex) {
    std::vector<uint8_t> p(kHeader + id.size(), 0);
    p[0] = kRegisterCommand;
    const uint32_t length = static_cast<uint32_t>(id.size());
    for (int i = 0; i < 4; ++i) p[4 + i] = static_cast<uint8_t>(length >> (8 * i));
    p[8] = kRegisterSubType;
    p[28] = static_cast<uint8_t>(connectionIndex);
    std::copy(id.begin(), id.end(), p.begin() + kHeader);
    return p;
}

bool CSimRegistrar::Start(const char* ip, uint16_t port) {
    if (m_thread.joinable()) return false;
    m_ip = ip ? ip : "127.0.0.1";
    m_port = port;
    m_stop = false;
    m_thread = std::thread(&CSimRegistrar::Run, this);
    return true;
}

void CSimRegistrar::Stop() {
    m_stop = true;
    m_roundStop = true;
    if (m_thread.joinable()) m_thread.join();
}

void CSimRegistrar::Drop() { m_roundStop = true; }

void CSimRegistrar::Run() {
    while (!m_stop) {
        m_roundStop = false;
        m_mainEnded = false;
        RunRound();
        m_registered = false;
        CutLinks();
        for (uint32_t waited = 0; waited < kRetryMs && !m_stop; waited += 10) Sleep(10);
    }
}

void CSimRegistrar::RunRound() {
    CUniqueSocket connection(qvsock::Connect(m_ip.c_str(), m_port, kConnectWaitMs));
    if (!connection) return;
    const SOCKET main = connection.Get();
    const int loginsBefore = m_recorder.Device().LoginCount();
    if (!qvsock::SendAll(main, RegistrationPacket(m_id, 0))) return;
    {
        CAutoLock guard(&m_linksLock);
        m_links.push_back({std::move(connection), std::thread([this, main] {
                               Serve(main);
                               m_mainEnded = true;
                           })});
    }
    if (!WaitForLogin(loginsBefore)) return;
    for (uint32_t k = 1; k <= m_channels + 1; ++k) {
        if (!OpenSubConnection(static_cast<int>(k))) return;
    }
    m_registered = true;
    ++m_registrations;
    while (!m_roundStop && !m_mainEnded) Sleep(10);
}

bool CSimRegistrar::WaitForLogin(int loginsBefore) {
    const DWORD start = GetTickCount();
    while (m_recorder.Device().LoginCount() == loginsBefore) {
        if (m_roundStop || m_mainEnded || GetTickCount() - start > kLoginWaitMs) return false;
        Sleep(5);
    }
    return true;
}

bool CSimRegistrar::OpenSubConnection(int index) {
    // The server may not have taken in the login reply yet when the first
    // sub-connection registers; it refuses it then, and the recorder tries again.
    for (int attempt = 0; attempt < kSubAttempts && !m_roundStop && !m_mainEnded; ++attempt) {
        if (attempt > 0) Sleep(kSubRetryMs);
        CUniqueSocket connection(qvsock::Connect(m_ip.c_str(), m_port, kConnectWaitMs));
        if (!connection) return false;
        const SOCKET s = connection.Get();
        std::vector<uint8_t> handshake;
        if (qvsock::SendAll(s, RegistrationPacket(m_id, index)) &&
            qvsock::ReceiveCommand(s, kSubConnectCommand, kHandshakeWaitMs, handshake)) {
            CAutoLock guard(&m_linksLock);
            m_links.push_back({std::move(connection), std::thread([this, s] { Serve(s); })});
            return true;
        }
    }
    return false;
}

void CSimRegistrar::Serve(SOCKET s) { m_recorder.Serve(s, m_roundStop); }

void CSimRegistrar::CutLinks() {
    std::vector<Link> links;
    {
        CAutoLock guard(&m_linksLock);
        links.swap(m_links);
    }
    m_roundStop = true;
    for (Link& link : links) shutdown(link.socket.Get(), SD_BOTH);
    for (Link& link : links) {
        if (link.thread.joinable()) link.thread.join();
        link.socket.Reset();
    }
}
