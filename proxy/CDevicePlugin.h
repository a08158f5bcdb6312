// The proxy's side of one plug-in device: calls into the plug-in's bound
// functions with the device's handle, and the callbacks through which the
// plug-in reports back to the owning device.
#pragma once

#include <windows.h>

#include "proxy/CPluginModule.h"
#include "plugins/PluginInterface.h"

class CProxyDevice;

class CDevicePlugin {
public:
    CDevicePlugin(CProxyDevice* owner, const CPluginModule& module);
    virtual ~CDevicePlugin();

    // Opens one device from the fields of record and installs the
    // callbacks. 0 with a handle; -1 otherwise, also for a plug-in that opens
    // from record lists (type 1).
    virtual int Open(PLUGIN_DEVICE_RECORD* record, int regPort, char* userName, char* password, char* registrationId);
    // Opens one device from count records (one per device connection) and
    // installs the callbacks. 0 with a handle; -1 otherwise, also for a
    // plug-in that opens from one record's fields (types 0 and 2).
    virtual int OpenEx(PLUGIN_DEVICE_RECORD* records, int count);
    // Closes the plug-in device; the handle is cleared. 0, or -1 when the
    // plug-in has no close function.
    int Close();
    // The rest return -1 when the function is unresolved or there is no
    // handle, else the plug-in's result (unless said otherwise).
    int SendData(const uint8_t* data, int length, int sessionId, int subIndex);
    // 1 when unresolved or without handle. Never re-entered for one device:
    // a call while one runs returns 1 at once.
    int Heartbeat();
    int ParseCommand(SDK_COMMAND* command, PARSE_RESULT* result);
    int CloseCommand(int sessionId);
    int GetDeviceInfo(int* info);
    // 0 when the plug-in has a connect function and a handle; nothing called.
    int Connect(SDK_COMMAND* command, PARSE_RESULT* result);

    int OnMessage(int kind, int state);
    // Copies data into one buffer and delivers it to each target in order.
    // The last delivery's result (0 sent or queued, -1 not); -1 without
    // targets, count below 1 or length below 1.
    int OnData(const PLUGIN_DATA_TARGET* targets, int count, const uint8_t* data, int length);

    static int PLUGIN_CALL MessageThunk(int kind, int state, void* user);
    static int PLUGIN_CALL DataThunk(PLUGIN_DATA_TARGET* targets, int count, uint8_t* data, int length, void* user);

private:
    int InstallCallbacks();
    const PluginFunctions& Fn() const { return m_module.Functions(); }

    CProxyDevice* const m_owner;
    const CPluginModule& m_module;
    PLUGIN_HANDLE m_handle = nullptr;

    CDevicePlugin(const CDevicePlugin&) = delete;
    CDevicePlugin& operator=(const CDevicePlugin&) = delete;

    volatile LONG m_heartbeatBusy = 0;
};

// Adapter for device type 0, 1 or 2 over that type's plug-in; NULL for
// another type or when memory runs out.
CDevicePlugin* CreateDevicePlugin(int type, CProxyDevice* owner);
