#include "standins/qvnetsdk/CSdkSession.h"

#include <cstring>

#include "standins/qvnetsdk/CSdkCore.h"
#include "standins/qvnetsdk/SdkSocket.h"

using namespace qvwire;

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

uint32_t ErrorOfStatus(uint32_t status) {
    switch (status) {
        case kStatusOk: return QVNET_ERR_NONE;
        case kStatusNoSuch: return QVNET_ERR_NO_FILE;
        case kStatusBusy: return QVNET_ERR_DEVICE_BUSY;
        case kStatusUnsupported: return QVNET_ERR_UNSUPPORTED;
        default: return QVNET_ERR_INVALID_PARAM;
    }
}

}  // namespace

CSdkSession::CSdkSession(SOCKET s, const std::string& ip, int32_t port, const QVNET_DEVICE_INFO& info)
    : m_socket(s), m_ip(ip), m_port(port), m_info(info) {
    m_lastReceiveMs = NowMs();
    m_lastKeepAliveMs = NowMs();
}

CSdkSession::~CSdkSession() = default;

std::shared_ptr<CSdkSession> CSdkSession::Login(const char* ip, int32_t port, const char* user, const char* password,
                                                const QVNET_NET_PARAMS& params, int32_t& loginError, uint32_t& error) {
    loginError = QVNET_LOGIN_TIMEOUT;
    error = QVNET_ERR_NETWORK;
    CUniqueSocket s;
    for (int attempt = 0; attempt < params.connectTries && !s; ++attempt) {
        if (attempt > 0) Sleep(static_cast<DWORD>(params.retryPauseMs));
        s.Reset(qvsock::Connect(ip, static_cast<uint16_t>(port), static_cast<uint32_t>(params.connectWaitMs)));
    }
    if (!s) return nullptr;
    std::vector<uint8_t> reply;
    if (!qvsock::SendAll(s.Get(), BuildLoginRequest(user ? user : "", password ? password : "")) ||
        !qvsock::ReceiveCommand(s.Get(), kCmdLoginReply, static_cast<uint32_t>(params.loginWaitMs), reply)) {
        error = QVNET_ERR_TIMEOUT;
        return nullptr;
    }
    uint8_t result = 0;
    uint32_t loginId = 0;
    QVNET_DEVICE_INFO info;
    if (!ParseLoginReply(reply.data(), reply.size(), result, loginId, info) || result != 0) {
        loginError = result >= 1 && result <= 7 ? result : QVNET_LOGIN_WRONG_USER;
        error = QVNET_ERR_LOGIN;
        return nullptr;
    }
    loginError = 0;
    error = QVNET_ERR_NONE;
    return std::make_shared<CSdkSession>(s.Release(), ip, port, info);
}

void CSdkSession::Start() {
    std::shared_ptr<CSdkSession> self = shared_from_this();
    CSdkCore::Get().StartThread([self] { self->ReadLoop(); });
}

void CSdkSession::ReadLoop() {
    CPacketFramer framer;
    PacketHeader header;
    std::vector<uint8_t> body;
    while (qvsock::ReceivePacket(m_socket.Get(), framer, header, body, m_stop)) {
        m_lastReceiveMs = NowMs();
        // A device sends nothing unasked but keep-alive answers, which a relay
        // may also produce itself: they only show the peer is alive.
        if (header.command < 0x90 || header.command > 0x9F) continue;
        CAutoLock lock(&m_lock);
        auto found = m_pending.find(header.sequence);
        if (found == m_pending.end() || found->second->done) continue;  // answer to an abandoned request
        SdkReply& reply = found->second->reply;
        reply.header = header;
        reply.error = ErrorOfStatus(header.status);
        reply.body.swap(body);
        if (found->second->lossFollows && reply.error == QVNET_ERR_NONE) m_intended = true;
        found->second->done = true;
        m_replied.WakeAll();
    }
    OnLost();
}

void CSdkSession::OnLost() {
    m_lost = true;
    {
        CAutoLock lock(&m_lock);
        for (auto& pending : m_pending) {
            if (!pending.second->done) {
                pending.second->reply.error = QVNET_ERR_NETWORK;
                pending.second->done = true;
            }
        }
        m_replied.WakeAll();
    }
    {
        CAutoLock lock(&m_sendLock);
        m_socket.Reset();
    }
    if (!m_intended && !m_reported.exchange(true)) CSdkCore::Get().NotifyDisconnect(Handle(), m_ip, m_port);
}

