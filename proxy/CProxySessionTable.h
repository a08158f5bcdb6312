// The SDK clients of one proxied device: unregistered connections, login
// sessions with their sub-connections, and the connections waiting to be
// closed. Every connection is in exactly one of these places.
#pragma once

#include <deque>
#include <map>

#include "netlib/CNetLock.h"
#include "plugins/PluginInterface.h"
#include "proxy/Portmoor.h"

class CNetBuffer;
class CProxyClient;
class CProxyClientLink;
class CProxyDevice;

class CProxySessionTable {
public:
    explicit CProxySessionTable(CProxyDevice* device);
    // Closes and deletes every connection still held.
    virtual ~CProxySessionTable();

    // A connection was accepted: it waits unregistered. 0.
    int AddClient(CProxyClient* connection);
    // Handles one packet of connection: the plug-in's parse decides whether
    // it is answered here, passed to the device, or registers the
    // connection. Nothing is done when the parse fails or its result is
    // invalid. 0.
    int OnClientCommand(SDK_COMMAND& command, PARSE_RESULT& result, CProxyClient* connection);
    // Sends device data to the connection subIndex of session sessionId; the
    // caller keeps its reference to buffer. The send result, -1 when there
    // is no such session or connection.
    int SendToClients(int sessionId, int subIndex, CNetBuffer* buffer);
    // The connection has closed: it leaves its place (a main connection
    // takes its whole session along) and is queued for closing; the device
    // is told to drain the queue. 0.
    int RemoveClient(CProxyClient* connection);
    // Closes and deletes the queued connections; the plug-in forgets the
    // session of each main connection among them.
    void Drain();
    // Closes and deletes every connection (the listener is stopping).
    void CloseAll();
    // One entry per login session (its main connection's peer), ascending
    // by session id, at most max. The number written.
    int ListClients(PROXY_CLIENT_ENTRY* entries, int max);
    // The socket library's periodic check (idle time-out, keep-alive) of
    // every connection.
    void CheckClients();

    // Connections in each place, for tests.
    int UnregisteredCount();
    int SessionCount();

private:
    CProxySessionTable(const CProxySessionTable&) = delete;
    CProxySessionTable& operator=(const CProxySessionTable&) = delete;

    void AddMainClient(int sessionIndex, CProxyClient* connection);
    void AttachSubClient(int mainSessionId, int sessionIndex, CProxyClient* connection);
    void Reply(const PARSE_RESULT& result, CProxyClient* connection);
    void ForwardToDevice(const SDK_COMMAND& command, CProxyClient* connection);
    void TakeOut(CProxyClient* connection, std::deque<CProxyClient*>& closing);
    void QueueForClose(std::deque<CProxyClient*>& closing);
    static void CloseAndDelete(std::deque<CProxyClient*>& connections);

    CProxyDevice* const m_device;
    std::map<int, CProxyClient*> m_unregistered;  // by client id
    std::map<int, CProxyClientLink*> m_sessions;  // by session id
    CNetLock m_lock;
    std::deque<CProxyClient*> m_closeQueue;
    CNetLock m_closeLock;
    // While the periodic check walks the table, connections it closes wait
    // here: the walk still holds their pointers.
    DWORD m_checkingThread = 0;
    std::deque<CProxyClient*> m_closedDuringCheck;
};
