#include "tools/simrecorder/CSimDevice.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "standins/qvnetsdk/SdkWire.h"

using namespace qvwire;

namespace {

const size_t kPlanBytesPerChannel = 1184;
// A relay keeps one device connection for all its SDK clients, and a client
// that vanishes never closes its transfers: past this many, the oldest open
// transfer is forgotten.
const size_t kMaxOpenTransfers = 64;
const size_t kTalkBlock = 320;

std::vector<uint8_t> Ints(std::initializer_list<uint32_t> values, size_t size) {
    std::vector<uint8_t> out(size, 0);
    size_t at = 0;
    for (uint32_t v : values) {
        if (at + 4 > size) break;
        WriteLe32(&out[at], v);
        at += 4;
    }
    return out;
}

// Every day of the week records from 00:00:00 to 23:59:59 (section flag 4).
std::vector<uint8_t> AllDayPlan() {
    std::vector<uint8_t> plan(kPlanBytesPerChannel, 0);
    for (int day = 0; day < 7; ++day) {
        uint8_t* section = &plan[4 + day * 6 * 28];
        const uint32_t values[7] = {4, 0, 0, 0, 23, 59, 59};
        for (int i = 0; i < 7; ++i) WriteLe32(section + 4 * i, values[i]);
    }
    return plan;
}

}  // namespace

CSimDevice::CSimDevice(const SimRecorderConfig& config) : m_config(config) {
    m_catalogue.Build(config);
    m_clockOffset = config.clockOffsetSeconds;
    FillDefaults();
}

void CSimDevice::FillDefaults() {
    for (uint32_t c = 0; c < m_config.channelCount; ++c) {
        m_channelNames.push_back(c < m_config.channelNames.size() ? m_config.channelNames[c]
                                                                  : "CAM " + std::to_string(c + 1));
    }
    m_status = m_config.status.empty() ? Ints({1, 0, 0}, 12) : m_config.status;
    m_recordStates = m_config.recordStates;
    m_recordStates.resize(256, 0);
    if (m_config.recordPlan.empty()) {
        for (uint32_t c = 0; c < m_config.channelCount; ++c) {
            const std::vector<uint8_t> plan = AllDayPlan();
            m_recordPlan.insert(m_recordPlan.end(), plan.begin(), plan.end());
        }
    } else {
        m_recordPlan = m_config.recordPlan;
    }
    m_deviceConfigs = m_config.deviceConfigs;
    if (!m_deviceConfigs.count(17)) m_deviceConfigs[17] = Ints({0, 0, 0, 1}, 280);
    if (!m_deviceConfigs.count(9)) {
        // Two talk formats: plain PCM and G.711 A-law, 8 kHz 16 bit.
        std::vector<uint8_t> formats(4932, 0);
        WriteLe32(&formats[0], 2);
        const uint32_t types[2] = {0, 2};
        for (int i = 0; i < 2; ++i) {
            uint8_t* entry = &formats[4 + 76 * i];
            WriteLe32(entry, types[i]);
            WriteLe32(entry + 4, 8000);
            WriteLe32(entry + 8, 16);
        }
        m_deviceConfigs[9] = formats;
    }
    if (!m_deviceConfigs.count(4)) {
        std::vector<uint8_t> disks(3076, 0);
        WriteLe32(&disks[0], m_config.diskCount);
        for (uint32_t d = 0; d < m_config.diskCount && d < 256; ++d) {
            WriteLe32(&disks[4 + 12 * d], 500000);
            WriteLe32(&disks[8 + 12 * d], 250000);
        }
        m_deviceConfigs[4] = disks;
    }
    if (!m_deviceConfigs.count(8)) m_deviceConfigs[8] = Ints({m_config.protocolVersion}, 4);
}

QVNET_TIME CSimDevice::Now() const {
    SYSTEMTIME st;
    GetLocalTime(&st);
    QVNET_TIME t = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    CAutoLock lock(&m_lock);
    return SecondsToTime(TimeToSeconds(t) + m_clockOffset);
}

int64_t CSimDevice::ClockOffset() const {
    CAutoLock lock(&m_lock);
    return m_clockOffset;
}

std::string CSimDevice::ChannelName(uint32_t channel) const {
    CAutoLock lock(&m_lock);
    return channel < m_channelNames.size() ? m_channelNames[channel] : std::string();
}

