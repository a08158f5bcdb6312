#include "plugins/kestrin/AutoChannelLayout.h"

#include "plugins/kestrin/AutoProtocol.h"

namespace kestrin {

namespace {

const size_t kB6EntrySize = 24;

// Where a packet keeps its channel, and in which base.
struct ChannelField {
    size_t offset;
    int base;  // 0 or 1
};

bool FindSdkChannelField(const uint8_t* packet, size_t length, ChannelField* field) {
    if (packet == nullptr || length < kHeaderSize) return false;
    switch (packet[0]) {
        case kCmdStreamControl: *field = {9, 0}; return true;
        case kCmdChannel83: *field = {8, 1}; return packet[9] == 2;
        case kCmdQuery:
        case kCmdSettings: *field = {kSubChannelOffset, 1}; return packet[kSubCodeOffset] == kSubChannel;
        case kCmdQueryA5:
        case kCmdServiceStartC2:
        case kCmdServiceStop:
        case kCmdNoWaitCA:
        case kCmdServiceStartCB:
        case kCmdNoWaitCC: *field = {8, 1}; return true;
        default: return false;
    }
}

void AddToByte(uint8_t* p, int offset) { *p = uint8_t(*p + offset); }

void RenumberB6Entries(uint8_t* packet, size_t length, int offset) {
    size_t body = AvailableBody(packet, length);
    for (size_t at = 0; at + kB6EntrySize <= body; at += kB6EntrySize) {
        uint8_t& first = packet[kHeaderSize + at];
        first = uint8_t((first & 0xF0) | ((first + offset) & 0x0F));
    }
}

void ScaleCount(uint8_t* packet, int totalChannels, int firstRecordChannels) {
    if (firstRecordChannels <= 0 || totalChannels < 0) return;
    uint64_t scaled = uint64_t(ReadLe32(packet + 32)) * uint64_t(totalChannels / firstRecordChannels);
    WriteLe32(packet + 32, scaled > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(scaled));
}

}  // namespace

AUTO_RECORD_LAYOUT EmptyLayout() {
    AUTO_RECORD_LAYOUT layout = {};
    return layout;
}

void SetRecord(AUTO_RECORD_LAYOUT* layout, int slot, int channelCount, bool online) {
    if (layout == nullptr || slot < 0 || slot >= kMaxRecords) return;
    layout->present[slot] = true;
    layout->online[slot] = online;
    layout->channels[slot] = ClampChannelCount(channelCount);
}

int RecordOffset(const AUTO_RECORD_LAYOUT& layout, int slot) {
    int offset = 0;
    for (int s = 0; s < slot && s < kMaxRecords; ++s) {
        if (layout.present[s]) offset += layout.channels[s];
    }
    return offset;
}

int FindRecordOfChannel(const AUTO_RECORD_LAYOUT& layout, int global, int* local) {
    if (global < 0) return -1;
    int sum = 0;
    for (int s = 0; s < kMaxRecords; ++s) {
        if (!layout.present[s]) continue;
        if (global < sum + layout.channels[s]) {
            if (local != nullptr) *local = global - sum;
            return s;
        }
        sum += layout.channels[s];
    }
    return -1;
}

int DefaultTargetSlot(const AUTO_RECORD_LAYOUT& layout) {
    for (int s = 0; s < kMaxRecords; ++s) {
        if (layout.present[s] && layout.online[s]) return s;
    }
    return layout.present[0] ? 0 : -1;
}

int RouteSdkChannel(const AUTO_RECORD_LAYOUT& layout, uint8_t* packet, size_t length) {
    ChannelField field;
    if (!FindSdkChannelField(packet, length, &field)) return kNoChannelField;
    int global = int(packet[field.offset]) - field.base;
    int local = 0;
    int slot = FindRecordOfChannel(layout, global, &local);
    if (slot < 0) return kChannelUnknown;
    packet[field.offset] = uint8_t(local + field.base);
    return slot;
}

void RenumberDevicePacket(uint8_t* packet, size_t length, int offset, int totalChannels, int firstRecordChannels) {
    if (packet == nullptr || length < kHeaderSize) return;
    switch (packet[0]) {
        case kCmdQueryAnswer:
            if (packet[kSubCodeOffset] == kSubChannel) AddToByte(packet + kSubChannelOffset, offset);
            if (packet[kSubCodeOffset] == kSubCount && length == 40)
                ScaleCount(packet, totalChannels, firstRecordChannels);
            break;
        case kCmdSettings:
            if (packet[kSubCodeOffset] == kSubChannel) AddToByte(packet + kSubChannelOffset, offset);
            break;
        case kCmdServiceData:
        case kCmdStreamData: AddToByte(packet + 8, offset); break;
        case kCmdChannel83:
            if (packet[9] == 2) AddToByte(packet + 8, offset);
            break;
        case kCmdAnswerB6: RenumberB6Entries(packet, length, offset); break;
        case kCmdRegister:
            if (packet[8] == 1 && length == 64) packet[34] = packet[35] = uint8_t(totalChannels);
            break;
        default: break;
    }
}

int ConnectionNumber(const AUTO_RECORD_LAYOUT& layout, int slot, int connectionIndex, int recordChannelCount,
                     int totalChannels) {
    if (connectionIndex == 0) return 0;
    if (IsLastSubConnection(connectionIndex, recordChannelCount)) return totalChannels + 1;
    return connectionIndex + RecordOffset(layout, slot);
}

}  // namespace kestrin
