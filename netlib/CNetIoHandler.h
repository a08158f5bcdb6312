// What the engine's threads call on a socket object.
#pragma once

#include <winsock2.h>

class CNetIoContext;

// Implemented by each socket object; reached only through its CNetIoKey,
// which stops handing it out once the object is closed. error is the
// Windows error of the completion, 0 on success.
class CNetIoHandler {
public:
    virtual int IoReceived(CNetIoContext* record, DWORD bytes, DWORD error) = 0;
    virtual int IoSent(CNetIoContext* record, DWORD bytes, DWORD error) = 0;
    virtual int IoAccepted(CNetIoContext* record, DWORD error) = 0;
    // From a poll thread with its work buffer (NULL, 0 for servers).
    // Non-zero: idle, nothing was processed.
    virtual int IoPoll(char* work, int workSize) = 0;

protected:
    ~CNetIoHandler() = default;
};
