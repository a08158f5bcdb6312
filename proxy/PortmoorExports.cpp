// Portmoor's exported functions. Each catches everything: no exception
// crosses into the caller.
#include <windows.h>

#include "proxy/CProxyDevice.h"
#include "proxy/CProxyServer.h"
#include "proxy/Portmoor.h"

namespace {

HMODULE g_module = nullptr;

BOOL Report(int result) {
    if (result >= 0) return TRUE;
    ProxyServer().SetLastError(result);
    return FALSE;
}

}  // namespace

extern "C" {

// Only the module handle is kept: threads start in PROXY_Init.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

BOOL __stdcall PROXY_Init() {
    try {
        return Report(ProxyServer().Init(g_module));
    } catch (...) {
        return FALSE;
    }
}

BOOL __stdcall PROXY_Cleanup() {
    try {
        return Report(ProxyServer().Cleanup());
    } catch (...) {
        return FALSE;
    }
}

int __stdcall PROXY_GetLastError() {
    try {
        return ProxyServer().GetLastError();
    } catch (...) {
        return PROXY_ERR_NOMEMORY;
    }
}

int __stdcall PROXY_GetSDKVersion() { return PROXY_SDK_VERSION; }

HANDLE __stdcall PROXY_AddDeviceEx(int type, PROXY_DEVICE_INFO* info, int count) {
    try {
        return ProxyServer().AddDevice(type, info, count);
    } catch (...) {
        return nullptr;
    }
}

HANDLE __stdcall PROXY_AddDevice(int type, PROXY_DEVICE_INFO* info) { return PROXY_AddDeviceEx(type, info, 1); }

BOOL __stdcall PROXY_DeleteDevice(HANDLE handle) {
    try {
        CProxyServer& server = ProxyServer();
        CProxyDevice* device = static_cast<CProxyDevice*>(handle);
        if (server.LockDevice(device) < 0) return Report(PROXY_ERR_HANDLE);
        const int result = server.DeleteDevice(device);
        server.UnlockDevice(device);
        return Report(result);
    } catch (...) {
        return FALSE;
    }
}

BOOL __stdcall PROXY_QueryDeviceStatus(HANDLE handle, PROXY_DEVICE_STATUS* status) {
    try {
        CProxyServer& server = ProxyServer();
        CProxyDevice* device = static_cast<CProxyDevice*>(handle);
        if (!device || !status) return Report(PROXY_ERR_PARAM);
        if (server.LockDevice(device) < 0) return Report(PROXY_ERR_HANDLE);
        const int result = server.QueryDeviceStatus(device, status);
        server.UnlockDevice(device);
        return Report(result);
    } catch (...) {
        return FALSE;
    }
}

}  // extern "C"
