// A dynamic-DNS server for the SDK's lookup: maps device names to addresses.
#pragma once

#include <map>
#include <string>

#include "common/CAutoLock.h"
#include "tools/simrecorder/CSimTcpServer.h"

class CSimDdnsResponder {
public:
    CSimDdnsResponder();

    bool Start(const char* ip = "127.0.0.1", uint16_t port = 0) { return m_server.Listen(ip, port); }
    void Stop() { m_server.Close(); }
    uint16_t Port() const { return m_server.Port(); }
    // Registers (or replaces) the address text reported for a device name.
    void SetEntry(const std::string& deviceName, const std::string& address);
    int LookupCount() const { return m_lookups; }

private:
    void Serve(SOCKET s, const std::atomic<bool>& stop);

    CSimTcpServer m_server;
    CLock m_lock;
    std::map<std::string, std::string> m_entries;
    std::atomic<int> m_lookups{0};
};
