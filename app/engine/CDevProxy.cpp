#include "app/engine/CDevProxy.h"

#include <string.h>

#include "common/CAutoLock.h"

CDevProxy::CDevProxy() {}

CDevProxy::~CDevProxy() { Cleanup(); }

void CDevProxy::SetFunctions(const PROXY_FUNCTIONS& functions) {
    CAutoLock guard(&m_lock);
    m_fn = functions;
    m_bound = true;
}

void CDevProxy::BindOnce() {
    if (m_bound) return;
    m_bound = true;
    // The program imports these four from Portmoor.dll at load time.
    m_fn.Init = PROXY_Init;
    m_fn.Cleanup = PROXY_Cleanup;
    m_fn.AddDevice = PROXY_AddDevice;
    m_fn.DeleteDevice = PROXY_DeleteDevice;
}

int CDevProxy::Init() {
    CAutoLock guard(&m_lock);
    BindOnce();
    if (m_initialised == 0 && m_fn.Init) m_initialised = m_fn.Init() ? 1 : 0;
    return m_initialised;
}

int CDevProxy::Cleanup() {
    CAutoLock guard(&m_lock);
    if (m_initialised == 1) {
        if (m_fn.Cleanup) m_fn.Cleanup();
        m_initialised = 0;
    }
    return 1;
}

CString CDevProxy::KeyOf(const PROXY_DEVICE_INFO& info) {
    char id[sizeof(info.registrationId) + 1] = {};
    memcpy(id, info.registrationId, sizeof(info.registrationId));
    CString key;
    key.Format(L"%s", (LPCWSTR)CString(id));
    return key;
}

int CDevProxy::AddDevice(int type, PROXY_DEVICE_INFO info) {
    CString key = KeyOf(info);
    CAutoLock guard(&m_lock);
    BindOnce();
    if (m_devices.count(key)) return -1;
    HANDLE handle = m_fn.AddDevice ? m_fn.AddDevice(type, &info) : nullptr;
    if (!handle) return -1;
    m_devices[key] = handle;
    return 0;
}

int CDevProxy::DeleteDevice(int, PROXY_DEVICE_INFO info) {
    CString key = KeyOf(info);
    CAutoLock guard(&m_lock);
    auto it = m_devices.find(key);
    if (it == m_devices.end()) return 0;
    if (m_fn.DeleteDevice) m_fn.DeleteDevice(it->second);
    m_devices.erase(it);
    return 0;
}

int CDevProxy::DeleteAllDevices() {
    CAutoLock guard(&m_lock);
    for (const auto& entry : m_devices) {
        if (m_fn.DeleteDevice) m_fn.DeleteDevice(entry.second);
    }
    m_devices.clear();
    return 0;
}

int CDevProxy::GetDeviceCount() const {
    CAutoLock guard(&m_lock);
    return (int)m_devices.size();
}
