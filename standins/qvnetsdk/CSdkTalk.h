// Two-way talk with one device: audio captured locally goes to the device,
// and the device's answer comes back through the talk callback.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "common/CAutoLock.h"
#include "standins/qvnetsdk/CSdkObject.h"
#include "standins/qvnetsdk/CSdkSession.h"

class CSdkTalk : public CSdkObject {
public:
    CSdkTalk(const std::shared_ptr<CSdkSession>& session, uint32_t deviceTalkId, QVNET_TalkCallback onAudio,
             QVNET_USER user);

    // Sends one block to the device; its answer waits for DeliverLocal.
    // Returns QVNET_ERR_NONE or the reason it failed.
    uint32_t Send(const uint8_t* data, size_t length);
    // Runs on the capture thread: hands a captured block to the caller
    // (kind 0), then whatever the device answered meanwhile (kind 1).
    void DeliverLocal(const uint8_t* data, size_t length);
    // Closes the talk on the device; no callback begins afterwards.
    void Shutdown() override;

private:
    bool Deliver(const uint8_t* data, size_t length, uint8_t kind);

    const std::shared_ptr<CSdkSession> m_session;
    const uint32_t m_deviceTalkId;
    const QVNET_TalkCallback m_onAudio;
    const QVNET_USER m_user;
    CLock m_lock;  // answers and the stop flag
    std::deque<std::vector<uint8_t>> m_answers;
    bool m_stopped = false;
};
