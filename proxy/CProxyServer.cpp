#include "proxy/CProxyServer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "netlib/CNetAutoLock.h"
#include "netlib/CNetEngine.h"
#include "proxy/CProxyDevice.h"
#include "proxy/PluginLoader.h"
#include "proxy/ProxyRecords.h"

namespace {

const DWORD kHousekeepingMs = 5000;
const DWORD kHeartbeatPauseMs = 10;
const DWORD kThreadStopWaitMs = 10000;

void StopThread(CUniqueHandle& thread) {
    if (!thread) return;
    if (WaitForSingleObject(thread.Get(), kThreadStopWaitMs) != WAIT_OBJECT_0)
        TerminateThread(thread.Get(), static_cast<DWORD>(-1));
    thread.Reset();
}

}  // namespace

CProxyServer& ProxyServer() {
    static CProxyServer server;
    return server;
}

CProxyServer::CProxyServer() {}

CProxyServer::~CProxyServer() {}

int CProxyServer::Init(HMODULE module) {
    CAutoLock guard(&m_startLock);
    if (InterlockedIncrement(&m_starts) == 1 && Start(module) < 0) {
        InterlockedDecrement(&m_starts);
        Stop();
        return -1;
    }
    return 0;
}

int CProxyServer::Start(HMODULE module) {
    const int engine = CNetEngine::Init();
    LoadPlugins(module);
    if (engine < 0) return -1;
    m_stopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_workEvent.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_stopEvent || !m_workEvent) return -1;
    m_housekeepingThread.Reset(CreateThread(nullptr, 0, &CProxyServer::HousekeepingThread, this, 0, nullptr));
    if (!m_housekeepingThread) return -1;
    m_eventThread.Reset(CreateThread(nullptr, 0, &CProxyServer::EventThread, this, 0, nullptr));
    if (!m_eventThread) return -1;
    m_heartbeatThread.Reset(CreateThread(nullptr, 0, &CProxyServer::HeartbeatThread, this, 0, nullptr));
    return m_heartbeatThread ? 0 : -1;
}

int CProxyServer::Cleanup() {
    CAutoLock guard(&m_startLock);
    // An unbalanced call finds nothing started and changes nothing.
    if (m_starts > 0 && InterlockedDecrement(&m_starts) == 0) return Stop();
    return 0;
}

// Tears down whatever Start made, also half-way. 1, or -1 when the socket
// library's stop failed.
int CProxyServer::Stop() {
    Shutdown();
    const int stopped = CNetEngine::Stop() < 0 ? -1 : 1;
    UnloadPlugins();
    return stopped;
}

// Deletes every device and stops the threads.
void CProxyServer::Shutdown() {
    for (;;) {
        CProxyDevice* first;
        {
            CNetAutoLock lock(&m_devicesLock, false);
            if (m_devices.empty()) break;
            first = m_devices.front();
        }
        DeleteDevice(first);
    }
    if (m_stopEvent) SetEvent(m_stopEvent.Get());
    StopThread(m_housekeepingThread);
    StopThread(m_eventThread);
    StopThread(m_heartbeatThread);
    m_stopEvent.Reset();
    m_workEvent.Reset();
    CNetAutoLock lock(&m_eventsLock, true);
    m_events.clear();
}

CProxyDevice* CProxyServer::AddDevice(int type, const PROXY_DEVICE_INFO* info, int count) {
    if (!info || count < 1 || (type == PROXY_DEVICE_AUTOREG && count > PROXY_MAX_RECORDS)) {
        SetLastError(PROXY_ERR_PARAM);
        return nullptr;
    }
    CProxyDevice* device = new (std::nothrow) CProxyDevice(&CProxyServer::OnDeviceEvent, this);
    if (!device) {
        SetLastError(PROXY_ERR_NOMEMORY);
        return nullptr;
    }
    int result;
    if (type == PROXY_DEVICE_AUTOREG) {
        PLUGIN_DEVICE_RECORD records[PROXY_MAX_RECORDS];
        for (int i = 0; i < count; ++i) FillPluginRecord(info[i], true, records[i]);
        result = device->OpenRegistered(type, records, count, info[0].localAddress, info[0].localPort);
    } else {
        PLUGIN_DEVICE_RECORD record;
        FillPluginRecord(info[0], false, record);
        char localAddress[sizeof(info[0].localAddress)];
        CopyTextField(localAddress, info[0].localAddress);
        result = device->Open(type, &record, localAddress, info[0].localPort);
    }
    if (result < 0) {
        device->Release();
        SetLastError(result);
        return nullptr;
    }
    CNetAutoLock lock(&m_devicesLock, true);
    m_devices.push_back(device);
    return device;
}

bool CProxyServer::IsListed(CProxyDevice* device) {
    return std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end();
}

