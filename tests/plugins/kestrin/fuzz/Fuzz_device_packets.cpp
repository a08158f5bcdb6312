// Channel renumbering, device-wide counts, state masks and local answers
// over arbitrary packets and record layouts.
#include <vector>

#include "FuzzInput.h"
#include "plugins/kestrin/AutoChannelLayout.h"
#include "plugins/kestrin/AutoProtocol.h"
#include "plugins/kestrin/CAutoStateMasks.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    AUTO_RECORD_LAYOUT layout = EmptyLayout();
    for (int s = 0; s < kMaxRecords; ++s) {
        uint8_t b = in.Byte();
        if (b & 0x80) SetRecord(&layout, s, b & 0x3F, (b & 0x40) != 0);
    }
    int offset = int8_t(in.Byte());
    int total = in.Byte();
    int first = in.Byte() % 20;
    int count = int8_t(in.Byte());
    const std::vector<uint8_t> packet = in.Rest();

    std::vector<uint8_t> sdk = packet;
    int slot = RouteSdkChannel(layout, sdk.data(), sdk.size());
    FUZZ_CHECK(slot == kNoChannelField || slot == kChannelUnknown ||
               (slot >= 0 && slot < kMaxRecords && layout.present[slot]));
    if (slot >= 0) FUZZ_CHECK(ConnectionNumber(layout, slot, 1, layout.channels[slot], total) >= 0);

    std::vector<uint8_t> device = packet;
    RenumberDevicePacket(device.data(), device.size(), offset, total, first);
    FUZZ_CHECK(device.size() == packet.size());

    CAutoStateMasks masks;
    std::vector<uint8_t> report = packet;
    masks.ApplyReport(report.data(), report.size(), offset, count);
    masks.MarkRecordOffline(offset, count);
    masks.MarkRecordOffline(count, offset);

    uint8_t answer[kHeaderSize];
    BuildSubConnectAnswer(packet.data(), packet.size(), answer);
    std::vector<uint8_t> offline(kOfflineQueryAnswerSize);
    int n = BuildOfflineQueryAnswer(packet.data(), packet.size(), offline.data(), offline.size());
    FUZZ_CHECK(n == -1 || n == int(kOfflineQueryAnswerSize));
    return 0;
}
