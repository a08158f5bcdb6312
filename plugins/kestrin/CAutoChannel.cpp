#include "plugins/kestrin/CAutoChannel.h"

#include <algorithm>
#include <cstring>

#include "plugins/kestrin/AutoProtocol.h"

using namespace kestrin;

namespace {

const uint8_t kStreamStop = 0;
const uint8_t kStreamStart = 1;
const uint8_t kStreamUnchanged = 2;
const uint8_t kStateUnsubscribe = 3;
const size_t kFlagsOffset = kHeaderSize;

// State types withdrawn for a departing client, besides 1..16.
const uint8_t kExtraStateTypes[] = {155, 156, 161, 162};

bool IsStreamRequest48(size_t length) { return length == kStreamRequestSize; }

std::vector<uint8_t> NewStreamRequest(const uint8_t* request) {
    std::vector<uint8_t> p(kStreamRequestSize, 0);
    p[0] = kCmdStream;
    WriteLe32(p.data() + 4, kMaxChannels);
    std::memset(p.data() + 8, kStreamUnchanged, kMaxChannels);
    std::memcpy(p.data() + 26, request + 26, 6);
    return p;
}

std::vector<uint8_t> StateUnsubscribe(uint8_t type) {
    std::vector<uint8_t> p(kHeaderSize, 0);
    p[0] = kCmdStateSubscribe;
    p[8] = kStateUnsubscribe;
    p[12] = type;
    return p;
}

std::vector<uint8_t> ServiceStop(uint8_t channel) {
    std::vector<uint8_t> p(kHeaderSize, 0);
    p[0] = kCmdServiceStop;
    p[8] = channel;
    return p;
}

}  // namespace

CAutoChannel::SendAction CAutoChannel::SendCommand(const uint8_t* packet, size_t length, int32_t clientId, int32_t tag,
                                                   int merge, const AUTO_SESSION_VIEW& session,
                                                   std::vector<uint8_t>* out) {
    std::vector<uint8_t> scratch;
    if (out == nullptr) out = &scratch;
    out->clear();
    if (packet == nullptr || length < kHeaderSize) return kSendNothing;

    switch (packet[0]) {
        case kCmdNoReply0A:
        case kCmdLogin:
        case kCmdKeepAlive:
        case kCmdSubConnect: return kSendNothing;
        case kCmdListQuery:
            if (packet[8] == 0) return kSendNothing;
            break;
        case kCmdStream:
            if (!session.online) return kSendNothing;
            return UpdateStreams(packet, length, clientId, tag, session.streamMode, out);
        case kCmdStreamControl:
        case kCmdNoWaitCA:
        case kCmdNoWaitCC: return kSendAsIs;
        case kCmdStateSubscribe:
            if (!session.online) return kSendNothing;
            return UpdateKeyed(m_states, packet[12], packet[8] == kStateUnsubscribe, clientId, tag, merge)
                       ? kSendAsIs
                       : kSendNothing;
        case kCmdQuery:
            if (!session.online && packet[kSubCodeOffset] == kSubChannel) {
                out->resize(kOfflineQueryAnswerSize);
                BuildOfflineQueryAnswer(packet, length, out->data(), out->size());
                return kAnswerSdk;
            }
            break;
        case kCmdServiceStartC2:
        case kCmdServiceStartCB:
        case kCmdServiceStop:
            if (!session.online) return kSendNothing;
            return UpdateKeyed(m_services, packet[8], packet[0] == kCmdServiceStop, clientId, tag, 0) ? kSendAsIs
                                                                                                      : kSendNothing;
        default: break;
    }
    AddPending(packet[0], clientId, tag, merge, packet[0] == kCmdQueryA2 ? kRepliesPerA2 : 1);
    return kSendAsIs;
}

