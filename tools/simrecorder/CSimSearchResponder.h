// Answers the SDK's LAN search probes on a UDP port with one device record.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

#include "common/UniqueHandle.h"
#include "sdk/qvnetsdk/qvnetsdk.h"

class CSimSearchResponder {
public:
    explicit CSimSearchResponder(const DEVICE_SEARCH_RESULT& answer);
    ~CSimSearchResponder();

    // Binds ip:port (port 0 takes a free one). False when it cannot bind.
    bool Start(const char* ip = "127.0.0.1", uint16_t port = 0);
    void Stop();
    uint16_t Port() const { return m_port; }
    int ProbeCount() const { return m_probes; }

private:
    void Run();

    DEVICE_SEARCH_RESULT m_answer;
    CUniqueSocket m_socket;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_probes{0};
    uint16_t m_port = 0;
    bool m_winsock = false;
};
