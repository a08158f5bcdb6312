// The behaviour of one simulated recorder on the SDK wire protocol: answers
// a login, keep-alives and the 0x90..0x9F requests, one reply per request.
// No sockets: CSimRecorder feeds it packets of one connection at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/CAutoLock.h"
#include "standins/streamfmt/StreamFormat.h"
#include "tools/simrecorder/CRecordCatalogue.h"
#include "tools/simrecorder/SimRecorderConfig.h"

// Faults a test switches on while the recorder runs.
struct SimFaults {
    std::atomic<int> loginRefusal{0};        // 0 = accept, else the login error 1..7
    std::atomic<bool> busy{false};           // searches and transfer starts answer "busy"
    std::atomic<bool> unknownFiles{false};   // every transfer start answers "no such file"
    std::atomic<bool> emptyFiles{false};     // every transfer serves a file of 0 bytes
    std::atomic<int> slowMsPerBlock{0};      // pause before each stream block
    std::atomic<bool> mute{false};           // answer nothing at all (a hung device)
    std::atomic<int64_t> dropAfterBytes{0};  // close a connection once it has streamed this much (fires once)
};

// Per-connection state of the protocol.
struct SimConnectionState {
    bool loggedIn = false;
    uint32_t loginId = 0;
    std::map<uint32_t, streamfmt::StreamParams> transfers;
    uint32_t nextTransferId = 1;
    int64_t bytesStreamed = 0;
};

class CSimDevice {
public:
    enum Action {
        kNoReply,   // ignore the packet
        kReply,     // send `reply`
        kRestart,   // send `reply`, then go off line for a moment
        kShutdown,  // send `reply`, then go off line
        kDrop,      // close the connection without answering (drop fault)
    };

    explicit CSimDevice(const SimRecorderConfig& config);

    // Handles one whole packet. Returns what the connection must do; `reply`
    // holds the answer for kReply, kRestart and kShutdown.
    Action Handle(SimConnectionState& state, const uint8_t* packet, size_t length, std::vector<uint8_t>& reply);

    // The connection is gone: its open transfers end with it.
    void EndConnection(SimConnectionState& state);

    SimFaults& Faults() { return m_faults; }
    const CRecordCatalogue& Catalogue() const { return m_catalogue; }
    DEVICE_SEARCH_RESULT SearchResult(const std::string& ip, uint16_t port) const;
    std::string ChannelName(uint32_t channel) const;
    int64_t ClockOffset() const;
    int LoginCount() const { return m_logins; }
    int KeepAliveCount() const { return m_keepAlives; }
    int OpenTransfers() const { return m_openTransfers; }
    bool JobRunning(uint32_t jobId) const;

private:
    typedef std::vector<uint8_t> Bytes;
    uint32_t Query(const uint32_t* args, Bytes& body);
    uint32_t Set(const uint32_t* args, const uint8_t* data, size_t length, Action& action);
    uint32_t Find(const uint8_t* data, size_t length, uint32_t* args, Bytes& body);
    uint32_t Open(SimConnectionState& state, const uint8_t* data, size_t length, uint32_t* args, Bytes& body);
    uint32_t Read(SimConnectionState& state, const uint32_t* args, Bytes& body);
    uint32_t Close(SimConnectionState& state, const uint32_t* args);
    uint32_t Talk(const uint32_t* args, size_t uplinkLength, uint32_t* replyArgs, Bytes& body);
    uint32_t Job(const uint32_t* args, const uint8_t* data, size_t length, uint32_t* replyArgs);
    std::vector<uint8_t> Login(SimConnectionState& state, const uint8_t* packet, size_t length);
    QVNET_TIME Now() const;
    void FillDefaults();

    const SimRecorderConfig m_config;
    CRecordCatalogue m_catalogue;
    SimFaults m_faults;
    mutable CLock m_lock;  // names, clock, jobs, talks
    std::vector<std::string> m_channelNames;
    std::map<uint32_t, Bytes> m_deviceConfigs;
    Bytes m_status, m_recordPlan, m_recordStates;
    int64_t m_clockOffset = 0;
    std::map<uint32_t, std::string> m_jobs;
    std::map<uint32_t, uint32_t> m_talks;  // talk id -> uplink bytes received
    uint32_t m_nextId = 1;
    std::atomic<int> m_logins{0};
    std::atomic<int> m_keepAlives{0};
    std::atomic<int> m_openTransfers{0};
    std::atomic<uint32_t> m_nextLoginId{0x100};
};
