// Events that the owner of a socket object receives from the library.
#pragma once

#include <winsock2.h>

// userValue is the value the object was constructed with; socket is the
// object's socket as it was when the event arose. Events of one object come
// from the library's threads, never two receives or two polls at once.
// Callbacks may call the object's Send, Close and Check, and may close or
// send on other objects; they must not delete their own object.
class CNetEventSink {
public:
    virtual ~CNetEventSink() = default;

    // Bytes received, in order. Return 0 or more when taken; below 0 when
    // there is no room now: the same bytes are offered again from a poll
    // thread, in smaller pieces after each refusal, and nothing more is read
    // from this connection meanwhile. An owner that takes nothing for 2
    // seconds has its connection closed (OnClose).
    virtual int OnReceive(int userValue, SOCKET socket, const char* data, int length) = 0;
    // A send with a context other than -1 left the queue: each once, in order.
    virtual int OnSendDone(int userValue, SOCKET socket, int sendContext) = 0;
    // A listening server accepted a socket, handed over non-blocking; from here
    // on the owner owns it (attach it to a connection or close it).
    virtual int OnAccept(int userValue, SOCKET listenSocket, SOCKET accepted, const char* peerAddress,
                         int peerPort) = 0;
    // From a poll thread with that thread's work buffer (NULL, 0 for servers).
    // Return non-zero when idle (nothing processed), 0 when busy.
    virtual int OnPoll(int userValue, SOCKET socket, char* work, int workSize) = 0;
    // The connection ended by the peer, an error or the idle time-out; once
    // per connection. Not sent for the owner's own Close.
    virtual int OnClose(int userValue, SOCKET socket) = 0;
    // The periodic check re-established the connection.
    virtual int OnConnect(int userValue, SOCKET socket) = 0;
};
