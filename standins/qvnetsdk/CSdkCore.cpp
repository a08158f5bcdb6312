#include "standins/qvnetsdk/CSdkCore.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "standins/qvnetsdk/CSdkSession.h"
#include "standins/qvnetsdk/SdkSocket.h"

namespace {

const DWORD kCleanupWaitMs = 5000;

QVNET_NET_PARAMS DefaultParams() {
    QVNET_NET_PARAMS p = {};
    p.connectWaitMs = 5000;
    p.replyWaitMs = 5000;
    p.connectTries = 1;
    p.retryPauseMs = 100;
    p.loginWaitMs = 5000;
    p.transferWaitMs = 10000;
    p.keepAliveMs = 10000;
    return p;
}

}  // namespace

CSdkCore& CSdkCore::Get() {
    // Never destroyed: threads that outlive clean-up inside a caller's
    // callback may still touch it at process exit.
    static CSdkCore* core = new CSdkCore;
    return *core;
}

bool CSdkCore::Init(QVNET_DisconnectCallback onDisconnect, QVNET_USER user) {
    CAutoLock lock(&m_lock);
    m_onDisconnect = onDisconnect;
    m_disconnectUser = user;
    if (m_initialised) return true;
    m_winsock = qvsock::Startup();
    if (!m_winsock) return false;
    m_params = DefaultParams();
    ApplySearchTargetFromEnvironment();
    m_timerStop = false;
    m_threads.Reopen();
    m_initialised = true;
    StartThread([this] { TimerLoop(); });
    return true;
}

void CSdkCore::Cleanup() {
    std::map<int32_t, std::shared_ptr<CSdkObject>> objects;
    {
        CAutoLock lock(&m_lock);
        if (!m_initialised) return;
        m_initialised = false;
        m_timerStop = true;
        objects.swap(m_objects);
    }
    {
        CAutoLock lock(&m_timerLock);
        m_timerWake.WakeAll();
    }
    // Transfers, talks and searches before the sessions they use.
    for (auto& object : objects) {
        if (!std::dynamic_pointer_cast<CSdkSession>(object.second)) object.second->Shutdown();
    }
    for (auto& object : objects) {
        if (std::dynamic_pointer_cast<CSdkSession>(object.second)) object.second->Shutdown();
    }
    objects.clear();
    m_threads.StopWaiting();
    const DWORD start = GetTickCount();
    while (m_threads.Live() - m_inCallback > 0 && GetTickCount() - start < kCleanupWaitMs) Sleep(5);
    CAutoLock lock(&m_lock);
    if (m_winsock) qvsock::Cleanup();
    m_winsock = false;
}

void CSdkCore::ApplySearchTargetFromEnvironment() {
    // Test harnesses point the search at the loopback address this way, so
    // that no test run ever sends a probe onto a real network.
    char text[64] = {};
    const DWORD length = GetEnvironmentVariableA("QVNET_SEARCH_TARGET", text, sizeof(text));
    if (length == 0 || length >= sizeof(text)) return;
    const std::string target(text, length);
    const size_t colon = target.rfind(':');
    if (colon == std::string::npos) return;
    const int port = std::atoi(target.c_str() + colon + 1);
    if (port <= 0 || port > 65535) return;
    m_searchIp = target.substr(0, colon);
    m_searchPort = port;
}

void CSdkCore::SetMessageCallback(QVNET_MessageCallback callback, QVNET_USER user) {
    CAutoLock lock(&m_lock);
    m_onMessage = callback;
    m_messageUser = user;
}

void CSdkCore::SetEventCallback(QVNET_EventCallback callback, QVNET_USER user) {
    CAutoLock lock(&m_lock);
    m_onEvent = callback;
    m_eventUser = user;
}

