#include "tools/simrecorder/CSimSearchResponder.h"

#include "standins/qvnetsdk/SdkSocket.h"
#include "standins/qvnetsdk/SdkWire.h"

CSimSearchResponder::CSimSearchResponder(const DEVICE_SEARCH_RESULT& answer) : m_answer(answer) {
    m_winsock = qvsock::Startup();
}

CSimSearchResponder::~CSimSearchResponder() {
    Stop();
    if (m_winsock) qvsock::Cleanup();
}

bool CSimSearchResponder::Start(const char* ip, uint16_t port) {
    Stop();
    m_socket.Reset(qvsock::BindUdp(ip, port, m_port));
    if (!m_socket) return false;
    m_stop = false;
    m_thread = std::thread(&CSimSearchResponder::Run, this);
    return true;
}

void CSimSearchResponder::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    m_socket.Reset();
}

void CSimSearchResponder::Run() {
    uint8_t buffer[2048];
    while (!m_stop) {
        if (!qvsock::WaitReadable(m_socket.Get(), 100)) continue;
        sockaddr_in from;
        int fromLength = sizeof(from);
        const int received = recvfrom(m_socket.Get(), reinterpret_cast<char*>(buffer), sizeof(buffer), 0,
                                      reinterpret_cast<sockaddr*>(&from), &fromLength);
        uint32_t nonce = 0;
        if (received <= 0 || !qvwire::ParseSearchProbe(buffer, static_cast<size_t>(received), nonce)) continue;
        ++m_probes;
        // Answers go back to the sender only, never to a broadcast address.
        const std::vector<uint8_t> answer = qvwire::BuildSearchAnswer(nonce, m_answer);
        sendto(m_socket.Get(), reinterpret_cast<const char*>(answer.data()), static_cast<int>(answer.size()), 0,
               reinterpret_cast<sockaddr*>(&from), fromLength);
    }
}
