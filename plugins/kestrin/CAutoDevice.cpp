#include "plugins/kestrin/CAutoDevice.h"

#include <windows.h>

#include <new>
#include <vector>

#include "plugins/kestrin/AutoTranslate.h"
#include "plugins/kestrin/CAutoSession.h"

CAutoDevice::CAutoDevice() = default;

CAutoDevice::~CAutoDevice() { Close(); }

int CAutoDevice::Open(const PLUGIN_DEVICE_RECORD* records, int count) {
    if (records == nullptr || count <= 0 || count > kestrin::kMaxRecords) return -1;
    int result = -1;
    for (int i = 0; i < count; ++i) {
        CAutoSession* session = new (std::nothrow) CAutoSession(this);
        if (session == nullptr) continue;
        m_sessions[i] = session;
        const PLUGIN_DEVICE_RECORD& r = records[i];
        // The record's texts need not be terminated within their fields.
        char user[sizeof r.userName + 1] = {}, password[sizeof r.password + 1] = {};
        char id[sizeof r.registrationId + 1] = {};
        memcpy(user, r.userName, sizeof r.userName);
        memcpy(password, r.password, sizeof r.password);
        memcpy(id, r.registrationId, sizeof r.registrationId);
        result = session->SetRecord(user, password, id, r.channelCount, r.streamMode);
    }
    m_deviceInfo = records[0].deviceInfo;
    if (count > 1 && !m_requests) m_requests.reset(new (std::nothrow) CAutoRequestTable());
    return result;
}

void CAutoDevice::Close() {
    for (CAutoSession*& session : m_sessions) {
        if (session == nullptr) continue;
        session->CloseAll();
        delete session;
        session = nullptr;
    }
}

int CAutoDevice::SetCallBack(PluginMessageCallback onMessage, PluginDataCallback onData, void* user) {
    CAutoLock guard(&m_callbackLock);
    m_onMessage = onMessage;
    m_onData = onData;
    m_user = user;
    return 0;
}

int CAutoDevice::Heartbeat() {
    for (CAutoSession* session : m_sessions)
        if (session != nullptr) session->Heartbeat();
    return 1;
}

int CAutoDevice::CloseCommand(int32_t clientId) {
    for (CAutoSession* session : m_sessions)
        if (session != nullptr) session->CloseCommand(clientId);
    return 0;
}

int CAutoDevice::ParseCommand(const SDK_COMMAND* in, PARSE_RESULT* out) {
    if (in == nullptr || out == nullptr) return -1;
    std::vector<uint8_t> reply;
    for (CAutoSession* session : m_sessions)
        if (session != nullptr && session->GetLoginReply(&reply)) break;
    return kestrin::ParseSdkCommand(in, reply.empty() ? nullptr : reply.data(), reply.size(), m_deviceInfo, out);
}

int CAutoDevice::SendData(const uint8_t* packet, int length, int32_t clientId, int32_t tag) {
    if (packet == nullptr || length < int(kestrin::kHeaderSize)) return -1;
    std::vector<kestrin::AUTO_OUTGOING> outgoing;
    kestrin::PlanSendData(packet, size_t(length), clientId, tag, Layout(), m_requests.get(), GetTickCount(), &outgoing);
    for (const kestrin::AUTO_OUTGOING& o : outgoing) {
        CAutoSession* session = m_sessions[o.slot];
        if (session != nullptr) session->Send(o.packet.data(), o.packet.size(), o.clientId, o.tag, o.merge);
    }
    return 0;
}

int CAutoDevice::TryAttach(CAutoListener* connection, int connectionIndex, const char* registrationId) {
    for (CAutoSession* session : m_sessions) {
        if (session != nullptr && session->Attach(connection, connectionIndex, registrationId) >= 0) return 0;
    }
    return -1;
}

void CAutoDevice::OnSessionState(CAutoSession* session, bool online) {
    if (online) {
        // Off line first: the proxy restarts its side cleanly on every return.
        Report(0);
        Report(1);
        return;
    }
    int slot = SlotOf(session);
    if (slot < 0) return;
    kestrin::AUTO_RECORD_LAYOUT layout = Layout();
    m_masks.MarkRecordOffline(kestrin::RecordOffset(layout, slot), layout.channels[slot]);
    for (CAutoSession* s : m_sessions)
        if (s != nullptr && s->IsOnline()) return;
    Report(0);
}

void CAutoDevice::OnSessionData(CAutoSession* session, int connectionIndex, PLUGIN_DATA_TARGET* targets,
                                size_t targetCount, uint8_t* packet, size_t length, int merge) {
    int slot = SlotOf(session);
    if (slot < 0 || packet == nullptr || length == 0) return;
    kestrin::AUTO_RECORD_LAYOUT layout = Layout();
    kestrin::PrepareDeviceData(layout, slot, connectionIndex, session->ChannelCount(), m_deviceInfo, &m_masks, packet,
                               length, targets, targetCount);
    if (merge == 0 || !m_requests) {
        Deliver(targets, targetCount, packet, length);
        return;
    }
    CAutoRequestTable::Merged merged;
    if (m_requests->Merge(slot, targets, int(targetCount), packet, length, GetTickCount(), &merged))
        Deliver(merged.targets.data(), merged.targets.size(), merged.packet.data(), merged.packet.size());
}

int CAutoDevice::SlotOf(const CAutoSession* session) const {
    for (int s = 0; s < kestrin::kMaxRecords; ++s)
        if (session != nullptr && m_sessions[s] == session) return s;
    return -1;
}

kestrin::AUTO_RECORD_LAYOUT CAutoDevice::Layout() const {
    kestrin::AUTO_RECORD_LAYOUT layout = kestrin::EmptyLayout();
    for (int s = 0; s < kestrin::kMaxRecords; ++s) {
        if (m_sessions[s] != nullptr)
            kestrin::SetRecord(&layout, s, m_sessions[s]->ChannelCount(), m_sessions[s]->IsOnline());
    }
    return layout;
}

void CAutoDevice::Deliver(PLUGIN_DATA_TARGET* targets, size_t count, uint8_t* packet, size_t length) {
    PluginDataCallback onData;
    void* user;
    {
        CAutoLock guard(&m_callbackLock);
        onData = m_onData;
        user = m_user;
    }
    if (onData != nullptr) onData(targets, int(count), packet, int(length), user);
}

void CAutoDevice::Report(int state) {
    PluginMessageCallback onMessage;
    void* user;
    {
        CAutoLock guard(&m_callbackLock);
        onMessage = m_onMessage;
        user = m_user;
    }
    if (onMessage != nullptr) onMessage(0, state, user);
}
