// The socket library's events with the proxy's defaults: every event is
// acknowledged and ignored, and a socket accepted where none is wanted is
// closed. The listener and the client connections override what they use.
#pragma once

#include "netlib/CNetEventSink.h"

class CProxyEventSink : public CNetEventSink {
public:
    int OnReceive(int userValue, SOCKET socket, const char* data, int length) override;
    int OnSendDone(int userValue, SOCKET socket, int sendContext) override;
    int OnAccept(int userValue, SOCKET listenSocket, SOCKET accepted, const char* peerAddress, int peerPort) override;
    int OnPoll(int userValue, SOCKET socket, char* work, int workSize) override;
    int OnClose(int userValue, SOCKET socket) override;
    int OnConnect(int userValue, SOCKET socket) override;
};
