// A device's local listener and its session table, started and stopped as
// the device goes on line and off line.
#pragma once

#include <windows.h>

#include "netlib/CNetLock.h"
#include "proxy/Portmoor.h"

class CProxyDevice;
class CProxyListenServer;
class CProxySessionTable;

class CProxyForwarder {
public:
    // Makes the listener and the table; Start fails when either is missing.
    explicit CProxyForwarder(CProxyDevice* device);
    // Stops listening and closes every client.
    virtual ~CProxyForwarder();

    // 0 when listening already; -1 without listener or table, or once the
    // device is closing; else the listener's result (1 listening, -1 not).
    int Start(const char* address, int port);
    // For a device that came on line: as Start, but a port that is still
    // held (the sockets of the last listener and its clients can outlive
    // their close by a few milliseconds) is tried again until waitMs has
    // passed or Stop comes. The listener stays wanted until Stop, for
    // RetryStart. 1 listening, -1 not.
    int StartWhenFree(const char* address, int port, DWORD waitMs);
    // One more attempt at a wanted listener that is not running. 1
    // listening, 0 not wanted, -1 the attempt failed.
    int RetryStart();
    // Stops listening and closes every client; the listener is no longer
    // wanted. 0 when not listening, else the listener's stop result.
    int Stop();
    // As Stop, and no Start succeeds afterwards: an on-line report that
    // races with the device's close cannot bring the listener back.
    int StopForClose();
    bool IsListening();

    CProxySessionTable* Table() const { return m_table; }
    // Fills at most max entries; the number written, -1 without table.
    int GetClients(PROXY_CLIENT_ENTRY* entries, int max);

private:
    CProxyForwarder(const CProxyForwarder&) = delete;
    CProxyForwarder& operator=(const CProxyForwarder&) = delete;

    CProxyDevice* const m_device;
    CProxyListenServer* m_listener;
    CProxySessionTable* m_table;
    bool m_listening = false;
    bool m_closing = false;
    bool m_wanted = false;
    char m_address[32] = {};
    int m_port = 0;
    CNetLock m_lock;
};