int CProxyServer::LockDevice(CProxyDevice* device) {
    if (!device) return -1;
    CNetAutoLock lock(&m_devicesLock, false);
    if (!IsListed(device)) return -1;
    return device->AddRef() > 0 ? 0 : -1;
}

void CProxyServer::UnlockDevice(CProxyDevice* device) {
    if (device) device->Release();
}

int CProxyServer::DeleteDevice(CProxyDevice* device) {
    if (!device) return PROXY_ERR_PARAM;
    {
        CNetAutoLock lock(&m_devicesLock, true);
        // Checked again under the exclusive lock: of two deletes of one
        // handle only the first finds it listed and closes the device.
        auto found = std::find(m_devices.begin(), m_devices.end(), device);
        if (found == m_devices.end()) return PROXY_ERR_HANDLE;
        device->Close();
        m_devices.erase(found);
    }
    device->Release();
    return 0;
}

int CProxyServer::QueryDeviceStatus(CProxyDevice* device, PROXY_DEVICE_STATUS* status) {
    if (!device || !status) return PROXY_ERR_PARAM;
    std::memset(status, 0, sizeof(*status));
    return device->QueryStatus(status);
}

int CProxyServer::DeviceCount() {
    CNetAutoLock lock(&m_devicesLock, false);
    return static_cast<int>(m_devices.size());
}

void CProxyServer::SetLastError(int code) {
    CNetAutoLock lock(&m_errorsLock, true);
    try {
        m_errors[GetCurrentThreadId()] = code;
    } catch (...) {
        // Out of memory: the code stays unstored.
    }
}

int CProxyServer::GetLastError() {
    CNetAutoLock lock(&m_errorsLock, false);
    auto found = m_errors.find(GetCurrentThreadId());
    return found == m_errors.end() ? 0 : found->second;
}

void CProxyServer::OnDeviceEvent(CProxyDevice* device, int event, void* user) {
    if (user) static_cast<CProxyServer*>(user)->QueueEvent(device, event);
}

void CProxyServer::QueueEvent(CProxyDevice* device, int event) {
    {
        CNetAutoLock lock(&m_eventsLock, true);
        try {
            m_events.push_back(DeviceEvent{device, event});
        } catch (...) {
            return;
        }
    }
    if (m_workEvent) SetEvent(m_workEvent.Get());
}

bool CProxyServer::ProcessEvent() {
    DeviceEvent next;
    {
        CNetAutoLock lock(&m_eventsLock, true);
        if (m_events.empty()) return false;
        next = m_events.front();
        m_events.pop_front();
    }
    // The device list stays locked while the event runs: the device cannot
    // be deleted under it.
    CNetAutoLock lock(&m_devicesLock, false);
    if (next.device && IsListed(next.device)) next.device->OnEvent(next.event);
    return true;
}

bool CProxyServer::HeartbeatAll() {
    CNetAutoLock lock(&m_devicesLock, false);
    bool idle = true;
    for (CProxyDevice* device : m_devices) {
        if (device->Heartbeat() == 0) idle = false;
    }
    return idle;
}

void CProxyServer::CheckAll() {
    CNetAutoLock lock(&m_devicesLock, false);
    for (CProxyDevice* device : m_devices) device->CheckSessions();
}

DWORD WINAPI CProxyServer::HeartbeatThread(LPVOID param) {
    auto* self = static_cast<CProxyServer*>(param);
    try {
        while (WaitForSingleObject(self->m_stopEvent.Get(), 0) == WAIT_TIMEOUT) {
            // A plug-in with work pending is served again without pause, but
            // the rest of the time slice goes to others first: the device-list
            // lock lets readers in ahead of a waiting writer, and a heartbeat
            // stuck at 0 would otherwise keep adds and deletes out for good.
            if (self->HeartbeatAll())
                Sleep(kHeartbeatPauseMs);
            else
                Sleep(0);
        }
    } catch (...) {}
    return 0;
}

DWORD WINAPI CProxyServer::HousekeepingThread(LPVOID param) {
    auto* self = static_cast<CProxyServer*>(param);
    try {
        while (WaitForSingleObject(self->m_stopEvent.Get(), kHousekeepingMs) == WAIT_TIMEOUT) self->CheckAll();
    } catch (...) {}
    return 0;
}

DWORD WINAPI CProxyServer::EventThread(LPVOID param) {
    auto* self = static_cast<CProxyServer*>(param);
    HANDLE events[2] = {self->m_workEvent.Get(), self->m_stopEvent.Get()};
    try {
        for (;;) {
            const DWORD woken = WaitForMultipleObjects(2, events, FALSE, INFINITE);
            if (woken == WAIT_OBJECT_0 + 1) break;
            if (woken == WAIT_OBJECT_0) {
                while (self->ProcessEvent()) {}
            }
        }
    } catch (...) {}
    return 0;
}
