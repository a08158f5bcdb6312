// The search socket: UDP bound to port 5050 on every local address,
// broadcasting to 255.255.255.255:5050, with one receive thread that hands
// each datagram to OnReceive.
#pragma once

#include "search/CWinsockUser.h"

#include <windows.h>

#include <vector>

#include "common/CAutoLock.h"
#include "common/UniqueHandle.h"

class CUdpBroadcast : public CWinsockUser {
public:
    CUdpBroadcast();
    ~CUdpBroadcast() override;

    // Opens the socket and starts the receive thread. Returns 2 when already
    // open, 1 when opened, -1 when Winsock, the socket, its binding or the
    // thread could not be had (nothing stays open then).
    int Open();

    // Closes the socket and ends the receive thread. From another thread it
    // waits for the receive thread; from the receive thread itself (a
    // callback) it only signals it, and the thread ends once the callback returns.
    virtual void Close();

    // Returns the sendto result for the broadcast destination (-1 when closed).
    int Send(const uint8_t* data, int length);

    bool IsOpen();

    // Returns true when called on the current receive thread.
    bool OnReceiveThread();

    // For the library's unload: from now on a close waits for a receive
    // thread at most kUnloadWaitMs, and only until it has left its loop, then
    // ends it. The unload holds the loader lock, which a thread needs to end,
    // so a longer wait would only hold up the caller of FreeLibrary.
    void PrepareForUnload();

    static constexpr DWORD kUnloadWaitMs = 500;

protected:
    // Called on the receive thread for every datagram.
    virtual void OnReceive(const uint8_t* data, int length, const sockaddr_in& from) {}

private:
    // What one receive thread uses; it outlives Close when the thread closes itself.
    struct Receiver {
        CUdpBroadcast* owner = nullptr;
        CUniqueSocket socket;
        CUniqueHandle stopEvent;
        CUniqueWsaEvent readEvent;
        CUniqueHandle loopEnded;  // set once the thread runs no more of this library's loop
        // Not a CThreadOwner: an unloading library may only wait for the
        // loop to end and then has to terminate the thread.
        CUniqueHandle thread;
        DWORD threadId = 0;
    };

    static DWORD WINAPI ReceiveThreadProc(void* parameter);
    void ReceiveLoop(Receiver* receiver);
    void DrainSocket(Receiver* receiver);
    void JoinAndFree(Receiver* receiver);
    static void WaitUntilLoopEnded(Receiver* receiver);
    void ReapRetired();

    CLock m_stateLock;  // m_receiver, m_retired, m_unloading
    Receiver* m_receiver = nullptr;
    std::vector<Receiver*> m_retired;  // closed from their own thread, not yet joined
    sockaddr_in m_destination;
    bool m_unloading = false;
};
