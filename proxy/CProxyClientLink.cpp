#include "proxy/CProxyClientLink.h"

#include "netlib/CNetBuffer.h"
#include "proxy/CProxyClient.h"

namespace {

const int kSubKeepAliveSeconds = 10;
// The socket library's answer when a connection's send queue is full.
const int kQueueFull = -3;

}  // namespace

CProxyClientLink::CProxyClientLink(int sessionId, CProxyClient* main) : m_sessionId(sessionId), m_main(main) {}

CProxyClientLink::~CProxyClientLink() = default;

int CProxyClientLink::AttachSub(int index, CProxyClient* connection) {
    if (index <= 0 || !connection || m_subs.count(index)) return -1;
    m_subs[index] = connection;
    uint8_t keepAlive[32] = {0xB1};
    connection->SetKeepAlive(keepAlive, sizeof(keepAlive), kSubKeepAliveSeconds);
    connection->SetIdleTimeoutCheck(0);
    return 0;
}

CProxyClient* CProxyClientLink::DetachSub(int index) {
    auto found = m_subs.find(index);
    if (found == m_subs.end()) return nullptr;
    CProxyClient* connection = found->second;
    m_subs.erase(found);
    return connection;
}

void CProxyClientLink::TakeAll(std::deque<CProxyClient*>& out) {
    if (m_main) out.push_back(m_main);
    m_main = nullptr;
    for (auto& sub : m_subs) out.push_back(sub.second);
    m_subs.clear();
}

void CProxyClientLink::AppendConnections(std::deque<CProxyClient*>& out) const {
    for (auto& sub : m_subs) out.push_back(sub.second);
    if (m_main) out.push_back(m_main);
}

int CProxyClientLink::Send(int index, CNetBuffer* buffer) {
    CProxyClient* target = nullptr;
    if (index == 0) {
        target = m_main;
    } else {
        auto found = m_subs.find(index);
        if (found != m_subs.end()) target = found->second;
    }
    if (!target || !buffer) return -1;
    buffer->AddRef();
    const int sent = target->Send(0, buffer);
    // A client that stopped reading would otherwise lose data out of the
    // middle of its stream unnoticed; ended, it sees the loss and logs in again.
    if (sent == kQueueFull) target->Abort();
    return sent;
}
