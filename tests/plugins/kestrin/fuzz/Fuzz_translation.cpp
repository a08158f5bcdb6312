// Drives a device of up to four records the way the sessions will: SDK
// commands through the parser, the send planner and each record's command
// channel; device packets through the channel's routing, renumbering, state
// masks and the request table's merges; clients leaving; time passing.
#include <cstring>
#include <vector>

#include "FuzzInput.h"
#include "plugins/kestrin/AutoChannelLayout.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "plugins/kestrin/AutoTranslate.h"
#include "plugins/kestrin/CAutoChannel.h"
#include "plugins/kestrin/CAutoRequestTable.h"
#include "plugins/kestrin/CAutoStateMasks.h"

using namespace kestrin;

namespace {

struct Device {
    AUTO_RECORD_LAYOUT layout = EmptyLayout();
    int rawChannels[kMaxRecords] = {};
    int streamMode = 0;
    int total = 0;
    CAutoChannel channels[kMaxRecords];
    CAutoRequestTable table;
    bool severalRecords = false;  // only such a device has a request table
    CAutoStateMasks masks;
    std::vector<uint8_t> loginReply;
    uint32_t now = 0;
    // Clients that sent a command since they last left. One that sent none
    // has nothing to withdraw, and its close would only run the same 300-odd
    // withdrawal commands per record again: most of a run's time, no new path.
    uint8_t activeClients = 0xFF;
};

std::vector<uint8_t> NextPacket(FuzzInput& in) {
    uint8_t shape = in.Byte();
    size_t length = (shape & 0x80) ? size_t(in.Byte()) * 24 : kHeaderSize + (shape & 0x3F);
    std::vector<uint8_t> p = in.Bytes(length);
    // Mostly well framed, sometimes with a body length that lies.
    if ((shape & 0x40) == 0 && p.size() >= kHeaderSize) WriteLe32(p.data() + 4, uint32_t(p.size() - kHeaderSize));
    return p;
}

AUTO_SESSION_VIEW View(const Device& d, int slot) { return {d.layout.online[slot], d.streamMode, d.rawChannels[slot]}; }

void Deliver(Device& d, int slot, int connectionIndex, const CAutoChannel::Route& route,
             const std::vector<uint8_t>& packet) {
    std::vector<uint8_t> copy = packet;
    std::vector<PLUGIN_DATA_TARGET> targets = route.targets;
    FUZZ_CHECK(targets.size() <= CAutoChannel::kMaxSubscribers);
    PrepareDeviceData(d.layout, slot, connectionIndex, d.rawChannels[slot], d.total, &d.masks, copy.data(), copy.size(),
                      targets.data(), targets.size());
    if (route.merge && !targets.empty()) {
        CAutoRequestTable::Merged merged;
        if (d.table.Merge(slot, targets.data(), int(targets.size()), copy.data(), copy.size(), d.now, &merged)) {
            FUZZ_CHECK(merged.packet.size() >= kHeaderSize);
            FUZZ_CHECK(merged.packet[0] != kCmdListAnswer ||
                       ReadLe32(merged.packet.data() + 4) == merged.packet.size() - kHeaderSize);
            FUZZ_CHECK(merged.targets.size() == targets.size());
        }
    }
}

void SdkCommand(Device& d, FuzzInput& in) {
    int32_t client = in.Byte() % 8;
    int32_t tag = in.Byte() % 4;
    d.activeClients |= uint8_t(1u << client);
    std::vector<uint8_t> packet = NextPacket(in);
    SDK_COMMAND command = {packet.data(), int32_t(packet.size()), client, 0};
    PARSE_RESULT result;
    FUZZ_CHECK(ParseSdkCommand(&command, d.loginReply.empty() ? nullptr : d.loginReply.data(), d.loginReply.size(),
                               d.total, &result) == 0);
    FUZZ_CHECK(result.replyLength >= 0 && size_t(result.replyLength) <= sizeof result.reply);

    std::vector<AUTO_OUTGOING> out;
    if (PlanSendData(packet.data(), packet.size(), client, tag, d.layout, d.severalRecords ? &d.table : nullptr, d.now,
                     &out) != 0)
        return;
    for (AUTO_OUTGOING& o : out) {
        FUZZ_CHECK(o.slot >= 0 && o.slot < kMaxRecords && d.layout.present[o.slot]);
        FUZZ_CHECK(o.packet.size() >= kHeaderSize);
        std::vector<uint8_t> built;
        CAutoChannel::SendAction action = d.channels[o.slot].SendCommand(o.packet.data(), o.packet.size(), o.clientId,
                                                                         o.tag, o.merge, View(d, o.slot), &built);
        if (action == CAutoChannel::kAnswerSdk) {
            CAutoChannel::Route route;
            route.kind = CAutoChannel::Route::kDeliver;
            route.targets.push_back({o.clientId, o.tag});
            route.merge = o.merge;
            Deliver(d, o.slot, o.tag, route, built);
        }
    }
}

void DevicePacket(Device& d, FuzzInput& in) {
    int slot = in.Byte() % kMaxRecords;
    int connectionIndex = in.Byte() % 42;
    std::vector<uint8_t> packet = NextPacket(in);
    if (!d.layout.present[slot]) return;
    CAutoChannel::Route route = d.channels[slot].OnDeviceData(connectionIndex, packet.data(), packet.size());
    if (route.kind == CAutoChannel::Route::kLoginReply) {
        AUTO_LOGIN_REPLY reply;
        if (ParseLoginReply(packet.data(), packet.size(), &reply) == 0) {
            d.loginReply = packet;
            d.rawChannels[slot] = reply.channelCount;
            SetRecord(&d.layout, slot, reply.channelCount, d.layout.online[slot]);
        }
    } else if (route.kind == CAutoChannel::Route::kDeliver) {
        Deliver(d, slot, connectionIndex, route, packet);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    Device d;
    for (int s = 0; s < kMaxRecords; ++s) {
        uint8_t b = in.Byte();
        if (s == 0 || (b & 0x80)) {
            d.rawChannels[s] = b & 0x1F;
            SetRecord(&d.layout, s, d.rawChannels[s], (b & 0x40) != 0);
        }
    }
    d.streamMode = in.Byte() % 3;
    d.total = in.Byte();
    d.severalRecords = d.layout.present[1] || d.layout.present[2] || d.layout.present[3];

    while (!in.Empty()) {
        switch (in.Byte() % 6) {
            case 0:
            case 1: SdkCommand(d, in); break;
            case 2:
            case 3: DevicePacket(d, in); break;
            case 4: {
                int32_t client = in.Byte() % 8;
                if ((d.activeClients & (1u << client)) == 0) break;
                d.activeClients &= uint8_t(~(1u << client));
                for (int s = 0; s < kMaxRecords; ++s) {
                    if (d.layout.present[s]) d.channels[s].CloseCommand(client, View(d, s));
                }
                break;
            }
            default: {
                d.now += uint32_t(in.Byte()) * 1000;
                int s = in.Byte() % kMaxRecords;
                if (d.layout.present[s]) {
                    d.layout.online[s] = !d.layout.online[s];
                    if (!d.layout.online[s]) {
                        d.channels[s].Reset();
                        d.masks.MarkRecordOffline(RecordOffset(d.layout, s), d.layout.channels[s]);
                    }
                }
                break;
            }
        }
        FUZZ_CHECK(d.table.Count() <= CAutoRequestTable::kMaxEntries);
        if (!d.severalRecords) FUZZ_CHECK(d.table.Count() == 0);
    }
    return 0;
}