bool CSimDevice::JobRunning(uint32_t jobId) const {
    CAutoLock lock(&m_lock);
    return m_jobs.count(jobId) != 0;
}

DEVICE_SEARCH_RESULT CSimDevice::SearchResult(const std::string& ip, uint16_t port) const {
    DEVICE_SEARCH_RESULT r;
    std::memset(&r, 0, sizeof(r));
    r.structSize = sizeof(r);
    CopyText(r.ip, sizeof(r.ip), ip);
    r.port = port;
    CopyText(r.mask, sizeof(r.mask), m_config.mask);
    CopyText(r.gateway, sizeof(r.gateway), m_config.gateway);
    CopyText(r.mac, sizeof(r.mac), m_config.mac);
    CopyText(r.serial, sizeof(r.serial), m_config.serial);
    CopyText(r.name, sizeof(r.name), m_config.name);
    r.channelCount = static_cast<int32_t>(m_config.channelCount);
    r.deviceType = m_config.deviceType;
    return r;
}

std::vector<uint8_t> CSimDevice::Login(SimConnectionState& state, const uint8_t* packet, size_t length) {
    QVNET_DEVICE_INFO info;
    std::memset(&info, 0, sizeof(info));
    CopyText(info.serial, sizeof(info.serial), m_config.serial);
    info.alarmInCount = m_config.alarmInCount;
    info.alarmOutCount = m_config.alarmOutCount;
    info.diskCount = m_config.diskCount;
    info.deviceType = m_config.deviceType;
    info.channelCount = static_cast<uint8_t>(std::min<uint32_t>(m_config.channelCount, 255));
    info.protocolVersion = m_config.protocolVersion;
    std::string user, password;
    uint8_t result = 0;
    if (!ParseLoginRequest(packet, length, user, password)) {
        result = QVNET_LOGIN_WRONG_USER;
    } else if (m_faults.loginRefusal != 0) {
        result = static_cast<uint8_t>(m_faults.loginRefusal.load());
    } else if (user != m_config.user) {
        result = QVNET_LOGIN_WRONG_USER;
    } else if (password != m_config.password) {
        result = QVNET_LOGIN_WRONG_PASSWORD;
    }
    if (result == 0) {
        state.loggedIn = true;
        state.loginId = ++m_nextLoginId;
        ++m_logins;
    }
    return BuildLoginReply(result, result == 0 ? state.loginId : 0, info);
}

CSimDevice::Action CSimDevice::Handle(SimConnectionState& state, const uint8_t* packet, size_t length,
                                      std::vector<uint8_t>& reply) {
    PacketHeader request;
    if (!DecodeHeader(packet, length, request) || length != kHeaderSize + request.bodyLength) return kNoReply;
    if (m_faults.mute) return kNoReply;
    if (request.command == kCmdLogin) {
        reply = Login(state, packet, length);
        return kReply;
    }
    if (request.command == kCmdKeepAlive) {
        ++m_keepAlives;
        reply = BuildKeepAlive(kCmdKeepAliveReply);
        return kReply;
    }
    // Commands outside the SDK's own range (such as a relay's subscription
    // requests) are ignored without an answer.
    if (request.command < 0x90 || request.command > 0x9F) return kNoReply;

    const uint8_t* body = packet + kHeaderSize;
    PacketHeader answer;
    answer.command = request.command;
    answer.sequence = request.sequence;
    Bytes data;
    Action action = kReply;
    if (!state.loggedIn) {
        answer.status = kStatusBadRequest;
    } else {
        switch (request.command) {
            case kCmdQuery: answer.status = Query(request.args, data); break;
            case kCmdSet: answer.status = Set(request.args, body, request.bodyLength, action); break;
            case kCmdFind: answer.status = Find(body, request.bodyLength, answer.args, data); break;
            case kCmdOpen: answer.status = Open(state, body, request.bodyLength, answer.args, data); break;
            case kCmdRead:
                answer.status = Read(state, request.args, data);
                state.bytesStreamed += static_cast<int64_t>(data.size());
                {
                    int64_t limit = m_faults.dropAfterBytes;
                    if (limit > 0 && state.bytesStreamed >= limit &&
                        m_faults.dropAfterBytes.compare_exchange_strong(limit, 0)) {
                        return kDrop;
                    }
                }
                break;
            case kCmdClose: answer.status = Close(state, request.args); break;
            case kCmdTalk: answer.status = Talk(request.args, request.bodyLength, answer.args, data); break;
            case kCmdJob: answer.status = Job(request.args, body, request.bodyLength, answer.args); break;
            default: answer.status = kStatusUnsupported; break;
        }
    }
    reply = BuildPacket(answer, data);
    return action;
}

