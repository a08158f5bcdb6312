// One device opened through the plug-in: one session per registration
// record (at most four), their channels added up to the one device the SDK
// sees, and the callbacks into the proxy. The slots change only in Open and
// Close, which the proxy never runs beside another call on the same handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/CAutoLock.h"
#include "plugins/kestrin/AutoChannelLayout.h"
#include "plugins/kestrin/AutoPluginTypes.h"
#include "plugins/kestrin/CAutoRequestTable.h"
#include "plugins/kestrin/CAutoStateMasks.h"

class CAutoListener;
class CAutoSession;

class CAutoDevice {
public:
    CAutoDevice();
    virtual ~CAutoDevice();
    CAutoDevice(const CAutoDevice&) = delete;
    CAutoDevice& operator=(const CAutoDevice&) = delete;

    // One session per record. 0; -1 when records is null, count is not
    // 1..4, or no session could be made.
    int Open(const PLUGIN_DEVICE_RECORD* records, int count);
    // Closes and deletes every session.
    void Close();
    int SetCallBack(PluginMessageCallback onMessage, PluginDataCallback onData, void* user);
    int DeviceInfo() const { return m_deviceInfo; }
    // Each session's heartbeat. 1.
    int Heartbeat();
    // 0.
    int CloseCommand(int32_t clientId);
    // Answers an SDK packet locally or asks for it to be forwarded. 0; -1
    // when in or out is null.
    int ParseCommand(const SDK_COMMAND* in, PARSE_RESULT* out);
    // Sends an SDK packet to the records it concerns. 0; -1 when the packet
    // is null or shorter than a header.
    int SendData(const uint8_t* packet, int length, int32_t clientId, int32_t tag);

    // Offers a registering connection to the sessions in order: the first
    // that takes it ends the walk. 0 taken; -1 when none does.
    int TryAttach(CAutoListener* connection, int connectionIndex, const char* registrationId);

    // Reports and state-mask accounting when a record goes on or off line.
    void OnSessionState(CAutoSession* session, bool online);
    // Hands a device packet of a record to the SDK (renumbered, addressed by
    // connection number), or to the request table when it is merged. Packet
    // and targets are the caller's scratch: they are rewritten in place, so
    // a relayed packet is copied only where the proxy makes its send buffer.
    void OnSessionData(CAutoSession* session, int connectionIndex, PLUGIN_DATA_TARGET* targets, size_t targetCount,
                       uint8_t* packet, size_t length, int merge);

private:
    int SlotOf(const CAutoSession* session) const;
    kestrin::AUTO_RECORD_LAYOUT Layout() const;
    void Deliver(PLUGIN_DATA_TARGET* targets, size_t count, uint8_t* packet, size_t length);
    void Report(int state);

    CAutoSession* m_sessions[kestrin::kMaxRecords] = {};
    int m_deviceInfo = 0;
    std::unique_ptr<CAutoRequestTable> m_requests;
    CAutoStateMasks m_masks;

    mutable CLock m_callbackLock;
    PluginMessageCallback m_onMessage = nullptr;
    PluginDataCallback m_onData = nullptr;
    void* m_user = nullptr;
};
