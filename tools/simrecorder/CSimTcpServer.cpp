#include "tools/simrecorder/CSimTcpServer.h"

#include "standins/qvnetsdk/SdkSocket.h"

CSimTcpServer::CSimTcpServer(Handler handler) : m_handler(std::move(handler)) { m_winsock = qvsock::Startup(); }

CSimTcpServer::~CSimTcpServer() {
    Close();
    if (m_winsock) qvsock::Cleanup();
}

bool CSimTcpServer::Listen(const char* ip, uint16_t port) {
    CAutoLock lifecycle(&m_lifecycleLock);
    CloseLocked();
    uint16_t bound = 0;
    CUniqueSocket listener(qvsock::Listen(ip, port ? port : m_port, bound));
    if (!listener) return false;
    // Non-blocking, so that a connection given up between the readiness
    // check and accept cannot block the loop (and Close) for good.
    u_long nonBlocking = 1;
    ioctlsocket(listener.Get(), FIONBIO, &nonBlocking);
    m_port = bound;
    m_stop = false;
    m_listening = true;
    m_acceptThread = std::thread(&CSimTcpServer::AcceptLoop, this, std::move(listener));
    return true;
}

void CSimTcpServer::AcceptLoop(CUniqueSocket listener) {
    while (!m_stop) {
        if (!qvsock::WaitReadable(listener.Get(), 100)) continue;
        CUniqueSocket accepted(accept(listener.Get(), nullptr, nullptr));
        if (!accepted) continue;
        const SOCKET s = accepted.Get();
        u_long blocking = 0;  // it takes the listener's mode; handlers expect a blocking socket
        ioctlsocket(s, FIONBIO, &blocking);
        BOOL noDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
        ReapFinished();
        CAutoLock lock(&m_lock);
        m_live.push_back(std::unique_ptr<Connection>(new Connection));
        Connection* c = m_live.back().get();
        c->socket = s;
        ++m_connections;
        ++m_accepted;
        c->thread = std::thread([this, c, owned = std::move(accepted)]() mutable {
            m_handler(owned.Get(), m_stop);
            owned.Reset();  // the peer sees the end at once
            --m_connections;
            c->done = true;
        });
    }
}

void CSimTcpServer::ReapFinished() {
    CAutoLock lock(&m_lock);
    for (auto it = m_live.begin(); it != m_live.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = m_live.erase(it);
        } else {
            ++it;
        }
    }
}

void CSimTcpServer::Close() {
    CAutoLock lifecycle(&m_lifecycleLock);
    CloseLocked();
}

void CSimTcpServer::CloseLocked() {
    m_stop = true;
    if (m_acceptThread.joinable()) m_acceptThread.join();
    m_listening = false;
    std::list<std::unique_ptr<Connection>> live;
    {
        CAutoLock lock(&m_lock);
        live.swap(m_live);
        // Waking a blocked receive: the handlers poll `stop`, and the
        // shutdown makes the peer see the loss at once.
        for (auto& c : live) {
            if (!c->done) shutdown(c->socket, SD_BOTH);
        }
    }
    for (auto& c : live) c->thread.join();
}