CAutoChannel::SendAction CAutoChannel::UpdateStreams(const uint8_t* packet, size_t length, int32_t clientId,
                                                     int32_t tag, int streamMode, std::vector<uint8_t>* out) {
    uint8_t requestedKinds[kMaxChannels] = {};
    bool withKinds = IsStreamRequest48(length);
    if (withKinds) std::memcpy(requestedKinds, packet + kFlagsOffset, kMaxChannels);
    if (withKinds && (streamMode == 1 || streamMode == 2))
        std::memset(requestedKinds, streamMode == 2 ? 1 : 0, kMaxChannels);

    std::vector<uint8_t> request = NewStreamRequest(packet);
    bool marked = false;
    std::lock_guard<std::mutex> guard(m_streamLock);
    for (int i = 0; i < kMaxChannels; ++i) {
        uint8_t wanted = packet[8 + i];
        auto mine = std::find_if(m_streams.begin(), m_streams.end(),
                                 [&](const StreamEntry& e) { return e.channel == i && e.clientId == clientId; });
        auto sameChannel = [i](const StreamEntry& e) { return e.channel == i; };
        if (wanted == kStreamStop && mine != m_streams.end()) {
            uint8_t kind = mine->kindFlag;
            m_streams.erase(mine);
            if (std::none_of(m_streams.begin(), m_streams.end(), sameChannel)) {
                request[8 + i] = kStreamStop;
                request[kFlagsOffset + i] = kind;
                marked = true;
            }
        } else if (wanted == kStreamStart && mine == m_streams.end()) {
            if (m_streams.size() >= kMaxSubscribers) continue;
            auto other = std::find_if(m_streams.begin(), m_streams.end(), sameChannel);
            uint8_t kind;
            if (other != m_streams.end()) {
                kind = other->kindFlag;
            } else {
                kind = withKinds && requestedKinds[i] == 1 ? 1 : 0;
                request[8 + i] = kStreamStart;
                request[kFlagsOffset + i] = kind;
                marked = true;
            }
            m_streams.push_back({i, kind, clientId, tag});
        }
    }
    if (!marked) return kSendNothing;
    out->swap(request);
    return kSendBuilt;
}

bool CAutoChannel::UpdateKeyed(KeyedList& list, int key, bool stop, int32_t clientId, int32_t tag, int merge) {
    std::lock_guard<std::mutex> guard(list.lock);
    auto& entries = list.entries;
    auto mine = std::find_if(entries.begin(), entries.end(),
                             [&](const KeyedEntry& e) { return e.key == key && e.clientId == clientId; });
    auto sameKey = [key](const KeyedEntry& e) { return e.key == key; };
    if (mine != entries.end() && stop) {
        entries.erase(mine);
        return std::none_of(entries.begin(), entries.end(), sameKey);
    }
    if (mine == entries.end() && !stop) {
        if (entries.size() >= kMaxSubscribers) return false;
        bool first = std::none_of(entries.begin(), entries.end(), sameKey);
        entries.push_back({key, clientId, tag, merge});
        return first;
    }
    return false;
}

void CAutoChannel::RemoveClient(KeyedList& list, int32_t clientId) {
    std::lock_guard<std::mutex> guard(list.lock);
    auto& entries = list.entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [clientId](const KeyedEntry& e) { return e.clientId == clientId; }),
                  entries.end());
}

void CAutoChannel::AddPending(uint8_t command, int32_t clientId, int32_t tag, int merge, int count) {
    std::lock_guard<std::mutex> guard(m_pendingLock);
    for (int i = 0; i < count; ++i) {
        if (m_pending.size() >= kMaxPending) m_pending.pop_front();
        m_pending.push_back({command, clientId, tag, merge});
    }
}

CAutoChannel::Route CAutoChannel::OnDeviceData(int connectionIndex, const uint8_t* packet, size_t length) {
    Route route;
    if (packet == nullptr || length < kHeaderSize) return route;
    switch (packet[0]) {
        case kCmdKeepAliveAnswer:
        case kCmdSubConnect: return route;
        case kCmdLoginReply: route.kind = Route::kLoginReply; return route;
        case kCmdStreamData:
            if (length == kHeaderSize) return route;
            return RouteStream(connectionIndex, packet[8]);
        case kCmdStateReport: return RouteKeyed(m_states, packet[12], connectionIndex, true);
        case kCmdServiceData: return RouteKeyed(m_services, packet[8], connectionIndex, false);
        default: return RouteReply(connectionIndex, packet[0]);
    }
}

