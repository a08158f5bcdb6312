// A plug-in whose answers a test scripts by command byte, installed beside a
// copy of Portmoor under the names of the plug-ins for types 0 and 1. It
// keeps one device at a time and exports controls that make it report state
// and deliver data, and counters of what the proxy asked of it.
//
//   0xA0 login: 32-byte 0xB0 reply, login id = client id, registered
//   0xF1 sub-connection: 0xF1 reply, session = bytes 8..11, index = byte 13
//   0xE0 a reply longer than a parse result can hold
//   0xE1 the parse fails (after writing a reply that must not be sent)
//   0xE2 answered locally with 0xE2, nothing registered
//   anything else: passed on to the device (counted)
#include <windows.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "plugins/PluginInterface.h"

namespace {

struct Device {
    PluginMessageCallback onMessage = nullptr;
    PluginDataCallback onData = nullptr;
    void* user = nullptr;
    bool open = false;
    std::vector<PLUGIN_DEVICE_RECORD> records;
};

std::mutex g_mutex;
Device g_device;
LONG g_heartbeat = 1;
LONG g_opens = 0, g_closes = 0, g_sends = 0, g_closeCommands = 0, g_lastClosedSession = 0;

// Its own codec on purpose: the scripted plug-in checks the proxy, not the
// tree's byte helpers.
void PutU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
uint32_t GetU32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

PLUGIN_HANDLE Open(const PLUGIN_DEVICE_RECORD* records, int count) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_device.open || !records || count < 1) return nullptr;
    g_device = Device();
    g_device.open = true;
    g_device.records.assign(records, records + count);
    ++g_opens;
    return &g_device;
}

void Reply(PARSE_RESULT* result, uint8_t command, int action) {
    result->reply[0] = command;
    result->replyLength = 32;
    result->action = action;
}

}  // namespace

extern "C" {

int PLUGIN_CALL Scripted_Init() { return 0; }
int PLUGIN_CALL Scripted_UnInit() { return 0; }

PLUGIN_HANDLE PLUGIN_CALL Scripted_OpenDeviceEx(PLUGIN_DEVICE_RECORD* records, int count) {
    return Open(records, count);
}

PLUGIN_HANDLE PLUGIN_CALL Scripted_OpenDevice(PLUGIN_DEVICE_RECORD* record, int, char*, char*, char*) {
    return Open(record, 1);
}

int PLUGIN_CALL Scripted_CloseDevice(PLUGIN_HANDLE) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_device.open = false;
    ++g_closes;
    return 0;
}

int PLUGIN_CALL Scripted_SetCallBack(PLUGIN_HANDLE, PluginMessageCallback onMessage, PluginDataCallback onData,
                                     void* user) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_device.onMessage = onMessage;
    g_device.onData = onData;
    g_device.user = user;
    return 0;
}

int PLUGIN_CALL Scripted_SendData(PLUGIN_HANDLE, uint8_t*, int, int, int) { return InterlockedIncrement(&g_sends), 0; }
int PLUGIN_CALL Scripted_Heartbeat(PLUGIN_HANDLE) { return InterlockedCompareExchange(&g_heartbeat, 0, 0); }
int PLUGIN_CALL Scripted_Connect(PLUGIN_HANDLE) { return 0; }

int PLUGIN_CALL Scripted_PraseCommand(PLUGIN_HANDLE, SDK_COMMAND* command, PARSE_RESULT* result) {
    if (!command || !result || command->length < 32) return -1;
    const uint8_t* packet = command->data;
    switch (packet[0]) {
        case 0xA0:
            Reply(result, 0xB0, kParseLogin);
            PutU32(result->reply + 16, static_cast<uint32_t>(command->clientId));
            result->registerClient = 1;
            return 0;
        case 0xF1:
            Reply(result, 0xF1, kParseSubConnection);
            result->registerClient = 1;
            result->mainSessionId = static_cast<int32_t>(GetU32(packet + 8));
            result->sessionIndex = packet[13];
            return 0;
        case 0xE0:
            Reply(result, 0xE0, kParseOther);
            result->replyLength = 600;
            return 0;
        case 0xE1: Reply(result, 0xEE, kParseOther); return -1;
        case 0xE2: Reply(result, 0xE2, kParseOther); return 0;
        default:
            result->action = kParseOther;
            result->forward = 1;
            return 0;
    }
}

int PLUGIN_CALL Scripted_CloseCommand(PLUGIN_HANDLE, int sessionId) {
    InterlockedExchange(&g_lastClosedSession, sessionId);
    return InterlockedIncrement(&g_closeCommands), 0;
}

int PLUGIN_CALL Scripted_GetDeviceInfo(PLUGIN_HANDLE, int* info) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!info || g_device.records.empty()) return -1;
    *info = g_device.records[0].deviceInfo;
    return 0;
}

// Test controls. Both report nothing once the device is closed.
int PLUGIN_CALL Scripted_ReportState(int state) {
    PluginMessageCallback onMessage;
    void* user;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_device.open) return -2;
        onMessage = g_device.onMessage;
        user = g_device.user;
    }
    return onMessage ? onMessage(0, state, user) : -2;
}

int PLUGIN_CALL Scripted_Deliver(PLUGIN_DATA_TARGET* targets, int count, uint8_t* data, int length) {
    PluginDataCallback onData;
    void* user;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_device.open) return -2;
        onData = g_device.onData;
        user = g_device.user;
    }
    return onData ? onData(targets, count, data, length, user) : -2;
}

// What the heartbeat answers from now on (0: work pending, serve again).
int PLUGIN_CALL Scripted_SetHeartbeat(int value) { return InterlockedExchange(&g_heartbeat, value), 0; }

// 0 opens, 1 closes, 2 sends, 3 close commands, 4 last closed session,
// 5 records of the open device.
int PLUGIN_CALL Scripted_Counter(int which) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const LONG counters[] = {
        g_opens, g_closes, g_sends, g_closeCommands, g_lastClosedSession, static_cast<LONG>(g_device.records.size())};
    return which >= 0 && which < 6 ? counters[which] : -1;
}

int PLUGIN_CALL Scripted_Record(int index, PLUGIN_DEVICE_RECORD* out) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (index < 0 || static_cast<size_t>(index) >= g_device.records.size() || !out) return -1;
    *out = g_device.records[index];
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"
