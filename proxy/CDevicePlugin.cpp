#include "proxy/CDevicePlugin.h"

#include <new>

#include "netlib/CNetBuffer.h"
#include "proxy/CProxyDevice.h"
#include "proxy/PluginLoader.h"

CDevicePlugin* CreateDevicePlugin(int type, CProxyDevice* owner) {
    const CPluginModule* module = PluginOfType(type);
    return module ? new (std::nothrow) CDevicePlugin(owner, *module) : nullptr;
}

CDevicePlugin::CDevicePlugin(CProxyDevice* owner, const CPluginModule& module) : m_owner(owner), m_module(module) {}

CDevicePlugin::~CDevicePlugin() = default;

int CDevicePlugin::Open(PLUGIN_DEVICE_RECORD* record, int regPort, char* userName, char* password,
                        char* registrationId) {
    if (!Fn().open || !Fn().setCallBack) return -1;
    m_handle = Fn().open(record, regPort, userName, password, registrationId);
    return InstallCallbacks();
}

int CDevicePlugin::OpenEx(PLUGIN_DEVICE_RECORD* records, int count) {
    if (!Fn().openEx || !Fn().setCallBack) return -1;
    m_handle = Fn().openEx(records, count);
    return InstallCallbacks();
}

int CDevicePlugin::InstallCallbacks() {
    if (!m_handle) return -1;
    Fn().setCallBack(m_handle, &CDevicePlugin::MessageThunk, &CDevicePlugin::DataThunk, this);
    return 0;
}

int CDevicePlugin::Close() {
    if (!Fn().close) return -1;
    if (m_handle) Fn().close(m_handle);
    m_handle = nullptr;
    return 0;
}

int CDevicePlugin::SendData(const uint8_t* data, int length, int sessionId, int subIndex) {
    if (!Fn().send || !m_handle) return -1;
    return Fn().send(m_handle, const_cast<uint8_t*>(data), length, sessionId, subIndex);
}

int CDevicePlugin::Heartbeat() {
    if (!Fn().heartbeat) return 1;
    if (InterlockedCompareExchange(&m_heartbeatBusy, 1, 0) != 0) return 1;
    const int result = m_handle ? Fn().heartbeat(m_handle) : 1;
    InterlockedExchange(&m_heartbeatBusy, 0);
    return result;
}

int CDevicePlugin::ParseCommand(SDK_COMMAND* command, PARSE_RESULT* result) {
    if (!Fn().parse || !m_handle) return -1;
    return Fn().parse(m_handle, command, result);
}

int CDevicePlugin::CloseCommand(int sessionId) {
    if (!Fn().closeCommand || !m_handle) return -1;
    return Fn().closeCommand(m_handle, sessionId);
}

int CDevicePlugin::GetDeviceInfo(int* info) {
    if (!Fn().deviceInfo || !m_handle) return -1;
    return Fn().deviceInfo(m_handle, info);
}

int CDevicePlugin::Connect(SDK_COMMAND*, PARSE_RESULT*) { return Fn().connect && m_handle ? 0 : -1; }

int CDevicePlugin::OnMessage(int kind, int state) {
    m_owner->OnPluginMessage(kind, state);
    return 0;
}

int CDevicePlugin::OnData(const PLUGIN_DATA_TARGET* targets, int count, const uint8_t* data, int length) {
    if (!targets || count < 1 || length < 1 || !data) return -1;
    CNetBuffer* buffer = CNetBuffer::CreateCopy(length, data);
    if (!buffer) return -1;
    buffer->AddRef();
    int result = -1;
    for (int i = 0; i < count; ++i) {
        // The plug-in hears 0 for a delivery and -1 for none, whatever the
        // socket library's own code.
        result = m_owner->OnPluginData(targets[i].sessionId, targets[i].subIndex, buffer) >= 0 ? 0 : -1;
    }
    NetRelease(buffer);
    return result;
}

int PLUGIN_CALL CDevicePlugin::MessageThunk(int kind, int state, void* user) {
    if (!user) return -1;
    try {
        return static_cast<CDevicePlugin*>(user)->OnMessage(kind, state);
    } catch (...) {
        return -1;
    }
}

int PLUGIN_CALL CDevicePlugin::DataThunk(PLUGIN_DATA_TARGET* targets, int count, uint8_t* data, int length,
                                         void* user) {
    if (!user) return -1;
    try {
        return static_cast<CDevicePlugin*>(user)->OnData(targets, count, data, length);
    } catch (...) {
        return -1;
    }
}
