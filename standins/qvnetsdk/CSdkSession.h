// One login session with a device: its TCP connection, the reader thread
// that matches replies to requests by sequence number, and keep-alive.
#pragma once

#include <winsock2.h>

#include <array>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/CLockCondition.h"
#include "common/UniqueHandle.h"
#include "standins/qvnetsdk/CSdkObject.h"
#include "standins/qvnetsdk/SdkWire.h"

struct SdkReply {
    uint32_t error = 0;  // QVNET_ERR_*; 0 when the device answered "done"
    qvwire::PacketHeader header;
    std::vector<uint8_t> body;
};

class CSdkSession : public CSdkObject, public std::enable_shared_from_this<CSdkSession> {
public:
    CSdkSession(SOCKET s, const std::string& ip, int32_t port, const QVNET_DEVICE_INFO& info);
    ~CSdkSession() override;

    // Connects and logs in. Returns the session (reader not yet started), or
    // null with `loginError` (1..7) and `error` (QVNET_ERR_*) set.
    static std::shared_ptr<CSdkSession> Login(const char* ip, int32_t port, const char* user, const char* password,
                                              const QVNET_NET_PARAMS& params, int32_t& loginError, uint32_t& error);
    // Starts the reader thread once the session has its handle.
    void Start();

    // Sends one request and waits up to waitMs for its reply. Never called
    // from the reader thread. With `lossFollows`, a "done" answer means the
    // device closes the connection on purpose (restart, shut down): the
    // reader marks the loss expected before it can see it.
    SdkReply Call(uint8_t command, const uint32_t (&args)[4], const std::vector<uint8_t>& body, uint32_t waitMs,
                  bool lossFollows = false);
    SdkReply Call(uint8_t command, const uint32_t (&args)[4], uint32_t waitMs) {
        return Call(command, args, {}, waitMs);
    }

    // The two halves of Call, for a caller that keeps several requests in
    // flight (the device answers them in order). Send returns the request's
    // sequence number, 0 when the connection failed (and is being closed).
    // Every sequence sent is ended by exactly one Wait or Abandon.
    uint32_t Send(uint8_t command, const uint32_t (&args)[4], const std::vector<uint8_t>& body = {},
                  bool lossFollows = false);
    // Sends several body-less requests with one write, so that the device
    // takes them in with one read too; their sequence numbers, in order, go
    // to `sequences`. False when the connection failed (none stay pending).
    bool SendMany(uint8_t command, const std::vector<std::array<uint32_t, 4>>& args, std::vector<uint32_t>& sequences);
    // Waits up to waitMs for the answer; a late one is dropped.
    SdkReply Wait(uint32_t sequence, uint32_t waitMs);
    // Gives the request up: its answer, if any, is dropped.
    void Abandon(uint32_t sequence);

    // Cuts the connection. An intended close (logout, clean-up) never calls
    // the disconnect callback; an unintended one calls it once.
    void Close(bool intended);
    void Shutdown() override { Close(true); }
    bool IsAlive() const { return !m_lost; }
    // Sends a keep-alive once a period has passed since the last one; a
    // peer silent for 4.5 periods counts as lost (an unintended loss).
    void Tick(int32_t keepAliveMs);

    const QVNET_DEVICE_INFO& Info() const { return m_info; }
    const std::string& Ip() const { return m_ip; }
    int32_t Port() const { return m_port; }

private:
    struct Pending {
        bool done = false;
        bool lossFollows = false;
        SdkReply reply;
    };
    void ReadLoop();
    void OnLost();
    bool SendPacket(const std::vector<uint8_t>& packet);
    // Registers a request awaiting its answer; its sequence number.
    uint32_t AddPending(bool lossFollows);

    CUniqueSocket m_socket;
    const std::string m_ip;
    const int32_t m_port;
    const QVNET_DEVICE_INFO m_info;
    CLock m_sendLock;
    CLock m_lock;  // pending map
    CLockCondition m_replied;
    std::map<uint32_t, std::shared_ptr<Pending>> m_pending;
    uint32_t m_sequence = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_lost{false};
    std::atomic<bool> m_intended{false};
    std::atomic<bool> m_reported{false};
    std::atomic<int64_t> m_lastReceiveMs{0};
    std::atomic<int64_t> m_lastKeepAliveMs{0};
};
