// The SDK's process-wide state: initialisation, the caller's callbacks and
// network parameters, the handle registry, the SDK's threads and the
// keep-alive timer.
//
// Handles come from one counter that is never reset, so a handle is never
// reused within a run and stays a small number.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sdk/qvnetsdk/qvnetsdk.h"
#include "standins/qvnetsdk/CSdkObject.h"
#include "standins/qvnetsdk/CSdkThreadPool.h"
#include "standins/qvnetsdk/QvNetTestExports.h"
#include "standins/qvnetsdk/SdkWire.h"

class CSdkCore {
public:
    static CSdkCore& Get();

    bool Init(QVNET_DisconnectCallback onDisconnect, QVNET_USER user);
    // Shuts every object down and waits for the SDK's threads, except those
    // inside a caller's callback (they end on their own when it returns).
    // Idempotent.
    void Cleanup();
    bool IsInitialised() const { return m_initialised; }

    void SetMessageCallback(QVNET_MessageCallback callback, QVNET_USER user);
    void SetEventCallback(QVNET_EventCallback callback, QVNET_USER user);
    void SetParams(const QVNET_NET_PARAMS& params);
    QVNET_NET_PARAMS Params() const;
    void SetSearchTarget(const std::string& ip, int32_t port);
    void SearchTarget(std::string& ip, int32_t& port) const;

    // Registers an object under a new handle; 0 when not initialised.
    int32_t Register(const std::shared_ptr<CSdkObject>& object);
    template <class T>
    std::shared_ptr<T> Find(int32_t handle) const {
        return std::dynamic_pointer_cast<T>(FindObject(handle));
    }
    // Removes the handle and returns its object (null when unknown or not a T).
    template <class T>
    std::shared_ptr<T> Remove(int32_t handle) {
        if (!Find<T>(handle)) return nullptr;
        return std::dynamic_pointer_cast<T>(RemoveObject(handle));
    }

    template <class T>
    std::vector<std::shared_ptr<T>> All() const {
        std::vector<std::shared_ptr<T>> out;
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& object : m_objects) {
            if (auto typed = std::dynamic_pointer_cast<T>(object.second)) out.push_back(typed);
        }
        return out;
    }

    // Runs `body` on an SDK thread (one left waiting by ended work, or a new
    // one), counted for clean-up.
    void StartThread(std::function<void()> body) { m_threads.Run(std::move(body)); }

    void NotifyDisconnect(int32_t loginHandle, const std::string& ip, int32_t port);
    void NotifyEvent(int32_t type, int32_t value, int32_t handle);

    // Marks the calling SDK thread as inside a caller's callback while alive.
    class CallbackScope {
    public:
        CallbackScope() { ++Get().m_inCallback; }
        ~CallbackScope() { --Get().m_inCallback; }
    };

    void GetCounters(QVNET_TEST_COUNTERS& counters) const;

private:
    CSdkCore() = default;
    std::shared_ptr<CSdkObject> FindObject(int32_t handle) const;
    std::shared_ptr<CSdkObject> RemoveObject(int32_t handle);
    void TimerLoop();
    // QVNET_SEARCH_TARGET="ip:port", when set, replaces the search target.
    void ApplySearchTargetFromEnvironment();

    mutable std::mutex m_mutex;
    std::atomic<bool> m_initialised{false};
    QVNET_DisconnectCallback m_onDisconnect = nullptr;
    QVNET_USER m_disconnectUser = 0;
    QVNET_EventCallback m_onEvent = nullptr;
    QVNET_USER m_eventUser = 0;
    QVNET_MessageCallback m_onMessage = nullptr;
    QVNET_USER m_messageUser = 0;
    QVNET_NET_PARAMS m_params = {};
    std::string m_searchIp = "255.255.255.255";
    int32_t m_searchPort = qvwire::kSearchPort;
    std::map<int32_t, std::shared_ptr<CSdkObject>> m_objects;
    int32_t m_nextHandle = 0;
    CSdkThreadPool m_threads;
    std::atomic<int> m_inCallback{0};
    std::atomic<int> m_disconnects{0};
    std::atomic<bool> m_timerStop{false};
    std::mutex m_timerMutex;
    std::condition_variable m_timerWake;
    bool m_winsock = false;
};
