#include "plugins/kestrin/AutoTranslate.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "plugins/kestrin/AutoProtocol.h"
#include "plugins/kestrin/CAutoRequestTable.h"
#include "plugins/kestrin/CAutoStateMasks.h"
#include "plugins/kestrin/CStrTokenizer.h"

namespace kestrin {

namespace {

const uint8_t kMultiStateTypes[] = {2, 3, 4, 5, 155};

bool IsTableSettings(const uint8_t* packet) {
    return packet[0] == kCmdSettings && TableEntrySize(packet[kSubCodeOffset]) != 0;
}

bool IsMergedQuery(const uint8_t* packet) {
    return (packet[0] == kCmdListQuery && packet[8] == 1) ||
           (packet[0] == kCmdQuery && TableEntrySize(packet[kSubCodeOffset]) != 0);
}

bool GoesToEveryRecord(const uint8_t* packet) {
    switch (packet[0]) {
        case kCmdStream:
        case kCmdListSettings: return true;
        case kCmdStateSubscribe:
            return std::find(std::begin(kMultiStateTypes), std::end(kMultiStateTypes), packet[12]) !=
                   std::end(kMultiStateTypes);
        default: return IsMergedQuery(packet) || IsTableSettings(packet);
    }
}

// Clips [offset, offset + count) to the 16 channel positions.
int ClippedCount(int offset, int count) {
    if (offset < 0 || offset >= kMaxChannels || count <= 0) return 0;
    return std::min(count, kMaxChannels - offset);
}

void SplitForEachRecord(const std::vector<uint8_t>& packet, int32_t clientId, int32_t tag,
                        const AUTO_RECORD_LAYOUT& layout, std::vector<AUTO_OUTGOING>* out) {
    for (int s = 0; s < kMaxRecords; ++s) {
        if (!layout.present[s]) continue;
        int offset = RecordOffset(layout, s);
        int count = layout.channels[s];
        AUTO_OUTGOING o{s, {}, clientId, tag, 0};
        if (packet[0] == kCmdStream) {
            o.packet = BuildStreamSlice(packet.data(), packet.size(), offset, count);
        } else if (packet[0] == kCmdListSettings) {
            o.packet = BuildListSlice(packet.data(), packet.size(), offset, count);
        } else if (!BuildTableSlice(packet.data(), packet.size(), offset, count, &o.packet)) {
            continue;
        }
        out->push_back(std::move(o));
    }
}

}  // namespace

int ParseSdkCommand(const SDK_COMMAND* in, const uint8_t* loginReply, size_t loginReplyLength, int totalChannels,
                    PARSE_RESULT* out) {
    if (in == nullptr || out == nullptr) return -1;
    std::memset(out, 0, sizeof *out);
    const uint8_t* packet = in->data;
    if (packet == nullptr || in->length < int32_t(kHeaderSize)) {
        out->action = kParseOther;
        return 0;
    }
    switch (packet[0]) {
        case kCmdLogin: {
            int n = BuildLoginAnswer(loginReply, loginReplyLength, in->clientId, totalChannels, out->reply,
                                     sizeof out->reply);
            if (n < 0) return 0;  // nothing stored yet: the result stays all zero
            out->replyLength = n;
            out->action = kParseLogin;
            out->registerClient = 1;
            return 0;
        }
        case kCmdSubConnect:
            out->replyLength = BuildSubConnectAnswer(packet, size_t(in->length), out->reply);
            out->action = kParseSubConnection;
            out->registerClient = 1;
            out->mainSessionId = int32_t(ReadLe32(packet + 8));
            out->sessionIndex = packet[13];
            return 0;
        case kCmdKeepAlive:
            BuildKeepAliveAnswer(out->reply);
            out->replyLength = int32_t(kHeaderSize);
            out->action = kParseOther;
            return 0;
        default:
            out->action = kParseOther;
            out->forward = 1;
            return 0;
    }
}

int PlanSendData(const uint8_t* packet, size_t length, int32_t clientId, int32_t tag, const AUTO_RECORD_LAYOUT& layout,
                 CAutoRequestTable* table, uint32_t nowMs, std::vector<AUTO_OUTGOING>* out) {
    if (packet == nullptr || length < kHeaderSize || out == nullptr) return -1;
    out->clear();
    std::vector<uint8_t> copy(packet, packet + length);

    int slot = DefaultTargetSlot(layout);
    int owner = RouteSdkChannel(layout, copy.data(), copy.size());
    if (owner >= 0) slot = owner;

    if (table == nullptr || !GoesToEveryRecord(copy.data())) {
        if (slot >= 0) out->push_back({slot, std::move(copy), clientId, tag, 0});
        return 0;
    }
    uint8_t command = copy[0];
    if (command == kCmdStream || command == kCmdListSettings || IsTableSettings(copy.data())) {
        SplitForEachRecord(copy, clientId, tag, layout, out);
        return 0;
    }
    if (IsMergedQuery(copy.data()) && table->MapRequest(copy.data(), copy.size(), &clientId, tag, layout, nowMs) != 0) {
        return 0;
    }
    int merge = command == kCmdStateSubscribe ? 0 : 1;
    for (int s = 0; s < kMaxRecords; ++s) {
        if (layout.present[s] && layout.online[s]) out->push_back({s, copy, clientId, tag, merge});
    }
    return 0;
}

std::vector<uint8_t> BuildStreamSlice(const uint8_t* packet, size_t length, int offset, int count) {
    bool withKinds = length == kStreamRequestSize;
    std::vector<uint8_t> slice(withKinds ? kStreamRequestSize : kHeaderSize, 0);
    slice[0] = kCmdStream;
    WriteLe32(slice.data() + 4, withKinds ? kMaxChannels : 0);
    std::memcpy(slice.data() + 26, packet + 26, 6);
    int n = ClippedCount(offset, count);
    if (n == 0) return slice;
    std::memcpy(slice.data() + 8, packet + 8 + offset, size_t(n));
    if (withKinds) std::memcpy(slice.data() + kHeaderSize, packet + kHeaderSize + offset, size_t(n));
    return slice;
}

std::vector<uint8_t> BuildListSlice(const uint8_t* packet, size_t length, int offset, int count) {
    size_t body = AvailableBody(packet, length);
    const char* text = reinterpret_cast<const char*>(packet + kHeaderSize);
    std::string items(text, std::find(text, text + body, '\0'));
    CStrTokenizer tokenizer(items.c_str(), "&&");
    std::string joined;
    int first = std::max(offset, 0);
    for (int i = first; i < offset + count && size_t(i) < tokenizer.Count(); ++i) {
        if (i > first) joined += "&&";
        joined += tokenizer.Item(size_t(i));
    }
    std::vector<uint8_t> slice(kHeaderSize + joined.size());
    std::memcpy(slice.data(), packet, kHeaderSize);
    std::memcpy(slice.data() + kHeaderSize, joined.data(), joined.size());
    WriteLe32(slice.data() + 4, uint32_t(joined.size()));
    return slice;
}

bool BuildTableSlice(const uint8_t* packet, size_t length, int offset, int count, std::vector<uint8_t>* out) {
    out->clear();
    uint8_t subCode = SubCodeOf(packet, length);
    size_t entrySize = TableEntrySize(subCode);
    if (entrySize == 0) return false;
    size_t body = AvailableBody(packet, length);
    size_t tableSize = entrySize * kMaxChannels;
    int n = ClippedCount(offset, count);
    if (n == 0) return false;
    size_t needed = subCode == kSubTable123 ? (size_t(offset) + size_t(n)) * entrySize : tableSize;
    if (body < needed) return false;

    // The 123 table keeps the request's own length; the others are cut to the table.
    size_t newBody = subCode == kSubTable123 ? body : tableSize;
    out->assign(packet, packet + kHeaderSize + newBody);
    WriteLe32(out->data() + 4, uint32_t(newBody));
    const uint8_t* from = packet + kHeaderSize;
    uint8_t* to = out->data() + kHeaderSize;
    for (int j = 0; j < n; ++j) {
        std::memcpy(to + j * entrySize, from + (offset + j) * entrySize, entrySize);
        if (subCode == kSubTable123)
            to[j * entrySize + kTable123PositionByte] = from[j * entrySize + kTable123PositionByte];
    }
    return true;
}

void PrepareDeviceData(const AUTO_RECORD_LAYOUT& layout, int slot, int connectionIndex, int recordChannelCount,
                       int totalChannels, CAutoStateMasks* masks, uint8_t* packet, size_t length,
                       PLUGIN_DATA_TARGET* targets, size_t targetCount) {
    if (slot < 0 || slot >= kMaxRecords) return;
    int number = ConnectionNumber(layout, slot, connectionIndex, recordChannelCount, totalChannels);
    for (size_t i = 0; targets != nullptr && i < targetCount; ++i) targets[i].subIndex = number;
    int offset = RecordOffset(layout, slot);
    RenumberDevicePacket(packet, length, offset, totalChannels, layout.channels[0]);
    if (masks != nullptr) masks->ApplyReport(packet, length, offset, layout.channels[slot]);
}

}  // namespace kestrin
