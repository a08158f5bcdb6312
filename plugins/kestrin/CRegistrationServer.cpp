#include "plugins/kestrin/CRegistrationServer.h"

#include <cstring>

#include "netlib/CNetAutoLock.h"
#include "netlib/CNetEngine.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "plugins/kestrin/CAutoDevice.h"
#include "plugins/kestrin/CAutoListener.h"

CRegistrationServer::CRegistrationServer() = default;

CRegistrationServer::~CRegistrationServer() {
    if (m_worker) Cleanup();
}

int CRegistrationServer::Init() {
    if (m_worker) return 0;
    if (CNetEngine::Init() < 0) return -1;
    m_stopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_registrationEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    m_closedEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (m_stopEvent && m_registrationEvent && m_closedEvent)
        m_worker.Reset(CreateThread(nullptr, 0, &WorkerMain, this, 0, nullptr));
    if (!m_worker) {
        Cleanup();
        return -1;
    }
    return 0;
}

int CRegistrationServer::Cleanup() {
    StopListen();
    if (m_worker) {
        SetEvent(m_stopEvent.Get());
        if (WaitForSingleObject(m_worker.Get(), kWorkerStopMs) != WAIT_OBJECT_0)
            TerminateThread(m_worker.Get(), DWORD(-1));
    }
    CloseHandles();
    {
        CAutoLock guard(&m_registrationLock);
        m_registrations.clear();
    }
    {
        CAutoLock guard(&m_closedLock);
        m_closed.clear();
    }
    return CNetEngine::Stop();
}

void CRegistrationServer::CloseHandles() {
    for (CUniqueHandle* h : {&m_worker, &m_stopEvent, &m_registrationEvent, &m_closedEvent}) h->Reset();
}

int CRegistrationServer::StartListen(const char* address, int port) {
    if (address == nullptr) return -1;
    CAutoLock guard(&m_listenLock);
    if (m_listener != nullptr) return 0;
    CAutoListener* listener = new CAutoListener();
    if (listener->Listen(address, port, &RegistrationNetCallback, this) < 0) {
        delete listener;
        return -1;
    }
    m_listener = listener;
    return 0;
}

int CRegistrationServer::StopListen() {
    int result = 0;
    CAutoListener* listener;
    {
        CAutoLock guard(&m_listenLock);
        listener = m_listener;
        m_listener = nullptr;
    }
    if (listener != nullptr) {
        result = listener->StopListen();
        delete listener;
    }
    std::list<NetEvent> pending;
    {
        CNetAutoLock guard(&m_pendingLock, true);
        pending.swap(m_pending);
    }
    for (const NetEvent& event : pending) Dispose(event.connection);
    return result;
}

int CRegistrationServer::ListenPort() const {
    CAutoLock guard(&m_listenLock);
    return m_listener != nullptr ? m_listener->ListenPort() : 0;
}

int CRegistrationServer::AddDevice(CAutoDevice* device, const char* address, int port) {
    if (device == nullptr || StartListen(address, port) < 0) return -1;
    CNetAutoLock guard(&m_devicesLock, true);
    m_devices.push_back(device);
    return 0;
}

int CRegistrationServer::RemoveDevice(CAutoDevice* device) {
    CNetAutoLock guard(&m_devicesLock, true);
    m_devices.remove(device);
    return 0;
}

void CRegistrationServer::RegistrationNetCallback(CAutoListener* listener, CAutoListener* connection, int eventType,
                                                  const char* text, int connectionIndex, void* user) {
    CRegistrationServer* self = static_cast<CRegistrationServer*>(user);
    if (self != nullptr) self->QueueNetEvent(listener, connection, eventType, connectionIndex, text);
}

