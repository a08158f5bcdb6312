#include "proxy/CProxyDevice.h"

#include <cstring>
#include <new>

#include "netlib/CNetAutoLock.h"
#include "proxy/CDevicePlugin.h"
#include "proxy/CProxyForwarder.h"
#include "proxy/CProxySessionTable.h"
#include "proxy/ProxyRecords.h"

namespace {
// How long an on-line report waits for a port that is still held.
const DWORD kListenRetryMs = 1000;
}  // namespace

CProxyDevice::CProxyDevice(ProxyDeviceCallback callback, void* user) : m_callback(callback), m_user(user) {}

CProxyDevice::~CProxyDevice() {
    delete m_forwarder;
    delete m_plugin;
}

CProxyForwarder* CProxyDevice::Forwarder() const { return m_forwarder; }

int CProxyDevice::Open(int type, PLUGIN_DEVICE_RECORD* record, const char* localAddress, int localPort) {
    CNetAutoLock lock(&m_lock, true);
    if (!record || !localAddress) return PROXY_ERR_PARAM;
    if (m_plugin) return PROXY_ERR_PARAM;
    m_plugin = CreateDevicePlugin(type, this);
    if (!m_plugin) return PROXY_ERR_NOMEMORY;
    if (m_plugin->Open(record, record->regPort, record->userName, record->password, record->registrationId) < 0) {
        DiscardOpen();
        return PROXY_ERR_PLUGIN;
    }
    return FinishOpen(type, localAddress, localPort);
}

int CProxyDevice::OpenRegistered(int type, PLUGIN_DEVICE_RECORD* records, int count, const char* localAddress,
                                 int localPort) {
    CNetAutoLock lock(&m_lock, true);
    if (!records || count < 1 || !localAddress) return PROXY_ERR_PARAM;
    if (m_plugin) return PROXY_ERR_PARAM;
    m_plugin = type == 1 ? CreateDevicePlugin(type, this) : nullptr;
    if (!m_plugin) return PROXY_ERR_NOMEMORY;
    if (m_plugin->OpenEx(records, count) < 0) {
        DiscardOpen();
        return PROXY_ERR_PLUGIN;
    }
    return FinishOpen(type, localAddress, localPort);
}

// The plug-in device is open: make the forwarder and, for devices that
// need no registration, start listening now. Under the device lock.
int CProxyDevice::FinishOpen(int type, const char* localAddress, int localPort) {
    CopyTextField(m_localAddress, sizeof(m_localAddress), localAddress, sizeof(m_localAddress));
    m_localPort = localPort;
    CProxyForwarder* forwarder = new (std::nothrow) CProxyForwarder(this);
    if (!forwarder) {
        DiscardOpen();
        return PROXY_ERR_NOMEMORY;
    }
    // Published only now: a state report that came earlier found none and
    // was ignored.
    m_forwarder = forwarder;
    if (type == 1) return 0;
    if (forwarder->Start(m_localAddress, m_localPort) < 0) {
        DiscardOpen();
        return PROXY_ERR_LISTEN;
    }
    InterlockedExchange(&m_online, 1);
    int info = 0;
    m_plugin->GetDeviceInfo(&info);
    m_deviceInfo = info;
    return 0;
}

// Undoes a failed open: the plug-in device is closed first, so no report of
// it arrives while the forwarder goes.
void CProxyDevice::DiscardOpen() {
    if (m_plugin) m_plugin->Close();
    delete m_plugin;
    m_plugin = nullptr;
    CProxyForwarder* forwarder = m_forwarder;
    m_forwarder = nullptr;
    delete forwarder;
}

int CProxyDevice::Close() {
    CNetAutoLock lock(&m_lock, true);
    if (CProxyForwarder* forwarder = Forwarder()) forwarder->StopForClose();
    if (m_plugin) {
        m_plugin->Close();
        InterlockedExchange(&m_online, 0);
    }
    return 0;
}

int CProxyDevice::QueryStatus(PROXY_DEVICE_STATUS* status) {
    if (!status) return PROXY_ERR_PARAM;
    CNetAutoLock lock(&m_lock, true);
    status->online = m_online;
    // Asked of the forwarder itself: it alone knows whether a listener that
    // came up late, or went down meanwhile, runs.
    CProxyForwarder* forwarder = Forwarder();
    status->listening = forwarder && forwarder->IsListening() ? 1 : 0;
    if (m_deviceInfo == 0 && m_plugin) {
        int info = 0;
        m_plugin->GetDeviceInfo(&info);
        m_deviceInfo = info;
    }
    status->deviceInfo = m_deviceInfo;
    if (forwarder) {
        const int count = forwarder->GetClients(status->clients, PROXY_MAX_CLIENTS);
        status->clientCount = count > 0 ? count : 0;
    }
    return 0;
}

LONG CProxyDevice::AddRef() {
    for (;;) {
        const LONG current = m_refs;
        if (current <= 0) return 0;
        if (InterlockedCompareExchange(&m_refs, current + 1, current) == current) return current + 1;
    }
}

LONG CProxyDevice::Release() {
    const LONG left = InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return left;
}

int CProxyDevice::Heartbeat() { return m_plugin ? m_plugin->Heartbeat() : 1; }

void CProxyDevice::CheckSessions() {
    CProxyForwarder* forwarder = Forwarder();
    if (!forwarder) return;
    // A device on line whose port was held by another program when it came
    // on line gets its listener once the port is free.
    forwarder->RetryStart();
    if (forwarder->Table()) forwarder->Table()->CheckClients();
}

void CProxyDevice::OnEvent(int event) {
    CProxyForwarder* forwarder = Forwarder();
    if (event == kDeviceEventClientClosed && forwarder && forwarder->Table()) forwarder->Table()->Drain();
}

void CProxyDevice::Notify(int event) {
    if (m_callback) m_callback(this, event, m_user);
}

int CProxyDevice::ParseCommand(SDK_COMMAND* command, PARSE_RESULT* result) {
    return m_plugin ? m_plugin->ParseCommand(command, result) : -1;
}

int CProxyDevice::SendData(const SDK_COMMAND& command, int sessionId, int sessionIndex) {
    return m_plugin ? m_plugin->SendData(command.data, command.length, sessionId, sessionIndex) : -1;
}

int CProxyDevice::Connect(SDK_COMMAND* command, PARSE_RESULT* result) {
    return m_plugin ? m_plugin->Connect(command, result) : -1;
}

int CProxyDevice::CloseCommand(int sessionId) { return m_plugin ? m_plugin->CloseCommand(sessionId) : -1; }

int CProxyDevice::OnPluginData(int sessionId, int subIndex, CNetBuffer* buffer) {
    CProxyForwarder* forwarder = Forwarder();
    if (!forwarder || !forwarder->Table()) return -1;
    return forwarder->Table()->SendToClients(sessionId, subIndex, buffer);
}

void CProxyDevice::OnPluginMessage(int kind, int state) {
    CProxyForwarder* forwarder = Forwarder();
    if (kind != 0 || !forwarder) return;
    if (state == 0) {
        InterlockedExchange(&m_online, 0);
        forwarder->Stop();
    } else if (state == 1) {
        // The listener first: a client that learns the device is on line
        // logs in at once. Back on line right after going off line, the
        // port can still be held by the sockets just closed on it.
        forwarder->StartWhenFree(m_localAddress, m_localPort, kListenRetryMs);
        InterlockedExchange(&m_online, 1);
    }
}
