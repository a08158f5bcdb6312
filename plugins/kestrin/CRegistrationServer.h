// The plug-in's one registration server: owns the registration port, keeps
// the connections that have not identified themselves yet, and hands each
// registration to the open device whose record carries its id. One worker
// thread attaches and closes connections; the socket library's threads only
// queue events. Each list has its own lock and no path holds two.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <list>
#include <string>

#include "common/CAutoLock.h"
#include "common/UniqueHandle.h"
#include "netlib/CNetLock.h"

class CAutoDevice;
class CAutoListener;

class CRegistrationServer {
public:
    static constexpr DWORD kSweepIntervalMs = 20000;
    static constexpr DWORD kWorkerStopMs = 10000;

    CRegistrationServer();
    ~CRegistrationServer();
    CRegistrationServer(const CRegistrationServer&) = delete;
    CRegistrationServer& operator=(const CRegistrationServer&) = delete;

    // Starts the socket library and the worker. 0; -1 on any failure
    // (what was started is stopped again).
    int Init();
    // Stops listening, the worker and the socket library. The socket
    // library's stop result: 1, or -1 when the platform's clean-up fails.
    int Cleanup();

    // Listens on the first device's registration address and port. 0 (also
    // when already listening); -1 for a null address or when listening fails.
    int StartListen(const char* address, int port);
    // Stops listening and closes every pending connection. 1 when a listener
    // was stopped, 0 when there was none.
    int StopListen();
    // The registration port listened on; 0 when not listening.
    int ListenPort() const;

    // Lists the device, listening first when nothing listens yet. 0; -1
    // when listening fails.
    int AddDevice(CAutoDevice* device, const char* address, int port);
    // Unlists the device; once this returns no registration walks it. 0.
    int RemoveDevice(CAutoDevice* device);

    // Event of a connection object (any socket library thread).
    void QueueNetEvent(CAutoListener* listener, CAutoListener* connection, int eventType, int connectionIndex,
                       const char* registrationId);
    static void RegistrationNetCallback(CAutoListener* listener, CAutoListener* connection, int eventType,
                                        const char* text, int connectionIndex, void* user);

    // The pending connections' keep-alive and idle checks, at most once per
    // sweep interval. now is a tick count.
    void HeartbeatSweep(DWORD now);

    size_t PendingCount() const;

private:
    struct NetEvent {
        std::string registrationId;
        CAutoListener* connection;
        uint64_t serial;  // the connection's, so a later one at the same address is not taken for it
        int connectionIndex;
    };

    static DWORD WINAPI WorkerMain(LPVOID self);
    void WorkerLoop();
    // Each takes one event; false when its queue was empty.
    bool ProcessRegistration();
    bool ProcessClosed();
    static bool TakeFront(CLock& lock, std::deque<NetEvent>& queue, NetEvent* out);
    // Unlinks the pending connection of the event; null when it is not pending.
    CAutoListener* TakePending(const NetEvent& event);
    static void Dispose(CAutoListener* connection);
    void CloseHandles();

    CAutoListener* m_listener = nullptr;
    mutable CLock m_listenLock;

    mutable CNetLock m_pendingLock;
    std::list<NetEvent> m_pending;
    CNetLock m_devicesLock;
    std::list<CAutoDevice*> m_devices;
    CLock m_registrationLock;
    std::deque<NetEvent> m_registrations;
    CLock m_closedLock;
    std::deque<NetEvent> m_closed;

    CUniqueHandle m_stopEvent;
    CUniqueHandle m_registrationEvent;
    CUniqueHandle m_closedEvent;
    CUniqueHandle m_worker;
    DWORD m_lastSweep = 0;
    bool m_swept = false;
};
