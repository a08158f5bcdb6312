// One proxied device: the object behind a handle of the add functions. It
// owns the device's plug-in adapter and its forwarder (local listener and
// session table) and lives while references to it remain.
#pragma once

#include <windows.h>

#include "netlib/CNetLock.h"
#include "plugins/PluginInterface.h"
#include "proxy/Portmoor.h"

class CDevicePlugin;
class CProxyForwarder;
class CProxyDevice;

// Raised when a client connection of the device has closed.
const int kDeviceEventClientClosed = 0;

typedef void (*ProxyDeviceCallback)(CProxyDevice* device, int event, void* user);

class CProxyDevice {
public:
    CProxyDevice(ProxyDeviceCallback callback, void* user);
    virtual ~CProxyDevice();

    // Types 0 and 2: opens the plug-in device from record and starts the
    // local listener at once. 0, or PROXY_ERR_PARAM, PROXY_ERR_NOMEMORY
    // (also for a type without plug-in), PROXY_ERR_PLUGIN, PROXY_ERR_LISTEN;
    // on failure nothing stays open.
    int Open(int type, PLUGIN_DEVICE_RECORD* record, const char* localAddress, int localPort);
    // Type 1: opens the plug-in device from count records; the listener
    // starts when the plug-in reports the device on line. Codes as Open.
    int OpenRegistered(int type, PLUGIN_DEVICE_RECORD* records, int count, const char* localAddress, int localPort);
    // Stops the listener (every client closed) and closes the plug-in
    // device. 0.
    int Close();
    // Fills status (zeroed by the caller). 0, PROXY_ERR_PARAM for NULL.
    int QueryStatus(PROXY_DEVICE_STATUS* status);

    // The new count, or 0 when the count had reached 0 (no reference taken).
    LONG AddRef();
    // The new count; the device deletes itself at 0.
    LONG Release();

    int Heartbeat();
    void CheckSessions();
    void OnEvent(int event);
    void Notify(int event);

    // Calls from the session table into the plug-in.
    int ParseCommand(SDK_COMMAND* command, PARSE_RESULT* result);
    int SendData(const SDK_COMMAND& command, int sessionId, int sessionIndex);
    int Connect(SDK_COMMAND* command, PARSE_RESULT* result);
    int CloseCommand(int sessionId);

    // Calls from the plug-in, on its threads. The caller keeps its buffer
    // reference; -1 when the device has no forwarder or no such client.
    int OnPluginData(int sessionId, int subIndex, class CNetBuffer* buffer);
    void OnPluginMessage(int kind, int state);

private:
    CProxyDevice(const CProxyDevice&) = delete;
    CProxyDevice& operator=(const CProxyDevice&) = delete;

    int FinishOpen(int type, const char* localAddress, int localPort);
    void DiscardOpen();
    CProxyForwarder* Forwarder() const;

    CDevicePlugin* m_plugin = nullptr;
    CProxyForwarder* volatile m_forwarder = nullptr;
    CNetLock m_lock;
    volatile LONG m_refs = 1;
    char m_localAddress[32] = {};
    int m_localPort = 0;
    const ProxyDeviceCallback m_callback;
    void* const m_user;
    volatile LONG m_online = 0;
    int m_deviceInfo = 0;
};