void CSdkCore::SetParams(const QVNET_NET_PARAMS& params) {
    const QVNET_NET_PARAMS defaults = DefaultParams();
    CAutoLock lock(&m_lock);
    auto pick = [](int32_t value, int32_t fallback) { return value > 0 ? value : fallback; };
    m_params.connectWaitMs = pick(params.connectWaitMs, defaults.connectWaitMs);
    m_params.replyWaitMs = pick(params.replyWaitMs, defaults.replyWaitMs);
    m_params.connectTries = pick(params.connectTries, defaults.connectTries);
    m_params.retryPauseMs = pick(params.retryPauseMs, defaults.retryPauseMs);
    m_params.loginWaitMs = pick(params.loginWaitMs, defaults.loginWaitMs);
    m_params.transferWaitMs = pick(params.transferWaitMs, defaults.transferWaitMs);
    m_params.keepAliveMs = pick(params.keepAliveMs, defaults.keepAliveMs);
}

QVNET_NET_PARAMS CSdkCore::Params() const {
    CAutoLock lock(&m_lock);
    return m_params;
}

void CSdkCore::SetSearchTarget(const std::string& ip, int32_t port) {
    CAutoLock lock(&m_lock);
    m_searchIp = ip;
    m_searchPort = port;
}

void CSdkCore::SearchTarget(std::string& ip, int32_t& port) const {
    CAutoLock lock(&m_lock);
    ip = m_searchIp;
    port = m_searchPort;
}

int32_t CSdkCore::Register(const std::shared_ptr<CSdkObject>& object) {
    CAutoLock lock(&m_lock);
    if (!m_initialised) return 0;
    const int32_t handle = ++m_nextHandle;
    object->SetHandle(handle);
    m_objects[handle] = object;
    return handle;
}

std::shared_ptr<CSdkObject> CSdkCore::FindObject(int32_t handle) const {
    CAutoLock lock(&m_lock);
    auto found = m_objects.find(handle);
    return found == m_objects.end() ? nullptr : found->second;
}

std::shared_ptr<CSdkObject> CSdkCore::RemoveObject(int32_t handle) {
    CAutoLock lock(&m_lock);
    auto found = m_objects.find(handle);
    if (found == m_objects.end()) return nullptr;
    std::shared_ptr<CSdkObject> object = found->second;
    m_objects.erase(found);
    return object;
}

void CSdkCore::NotifyDisconnect(int32_t loginHandle, const std::string& ip, int32_t port) {
    QVNET_DisconnectCallback callback;
    QVNET_USER user;
    {
        CAutoLock lock(&m_lock);
        if (!m_initialised) return;
        callback = m_onDisconnect;
        user = m_disconnectUser;
    }
    ++m_disconnects;
    if (!callback) return;
    CallbackScope scope;
    callback(loginHandle, ip.c_str(), port, user);
}

void CSdkCore::NotifyEvent(int32_t type, int32_t value, int32_t handle) {
    QVNET_EventCallback callback;
    QVNET_USER user;
    {
        CAutoLock lock(&m_lock);
        if (!m_initialised || !m_onEvent) return;
        callback = m_onEvent;
        user = m_eventUser;
    }
    CallbackScope scope;
    callback(type, value, handle, 0, user);
}

void CSdkCore::TimerLoop() {
    while (!m_timerStop) {
        std::vector<std::shared_ptr<CSdkSession>> sessions;
        {
            CAutoLock lock(&m_lock);
            for (auto& object : m_objects) {
                if (auto session = std::dynamic_pointer_cast<CSdkSession>(object.second)) sessions.push_back(session);
            }
        }
        const int32_t keepAliveMs = Params().keepAliveMs;
        for (auto& session : sessions) session->Tick(keepAliveMs);
        CAutoLock lock(&m_timerLock);
        m_timerWake.WaitFor(lock, 100, [this] { return m_timerStop.load(); });
    }
}

void CSdkCore::GetCounters(QVNET_TEST_COUNTERS& counters) const {
    CAutoLock lock(&m_lock);
    counters.sessions = 0;
    counters.objects = 0;
    for (auto& object : m_objects) {
        if (std::dynamic_pointer_cast<CSdkSession>(object.second)) ++counters.sessions;
    }
    counters.objects = static_cast<int32_t>(m_objects.size()) - counters.sessions;
    // Threads at work; those waiting for the next piece are counted apart.
    counters.idleThreads = m_threads.Waiting();
    counters.threads = m_threads.Live() - counters.idleThreads;
    counters.threadsStarted = m_threads.Started();
    counters.disconnects = m_disconnects;
}
