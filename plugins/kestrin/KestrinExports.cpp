// The plug-in functions the proxy binds by name. Every entry catches
// everything: no exception crosses into the proxy.
#include <windows.h>

#include "plugins/kestrin/AutoPluginTypes.h"
#include "plugins/kestrin/CAutoDevice.h"
#include "plugins/kestrin/CRegistrationServer.h"

namespace {

CRegistrationServer g_server;

CAutoDevice* DeviceOf(void* handle) { return static_cast<CAutoDevice*>(handle); }

}  // namespace

extern "C" {

int KESTRIN_CALL DVR_AUTO_Init() {
    try {
        return g_server.Init();
    } catch (...) {
        return -1;
    }
}

int KESTRIN_CALL DVR_AUTO_Cleanup() {
    try {
        return g_server.Cleanup();
    } catch (...) {
        return -1;
    }
}

void* KESTRIN_CALL DVR_AUTO_OpenDeviceEx(PLUGIN_DEVICE_RECORD* records, int count) {
    CAutoDevice* device = nullptr;
    try {
        device = new CAutoDevice();
        if (device->Open(records, count) != 0) {
            delete device;
            return nullptr;
        }
        char address[sizeof records[0].regAddress + 1] = {};
        memcpy(address, records[0].regAddress, sizeof records[0].regAddress);
        if (g_server.AddDevice(device, address, records[0].regPort) != 0) {
            delete device;
            return nullptr;
        }
        return device;
    } catch (...) {
        delete device;
        return nullptr;
    }
}

int KESTRIN_CALL DVR_AUTO_CloseDevice(void* handle) {
    if (handle == nullptr) return -1;
    try {
        g_server.RemoveDevice(DeviceOf(handle));
        delete DeviceOf(handle);
        return 0;
    } catch (...) {
        return -1;
    }
}

int KESTRIN_CALL DVR_AUTO_SetCallBack(void* handle, PluginMessageCallback onMessage, PluginDataCallback onData,
                                      void* user) {
    if (handle == nullptr) return -1;
    try {
        return DeviceOf(handle)->SetCallBack(onMessage, onData, user);
    } catch (...) {
        return -1;
    }
}

int KESTRIN_CALL DVR_AUTO_SendData(void* handle, uint8_t* data, int length, int sessionId, int subIndex) {
    if (handle == nullptr) return -1;
    try {
        return DeviceOf(handle)->SendData(data, length, sessionId, subIndex);
    } catch (...) {
        return -1;
    }
}

int KESTRIN_CALL DVR_AUTO_Heartbeat(void* handle) {
    try {
        g_server.HeartbeatSweep(GetTickCount());
        if (handle == nullptr) return 1;
        return DeviceOf(handle)->Heartbeat();
    } catch (...) {
        return 1;
    }
}

int KESTRIN_CALL DVR_AUTO_Connect(void*, void*, void*) { return 0; }

int KESTRIN_CALL DVR_AUTO_PraseCommand(void* handle, SDK_COMMAND* in, PARSE_RESULT* out) {
    if (handle == nullptr) return -1;
    try {
        return DeviceOf(handle)->ParseCommand(in, out);
    } catch (...) {
        return -1;
    }
}

int KESTRIN_CALL DVR_AUTO_CloseCommand(void* handle, int sessionId) {
    if (handle == nullptr) return -1;
    try {
        return DeviceOf(handle)->CloseCommand(sessionId);
    } catch (...) {
        return -1;
    }
}

int KESTRIN_CALL DVR_AUTO_GetDeviceInfo(void* handle, int* out) {
    if (handle == nullptr) return -1;
    if (out != nullptr) *out = DeviceOf(handle)->DeviceInfo();
    return 0;
}

}  // extern "C"
