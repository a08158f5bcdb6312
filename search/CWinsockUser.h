// Process-wide Windows Sockets start-up and the receive area of the search
// socket. Winsock starts on first use (never from DllMain).
#pragma once

#include <winsock2.h>

#include <stdint.h>

class CWinsockUser {
public:
    CWinsockUser();
    virtual ~CWinsockUser();

    // Starts Winsock 2.2 once per process. Returns true when it is started.
    static bool EnsureStarted();

protected:
    static constexpr int kReceiveBufferSize = 102400;

    sockaddr_in m_sender;  // sender of the last received packet
    uint8_t m_receiveBuffer[kReceiveBufferSize];

private:
    static bool s_started;
};