void CRegistrationServer::QueueNetEvent(CAutoListener* listener, CAutoListener* connection, int eventType,
                                        int connectionIndex, const char* registrationId) {
    if (listener == nullptr || connection == nullptr || registrationId == nullptr) return;
    NetEvent event{std::string(), connection, connection->Serial(), 0};
    switch (eventType) {
        case CAutoListener::kEventNew: {
            CNetAutoLock guard(&m_pendingLock, true);
            m_pending.push_back(event);
            break;
        }
        case CAutoListener::kEventRegistration: {
            // Ids that would not fit the event's field were refused when parsed;
            // an empty one is refused by every session.
            event.registrationId.assign(registrationId, strnlen(registrationId, kestrin::kRegistrationIdSize - 1));
            event.connectionIndex = connectionIndex;
            {
                CAutoLock guard(&m_registrationLock);
                m_registrations.push_back(event);
            }
            if (m_registrationEvent) SetEvent(m_registrationEvent.Get());
            break;
        }
        case CAutoListener::kEventClosed: {
            {
                CAutoLock guard(&m_closedLock);
                m_closed.push_back(event);
            }
            if (m_closedEvent) SetEvent(m_closedEvent.Get());
            break;
        }
        default: break;
    }
}

DWORD WINAPI CRegistrationServer::WorkerMain(LPVOID self) {
    try {
        static_cast<CRegistrationServer*>(self)->WorkerLoop();
    } catch (...) {}
    return 0;
}

void CRegistrationServer::WorkerLoop() {
    HANDLE events[3] = {m_stopEvent.Get(), m_closedEvent.Get(), m_registrationEvent.Get()};
    for (;;) {
        if (WaitForMultipleObjects(3, events, FALSE, INFINITE) == WAIT_OBJECT_0) return;
        // Every close waiting goes before each registration, so a flood of
        // registrations never holds back a close; and a registration whose
        // connection already closed finds it gone.
        for (;;) {
            if (WaitForSingleObject(m_stopEvent.Get(), 0) == WAIT_OBJECT_0) return;
            while (ProcessClosed()) {}
            if (!ProcessRegistration()) break;
        }
    }
}

bool CRegistrationServer::TakeFront(CLock& lock, std::deque<NetEvent>& queue, NetEvent* out) {
    CAutoLock guard(&lock);
    if (queue.empty()) return false;
    *out = std::move(queue.front());
    queue.pop_front();
    return true;
}

CAutoListener* CRegistrationServer::TakePending(const NetEvent& event) {
    CNetAutoLock guard(&m_pendingLock, true);
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (it->connection == event.connection && it->serial == event.serial) {
            m_pending.erase(it);
            return event.connection;
        }
    }
    return nullptr;
}

bool CRegistrationServer::ProcessRegistration() {
    NetEvent event;
    if (!TakeFront(m_registrationLock, m_registrations, &event)) return false;
    CAutoListener* connection = TakePending(event);
    if (connection == nullptr) return true;  // already attached or closed
    if (connection->HasEnded()) {
        Dispose(connection);
        return true;
    }
    bool attached = false;
    {
        CNetAutoLock guard(&m_devicesLock, false);
        for (CAutoDevice* device : m_devices) {
            if (device->TryAttach(connection, event.connectionIndex, event.registrationId.c_str()) >= 0) {
                attached = true;
                break;
            }
        }
    }
    if (!attached) Dispose(connection);
    return true;
}

bool CRegistrationServer::ProcessClosed() {
    NetEvent event;
    if (!TakeFront(m_closedLock, m_closed, &event)) return false;
    CAutoListener* connection = TakePending(event);
    if (connection != nullptr) Dispose(connection);
    return true;
}

void CRegistrationServer::Dispose(CAutoListener* connection) {
    connection->Close();
    delete connection;
}

void CRegistrationServer::HeartbeatSweep(DWORD now) {
    {
        CAutoLock guard(&m_listenLock);
        if (now - m_lastSweep <= kSweepIntervalMs) return;
        m_lastSweep = now;
    }
    CNetAutoLock guard(&m_pendingLock, false);
    for (const NetEvent& event : m_pending) event.connection->PeriodicCheck(now);
}

size_t CRegistrationServer::PendingCount() const {
    CNetAutoLock guard(&m_pendingLock, false);
    return m_pending.size();
}
