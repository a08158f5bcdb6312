// Completion key under which a socket is associated with the port.
#pragma once

#include <winsock2.h>

#include "common/CLockCondition.h"
#include "netlib/CNetRefCounted.h"

class CNetIoHandler;

// Count starts at 1 for the socket object. The key hands out the object's
// handler to the engine's threads until Detach; Detach then waits until
// every call already handed out on other threads has returned, so the
// object may be freed once it returns.
class CNetIoKey : public CNetRefCounted {
public:
    CNetIoKey(SOCKET socket, int userValue, CNetIoHandler* handler);
    ~CNetIoKey() override;

    // The handler for one call, or NULL once detached. A non-NULL result must
    // be paired with EndCallback on the same thread.
    CNetIoHandler* BeginCallback();
    void EndCallback();
    // Stops handing out the handler and waits for calls running on other
    // threads. Calls of this key further up this thread's own stack are not
    // waited for (an object may close itself from its own event).
    void Detach();

    const SOCKET m_socket;
    const int m_userValue;

    // Keys alive in this process, for leak checks.
    static LONG LiveCount();

private:
    CLock m_lock;
    CLockCondition m_idle;
    CNetIoHandler* m_handler;
    int m_activeCalls = 0;
};
