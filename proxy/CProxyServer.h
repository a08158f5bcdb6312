// The proxy behind the exported functions: the start count, the proxied
// devices, the last error per thread, the device-event queue and the three
// service threads (heartbeat, housekeeping, events).
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <vector>

#include "common/CAutoLock.h"
#include "common/UniqueHandle.h"
#include "netlib/CNetLock.h"
#include "proxy/Portmoor.h"

class CProxyDevice;

class CProxyServer {
public:
    CProxyServer();
    // Frees the lists only: devices are closed by the last Cleanup.
    virtual ~CProxyServer();

    // The first call starts the socket library, loads the plug-ins from the
    // directory of module and starts the threads; later calls only count.
    // 0, or -1 when a step fails (everything started is torn down again).
    int Init(HMODULE module);
    // The call that brings the count to 0 deletes every device, stops the
    // threads and the socket library and unloads the plug-ins. 0 while
    // other starts remain or when nothing was started; else 1, or -1 when
    // the socket library's stop failed.
    int Cleanup();

    // The new device, or NULL with the calling thread's error set.
    CProxyDevice* AddDevice(int type, const PROXY_DEVICE_INFO* info, int count);
    // 0 with a reference taken (release it with UnlockDevice), -1 when the
    // device is not listed.
    int LockDevice(CProxyDevice* device);
    void UnlockDevice(CProxyDevice* device);
    // Closes and unlists the device. 0, PROXY_ERR_HANDLE when it is no
    // longer listed, PROXY_ERR_PARAM for NULL.
    int DeleteDevice(CProxyDevice* device);
    int QueryDeviceStatus(CProxyDevice* device, PROXY_DEVICE_STATUS* status);

    void SetLastError(int code);
    int GetLastError();

    void QueueEvent(CProxyDevice* device, int event);
    int DeviceCount();

private:
    struct DeviceEvent {
        CProxyDevice* device;
        int event;
    };

    CProxyServer(const CProxyServer&) = delete;
    CProxyServer& operator=(const CProxyServer&) = delete;

    int Start(HMODULE module);
    int Stop();
    void Shutdown();
    bool IsListed(CProxyDevice* device);
    CProxyDevice* Unlist(CProxyDevice* device);
    bool HeartbeatAll();
    void CheckAll();
    bool ProcessEvent();
    static DWORD WINAPI HeartbeatThread(LPVOID server);
    static DWORD WINAPI HousekeepingThread(LPVOID server);
    static DWORD WINAPI EventThread(LPVOID server);
    static void OnDeviceEvent(CProxyDevice* device, int event, void* user);

    volatile LONG m_starts = 0;
    CLock m_startLock;  // serialises Init and Cleanup
    std::vector<CProxyDevice*> m_devices;
    CNetLock m_devicesLock;
    std::map<DWORD, int> m_errors;
    CNetLock m_errorsLock;
    std::deque<DeviceEvent> m_events;
    CNetLock m_eventsLock;
    CUniqueHandle m_heartbeatThread;
    CUniqueHandle m_housekeepingThread;
    CUniqueHandle m_eventThread;
    CUniqueHandle m_stopEvent;
    CUniqueHandle m_workEvent;
};

// The one proxy of this library.
CProxyServer& ProxyServer();