uint32_t CSimDevice::Query(const uint32_t* args, Bytes& body) {
    if (args[0] == kQueryClock) {
        AppendTime(body, Now());
        return kStatusOk;
    }
    CAutoLock lock(&m_lock);
    switch (args[0]) {
        case kQueryChannelNames:
            body.assign(32 * m_channelNames.size(), 0);
            for (size_t c = 0; c < m_channelNames.size(); ++c) {
                std::memcpy(&body[32 * c], m_channelNames[c].data(), std::min<size_t>(m_channelNames[c].size(), 32));
            }
            return kStatusOk;
        case kQueryStatus:
            if (args[1] != 257) return kStatusUnsupported;
            body = m_status;
            return kStatusOk;
        case kQueryDeviceConfig: {
            auto found = m_deviceConfigs.find(args[1]);
            if (found == m_deviceConfigs.end()) return kStatusUnsupported;
            body = found->second;
            return kStatusOk;
        }
        case kQueryChannelConfig:
            if (args[1] != 5) return kStatusUnsupported;
            if (args[2] == 0xFFFFFFFFu) {
                body = m_recordPlan;
            } else {
                const size_t at = static_cast<size_t>(args[2]) * kPlanBytesPerChannel;
                if (at + kPlanBytesPerChannel > m_recordPlan.size()) return kStatusNoSuch;
                body.assign(m_recordPlan.begin() + at, m_recordPlan.begin() + at + kPlanBytesPerChannel);
            }
            return kStatusOk;
        case kQueryRecordStates: body = m_recordStates; return kStatusOk;
        default: return kStatusUnsupported;
    }
}

uint32_t CSimDevice::Set(const uint32_t* args, const uint8_t* data, size_t length, Action& action) {
    switch (args[0]) {
        case kSetClock: {
            if (length != 24) return kStatusBadRequest;
            const QVNET_TIME wanted = ReadTime(data);
            if (!IsValidTime(wanted)) return kStatusBadRequest;
            const int64_t offset = TimeToSeconds(wanted) - TimeToSeconds(Now());
            CAutoLock lock(&m_lock);
            m_clockOffset += offset;
            return kStatusOk;
        }
        case kSetChannelNames: {
            CAutoLock lock(&m_lock);
            for (size_t c = 0; c < m_channelNames.size() && 32 * (c + 1) <= length; ++c) {
                m_channelNames[c] = FieldText(reinterpret_cast<const char*>(data + 32 * c), 32);
            }
            return kStatusOk;
        }
        case kSetRestart: action = kRestart; return kStatusOk;
        case kSetShutdown: action = kShutdown; return kStatusOk;
        case kSetProtocol: return kStatusOk;
        case kSetTalkEncoding: return length == 76 ? kStatusOk : kStatusBadRequest;
        default: return kStatusUnsupported;
    }
}

uint32_t CSimDevice::Find(const uint8_t* data, size_t length, uint32_t* args, Bytes& body) {
    FindRequest request;
    if (!DecodeFindRequest(data, length, request) || !IsValidTime(request.start) || !IsValidTime(request.end)) {
        return kStatusBadRequest;
    }
    if (m_faults.busy) return kStatusBusy;
    const std::vector<RECORD_FILE_DESC> files =
        m_catalogue.Query(request.channel, request.fileType, TimeToSeconds(request.start), TimeToSeconds(request.end));
    const size_t first = std::min<size_t>(request.startIndex, files.size());
    const size_t count = std::min<size_t>({files.size() - first, request.maxCount, kMaxDescriptorsPerReply});
    const uint8_t* p = reinterpret_cast<const uint8_t*>(files.data() + first);
    body.assign(p, p + count * sizeof(RECORD_FILE_DESC));
    args[0] = static_cast<uint32_t>(count);
    args[1] = static_cast<uint32_t>(files.size());
    return kStatusOk;
}

