// Translation of SDK commands for a device of one to four registration
// records: what the plug-in answers itself, and which records a command goes
// to, split or rewritten for each. Pure functions; the device object sends
// what they return.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugins/kestrin/AutoChannelLayout.h"
#include "plugins/kestrin/AutoPluginTypes.h"

class CAutoRequestTable;
class CAutoStateMasks;

namespace kestrin {

// Fills *out (zeroed first) for one SDK packet: a login (0xA0) is answered
// from loginReply (null or shorter than a header: the result stays all
// zero), a sub-connection (0xF1) and a keep-alive (0xA1) are answered
// locally, anything else is to be forwarded. A null or short packet gives
// action 2 without forwarding. Returns 0, or -1 when in or out is null.
int ParseSdkCommand(const SDK_COMMAND* in, const uint8_t* loginReply, size_t loginReplyLength, int totalChannels,
                    PARSE_RESULT* out);

// One packet for one record's session.
struct AUTO_OUTGOING {
    int slot;
    std::vector<uint8_t> packet;
    int32_t clientId;
    int32_t tag;
    int merge;
};

// Decides where one SDK packet goes. A command with a channel goes to the
// record owning the channel, renumbered; with a request table (a device of
// several records) subscriptions, merged queries and per-channel lists and
// tables go to every record, split or rewritten for each, and merged queries
// get a sequence number for a client id. Anything else goes to the first
// online record, else to slot 0; nothing when that slot has no session.
// Returns 0 with *out filled, -1 when the packet is null or shorter than a
// header or out is null.
int PlanSendData(const uint8_t* packet, size_t length, int32_t clientId, int32_t tag, const AUTO_RECORD_LAYOUT& layout,
                 CAutoRequestTable* table, uint32_t nowMs, std::vector<AUTO_OUTGOING>* out);

// The 0x11 subscription bytes of one record: count channels from the
// record's offset (48 bytes when the request has 48, else 32). Channels past
// 16 are left 0.
std::vector<uint8_t> BuildStreamSlice(const uint8_t* packet, size_t length, int offset, int count);

// An 0xC6 list for one record: the request's header and the "&&" items at
// positions offset .. offset+count-1, joined again.
std::vector<uint8_t> BuildListSlice(const uint8_t* packet, size_t length, int offset, int count);

// An 0xC1 table (sub-code 127, 126 or 123) for one record: the record's
// entries moved to the front; bytes past the 16-entry table are not sent
// (sub-code 123 keeps the request's own length). false (out cleared) when
// the request holds fewer entries than it must (the whole table; for 123 up
// to the end of the record's part) or the record has no channel in the
// table, so that no record is sent a table padded with made-up settings.
bool BuildTableSlice(const uint8_t* packet, size_t length, int offset, int count, std::vector<uint8_t>* out);

// Readies a device packet that a record's command channel routed for the
// SDK, seen from the whole device: every target's second field becomes the
// SDK's connection number for connection index k of the record in slot, the
// channel fields get the record's offset, device-wide counts the total, and
// a state report carries the merged device mask (masks may be null).
void PrepareDeviceData(const AUTO_RECORD_LAYOUT& layout, int slot, int connectionIndex, int recordChannelCount,
                       int totalChannels, CAutoStateMasks* masks, uint8_t* packet, size_t length,
                       PLUGIN_DATA_TARGET* targets, size_t targetCount);

}  // namespace kestrin
