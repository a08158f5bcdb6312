// Kestrin's one connection class, in two roles: the registration listen
// server, and each device connection that it accepts. A device connection
// frames its byte stream into packets, reports its first registration packet
// and its end to the registration server while it is pending, and hands
// every packet to the session that took it over.
#pragma once

#include <atomic>
#include <cstdint>

#include <winsock2.h>

#include "common/CAutoLock.h"
#include "netlib/CNetEventSink.h"
#include "plugins/kestrin/CAutoFramer.h"

class CNetTcpConnection;
class CNetTcpServer;

class CAutoListener : public CNetEventSink {
public:
    enum EventType {
        kEventNew = 0,           // accepted; pending until it registers
        kEventRegistration = 1,  // its first registration packet (empty id: unusable)
        kEventClosed = 2,        // it ended
    };

    // value: 0 closed, 1 connected.
    typedef int (*CloseCallback)(CAutoListener* connection, int value, void* user);
    // The packet lies in the polling thread's work buffer, which nothing else
    // reads until the callback returns: the handler may rewrite it in place.
    typedef int (*DataCallback)(CAutoListener* connection, uint8_t* packet, int length, void* user);
    typedef void (*RegistrationCallback)(CAutoListener* listener, CAutoListener* connection, int eventType,
                                         const char* text, int connectionIndex, void* user);

    CAutoListener();
    // Closes whatever the object still has open; events running on other
    // threads are waited for, so never delete from this object's own event.
    ~CAutoListener() override;
    CAutoListener(const CAutoListener&) = delete;
    CAutoListener& operator=(const CAutoListener&) = delete;

    // Listening role. 1 listening; -1 when already in use or a step fails.
    int Listen(const char* address, int port, RegistrationCallback callback, void* user);
    // 1; 0 when not listening.
    int StopListen();
    // The port listened on; 0 when not listening.
    int ListenPort() const;

    // Hands the connection to a session: its handlers from now on, and no
    // more reports to the registration server. false when the connection has
    // already ended (nothing installed then): the caller must not keep it.
    bool SetSessionCallbacks(CloseCallback onClose, DataCallback onData, void* user);
    // The packet the periodic check sends every interval seconds. 1, or -1.
    int SetKeepAlive(const uint8_t* packet, int length, int intervalSeconds);
    // Queues a copy of the packet. 1 sent or queued; below 0 when it cannot
    // be (-3: the device has the queue's limit of sends unread, and the
    // connection is being ended; its close is reported as for any end).
    int Send(const uint8_t* packet, int length);
    // Ends the connection silently (no close callback). 1.
    int Close();
    // Keep-alive sending and the idle time-out, as at tick count now. 1.
    int PeriodicCheck(DWORD now);

    int ConnectionIndex() const { return m_connectionIndex; }
    void SetConnectionIndex(int index) { m_connectionIndex = index; }
    // Distinguishes this connection from a later one at the same address.
    uint64_t Serial() const { return m_serial; }
    bool HasEnded() const { return m_ended.load(); }

    // Socket library events.
    int OnReceive(int userValue, SOCKET socket, const char* data, int length) override;
    int OnSendDone(int userValue, SOCKET socket, int sendContext) override;
    int OnAccept(int userValue, SOCKET listenSocket, SOCKET accepted, const char* peerAddress, int peerPort) override;
    int OnPoll(int userValue, SOCKET socket, char* work, int workSize) override;
    int OnClose(int userValue, SOCKET socket) override;
    int OnConnect(int userValue, SOCKET socket) override;

private:
    // Takes over an accepted socket. 1; -1 when it cannot (socket closed).
    int SetUpAccepted(SOCKET socket, const char* peerAddress, int peerPort);
    void Report(int eventType, const char* text, int connectionIndex);
    void ReportRegistration(const uint8_t* packet, size_t length);
    // The connection ended (by the peer, an error, or a stream it cannot
    // frame): both handlers hear it once.
    void Ended();

    std::atomic<int> m_connectionIndex{0};
    const uint64_t m_serial;
    CLock m_callbackLock;  // guards the handlers and the ended flag's transition
    CloseCallback m_onClose = nullptr;
    DataCallback m_onData = nullptr;
    void* m_sessionUser = nullptr;
    RegistrationCallback m_onRegistration = nullptr;
    void* m_registrationUser = nullptr;
    CAutoListener* m_listener = nullptr;
    bool m_registrationReported = false;  // only the first registration packet counts
    std::atomic<bool> m_ended{false};

    CAutoFramer m_framer;
    CNetTcpServer* m_server = nullptr;
    CNetTcpConnection* m_connection = nullptr;
};
