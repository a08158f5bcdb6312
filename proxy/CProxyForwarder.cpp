#include "proxy/CProxyForwarder.h"

#include <new>

#include "netlib/CNetAutoLock.h"
#include "proxy/CProxyListenServer.h"
#include "proxy/CProxySessionTable.h"
#include "proxy/ProxyRecords.h"

namespace {
const DWORD kRetryStepMs = 10;
}  // namespace

CProxyForwarder::CProxyForwarder(CProxyDevice* device)
    : m_device(device),
      m_listener(new (std::nothrow) CProxyListenServer()),
      m_table(new (std::nothrow) CProxySessionTable(device)) {}

CProxyForwarder::~CProxyForwarder() {
    StopForClose();
    delete m_listener;
    delete m_table;
}

int CProxyForwarder::Start(const char* address, int port) {
    CNetAutoLock lock(&m_lock, true);
    if (m_listening) return 0;
    if (!m_listener || !m_table || m_closing) return -1;
    const int result = m_listener->Listen(address, port, m_table);
    if (result >= 0) m_listening = true;
    return result;
}

int CProxyForwarder::StartWhenFree(const char* address, int port, DWORD waitMs) {
    {
        CNetAutoLock lock(&m_lock, true);
        if (m_closing) return -1;
        CopyTextField(m_address, sizeof(m_address), address, sizeof(m_address));
        m_port = port;
        m_wanted = true;
    }
    const DWORD begun = GetTickCount();
    for (;;) {
        const int result = RetryStart();
        if (result >= 0) return result > 0 ? 1 : -1;
        if (GetTickCount() - begun >= waitMs) return -1;
        // Not under the lock: an off-line report or the device's close
        // must not wait for the port.
        Sleep(kRetryStepMs);
    }
}

int CProxyForwarder::RetryStart() {
    CNetAutoLock lock(&m_lock, true);
    if (m_listening) return 1;
    if (!m_wanted || m_closing) return 0;
    if (!m_listener || !m_table || m_listener->Listen(m_address, m_port, m_table) < 0) return -1;
    m_listening = true;
    return 1;
}

int CProxyForwarder::Stop() {
    CNetAutoLock lock(&m_lock, true);
    m_wanted = false;
    if (!m_listening) return 0;
    const int result = m_listener->StopListen();
    m_table->CloseAll();
    m_listening = false;
    return result;
}

int CProxyForwarder::StopForClose() {
    CNetAutoLock lock(&m_lock, true);
    m_closing = true;
    return Stop();
}

bool CProxyForwarder::IsListening() {
    CNetAutoLock lock(&m_lock, false);
    return m_listening;
}

int CProxyForwarder::GetClients(PROXY_CLIENT_ENTRY* entries, int max) {
    return m_table ? m_table->ListClients(entries, max) : -1;
}