bool CSdkSession::SendPacket(const std::vector<uint8_t>& packet) {
    CAutoLock lock(&m_sendLock);
    return m_socket && !m_lost && qvsock::SendAll(m_socket.Get(), packet);
}

SdkReply CSdkSession::Call(uint8_t command, const uint32_t (&args)[4], const std::vector<uint8_t>& body,
                           uint32_t waitMs, bool lossFollows) {
    const uint32_t sequence = Send(command, args, body, lossFollows);
    if (sequence == 0) {
        SdkReply failed;
        failed.error = QVNET_ERR_NETWORK;
        return failed;
    }
    return Wait(sequence, waitMs);
}

uint32_t CSdkSession::AddPending(bool lossFollows) {
    auto pending = std::make_shared<Pending>();
    pending->lossFollows = lossFollows;
    CAutoLock lock(&m_lock);
    // 0 stands for "not sent", so the wrap skips it.
    if (++m_sequence == 0) ++m_sequence;
    m_pending[m_sequence] = pending;
    return m_sequence;
}

uint32_t CSdkSession::Send(uint8_t command, const uint32_t (&args)[4], const std::vector<uint8_t>& body,
                           bool lossFollows) {
    if (m_lost || m_stop) return 0;
    PacketHeader header;
    header.command = command;
    std::memcpy(header.args, args, sizeof(header.args));
    header.sequence = AddPending(lossFollows);
    if (!SendPacket(BuildPacket(header, body))) {
        Abandon(header.sequence);
        Close(false);
        return 0;
    }
    return header.sequence;
}

bool CSdkSession::SendMany(uint8_t command, const std::vector<std::array<uint32_t, 4>>& args,
                           std::vector<uint32_t>& sequences) {
    sequences.clear();
    if (m_lost || m_stop) return false;
    std::vector<uint8_t> packets(args.size() * kHeaderSize);
    for (size_t i = 0; i < args.size(); ++i) {
        PacketHeader header;
        header.command = command;
        std::memcpy(header.args, args[i].data(), sizeof(header.args));
        header.sequence = AddPending(false);
        EncodeHeader(header, &packets[i * kHeaderSize]);
        sequences.push_back(header.sequence);
    }
    if (!SendPacket(packets)) {
        for (uint32_t sequence : sequences) Abandon(sequence);
        sequences.clear();
        Close(false);
        return false;
    }
    return true;
}

SdkReply CSdkSession::Wait(uint32_t sequence, uint32_t waitMs) {
    SdkReply failed;
    failed.error = QVNET_ERR_NETWORK;
    CAutoLock lock(&m_lock);
    auto found = m_pending.find(sequence);
    if (found == m_pending.end()) return failed;
    std::shared_ptr<Pending> pending = found->second;
    m_replied.WaitFor(lock, waitMs, [&] { return pending->done; });
    m_pending.erase(sequence);
    if (!pending->done) {
        // The late answer, if any, finds no request and is dropped.
        failed.error = QVNET_ERR_TIMEOUT;
        return failed;
    }
    return std::move(pending->reply);
}

void CSdkSession::Abandon(uint32_t sequence) {
    CAutoLock lock(&m_lock);
    m_pending.erase(sequence);
}

void CSdkSession::Close(bool intended) {
    if (intended) m_intended = true;
    m_stop = true;
    CAutoLock lock(&m_sendLock);
    // The reader wakes from its receive and closes the socket itself.
    if (m_socket) shutdown(m_socket.Get(), SD_BOTH);
}

void CSdkSession::Tick(int32_t keepAliveMs) {
    if (m_lost || m_stop) return;
    const int64_t now = NowMs();
    if (now - m_lastReceiveMs > keepAliveMs * 9LL / 2) {
        Close(false);
        return;
    }
    if (now - m_lastKeepAliveMs >= keepAliveMs) {
        m_lastKeepAliveMs = now;
        if (!SendPacket(BuildKeepAlive(kCmdKeepAlive))) Close(false);
    }
}
