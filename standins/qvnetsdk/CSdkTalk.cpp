#include "standins/qvnetsdk/CSdkTalk.h"

#include "standins/qvnetsdk/CSdkCore.h"

using namespace qvwire;

namespace {
const uint32_t kTalkWaitMs = 2000;
const size_t kMaxQueuedAnswers = 50;
}

CSdkTalk::CSdkTalk(const std::shared_ptr<CSdkSession>& session, uint32_t deviceTalkId, QVNET_TalkCallback onAudio,
                   QVNET_USER user)
    : m_session(session), m_deviceTalkId(deviceTalkId), m_onAudio(onAudio), m_user(user) {}

uint32_t CSdkTalk::Send(const uint8_t* data, size_t length) {
    const uint32_t args[4] = {kTalkExchange, m_deviceTalkId, 0, 0};
    SdkReply reply = m_session->Call(kCmdTalk, args, std::vector<uint8_t>(data, data + length), kTalkWaitMs);
    if (reply.error) return reply.error;
    CAutoLock lock(&m_lock);
    if (!reply.body.empty() && m_answers.size() < kMaxQueuedAnswers) m_answers.push_back(std::move(reply.body));
    return QVNET_ERR_NONE;
}

bool CSdkTalk::Deliver(const uint8_t* data, size_t length, uint8_t kind) {
    {
        CAutoLock lock(&m_lock);
        if (m_stopped || !m_onAudio) return false;
    }
    CSdkCore::CallbackScope scope;
    m_onAudio(Handle(), reinterpret_cast<const char*>(data), static_cast<int32_t>(length), kind, m_user);
    return true;
}

void CSdkTalk::DeliverLocal(const uint8_t* data, size_t length) {
    if (!Deliver(data, length, 0)) return;
    for (;;) {
        std::vector<uint8_t> answer;
        {
            CAutoLock lock(&m_lock);
            if (m_answers.empty()) return;
            answer.swap(m_answers.front());
            m_answers.pop_front();
        }
        if (!Deliver(answer.data(), answer.size(), 1)) return;
    }
}

void CSdkTalk::Shutdown() {
    {
        CAutoLock lock(&m_lock);
        if (m_stopped) return;
        m_stopped = true;
        m_answers.clear();
    }
    const uint32_t args[4] = {kTalkClose, m_deviceTalkId, 0, 0};
    if (m_session->IsAlive()) m_session->Call(kCmdTalk, args, kTalkWaitMs);
}
