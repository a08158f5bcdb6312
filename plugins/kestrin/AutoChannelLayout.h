// How the channels of a device's registration records add up to the one
// device the SDK sees: record 0's channels first, then record 1's, and so on.
// Renumbers channel fields between the SDK's global numbering and a record's
// local one. Pure functions over packets; lengths are checked before use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrin {

const int kMaxRecords = 4;

// A snapshot of a device's records, taken by the caller.
struct AUTO_RECORD_LAYOUT {
    bool present[kMaxRecords];  // a session exists in the slot
    bool online[kMaxRecords];
    int channels[kMaxRecords];  // channel count; clamped to 0..16, 0 when not present
};

// A layout without records; SetRecord fills one slot.
AUTO_RECORD_LAYOUT EmptyLayout();
void SetRecord(AUTO_RECORD_LAYOUT* layout, int slot, int channelCount, bool online);

// Sum of the channel counts of the present records before slot.
int RecordOffset(const AUTO_RECORD_LAYOUT& layout, int slot);

// The record that owns global channel g (0-based): its slot, with the local
// channel in *local. -1 when g is negative or beyond every record.
int FindRecordOfChannel(const AUTO_RECORD_LAYOUT& layout, int global, int* local);

// Where a packet goes when nothing else decides: the first online record,
// else slot 0; -1 when that slot has no session.
int DefaultTargetSlot(const AUTO_RECORD_LAYOUT& layout);

enum RouteResult {
    kNoChannelField = -1,  // the command carries no channel
    kChannelUnknown = -2,  // the channel lies beyond every record; field unchanged
};

// SDK to device: for a command with a channel field (0x12, 0x83 with byte 9
// = 2, 0xA3/0xC1 with sub-code 125, 0xA5, 0xC2, 0xC9, 0xCA, 0xCB, 0xCC)
// rewrites the field to the owning record's local channel in the same base
// and returns that record's slot; otherwise kNoChannelField or kChannelUnknown.
int RouteSdkChannel(const AUTO_RECORD_LAYOUT& layout, uint8_t* packet, size_t length);

// Device to SDK: adds a record's offset to the channel fields of its packet
// (0xB3/0xC1 sub-code 125 byte 25; 0xBB, 0xBC byte 8; 0x83 with byte 9 = 2
// byte 8; the low 4 bits of each whole 24-byte entry of an 0xB6 body), and
// rewrites the device-wide counts: 0xB4 device information (byte 8 = 1, 64
// bytes) gets the total channel count in bytes 34 and 35; a 40-byte 0xB3
// sub-code 16 has its count scaled by total / first record's channels (left
// as it is when the first record has none).
void RenumberDevicePacket(uint8_t* packet, size_t length, int offset, int totalChannels, int firstRecordChannels);

// Connection number under which the SDK knows connection index k of the
// record in slot: 0 for the main connection, the device-wide extra
// connection (total + 1) for the record's own extra one (its raw channel
// count + 1), else k plus the record's offset.
int ConnectionNumber(const AUTO_RECORD_LAYOUT& layout, int slot, int connectionIndex, int recordChannelCount,
                     int totalChannels);

}  // namespace kestrin
