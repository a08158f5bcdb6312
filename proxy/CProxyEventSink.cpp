#include "proxy/CProxyEventSink.h"

#include "common/UniqueHandle.h"

int CProxyEventSink::OnReceive(int, SOCKET, const char*, int) { return 1; }
int CProxyEventSink::OnSendDone(int, SOCKET, int) { return 1; }

int CProxyEventSink::OnAccept(int, SOCKET, SOCKET accepted, const char*, int) {
    CUniqueSocket refused(accepted);
    return -1;
}

int CProxyEventSink::OnPoll(int, SOCKET, char*, int) { return 1; }
int CProxyEventSink::OnClose(int, SOCKET) { return 1; }
int CProxyEventSink::OnConnect(int, SOCKET) { return 1; }