uint32_t CSimDevice::Open(SimConnectionState& state, const uint8_t* data, size_t length, uint32_t* args, Bytes& body) {
    OpenRequest request;
    if (!DecodeOpenRequest(data, length, request)) return kStatusBadRequest;
    if (m_faults.busy) return kStatusBusy;
    if (m_faults.unknownFiles) return kStatusNoSuch;
    streamfmt::StreamParams streamParams;
    bool found;
    if (request.mode == kOpenFile) {
        found = m_catalogue.ParamsOfFile(request.file, streamParams);
    } else {
        found = IsValidTime(request.start) && IsValidTime(request.end) &&
                m_catalogue.ParamsOfRange(request.channel, TimeToSeconds(request.start), TimeToSeconds(request.end),
                                          streamParams);
    }
    if (!found) return kStatusNoSuch;
    if (state.transfers.size() >= kMaxOpenTransfers) {
        state.transfers.erase(state.transfers.begin());
        --m_openTransfers;
    }
    const uint32_t id = state.nextTransferId++;
    state.transfers[id] = streamParams;
    ++m_openTransfers;
    const uint64_t total = m_faults.emptyFiles ? 0 : streamfmt::StreamLength(streamParams);
    args[0] = id;
    args[1] = static_cast<uint32_t>(total);
    args[2] = static_cast<uint32_t>(total >> 32);
    // What the stream covers, as a time-range descriptor.
    RECORD_FILE_DESC range =
        m_catalogue.Describe(streamParams.channel, streamParams.beginTime, streamParams.endTime, 0, 0, 0);
    range.recordType = QVNET_RECORD_TIME_RANGE;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&range);
    body.assign(p, p + sizeof(range));
    return kStatusOk;
}

uint32_t CSimDevice::Read(SimConnectionState& state, const uint32_t* args, Bytes& body) {
    auto found = state.transfers.find(args[0]);
    if (found == state.transfers.end()) return kStatusNoSuch;
    const uint64_t offset = args[1] | (static_cast<uint64_t>(args[2]) << 32);
    const uint64_t total = m_faults.emptyFiles ? 0 : streamfmt::StreamLength(found->second);
    if (offset >= total) return kStatusOk;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>({args[3], kMaxBlock, total - offset}));
    if (m_faults.slowMsPerBlock > 0) Sleep(static_cast<DWORD>(m_faults.slowMsPerBlock.load()));
    body.resize(wanted);
    body.resize(streamfmt::ReadStreamBytes(found->second, offset, body.data(), wanted));
    return kStatusOk;
}

void CSimDevice::EndConnection(SimConnectionState& state) {
    m_openTransfers -= static_cast<int>(state.transfers.size());
    state.transfers.clear();
    state.loggedIn = false;
}

uint32_t CSimDevice::Close(SimConnectionState& state, const uint32_t* args) {
    if (!state.transfers.erase(args[0])) return kStatusNoSuch;
    --m_openTransfers;
    return kStatusOk;
}

uint32_t CSimDevice::Talk(const uint32_t* args, size_t uplinkLength, uint32_t* replyArgs, Bytes& body) {
    CAutoLock lock(&m_lock);
    switch (args[0]) {
        case kTalkOpen:
            replyArgs[0] = m_nextId;
            m_talks[m_nextId++] = 0;
            return kStatusOk;
        case kTalkExchange: {
            auto found = m_talks.find(args[1]);
            if (found == m_talks.end()) return kStatusNoSuch;
            // The device speaks back a block of a slow saw-tooth for each block heard.
            body.resize(uplinkLength ? kTalkBlock : 0);
            for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>((found->second + i) & 0xFF);
            found->second += static_cast<uint32_t>(uplinkLength);
            replyArgs[0] = found->second;
            return kStatusOk;
        }
        case kTalkClose: return m_talks.erase(args[1]) ? kStatusOk : kStatusNoSuch;
        default: return kStatusUnsupported;
    }
}

uint32_t CSimDevice::Job(const uint32_t* args, const uint8_t* data, size_t length, uint32_t* replyArgs) {
    CAutoLock lock(&m_lock);
    switch (args[0]) {
        case kJobStart:
            if (length < 12 || ReadLe32(data) >= m_config.channelCount) return kStatusBadRequest;
            replyArgs[0] = m_nextId;
            m_jobs[m_nextId++] = std::string(reinterpret_cast<const char*>(data + 12), length - 12);
            return kStatusOk;
        case kJobQuery: return m_jobs.count(args[1]) ? kStatusOk : kStatusNoSuch;
        case kJobStop: return m_jobs.erase(args[1]) ? kStatusOk : kStatusNoSuch;
        default: return kStatusUnsupported;
    }
}
