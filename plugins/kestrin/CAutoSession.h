// One registration record of a device: waits for the physical device with
// that registration id, logs in over its main connection, collects its
// sub-connections, and relays commands and replies through its command
// channel. Connections are closed and the device is called back only after
// the session lock is released: both reach into other locks (the socket
// library's, the proxy's) that a thread sending through this session holds.
#pragma once

#include <cstdint>
#include <vector>

#include "common/CAutoLock.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "plugins/kestrin/CAutoChannel.h"

class CAutoDevice;
class CAutoListener;

class CAutoSession {
public:
    static constexpr int kConnectionSlots = kestrin::kMaxConnectionIndex + 1;
    static constexpr int kKeepAliveSeconds = 10;

    explicit CAutoSession(CAutoDevice* owner);
    // Closes every connection still held.
    virtual ~CAutoSession();
    CAutoSession(const CAutoSession&) = delete;
    CAutoSession& operator=(const CAutoSession&) = delete;

    // Copies the record (texts cut to their fields) and forgets the stored
    // login reply. 0.
    int SetRecord(const char* userName, const char* password, const char* registrationId, int channelCount,
                  int streamMode);

    // Takes a registering connection. 0 accepted (the session owns it from
    // then on); -1 refused: another id, an ended connection, a
    // sub-connection before the login reply, an index above 40 or a taken slot.
    int Attach(CAutoListener* connection, int connectionIndex, const char* registrationId);

    // Resets the command channel and closes every connection. 0.
    int CloseAll();

    // Keep-alive of the main connection; a session that lost a connection is
    // closed and reported off line. 1.
    int Heartbeat();

    // Copies the stored login reply. true when one of at least a header exists.
    bool GetLoginReply(std::vector<uint8_t>* out) const;

    // One SDK command for this record. 0; -1 without a packet.
    int Send(const uint8_t* packet, size_t length, int32_t clientId, int32_t tag, int merge);

    // Withdraws what a departing SDK client asked for.
    void CloseCommand(int32_t clientId);

    bool IsOnline() const;
    // As the device reported it (0..255); tables use it clamped to 16.
    int ChannelCount() const;

private:
    static int OnConnectionClosed(CAutoListener* connection, int value, void* user);
    static int OnConnectionData(CAutoListener* connection, uint8_t* packet, int length, void* user);
    void HandleData(CAutoListener* connection, uint8_t* packet, size_t length);
    void StoreLoginReply(const uint8_t* packet, size_t length);
    // Empties every slot under the session lock; the caller closes and
    // deletes what is returned once the lock is released.
    std::vector<CAutoListener*> DetachAllLocked();
    static void Dispose(const std::vector<CAutoListener*>& connections);
    int AttachMain(CAutoListener* connection, std::vector<CAutoListener*>* toClose, bool* restarted);
    int AttachSub(CAutoListener* connection, int connectionIndex, bool* nowOnline);
    AUTO_SESSION_VIEW View() const;
    void SendToDevice(const uint8_t* packet, size_t length);

    CAutoDevice* const m_owner;
    mutable CLock m_sessionLock;
    // Changed under both locks, so the close callback may look under the
    // state lock alone.
    CAutoListener* m_connections[kConnectionSlots] = {};
    CAutoChannel m_channel;
    int m_channelCount = 0;
    char m_registrationId[kestrin::kRegistrationIdSize] = {};
    char m_userName[kestrin::kMaxCredentialLength + 1] = {};
    char m_password[kestrin::kMaxCredentialLength + 1] = {};
    uint32_t m_loginId = 0;
    int m_streamMode = 0;
    std::vector<uint8_t> m_loginReply;

    mutable CLock m_stateLock;
    bool m_online = false;
    bool m_lost = false;
};
