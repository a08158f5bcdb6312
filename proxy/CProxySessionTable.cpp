#include "proxy/CProxySessionTable.h"

#include <cstring>
#include <new>
#include <vector>

#include "netlib/CNetAutoLock.h"
#include "netlib/CNetBuffer.h"
#include "proxy/CProxyClient.h"
#include "proxy/CProxyClientLink.h"
#include "proxy/CProxyDevice.h"
#include "proxy/ProxyRecords.h"

namespace {

// Connections whose close a send reported while this thread held the table
// lock shared: they are removed once the lock is let go, since removal
// needs the lock alone.
thread_local std::vector<CProxyClient*>* t_closedWhileSending = nullptr;

}  // namespace

CProxySessionTable::CProxySessionTable(CProxyDevice* device) : m_device(device) {}

CProxySessionTable::~CProxySessionTable() { CloseAll(); }

int CProxySessionTable::AddClient(CProxyClient* connection) {
    CNetAutoLock lock(&m_lock, true);
    m_unregistered[connection->ClientId()] = connection;
    return 0;
}

int CProxySessionTable::OnClientCommand(SDK_COMMAND& command, PARSE_RESULT& result, CProxyClient* connection) {
    // A result left over from an earlier packet must never be acted on again.
    std::memset(&result, 0, sizeof(result));
    if (m_device->ParseCommand(&command, &result) < 0) return 0;
    if (result.replyLength > kParseReplyMax) return 0;
    switch (result.action) {
        case kParseLogin:
            // Registered before the reply goes out: the SDK opens its
            // sub-connections as soon as it has the reply.
            if (result.registerClient == 1) AddMainClient(result.sessionIndex, connection);
            if (result.replyLength > 0) {
                Reply(result, connection);
                ForwardToDevice(command, connection);
            }
            break;
        case kParseSubConnection:
            if (result.connect == 1) m_device->Connect(&command, &result);
            if (result.registerClient == 1) AttachSubClient(result.mainSessionId, result.sessionIndex, connection);
            Reply(result, connection);
            break;
        default:
            if (result.forward == 1) {
                ForwardToDevice(command, connection);
            } else {
                Reply(result, connection);
            }
            break;
    }
    return 0;
}

void CProxySessionTable::Reply(const PARSE_RESULT& result, CProxyClient* connection) {
    if (result.replyLength <= 0) return;
    CNetBuffer* reply = CNetBuffer::CreateCopy(result.replyLength, result.reply);
    if (!reply) return;
    reply->AddRef();
    connection->Send(0, reply);
}

void CProxySessionTable::ForwardToDevice(const SDK_COMMAND& command, CProxyClient* connection) {
    m_device->SendData(command, connection->SessionId(), connection->SessionIndex());
}

void CProxySessionTable::AddMainClient(int sessionIndex, CProxyClient* connection) {
    CNetAutoLock lock(&m_lock, true);
    auto found = m_unregistered.find(connection->ClientId());
    if (!connection->IsLive() || found == m_unregistered.end() || found->second != connection) return;
    CProxyClientLink* link = new (std::nothrow) CProxyClientLink(connection->ClientId(), connection);
    if (!link) return;
    m_sessions[link->SessionId()] = link;
    connection->Register(CProxyClient::kMain, link->SessionId(), sessionIndex);
    m_unregistered.erase(found);
}

void CProxySessionTable::AttachSubClient(int mainSessionId, int sessionIndex, CProxyClient* connection) {
    CNetAutoLock lock(&m_lock, true);
    auto session = m_sessions.find(mainSessionId);
    auto found = m_unregistered.find(connection->ClientId());
    if (!connection->IsLive() || session == m_sessions.end() || found == m_unregistered.end() ||
        found->second != connection) {
        return;
    }
    if (session->second->AttachSub(sessionIndex, connection) < 0) return;
    connection->Register(CProxyClient::kSub, mainSessionId, sessionIndex);
    m_unregistered.erase(found);
}

int CProxySessionTable::SendToClients(int sessionId, int subIndex, CNetBuffer* buffer) {
    std::vector<CProxyClient*> closed;
    std::vector<CProxyClient*>* outer = t_closedWhileSending;
    t_closedWhileSending = &closed;
    int result = -1;
    {
        CNetAutoLock lock(&m_lock, false);
        auto found = m_sessions.find(sessionId);
        if (found != m_sessions.end()) result = found->second->Send(subIndex, buffer);
    }
    t_closedWhileSending = outer;
    for (CProxyClient* connection : closed) RemoveClient(connection);
    return result;
}

