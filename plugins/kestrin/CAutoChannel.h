// Command channel of one device session: decides what an SDK command sends
// to the device, shares live streams, state reports and per-channel services
// between SDK clients so the device is asked once, and routes each device
// packet to the clients that asked for it. Pure bookkeeping: the session
// sends what this returns and delivers what it routes. Each list has its own
// lock, held only while the list is searched or changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "plugins/kestrin/AutoPluginTypes.h"

// The session's state at the moment of a call.
struct AUTO_SESSION_VIEW {
    bool online;
    int streamMode;    // 0 as requested, 1 force stream-kind flag 0, 2 force 1
    int channelCount;  // as the device reported it
};

class CAutoChannel {
public:
    // A device that never answers must not make the queue grow without end;
    // when full, the oldest entry goes.
    static constexpr size_t kMaxPending = 512;
    // Each subscription list holds at most as many entries as one packet can
    // have targets; further subscriptions are refused.
    static constexpr size_t kMaxSubscribers = 1024;
    // 0xA2 is answered by this many replies.
    static constexpr int kRepliesPerA2 = 21;

    enum SendAction {
        kSendNothing,
        kSendAsIs,   // send the caller's packet unchanged
        kSendBuilt,  // send the packet in *out
        kAnswerSdk,  // deliver *out to the client at once (through the device, as data)
    };

    struct Route {
        enum Kind { kDrop, kLoginReply, kDeliver } kind = kDrop;
        std::vector<PLUGIN_DATA_TARGET> targets;  // {client id, connection index}
        int merge = 0;
    };

    virtual ~CAutoChannel() = default;

    // Decides what one SDK command sends to the device. out receives the
    // packet for kSendBuilt and kAnswerSdk and is cleared otherwise. A null
    // packet or one shorter than a header sends nothing.
    SendAction SendCommand(const uint8_t* packet, size_t length, int32_t clientId, int32_t tag, int merge,
                           const AUTO_SESSION_VIEW& session, std::vector<uint8_t>* out);

    // Routes one device packet that arrived on connection index k. kLoginReply
    // for a 0xB0 (the session keeps it); kDeliver with the targets (possibly
    // none for stream data and state reports); kDrop otherwise. A reply goes
    // to the oldest waiting request that it answers; older requests that it
    // does not answer are discarded then, and an unsolicited reply leaves the
    // queue as it was.
    Route OnDeviceData(int connectionIndex, const uint8_t* packet, size_t length);

    // Withdraws everything a departing SDK client asked for. Returns the
    // packets to send to the device (stops whose last subscriber left).
    std::vector<std::vector<uint8_t>> CloseCommand(int32_t clientId, const AUTO_SESSION_VIEW& session);

    // Empties the pending queue and the three subscription lists.
    void Reset();

    size_t PendingCount() const;
    size_t StreamSubscriberCount() const;

private:
    struct PendingEntry {
        uint8_t command;
        int32_t clientId;
        int32_t tag;
        int merge;
    };
    struct StreamEntry {
        int channel;
        uint8_t kindFlag;
        int32_t clientId;
        int32_t tag;
    };
    // A state type or a service channel with the clients that hold it.
    struct KeyedEntry {
        int key;
        int32_t clientId;
        int32_t tag;
        int merge;
    };
    struct KeyedList {
        mutable std::mutex lock;
        std::vector<KeyedEntry> entries;
    };

    SendAction UpdateStreams(const uint8_t* packet, size_t length, int32_t clientId, int32_t tag, int streamMode,
                             std::vector<uint8_t>* out);
    // First subscription to a key and its last withdrawal reach the device;
    // the others are absorbed. Returns true when the packet is to be sent.
    static bool UpdateKeyed(KeyedList& list, int key, bool stop, int32_t clientId, int32_t tag, int merge);
    static void RemoveClient(KeyedList& list, int32_t clientId);
    void AddPending(uint8_t command, int32_t clientId, int32_t tag, int merge, int count);
    Route RouteReply(int connectionIndex, uint8_t replyCommand);
    static Route RouteKeyed(const KeyedList& list, int key, int connectionIndex, bool takeMerge);
    Route RouteStream(int connectionIndex, int channel);

    mutable std::mutex m_pendingLock;
    std::deque<PendingEntry> m_pending;
    mutable std::mutex m_streamLock;
    std::vector<StreamEntry> m_streams;
    KeyedList m_states;
    KeyedList m_services;
};