CAutoChannel::Route CAutoChannel::RouteStream(int connectionIndex, int channel) {
    Route route;
    route.kind = Route::kDeliver;
    std::lock_guard<std::mutex> guard(m_streamLock);
    for (const StreamEntry& e : m_streams) {
        if (e.channel == channel) route.targets.push_back({e.clientId, connectionIndex});
    }
    return route;
}

CAutoChannel::Route CAutoChannel::RouteKeyed(const KeyedList& list, int key, int connectionIndex, bool takeMerge) {
    Route route;
    route.kind = Route::kDeliver;
    std::lock_guard<std::mutex> guard(list.lock);
    for (const KeyedEntry& e : list.entries) {
        if (e.key != key) continue;
        route.targets.push_back({e.clientId, connectionIndex});
        if (takeMerge) route.merge = e.merge;
    }
    return route;
}

CAutoChannel::Route CAutoChannel::RouteReply(int connectionIndex, uint8_t replyCommand) {
    Route route;
    uint8_t request = RequestForReply(replyCommand);
    std::lock_guard<std::mutex> guard(m_pendingLock);
    auto match = std::find_if(m_pending.begin(), m_pending.end(),
                              [request](const PendingEntry& e) { return e.command == request; });
    if (match == m_pending.end()) return route;
    route.kind = Route::kDeliver;
    route.targets.push_back({match->clientId, connectionIndex});
    route.merge = match->merge;
    // Requests older than the one answered will not be answered any more.
    m_pending.erase(m_pending.begin(), match + 1);
    return route;
}

std::vector<std::vector<uint8_t>> CAutoChannel::CloseCommand(int32_t clientId, const AUTO_SESSION_VIEW& session) {
    std::vector<std::vector<uint8_t>> toSend;
    auto run = [&](const std::vector<uint8_t>& packet) {
        std::vector<uint8_t> built;
        SendAction action = SendCommand(packet.data(), packet.size(), clientId, 0, 0, session, &built);
        if (action == kSendAsIs) toSend.push_back(packet);
        if (action == kSendBuilt) toSend.push_back(built);
    };
    std::vector<uint8_t> allStreams(kStreamRequestSize, 0);
    allStreams[0] = kCmdStream;
    WriteLe32(allStreams.data() + 4, kMaxChannels);
    run(allStreams);
    for (int type = 1; type <= 16; ++type) run(StateUnsubscribe(uint8_t(type)));
    for (uint8_t type : kExtraStateTypes) run(StateUnsubscribe(type));
    int channels = std::min(std::max(session.channelCount, 0), 255);
    for (int channel = 1; channel <= channels; ++channel) run(ServiceStop(uint8_t(channel)));

    // Whatever the steps above could not withdraw (the session was off line,
    // or the client named a channel or type outside them) goes too, so a
    // departed client never stays in a list.
    {
        std::lock_guard<std::mutex> guard(m_streamLock);
        m_streams.erase(std::remove_if(m_streams.begin(), m_streams.end(),
                                       [clientId](const StreamEntry& e) { return e.clientId == clientId; }),
                        m_streams.end());
    }
    RemoveClient(m_states, clientId);
    RemoveClient(m_services, clientId);
    return toSend;
}

void CAutoChannel::Reset() {
    {
        std::lock_guard<std::mutex> guard(m_pendingLock);
        m_pending.clear();
    }
    {
        std::lock_guard<std::mutex> guard(m_streamLock);
        m_streams.clear();
    }
    for (KeyedList* list : {&m_states, &m_services}) {
        std::lock_guard<std::mutex> guard(list->lock);
        list->entries.clear();
    }
}

size_t CAutoChannel::PendingCount() const {
    std::lock_guard<std::mutex> guard(m_pendingLock);
    return m_pending.size();
}

size_t CAutoChannel::StreamSubscriberCount() const {
    std::lock_guard<std::mutex> guard(m_streamLock);
    return m_streams.size();
}
