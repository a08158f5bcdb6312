#include "plugins/kestrin/CAutoSession.h"

#include <algorithm>
#include <cstring>

#include "plugins/kestrin/CAutoDevice.h"
#include "plugins/kestrin/CAutoListener.h"

namespace {

void CopyText(char* to, size_t size, const char* from) {
    std::memset(to, 0, size);
    if (from != nullptr) std::strncpy(to, from, size - 1);
}

}  // namespace

CAutoSession::CAutoSession(CAutoDevice* owner) : m_owner(owner) {}

CAutoSession::~CAutoSession() { CloseAll(); }

int CAutoSession::SetRecord(const char* userName, const char* password, const char* registrationId, int channelCount,
                            int streamMode) {
    CAutoLock guard(&m_sessionLock);
    CopyText(m_userName, sizeof m_userName, userName);
    CopyText(m_password, sizeof m_password, password);
    CopyText(m_registrationId, sizeof m_registrationId, registrationId);
    m_channelCount = channelCount;
    m_streamMode = streamMode;
    m_loginReply.clear();
    return 0;
}

int CAutoSession::Attach(CAutoListener* connection, int connectionIndex, const char* registrationId) {
    if (connection == nullptr || registrationId == nullptr || registrationId[0] == '\0') return -1;
    {
        CAutoLock guard(&m_sessionLock);
        if (!kestrin::RegistrationIdEquals(registrationId, m_registrationId)) return -1;
    }
    if (connectionIndex == 0) {
        std::vector<CAutoListener*> old;
        bool restarted = false;
        if (AttachMain(connection, &old, &restarted) != 0) return -1;
        Dispose(old);
        if (restarted) m_owner->OnSessionState(this, false);
        return 0;
    }
    bool nowOnline = false;
    if (AttachSub(connection, connectionIndex, &nowOnline) != 0) return -1;
    if (nowOnline) m_owner->OnSessionState(this, true);
    return 0;
}

int CAutoSession::AttachMain(CAutoListener* connection, std::vector<CAutoListener*>* toClose, bool* restarted) {
    CAutoLock guard(&m_sessionLock);
    uint8_t login[kestrin::kMaxLoginPacket];
    int loginLength = kestrin::BuildLoginPacket(m_userName, m_password, login, sizeof login);
    if (loginLength < 0) return -1;
    if (!connection->SetSessionCallbacks(&OnConnectionClosed, &OnConnectionData, this)) return -1;
    // The device came back over a new main connection: start over.
    if (m_connections[0] != nullptr) {
        *restarted = true;
        *toClose = DetachAllLocked();
        m_channel.Reset();
        m_loginId = 0;
        m_loginReply.clear();
    }
    connection->SetConnectionIndex(0);
    {
        CAutoLock state(&m_stateLock);
        m_connections[0] = connection;
        m_online = false;
        m_lost = false;  // what a connection of the last round reported is past
    }
    uint8_t keepAlive[kestrin::kHeaderSize];
    kestrin::BuildKeepAlivePacket(keepAlive);
    connection->SetKeepAlive(keepAlive, int(sizeof keepAlive), kKeepAliveSeconds);
    connection->Send(login, loginLength);
    return 0;
}

int CAutoSession::AttachSub(CAutoListener* connection, int connectionIndex, bool* nowOnline) {
    CAutoLock guard(&m_sessionLock);
    if (m_connections[0] == nullptr || m_loginId == 0 || connectionIndex < 1 ||
        connectionIndex > kestrin::kMaxConnectionIndex || m_connections[connectionIndex] != nullptr)
        return -1;
    if (!connection->SetSessionCallbacks(&OnConnectionClosed, &OnConnectionData, this)) return -1;
    connection->SetConnectionIndex(connectionIndex);
    bool last = kestrin::IsLastSubConnection(connectionIndex, m_channelCount);
    {
        CAutoLock state(&m_stateLock);
        m_connections[connectionIndex] = connection;
        // A connection lost on the way leaves the session to the heartbeat.
        if (last && !m_lost) {
            m_online = true;
            *nowOnline = true;
        }
    }
    uint8_t handshake[kestrin::kHeaderSize];
    kestrin::BuildSubConnectPacket(m_loginId, connectionIndex, m_channelCount, handshake);
    connection->Send(handshake, int(sizeof handshake));
    return 0;
}

std::vector<CAutoListener*> CAutoSession::DetachAllLocked() {
    std::vector<CAutoListener*> detached;
    CAutoLock state(&m_stateLock);
    for (CAutoListener*& connection : m_connections) {
        if (connection != nullptr) detached.push_back(connection);
        connection = nullptr;
    }
    return detached;
}

void CAutoSession::Dispose(const std::vector<CAutoListener*>& connections) {
    for (CAutoListener* connection : connections) {
        connection->Close();
        delete connection;
    }
}

