// Feeds an SDK client's receive buffer a stream in pieces of fuzzer-chosen
// sizes, with a fuzzer-chosen work buffer, and checks that it yields exactly
// the packets that framing the whole stream at once gives, oversized packets
// skipped to the byte and nothing refused while packets are taken out.
#include <algorithm>
#include <vector>

#include "proxy/CSdkPacketBuffer.h"
#include "tests/plugins/kestrin/fuzz/FuzzInput.h"

namespace {

struct Framed {
    std::vector<std::vector<uint8_t>> packets;
    size_t oversized = 0;
    bool operator==(const Framed& other) const { return packets == other.packets && oversized == other.oversized; }
};

Framed FrameAtOnce(const std::vector<uint8_t>& stream, size_t workSize) {
    Framed framed;
    size_t pos = 0;
    while (stream.size() - pos >= CSdkPacketBuffer::kHeaderSize) {
        const uint64_t total = CSdkPacketBuffer::kHeaderSize + uint64_t(ReadLe32(&stream[pos + 4]));
        if (total > workSize) {
            // Judged as soon as its header is there, whole or not.
            ++framed.oversized;
            if (total > stream.size() - pos) break;
            pos += size_t(total);
            continue;
        }
        if (total > stream.size() - pos) break;
        framed.packets.emplace_back(stream.begin() + pos, stream.begin() + pos + total);
        pos += size_t(total);
    }
    return framed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const size_t workSize = size_t(in.Byte()) * 4 + 16;  // below a header too
    std::vector<size_t> pieces(in.Byte() % 8 + 1);
    for (size_t& piece : pieces) piece = size_t(in.Byte()) + 1;
    const std::vector<uint8_t> stream = in.Rest();

    CSdkPacketBuffer framer;
    FUZZ_CHECK(framer.Allocate());
    Framed got;
    std::vector<uint8_t> work(workSize);
    size_t pos = 0;
    for (size_t i = 0; pos < stream.size(); ++i) {
        const size_t n = std::min(pieces[i % pieces.size()], stream.size() - pos);
        FUZZ_CHECK(framer.Append(stream.data() + pos, n) == 1);
        pos += n;
        for (;;) {
            size_t length = 0;
            const CSdkPacketBuffer::ExtractResult r = framer.Extract(work.data(), work.size(), length);
            if (r == CSdkPacketBuffer::kNeedMore) break;
            if (r == CSdkPacketBuffer::kOversized) {
                ++got.oversized;
                continue;
            }
            FUZZ_CHECK(length >= CSdkPacketBuffer::kHeaderSize && length <= work.size());
            got.packets.emplace_back(work.begin(), work.begin() + length);
        }
        FUZZ_CHECK(framer.Buffered() < CSdkPacketBuffer::kHeaderSize + work.size());
    }
    FUZZ_CHECK(got == FrameAtOnce(stream, workSize));
    return 0;
}
