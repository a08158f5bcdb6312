// A simulated recorder reached directly over TCP: the device logic of
// CSimDevice served on a listening port, with the fault controls tests use
// (refuse login, busy, unknown file, slow transfer, drop after N bytes, off
// line and on line).
//
// Serve() works on any connected socket, so a mode in which the recorder
// connects out to a registration server can hand its connections to it.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "common/CAutoLock.h"
#include "tools/simrecorder/CSimDevice.h"
#include "tools/simrecorder/CSimTcpServer.h"

class CSimRecorder {
public:
    explicit CSimRecorder(const SimRecorderConfig& config);
    ~CSimRecorder();

    // Listens on ip:port (port 0 takes a free port). False when it cannot bind.
    bool Start(const char* ip = "127.0.0.1", uint16_t port = 0);
    void Stop();
    // Off line: the port closes and every connection is cut. On line: the
    // same port listens again.
    void GoOffline();
    bool GoOnline();
    bool IsOnline() const { return m_server.IsListening(); }
    uint16_t Port() const { return m_server.Port(); }
    int ConnectionCount() const { return m_server.ConnectionCount(); }
    int AcceptedCount() const { return m_server.AcceptedCount(); }

    // A control line of the recorder program: "offline", "online",
    // "busy on|off", "unknown on|off", "mute on|off", "refuse N" (0..7),
    // "slow MS", "drop BYTES". False for a line it does not know.
    bool RunCommand(const std::string& line);

    CSimDevice& Device() { return m_device; }
    SimFaults& Faults() { return m_device.Faults(); }

    // Speaks the protocol on one connected socket until it fails or `stop`.
    void Serve(SOCKET s, const std::atomic<bool>& stop);

private:
    void RunControl(CSimDevice::Action action);

    CSimDevice m_device;
    CSimTcpServer m_server;
    std::string m_ip;
    CLock m_controlLock;
    std::thread m_control;
    bool m_stopping = false;  // under m_controlLock
    std::atomic<bool> m_controlRunning{false};
    uint32_t m_restartMs;
};
