#include "standins/plugins/CStandinDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "standins/plugins/StandinWire.h"
#include "standins/qvnetsdk/SdkSocket.h"
#include "standins/qvnetsdk/SdkWire.h"
#include "common/CWireFramer.h"

using namespace standin;
using qvwire::ReadLe32;
using qvwire::WriteLe32;
using qvwire::kCmdClose;
using qvwire::kCmdKeepAlive;
using qvwire::kCmdKeepAliveReply;
using qvwire::kCmdLogin;
using qvwire::kCmdLoginReply;
using qvwire::kCmdOpen;
using qvwire::kHeaderSize;

namespace {

const uint32_t kConnectWaitMs = 3000;
const uint32_t kLoginWaitMs = 5000;
const uint32_t kRetryMs = 1000;
const uint32_t kReadSliceMs = 250;
const int64_t kKeepAliveMs = 10000;
const int64_t kSilenceLimitMs = 45000;
const size_t kWorkSize = 51200;
const size_t kReceiveChunk = 16384;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CStandinDevice::CStandinDevice(const char* address, int port, const char* user, const char* password)
    : m_address(address ? address : ""),
      m_port(port),
      m_userName(user ? user : ""),
      m_password(password ? password : "") {}

CStandinDevice::~CStandinDevice() { Stop(); }

bool CStandinDevice::Start() {
    if (m_address.empty() || m_port <= 0 || m_port > 0xFFFF) return false;
    if (!qvsock::Startup()) return false;
    m_winsock = true;
    Login();
    m_worker = std::thread([this] { Run(); });
    return true;
}

void CStandinDevice::Stop() {
    {
        CAutoLock lock(&m_stopLock);
        m_stop = true;
    }
    m_stopSignal.WakeAll();
    {
        // Wakes the worker out of its wait for device bytes.
        CAutoLock lock(&m_sendLock);
        if (m_socket) shutdown(m_socket.Get(), SD_BOTH);
    }
    if (m_worker.joinable()) m_worker.join();
    Disconnect();
    if (m_winsock) qvsock::Cleanup();
    m_winsock = false;
}

bool CStandinDevice::WaitForStop(uint32_t ms) {
    CAutoLock lock(&m_stopLock);
    return m_stopSignal.WaitFor(lock, ms, [this] { return m_stop.load(); });
}

bool CStandinDevice::Login() {
    CUniqueSocket connection(qvsock::Connect(m_address.c_str(), static_cast<uint16_t>(m_port), kConnectWaitMs));
    if (!connection) return false;
    const SOCKET s = connection.Get();
    std::vector<uint8_t> reply;
    // Byte 8 of the reply is the device's verdict; anything but 0 refuses.
    if (!qvsock::SendAll(s, qvwire::BuildLoginRequest(m_userName, m_password)) ||
        !qvsock::ReceiveCommand(s, kCmdLoginReply, kLoginWaitMs, reply) || reply[8] != 0 ||
        reply.size() > static_cast<size_t>(kParseReplyMax)) {
        return false;
    }
    {
        CAutoLock lock(&m_lock);
        m_loginReply.swap(reply);
        m_online = true;
    }
    CAutoLock lock(&m_sendLock);
    m_socket = std::move(connection);
    return true;
}

void CStandinDevice::Run() {
    while (!m_stop) {
        bool connected;
        {
            CAutoLock lock(&m_sendLock);
            connected = m_socket.IsValid();
        }
        if (!connected) {
            if (!Login()) {
                WaitForStop(kRetryMs);
                continue;
            }
            ReportState(1);
        }
        ReadLoop();
        Disconnect();
        if (!m_stop) ReportState(0);
    }
}

void CStandinDevice::ReadLoop() {
    SOCKET s;
    {
        CAutoLock lock(&m_sendLock);
        s = m_socket.Get();
    }
    // The same 65536-byte receive store the proxy gives each SDK client.
    const size_t kStoreSize = 65536;
    CWireFramer buffer;
    if (!buffer.Allocate(kStoreSize)) return;
    std::vector<uint8_t> work(kWorkSize);
    std::vector<uint8_t> chunk(kReceiveChunk);
    int64_t lastReceive = NowMs(), lastKeepAlive = NowMs();
    while (!m_stop) {
        const bool readable = qvsock::WaitReadable(s, kReadSliceMs);
        const int64_t now = NowMs();
        if (!readable) {
            if (now - lastReceive > kSilenceLimitMs) return;
            if (now - lastKeepAlive >= kKeepAliveMs) {
                lastKeepAlive = now;
                if (!SendRaw(qvwire::BuildKeepAlive(kCmdKeepAlive))) return;
            }
            continue;
        }
        // Never more than the buffer can take: a partial packet stays below
        // the work size, so a chunk always fits behind it.
        const size_t room = std::min(chunk.size(), kStoreSize - 1 - buffer.Unread());
        const int got = recv(s, reinterpret_cast<char*>(chunk.data()), static_cast<int>(room), 0);
        if (got <= 0 || buffer.Append(chunk.data(), static_cast<size_t>(got)) != CWireFramer::kAppended) return;
        lastReceive = now;
        size_t length = 0;
        CWireFramer::NextResult result;
        while ((result = buffer.Next(work.data(), work.size(), &length)) != CWireFramer::kNeedMore) {
            if (result == CWireFramer::kPacket) OnDevicePacket(work.data(), length);
        }
    }
}

void CStandinDevice::Disconnect() {
    {
        CAutoLock lock(&m_sendLock);
        m_socket.Reset();
    }
    CAutoLock lock(&m_lock);
    m_online = false;
    // Replies that will never come: the SDK times its requests out itself.
    m_pending.clear();
    m_transfers.clear();
}

void CStandinDevice::ReportState(int state) {
    PluginMessageCallback onMessage;
    void* user;
    {
        CAutoLock lock(&m_lock);
        onMessage = m_onMessage;
        user = m_callbackUser;
    }
    if (onMessage) onMessage(0, state, user);
}

void CStandinDevice::SetCallbacks(PluginMessageCallback onMessage, PluginDataCallback onData, void* user) {
    bool online;
    {
        CAutoLock lock(&m_lock);
        m_onMessage = onMessage;
        m_onData = onData;
        m_callbackUser = user;
        online = m_online;
    }
    if (online) ReportState(1);
}

void CStandinDevice::OnDevicePacket(uint8_t* packet, size_t length) {
    const uint8_t command = packet[0];
    if (command == kCmdKeepAliveReply || command == kCmdLoginReply) return;
    const uint32_t sequence = ReadLe32(packet + kSequenceOffset);
    Pending pending;
    PluginDataCallback onData;
    void* user;
    {
        CAutoLock lock(&m_lock);
        auto found = m_pending.find(sequence);
        if (found == m_pending.end()) return;
        pending = found->second;
        m_pending.erase(found);
        if (pending.internal) return;
        if (pending.command == kCmdOpen && ReadLe32(packet + kStatusOffset) == 0) {
            m_transfers.emplace(pending.sessionId, ReadLe32(packet + kArg0Offset));
        }
        onData = m_onData;
        user = m_callbackUser;
    }
    if (!onData) return;
    WriteLe32(packet + kSequenceOffset, pending.sdkSequence);
    PLUGIN_DATA_TARGET target = {pending.sessionId, pending.subIndex};
    onData(&target, 1, packet, static_cast<int>(length), user);
}

int CStandinDevice::Parse(const SDK_COMMAND& command, PARSE_RESULT& result) {
    std::memset(&result, 0, sizeof(result));
    if (!command.data || command.length < static_cast<int32_t>(kHeaderSize)) return -1;
    const uint8_t* packet = command.data;
    switch (packet[0]) {
        case kCmdLogin: {
            CAutoLock lock(&m_lock);
            // Without a stored reply the result stays all zero: no answer, no session.
            if (m_loginReply.empty()) return 0;
            std::memcpy(result.reply, m_loginReply.data(), m_loginReply.size());
            WriteLe32(result.reply + kLoginIdOffset, static_cast<uint32_t>(command.clientId));
            result.replyLength = static_cast<int32_t>(m_loginReply.size());
            result.action = kParseLogin;
            result.registerClient = 1;
            return 0;
        }
        case kCmdSubConnection:
            BuildSubConnectionAnswer(packet, result.reply);
            result.replyLength = static_cast<int32_t>(kHeaderSize);
            result.action = kParseSubConnection;
            result.registerClient = 1;
            result.mainSessionId = static_cast<int32_t>(ReadLe32(packet + 8));
            result.sessionIndex = packet[13];
            return 0;
        case kCmdKeepAlive:
            result.reply[0] = kCmdKeepAliveReply;
            result.replyLength = static_cast<int32_t>(kHeaderSize);
            result.action = kParseOther;
            return 0;
        default:
            result.action = kParseOther;
            result.forward = 1;
            return 0;
    }
}

int CStandinDevice::Send(const uint8_t* data, int length, int sessionId, int subIndex) {
    if (!data || length < static_cast<int>(kHeaderSize)) return -1;
    const uint8_t command = data[0];
    if (command == kCmdLogin || command == kCmdKeepAlive || command == kCmdSubConnection) return 0;
    if (command == kCmdClose) {
        CAutoLock lock(&m_lock);
        const uint32_t transfer = ReadLe32(data + kArg0Offset);
        auto range = m_transfers.equal_range(sessionId);
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second == transfer) {
                m_transfers.erase(it);
                break;
            }
        }
    }
    std::vector<uint8_t> packet(data, data + length);
    const Pending pending = {sessionId, subIndex, ReadLe32(data + kSequenceOffset), command, false};
    return SendTracked(packet, pending);
}

