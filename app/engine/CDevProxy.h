// CDevProxy: the program's only door to the registration proxy (Portmoor).
// Starts and stops it, registers each self-registering device with it and
// keeps the proxy's handle of each device by registration id, so a device
// can be removed again and all devices at once.
//
// The proxy's four functions are imported from Portmoor.dll when the program
// loads; a test may install its own table.
#pragma once

#include <afx.h>
#include <windows.h>

#include <map>

#include "common/CLock.h"
#include "proxy/Portmoor.h"

struct PROXY_FUNCTIONS {
    BOOL(__stdcall* Init)();
    BOOL(__stdcall* Cleanup)();
    HANDLE(__stdcall* AddDevice)(int type, PROXY_DEVICE_INFO* info);
    BOOL(__stdcall* DeleteDevice)(HANDLE device);
};

class CDevProxy {
public:
    CDevProxy();
    // Cleanup; handles still mapped are left to the proxy's own clean-up.
    virtual ~CDevProxy();
    CDevProxy(const CDevProxy&) = delete;
    CDevProxy& operator=(const CDevProxy&) = delete;

    // Replaces the bound functions (tests). Entries left null fail.
    void SetFunctions(const PROXY_FUNCTIONS& functions);

    // Starts the proxy when it does not run. Returns 1 running, 0 not
    // started (tried again on the next call).
    int Init();
    // Stops a running proxy. Always 1.
    int Cleanup();
    // Registers a device by its registration id. 0 registered; -1 when that
    // id is registered already (the proxy is not asked) or the proxy refused.
    int AddDevice(int type, PROXY_DEVICE_INFO info);
    // Removes the device of that registration id; 0 (also when unknown).
    int DeleteDevice(int type, PROXY_DEVICE_INFO info);
    // Removes every registered device in id order; 0.
    int DeleteAllDevices();
    int GetDeviceCount() const;
    int IsRunning() const { return m_initialised == 1; }

private:
    static CString KeyOf(const PROXY_DEVICE_INFO& info);
    void BindOnce();

    int m_initialised = 0;
    mutable CLock m_lock;
    std::map<CString, HANDLE> m_devices;
    PROXY_FUNCTIONS m_fn = {};
    bool m_bound = false;
};
