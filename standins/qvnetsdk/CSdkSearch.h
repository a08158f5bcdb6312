// A LAN device search: probes the configured address and port about once a
// second and reports every device that answers, once per search.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "common/UniqueHandle.h"
#include "sdk/qvnetsdk/qvnetsdk.h"
#include "standins/qvnetsdk/CSdkObject.h"

class CSdkSearch : public CSdkObject, public std::enable_shared_from_this<CSdkSearch> {
public:
    CSdkSearch(QVNET_SearchCallback onFound, QVNET_USER user);
    ~CSdkSearch() override;

    // Opens the UDP socket; false when it cannot.
    bool Open(const std::string& targetIp, int32_t targetPort);
    void Start();
    void Shutdown() override;

private:
    void Run();
    void SendProbe();
    void Report(const DEVICE_SEARCH_RESULT& result);

    const QVNET_SearchCallback m_onFound;
    const QVNET_USER m_user;
    CUniqueSocket m_socket;
    sockaddr_in m_target = {};
    uint32_t m_nonce = 0;
    std::set<std::string> m_seen;
    std::mutex m_gate;
    std::atomic<bool> m_stopped{false};
};