int CAutoSession::CloseAll() {
    std::vector<CAutoListener*> old;
    {
        CAutoLock guard(&m_sessionLock);
        m_channel.Reset();
        old = DetachAllLocked();
        m_loginId = 0;
    }
    Dispose(old);
    return 0;
}

int CAutoSession::Heartbeat() {
    {
        CAutoLock guard(&m_sessionLock);
        if (m_connections[0] != nullptr) m_connections[0]->PeriodicCheck(GetTickCount());
    }
    bool restart = false;
    {
        CAutoLock state(&m_stateLock);
        if (m_lost && !m_online && m_connections[0] != nullptr) {
            m_lost = false;
            restart = true;
        }
    }
    if (restart) {
        CloseAll();
        m_owner->OnSessionState(this, false);
    }
    return 1;
}

bool CAutoSession::GetLoginReply(std::vector<uint8_t>* out) const {
    CAutoLock guard(&m_sessionLock);
    if (m_loginReply.size() < kestrin::kHeaderSize) return false;
    *out = m_loginReply;
    return true;
}

int CAutoSession::Send(const uint8_t* packet, size_t length, int32_t clientId, int32_t tag, int merge) {
    if (packet == nullptr) return -1;
    std::vector<uint8_t> built;
    switch (m_channel.SendCommand(packet, length, clientId, tag, merge, View(), &built)) {
        case CAutoChannel::kSendNothing: break;
        case CAutoChannel::kSendAsIs: SendToDevice(packet, length); break;
        case CAutoChannel::kSendBuilt: SendToDevice(built.data(), built.size()); break;
        case CAutoChannel::kAnswerSdk: {
            PLUGIN_DATA_TARGET target{clientId, tag};
            m_owner->OnSessionData(this, tag, &target, 1, built.data(), built.size(), merge);
            break;
        }
    }
    return 0;
}

void CAutoSession::CloseCommand(int32_t clientId) {
    for (const std::vector<uint8_t>& packet : m_channel.CloseCommand(clientId, View()))
        SendToDevice(packet.data(), packet.size());
}

bool CAutoSession::IsOnline() const {
    CAutoLock state(&m_stateLock);
    return m_online;
}

int CAutoSession::ChannelCount() const {
    CAutoLock guard(&m_sessionLock);
    return m_channelCount;
}

AUTO_SESSION_VIEW CAutoSession::View() const {
    AUTO_SESSION_VIEW view;
    view.online = IsOnline();
    CAutoLock guard(&m_sessionLock);
    view.streamMode = m_streamMode;
    view.channelCount = m_channelCount;
    return view;
}

void CAutoSession::SendToDevice(const uint8_t* packet, size_t length) {
    CAutoLock guard(&m_sessionLock);
    if (m_connections[0] != nullptr) m_connections[0]->Send(packet, int(length));
}

int CAutoSession::OnConnectionClosed(CAutoListener* connection, int value, void* user) {
    CAutoSession* self = static_cast<CAutoSession*>(user);
    if (self == nullptr || value != 0) return 0;
    // Only the state lock: an Attach holding the session lock may be what
    // this close waits behind. The next heartbeat does the rest.
    CAutoLock state(&self->m_stateLock);
    bool current = std::find(std::begin(self->m_connections), std::end(self->m_connections), connection) !=
                   std::end(self->m_connections);
    if (current) {
        self->m_online = false;
        self->m_lost = true;
    }
    return 0;
}

int CAutoSession::OnConnectionData(CAutoListener* connection, uint8_t* packet, int length, void* user) {
    CAutoSession* self = static_cast<CAutoSession*>(user);
    if (self == nullptr || packet == nullptr || length <= 0) return 0;
    self->HandleData(connection, packet, size_t(length));
    return 0;
}

void CAutoSession::HandleData(CAutoListener* connection, uint8_t* packet, size_t length) {
    int index = connection->ConnectionIndex();
    CAutoChannel::Route route = m_channel.OnDeviceData(index, packet, length);
    switch (route.kind) {
        case CAutoChannel::Route::kDrop: break;
        case CAutoChannel::Route::kLoginReply: StoreLoginReply(packet, length); break;
        case CAutoChannel::Route::kDeliver:
            m_owner->OnSessionData(this, index, route.targets.data(), route.targets.size(), packet, length,
                                   route.merge);
            break;
    }
}

void CAutoSession::StoreLoginReply(const uint8_t* packet, size_t length) {
    kestrin::AUTO_LOGIN_REPLY reply;
    if (kestrin::ParseLoginReply(packet, length, &reply) != 0) return;
    CAutoLock guard(&m_sessionLock);
    m_loginReply.assign(packet, packet + length);
    m_channelCount = reply.channelCount;
    // A device announcing more sub-connections than there are slots could
    // never complete them: without a login id every one is refused and the
    // record stays off line.
    m_loginId = kestrin::SubConnectionsFit(reply.channelCount) ? reply.loginId : 0;
}