int CStandinDevice::SendTracked(std::vector<uint8_t>& packet, const Pending& pending) {
    uint32_t sequence;
    {
        CAutoLock lock(&m_lock);
        if (!m_online) return -1;
        do {
            sequence = ++m_nextSequence;
        } while (sequence == 0 || m_pending.count(sequence));
        // Entered before the send: the reply may arrive before send returns.
        m_pending[sequence] = pending;
    }
    WriteLe32(&packet[kSequenceOffset], sequence);
    if (SendRaw(packet)) return 0;
    CAutoLock lock(&m_lock);
    m_pending.erase(sequence);
    return -1;
}

bool CStandinDevice::SendRaw(const std::vector<uint8_t>& packet) {
    CAutoLock lock(&m_sendLock);
    return m_socket && qvsock::SendAll(m_socket.Get(), packet);
}

void CStandinDevice::ForgetSession(int sessionId) {
    std::vector<uint32_t> transfers;
    {
        CAutoLock lock(&m_lock);
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            it = it->second.sessionId == sessionId ? m_pending.erase(it) : std::next(it);
        }
        auto range = m_transfers.equal_range(sessionId);
        for (auto it = range.first; it != range.second; ++it) transfers.push_back(it->second);
        m_transfers.erase(sessionId);
    }
    for (uint32_t transfer : transfers) {
        qvwire::PacketHeader header;
        header.command = kCmdClose;
        header.args[0] = transfer;
        std::vector<uint8_t> close = qvwire::BuildPacket(header);
        SendTracked(close, Pending{sessionId, 0, 0, kCmdClose, true});
    }
}

int CStandinDevice::ChannelCount() const {
    CAutoLock lock(&m_lock);
    return m_loginReply.size() > kChannelCountOffset ? m_loginReply[kChannelCountOffset] : 0;
}

bool CStandinDevice::IsOnline() const {
    CAutoLock lock(&m_lock);
    return m_online;
}
