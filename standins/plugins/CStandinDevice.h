// One device opened by a stand-in plug-in: a TCP connection to the device
// (its address and port come from the open record), logged in with the
// record's user name and password. SDK logins are answered from the stored
// login reply; other requests share the one device connection, each under a
// sequence number of the plug-in's own so that replies find their SDK
// connection again.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "common/CLockCondition.h"
#include "common/UniqueHandle.h"
#include "plugins/PluginInterface.h"

class CStandinDevice {
public:
    CStandinDevice(const char* address, int port, const char* user, const char* password);
    ~CStandinDevice();

    // Tries the first login at once (so an SDK login right after the open is
    // answered) and starts the worker that keeps the device connected. False
    // when the address or port cannot name a device.
    bool Start();
    // Ends the worker and the connection. No callback is made once it returns.
    void Stop();

    // Installs the callbacks; reports the device on line at once when it is.
    void SetCallbacks(PluginMessageCallback onMessage, PluginDataCallback onData, void* user);
    // Fills result for one SDK packet. 0, or -1 for a missing or short packet.
    int Parse(const SDK_COMMAND& command, PARSE_RESULT& result);
    // Passes one SDK packet to the device. 0 sent or absorbed (login,
    // keep-alive and sub-connection requests never reach the device), -1 when
    // the packet is short or the device is not connected.
    int Send(const uint8_t* data, int length, int sessionId, int subIndex);
    // The SDK login sessionId is gone: its outstanding replies are dropped
    // and the transfers it left open on the device are closed.
    void ForgetSession(int sessionId);
    // Channel count from the login reply, 0 before the first login.
    int ChannelCount() const;
    bool IsOnline() const;

private:
    struct Pending {
        int sessionId;
        int subIndex;
        uint32_t sdkSequence;
        uint8_t command;
        bool internal;  // the plug-in's own request: its reply goes nowhere
    };

    CStandinDevice(const CStandinDevice&) = delete;
    CStandinDevice& operator=(const CStandinDevice&) = delete;

    bool Login();
    void Run();
    void ReadLoop();
    void Disconnect();
    void OnDevicePacket(uint8_t* packet, size_t length);
    void ReportState(int state);
    bool SendRaw(const std::vector<uint8_t>& packet);
    int SendTracked(std::vector<uint8_t>& packet, const Pending& pending);
    bool WaitForStop(uint32_t ms);

    const std::string m_address;
    const int m_port;
    const std::string m_userName;
    const std::string m_password;
    bool m_winsock = false;

    mutable CLock m_lock;  // callbacks, login reply, pending replies, transfers, online
    PluginMessageCallback m_onMessage = nullptr;
    PluginDataCallback m_onData = nullptr;
    void* m_callbackUser = nullptr;
    std::vector<uint8_t> m_loginReply;
    bool m_online = false;
    uint32_t m_nextSequence = 0;
    std::map<uint32_t, Pending> m_pending;
    std::multimap<int, uint32_t> m_transfers;  // session id -> transfer id open on the device

    CLock m_sendLock;  // the socket handle and every send on it
    CUniqueSocket m_socket;

    CLock m_stopLock;
    CLockCondition m_stopSignal;
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};
