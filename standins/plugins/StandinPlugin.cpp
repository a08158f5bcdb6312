#include "standins/plugins/StandinPlugin.h"

#include <map>
#include <memory>

#include "common/CAutoLock.h"
#include "standins/plugins/CStandinDevice.h"

namespace standin {

namespace {

CLock g_devicesLock;
std::map<PLUGIN_HANDLE, std::shared_ptr<CStandinDevice>> g_devices;

// A call on a handle holds the device alive for its duration, so a close on
// another thread never frees it under the call.
std::shared_ptr<CStandinDevice> Find(PLUGIN_HANDLE handle) {
    CAutoLock lock(&g_devicesLock);
    auto found = g_devices.find(handle);
    return found == g_devices.end() ? nullptr : found->second;
}

std::shared_ptr<CStandinDevice> Take(PLUGIN_HANDLE handle) {
    CAutoLock lock(&g_devicesLock);
    auto found = g_devices.find(handle);
    if (found == g_devices.end()) return nullptr;
    std::shared_ptr<CStandinDevice> device = found->second;
    g_devices.erase(found);
    return device;
}

}  // namespace

int PluginInit() { return 0; }

int PluginUnInit() {
    try {
        std::map<PLUGIN_HANDLE, std::shared_ptr<CStandinDevice>> open;
        {
            CAutoLock lock(&g_devicesLock);
            open.swap(g_devices);
        }
        for (auto& entry : open) entry.second->Stop();
        return 0;
    } catch (...) {
        return -1;
    }
}

PLUGIN_HANDLE PluginOpen(PLUGIN_DEVICE_RECORD* record, int regPort, const char* userName, const char* password) {
    try {
        if (!record || !userName || !password) return nullptr;
        char address[sizeof(record->regAddress) + 1] = {};
        for (size_t i = 0; i < sizeof(record->regAddress) && record->regAddress[i]; ++i) {
            address[i] = record->regAddress[i];
        }
        auto device = std::make_shared<CStandinDevice>(address, regPort, userName, password);
        if (!device->Start()) return nullptr;
        PLUGIN_HANDLE handle = device.get();
        CAutoLock lock(&g_devicesLock);
        g_devices[handle] = device;
        return handle;
    } catch (...) {
        return nullptr;
    }
}

int PluginClose(PLUGIN_HANDLE handle) {
    try {
        std::shared_ptr<CStandinDevice> device = Take(handle);
        if (!device) return -1;
        device->Stop();
        return 0;
    } catch (...) {
        return -1;
    }
}

int PluginSetCallBack(PLUGIN_HANDLE handle, PluginMessageCallback onMessage, PluginDataCallback onData, void* user) {
    try {
        std::shared_ptr<CStandinDevice> device = Find(handle);
        if (!device) return -1;
        device->SetCallbacks(onMessage, onData, user);
        return 0;
    } catch (...) {
        return -1;
    }
}

int PluginSendData(PLUGIN_HANDLE handle, const uint8_t* data, int length, int sessionId, int subIndex) {
    try {
        std::shared_ptr<CStandinDevice> device = Find(handle);
        return device ? device->Send(data, length, sessionId, subIndex) : -1;
    } catch (...) {
        return -1;
    }
}

int PluginHeartbeat(PLUGIN_HANDLE) { return 1; }

int PluginConnect(PLUGIN_HANDLE handle) {
    try {
        return Find(handle) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

int PluginParseCommand(PLUGIN_HANDLE handle, SDK_COMMAND* command, PARSE_RESULT* result) {
    try {
        std::shared_ptr<CStandinDevice> device = Find(handle);
        if (!device || !command || !result) return -1;
        return device->Parse(*command, *result);
    } catch (...) {
        return -1;
    }
}

int PluginCloseCommand(PLUGIN_HANDLE handle, int sessionId) {
    try {
        std::shared_ptr<CStandinDevice> device = Find(handle);
        if (!device) return -1;
        device->ForgetSession(sessionId);
        return 0;
    } catch (...) {
        return -1;
    }
}

int PluginGetDeviceInfo(PLUGIN_HANDLE handle, int* info) {
    try {
        std::shared_ptr<CStandinDevice> device = Find(handle);
        if (!device || !info) return -1;
        *info = device->ChannelCount();
        return 0;
    } catch (...) {
        return -1;
    }
}

int PluginOpenCount() {
    CAutoLock lock(&g_devicesLock);
    return static_cast<int>(g_devices.size());
}

}  // namespace standin
