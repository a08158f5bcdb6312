// A per-channel file job running on a device, named by an SDK handle.
#pragma once

#include <memory>

#include "standins/qvnetsdk/CSdkObject.h"
#include "standins/qvnetsdk/CSdkSession.h"

class CSdkJob : public CSdkObject {
public:
    CSdkJob(const std::shared_ptr<CSdkSession>& session, uint32_t deviceJobId)
        : m_session(session), m_deviceJobId(deviceJobId) {}
    // The job belongs to the device and keeps running there; only the handle ends.
    void Shutdown() override {}
    const std::shared_ptr<CSdkSession>& Session() const { return m_session; }
    uint32_t DeviceJobId() const { return m_deviceJobId; }

private:
    const std::shared_ptr<CSdkSession> m_session;
    const uint32_t m_deviceJobId;
};