void CProxySessionTable::TakeOut(CProxyClient* connection, std::deque<CProxyClient*>& closing) {
    switch (connection->GetKind()) {
        case CProxyClient::kMain: {
            auto found = m_sessions.find(connection->SessionId());
            if (found == m_sessions.end() || found->second->Main() != connection) return;
            // Closing the main connection ends the whole login session.
            found->second->TakeAll(closing);
            delete found->second;
            m_sessions.erase(found);
            break;
        }
        case CProxyClient::kSub: {
            auto found = m_sessions.find(connection->SessionId());
            if (found == m_sessions.end()) return;
            CProxyClient* detached = found->second->DetachSub(connection->SessionIndex());
            if (detached) closing.push_back(detached);
            break;
        }
        default: {
            auto found = m_unregistered.find(connection->ClientId());
            if (found == m_unregistered.end() || found->second != connection) return;
            m_unregistered.erase(found);
            closing.push_back(connection);
            break;
        }
    }
}

int CProxySessionTable::RemoveClient(CProxyClient* connection) {
    if (t_closedWhileSending) {
        t_closedWhileSending->push_back(connection);
        return 0;
    }
    std::deque<CProxyClient*> closing;
    {
        CNetAutoLock lock(&m_lock, true);
        TakeOut(connection, closing);
        for (CProxyClient* c : closing) c->MarkClosed();
        if (m_checkingThread == GetCurrentThreadId()) {
            m_closedDuringCheck.insert(m_closedDuringCheck.end(), closing.begin(), closing.end());
            return 0;
        }
    }
    QueueForClose(closing);
    return 0;
}

void CProxySessionTable::QueueForClose(std::deque<CProxyClient*>& closing) {
    if (closing.empty()) return;
    {
        CNetAutoLock lock(&m_closeLock, true);
        m_closeQueue.insert(m_closeQueue.end(), closing.begin(), closing.end());
    }
    m_device->Notify(0);
}

void CProxySessionTable::Drain() {
    for (;;) {
        CProxyClient* connection;
        {
            CNetAutoLock lock(&m_closeLock, true);
            if (m_closeQueue.empty()) return;
            connection = m_closeQueue.front();
            m_closeQueue.pop_front();
        }
        connection->Close();
        if (connection->GetKind() == CProxyClient::kMain) m_device->CloseCommand(connection->SessionId());
        delete connection;
    }
}

void CProxySessionTable::CloseAndDelete(std::deque<CProxyClient*>& connections) {
    for (CProxyClient* connection : connections) {
        connection->Close();
        delete connection;
    }
    connections.clear();
}

void CProxySessionTable::CloseAll() {
    std::deque<CProxyClient*> closing;
    {
        CNetAutoLock lock(&m_lock, true);
        for (auto& entry : m_unregistered) closing.push_back(entry.second);
        m_unregistered.clear();
        for (auto& entry : m_sessions) {
            entry.second->TakeAll(closing);
            delete entry.second;
        }
        m_sessions.clear();
        for (CProxyClient* c : closing) c->MarkClosed();
    }
    // Outside the table lock: a close waits for the connection's running
    // events, which may be waiting for that lock.
    CloseAndDelete(closing);
    Drain();
}

int CProxySessionTable::ListClients(PROXY_CLIENT_ENTRY* entries, int max) {
    CNetAutoLock lock(&m_lock, false);
    int count = 0;
    for (auto& entry : m_sessions) {
        if (count >= max) break;
        CProxyClient* main = entry.second->Main();
        if (!main) continue;
        std::memset(&entries[count], 0, sizeof(entries[count]));
        CopyTextField(entries[count].address, sizeof(entries[count].address), main->PeerAddress(), 32);
        entries[count].port = main->PeerPort();
        ++count;
    }
    return count;
}

void CProxySessionTable::CheckClients() {
    std::deque<CProxyClient*> closed;
    {
        CNetAutoLock lock(&m_lock, true);
        std::deque<CProxyClient*> all;
        for (auto& entry : m_unregistered) all.push_back(entry.second);
        for (auto& entry : m_sessions) entry.second->AppendConnections(all);
        // A check may close a connection, whose removal runs on this thread
        // and may take others along: those wait in m_closedDuringCheck, so
        // every pointer of the walk stays valid until it ends.
        m_checkingThread = GetCurrentThreadId();
        for (CProxyClient* connection : all) {
            if (connection->IsLive()) connection->Check();
        }
        m_checkingThread = 0;
        closed.swap(m_closedDuringCheck);
    }
    QueueForClose(closed);
}

int CProxySessionTable::UnregisteredCount() {
    CNetAutoLock lock(&m_lock, false);
    return static_cast<int>(m_unregistered.size());
}

int CProxySessionTable::SessionCount() {
    CNetAutoLock lock(&m_lock, false);
    return static_cast<int>(m_sessions.size());
}
