// Base of everything a handle of the SDK names (login sessions, transfers,
// searches, talks, file jobs): the registry in CSdkCore owns them through
// shared pointers and shuts them down at logout, stop and clean-up.
#pragma once

#include <cstdint>

class CSdkObject {
public:
    virtual ~CSdkObject() {}
    // Ends the object's work without waiting for any thread that may be
    // inside a caller's callback. Called once, by whoever removed the handle.
    virtual void Shutdown() = 0;
    int32_t Handle() const { return m_handle; }
    void SetHandle(int32_t handle) { m_handle = handle; }

private:
    int32_t m_handle = 0;
};
